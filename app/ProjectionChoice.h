// Topography > Projection: what the projection chosen in the main window
// makes of each map. A polar projection applies to a map whose area lies
// wholly poleward of 60 degrees on its pole's side, and any other map stays
// simple cylindrical, drawn as it always has been; the globe applies to
// every map, centred on its area. No Qt.
#pragma once

#include <optional>
#include <string>

#include "render/AreaLayout.h"
#include "render/MapGeometry.h"
#include "render/Projection.h"

namespace tarvelon {

// A polar map's area lies wholly beyond this latitude, north or south.
inline constexpr double kPolarMapLatitude = 60;
// The globe is never smaller than this many pixels across.
inline constexpr int kSmallestGlobe = 512;

// As the menu says it: "Simple Cylindrical", "North Polar Stereographic",
// "South Polar Stereographic", "Globe".
const char* projectionCaption(ProjectionKind kind);

// What a map is drawn as.
struct ProjectedView {
  // The frame of the projected map; nothing for a map drawn simple
  // cylindrical.
  std::optional<ProjectedFrame> frame;
  // Why the projection chosen does not apply to the map, for the user;
  // empty when it applies or simple cylindrical was chosen.
  std::string note;
};

// The map of `area`, which simple cylindrical draws at `step`, in the
// projection `chosen`; a polar map's area reaching the tiles' edge at 88
// degrees goes on to the pole. A polar map's pixels span the ground of that step
// (step / 128 degree of a meridian, about step x 463 m), so that the map
// keeps about the pixels it would have; the globe is `globeSize` pixels
// across, centred on the middle of the area.
ProjectedView projectedView(ProjectionKind chosen, const GeoBounds& area, int step, int globeSize);

// The globe's size for a view of width x height pixels: the smaller of
// them, and no less than kSmallestGlobe.
int globeSizeFor(int viewWidth, int viewHeight);

// The area of a rectangle of whole degrees, of a tile and of a simple
// cylindrical map (its pixels' outer edges).
GeoBounds geoBoundsOf(const AreaBounds& area);
GeoBounds geoBoundsOf(const TileBox& box);
GeoBounds geoBoundsOf(const MapGeometry& geometry);

// A map's title with the projection it is drawn in: "Olympia (N Pole) -
// North Polar Stereographic"; the title alone for simple cylindrical.
std::string projectedTitle(const std::string& title, ProjectionKind kind);
// The title without the projection projectedTitle added, if any.
std::string plainTitle(const std::string& title);

}  // namespace tarvelon
