#include "app/MapProfileTool.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"

namespace tarvelon {

namespace {

constexpr int kClickSlop = 4;

bool sameMap(const MapGeometry& a, const MapGeometry& b) {
  if (a.width() != b.width() || a.height() != b.height() || !(a.transform() == b.transform())) return false;
  if ((a.projection() == nullptr) != (b.projection() == nullptr)) return false;
  return a.projection() == nullptr || *a.projection() == *b.projection();
}

}  // namespace

std::optional<GeoPoint> mapPointAt(const MapGeometry& geometry, QPointF position) {
  if (position.x() < 0 || position.y() < 0 || position.x() >= geometry.width() || position.y() >= geometry.height()) {
    return std::nullopt;
  }
  std::optional<GeoPoint> point;
  if (const ProjectedFrame* frame = geometry.projection()) {
    point = frame->pointAt(position.x(), position.y());
  } else {
    const GeoTransform t = geometry.transform();
    point = GeoPoint{std::remainder(t.west + position.x() * t.pixelWidth, 360.0), t.north - position.y() * t.pixelHeight};
  }
  if (point && std::abs(point->latitude) > kTileGridSpec.north) return std::nullopt;
  return point;
}

std::optional<QPointF> mapPositionOf(const MapGeometry& geometry, GeoPoint point) {
  if (const ProjectedFrame* frame = geometry.projection()) {
    const auto pixel = frame->pixelOf(point.longitude, point.latitude);
    if (!pixel) return std::nullopt;
    return QPointF(pixel->first, pixel->second);
  }
  const GeoTransform t = geometry.transform();
  const double middle = t.west + geometry.width() * t.pixelWidth / 2;
  const double longitude = middle + std::remainder(point.longitude - middle, 360.0);
  return QPointF((longitude - t.west) / t.pixelWidth, (t.north - point.latitude) / t.pixelHeight);
}

MapProfileTool::MapProfileTool(QWidget& image, GeometryOf shown)
    : QWidget(&image), image_(image), shown_(std::move(shown)), launcher_([this](std::optional<GeoPoint> point) {
        marker_ = point;
        update();
      }) {
  setObjectName(QStringLiteral("profileLayer"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  resize(image.size());
  image.installEventFilter(this);
  show();
}

MapProfileTool::~MapProfileTool() = default;

void MapProfileTool::setSource(SourceOpener openSource) { launcher_.setSource(std::move(openSource)); }

void MapProfileTool::setDialogs(ProfileWindow::ChooseFile choose, ProfileWindow::ReportError report) {
  launcher_.setDialogs(std::move(choose), std::move(report));
}

void MapProfileTool::arm() {
  armed_ = true;
  image_.setCursor(Qt::CrossCursor);
}

bool MapProfileTool::lineShown() const {
  const MapGeometry* geometry = shown_ ? shown_() : nullptr;
  return line_ && lineMap_ && geometry != nullptr && sameMap(*lineMap_, *geometry);
}

void MapProfileTool::clearLine() {
  line_.reset();
  lineMap_.reset();
  marker_.reset();
  update();
}

void MapProfileTool::showProfile(GeoPoint from, GeoPoint to) {
  if (!launcher_.show(from, to)) return;
  line_ = std::make_pair(from, to);
  const MapGeometry* shown = shown_ ? shown_() : nullptr;
  lineMap_.reset();
  if (shown != nullptr) lineMap_ = *shown;
  update();
}

bool MapProfileTool::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &image_) return false;
  if (event->type() == QEvent::Resize) {
    resize(image_.size());
    return false;
  }
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) return false;
  const MapGeometry* geometry = shown_ ? shown_() : nullptr;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  switch (type) {
    case QEvent::MouseButtonPress: {
      const bool wanted = mouse->button() == Qt::RightButton || (armed_ && mouse->button() == Qt::LeftButton);
      if (!wanted || geometry == nullptr) return false;
      start_ = mapPointAt(*geometry, mouse->position());
      if (!start_) return false;
      end_ = start_;
      dragging_ = true;
      pressedAt_ = mouse->position();
      return true;
    }
    case QEvent::MouseMove:
      if (!dragging_ || geometry == nullptr) return false;
      if (const std::optional<GeoPoint> end = mapPointAt(*geometry, mouse->position())) end_ = end;
      update();
      return false;  // the readout follows the mouse as ever
    case QEvent::MouseButtonRelease: {
      if (!dragging_) return false;
      dragging_ = false;
      if (armed_) {
        armed_ = false;
        image_.unsetCursor();
      }
      const bool moved = (mouse->position() - pressedAt_).manhattanLength() > kClickSlop;
      if (moved && start_ && end_) showProfile(*start_, *end_);
      update();
      return true;
    }
    default:
      return false;
  }
}

void MapProfileTool::paintEvent(QPaintEvent*) {
  const MapGeometry* geometry = shown_ ? shown_() : nullptr;
  if (geometry == nullptr) return;
  const bool onThisMap = lineShown();
  std::optional<std::pair<GeoPoint, GeoPoint>> shownLine;
  if (onThisMap) shownLine = line_;
  if (dragging_ && start_ && end_) shownLine = std::make_pair(*start_, *end_);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (shownLine) {
    // Short chords along the great circle, broken where a point is not on
    // the map or the line jumps across it.
    const double span = std::max(geometry->width(), geometry->height());
    const int parts = 256;
    QPainterPath path;
    std::optional<QPointF> last;
    for (int i = 0; i <= parts; ++i) {
      const std::optional<QPointF> at =
          mapPositionOf(*geometry, greatCirclePoint(shownLine->first, shownLine->second, double(i) / parts));
      if (at && last && std::hypot(at->x() - last->x(), at->y() - last->y()) < span / 4) {
        path.lineTo(*at);
      } else if (at) {
        path.moveTo(*at);
      }
      last = at;
    }
    painter.setPen(QPen(QColor(0, 0, 0, 160), 4));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawPath(path);
  }
  if (marker_ && onThisMap) {
    if (const std::optional<QPointF> at = mapPositionOf(*geometry, *marker_)) {
      painter.setPen(QPen(Qt::black, 1.5));
      painter.setBrush(QColor(80, 200, 255));
      painter.drawEllipse(*at, 4.5, 4.5);
    }
  }
}

}  // namespace tarvelon
