#include "app/MapLabels.h"

#include <QEvent>
#include <QPainter>
#include <QPaintEvent>

#include "app/MapImage.h"
#include "export/LabelPicture.h"

namespace tarvelon {

MapLabels::MapLabels(MapImage& image, GeometryOf shown) : QWidget(&image), image_(image), shown_(std::move(shown)) {
  setObjectName(QStringLiteral("mapLabels"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(image.rect());
  image.installEventFilter(this);
  hide();
}

void MapLabels::setNamesShown(bool on) {
  on_ = on;
  // A window not yet shown holds its resize events back: the size is taken
  // here as well.
  setGeometry(image_.rect());
  setVisible(on);
  if (on) raise();
}

const LabelOverlay& MapLabels::labelsFor(const MapGeometry* geometry) {
  if (!on_ || geometry == nullptr || geometry->width() <= 0 || geometry->height() <= 0) return none_;
  Key key{geometry->transform(), geometry->width(), geometry->height(), std::nullopt};
  if (const ProjectedFrame* frame = geometry->projection()) key.frame = *frame;
  if (placedFor_ != key) {
    labels_ = nameLabelOverlay(*geometry);
    sprites_.clear();
    for (const LabelSprite& sprite : labels_.sprites()) sprites_.push_back(spriteImage(sprite));
    placedFor_ = key;
  }
  return labels_;
}

QImage MapLabels::labelled(const QImage& picture, std::vector<std::uint8_t>& mask, const MapGeometry* geometry) {
  if (geometry == nullptr || geometry->width() != picture.width() || geometry->height() != picture.height()) {
    return picture;
  }
  const LabelOverlay& labels = labelsFor(geometry);
  if (labels.empty()) return picture;
  Raster raster = MapImage::rasterOf(picture);
  if (mask.size() == std::size_t(raster.width) * std::size_t(raster.height)) raster.mask = mask;
  labels.blendRaster(raster);
  mask = std::move(raster.mask);
  QImage out(raster.width, raster.height, QImage::Format_RGB32);
  for (int y = 0; y < raster.height; ++y) {
    const std::uint8_t* from = raster.row(y);
    auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < raster.width; ++x, from += 3) to[x] = qRgb(from[2], from[1], from[0]);
  }
  return out;
}

int MapLabels::shownLabelCount() { return static_cast<int>(labelsFor(shown_()).sprites().size()); }

void MapLabels::paintEvent(QPaintEvent* event) {
  const MapGeometry* geometry = shown_();
  // Only over a map of the picture's size: never over another picture, nor
  // over the last map while the next one is being sized.
  if (geometry == nullptr || !image_.hasPicture() || geometry->width() != image_.picture().width() ||
      geometry->height() != image_.picture().height()) {
    return;
  }
  const LabelOverlay& labels = labelsFor(geometry);
  QPainter painter(this);
  const QRect dirty = event->rect();
  for (std::size_t i = 0; i < labels.sprites().size(); ++i) {
    const LabelSprite& sprite = labels.sprites()[i];
    const QRect place(sprite.x, sprite.y, sprite.width, sprite.height);
    if (place.intersects(dirty)) painter.drawImage(place.topLeft(), sprites_[i]);
  }
}

bool MapLabels::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &image_ && event->type() == QEvent::Resize) setGeometry(image_.rect());
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarvelon
