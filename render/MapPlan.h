// What a map will be before a sample of it is read: its size, the step it
// is drawn at, where each of its pixels lies, and which rows the renderer
// reads. Both renderers draw from the plan, and so does whoever must know
// the map beforehand (the command-line tool makes its file from it).
#pragma once

#include <optional>
#include <string>

#include "render/AreaLayout.h"
#include "render/MapGeometry.h"

namespace tarvelon {

struct MapSize {
  int width = 0;
  int height = 0;
};

// Size of a whole-tile map at a step: 11519 and 5632 divided by the step,
// rounded with halves to even.
MapSize tileMapSize(int sampleStep);

// Lines the tile renderer reads at a step, one a row from line 0: it reads
// on while the line counter, which starts at 1 and goes up by the step
// with every line, stays below 5632 - step. Rows past the map's height
// are read but not shown.
int tileLinesRead(int sampleStep);
// Samples the tile renderer reads of each line: columns 0, step, ... below
// column 11519 (at step 13 one more than the map's width).
int tileSamplesRead(int sampleStep);

struct MapPlan {
  enum class Refusal {
    None,
    Unfit,     // the area has nothing to draw (fitArea's refusal)
    TooSmall,  // no whole pixel at this step
    TooLarge,  // past kMaxAreaPixels for a host that keeps the raster
  };
  Refusal refusal = Refusal::None;
  // What the host is told: why nothing is drawn, or what was cut off the
  // area (empty when nothing was).
  std::string refusalText;
  std::string note;

  int tile = kNoTile;   // the tile of a tile map
  AreaBounds bounds;    // an area as fitted to the tile set
  int step = 0;         // the sample step drawn at
  bool stepChosen = false;  // an area's own step, chosen for its size
  AreaLayout layout;    // where an area's samples come from
  int width = 0;
  int height = 0;
  MapGeometry geometry;
  // Rows the renderer reads, the last ones possibly past the map's height:
  // the tile loop's lines, or the area layout's rows.
  int rowsRead = 0;

  bool drawable() const { return refusal == Refusal::None; }
};

// The whole tile `tile` at `sampleStep`. Throws std::invalid_argument for
// a step outside 1 .. kLargestStep.
MapPlan planTile(int tile, int sampleStep);

// The area (west, north, east, south), fitted by fitArea, at `sampleStep`
// or, without one, at its own step (chooseStep). A host that `keepsRaster`
// cannot take more than kMaxAreaPixels. A refused plan holds the texts
// drawArea informs the host of; the step and layout only once the area
// fitted. Throws std::invalid_argument for a step outside 1 .. kLargestStep.
MapPlan planArea(int west, int north, int east, int south, std::optional<int> sampleStep, bool keepsRaster);

}  // namespace tarvelon
