#include "dem/TileSetReader.h"

#include <stdexcept>
#include <utility>

namespace tarvelon {

TileSetReader::TileSetReader(std::string demFolder, TileNames names) { use(std::move(demFolder), std::move(names)); }

std::size_t TileSetReader::index(int tile) {
  if (tile < 0 || tile >= kTileCount) throw std::out_of_range("There is no tile " + std::to_string(tile));
  return static_cast<std::size_t>(tile);
}

void TileSetReader::use(std::string demFolder, TileNames names) {
  if (demFolder == demFolder_ && names == names_) return;
  demFolder_ = std::move(demFolder);
  names_ = std::move(names);
  for (int t = 0; t < kTileCount; ++t) setPath(t, tilePath(demFolder_, names_[index(t)]));
}

void TileSetReader::setPath(int tile, std::string path) {
  const std::size_t i = index(tile);
  if (paths_[i] == path) return;
  paths_[i] = std::move(path);
  files_[i].reset();
}

TileFile& TileSetReader::file(int tile) {
  std::unique_ptr<TileFile>& file = files_[index(tile)];
  if (!file) {
    file = std::make_unique<TileFile>(paths_[index(tile)]);
    ++opens_;
  }
  return *file;
}

const std::uint8_t* TileSetReader::line(int tile, int line) {
  try {
    return file(tile).line(line);
  } catch (const TileError&) {
    close(tile);
    throw;
  }
}

void TileSetReader::span(int tile, int line, int column, int count, std::uint8_t* bytes) {
  try {
    file(tile).readSpan(line, column, count, bytes);
  } catch (const TileError&) {
    close(tile);
    throw;
  }
}

int TileSetReader::sample(int tile, int line, int column) {
  try {
    return file(tile).readSample(line, column);
  } catch (const TileError&) {
    close(tile);
    throw;
  }
}

void TileSetReader::close() {
  for (std::unique_ptr<TileFile>& file : files_) file.reset();
}

}  // namespace tarvelon
