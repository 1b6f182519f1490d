// A window of an elevation source's even grid, as a map draws it: which
// sample each pixel shows.
#pragma once

#include <cstdint>

namespace tarvelon {

// Pixel (x, y) shows the grid sample at column firstColumn + (x / zoom) *
// step (counted round the planet) and line firstLine + (y / zoom) * step;
// lines off the grid show no sample. A zoom above 1 shows each sample as
// zoom x zoom pixels, for places too small to see at one pixel a sample.
struct GridWindow {
  std::int64_t firstColumn = 0;
  int firstLine = 0;
  int width = 0;  // pixels
  int height = 0;
  int step = 1;
  int zoom = 1;
  bool operator==(const GridWindow&) const = default;

  // Samples across and down that the pixels show.
  int samplesWide() const { return (width + zoom - 1) / zoom; }
  int samplesHigh() const { return (height + zoom - 1) / zoom; }
};

}  // namespace tarvelon
