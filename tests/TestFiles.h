// Scratch folders and sparse tile files for the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dem/TileSet.h"

namespace tarvelon::testing {

// A fresh folder under the system's temporary folder, removed at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The sixteen published tile names in ascending order.
std::vector<std::string> publishedTileNames();

// Creates a tile file of `bytes` bytes (a whole tile by default) without
// writing its contents: the file is sparse and reads as zeros.
void makeSparseFile(const std::string& path, std::int64_t bytes = kTileBytes);

// Writes the samples of line `line` of a tile file, computed by `sample`
// from the column.
void writeTileLine(const std::string& path, int line, const std::function<int(int column)>& sample);

// Writes raw bytes at an offset.
void writeBytes(const std::string& path, std::int64_t offset, const std::vector<std::uint8_t>& bytes);

// Writes an ordinary text file.
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

}  // namespace tarvelon::testing
