// Bytes for a file through AtomicFile, gathered so that the file system
// sees writes of several megabytes rather than one per row or per chunk of
// a compressor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/AtomicFile.h"

namespace tarvelon {

class FileOutput {
 public:
  static constexpr std::size_t kGather = std::size_t(8) << 20;

  // Creates the temporary file; throws WriteError.
  explicit FileOutput(const std::string& path) : file_(path) { buffer_.reserve(kGather); }

  // Writes at `offset`. Writes that follow on from the one before are
  // gathered; any other flushes first. Throws WriteError.
  void write(std::int64_t offset, const void* data, std::size_t size) {
    if (offset != start_ + static_cast<std::int64_t>(buffer_.size())) {
      flush();
      start_ = offset;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
      const std::size_t room = kGather - buffer_.size();
      const std::size_t take = size < room ? size : room;
      buffer_.insert(buffer_.end(), bytes, bytes + take);
      bytes += take;
      size -= take;
      if (buffer_.size() == kGather) flush();
    }
    const std::int64_t reached = start_ + static_cast<std::int64_t>(buffer_.size());
    if (reached > end_) end_ = reached;
  }
  void append(const void* data, std::size_t size) { write(end_, data, size); }
  void flush() {
    if (!buffer_.empty()) {
      const AtomicFile::Piece piece{buffer_.data(), buffer_.size()};
      file_.writeAt(start_, &piece, 1);
    }
    start_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
  }
  // One past the last byte written.
  std::int64_t end() const { return end_; }
  AtomicFile& file() { return file_; }

 private:
  AtomicFile file_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t start_ = 0;  // offset of buffer_[0]
  std::int64_t end_ = 0;
};

}  // namespace tarvelon
