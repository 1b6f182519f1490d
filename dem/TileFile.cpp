#include "dem/TileFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "dem/MessageText.h"

namespace tarvelon {

TileFile::TileFile(std::string path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    const int error = errno;
    throw TileError("Cannot open the tile file " + quote(path_) + ": " + std::strerror(error));
  }
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

TileFile::~TileFile() {
  if (fd_ >= 0) ::close(fd_);
}

void TileFile::readExactly(std::uint8_t* into, std::size_t bytes, std::int64_t offset, int firstLine) {
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t got = ::pread(fd_, into + done, bytes - done, offset + static_cast<std::int64_t>(done));
    if (got < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      const int line = firstLine + static_cast<int>(done / kBytesPerLine);
      throw TileError("Cannot read line " + std::to_string(line) + " of the tile file " + quote(path_) + ": " +
                      std::strerror(error));
    }
    if (got == 0) {
      const int line = firstLine + static_cast<int>(done / kBytesPerLine);
      throw TileError("The tile file " + quote(path_) + " ends before line " + std::to_string(line) +
                      ": it is shorter than a MEGDR128 tile (" + std::to_string(kTileBytes) + " bytes)");
    }
    done += static_cast<std::size_t>(got);
  }
}

void TileFile::readNextLine(std::uint8_t* line) {
  readExactly(line, kBytesPerLine, std::int64_t(nextLine_) * kBytesPerLine, nextLine_);
  ++nextLine_;
}

void TileFile::skipLines(int count) {
  if (count <= 0) return;
  thread_local std::vector<std::uint8_t> scratch;
  constexpr int kChunk = 32;
  scratch.resize(std::size_t(kChunk) * kBytesPerLine);
  while (count > 0) {
    const int lines = count < kChunk ? count : kChunk;
    readExactly(scratch.data(), std::size_t(lines) * kBytesPerLine, std::int64_t(nextLine_) * kBytesPerLine,
                nextLine_);
    nextLine_ += lines;
    count -= lines;
  }
}

void TileFile::readLine(int record, std::uint8_t* line) {
  if (record < 0) {
    throw TileError("Line " + std::to_string(record) + " of the tile file " + quote(path_) + " does not exist");
  }
  readExactly(line, kBytesPerLine, std::int64_t(record) * kBytesPerLine, record);
  nextLine_ = record + 1;
}

int TileFile::readSample(int line, int column) {
  if (line < 0 || line >= kLinesPerTile || column < 0 || column >= kSamplesPerLine) {
    throw TileError("Line " + std::to_string(line) + ", column " + std::to_string(column) + " of the tile file " +
                    path_ + " does not exist");
  }
  std::uint8_t bytes[2];
  readExactly(bytes, 2, std::int64_t(line) * kBytesPerLine + std::int64_t(column) * 2, line);
  return decodeSample(bytes);
}

}  // namespace tarvelon
