#include "app/ProjectionChoice.h"

#include <algorithm>

#include "dem/GridSampler.h"
#include "dem/TileSet.h"
#include "render/Hillshade.h"

namespace tarvelon {

namespace {

constexpr ProjectionKind kProjectedKinds[] = {ProjectionKind::NorthPolar, ProjectionKind::SouthPolar,
                                              ProjectionKind::Globe};

std::string titleSuffix(ProjectionKind kind) { return std::string(" - ") + projectionCaption(kind); }

}  // namespace

const char* projectionCaption(ProjectionKind kind) {
  switch (kind) {
    case ProjectionKind::Equirectangular: return "Simple Cylindrical";
    case ProjectionKind::NorthPolar: return "North Polar Stereographic";
    case ProjectionKind::SouthPolar: return "South Polar Stereographic";
    case ProjectionKind::Globe: return "Globe";
  }
  return "";
}

ProjectedView projectedView(ProjectionKind chosen, const GeoBounds& asked, int step, int globeSize) {
  GeoBounds area = asked;
  area.north = std::min(area.north, 90.0);
  area.south = std::max(area.south, -90.0);
  ProjectedView view;
  switch (chosen) {
    case ProjectionKind::Equirectangular:
      return view;
    case ProjectionKind::Globe:
      view.frame = globeFrame(GeoPoint{(area.west + area.east) / 2, (area.north + area.south) / 2}, globeSize);
      return view;
    case ProjectionKind::NorthPolar:
    case ProjectionKind::SouthPolar:
      break;
  }
  if (automaticProjection(area) != chosen) {
    const bool north = chosen == ProjectionKind::NorthPolar;
    view.note = std::string(projectionCaption(chosen)) + " applies to areas " + (north ? "north" : "south") +
                " of 60\xC2\xB0" + (north ? "N" : "S") + ": this map is drawn in simple cylindrical projection.";
    return view;
  }
  // The tiles end at 88 degrees: an area that reaches that far (as every
  // area asked beyond it is cut) goes on to the pole, which is then on the
  // map, showing no sample, rather than a hole in the middle of a polar cap.
  const double tileEdge = kTileGridSpec.north;
  if (area.north >= tileEdge) area.north = 90;
  if (area.south <= -tileEdge) area.south = -90;
  view.frame = polarFrame(chosen, area, step * kMetresPerDegree / kSamplesPerDegree);
  return view;
}

int globeSizeFor(int viewWidth, int viewHeight) { return std::max(kSmallestGlobe, std::min(viewWidth, viewHeight)); }

GeoBounds geoBoundsOf(const AreaBounds& area) {
  return GeoBounds{double(area.west), double(area.east), double(area.north), double(area.south)};
}

GeoBounds geoBoundsOf(const TileBox& box) {
  return GeoBounds{double(box.tileWest), double(box.tileEast), double(box.tileNorth), double(box.tileSouth)};
}

GeoBounds geoBoundsOf(const MapGeometry& geometry) {
  const GeoTransform t = geometry.transform();
  return GeoBounds{t.west, t.west + geometry.width() * t.pixelWidth, t.north,
                   t.north - geometry.height() * t.pixelHeight};
}

std::string projectedTitle(const std::string& title, ProjectionKind kind) {
  if (kind == ProjectionKind::Equirectangular) return title;
  return title + titleSuffix(kind);
}

std::string plainTitle(const std::string& title) {
  for (const ProjectionKind kind : kProjectedKinds) {
    const std::string suffix = titleSuffix(kind);
    if (title.size() >= suffix.size() && title.compare(title.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return title.substr(0, title.size() - suffix.size());
    }
  }
  return title;
}

}  // namespace tarvelon
