#include "dem/TileFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/MessageText.h"

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

void TileFile::failRead(int line, int error) const {
  throw TileError("Cannot read line " + std::to_string(line) + " of the tile file " + quote(path_) + ": " +
                  std::strerror(error));
}

void TileFile::failShort(int line) const {
  throw TileError("The tile file " + quote(path_) + " ends before line " + std::to_string(line) +
                  ": it is shorter than a MEGDR128 tile (" + std::to_string(kTileBytes) + " bytes)");
}

const std::uint8_t* TileFile::fetch(int record, int wanted) {
  if (record < 0) {
    throw TileError("Line " + std::to_string(record) + " of the tile file " + quote(path_) + " does not exist");
  }
  const std::size_t bytes = std::size_t(wanted) * kBytesPerLine;
  if (block_.size() < bytes) block_.resize(bytes);
  blockLines_ = 0;
  const std::int64_t offset = std::int64_t(record) * kBytesPerLine;
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t got = ::pread(fd_, block_.data() + done, bytes - done, offset + static_cast<std::int64_t>(done));
    ++reads_;
    if (got < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      failRead(record + static_cast<int>(done / kBytesPerLine), error);
    }
    if (got == 0) break;  // the end of the file
    done += static_cast<std::size_t>(got);
  }
  if (done < kBytesPerLine) failShort(record);
  blockFirst_ = record;
  blockLines_ = static_cast<int>(done / kBytesPerLine);
  return block_.data();
}

int TileFile::readSample(int line, int column) {
  std::uint8_t bytes[2];
  readSpan(line, column, 1, bytes);
  return decodeSample(bytes);
}

void TileFile::readSpan(int line, int column, int count, std::uint8_t* bytes) {
  if (line < 0 || line >= kLinesPerTile || column < 0 || count < 1 || column > kSamplesPerLine - count) {
    throw TileError("Line " + std::to_string(line) + ", column " + std::to_string(column) + " of the tile file " +
                    path_ + " does not exist");
  }
  const std::size_t size = std::size_t(count) * 2;
  const std::int64_t offset = std::int64_t(line) * kBytesPerLine + std::int64_t(column) * 2;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd_, bytes + done, size - done, offset + static_cast<std::int64_t>(done));
    ++reads_;
    if (got < 0) {
      if (errno == EINTR) continue;
      failRead(line, errno);
    }
    if (got == 0) failShort(line);
    done += static_cast<std::size_t>(got);
  }
}

const std::uint8_t* TileFile::next() {
  const std::uint8_t* line = nullptr;
  if (nextLine_ >= blockFirst_ && nextLine_ < blockFirst_ + blockLines_) {
    line = block_.data() + std::size_t(nextLine_ - blockFirst_) * kBytesPerLine;
  } else {
    line = fetch(nextLine_, kBlockLines);
  }
  ++nextLine_;
  return line;
}

void TileFile::readNextLine(std::uint8_t* line) { std::memcpy(line, next(), kBytesPerLine); }

void TileFile::skipLines(int count) {
  // Every line skipped is read: a file too short for them is an error here,
  // as it would be for a reader going through them.
  while (count > 0) {
    if (nextLine_ < blockFirst_ || nextLine_ >= blockFirst_ + blockLines_) fetch(nextLine_, kBlockLines);
    const int inBlock = blockFirst_ + blockLines_ - nextLine_;
    const int skipped = count < inBlock ? count : inBlock;
    nextLine_ += skipped;
    count -= skipped;
  }
}

const std::uint8_t* TileFile::line(int record) {
  const std::uint8_t* line = nullptr;
  if (record >= blockFirst_ && record < blockFirst_ + blockLines_) {
    line = block_.data() + std::size_t(record - blockFirst_) * kBytesPerLine;
  } else {
    line = fetch(record, readAhead_ ? kBlockLines : 1);
  }
  nextLine_ = record + 1;
  return line;
}

void TileFile::readLine(int record, std::uint8_t* line) { std::memcpy(line, this->line(record), kBytesPerLine); }

}  // namespace tarvelon
