#include "dem/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarvelon {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
std::atomic<unsigned> temporaryCounter{0};
}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = path_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(temporaryCounter++);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error = errno;
    throw WriteError("Cannot write " + path_ + ": " + std::strerror(error));
  }
  buffer_.reserve(kBufferSize);
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(temporary_.c_str());
}

void AtomicFile::fail(const std::string& what, int error) {
  throw WriteError(what + " " + path_ + ": " + std::strerror(error) + ". The file was not changed.");
}

void AtomicFile::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t put = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write", errno);
    }
    done += static_cast<std::size_t>(put);
  }
  buffer_.clear();
}

void AtomicFile::write(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const std::size_t room = kBufferSize - buffer_.size();
    const std::size_t take = size < room ? size : room;
    buffer_.insert(buffer_.end(), bytes, bytes + take);
    bytes += take;
    size -= take;
    if (buffer_.size() == kBufferSize) flush();
  }
}

void AtomicFile::writeAt(std::int64_t offset, const Piece* pieces, int count) {
  std::vector<iovec> parts;
  parts.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (pieces[i].size > 0) parts.push_back(iovec{const_cast<void*>(pieces[i].data), pieces[i].size});
  }
  std::size_t first = 0;
  while (first < parts.size()) {
    const int batch = static_cast<int>(std::min<std::size_t>(parts.size() - first, IOV_MAX));
    const ssize_t put = ::pwritev(fd_, parts.data() + first, batch, offset);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write", errno);
    }
    offset += put;
    // Step over the pieces written whole, and into a piece written in part.
    auto left = static_cast<std::size_t>(put);
    while (first < parts.size() && left >= parts[first].iov_len) left -= parts[first++].iov_len;
    if (left > 0) {
      parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + left;
      parts[first].iov_len -= left;
    }
  }
}

void AtomicFile::allocate(std::int64_t size) {
  if (size <= 0) return;
  const int error = ::posix_fallocate(fd_, 0, static_cast<off_t>(size));
  if (error == EINVAL || error == EOPNOTSUPP) {
    // A file system without allocation: the size alone, checked at write.
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail("Cannot write", errno);
    return;
  }
  if (error != 0) fail("Cannot write", error);
}

void AtomicFile::finish(bool sync) {
  if (fd_ < 0) return;
  flush();
  if (sync && ::fsync(fd_) != 0) fail("Cannot write", errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("Cannot write", errno);
}

void AtomicFile::publish() {
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) fail("Cannot replace", errno);
  committed_ = true;
}

void AtomicFile::commit(bool sync) {
  finish(sync);
  publish();
}

}  // namespace tarvelon
