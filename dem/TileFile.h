// Reading lines of one tile file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "dem/TileSet.h"

namespace tarvelon {

// An input/output error on a tile file. The message names the file and,
// for a failed read, the line.
class TileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One tile file, open for reading as records of kBytesPerLine bytes.
// Reads never go past the end of the file: a line that is not there in full
// throws TileError.
//
// Lines read in file order come from blocks of kBlockLines lines (about
// 1 MB) read at once: a tile is then read in about 130 system calls rather
// than one per line. Lines asked for out of order are read one at a time,
// unless the caller says it will read on in order (readAhead).
class TileFile {
 public:
  // Lines in one block read: 45 lines, 1,036,800 bytes.
  static constexpr int kBlockLines = 45;

  explicit TileFile(std::string path);  // throws TileError
  ~TileFile();
  TileFile(const TileFile&) = delete;
  TileFile& operator=(const TileFile&) = delete;

  // The next line in file order; valid until the next call on this file.
  const std::uint8_t* next();
  // The same, copied into `line` (kBytesPerLine bytes).
  void readNextLine(std::uint8_t* line);
  // Reads and drops the next `count` lines.
  void skipLines(int count);
  // Line `record` (0-based), wherever the file stands; valid until the next
  // call on this file.
  const std::uint8_t* line(int record);
  // The same, copied into `line`.
  void readLine(int record, std::uint8_t* line);
  // The one sample at `line`, `column`, decoded: a single positioned read
  // of its two bytes. A position outside the tile throws TileError.
  int readSample(int line, int column);
  // `count` samples of `line` from `column` on, as they are in the file:
  // a single positioned read of their bytes into `bytes`. A span outside
  // the tile throws TileError.
  void readSpan(int line, int column, int count, std::uint8_t* bytes);
  // With true, a line asked for by record that is not in the block in hand
  // starts a new block there, for a caller that goes on to the lines after
  // it (an area drawn at 100 %). Off by default: at larger steps most of a
  // block would be read for nothing.
  void readAhead(bool on) { readAhead_ = on; }

  const std::string& path() const { return path_; }
  // Number of the line the next next() gives.
  int nextLine() const { return nextLine_; }
  // System calls that read from the file so far.
  int reads() const { return reads_; }

 private:
  // Makes line `record` available in the block, reading `wanted` lines (at
  // least the one) from it on; a short read at the end of the file is kept
  // as long as the line asked for is whole.
  const std::uint8_t* fetch(int record, int wanted);
  [[noreturn]] void failRead(int line, int error) const;
  [[noreturn]] void failShort(int line) const;

  std::string path_;
  int fd_ = -1;
  int nextLine_ = 0;
  bool readAhead_ = false;
  int reads_ = 0;
  std::vector<std::uint8_t> block_;
  int blockFirst_ = 0;  // lines blockFirst_ .. blockFirst_ + blockLines_ - 1 are in block_
  int blockLines_ = 0;
};

}  // namespace tarvelon
