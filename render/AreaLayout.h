// Where an area of whole degrees lies in the tile set: the area fitted to
// the tiles, the step chosen for its size, and the tile, line and column
// of every sample its map shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dem/TileSet.h"

namespace tarvelon {

// The largest map the area renderer draws into a raster; an area of the
// whole planet at 100 % would take gigabytes. A host with a row sink
// keeps no raster and has no such limit.
inline constexpr std::int64_t kMaxAreaPixels = 500'000'000;

// "12°": whole degrees as the area texts write them (UTF-8).
std::string degreesText(int value);

// Step for an area of this size: the larger of the width's and the
// height's step. Sizes below 1 degree take the step of 1 degree, sizes
// above 500 degrees that of 500.
int chooseStep(int west, int north, int east, int south);

// A rectangle of whole degrees: west, north, east, south.
struct AreaBounds {
  int west = 0;
  int north = 0;
  int east = 0;
  int south = 0;
  bool operator==(const AreaBounds&) const = default;
};

// An area made ready for drawing: the west edge brought into -180 .. 179
// (both longitudes moved by whole turns), the latitudes cut to the
// 88 N .. 88 S of the tile set.
struct FittedArea {
  bool drawable = false;
  AreaBounds bounds;
  std::string note;     // what was cut off, for the user; empty when nothing was
  std::string refusal;  // why nothing can be drawn, when not drawable
};
FittedArea fitArea(int west, int north, int east, int south);

// One drawn row: the tile row it is read from, counted south from the
// north-west corner's tile (0, 1, ...), and the line within that tile.
struct RowSource {
  int tileRow = 0;
  int line = 0;
};

// Drawn columns of one tile: the tile column counted east from the
// north-west corner's tile (0, 1, ...; across the 180 degree meridian),
// the first column and how many columns, sampleStep apart.
struct ColumnRun {
  int tileColumn = 0;
  int firstColumn = 0;
  int count = 0;
};

// Where every sample of an area map comes from.
struct AreaLayout {
  int tile = kNoTile;  // the tile of the north-west corner
  TileBox box;         // and its box
  int firstLine = 0, lastLine = 0;
  int firstColumn = 0, lastColumn = 0;
  int rasterWidth = 0, rasterHeight = 0;
  // Row y of the map shows rows[y]; a row past rasterHeight is read but
  // not shown. Every row shows the runs in order, from x = 0; samples past
  // rasterWidth are not shown.
  std::vector<RowSource> rows;
  std::vector<ColumnRun> columns;

  // Tile number at a tile row and column as counted above.
  int tileOf(int tileRow, int tileColumn) const;
  std::int64_t pixels() const { return std::int64_t(rasterWidth) * rasterHeight; }
};

// Layout of a fitted area at a step (1 .. kLargestStep).
AreaLayout layoutArea(const AreaBounds& area, int sampleStep);

}  // namespace tarvelon
