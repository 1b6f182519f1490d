#include "select/NameLabels.h"

#include <algorithm>
#include <array>
#include <cmath>
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

std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const GeoTransform& transform, int width,
                                         int height, const LabelMeasurer& measure) {
  std::vector<Candidate> candidates;
  for (const NamedPlace& place : places) {
    Candidate candidate{&place, {}, 0};
    if (!featureOnMap(place, transform, width, height, candidate.shown)) continue;
    if (candidate.shown.diameterPixels < kMinDiameterPixels) continue;
    candidate.sizeKm = labelSizeKm(place);
    candidates.push_back(candidate);
  }
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
    return std::none_of(placed.begin(), placed.end(),
                        [&](const PlacedLabel& other) { return box.overlaps(other.box, kLabelMargin); });
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

}  // namespace tarvelon
