// Scratch folders and sparse tile files for the tests.
#pragma once

#include <array>
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

// While it lives, the tests act as an ordinary user (nobody) when they run
// as root, so that permissions stop them as they would stop a user.
class AsOrdinaryUser {
 public:
  AsOrdinaryUser();
  ~AsOrdinaryUser();
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
};

// While it lives, nothing in `folder` can be added, removed or renamed: the
// folder is immutable when the tests run as root, mode 0555 otherwise.
// frozen() is false where the file system cannot do it.
class FrozenFolder {
 public:
  explicit FrozenFolder(const std::string& folder);
  ~FrozenFolder();
  FrozenFolder(const FrozenFolder&) = delete;
  FrozenFolder& operator=(const FrozenFolder&) = delete;
  bool frozen() const { return frozen_; }

 private:
  std::string folder_;
  bool frozen_ = false;
  bool immutable_ = false;
};

// The sixteen published tile names in ascending order.
std::vector<std::string> publishedTileNames();

// Creates a tile file of `bytes` bytes (a whole tile by default) without
// writing its contents: the file is sparse and reads as zeros.
void makeSparseFile(const std::string& path, std::int64_t bytes = kTileBytes);

// Sixteen sparse tiles in `folder`, named t0.img .. t15.img; their names.
std::array<std::string, kTileCount> makeSparseTileSet(const std::string& folder);

// Writes the samples of line `line` of a tile file, computed by `sample`
// from the column.
void writeTileLine(const std::string& path, int line, const std::function<int(int column)>& sample);

// Writes raw bytes at an offset.
void writeBytes(const std::string& path, std::int64_t offset, const std::vector<std::uint8_t>& bytes);

// Writes an ordinary text file.
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

}  // namespace tarvelon::testing
