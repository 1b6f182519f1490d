#include "core/SmallFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tarvelon {

SmallFileRead readSmallFile(const std::string& path, std::size_t maxBytes, std::string& bytes, SmallFileLimit limit) {
  bytes.clear();
  SmallFileRead read;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    read.error = errno;
    read.status = read.error == ENOENT ? SmallFileRead::Status::Missing : SmallFileRead::Status::Failed;
    return read;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    read.error = errno;
    read.status = SmallFileRead::Status::Failed;
  } else if (!S_ISREG(info.st_mode)) {
    read.status = SmallFileRead::Status::NotAFile;
  } else if (limit == SmallFileLimit::Whole && static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    read.status = SmallFileRead::Status::TooLarge;
    read.size = static_cast<std::size_t>(info.st_size);
  } else {
    // The file may grow while it is read: one byte past the limit says so.
    bytes.resize(maxBytes + 1);
    std::size_t done = 0;
    read.status = SmallFileRead::Status::Ok;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        read.error = errno;
        read.status = SmallFileRead::Status::Failed;
        break;
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    if (read.status == SmallFileRead::Status::Ok && done > maxBytes) {
      if (limit == SmallFileLimit::Prefix) {
        read.truncated = true;
        done = maxBytes;
      } else {
        read.status = SmallFileRead::Status::TooLarge;
        read.size = done;
      }
    }
    bytes.resize(read.status == SmallFileRead::Status::Ok ? done : 0);
  }
  ::close(fd);
  return read;
}

std::string withoutByteOrderMark(std::string line) {
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  return line;
}

}  // namespace tarvelon
