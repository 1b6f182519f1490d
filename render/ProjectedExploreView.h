// The explorer's view in a projection: a window of the plane of a polar
// stereographic map, or a globe turned to any centre, at the zoom levels of
// the simple cylindrical view (a pixel as many metres as the level's
// samples span on the ground, true at the pole or the globe's centre). A
// pan moves the plane under the window, or turns the globe; the view is
// drawn as one projected frame.
#pragma once

#include <optional>

#include "dem/ElevationSource.h"
#include "render/GridWindow.h"
#include "render/Projection.h"

namespace tarvelon {

// The window of `grid` that holds every point a frame shows (the whole
// round when a pole is in it), at about the frame's pixel size; empty
// (width 0) when the frame shows no point of the grid.
GridWindow coveringWindow(const ProjectedFrame& frame, const GridSpec& grid);

class ProjectedExploreView {
 public:
  // A view of the whole hemisphere (polar) or disc (globe) in `kind`,
  // which must be projected.
  explicit ProjectedExploreView(ProjectionKind kind, GeoPoint globeCentre = {});

  ProjectionKind kind() const { return projection_.kind; }
  void resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  int level() const { return level_; }
  double metresPerPixel() const;
  // The level at which the hemisphere (to the equator) or the disc fits.
  int fittingLevel() const;
  void fitPlanet();
  // Centres the view on a point (a polar view on the far hemisphere stays
  // at its equator's edge) at a level.
  void centreOn(GeoPoint point, int level);
  // As ExploreView::zoomAbout: the point under (x, y) stays there.
  bool zoomAbout(double x, double y, int levels);
  // The map follows the mouse: the plane moves, or the globe turns so that
  // the point under the mouse goes with it.
  void panBy(double dx, double dy);

  ProjectedFrame frame() const;
  std::optional<GeoPoint> pointAt(double x, double y) const;
  std::optional<std::pair<double, double>> positionOf(GeoPoint point) const;
  double kilometresPerPixel() const { return metresPerPixel() / 1000; }

 private:
  void clamp();
  // Turns the globe so that its centre lies `angle` (radians) from
  // `point`, towards the centre it had.
  void turnTowards(GeoPoint point, double angle);

  MapProjection projection_;
  int width_ = 1;
  int height_ = 1;
  int level_ = 0;
  // The window's centre on the plane, in metres (always 0, 0 on the globe,
  // whose centre is the projection's).
  double x_ = 0;
  double y_ = 0;
};

}  // namespace tarvelon
