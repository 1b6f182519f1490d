// Scratch folders and sparse tile files for the tests.
#pragma once

#include <sys/resource.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dem/TileNames.h"
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

// While it lives, no file may grow past `bytes`: a full disk as a writer
// meets it. A write past the limit fails (EFBIG) instead of ending the
// process with SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*handler_)(int) = SIG_DFL;
};

// The sixteen published tile names in ascending order.
std::vector<std::string> publishedTileNames();

// Creates a tile file of `bytes` bytes (a whole tile by default) without
// writing its contents: the file is sparse and reads as zeros.
void makeSparseFile(const std::string& path, std::int64_t bytes = kTileBytes);

// The sixteen published tile names as files of `bytes` bytes in `folder`
// (whole sparse tiles by default; short ones where a test only lists them).
void makePublishedTiles(const std::string& folder, std::int64_t bytes = kTileBytes);

// The data folder of the renderers', the command line's and the windows'
// tests: sixteen full-size sparse tiles under the published names, in a
// scratch folder of their own or in `folder` (made if need be, and left to
// its owner to remove). Only the lines a test writes hold samples; every
// other sample reads as 0 m.
class SparseTiles {
 public:
  SparseTiles();
  explicit SparseTiles(const std::string& folder);
  SparseTiles(const SparseTiles&) = delete;
  SparseTiles& operator=(const SparseTiles&) = delete;

  const std::string& str() const { return folder_; }
  std::string file(const std::string& name) const { return folder_ + "/" + name; }
  // The file name of each tile, as the tile set assigns the names.
  const TileNames& names() const { return names_; }
  // Path of the file of tile t (0..15).
  std::string tileFile(int t) const { return file(names_.at(static_cast<std::size_t>(t))); }
  // Writes line `line` of tile t, each sample computed from its column.
  void writeLine(int t, int line, const std::function<int(int column)>& sample) const;
  // Cuts tile t short after `lines` whole lines: reading on past them is an
  // input error.
  void cutShort(int t, int lines) const;

 private:
  std::unique_ptr<ScratchDir> scratch_;
  std::string folder_;
  TileNames names_;
};

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
