// Elevation colouring: six colour schemes, four shading modes and the user
// colours over sixteen altitude bands.
#pragma once

#include <array>
#include <cstdint>

namespace tarvelon {

inline constexpr int kMinElevation = -8200;
inline constexpr int kMaxElevation = 21250;
inline constexpr int kSchemeCount = 6;
inline constexpr int kModeCount = 4;
inline constexpr int kUserColours = 99;

// Menu captions of the schemes and the shading modes, by number.
inline constexpr std::array<const char*, kSchemeCount> kSchemeCaptions = {
    "Brown Relief",
    "Blue/Green/Brown (pale)",
    "Blue/Green/Brown (darker)",
    "Blue/Green/Brown (histogram)",
    "Putative Northern Ocean (datum 3000 m)",
    "MOLA Multicolour",
};
inline constexpr std::array<const char*, kModeCount> kModeCaptions = {
    "Contoured Shading",
    "Blended Shading",
    "Square Root Enhancement",
    "Power 2 Enhanced",
};

// The colour result. It persists between calls: a call that colours nothing
// leaves it as the previous call left it, so callers own one and pass it in.
struct PixelColour {
  std::int32_t pixelRed = 0;
  std::int32_t pixelGreen = 0;
  std::int32_t pixelBlue = 0;
  bool operator==(const PixelColour&) const = default;
};

// Sixteen altitude bands: lower limits in entries 0..15, upper limits in
// entries 16..31. Band i holds lower[i] .. upper[i], both included.
using BandLimits = std::array<std::int32_t, 32>;

// Fraction of `elevation` between lo and hi, shaped by the shading mode:
// 0 contoured (0), 1 blended (q), 2 square root, 3 square. A mode outside
// 0..3 is taken as blended, the program's default mode.
double shadeFraction(std::int32_t elevation, std::int32_t lo, std::int32_t hi, int shadingMode);

// Colours one elevation with scheme 0..5, or 99 for the user colours over
// `bandLimits`. Elevations outside the scheme's range and unknown scheme
// numbers leave `pixel` untouched.
void elevationColour(std::int32_t scheme, std::int32_t elevation, int shadingMode, const BandLimits& bandLimits,
                     PixelColour& pixel);

// Band table from the upper (top) and lower (bottom) altitude limits:
// band 0 is -8200 .. bottom, bands 1..14 each take bandStep + 1 elevations,
// band 15 ends at 21250.
BandLimits buildBandLimits(std::int32_t top, std::int32_t bottom);

// (top - bottom) / 14 rounded, halves to even.
std::int32_t bandStep(std::int32_t top, std::int32_t bottom);

}  // namespace tarvelon
