// Reading lines of one tile file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

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
class TileFile {
 public:
  explicit TileFile(std::string path);  // throws TileError
  ~TileFile();
  TileFile(const TileFile&) = delete;
  TileFile& operator=(const TileFile&) = delete;

  // The next line in file order into `line` (kBytesPerLine bytes).
  void readNextLine(std::uint8_t* line);
  // Reads and drops the next `count` lines.
  void skipLines(int count);
  // Line `record` (0-based) into `line`, wherever the file stands.
  void readLine(int record, std::uint8_t* line);
  // The one sample at `line`, `column`, decoded: a single positioned read
  // of its two bytes. A position outside the tile throws TileError.
  int readSample(int line, int column);

  const std::string& path() const { return path_; }
  // Number of the line the next readNextLine gives.
  int nextLine() const { return nextLine_; }

 private:
  void readExactly(std::uint8_t* into, std::size_t bytes, std::int64_t offset, int firstLine);

  std::string path_;
  int fd_ = -1;
  int nextLine_ = 0;
};

}  // namespace tarvelon
