// The explorer's map: a view of the whole planet that the wheel zooms about
// the cursor and a drag pans, drawn piece by piece on worker threads. What
// is not drawn yet shows the last sharp frame, scaled to the new view,
// until its pieces arrive. Lines drawn on it follow great circles: the
// profile line, the legs measured, and the point the profile marks.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "dem/ElevationSource.h"
#include "render/Colouring.h"
#include "render/ExploreView.h"
#include "render/PieceCache.h"
#include "render/PieceDrawer.h"
#include "render/ProjectedExploreView.h"
#include "render/WindowRenderer.h"

namespace tarvelon {

class ExplorerCanvas : public QWidget {
  Q_OBJECT

 public:
  enum class Tool { Pan, Profile, Measure };

  static constexpr std::size_t kDefaultCacheBytes = std::size_t(256) << 20;

  explicit ExplorerCanvas(QWidget* parent = nullptr);
  ~ExplorerCanvas() override;

  // The tiles the pieces are drawn from; what was drawn from others goes.
  // An empty opener leaves the view blank.
  void setSource(SourceOpener openSource);
  // The colours of the pieces; pieces of other colours go.
  void setColouring(const Colouring& colouring);
  const Colouring& colouring() const { return colouring_; }
  void setCacheLimit(std::size_t bytes);
  // The IAU names over the map, placed for each view once it settles.
  void setNamesShown(bool shown);
  bool namesShown() const { return namesShown_; }
  // Places the names for the view now, rather than once it settles.
  void placeNamesNow();
  int namesPlaced() const { return static_cast<int>(names_.size()); }
  std::size_t cacheBytes() const { return cache_.bytes(); }
  std::size_t cacheLimit() const { return cache_.limit(); }

  const ExploreView& view() const { return view_; }
  // The projection the map is in: simple cylindrical, drawn in pieces, or
  // polar stereographic or a globe, each view drawn whole on a worker. A
  // change keeps the point at the centre.
  void setProjection(ProjectionKind kind);
  ProjectionKind projection() const { return projected_ ? projected_->kind() : ProjectionKind::Equirectangular; }
  // The projected view, while there is one.
  const ProjectedExploreView* projectedView() const { return projected_ ? &*projected_ : nullptr; }
  // The point at the window's centre, and the km a pixel spans there.
  std::optional<GeoPoint> centrePoint() const;
  double kilometresPerPixel() const;
  // The window of the tiles' grid that holds what the view shows (Draw
  // this view); empty when none of the grid is in view.
  GridWindow mapWindow() const;
  void fitPlanet();
  void centreOn(GeoPoint point, int level);
  // In (positive) or out by `levels` about window position (x, y), or
  // about the centre.
  void zoomAbout(double x, double y, int levels);
  void zoomBy(int levels);
  void panBy(int dx, int dy);

  void setTool(Tool tool);
  Tool tool() const { return tool_; }

  // The profile line shown, and the point on it the profile marks.
  void setProfileLine(std::optional<std::pair<GeoPoint, GeoPoint>> line);
  void setMarker(std::optional<GeoPoint> point);
  // The points clicked with the measure tool, in order.
  const std::vector<GeoPoint>& measurePoints() const { return measured_; }
  void clearMeasure();

  // True when every piece in view is drawn: what shows is sharp.
  bool sharp() const;
  // Waits until the pieces wanted are drawn and delivered (tests,
  // benchmarks): lets the window's events run meanwhile.
  void waitSharp(int timeoutMs = 30000);
  // What the window shows, the map and what is drawn over it.
  QImage frame();

 signals:
  // The mouse is over a point of the planet, or off it.
  void pointerMoved(std::optional<tarvelon::GeoPoint> point);
  void viewChanged();
  // A profile line was drawn from one point to another.
  void profileDrawn(tarvelon::GeoPoint from, tarvelon::GeoPoint to);
  void measureChanged();
  // Every piece in view has arrived.
  void sharpened();
  // A piece could not be drawn: what stopped it.
  void drawFailed(const QString& message);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The view moved, resized or recoloured: ask for the pieces now missing.
  void viewMoved();
  void requestPieces();
  void pieceArrived(const PieceId& id, const QImage& picture);
  // The map: the stand-in, then the pieces drawn; true when all were.
  bool composeMap(QImage& into);
  void paintOverlays(QPainter& painter) const;
  void paintScaleBar(QPainter& painter) const;
  void paintNames(QPainter& painter) const;
  // A great circle from `a` to `b` as lines on the window, broken where it
  // crosses the planet's edge.
  void paintArc(QPainter& painter, GeoPoint a, GeoPoint b) const;
  std::optional<QPointF> positionOf(GeoPoint point) const;
  void requestFrame();
  void startFrame();
  void composeProjected(QPainter& painter);
  std::optional<GeoPoint> planetPointAt(QPointF position) const;

  ExploreView view_;
  Colouring colouring_;
  std::uint64_t colouringNumber_ = 1;
  PieceCache<QImage> cache_{kDefaultCacheBytes};
  bool hasSource_ = false;

  // The last sharp frame and the view it showed.
  QImage standIn_;
  std::optional<ExploreView> standInView_;
  QImage composed_;

  Tool tool_ = Tool::Pan;
  enum class Drag { None, Pan, Profile, Click };
  Drag drag_ = Drag::None;
  QPoint pressedAt_;
  QPoint lastAt_;
  std::optional<GeoPoint> lineStart_;
  std::optional<std::pair<GeoPoint, GeoPoint>> profile_;
  std::optional<GeoPoint> dragEnd_;
  std::optional<GeoPoint> marker_;
  std::vector<GeoPoint> measured_;
  int wheelAngle_ = 0;

  // The names placed, as pictures at their places on the view they were
  // placed for; a pan moves them with the map until they are placed again.
  bool namesShown_ = false;
  struct PlacedName {
    QPoint at;
    QImage picture;
  };
  std::vector<PlacedName> names_;
  std::optional<ExploreView> namesView_;
  class QTimer* namesTimer_ = nullptr;

  // The projected view, its last frame drawn and the job drawing the next.
  std::optional<ProjectedExploreView> projected_;
  QImage projectedImage_;
  std::optional<ProjectedFrame> projectedDrawn_;
  class MapJob* frameJob_ = nullptr;
  std::optional<ProjectedFrame> frameJobFrame_;
  class QTimer* frameStart_ = nullptr;
  SourceOpener openSource_;
  std::optional<ProjectedFrame> namesFrame_;

  // Last: its workers stop before anything they hand pieces to goes.
  std::unique_ptr<PieceDrawer> drawer_;
};

}  // namespace tarvelon
