// The elevations along a great circle between two points of Mars: the
// points of the line, the sample under each, and the figures a profile is
// read by (its length, climb, descent, steepest slope, highest and lowest
// point). No Qt: the window, the picture and tarvelon-render share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dem/ElevationSource.h"

namespace tarvelon {

// The sphere distances are measured on: the Mars 2000 sphere of the grid's
// CRS.
inline constexpr double kMarsRadiusMetres = 3396190.0;

// The most points a profile takes, given or by default: a half-planet line
// at one point a sample of the 128-a-degree grid needs about 23 000.
inline constexpr int kMaxProfileSamples = 200000;

// Metres along the shorter great-circle arc from `a` to `b`. Sound for
// points a millimetre apart and for points at opposite ends of the planet
// alike (the angle is taken from both the sine and the cosine).
double greatCircleMetres(GeoPoint a, GeoPoint b);

// The point `fraction` (0 .. 1) of the way along the shorter arc from `a`
// to `b`, with its longitude in -180 .. 180. Fraction 0 is `a` and 1 is `b`
// exactly (their longitudes brought into that range). Between two points
// at opposite ends of the planet, where every half great circle is as
// short, the line goes by the meridian of `a` over the pole nearer `a`.
GeoPoint greatCirclePoint(GeoPoint a, GeoPoint b, double fraction);

struct ProfilePoint {
  double distance = 0;  // metres from the start
  GeoPoint place;
  std::int16_t elevation = ElevationSource::kNoData;
};

struct ElevationProfile {
  GeoPoint from, to;  // longitudes in -180 .. 180
  double length = 0;  // metres
  std::vector<ProfilePoint> points;
};

// How many points a line of this length gets by default: at least one per
// grid step of the source along a meridian (2 pi R / (360 perDegree), about
// 463 m on the tiles' grid), so that no sample along the line is skipped;
// at least 2; at most kMaxProfileSamples.
int profileSamplesFor(double lengthMetres, const GridSpec& grid);

// Samples the source along the great circle from `from` to `to`: `samples`
// points evenly spaced by distance, the first at `from`, the last at `to`
// (0: profileSamplesFor). Each point takes the sample whose cell holds it
// (indexIn), all of them read in one gather; a point off the grid (beyond
// 88 degrees on the tiles) has no data. Identical points give a line of
// length 0 whose points all lie there.
// Throws std::invalid_argument for samples 1, below 0 or above
// kMaxProfileSamples, and for a coordinate that is not a number or a
// latitude beyond 90 degrees either way; whatever the source throws (a
// TileError) passes through.
ElevationProfile sampleProfile(ElevationSource& source, GeoPoint from, GeoPoint to, int samples = 0);

struct ProfileSummary {
  bool hasData = false;                // false when no point has an elevation
  std::size_t highest = 0, lowest = 0;  // the first highest and lowest points with data
  double climb = 0, descent = 0;       // metres, over consecutive points that both have data
  double steepestDegrees = 0;          // the largest |slope| between consecutive points with data
  std::size_t steepestAt = 0;          // the first point of that step
};

ProfileSummary summariseProfile(const ElevationProfile& profile);

}  // namespace tarvelon
