// The published global MEGDR grids (4 to 64 samples per degree) in memory:
// reading them, interpolating them, and the grid as an ElevationSource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dem/ElevationSource.h"

namespace tarvelon {

// A global grid in the MEGDR layout: `perDegree` samples per degree, line 0
// centred half a sample south of 90 N, sample 0 centred half a sample east
// of 0 E; lines run south, samples east. As an ElevationSource its grid is
// width x height from 0 E and 90 N, the whole planet; samples are rounded
// to whole metres.
struct GlobalGrid final : ElevationSource {
  int perDegree = 0;
  int width = 0;   // 360 * perDegree
  int height = 0;  // 180 * perDegree
  std::vector<float> metres;

  float at(int line, int sample) const { return metres[std::size_t(line) * width + sample]; }
  // Bilinear elevation at a point (longitude in any range, east positive),
  // wrapping across the date line and holding the polar lines.
  double interpolate(double latitude, double longitude) const;

  GridSpec grid() const override { return GridSpec{width, height, perDegree, 0.0, 90.0, kMarsSphereCrs}; }
  void block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step, std::int16_t* out) override;
  void gather(const GridIndex* indices, int count, std::int16_t* out) override;
};

// Samples per degree of a global MEGDR file of this size, or 0.
int globalGridResolution(std::uint64_t bytes);

// Reads a global grid of 16-bit big-endian samples. Throws
// std::runtime_error with a message for the user.
GlobalGrid loadGlobalGrid(const std::string& path);

}  // namespace tarvelon
