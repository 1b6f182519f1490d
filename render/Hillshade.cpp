#include "render/Hillshade.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/ColourFunction.h"

namespace tarvelon {

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

// The light on the interior samples 1 .. width - 2 of a row. Kept free of
// branches so that the compiler can take eight samples at a time.
__attribute__((target_clones("avx2", "default"))) void lightInterior(
    const std::int16_t* above, const std::int16_t* row, const std::int16_t* below, int width, float inverseX,
    float inverseY, float sinAzCosAlt, float cosAzCosAlt, float flat, float* light) {
  for (int x = 1; x < width - 1; ++x) {
    const int centre = row[x];
    // Unsigned range tests and selects: no branches, so eight samples go
    // at a time.
    const bool centreValid = unsigned(centre - kMinElevation) <= unsigned(kMaxElevation - kMinElevation);
    auto take = [centre](int sample) {
      return float(unsigned(sample - kMinElevation) <= unsigned(kMaxElevation - kMinElevation) ? sample : centre);
    };
    const float a = take(above[x - 1]), b = take(above[x]), c = take(above[x + 1]);
    const float d = take(row[x - 1]), f = take(row[x + 1]);
    const float g = take(below[x - 1]), h = take(below[x]), i = take(below[x + 1]);
    // Rise per metre eastward and northward.
    const float east = ((c + 2 * f + i) - (a + 2 * d + g)) * inverseX;
    const float north = ((a + 2 * b + c) - (g + 2 * h + i)) * inverseY;
    const float lit = (flat - east * sinAzCosAlt - north * cosAzCosAlt) / std::sqrt(1 + east * east + north * north);
    const float shaded = lit > 0.0f ? lit : 0.0f;
    light[x] = centreValid ? shaded : flat;
  }
}

// The same light where every sample of the three rows is terrain, from
// rows already in floating point: no selects, and each sample converted
// once rather than three times.
__attribute__((target_clones("avx2", "default"))) void lightTerrain(const float* above, const float* row,
                                                                    const float* below, int width, float inverseX,
                                                                    float inverseY, float sinAzCosAlt,
                                                                    float cosAzCosAlt, float flat, float* light) {
  for (int x = 1; x < width - 1; ++x) {
    const float a = above[x - 1], b = above[x], c = above[x + 1];
    const float d = row[x - 1], f = row[x + 1];
    const float g = below[x - 1], h = below[x], i = below[x + 1];
    const float east = ((c + 2 * f + i) - (a + 2 * d + g)) * inverseX;
    const float north = ((a + 2 * b + c) - (g + 2 * h + i)) * inverseY;
    const float lit = (flat - east * sinAzCosAlt - north * cosAzCosAlt) / std::sqrt(1 + east * east + north * north);
    light[x] = lit > 0.0f ? lit : 0.0f;
  }
}

// True when every sample is terrain; the rows as floats in `out`.
__attribute__((target_clones("avx2", "default"))) bool terrainRow(const std::int16_t* row, int width, float* out) {
  int outside = 0;
  for (int x = 0; x < width; ++x) {
    const int v = row[x];
    outside |= (v < kMinElevation) | (v > kMaxElevation);
    out[x] = float(v);
  }
  return outside == 0;
}

bool isTerrain(int v) { return v >= kMinElevation && v <= kMaxElevation; }

// The sample beyond `edge`, carried on from `inner` through `edge`; the
// edge itself where either is not terrain.
std::int16_t beyond(std::int16_t edge, std::int16_t inner) {
  if (!isTerrain(edge) || !isTerrain(inner)) return edge;
  return static_cast<std::int16_t>(std::clamp(2 * int(edge) - int(inner), -32768, 32767));
}

}  // namespace

double eastWestSpacing(double latitude, double degrees) {
  return kMetresPerDegree * std::cos(latitude * kRadiansPerDegree) * degrees;
}

double automaticExaggeration(double samplesPerPixel) {
  return samplesPerPixel <= 1 ? 1.0 : std::pow(samplesPerPixel, 0.6);
}

Hillshade::Hillshade(double azimuth, double altitude, double exaggeration) {
  const double az = azimuth * kRadiansPerDegree;
  const double alt = altitude * kRadiansPerDegree;
  sinAzimuthCosAltitude_ = static_cast<float>(std::sin(az) * std::cos(alt));
  cosAzimuthCosAltitude_ = static_cast<float>(std::cos(az) * std::cos(alt));
  flat_ = static_cast<float>(std::sin(alt));
  inverseFlat_ = flat_ > 0 ? 1.0f / flat_ : 0.0f;
  exaggeration_ = static_cast<float>(exaggeration);
}

void Hillshade::lightRow(const std::int16_t* above, const std::int16_t* row, const std::int16_t* below, int width,
                         double spacingX, double spacingY, float* light) const {
  if (width <= 0) return;
  if (above == nullptr || below == nullptr) {
    thread_local std::vector<std::int16_t> missing;
    missing.resize(static_cast<std::size_t>(width));
    const std::int16_t* inner = above != nullptr ? above : below;
    for (int x = 0; x < width; ++x) missing[x] = inner != nullptr ? beyond(row[x], inner[x]) : row[x];
    if (above == nullptr && below == nullptr) {
      above = below = missing.data();
    } else if (above == nullptr) {
      above = missing.data();
    } else {
      below = missing.data();
    }
  }
  const float inverseX = static_cast<float>(exaggeration_ / (8 * spacingX));
  const float inverseY = static_cast<float>(exaggeration_ / (8 * spacingY));
  if (width >= 3) {
    // Almost every row of Mars is terrain throughout.
    thread_local std::vector<float> floats;
    floats.resize(3 * static_cast<std::size_t>(width));
    float* const a = floats.data();
    float* const r = a + width;
    float* const b = r + width;
    if (terrainRow(above, width, a) & terrainRow(row, width, r) & terrainRow(below, width, b)) {
      lightTerrain(a, r, b, width, inverseX, inverseY, sinAzimuthCosAltitude_, cosAzimuthCosAltitude_, flat_, light);
    } else {
      lightInterior(above, row, below, width, inverseX, inverseY, sinAzimuthCosAltitude_, cosAzimuthCosAltitude_,
                    flat_, light);
    }
  }
  lightEdges(above, row, below, width, inverseX, inverseY, light);
}

void Hillshade::lightEdges(const std::int16_t* above, const std::int16_t* row, const std::int16_t* below, int width,
                           float inverseX, float inverseY, float* light) const {
  // The first and last columns: a window of three with the column beyond
  // the edge carried on from the two inside it.
  for (int x : {0, width - 1}) {
    auto window = [&](const std::int16_t* r, std::int16_t (&w)[3]) {
      const int inward = x == 0 ? std::min(1, width - 1) : std::max(width - 2, 0);
      const std::int16_t out = beyond(r[x], r[inward]);
      w[0] = x == 0 ? out : r[x - 1];
      w[1] = r[x];
      w[2] = x == width - 1 ? out : r[x + 1];
      if (width == 1) w[0] = w[2] = r[x];
    };
    std::int16_t a[3], r[3], b[3];
    window(above, a);
    window(row, r);
    window(below, b);
    float edge[3] = {0, 0, 0};
    lightInterior(a, r, b, 3, inverseX, inverseY, sinAzimuthCosAltitude_, cosAzimuthCosAltitude_, flat_, edge);
    light[x] = edge[1];
    if (width == 1) break;
  }
}

bool Hillshade::terrainHeights(const std::int16_t* row, int width, float* heights) {
  return terrainRow(row, width, heights);
}

void Hillshade::lightTerrainRow(const std::int16_t* above, const std::int16_t* row, const std::int16_t* below,
                                const float* aboveHeights, const float* rowHeights, const float* belowHeights,
                                int width, double spacingX, double spacingY, float* light) const {
  if (width <= 0) return;
  const float inverseX = static_cast<float>(exaggeration_ / (8 * spacingX));
  const float inverseY = static_cast<float>(exaggeration_ / (8 * spacingY));
  if (width >= 3) {
    lightTerrain(aboveHeights, rowHeights, belowHeights, width, inverseX, inverseY, sinAzimuthCosAltitude_,
                 cosAzimuthCosAltitude_, flat_, light);
  }
  lightEdges(above, row, below, width, inverseX, inverseY, light);
}

void Hillshade::greyRow(const float* light, int width, std::uint8_t* grey) {
  for (int x = 0; x < width; ++x) {
    const float level = 1.0f + 254.0f * std::min(light[x], 1.0f);
    grey[x] = static_cast<std::uint8_t>(level + 0.5f);
  }
}

std::uint32_t Hillshade::shade(std::uint32_t colour, float light) const {
  const float k = factor(light);
  auto channel = [&](int shift) {
    const float v = float((colour >> shift) & 0xFF) * k + 0.5f;
    return std::uint32_t(v >= 255.0f ? 255.0f : v) << shift;
  };
  return (colour & 0xFF000000u) | channel(16) | channel(8) | channel(0);
}

}  // namespace tarvelon
