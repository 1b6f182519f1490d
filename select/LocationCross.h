// The location map's picture and where its cross goes.
#pragma once

#include "render/AreaRenderer.h"

namespace tarvelon {

// The picture: the whole planet in simple cylindrical projection, column 0
// at 180 W and row 0 at 90 N, 4/3 pixel per degree.
inline constexpr int kLocationMapWidth = 480;
inline constexpr int kLocationMapHeight = 240;

// Its grid lines between the sixteen tile areas: black through the prime
// meridian and the equator, dark grey (66, 66, 66) elsewhere.
inline constexpr int kPrimeMeridianColumn = 241;
inline constexpr int kEquatorRow = 121;
inline constexpr int kGreyGridColumns[2] = {121, 361};
inline constexpr int kGreyGridRows[2] = {61, 181};
inline constexpr int kGridGrey = 66;

// Centre of the cross, in the picture's pixels: 1.33 pixel per degree from
// 180 W and from 90 N, rounded halves to even. A centre east of 180 E is
// taken a turn west, so that it stays on the picture.
struct CrossPosition {
  int x = 0;
  int y = 0;
  bool operator==(const CrossPosition&) const = default;
};
CrossPosition locationCross(const AreaBounds& area);
// The same for a point (the centre of a projected map): any longitude is
// brought onto 180 W .. 180 E, and the cross stays on the picture.
CrossPosition locationCross(double longitude, double latitude);

// The cross: two strokes of this half-length and pen width, navy.
inline constexpr int kCrossArm = 5;
inline constexpr int kCrossPen = 2;

}  // namespace tarvelon
