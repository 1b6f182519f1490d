#include "select/NameLabels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <string_view>

namespace tarvelon {

namespace {

// Kilometres in a degree of latitude on the Mars 2000 sphere.
constexpr double kKmPerDegree = 3396.19 * std::numbers::pi / 180.0;

// Text steps by the feature's diameter on the map: under 64 pixels the
// smallest, then under 160 and under 400.
constexpr std::array<double, kLabelSizes - 1> kSizeSteps{64, 160, 400};

bool isOneOf(std::string_view kind, std::initializer_list<std::string_view> kinds) {
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

int sizeFor(const NamedPlace& place, double diameterPixels) {
  if (place.isAlbedo()) return 0;
  int size = 0;
  while (size < kLabelSizes - 1 && diameterPixels >= kSizeSteps[size]) ++size;
  return size;
}

// A label that may still be placed: a feature big enough on the map.
struct Candidate {
  const NamedPlace* place;
  FeatureOnMap shown;
  double sizeKm;
};

}  // namespace

LabelStyle labelStyleOf(const NamedPlace& place) {
  if (place.isAlbedo()) return LabelStyle::Region;
  const std::string kind = singularKind(place.kind);
  if (isOneOf(kind, {"planitia", "planum", "terra", "vastitas", "regio", "mare", "palus", "sinus", "lacus"})) {
    return LabelStyle::Region;
  }
  if (isOneOf(kind, {"mons", "tholus", "patera", "collis", "mensa"})) return LabelStyle::Relief;
  if (isOneOf(kind, {"vallis", "chasma", "fossa", "catena", "labyrinthus", "sulcus", "cavus"})) {
    return LabelStyle::Channel;
  }
  if (kind == "crater") return LabelStyle::Crater;
  return LabelStyle::Other;
}

double labelSizeKm(const NamedPlace& place) {
  if (place.isAlbedo()) return kAlbedoDiameterKm;
  const std::string kind = singularKind(place.kind);
  if (isOneOf(kind, {"fossa", "sulcus", "dorsum", "rupes", "unda", "collis", "cavus", "catena", "scopulus", "lingula",
                     "labes", "fluctus", "serpens", "arcus", "mensa"})) {
    return kLesserKindShare * place.diameterKm;
  }
  return place.diameterKm;
}

bool featureOnMap(const NamedPlace& place, const GeoTransform& transform, int width, int height, FeatureOnMap& out) {
  if (transform.pixelWidth <= 0 || transform.pixelHeight <= 0 || width <= 0 || height <= 0) return false;
  const double y = (transform.north - place.latitude) / transform.pixelHeight;
  if (!(y >= 0 && y < height)) return false;
  bool found = false;
  double x = 0;
  for (const double shift : {0.0, 360.0, -360.0}) {
    x = (place.longitude + shift - transform.west) / transform.pixelWidth;
    if (x >= 0 && x < width) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  const double diameterKm = place.isAlbedo() ? kAlbedoDiameterKm : place.diameterKm;
  const double radiusDegrees = diameterKm / 2 / kKmPerDegree;
  // A circle on the sphere is wider than high on a map of even degrees, by
  // 1 / cos(latitude); held finite at the poles.
  const double across = std::max(std::cos(place.latitude * std::numbers::pi / 180.0), 0.05);
  out.centreX = x;
  out.centreY = y;
  out.radiusY = radiusDegrees / transform.pixelHeight;
  out.radiusX = radiusDegrees / across / transform.pixelWidth;
  out.diameterPixels = labelSizeKm(place) / kKmPerDegree / transform.pixelHeight;
  return true;
}

bool featureOnMap(const NamedPlace& place, const ProjectedFrame& frame, FeatureOnMap& out) {
  if (frame.width <= 0 || frame.height <= 0 || !(frame.pixelSize > 0)) return false;
  if (!frame.bounds.contains(place.longitude, place.latitude)) return false;
  const auto at = frame.pixelOf(place.longitude, place.latitude);
  if (!at) return false;
  const auto [x, y] = *at;
  if (!(x >= 0 && x < frame.width && y >= 0 && y < frame.height)) return false;
  // Pixels a kilometre at the feature's centre: `along` across the line to
  // the map's centre, `radial` along it.
  double along = 1000 / frame.pixelSize;
  double radial = along;
  double towardsX = 0, towardsY = 0;  // the line from the globe's centre, in pixels
  if (frame.projection.kind == ProjectionKind::Globe) {
    const double phi = place.latitude * std::numbers::pi / 180;
    const double phi0 = frame.projection.centreLatitude * std::numbers::pi / 180;
    const double dLambda = (place.longitude - frame.projection.centreLongitude) * std::numbers::pi / 180;
    const double cosC = std::sin(phi0) * std::sin(phi) + std::cos(phi0) * std::cos(phi) * std::cos(dLambda);
    if (!(cosC > 0)) return false;
    // Held above nothing at the rim, as a map of even degrees holds its
    // circles near the pole.
    radial *= std::max(cosC, 0.05);
    if (const auto middle = frame.pixelOf(frame.projection.centreLongitude, frame.projection.centreLatitude)) {
      towardsX = x - middle->first;
      towardsY = y - middle->second;
    }
  } else {
    along = radial = along * projectionScale(frame.projection, place.latitude);
  }
  const double radiusKm = (place.isAlbedo() ? kAlbedoDiameterKm : place.diameterKm) / 2;
  const double a = radiusKm * along;   // the ellipse's half-axis across the line to the centre
  const double b = radiusKm * radial;  // and along it
  out.centreX = x;
  out.centreY = y;
  const double length = std::hypot(towardsX, towardsY);
  if (a == b || !(length > 1e-9) || !(b > 0)) {
    out.radiusX = out.radiusY = a;
  } else {
    // The ellipse's reach along a row and along a column.
    const double ux = towardsX / length;
    const double uy = towardsY / length;
    out.radiusX = 1 / std::sqrt(ux * ux / (b * b) + uy * uy / (a * a));
    out.radiusY = 1 / std::sqrt(uy * uy / (b * b) + ux * ux / (a * a));
  }
  out.diameterPixels = labelSizeKm(place) * along;
  return true;
}

namespace {

// Places the labels of `candidates` on a map of `width` x `height` pixels
// by the rules (see NameLabels.h); `shows(box)`, when given, says whether a
// label's box lies over the part of the planet the map shows.
std::vector<PlacedLabel> placeCandidates(std::vector<Candidate> candidates, int width, int height,
                                         const LabelMeasurer& measure,
                                         const std::function<bool(const LabelBox&)>& shows) {
  // Real features largest first, then the albedo features; ties in file
  // order, so that the same map always has the same labels.
  std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    if (a.place->isAlbedo() != b.place->isAlbedo()) return !a.place->isAlbedo();
    return a.sizeKm > b.sizeKm;
  });

  std::vector<PlacedLabel> placed;
  auto fits = [&](const LabelBox& box) {
    if (box.x < kLabelMargin || box.y < kLabelMargin || box.x + box.width > width - kLabelMargin ||
        box.y + box.height > height - kLabelMargin) {
      return false;
    }
    if (std::any_of(placed.begin(), placed.end(),
                    [&](const PlacedLabel& other) { return box.overlaps(other.box, kLabelMargin); })) {
      return false;
    }
    return !shows || shows(box);
  };

  for (const Candidate& candidate : candidates) {
    const FeatureOnMap& shown = candidate.shown;
    PlacedLabel label;
    label.place = candidate.place;
    label.style = labelStyleOf(*candidate.place);
    label.size = sizeFor(*candidate.place, shown.diameterPixels);
    label.centreX = shown.centreX;
    label.centreY = shown.centreY;
    label.radiusX = shown.radiusX;
    label.radiusY = shown.radiusY;
    const double w = measure.width(candidate.place->name, label.style, label.size);
    const double h = measure.height(label.style, label.size);
    if (!(w > 0 && h > 0) || w > width - 2 * kLabelMargin || h > height - 2 * kLabelMargin) continue;

    // Centred, then above, below, right and left, clear of a label of the
    // same size centred on the feature: each shift at most three quarters of
    // the radius, so that the label's middle stays on the feature.
    const double up = std::min(1.5 * h + kLabelMargin, 0.75 * shown.radiusY);
    const double aside = std::min(w / 2 + kLabelMargin, 0.75 * shown.radiusX);
    const std::array<std::array<double, 2>, 5> shifts{{{0, 0}, {0, -up}, {0, up}, {aside, 0}, {-aside, 0}}};
    for (const auto& [dx, dy] : shifts) {
      const LabelBox box{shown.centreX + dx - w / 2, shown.centreY + dy - h / 2, w, h};
      if (fits(box)) {
        label.box = box;
        placed.push_back(label);
        break;
      }
    }
  }
  return placed;
}

template <typename OnMap>
std::vector<Candidate> candidatesOf(std::span<const NamedPlace> places, const OnMap& onMap) {
  std::vector<Candidate> candidates;
  for (const NamedPlace& place : places) {
    Candidate candidate{&place, {}, 0};
    if (!onMap(place, candidate.shown)) continue;
    if (candidate.shown.diameterPixels < kMinDiameterPixels) continue;
    candidate.sizeKm = labelSizeKm(place);
    candidates.push_back(candidate);
  }
  return candidates;
}

}  // namespace

std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const GeoTransform& transform, int width,
                                         int height, const LabelMeasurer& measure) {
  auto onMap = [&](const NamedPlace& place, FeatureOnMap& out) {
    return featureOnMap(place, transform, width, height, out);
  };
  return placeCandidates(candidatesOf(places, onMap), width, height, measure, nullptr);
}

std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const ProjectedFrame& frame,
                                         const LabelMeasurer& measure) {
  if (frame.width <= 0 || frame.height <= 0 || !(frame.pixelSize > 0)) return {};
  auto onMap = [&](const NamedPlace& place, FeatureOnMap& out) { return featureOnMap(place, frame, out); };
  // The box's corners and the middles of its sides on the planet, within
  // the map's bounds: enough for the round and wedge-shaped parts a
  // projected map shows, whose edges bend far less than a label is long.
  auto shows = [&frame](const LabelBox& box) {
    for (const double u : {0.0, 0.5, 1.0}) {
      for (const double v : {0.0, 0.5, 1.0}) {
        if (u == 0.5 && v == 0.5) continue;
        if (!frame.pointAt(box.x + u * box.width, box.y + v * box.height)) return false;
      }
    }
    return true;
  };
  return placeCandidates(candidatesOf(places, onMap), frame.width, frame.height, measure, shows);
}

std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const MapGeometry& geometry,
                                         const LabelMeasurer& measure) {
  if (const ProjectedFrame* frame = geometry.projection()) return placeNameLabels(places, *frame, measure);
  return placeNameLabels(places, geometry.transform(), geometry.width(), geometry.height(), measure);
}

}  // namespace tarvelon
