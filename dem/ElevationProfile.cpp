#include "dem/ElevationProfile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace tarvelon {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadian = kPi / 180;

struct Vector {
  double x = 0, y = 0, z = 0;
};

Vector operator*(double k, Vector v) { return {k * v.x, k * v.y, k * v.z}; }
Vector operator+(Vector a, Vector b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector cross(Vector a, Vector b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double norm(Vector v) { return std::sqrt(dot(v, v)); }

// -180 .. 180; a longitude already in that range stays as it is.
double normalLongitude(double longitude) {
  double r = std::fmod(longitude, 360.0);
  if (r > 180) r -= 360;
  if (r < -180) r += 360;
  return r;
}

// Longitudes whole turns apart give the very same vector.
Vector unitVector(GeoPoint p) {
  const double lon = normalLongitude(p.longitude) * kRadian, lat = p.latitude * kRadian;
  return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

GeoPoint normal(GeoPoint p) { return GeoPoint{normalLongitude(p.longitude), p.latitude}; }

// The shorter arc from a to b as the start, the unit tangent there towards
// b and the angle: a point along it is cos(f angle) start + sin(f angle)
// towards, which stays exact however short or long the arc is.
struct Arc {
  Vector start, towards;
  double angle = 0;  // radians

  Arc(GeoPoint a, GeoPoint b) : start(unitVector(a)) {
    const Vector end = unitVector(b);
    const Vector normal = cross(start, end);
    const double sine = norm(normal);
    const double cosine = dot(start, end);
    angle = std::atan2(sine, cosine);
    // Points opposite within rounding (a few micrometres) have no plane of
    // their own: the cross product is all rounding.
    if (cosine < 0 && sine < 1e-12) {
      // Along the meridian of `a`, over the pole nearer it.
      const double lon = normalLongitude(a.longitude) * kRadian, lat = a.latitude * kRadian;
      const Vector north{-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon), std::cos(lat)};
      towards = (a.latitude >= 0 ? 1.0 : -1.0) * north;
    } else if (sine > 0) {
      towards = cross((1 / sine) * normal, start);
    }
  }

  GeoPoint at(double fraction) const {
    const double turn = fraction * angle;
    const Vector v = std::cos(turn) * start + std::sin(turn) * towards;
    return GeoPoint{std::atan2(v.y, v.x) / kRadian, std::atan2(v.z, std::hypot(v.x, v.y)) / kRadian};
  }
};

void checkPoint(GeoPoint p, const char* which) {
  if (!std::isfinite(p.longitude) || !std::isfinite(p.latitude)) {
    throw std::invalid_argument(std::string("The profile's ") + which + " point is not a number.");
  }
  if (p.latitude < -90 || p.latitude > 90) {
    throw std::invalid_argument(std::string("The profile's ") + which + " point lies beyond the pole (latitude " +
                                std::to_string(p.latitude) + ").");
  }
}

}  // namespace

double greatCircleMetres(GeoPoint a, GeoPoint b) {
  const Vector u = unitVector(a), v = unitVector(b);
  return kMarsRadiusMetres * std::atan2(norm(cross(u, v)), dot(u, v));
}

GeoPoint greatCirclePoint(GeoPoint a, GeoPoint b, double fraction) {
  if (fraction <= 0) return normal(a);
  if (fraction >= 1) return normal(b);
  return Arc(a, b).at(fraction);
}

int profileSamplesFor(double lengthMetres, const GridSpec& grid) {
  if (!(lengthMetres > 0) || grid.perDegree <= 0) return 2;
  const double step = 2 * kPi * kMarsRadiusMetres / (360.0 * grid.perDegree);
  // One more point than steps; a length a hair over a whole number of
  // steps (rounding) takes no extra point.
  const double points = std::ceil(lengthMetres / step - 1e-9) + 1;
  if (!(points < kMaxProfileSamples)) return kMaxProfileSamples;
  return std::max(2, static_cast<int>(points));
}

ElevationProfile sampleProfile(ElevationSource& source, GeoPoint from, GeoPoint to, int samples) {
  if (samples == 1 || samples < 0 || samples > kMaxProfileSamples) {
    throw std::invalid_argument("A profile takes 2 to " + std::to_string(kMaxProfileSamples) + " points, not " +
                                std::to_string(samples) + ".");
  }
  checkPoint(from, "first");
  checkPoint(to, "second");
  ElevationProfile profile;
  profile.from = normal(from);
  profile.to = normal(to);
  profile.length = greatCircleMetres(from, to);
  const GridSpec grid = source.grid();
  const int count = samples == 0 ? profileSamplesFor(profile.length, grid) : samples;

  const Arc arc(from, to);
  profile.points.resize(std::size_t(count));
  std::vector<GridIndex> indices(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    ProfilePoint& point = profile.points[std::size_t(i)];
    const double fraction = double(i) / (count - 1);
    point.distance = i == count - 1 ? profile.length : profile.length * fraction;
    point.place = i == 0 ? profile.from : i == count - 1 ? profile.to : arc.at(fraction);
    indices[std::size_t(i)] = indexIn(grid, point.place.longitude, point.place.latitude);
  }
  std::vector<std::int16_t> elevations(static_cast<std::size_t>(count));
  source.gather(indices.data(), count, elevations.data());
  for (int i = 0; i < count; ++i) profile.points[std::size_t(i)].elevation = elevations[std::size_t(i)];
  return profile;
}

ProfileSummary summariseProfile(const ElevationProfile& profile) {
  ProfileSummary summary;
  const std::vector<ProfilePoint>& points = profile.points;
  constexpr std::int16_t kNoData = ElevationSource::kNoData;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::int16_t h = points[i].elevation;
    if (h == kNoData) continue;
    if (!summary.hasData) {
      summary.hasData = true;
      summary.highest = summary.lowest = i;
    } else if (h > points[summary.highest].elevation) {
      summary.highest = i;
    } else if (h < points[summary.lowest].elevation) {
      summary.lowest = i;
    }
    if (i == 0 || points[i - 1].elevation == kNoData) continue;
    const double rise = double(h) - points[i - 1].elevation;
    if (rise > 0) summary.climb += rise;
    if (rise < 0) summary.descent -= rise;
    const double run = points[i].distance - points[i - 1].distance;
    if (run > 0) {
      const double degrees = std::atan(std::abs(rise) / run) / kRadian;
      if (degrees > summary.steepestDegrees) {
        summary.steepestDegrees = degrees;
        summary.steepestAt = i - 1;
      }
    }
  }
  return summary;
}

}  // namespace tarvelon
