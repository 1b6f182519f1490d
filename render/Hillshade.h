// Relief shading: how brightly a sun lights the terrain, by Horn's 3 x 3
// slope and aspect, and how that light is laid over a scheme's colours.
#pragma once

#include <cstdint>

namespace tarvelon {

// The Mars 2000 sphere.
inline constexpr double kMarsRadius = 3396190.0;                                      // metres
inline constexpr double kMetresPerDegree = kMarsRadius * 3.14159265358979323846 / 180;  // along a meridian

// Metres between two samples `degrees` apart along a parallel at `latitude`.
double eastWestSpacing(double latitude, double degrees);

// The exaggeration relief shading takes unless told otherwise, for pixels
// `samplesPerPixel` samples of the tile set (1/128 degree) apart: that
// number to the power 0.6, and 1 for pixels a sample apart or closer.
// Slopes measured over wider pixels are gentler, so that a map at 100 %
// is lit by its heights as they are, one at 10 % 4 times as steeply, and
// a thumbnail (24 samples a pixel) 6.7 times: they show relief alike.
double automaticExaggeration(double samplesPerPixel);

// Share of a colour that the deepest shadow keeps: relief shading darkens
// slopes turned from the sun, but never to black.
inline constexpr float kShadowFloor = 0.4f;

class Hillshade {
 public:
  // The sun's azimuth in degrees clockwise from north, its altitude in
  // degrees above the horizon, and the factor heights are multiplied by.
  Hillshade(double azimuth, double altitude, double exaggeration);

  // Light on level ground: the sine of the sun's altitude.
  float flat() const { return flat_; }

  // The light on each sample of one row: the cosine of the angle between
  // the surface's normal and the sun, 0 where the sun does not reach.
  // `above`, `row` and `below` are the row and its neighbours; at an edge
  // of the grid pass nullptr for the missing one. A missing neighbour,
  // and the outer neighbour of the first and last columns, is carried on
  // from the two samples inside it, so that a plane is lit alike up to its
  // edges. `spacingX`
  // and `spacingY` are the metres between columns and between rows.
  // Samples outside -8200 .. 21250 m are not terrain: a neighbour outside
  // takes the centre's height, and a centre outside gets the light of
  // level ground.
  void lightRow(const std::int16_t* above, const std::int16_t* row, const std::int16_t* below, int width,
                double spacingX, double spacingY, float* light) const;

  // A row's samples as floating point numbers, for lightTerrainRow; true
  // when every one is terrain (-8200 .. 21250 m).
  static bool terrainHeights(const std::int16_t* row, int width, float* heights);
  // lightRow for a row and both its neighbours, all three wholly terrain,
  // given also as terrainHeights made them (once for the three rows each
  // lights): the same light, in less time.
  void lightTerrainRow(const std::int16_t* above, const std::int16_t* row, const std::int16_t* below,
                       const float* aboveHeights, const float* rowHeights, const float* belowHeights, int width,
                       double spacingX, double spacingY, float* light) const;

  // Grey levels of a row of light: 1 + 254 x light, rounded; 1 in shadow.
  static void greyRow(const float* light, int width, std::uint8_t* grey);

  // What a colour channel is multiplied by under `light`: 1 on level
  // ground, down to kShadowFloor in shadow, above 1 on slopes facing the
  // sun (the channel is then held at 255).
  float factor(float light) const { return kShadowFloor + (1.0f - kShadowFloor) * light * inverseFlat_; }
  // 1 / flat(), the last term of factor(), for loops that take it apart.
  float inverseFlat() const { return inverseFlat_; }

  // A blue-green-red-flag table colour (see SampleColours) under `light`;
  // the flag byte is kept.
  std::uint32_t shade(std::uint32_t colour, float light) const;

 private:
  void lightEdges(const std::int16_t* above, const std::int16_t* row, const std::int16_t* below, int width,
                  float inverseX, float inverseY, float* light) const;

  float sinAzimuthCosAltitude_ = 0;
  float cosAzimuthCosAltitude_ = 0;
  float flat_ = 0;
  float inverseFlat_ = 0;
  float exaggeration_ = 1;
};

}  // namespace tarvelon
