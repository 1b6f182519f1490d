// Reading a small file whole (a settings file, a help file) without
// trusting what the name leads to: a FIFO would block, a device never
// ends, a huge file would fill the memory. Only an ordinary file up to a
// size limit is read.
#pragma once

#include <cstddef>
#include <string>

namespace tarvelon {

struct SmallFileRead {
  enum class Status {
    Ok,
    Missing,   // nothing by that name
    NotAFile,  // a folder, FIFO, device or socket
    TooLarge,  // more than the limit
    Failed,    // open or read failed: `error` says why
  };
  Status status = Status::Missing;
  int error = 0;         // errno, for Failed
  std::size_t size = 0;  // the file's size, for TooLarge
  bool truncated = false;  // with SmallFileLimit::Prefix: more bytes follow
};

// Reads the ordinary file at `path` (links followed) into `bytes` when it
// holds at most `maxBytes`. The file is opened without blocking and checked
// on the open descriptor, so it cannot be swapped for a FIFO in between.
// With `Limit::Prefix` a longer file is not refused: its first `maxBytes`
// bytes are read, and `truncated` is set.
enum class SmallFileLimit { Whole, Prefix };
SmallFileRead readSmallFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                            SmallFileLimit limit = SmallFileLimit::Whole);

// `line` without a UTF-8 byte order mark in front.
std::string withoutByteOrderMark(std::string line);

}  // namespace tarvelon
