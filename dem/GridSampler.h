// The sixteen MEGDR128 tiles as one even global grid: any sample, any block,
// across every join between tiles and across the 180 degree meridian.
#pragma once

#include <cstdint>
#include <string>

#include "dem/ElevationSource.h"
#include "dem/TileNames.h"
#include "dem/TileSet.h"
#include "dem/TileSetReader.h"

namespace tarvelon {

// The grid of the tiles: 46080 x 22528 samples, 128 a degree, line 0 from
// 88 N (its centre 0.5/128 degree south of it), column 0 from 180 W. Grid
// column c is column c % 11520 of tile column c / 11520; grid line l is line
// l % 5632 of tile row l / 5632.
inline constexpr std::int64_t kGridColumns = std::int64_t(kTileColumns) * kSamplesPerLine;  // 46080
inline constexpr int kGridLines = kTileRows * kLinesPerTile;                                 // 22528
inline constexpr GridSpec kTileGridSpec{kGridColumns, kGridLines, kSamplesPerDegree, -180.0, 88.0, kMarsSphereCrs};

// The tiles of a data folder as an ElevationSource.
//
// A missing or short tile is an error (TileError naming the file and the
// line), as it is for the renderers, rather than no data: no data means
// off the planet's grid, never a tile that could not be read.
//
// One sampler per thread: it reads through a TileSetReader of its own,
// which is not thread-safe. A sampler is cheap to make, as its files are
// opened when first read; samplers on different threads may read the same
// tiles at once.
class GridSampler final : public ElevationSource {
 public:
  GridSampler(std::string demFolder, TileNames names);
  explicit GridSampler(TileSetReader tiles);

  GridSpec grid() const override { return kTileGridSpec; }
  void block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step, std::int16_t* out) override;
  void gather(const GridIndex* indices, int count, std::int16_t* out) override;

  TileSetReader& tiles() { return tiles_; }

 private:
  TileSetReader tiles_;
};

}  // namespace tarvelon
