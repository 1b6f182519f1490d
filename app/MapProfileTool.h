// The profile tool of the main window's map: a drag with the right button
// (or with the left, once "Elevation Profile" is chosen) draws a line
// along the great circle between two points of the map shown, and the
// profile window plots the elevations under it. The line, and the point
// the profile window marks, are drawn over the map as a layer of their
// own that lets every mouse event through.
#pragma once

#include <QPointF>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "dem/ElevationSource.h"
#include "render/MapGeometry.h"
#include "render/WindowRenderer.h"
#include "windows/ProfileLauncher.h"
#include "windows/ProfileWindow.h"

namespace tarvelon {

// The point under pixel position (x, y) of a map (pixel corners at whole
// numbers); nothing off the map, off the planet or beyond the grid's 88
// degrees.
std::optional<GeoPoint> mapPointAt(const MapGeometry& geometry, QPointF position);
// Where a point lies on a map, in pixel positions: on a simple cylindrical
// map, the copy of its longitude nearest the map's middle.
std::optional<QPointF> mapPositionOf(const MapGeometry& geometry, GeoPoint point);

class MapProfileTool : public QWidget {
  Q_OBJECT

 public:
  using GeometryOf = std::function<const MapGeometry*()>;

  // Lies over `image`, the same size; `shown` gives the geometry of the map
  // on screen, nullptr while there is none.
  MapProfileTool(QWidget& image, GeometryOf shown);
  ~MapProfileTool() override;

  // The tiles the profiles read; empty while no data folder is in use.
  void setSource(SourceOpener openSource);
  void setDialogs(ProfileWindow::ChooseFile choose, ProfileWindow::ReportError report);

  // The next left-button drag draws a profile too.
  void arm();
  bool armed() const { return armed_; }
  // Samples and shows the profile from one point to another.
  void showProfile(GeoPoint from, GeoPoint to);
  // The map changed: the line goes.
  void clearLine();

  ProfileWindow* profileWindow() const { return launcher_.window(); }
  const std::optional<std::pair<GeoPoint, GeoPoint>>& line() const { return line_; }
  // True when the line is drawn over the map shown: the map it was drawn on.
  bool lineShown() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QWidget& image_;
  GeometryOf shown_;
  ProfileLauncher launcher_;
  bool armed_ = false;
  bool dragging_ = false;
  QPointF pressedAt_;
  std::optional<GeoPoint> start_;
  std::optional<GeoPoint> end_;
  std::optional<std::pair<GeoPoint, GeoPoint>> line_;
  // The map the line was drawn on: another map in the picture hides it.
  std::optional<MapGeometry> lineMap_;
  std::optional<GeoPoint> marker_;
};

}  // namespace tarvelon
