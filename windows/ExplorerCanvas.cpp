#include "windows/ExplorerCanvas.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"
#include "export/LabelPicture.h"
#include "render/MapGeometry.h"
#include "render/ProjectedMap.h"
#include "windows/MapJob.h"

namespace tarvelon {

namespace {

// Around the planet, and where a piece shows no sample.
constexpr QRgb kSpace = qRgb(40, 40, 46);

// A move shorter than this is a click.
constexpr int kClickSlop = 4;

// A piece's raster as a picture for the screen.
QImage pictureOf(const Raster& raster) {
  QImage picture(raster.width, raster.height, QImage::Format_RGB32);
  for (int y = 0; y < raster.height; ++y) {
    const std::uint8_t* from = raster.row(y);
    const std::uint8_t* mask = raster.maskRow(y);
    auto* to = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < raster.width; ++x) {
      to[x] = (mask != nullptr && mask[x] == 0) ? kSpace : qRgb(from[3 * x + 2], from[3 * x + 1], from[3 * x]);
    }
  }
  return picture;
}

// A round length for a scale bar at most `most` kilometres long: 1, 2 or 5
// times a power of ten.
double roundLength(double most) {
  if (!(most > 0)) return 0;
  const double power = std::pow(10.0, std::floor(std::log10(most)));
  for (const double f : {5.0, 2.0, 1.0}) {
    if (f * power <= most) return f * power;
  }
  return power;
}

QString kilometresText(double km) {
  if (km >= 1) return QStringLiteral("%1 km").arg(km, 0, 'f', 0);
  return QStringLiteral("%1 m").arg(km * 1000, 0, 'f', 0);
}

}  // namespace

ExplorerCanvas::ExplorerCanvas(QWidget* parent) : QWidget(parent), view_(kTileGridSpec) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(240, 160);
  setCursor(Qt::OpenHandCursor);
  // Names are placed once a move has paused: placing them takes a few
  // milliseconds to tens, too long for every step of a drag.
  namesTimer_ = new QTimer(this);
  namesTimer_->setSingleShot(true);
  namesTimer_->setInterval(120);
  connect(namesTimer_, &QTimer::timeout, this, &ExplorerCanvas::placeNamesNow);
  // Moves that come together (the steps of a drag) start one projected
  // draw, once the events in hand have run.
  frameStart_ = new QTimer(this);
  frameStart_->setSingleShot(true);
  frameStart_->setInterval(0);
  connect(frameStart_, &QTimer::timeout, this, &ExplorerCanvas::startFrame);
}

ExplorerCanvas::~ExplorerCanvas() = default;

void ExplorerCanvas::setSource(SourceOpener openSource) {
  drawer_.reset();
  cache_.clear();
  standIn_ = QImage();
  standInView_.reset();
  hasSource_ = static_cast<bool>(openSource);
  openSource_ = openSource;
  projectedImage_ = QImage();
  projectedDrawn_.reset();
  if (hasSource_) {
    drawer_ = std::make_unique<PieceDrawer>(
        std::move(openSource), 2,
        [this](const PieceId& id, Raster raster) {
          // Made on the worker; the window only keeps it.
          QImage picture = pictureOf(raster);
          QMetaObject::invokeMethod(
              this, [this, id, picture] { pieceArrived(id, picture); }, Qt::QueuedConnection);
        },
        [this](const std::string& message) {
          const QString text = QString::fromStdString(message);
          QMetaObject::invokeMethod(
              this, [this, text] { emit drawFailed(text); }, Qt::QueuedConnection);
        });
  }
  viewMoved();
}

void ExplorerCanvas::setColouring(const Colouring& colouring) {
  if (colouring == colouring_) return;
  colouring_ = colouring;
  ++colouringNumber_;
  // The old colours stand in until the new arrive; their pieces go.
  cache_.clear();
  projectedDrawn_.reset();
  requestPieces();
  requestFrame();
  update();
}

void ExplorerCanvas::setCacheLimit(std::size_t bytes) { cache_.setLimit(bytes); }

void ExplorerCanvas::setNamesShown(bool shown) {
  if (shown == namesShown_) return;
  namesShown_ = shown;
  names_.clear();
  namesView_.reset();
  if (shown) namesTimer_->start();
  update();
}

void ExplorerCanvas::placeNamesNow() {
  namesTimer_->stop();
  names_.clear();
  namesView_.reset();
  namesFrame_.reset();
  if (!namesShown_) return;
  if (projected_) {
    const ProjectedFrame frame = projected_->frame();
    const LabelOverlay overlay = nameLabelOverlay(MapGeometry::ofProjection(frame));
    for (const LabelSprite& sprite : overlay.sprites()) {
      names_.push_back(PlacedName{QPoint(sprite.x, sprite.y), spriteImage(sprite)});
    }
    namesFrame_ = frame;
    update();
    return;
  }
  // The west edge counted from the longitude at the centre, so that the
  // copy of the planet about the centre is the one named.
  const double degrees = view_.levelInfo().samplesPerPixel() / kTileGridSpec.perDegree;
  const GeoPoint centre = view_.pointAt(width() / 2.0, height() / 2.0);
  const GeoTransform transform{centre.longitude - degrees * width() / 2.0, centre.latitude + degrees * height() / 2.0,
                               degrees, degrees};
  const LabelOverlay overlay = nameLabelOverlay(transform, width(), height());
  for (const LabelSprite& sprite : overlay.sprites()) names_.push_back(PlacedName{QPoint(sprite.x, sprite.y), spriteImage(sprite)});
  namesView_ = view_;
  update();
}

void ExplorerCanvas::setProjection(ProjectionKind kind) {
  if (kind == projection()) return;
  const std::optional<GeoPoint> centre = centrePoint();
  const int level = projected_ ? projected_->level() : view_.level();
  if (kind == ProjectionKind::Equirectangular) {
    projected_.reset();
    if (centre) view_.centreOn(*centre, level);
  } else {
    projected_.emplace(kind, centre.value_or(GeoPoint{}));
    projected_->resize(width(), height());
    // A polar view about the point in view when it lies well within its
    // hemisphere; about the pole otherwise.
    const bool onHemisphere =
        centre && (kind == ProjectionKind::Globe || (kind == ProjectionKind::NorthPolar ? centre->latitude >= 45
                                                                                          : centre->latitude <= -45));
    if (onHemisphere) {
      projected_->centreOn(*centre, level);
    } else {
      projected_->fitPlanet();
    }
  }
  projectedImage_ = QImage();
  projectedDrawn_.reset();
  names_.clear();
  viewMoved();
}

std::optional<GeoPoint> ExplorerCanvas::centrePoint() const {
  if (projected_) return projected_->pointAt(width() / 2.0, height() / 2.0);
  return view_.pointAt(width() / 2.0, height() / 2.0);
}

double ExplorerCanvas::kilometresPerPixel() const {
  return projected_ ? projected_->kilometresPerPixel() : view_.kilometresPerPixel();
}

GridWindow ExplorerCanvas::mapWindow() const {
  return projected_ ? coveringWindow(projected_->frame(), kTileGridSpec) : view_.viewWindow();
}

void ExplorerCanvas::fitPlanet() {
  if (projected_) {
    projected_->fitPlanet();
  } else {
    view_.fitPlanet();
  }
  viewMoved();
}

void ExplorerCanvas::centreOn(GeoPoint point, int level) {
  if (projected_) {
    projected_->centreOn(point, level);
  } else {
    view_.centreOn(point, level);
  }
  viewMoved();
}

void ExplorerCanvas::zoomAbout(double x, double y, int levels) {
  if (projected_ ? projected_->zoomAbout(x, y, levels) : view_.zoomAbout(x, y, levels)) viewMoved();
}

void ExplorerCanvas::zoomBy(int levels) { zoomAbout(width() / 2.0, height() / 2.0, levels); }

void ExplorerCanvas::panBy(int dx, int dy) {
  if (projected_) {
    projected_->panBy(dx, dy);
  } else {
    view_.panBy(dx, dy);
  }
  viewMoved();
}

void ExplorerCanvas::setTool(Tool tool) {
  tool_ = tool;
  setCursor(tool == Tool::Pan ? Qt::OpenHandCursor : Qt::CrossCursor);
}

void ExplorerCanvas::setProfileLine(std::optional<std::pair<GeoPoint, GeoPoint>> line) {
  profile_ = line;
  update();
}

void ExplorerCanvas::setMarker(std::optional<GeoPoint> point) {
  marker_ = point;
  update();
}

void ExplorerCanvas::clearMeasure() {
  measured_.clear();
  emit measureChanged();
  update();
}

void ExplorerCanvas::viewMoved() {
  if (namesShown_) namesTimer_->start();
  requestPieces();
  requestFrame();
  update();
  emit viewChanged();
}

void ExplorerCanvas::requestPieces() {
  if (!drawer_) return;
  if (projected_) {
    drawer_->want({}, colouring_, colouringNumber_);
    return;
  }
  std::vector<PieceKey> missing;
  for (const ExploreView::PlacedPiece& piece : view_.visiblePieces()) {
    if (!cache_.contains(PieceId{piece.key, colouringNumber_})) missing.push_back(piece.key);
  }
  drawer_->want(std::move(missing), colouring_, colouringNumber_);
}

void ExplorerCanvas::pieceArrived(const PieceId& id, const QImage& picture) {
  if (id.colouring != colouringNumber_) return;
  cache_.put(id, picture, picture.sizeInBytes());
  update();
  if (sharp()) emit sharpened();
}

void ExplorerCanvas::requestFrame() {
  if (!projected_ || !hasSource_) return;
  if (frameJob_ != nullptr) frameJob_->cancel();
  frameStart_->start();
}

void ExplorerCanvas::startFrame() {
  if (!projected_ || !hasSource_) return;
  const ProjectedFrame frame = projected_->frame();
  if (projectedDrawn_ == frame || frameJobFrame_ == frame) return;
  if (frameJob_ != nullptr) {
    // The draw no longer wanted goes once it has stopped.
    frameJob_->cancel();
    connect(frameJob_, &MapJob::cancelled, frameJob_, &QObject::deleteLater);
    connect(frameJob_, &MapJob::finished, frameJob_, &QObject::deleteLater);
    connect(frameJob_, &MapJob::failed, frameJob_, &QObject::deleteLater);
    disconnect(frameJob_, nullptr, this, nullptr);
    frameJob_ = nullptr;
  }
  frameJobFrame_ = frame;
  frameJob_ = new MapJob(projectedMapDraw(ProjectedMapRequest{frame, colouring_}, openSource_), this);
  MapJob* job = frameJob_;
  const auto done = [this, job] {
    if (frameJob_ == job) {
      frameJob_ = nullptr;
      frameJobFrame_.reset();
    }
    job->deleteLater();
  };
  connect(job, &MapJob::finished, this, [this, frame, done](const Raster& raster) {
    done();
    if (!projected_ || frame.projection.kind != projected_->kind()) return;
    projectedImage_ = pictureOf(raster);
    projectedDrawn_ = frame;
    update();
    if (sharp()) {
      emit sharpened();
    } else {
      requestFrame();
    }
  });
  connect(job, &MapJob::cancelled, this, done);
  connect(job, &MapJob::failed, this, [this, done](const QString& message) {
    done();
    emit drawFailed(message);
  });
  job->start();
}

bool ExplorerCanvas::sharp() const {
  if (!hasSource_) return false;
  if (projected_) return projectedDrawn_ == projected_->frame();
  const std::vector<ExploreView::PlacedPiece> pieces = view_.visiblePieces();
  return std::all_of(pieces.begin(), pieces.end(), [this](const ExploreView::PlacedPiece& piece) {
    return cache_.contains(PieceId{piece.key, colouringNumber_});
  });
}

void ExplorerCanvas::waitSharp(int timeoutMs) {
  QElapsedTimer waited;
  waited.start();
  while (!sharp() && waited.elapsed() < timeoutMs && hasSource_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

void ExplorerCanvas::composeProjected(QPainter& painter) {
  if (projectedImage_.isNull() || !projectedDrawn_) return;
  const ProjectedFrame& old = *projectedDrawn_;
  const ProjectedFrame now = projected_->frame();
  const double scale = old.pixelSize / now.pixelSize;
  QRectF target;
  if (old.projection == now.projection) {
    // The same plane: the old frame where its metres now lie.
    target = QRectF((old.west - now.west) / now.pixelSize, (now.north - old.north) / now.pixelSize,
                    old.width * scale, old.height * scale);
  } else if (const std::optional<GeoPoint> centre = old.pointAt(old.width / 2.0, old.height / 2.0)) {
    // A globe turned since: its old centre where that point now lies.
    const std::optional<QPointF> at = positionOf(*centre);
    if (!at) return;
    target = QRectF(at->x() - old.width * scale / 2, at->y() - old.height * scale / 2, old.width * scale,
                    old.height * scale);
  } else {
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1);
  painter.drawImage(target, projectedImage_);
}

bool ExplorerCanvas::composeMap(QImage& into) {
  if (into.size() != size()) into = QImage(size(), QImage::Format_RGB32);
  into.fill(kSpace);
  QPainter painter(&into);
  if (projected_) {
    composeProjected(painter);
    return sharp();
  }
  if (!standIn_.isNull() && standInView_) {
    // The last sharp frame, its centre where its centre's point now lies,
    // scaled from its level to this one.
    const ExploreView& old = *standInView_;
    const double scale = old.levelInfo().samplesPerPixel() / view_.levelInfo().samplesPerPixel();
    const QPointF centre = *positionOf(old.pointAt(old.width() / 2.0, old.height() / 2.0));
    const QRectF target(centre.x() - old.width() / 2.0 * scale, centre.y() - old.height() / 2.0 * scale,
                        old.width() * scale, old.height() * scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1);
    painter.drawImage(target, standIn_);
  }
  bool whole = hasSource_;
  for (const ExploreView::PlacedPiece& piece : view_.visiblePieces()) {
    const QImage* picture = cache_.find(PieceId{piece.key, colouringNumber_});
    if (picture == nullptr) {
      whole = false;
      continue;
    }
    painter.drawImage(QPoint(static_cast<int>(piece.x), static_cast<int>(piece.y)), *picture);
  }
  painter.end();
  if (whole) {
    // Shared until the next frame is composed into `into`.
    standIn_ = into;
    standInView_ = view_;
  }
  return whole;
}

void ExplorerCanvas::paintEvent(QPaintEvent*) {
  composeMap(composed_);
  QPainter painter(this);
  painter.drawImage(0, 0, composed_);
  paintOverlays(painter);
}

QImage ExplorerCanvas::frame() {
  QImage picture;
  composeMap(picture);
  QPainter painter(&picture);
  paintOverlays(painter);
  return picture;
}

std::optional<QPointF> ExplorerCanvas::positionOf(GeoPoint point) const {
  if (projected_) {
    const auto at = projected_->positionOf(point);
    if (!at) return std::nullopt;
    return QPointF(at->first, at->second);
  }
  double x = 0;
  double y = 0;
  view_.positionOf(point, x, y);
  return QPointF(x, y);
}

std::optional<GeoPoint> ExplorerCanvas::planetPointAt(QPointF position) const {
  const std::optional<GeoPoint> point =
      projected_ ? projected_->pointAt(position.x(), position.y()) : view_.pointAt(position.x(), position.y());
  const GridSpec& grid = kTileGridSpec;
  if (!point || point->latitude > grid.north || point->latitude < grid.south()) return std::nullopt;
  return point;
}

void ExplorerCanvas::paintArc(QPainter& painter, GeoPoint a, GeoPoint b) const {
  // Enough points that each chord is a few pixels at most.
  const double pixels = greatCircleMetres(a, b) / 1000.0 / std::max(1e-6, kilometresPerPixel());
  const int parts = std::clamp(static_cast<int>(pixels / 4), 1, 2000);
  // A simple cylindrical line keeps to the copy of the planet it started
  // on; a projected one breaks where it leaves the map (the globe's far
  // side) or jumps across it.
  const double half = projected_ ? std::max(width(), height()) / 2.0 : double(view_.planetWidth()) / 2;
  QPainterPath path;
  std::optional<QPointF> last = positionOf(a);
  if (last) path.moveTo(*last);
  for (int i = 1; i <= parts; ++i) {
    std::optional<QPointF> next = positionOf(greatCirclePoint(a, b, double(i) / parts));
    if (!projected_ && next && last) {
      while (next->x() - last->x() > half) next->rx() -= 2 * half;
      while (last->x() - next->x() > half) next->rx() += 2 * half;
    }
    if (next && last && std::abs(next->x() - last->x()) <= half) {
      path.lineTo(*next);
    } else if (next) {
      path.moveTo(*next);
    }
    last = next;
  }
  painter.drawPath(path);
}

void ExplorerCanvas::paintOverlays(QPainter& painter) const {
  painter.setRenderHint(QPainter::Antialiasing);
  const auto line = [&](GeoPoint a, GeoPoint b, QColor colour) {
    painter.setPen(QPen(QColor(0, 0, 0, 160), 4));
    paintArc(painter, a, b);
    painter.setPen(QPen(colour, 2));
    paintArc(painter, a, b);
  };
  const auto dot = [&](GeoPoint p, QColor colour) {
    const std::optional<QPointF> at = positionOf(p);
    if (!at) return;
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(colour);
    painter.drawEllipse(*at, 4.5, 4.5);
    painter.setBrush(Qt::NoBrush);
  };
  if (drag_ == Drag::Profile && lineStart_ && dragEnd_) {
    line(*lineStart_, *dragEnd_, QColor(255, 255, 255));
  } else if (profile_) {
    line(profile_->first, profile_->second, QColor(255, 255, 255));
    dot(profile_->first, QColor(120, 220, 120));
    dot(profile_->second, QColor(230, 90, 90));
  }
  for (std::size_t i = 1; i < measured_.size(); ++i) line(measured_[i - 1], measured_[i], QColor(255, 220, 60));
  for (const GeoPoint& p : measured_) dot(p, QColor(255, 220, 60));
  if (marker_) dot(*marker_, QColor(80, 200, 255));
  paintNames(painter);
  paintScaleBar(painter);
}

void ExplorerCanvas::paintNames(QPainter& painter) const {
  if (!namesShown_) return;
  QPointF corner;
  if (projected_) {
    // Names placed on the same plane at the same scale move with it; any
    // other wait to be placed again.
    const ProjectedFrame now = projected_->frame();
    if (!namesFrame_ || !(namesFrame_->projection == now.projection) || namesFrame_->pixelSize != now.pixelSize) {
      return;
    }
    corner = QPointF((namesFrame_->west - now.west) / now.pixelSize, (now.north - namesFrame_->north) / now.pixelSize);
  } else {
    // Names placed at another level wait to be placed again.
    if (!namesView_ || namesView_->level() != view_.level()) return;
    const ExploreView& placed = *namesView_;
    corner = *positionOf(placed.pointAt(placed.width() / 2.0, placed.height() / 2.0)) -
             QPointF(placed.width() / 2.0, placed.height() / 2.0);
  }
  const QPoint shift(static_cast<int>(std::lround(corner.x())), static_cast<int>(std::lround(corner.y())));
  for (const PlacedName& name : names_) painter.drawImage(name.at + shift, name.picture);
}

void ExplorerCanvas::paintScaleBar(QPainter& painter) const {
  const double kmPerPixel = kilometresPerPixel();
  const double km = roundLength(kmPerPixel * std::min(200, width() / 4));
  if (!(km > 0)) return;
  const int length = static_cast<int>(std::lround(km / kmPerPixel));
  const QString text = kilometresText(km);
  const QFontMetrics metrics(font());
  const int left = 12;
  const int bottom = height() - 12;
  const QRect box(left - 6, bottom - metrics.height() - 14, std::max(length, metrics.horizontalAdvance(text)) + 12,
                  metrics.height() + 20);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(box, QColor(255, 255, 255, 200));
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(left, bottom - 4, left + length, bottom - 4);
  painter.drawLine(left, bottom - 9, left, bottom - 1);
  painter.drawLine(left + length, bottom - 9, left + length, bottom - 1);
  painter.drawText(QRect(left, box.top() + 2, box.width(), metrics.height()), Qt::AlignLeft, text);
}

void ExplorerCanvas::resizeEvent(QResizeEvent*) {
  view_.resize(width(), height());
  if (projected_) projected_->resize(width(), height());
  viewMoved();
}

void ExplorerCanvas::wheelEvent(QWheelEvent* event) {
  wheelAngle_ += event->angleDelta().y();
  const int levels = wheelAngle_ / 120;
  if (levels == 0) return;
  wheelAngle_ -= levels * 120;
  const QPointF at = event->position();
  zoomAbout(at.x(), at.y(), levels);
}

void ExplorerCanvas::mousePressEvent(QMouseEvent* event) {
  pressedAt_ = lastAt_ = event->position().toPoint();
  const bool profile = event->button() == Qt::RightButton ||
                       (event->button() == Qt::LeftButton && tool_ == Tool::Profile);
  if (profile) {
    lineStart_ = planetPointAt(event->position());
    dragEnd_ = lineStart_;
    drag_ = lineStart_ ? Drag::Profile : Drag::None;
  } else if (event->button() == Qt::LeftButton) {
    drag_ = tool_ == Tool::Measure ? Drag::Click : Drag::Pan;
    if (drag_ == Drag::Pan) setCursor(Qt::ClosedHandCursor);
  }
}

void ExplorerCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (drag_ == Drag::Click && (at - pressedAt_).manhattanLength() > kClickSlop) drag_ = Drag::Pan;
  if (drag_ == Drag::Pan) {
    const QPoint moved = at - lastAt_;
    if (!moved.isNull()) panBy(moved.x(), moved.y());
  } else if (drag_ == Drag::Profile) {
    if (const std::optional<GeoPoint> end = planetPointAt(event->position())) dragEnd_ = end;
    update();
  }
  lastAt_ = at;
  emit pointerMoved(planetPointAt(event->position()));
}

void ExplorerCanvas::mouseReleaseEvent(QMouseEvent* event) {
  const Drag ended = std::exchange(drag_, Drag::None);
  if (tool_ == Tool::Pan) setCursor(Qt::OpenHandCursor);
  if (ended == Drag::Click) {
    if (const std::optional<GeoPoint> point = planetPointAt(event->position())) {
      measured_.push_back(*point);
      emit measureChanged();
      update();
    }
  } else if (ended == Drag::Profile && lineStart_ && dragEnd_) {
    const GeoPoint from = *lineStart_;
    const GeoPoint to = *dragEnd_;
    lineStart_.reset();
    dragEnd_.reset();
    if ((event->position().toPoint() - pressedAt_).manhattanLength() > kClickSlop) {
      profile_ = std::make_pair(from, to);
      emit profileDrawn(from, to);
    }
    update();
  }
}

void ExplorerCanvas::leaveEvent(QEvent*) { emit pointerMoved(std::nullopt); }

void ExplorerCanvas::keyPressEvent(QKeyEvent* event) {
  const int stepX = std::max(16, width() / 8);
  const int stepY = std::max(16, height() / 8);
  switch (event->key()) {
    case Qt::Key_Left:
      panBy(stepX, 0);
      break;
    case Qt::Key_Right:
      panBy(-stepX, 0);
      break;
    case Qt::Key_Up:
      panBy(0, stepY);
      break;
    case Qt::Key_Down:
      panBy(0, -stepY);
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      zoomBy(1);
      break;
    case Qt::Key_Minus:
      zoomBy(-1);
      break;
    case Qt::Key_Home:
      fitPlanet();
      break;
    case Qt::Key_Escape:
      if (drag_ == Drag::Profile) {
        drag_ = Drag::None;
        lineStart_.reset();
        dragEnd_.reset();
        update();
      } else {
        clearMeasure();
      }
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace tarvelon
