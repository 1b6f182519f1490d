#include "export/LegendGraticule.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "export/LegendLayout.h"
#include "render/Hillshade.h"

namespace tarvelon {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kKilometresPerDegree = kMetresPerDegree / 1000;
// The spacings of the legend's ticks that divide the whole round evenly
// and read as graticules do (no 20 or 45 degrees between meridians).
constexpr double kMeridianSpacings[] = {0.05, 0.1, 0.2, 0.25, 0.5, 1, 2, 5, 10, 15, 30, 90};
constexpr double kParallelSpacings[] = {0.05, 0.1, 0.2, 0.25, 0.5, 1, 2, 5, 10, 15, 30};
// Points of a traced line lie about this many pixels apart.
constexpr double kTracePixels = 2.5;

bool polar(const ProjectedFrame& frame) {
  return frame.projection.kind == ProjectionKind::NorthPolar || frame.projection.kind == ProjectionKind::SouthPolar;
}

// The pole a polar map is centred on: 90 or -90.
double poleOf(const ProjectedFrame& frame) { return frame.projection.kind == ProjectionKind::SouthPolar ? -90 : 90; }

// The latitudes and the longitudes (east of west, at most a whole round)
// the map shows.
struct Span {
  double west, east, south, north;
};
Span spanOf(const ProjectedFrame& frame) {
  const GeoBounds& b = frame.bounds;
  return Span{b.west, std::min(b.east, b.west + 360), std::max(b.south, -90.0), std::min(b.north, 90.0)};
}

// The first spacing of `spacings` at least `minimum` pixels long at
// `pixelsPerDegree`; the coarsest when none is.
template <std::size_t N>
double firstSpacing(const double (&spacings)[N], double pixelsPerDegree, double minimum) {
  for (const double s : spacings) {
    if (s * pixelsPerDegree >= minimum) return s;
  }
  return spacings[N - 1];
}

double distance(LegendPoint a, LegendPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Pixels from a polar map's pole to its parallel `latitude`.
double pixelsFromPole(const ProjectedFrame& frame, double latitude) {
  const auto pole = mapPointOf(frame, frame.projection.centreLongitude, poleOf(frame));
  const auto at = mapPointOf(frame, frame.projection.centreLongitude, latitude);
  return pole && at ? distance(*pole, *at) : 0;
}

// Cuts a run of points to the rectangle 0 .. width, 0 .. height: the runs
// that lie in it (Liang and Barsky's clipping, segment by segment).
void clipInto(const std::vector<LegendPoint>& run, double width, double height,
              std::vector<std::vector<LegendPoint>>& out) {
  std::vector<LegendPoint> piece;
  auto close = [&] {
    if (piece.size() >= 2) out.push_back(std::move(piece));
    piece.clear();
  };
  for (std::size_t i = 0; i + 1 < run.size(); ++i) {
    const LegendPoint p = run[i];
    const LegendPoint q = run[i + 1];
    const double dx = q.x - p.x;
    const double dy = q.y - p.y;
    double t0 = 0, t1 = 1;
    bool inside = true;
    for (const auto& [denominator, numerator] :
         {std::pair{-dx, p.x}, std::pair{dx, width - p.x}, std::pair{-dy, p.y}, std::pair{dy, height - p.y}}) {
      if (denominator == 0) {
        if (numerator < 0) inside = false;
        continue;
      }
      const double t = numerator / denominator;
      if (denominator < 0) {
        t0 = std::max(t0, t);
      } else {
        t1 = std::min(t1, t);
      }
    }
    if (!inside || t0 > t1) {
      close();
      continue;
    }
    const LegendPoint from{p.x + t0 * dx, p.y + t0 * dy};
    const LegendPoint to{p.x + t1 * dx, p.y + t1 * dy};
    if (t0 > 0) close();
    if (piece.empty()) piece.push_back(from);
    piece.push_back(to);
    if (t1 < 1) close();
  }
  close();
}

// The line of constant longitude (a meridian) or latitude `value`, from
// `from` to `to` along it, in map pixels: cut where the projection cannot
// show it (the rim found to a hair between the last point shown and the
// first hidden) and to the map's rectangle.
std::vector<std::vector<LegendPoint>> trace(const ProjectedFrame& frame, bool meridian, double value, double from,
                                            double to, double step) {
  auto pointAt = [&](double t) {
    return meridian ? mapPointOf(frame, value, t) : mapPointOf(frame, t, value);
  };
  const int count = std::max(1, static_cast<int>(std::ceil(std::fabs(to - from) / step)));
  std::vector<double> x(std::size_t(count) + 1), y(x.size());
  for (int i = 0; i <= count; ++i) {
    const double t = from + (to - from) * i / count;
    x[std::size_t(i)] = meridian ? value : t;
    y[std::size_t(i)] = meridian ? t : value;
  }
  projectorFor(frame.projection).forward(x.data(), y.data(), count + 1);
  auto shown = [&](int i) { return !std::isnan(x[std::size_t(i)]); };
  auto pixel = [&](int i) {
    return LegendPoint{(x[std::size_t(i)] - frame.west) / frame.pixelSize,
                       (frame.north - y[std::size_t(i)]) / frame.pixelSize};
  };
  // The last point shown between a parameter shown and one not.
  auto rim = [&](double inside, double outside) {
    for (int k = 0; k < 40; ++k) {
      const double middle = (inside + outside) / 2;
      (pointAt(middle) ? inside : outside) = middle;
    }
    return *pointAt(inside);
  };
  auto parameter = [&](int i) { return from + (to - from) * i / count; };

  std::vector<std::vector<LegendPoint>> runs;
  std::vector<LegendPoint> run;
  for (int i = 0; i <= count; ++i) {
    if (shown(i)) {
      if (i > 0 && !shown(i - 1)) run.push_back(rim(parameter(i), parameter(i - 1)));
      run.push_back(pixel(i));
    } else if (i > 0 && shown(i - 1)) {
      run.push_back(rim(parameter(i - 1), parameter(i)));
      runs.push_back(std::move(run));
      run.clear();
    }
  }
  if (!run.empty()) runs.push_back(std::move(run));
  std::vector<std::vector<LegendPoint>> clipped;
  for (const auto& r : runs) clipInto(r, frame.width, frame.height, clipped);
  return clipped;
}

// Degrees between the points of a traced line.
double traceStep(const ProjectedFrame& frame) {
  return std::clamp(kTracePixels * frame.kilometresPerPixelAtCentre() / kKilometresPerDegree, 0.002, 0.5);
}

// The latitude towards `pole` (90 or -90) where meridians `spacing` apart
// stop: the parallel of `parallels` nearest the pole where they are still
// kMinGapNearPole pixels apart (as the ground lies at that latitude, with
// the projection's scale there); nearer the pole when no parallel drawn is
// far enough out.
double meridianStop(const ProjectedFrame& frame, double spacing, const std::vector<double>& parallels, double pole) {
  auto gap = [&](double latitude) {
    return kMarsRadius * std::cos(latitude * kPi / 180) * projectionScale(frame.projection, latitude) * spacing * kPi /
           180 / frame.pixelSize;
  };
  double stop = pole;
  for (const double p : parallels) {
    if (std::fabs(p) >= 90 || (p > 0) != (pole > 0) || gap(p) < kMinGapNearPole) continue;
    if (stop == pole || std::fabs(pole - p) < std::fabs(pole - stop)) stop = p;
  }
  if (stop != pole) return stop;
  // No parallel qualifies: where the gap is just wide enough.
  double inside = pole;
  double outside = 0;
  if (gap(outside) < kMinGapNearPole) return outside;
  for (int k = 0; k < 40; ++k) {
    const double middle = (inside + outside) / 2;
    (gap(middle) >= kMinGapNearPole ? outside : inside) = middle;
  }
  return outside;
}

std::string degreesOf(double value, bool longitude) {
  int decimals = tickDecimals(std::fabs(value));
  decimals = std::min(decimals, 2);
  return longitude ? longitudeLabel(value, decimals) : latitudeLabel(value, decimals);
}

}  // namespace

std::optional<LegendPoint> mapPointOf(const ProjectedFrame& frame, double longitude, double latitude) {
  const auto at = frame.pixelOf(longitude, latitude);
  if (!at) return std::nullopt;
  return LegendPoint{at->first, at->second};
}

GraticuleSpacing graticuleSpacing(const ProjectedFrame& frame) {
  const double pixelsPerDegree = kKilometresPerDegree / frame.kilometresPerPixelAtCentre();
  if (!polar(frame)) {
    const double spacing = std::min(30.0, firstSpacing(kMeridianSpacings, pixelsPerDegree, kMinMeridianGap));
    return {spacing, spacing};
  }
  const Span span = spanOf(frame);
  GraticuleSpacing spacing;
  spacing.parallels = firstSpacing(kParallelSpacings, pixelsPerDegree, kMinParallelGap);
  // The meridians are farthest apart on the parallel farthest from the pole.
  const double outer = poleOf(frame) > 0 ? span.south : span.north;
  const double pixelsPerDegreeRound = pixelsFromPole(frame, outer) * kPi / 180;
  spacing.meridians = firstSpacing(kMeridianSpacings, pixelsPerDegreeRound, kMinMeridianGap);
  // A small cap keeps its meridians 30 degrees apart while they stay legible.
  if (spacing.meridians > 30 && 30 * pixelsPerDegreeRound >= kMinCoarseMeridianGap) spacing.meridians = 30;
  // A narrow wedge still shows two meridians, and a thin ring two parallels.
  for (auto it = std::rbegin(kMeridianSpacings); it != std::rend(kMeridianSpacings); ++it) {
    if (*it < spacing.meridians && tickValues(span.west, span.east, spacing.meridians).size() < 2) {
      spacing.meridians = *it;
    }
  }
  for (auto it = std::rbegin(kParallelSpacings); it != std::rend(kParallelSpacings); ++it) {
    if (*it < spacing.parallels && tickValues(span.south, span.north, spacing.parallels).size() < 2) {
      spacing.parallels = *it;
    }
  }
  return spacing;
}

std::vector<GraticuleLine> graticuleLines(const ProjectedFrame& frame, const GraticuleSpacing& spacing) {
  std::vector<GraticuleLine> lines;
  if (frame.width <= 0 || frame.height <= 0 || !(frame.pixelSize > 0)) return lines;
  const Span span = spanOf(frame);
  const double step = traceStep(frame);
  const bool wholeRound = span.east - span.west >= 360 - 1e-9;

  std::vector<double> parallels;
  for (const double p : tickValues(span.south, span.north, spacing.parallels)) {
    if (std::fabs(p) < 90) parallels.push_back(p);
  }
  for (const double p : parallels) {
    for (auto& points : trace(frame, false, p, span.west, span.east, step)) {
      lines.push_back({false, p, std::move(points)});
    }
  }

  const double south = span.south, north = span.north;
  // The meridians that stop short of the poles: all but every 90 degrees.
  double stopSouth = south, stopNorth = north;
  if (spacing.meridians < 90) {
    if (frame.projection.kind != ProjectionKind::SouthPolar) {
      stopNorth = std::clamp(meridianStop(frame, spacing.meridians, parallels, 90), south, north);
    }
    if (frame.projection.kind != ProjectionKind::NorthPolar) {
      stopSouth = std::clamp(meridianStop(frame, spacing.meridians, parallels, -90), south, north);
    }
  }
  for (const double m : tickValues(span.west, span.east, spacing.meridians)) {
    if (wholeRound && m >= span.west + 360 - 1e-9) continue;  // the first again
    const bool throughPole = std::fabs(std::remainder(m, 90)) < 1e-9;
    const double from = throughPole ? south : stopSouth;
    const double to = throughPole ? north : stopNorth;
    if (!(to > from)) continue;
    for (auto& points : trace(frame, true, m, from, to, step)) lines.push_back({true, m, std::move(points)});
  }
  return lines;
}

std::vector<std::vector<LegendPoint>> shownOutline(const ProjectedFrame& frame) {
  std::vector<std::vector<LegendPoint>> outline;
  if (frame.width <= 0 || frame.height <= 0 || !(frame.pixelSize > 0)) return outline;
  if (!polar(frame)) {
    // The rim: a circle of the planet's radius about the projection's origin.
    const double radius = kMarsRadius / frame.pixelSize;
    const LegendPoint origin{-frame.west / frame.pixelSize, frame.north / frame.pixelSize};
    const int count = std::clamp(static_cast<int>(2 * kPi * radius / kTracePixels), 64, 20000);
    std::vector<LegendPoint> circle;
    for (int i = 0; i <= count; ++i) {
      const double a = 2 * kPi * i / count;
      circle.push_back({origin.x + radius * std::cos(a), origin.y + radius * std::sin(a)});
    }
    clipInto(circle, frame.width, frame.height, outline);
    return outline;
  }
  const Span span = spanOf(frame);
  const double step = traceStep(frame);
  auto add = [&](std::vector<std::vector<LegendPoint>> pieces) {
    for (auto& p : pieces) outline.push_back(std::move(p));
  };
  for (const double latitude : {span.south, span.north}) {
    if (std::fabs(latitude) < 90) add(trace(frame, false, latitude, span.west, span.east, step));
  }
  if (span.east - span.west < 360 - 1e-9) {
    for (const double longitude : {span.west, span.east}) {
      add(trace(frame, true, longitude, span.south, span.north, step));
    }
  }
  return outline;
}

std::string projectionTitle(const MapProjection& projection) {
  switch (projection.kind) {
    case ProjectionKind::NorthPolar: return "North polar stereographic";
    case ProjectionKind::SouthPolar: return "South polar stereographic";
    case ProjectionKind::Globe:
      return "Orthographic globe centred on " + degreesOf(projection.centreLongitude, true) + ", " +
             degreesOf(projection.centreLatitude, false);
    case ProjectionKind::Equirectangular: break;
  }
  return "Simple cylindrical";
}

std::string projectionNote(const MapProjection& projection) {
  const std::string sphere = "on the Mars 2000 sphere (radius 3396.19 km); heights above the MOLA areoid.";
  switch (projection.kind) {
    case ProjectionKind::NorthPolar:
    case ProjectionKind::SouthPolar: {
      const bool north = projection.kind == ProjectionKind::NorthPolar;
      return std::string(north ? "North" : "South") + " polar stereographic projection, true scale at the pole, " +
             degreesOf(projection.centreLongitude, true) + (north ? " straight down" : " straight up") +
             " from the pole, " + sphere;
    }
    case ProjectionKind::Globe:
      return "Orthographic projection (the globe as seen from far out in space) centred on " +
             degreesOf(projection.centreLongitude, true) + ", " + degreesOf(projection.centreLatitude, false) + ", " +
             sphere;
    case ProjectionKind::Equirectangular: break;
  }
  return kLegendProjection;
}

}  // namespace tarvelon
