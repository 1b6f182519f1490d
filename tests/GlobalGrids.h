// Global elevation grids of chosen values, for the tests of the demo data
// builder and of the pictures made from a global grid.
#pragma once

#include <cstddef>
#include <functional>

#include "tools/DemoTerrain.h"

namespace tarvelon::testing {

// The whole planet at `perDegree` samples a degree, each sample's metres
// computed from its line and sample.
inline demo::GlobalGrid globalGrid(int perDegree, const std::function<float(int line, int sample)>& metres) {
  demo::GlobalGrid grid;
  grid.perDegree = perDegree;
  grid.width = 360 * perDegree;
  grid.height = 180 * perDegree;
  grid.metres.resize(std::size_t(grid.width) * grid.height);
  for (int line = 0; line < grid.height; ++line) {
    for (int sample = 0; sample < grid.width; ++sample) {
      grid.metres[std::size_t(line) * grid.width + sample] = metres(line, sample);
    }
  }
  return grid;
}

}  // namespace tarvelon::testing
