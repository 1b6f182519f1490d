// The sixteen MEGDR128 tiles as one even global grid: any sample, any block,
// across every join between tiles and across the 180 degree meridian.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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
//
// gather() reads in one of two ways. Samples gathered close together (a
// map at about a pixel a sample) come from pieces of lines, one read each,
// kept in a cache of at most kCacheBytes and reused oldest first: a
// projected map, whose rows wander across lines and tiles, reads each piece
// about once. Samples gathered far apart (setGatherSpacing), best many rows
// of a map at once, are sorted by line: each line they touch is read once
// a gather, from its first sample to its last.
class GridSampler final : public ElevationSource {
 public:
  static constexpr int kCacheBytes = 4 << 20;
  static constexpr int kMappedBytes = 1 << 30;

  GridSampler(std::string demFolder, TileNames names);
  explicit GridSampler(TileSetReader tiles);

  GridSpec grid() const override { return kTileGridSpec; }
  void block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step, std::int16_t* out) override;
  void gather(const GridIndex* indices, int count, std::int16_t* out) override;

  TileSetReader& tiles() { return tiles_; }

  // About how many samples apart the indices of a gather lie: 1 (the
  // default) for a map at about a pixel a sample, more for a coarser one,
  // which from 2 on is read line by line.
  void setGatherSpacing(double samples) { byLine_ = samples >= 2; }

 private:
  // The cache slot holding piece `key`, read into one when not there.
  int segmentSlot(int key);
  void gatherByLine(const GridIndex* indices, int count, std::int16_t* out);

  TileSetReader tiles_;
  // By piece (tile, line, piece of the line): its slot + 1, or 0. Made at
  // the first gather, zeroed by the system: only the parts of it a map
  // touches take memory.
  struct Free {
    void operator()(std::uint16_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint16_t[], Free> slotOf_;
  std::vector<std::int32_t> keyOf_;  // by slot: the piece it holds
  std::vector<std::uint8_t> bytes_;  // by slot: its samples as in the file
  int nextSlot_ = 0;                 // the slot to fill next

  bool byLine_ = false;
  // gatherByLine's own: the indices by line, and a line's bytes.
  std::vector<std::int64_t> keys_;  // by index: its line (tile and line) and column, or -1
  std::vector<std::int32_t> firstOfLine_;
  std::vector<std::int32_t> next_;
  std::vector<std::int32_t> order_;
  std::vector<std::uint8_t> line_;
  std::vector<std::uint8_t> span_;  // block's narrow reads
};

}  // namespace tarvelon
