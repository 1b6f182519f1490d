// Writing a file so that a failure never harms the file it replaces: the
// bytes go to a temporary file beside it, renamed into place at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvelon {

class WriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class AtomicFile {
 public:
  // Creates the temporary file beside `path`; throws WriteError.
  explicit AtomicFile(std::string path);
  // Removes the temporary file unless commit() succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Buffered; throws WriteError (a full disk, for instance).
  void write(const void* data, std::size_t size);
  void write(const std::string& text) { write(text.data(), text.size()); }
  // Unbuffered write of `count` pieces, one after another, at `offset` in
  // the file, whatever has been written so far.
  struct Piece {
    const void* data;
    std::size_t size;
  };
  void writeAt(std::int64_t offset, const Piece* pieces, int count);
  // Reserves `size` bytes of disk for the file up front, so that a full
  // disk shows before any work is done rather than part way through.
  // Throws WriteError.
  void allocate(std::int64_t size);
  // Flushes, closes and renames into place. With `sync` the bytes reach the
  // disk before the rename.
  void commit(bool sync = true);
  // commit() in two steps, for a set of files that should all appear
  // together: finish() writes and closes, publish() renames.
  void finish(bool sync = true);
  void publish();

  const std::string& path() const { return path_; }

 private:
  void flush();
  [[noreturn]] void fail(const std::string& what, int error);

  std::string path_;
  std::string temporary_;
  int fd_ = -1;
  bool committed_ = false;
  std::vector<char> buffer_;
};

}  // namespace tarvelon
