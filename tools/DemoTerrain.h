// Demo sets of tiles from a global MEGDR grid (4 to 64 samples per degree):
// the grid interpolated into tile lines, and the texts that go with the set.
#pragma once

#include <cstdint>
#include <string>

#include "dem/GlobalGrid.h"

namespace tarvelon::demo {

// The global grids belong to the tile set (dem/GlobalGrid.h); these names
// serve the demo builder and the asset pictures.
using tarvelon::GlobalGrid;
using tarvelon::globalGridResolution;
using tarvelon::loadGlobalGrid;

// Line `line` of tile `tile` (0..15), each sample interpolated from the
// grid at its centre, as kBytesPerLine big-endian bytes.
void tileLine(const GlobalGrid& grid, int tile, int line, std::uint8_t* out);

// What the tiles of a demo set hold, for the README.txt beside them and
// the closing line of make-data: "elevations interpolated ... from" a grid,
// and how much coarser it is than the real tiles.
std::string gridSourceText(const std::string& gridPath, int perDegree);

// The README.txt of a demo set whose tiles hold `source`.
std::string readmeText(const std::string& source);

}  // namespace tarvelon::demo
