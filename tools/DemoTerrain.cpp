#include "tools/DemoTerrain.h"

#include <algorithm>
#include <cmath>

#include "dem/TileSet.h"

namespace tarvelon::demo {

void tileLine(const GlobalGrid& grid, int tile, int line, std::uint8_t* out) {
  const TileBox box = tileBox(tile);
  const double latitude = box.tileNorth - (line + 0.5) / kSamplesPerDegree;
  const double y = (90.0 - latitude) * grid.perDegree - 0.5;
  const double yf = std::floor(y);
  const float wy = static_cast<float>(y - yf);
  const float* row0 = &grid.metres[std::size_t(std::clamp(int(yf), 0, grid.height - 1)) * grid.width];
  const float* row1 = &grid.metres[std::size_t(std::clamp(int(yf) + 1, 0, grid.height - 1)) * grid.width];
  const double westEast = box.tileWest < 0 ? box.tileWest + 360.0 : box.tileWest;
  const double xStart = (westEast + 0.5 / kSamplesPerDegree) * grid.perDegree - 0.5;
  const double xStep = double(grid.perDegree) / kSamplesPerDegree;
  for (int j = 0; j < kSamplesPerLine; ++j) {
    double x = xStart + j * xStep;
    if (x >= grid.width - 0.5) x -= grid.width;
    const double xf = std::floor(x);
    const float wx = static_cast<float>(x - xf);
    int x0 = static_cast<int>(xf);
    int x1 = x0 + 1;
    if (x0 < 0) x0 += grid.width;
    if (x1 >= grid.width) x1 -= grid.width;
    const float top = row0[x0] + (row0[x1] - row0[x0]) * wx;
    const float bottom = row1[x0] + (row1[x1] - row1[x0]) * wx;
    const long v = std::lround(top + (bottom - top) * wy);
    const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(v, -32768L, 32767L)));
    out[2 * j] = static_cast<std::uint8_t>(sample >> 8);
    out[2 * j + 1] = static_cast<std::uint8_t>(sample & 0xFF);
  }
}

std::string gridSourceText(const std::string& gridPath, int perDegree) {
  std::string text = "elevations interpolated (bilinear) from the global grid " + gridPath + " (" +
                     std::to_string(perDegree) + " samples per degree";
  if (perDegree > 0 && perDegree < kSamplesPerDegree) {
    text += ", " + std::to_string(kSamplesPerDegree / perDegree) + " times coarser than the real tiles";
  }
  return text + ")";
}

std::string readmeText(const std::string& source) {
  return "Demo MEGDR128 tile set for Tarvelon\n\nThe sixteen tiles in this folder hold " + source +
         ".\nEach is 5632 lines of 11520 big-endian signed 16-bit samples (metres), 128 per degree.\n"
         "The real tiles are the MGS MOLA MEGDR files megt*hb.img of NASA's Planetary Data System.\n";
}

}  // namespace tarvelon::demo
