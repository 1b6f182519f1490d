// The tile files of a data folder, opened as they are needed and kept open:
// the one way in to the tiles for the renderers, the readout, the legend and
// the grid sampler.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "dem/TileFile.h"
#include "dem/TileNames.h"
#include "dem/TileSet.h"

namespace tarvelon {

// Reads the sixteen tiles of a folder, each through one TileFile opened at
// its first use and kept open until close(). A tile whose file could not be
// opened, or whose read through line() or sample() failed, is opened afresh
// at its next use: the file may have come back.
//
// Errors are the TileErrors of TileFile, naming the file and the line.
//
// Not thread-safe: the files' blocks and positions are shared by every call,
// so each thread that reads tiles needs a reader of its own. Readers are
// cheap until their files are opened.
class TileSetReader {
 public:
  TileSetReader() = default;
  TileSetReader(std::string demFolder, TileNames names);
  TileSetReader(TileSetReader&&) noexcept = default;
  TileSetReader& operator=(TileSetReader&&) noexcept = default;

  // Reads from another folder or other names from now on; only the tiles
  // whose path changes are closed.
  void use(std::string demFolder, TileNames names);
  // The file of `tile` is `path`, wherever the folder is (a tile map's own
  // file); closes the tile when its path changes.
  void setPath(int tile, std::string path);

  const std::string& demFolder() const { return demFolder_; }
  const TileNames& names() const { return names_; }
  const std::string& path(int tile) const { return paths_[index(tile)]; }

  // The open file of `tile`, for reading its lines in file order with
  // next(), skipLines() and readAhead(). Throws TileError.
  TileFile& file(int tile);
  // Line `line` of `tile` as kBytesPerLine big-endian bytes; valid until the
  // next call on this tile. Throws TileError.
  const std::uint8_t* line(int tile, int line);
  // The one sample at `line`, `column` of `tile`: a single positioned read
  // of its two bytes. Throws TileError.
  int sample(int tile, int line, int column);
  // TileFile::readSpan of the tile, closing it on an error as line() does.
  void span(int tile, int line, int column, int count, std::uint8_t* bytes);

  bool isOpen(int tile) const { return files_[index(tile)] != nullptr; }
  // Files opened so far, over the reader's life.
  int opens() const { return opens_; }

  void close(int tile) { files_[index(tile)].reset(); }
  void close();

 private:
  // `tile` as an index of the arrays; throws std::out_of_range outside 0..15.
  static std::size_t index(int tile);

  std::string demFolder_;
  TileNames names_;
  std::array<std::string, kTileCount> paths_;
  std::array<std::unique_ptr<TileFile>, kTileCount> files_;
  int opens_ = 0;
};

}  // namespace tarvelon
