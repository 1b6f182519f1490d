#include "render/ColourFunction.h"

#include <cmath>
#include <limits>

#include "render/Rounding.h"

namespace tarvelon {

static_assert(std::numeric_limits<long double>::digits >= 64,
              "colour terms need a 64-bit significand (x87 extended precision)");

namespace {

// One colour channel: base + slope * f. A constant channel has slope 0.
struct Term {
  std::int16_t base;
  std::int16_t slope;
};

struct SchemeRow {
  std::int32_t first;  // range of elevations, both ends included
  std::int32_t last;
  std::int32_t lo;  // bounds handed to shadeFraction
  std::int32_t hi;
  Term red;
  Term green;
  Term blue;
};

struct Scheme {
  const SchemeRow* rows;
  int count;
};

constexpr Term C(int value) { return Term{static_cast<std::int16_t>(value), 0}; }
constexpr Term T(int base, int slope) { return Term{static_cast<std::int16_t>(base), static_cast<std::int16_t>(slope)}; }

// "Brown Relief"
constexpr SchemeRow kScheme0[] = {
    {-8200, -6000, -8200, -5999, T(64, 32), T(64, 16), T(48, 16)},
    {-5999, -4000, -6000, -3999, C(96), T(80, 8), C(64)},
    {-3999, -2000, -4000, -1999, T(96, 16), T(88, 12), T(64, -8)},
    {-1999, 0, -2000, -1, T(112, 16), T(100, 12), C(56)},
    {1, 1000, 0, 1000, T(128, 8), T(112, 8), C(56)},
    {1001, 2000, 1001, 2000, T(136, -16), T(120, -8), C(56)},
    {2001, 3000, 2001, 3000, T(120, -8), T(112, -16), T(56, 8)},
    {3001, 4000, 3001, 4000, T(112, 36), T(96, 16), T(64, 16)},
    {4001, 5000, 4001, 5000, T(148, -16), T(112, -16), T(80, 8)},
    {5001, 6000, 5001, 6000, C(132), T(96, 12), T(88, 56)},
    {6001, 7000, 6001, 7000, T(132, 12), T(108, 12), C(144)},
    {7001, 21250, 7001, 21250, T(144, 80), T(120, 104), T(144, 108)},
};

// "Blue/Green/Brown (pale)"
constexpr SchemeRow kScheme1[] = {
    {-8200, -7000, -8200, -6999, T(82, 33), T(99, 16), C(173)},
    {-6999, -6000, -7000, -5999, C(115), T(115, 25), C(173)},
    {-5999, -5000, -6000, -4999, T(115, -16), C(140), T(173, -33)},
    {-4999, -4000, -5000, -3999, T(99, 33), T(140, 33), T(140, 25)},
    {-3999, -3000, -4000, -2999, T(132, 8), T(173, -17), T(165, -33)},
    {-2999, -2000, -3000, -1999, T(140, 41), T(156, 17), T(132, 33)},
    {-1999, -1000, -2000, -999, C(181), T(173, -8), T(165, -17)},
    {-999, 0, -1000, -1, T(181, -16), T(165, -17), T(148, -33)},
    {1, 1000, 0, 1000, T(165, -25), T(148, -33), T(115, -33)},
    {1001, 2000, 1001, 2000, T(140, 16), C(115), T(82, 33)},
    {2001, 3000, 2001, 3000, T(156, -8), T(115, 8), C(115)},
    {3001, 4000, 3001, 4000, C(148), T(123, 9), T(115, 17)},
    {4001, 5000, 4001, 5000, T(148, 8), T(132, 8), T(132, 8)},
    {5001, 6000, 5001, 6000, T(156, 25), T(140, 33), T(140, 25)},
    {6001, 7000, 6001, 7000, T(181, 19), T(173, 2), T(165, 26)},
    {7001, 21250, 7000, 21250, T(200, 31), T(175, 39), T(191, 15)},
};

// "Blue/Green/Brown (darker)"; its sixteen rows are also the ramps of the
// user colours.
constexpr SchemeRow kScheme2[] = {
    {-8200, -7000, -8200, -6999, T(41, 33), T(57, 25), T(140, 16)},
    {-6999, -6000, -7000, -5999, C(74), T(82, 17), T(156, -14)},
    {-5999, -5000, -6000, -4999, T(74, 8), T(99, 24), T(140, 4)},
    {-4999, -4000, -5000, -3999, T(82, -8), T(123, -16), T(144, -37)},
    {-3999, -3000, -4000, -2999, T(74, 58), T(107, 41), T(107, 16)},
    {-2999, -2000, -3000, -1999, T(132, 16), C(148), T(123, 9)},
    {-1999, -1000, -2000, -999, T(148, -8), T(148, -25), T(132, -25)},
    {-999, 0, -1000, -1, T(140, -8), T(123, -16), T(107, -33)},
    {1, 1000, 0, 1000, T(132, -17), T(107, -25), T(74, -17)},
    {1001, 2000, 1001, 2000, T(115, -8), T(82, -8), T(57, 17)},
    {2001, 3000, 2001, 3000, C(107), T(74, 8), C(74)},
    {3001, 4000, 3001, 4000, C(107), T(82, 8), T(74, 16)},
    {4001, 5000, 4001, 5000, T(107, 25), T(90, 25), T(90, 25)},
    {5001, 6000, 5001, 6000, T(132, 24), T(115, 33), T(115, 17)},
    {6001, 7000, 6001, 7000, T(156, 35), T(148, 27), T(132, 42)},
    {7001, 21250, 7000, 21250, T(191, 31), T(175, 39), T(174, 15)},
};

// "Blue/Green/Brown (histogram)"
constexpr SchemeRow kScheme3[] = {
    {-8200, -7000, -8200, -6999, T(49, 25), T(57, 33), T(189, 33)},
    {-6999, -6000, -7000, -5999, C(74), T(90, 33), T(222, -16)},
    {-5999, -5000, -6000, -4999, C(74), T(123, 25), T(206, -17)},
    {-4999, -4000, -5000, -3999, C(74), T(148, 17), T(189, -66)},
    {-3999, -3000, -4000, -2999, T(74, 74), C(165), C(123)},
    {-2999, -2000, -3000, -1999, T(148, 58), T(165, 24), T(123, 42)},
    {-1999, -1000, -2000, -999, T(206, 16), C(189), T(165, -17)},
    {-999, 0, -1000, -1, T(222, -33), T(189, -41), T(148, -74)},
    {1, 1000, 0, 1000, T(189, -41), T(148, -58), T(74, -17)},
    {1001, 2000, 1001, 2000, C(148), T(90, -16), T(57, 9)},
    {2001, 3000, 2001, 3000, C(148), T(74, 16), T(66, 8)},
    {3001, 4000, 3001, 4000, C(148), T(90, 27), T(74, 33)},
    {4001, 5000, 4001, 5000, T(148, 17), T(107, 41), T(106, 16)},
    {5001, 6000, 5001, 6000, T(165, 15), T(148, 12), T(123, 42)},
    {6001, 7000, 6001, 7000, T(180, 16), T(160, 20), T(165, 21)},
    {7001, 21250, 7000, 21250, T(196, 32), T(180, 60), T(186, 69)},
};

// "Putative Northern Ocean (datum 3000 m)"
constexpr SchemeRow kScheme4[] = {
    {-8200, -6000, -8200, -5999, C(0), C(0), T(48, 64)},
    {-5999, -4250, -6000, -4249, C(0), C(0), T(112, 48)},
    {-4249, -3000, -4250, -2999, C(0), T(0, 32), C(160)},
    {-2999, -2900, -3000, -2899, C(0), T(32, 32), T(160, -70)},
    {-2899, -1, -2900, -1, C(0), T(64, 48), C(90)},
    {0, 1000, 0, 1000, T(0, 132), T(112, -6), T(90, -6)},
    {1001, 2000, 1001, 2000, T(132, -9), T(106, -10), T(84, 6)},
    {2001, 3000, 2001, 3000, T(123, 25), T(96, 31), T(90, 33)},
    {3001, 4000, 3001, 4000, T(148, -6), C(127), T(123, -7)},
    {4001, 5000, 4001, 5000, T(142, 35), T(127, 41), T(130, 35)},
    {5001, 6000, 5001, 6000, T(177, 14), T(168, 12), T(165, 7)},
    {6001, 7000, 6001, 7000, T(191, 16), T(180, 16), T(172, 32)},
    {7001, 21250, 7001, 21250, T(207, 31), T(196, 39), T(204, 15)},
};

// "MOLA Multicolour"
constexpr SchemeRow kScheme5[] = {
    {-8200, -6000, -8200, -5999, T(56, 10), T(49, 18), T(67, 57)},
    {-5999, -4000, -6000, -3999, T(66, -66), T(67, 102), T(124, 130)},
    {-3999, -2000, -4000, -1999, C(0), T(169, 84), T(254, -197)},
    {-1999, -1, -2000, -1, T(0, 242), C(253), T(57, -57)},
    {0, 1000, 0, 1000, T(242, 13), T(255, -82), C(0)},
    {1001, 2000, 1001, 2000, C(255), T(173, -65), C(0)},
    {2001, 3000, 2001, 3000, T(255, -5), T(108, -96), T(0, 8)},
    {3001, 4000, 3001, 4000, T(250, -26), T(11, 67), T(18, 18)},
    {4001, 5000, 4001, 5000, T(224, -28), T(79, 37), T(26, 38)},
    {5001, 6000, 5001, 6000, T(196, -33), T(116, 20), T(64, 14)},
    {6001, 7000, 6001, 7000, T(163, -32), T(136, -27), T(78, -16)},
    {7001, 8000, 7001, 8000, T(131, 22), T(109, 25), T(62, 55)},
    {8001, 9000, 8001, 9000, T(153, 33), T(134, 34), T(117, 48)},
    {9001, 10000, 9001, 10000, T(186, 5), T(168, 23), T(165, 26)},
    {10001, 12000, 10001, 12000, T(191, 17), T(191, 17), T(191, 37)},
    {12001, 21250, 12001, 21250, T(208, 40), T(208, 40), T(208, 40)},
};

template <std::size_t N>
constexpr Scheme schemeOf(const SchemeRow (&rows)[N]) {
  return Scheme{rows, static_cast<int>(N)};
}

constexpr Scheme kSchemes[kSchemeCount] = {schemeOf(kScheme0), schemeOf(kScheme1), schemeOf(kScheme2),
                                           schemeOf(kScheme3), schemeOf(kScheme4), schemeOf(kScheme5)};

// Each scheme's rows must run contiguously from -8200 to 21250.
constexpr bool schemesAreContiguous() {
  for (const Scheme& scheme : kSchemes) {
    if (scheme.rows[0].first != kMinElevation || scheme.rows[scheme.count - 1].last != kMaxElevation) return false;
    for (int i = 1; i < scheme.count; ++i) {
      if (scheme.rows[i].first != scheme.rows[i - 1].last + 1) return false;
    }
  }
  return true;
}
static_assert(schemesAreContiguous(), "scheme rows must cover -8200 .. 21250 without gaps");

// The term's product and sum are taken with a 64-bit significand and only
// then truncated toward zero: in double precision k * f can round up to a
// whole number that the exact product falls just short of.
inline std::int32_t channel(Term term, double f) {
  const long double value = static_cast<long double>(term.slope) * static_cast<long double>(f) +
                            static_cast<long double>(term.base);
  return static_cast<std::int32_t>(value);
}

inline void colourRow(const SchemeRow& row, std::int32_t elevation, std::int32_t lo, std::int32_t hi,
                      int shadingMode, PixelColour& pixel) {
  const double f = shadeFraction(elevation, lo, hi, shadingMode);
  pixel.pixelRed = channel(row.red, f);
  pixel.pixelGreen = channel(row.green, f);
  pixel.pixelBlue = channel(row.blue, f);
}

}  // namespace

double shadeFraction(std::int32_t elevation, std::int32_t lo, std::int32_t hi, int shadingMode) {
  if (lo == hi) lo -= 1;
  const double q = static_cast<double>(std::int64_t(elevation) - lo) / static_cast<double>(std::int64_t(hi) - lo);
  switch (shadingMode) {
    case 0:
      return 0.0;
    case 2:
      return std::sqrt(q);
    case 3:
      return q * q;
    default:  // 1, and any value that did not come from the menus
      return q;
  }
}

void elevationColour(std::int32_t scheme, std::int32_t elevation, int shadingMode, const BandLimits& bandLimits,
                     PixelColour& pixel) {
  if (scheme >= 0 && scheme < kSchemeCount) {
    if (elevation < kMinElevation || elevation > kMaxElevation) return;
    const Scheme& table = kSchemes[scheme];
    for (int i = 0; i < table.count; ++i) {
      const SchemeRow& row = table.rows[i];
      if (elevation <= row.last) {
        colourRow(row, elevation, row.lo, row.hi, shadingMode, pixel);
        return;
      }
    }
    return;
  }
  if (scheme == kUserColours) {
    const std::int32_t* lower = bandLimits.data();
    const std::int32_t* upper = bandLimits.data() + 16;
    if (elevation < lower[0] || elevation > upper[15]) return;
    for (int i = 0; i < 16; ++i) {
      if (lower[i] <= elevation && elevation <= upper[i]) {
        colourRow(kScheme2[i], elevation, lower[i], upper[i], shadingMode, pixel);
        return;
      }
    }
  }
}

std::int32_t bandStep(std::int32_t top, std::int32_t bottom) {
  return static_cast<std::int32_t>(roundHalfEven(std::int64_t(top) - bottom, 14));
}

BandLimits buildBandLimits(std::int32_t top, std::int32_t bottom) {
  // Worked in 64 bits and saturated, so that no pair of limits overflows.
  auto store = [](std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
  };
  const std::int64_t step = bandStep(top, bottom);
  BandLimits bands{};
  std::int32_t* lower = bands.data();
  std::int32_t* upper = bands.data() + 16;
  lower[0] = kMinElevation;
  upper[0] = bottom;
  for (int i = 1; i <= 14; ++i) {
    lower[i] = store(std::int64_t(upper[i - 1]) + 1);
    upper[i] = store(std::int64_t(lower[i]) + step);
  }
  lower[15] = store(std::int64_t(upper[14]) + 1);
  upper[15] = kMaxElevation;
  return bands;
}

}  // namespace tarvelon
