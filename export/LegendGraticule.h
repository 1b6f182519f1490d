// The graticule of a projected map's legend: which meridians and parallels
// it draws, traced as the curves the projection makes of them, clipped to
// the map and to the part of the planet it shows, and the texts that name
// the projection on the sheet. No Qt.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/Projection.h"

namespace tarvelon {

// A point on the map or the legend's picture, in pixels (corners of pixels
// at whole numbers).
struct LegendPoint {
  double x = 0;
  double y = 0;
};

// Degrees between the meridians and between the parallels drawn.
struct GraticuleSpacing {
  double meridians = 30;
  double parallels = 30;
  bool operator==(const GraticuleSpacing&) const = default;
};

// One stretch of a meridian (constant longitude `degrees`) or a parallel
// (constant latitude), in map pixels; a line the map shows in pieces (round
// the far side of the globe, out of the map and in again) is one stretch a
// piece.
struct GraticuleLine {
  bool meridian = false;
  double degrees = 0;
  std::vector<LegendPoint> points;
};

// The spacing for `frame`, as the legend's ticks are spaced (0.05 .. 90
// degrees): a polar map's meridians at least kMinMeridianGap pixels apart
// where they are farthest apart, but no more than 30 degrees apart while
// that leaves kMinCoarseMeridianGap between them; its parallels
// kMinParallelGap apart at the map's centre. The globe's lines are all as
// far apart as its meridians would be at its centre, at most 30 degrees.
inline constexpr double kMinMeridianGap = 200;
inline constexpr double kMinCoarseMeridianGap = 60;
inline constexpr double kMinParallelGap = 90;
GraticuleSpacing graticuleSpacing(const ProjectedFrame& frame);

// The meridians that are not a multiple of 90 degrees stop where they would
// come closer than this to their neighbours, at the nearest parallel drawn
// outside that circle, so that a pole is not a blot of converging lines.
inline constexpr double kMinGapNearPole = 40;

// The meridians and parallels of `frame` at `spacing`: each within the
// map's bounds (a parallel at the very pole is a point, and none is drawn
// there), broken where the globe hides it and clipped to the map's
// rectangle, with points at most a few pixels apart.
std::vector<GraticuleLine> graticuleLines(const ProjectedFrame& frame, const GraticuleSpacing& spacing);

// The edge of the part of the planet the map shows, in map pixels: the
// globe's rim, a polar map's outer parallel and, for a map that is not
// whole round, its bounding meridians and inner parallel.
std::vector<std::vector<LegendPoint>> shownOutline(const ProjectedFrame& frame);

// Where a point of the planet lies on the map, in map pixels; nothing when
// the projection cannot show it.
std::optional<LegendPoint> mapPointOf(const ProjectedFrame& frame, double longitude, double latitude);

// "North polar stereographic projection, true scale at the pole, 0° straight
// down from the pole, on the Mars 2000 sphere (radius 3396.19 km); heights
// above the MOLA areoid." and the like for the south and the globe.
std::string projectionNote(const MapProjection& projection);
// "North polar stereographic", "South polar stereographic", "Orthographic
// globe centred on 70°E, 40°S".
std::string projectionTitle(const MapProjection& projection);

}  // namespace tarvelon
