// Elevation grids of the whole planet, for building a demo set of tiles:
// the published global MEGDR grids (4 to 64 samples per degree), or a
// synthetic planet of Tarvelon's own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvelon::demo {

// A global grid in the MEGDR layout: `perDegree` samples per degree, line 0
// centred half a sample south of 90 N, sample 0 centred half a sample east
// of 0 E; lines run south, samples east.
struct GlobalGrid {
  int perDegree = 0;
  int width = 0;   // 360 * perDegree
  int height = 0;  // 180 * perDegree
  std::vector<float> metres;

  float at(int line, int sample) const { return metres[std::size_t(line) * width + sample]; }
  // Bilinear elevation at a point (longitude in any range, east positive),
  // wrapping across the date line and holding the polar lines.
  double interpolate(double latitude, double longitude) const;
};

// Samples per degree of a global MEGDR file of this size, or 0.
int globalGridResolution(std::uint64_t bytes);

// Reads a global grid of 16-bit big-endian samples. Throws
// std::runtime_error with a message for the user.
GlobalGrid loadGlobalGrid(const std::string& path);

// The synthetic planet's elevation in metres at a point: deterministic,
// Mars-like (lowlands, Tharsis and its volcanoes, Hellas, Argyre, Valles
// Marineris, craters), not real data.
double syntheticElevation(double latitude, double longitude);

// The synthetic planet as a global grid, computed on `threads` threads.
GlobalGrid syntheticPlanet(int perDegree, int threads);

// Line `line` of tile `tile` (0..15), each sample interpolated from the
// grid at its centre, as kBytesPerLine big-endian bytes.
void tileLine(const GlobalGrid& grid, int tile, int line, std::uint8_t* out);

// What the tiles of a demo set hold, for the README.txt beside them and
// the closing line of make-data: "elevations interpolated ... from" a grid,
// or the synthetic planet.
std::string gridSourceText(const std::string& gridPath, int perDegree);
inline constexpr const char* kSyntheticSourceText =
    "a SYNTHETIC planet made by tarvelon-render make-data: Mars-like, NOT real data";

// The README.txt of a demo set whose tiles hold `source`.
std::string readmeText(const std::string& source);

}  // namespace tarvelon::demo
