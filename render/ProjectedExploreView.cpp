#include "render/ProjectedExploreView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "render/ExploreView.h"
#include "render/Hillshade.h"

namespace tarvelon {

namespace {

// Metres of the ground one sample of the 128-a-degree grid spans along a
// meridian.
constexpr double kMetresPerSample = kMetresPerDegree / 128.0;

int lastLevel() { return static_cast<int>(exploreLevels().size()) - 1; }

// The plane's size that must fit the window: the stereographic disc to the
// equator (radius 2R), or the globe's disc (radius R).
double fittingDiameter(ProjectionKind kind) { return kind == ProjectionKind::Globe ? 2 * kMarsRadius : 4 * kMarsRadius; }

}  // namespace

GridWindow coveringWindow(const ProjectedFrame& frame, const GridSpec& grid) {
  constexpr int kAcross = 40;  // points a side looked at
  double north = -90, south = 90, west = 0, east = 0;
  bool any = false;
  std::optional<double> reference;  // longitudes counted about the first seen
  for (int j = 0; j <= kAcross; ++j) {
    for (int i = 0; i <= kAcross; ++i) {
      const std::optional<GeoPoint> p =
          frame.pointAt(frame.width * double(i) / kAcross, frame.height * double(j) / kAcross);
      if (!p || p->latitude > grid.north || p->latitude < grid.south()) continue;
      if (!reference) reference = p->longitude;
      const double longitude = *reference + std::remainder(p->longitude - *reference, 360.0);
      west = any ? std::min(west, longitude) : longitude;
      east = any ? std::max(east, longitude) : longitude;
      north = std::max(north, p->latitude);
      south = std::min(south, p->latitude);
      any = true;
    }
  }
  if (!any) return GridWindow{};
  // A pole in the frame: the whole round, up to the grid's edge.
  for (const double pole : {90.0, -90.0}) {
    const auto at = frame.pixelOf(0, pole);
    if (at && at->first >= 0 && at->second >= 0 && at->first <= frame.width && at->second <= frame.height) {
      west = -180;
      east = 180;
      if (pole > 0) north = grid.north;
      if (pole < 0) south = grid.south();
    }
  }
  if (east - west > 360) east = west + 360;
  const double samplesPerPixel = frame.pixelSize / (kMetresPerDegree / grid.perDegree);
  GridWindow window;
  window.step = std::max(1, static_cast<int>(std::lround(samplesPerPixel)));
  window.zoom = samplesPerPixel < 0.75 ? std::min(8, static_cast<int>(std::lround(1 / samplesPerPixel))) : 1;
  const std::int64_t firstColumn = static_cast<std::int64_t>(std::floor((west - grid.west) * grid.perDegree));
  const std::int64_t lastColumn = static_cast<std::int64_t>(std::ceil((east - grid.west) * grid.perDegree));
  const int firstLine = std::clamp(static_cast<int>(std::floor((grid.north - north) * grid.perDegree)), 0, grid.lines - 1);
  const int lastLine = std::clamp(static_cast<int>(std::ceil((grid.north - south) * grid.perDegree)), firstLine + 1,
                                  grid.lines);
  const std::int64_t columns = std::min<std::int64_t>(lastColumn - firstColumn, grid.columns);
  window.firstColumn = wrapColumn(firstColumn, grid.columns);
  window.firstLine = firstLine;
  window.width = static_cast<int>(std::max<std::int64_t>(1, (columns + window.step - 1) / window.step * window.zoom));
  window.height = std::max(1, (lastLine - firstLine + window.step - 1) / window.step * window.zoom);
  return window;
}

ProjectedExploreView::ProjectedExploreView(ProjectionKind kind, GeoPoint globeCentre) {
  projection_.kind = kind;
  if (kind == ProjectionKind::Globe) {
    projection_.centreLongitude = std::remainder(globeCentre.longitude, 360.0);
    projection_.centreLatitude = std::clamp(globeCentre.latitude, -90.0, 90.0);
  } else {
    projection_.centreLatitude = kind == ProjectionKind::NorthPolar ? 90 : -90;
  }
  fitPlanet();
}

double ProjectedExploreView::metresPerPixel() const {
  return exploreLevels()[std::size_t(level_)].samplesPerPixel() * kMetresPerSample;
}

int ProjectedExploreView::fittingLevel() const {
  const double across = fittingDiameter(projection_.kind);
  for (int i = 0; i <= lastLevel(); ++i) {
    const double metres = exploreLevels()[std::size_t(i)].samplesPerPixel() * kMetresPerSample;
    if (across / metres <= std::min(width_, height_)) return i;
  }
  return lastLevel();
}

void ProjectedExploreView::resize(int width, int height) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  clamp();
}

void ProjectedExploreView::fitPlanet() {
  level_ = fittingLevel();
  x_ = y_ = 0;
}

void ProjectedExploreView::centreOn(GeoPoint point, int level) {
  level_ = std::clamp(level, 0, lastLevel());
  if (projection_.kind == ProjectionKind::Globe) {
    projection_.centreLongitude = std::remainder(point.longitude, 360.0);
    projection_.centreLatitude = std::clamp(point.latitude, -90.0, 90.0);
    x_ = y_ = 0;
    return;
  }
  double x = point.longitude;
  double y = point.latitude;
  projectorFor(projection_).forward(&x, &y, 1);
  if (std::isfinite(x) && std::isfinite(y)) {
    x_ = x;
    y_ = y;
  }
  clamp();
}

bool ProjectedExploreView::zoomAbout(double x, double y, int levels) {
  const int next = std::clamp(level_ - levels, 0, std::min(fittingLevel() + 1, lastLevel()));
  if (next == level_) return false;
  const double ratio = exploreLevels()[std::size_t(next)].samplesPerPixel() /
                       exploreLevels()[std::size_t(level_)].samplesPerPixel();
  if (projection_.kind == ProjectionKind::Globe) {
    // The globe turns so that the point under the cursor, at its new
    // distance from the centre, stays on the great circle through it and
    // the centre.
    const std::optional<GeoPoint> under = pointAt(x, y);
    const double offset = std::hypot(x - width_ / 2.0, y - height_ / 2.0) * metresPerPixel() * ratio / kMarsRadius;
    level_ = next;
    if (!under || offset >= 1) return true;
    const MapProjection before = projection_;
    turnTowards(*under, std::asin(offset));
    // The globe's north turns as its centre moves: a few turns more bring
    // the point back under the cursor.
    for (int k = 0; k < 20; ++k) {
      const std::optional<std::pair<double, double>> at = positionOf(*under);
      if (!at) break;
      const double dx = x - at->first;
      const double dy = y - at->second;
      if (std::hypot(dx, dy) < 0.25) break;
      panBy(dx, dy);
    }
    // Near the rim, where the globe is seen edge on, the turns may not find
    // it: the globe then zooms about its centre.
    const std::optional<std::pair<double, double>> at = positionOf(*under);
    if (!at || std::hypot(x - at->first, y - at->second) > 1) projection_ = before;
    return true;
  }
  // The plane's point under (x, y) stays there: the centre moves towards
  // it as the pixels shrink, or away as they grow.
  panBy((x - width_ / 2.0) * (1 - ratio) * -1, (y - height_ / 2.0) * (1 - ratio) * -1);
  level_ = next;
  clamp();
  return true;
}

void ProjectedExploreView::panBy(double dx, double dy) {
  if (projection_.kind == ProjectionKind::Globe) {
    // The point now at the window's centre less the move comes to the
    // centre: the globe turns with the mouse.
    if (const std::optional<GeoPoint> next = pointAt(width_ / 2.0 - dx, height_ / 2.0 - dy)) {
      projection_.centreLongitude = next->longitude;
      projection_.centreLatitude = next->latitude;
    }
    return;
  }
  x_ -= dx * metresPerPixel();
  y_ += dy * metresPerPixel();
  clamp();
}

void ProjectedExploreView::turnTowards(GeoPoint point, double angle) {
  // Unit vectors of the point and the centre; the centre comes to lie
  // `angle` from the point, on the great circle from it to the old centre.
  const auto vector = [](double longitude, double latitude) {
    const double lon = longitude * std::numbers::pi / 180;
    const double lat = latitude * std::numbers::pi / 180;
    return std::array<double, 3>{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
  };
  const auto p = vector(point.longitude, point.latitude);
  const auto c = vector(projection_.centreLongitude, projection_.centreLatitude);
  const double dot = p[0] * c[0] + p[1] * c[1] + p[2] * c[2];
  std::array<double, 3> t{c[0] - dot * p[0], c[1] - dot * p[1], c[2] - dot * p[2]};
  const double length = std::hypot(t[0], t[1], t[2]);
  if (length < 1e-12) return;  // the point is the centre already
  std::array<double, 3> n{};
  for (int i = 0; i < 3; ++i) n[i] = std::cos(angle) * p[i] + std::sin(angle) * t[i] / length;
  projection_.centreLatitude = std::asin(std::clamp(n[2], -1.0, 1.0)) * 180 / std::numbers::pi;
  projection_.centreLongitude = std::atan2(n[1], n[0]) * 180 / std::numbers::pi;
}

void ProjectedExploreView::clamp() {
  if (projection_.kind == ProjectionKind::Globe) return;
  // The centre stays within the hemisphere's disc.
  const double radius = 2 * kMarsRadius;
  const double distance = std::hypot(x_, y_);
  if (distance > radius) {
    x_ *= radius / distance;
    y_ *= radius / distance;
  }
}

ProjectedFrame ProjectedExploreView::frame() const {
  ProjectedFrame frame;
  frame.projection = projection_;
  frame.pixelSize = metresPerPixel();
  frame.width = width_;
  frame.height = height_;
  frame.west = x_ - width_ / 2.0 * frame.pixelSize;
  frame.north = y_ + height_ / 2.0 * frame.pixelSize;
  if (projection_.kind == ProjectionKind::NorthPolar) frame.bounds = GeoBounds{-180, 180, 90, 0};
  if (projection_.kind == ProjectionKind::SouthPolar) frame.bounds = GeoBounds{-180, 180, 0, -90};
  return frame;
}

std::optional<GeoPoint> ProjectedExploreView::pointAt(double x, double y) const { return frame().pointAt(x, y); }

std::optional<std::pair<double, double>> ProjectedExploreView::positionOf(GeoPoint point) const {
  return frame().pixelOf(point.longitude, point.latitude);
}

}  // namespace tarvelon
