#include "app/MapImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace tarvelon {

MapImage::MapImage(QWidget* parent) : QWidget(parent) {
  // Rows that arrive between two frames are repainted together.
  repaintTimer_.setSingleShot(true);
  repaintTimer_.setInterval(kFrameMs);
  connect(&repaintTimer_, &QTimer::timeout, this, &MapImage::repaintChanged);
}

void MapImage::repaintChanged() {
  repaintTimer_.stop();
  if (!changed_.isEmpty()) update(changed_);
  changed_ = QRect();
  sinceRepaint_.start();
}

void MapImage::clearPicture() {
  changed_ = QRect();
  emit pictureCleared();
  mask_.clear();
  if (picture_.isNull()) return;
  picture_ = QImage();
  update();
}

void MapImage::copyRows(const Raster& raster, int firstRow, int endRow) {
  const int width = raster.width;
  for (int y = firstRow; y < endRow; ++y) {
    const std::uint8_t* from = raster.row(y);
    auto* to = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int x = 0; x < width; ++x, from += 3) to[x] = qRgb(from[2], from[1], from[0]);
    if (noSampleColour_ && !raster.mask.empty()) {
      const std::uint8_t* shows = raster.maskRow(y);
      for (int x = 0; x < width; ++x) {
        if (shows[x] == 0) to[x] = *noSampleColour_;
      }
    }
  }
  // The mask follows the rows; a raster without one shows samples in all.
  if (raster.mask.empty() && mask_.empty()) return;
  if (mask_.empty()) mask_.assign(std::size_t(width) * std::size_t(raster.height), 255);
  const std::size_t begin = std::size_t(firstRow) * std::size_t(width);
  const std::size_t end = std::size_t(endRow) * std::size_t(width);
  if (raster.mask.empty()) {
    std::fill(mask_.begin() + std::ptrdiff_t(begin), mask_.begin() + std::ptrdiff_t(end), std::uint8_t(255));
  } else {
    std::copy(raster.mask.begin() + std::ptrdiff_t(begin), raster.mask.begin() + std::ptrdiff_t(end),
              mask_.begin() + std::ptrdiff_t(begin));
  }
}

void MapImage::showRows(const Raster& raster, int firstRow, int endRow) {
  if (raster.empty()) return;
  if (picture_.isNull() || picture_.width() != raster.width || picture_.height() != raster.height) {
    picture_ = QImage(raster.width, raster.height, QImage::Format_RGB32);
    mask_.clear();
    if (picture_.isNull()) return;  // out of memory: nothing to show
    picture_.fill(Qt::white);
    // The white rows show no sample until the raster's rows come.
    if (!raster.mask.empty()) mask_.assign(std::size_t(raster.width) * std::size_t(raster.height), 0);
    update();
  }
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, raster.height);
  if (firstRow >= endRow) return;
  copyRows(raster, firstRow, endRow);
  changed_ |= QRect(0, firstRow, raster.width, endRow - firstRow);
  if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kFrameMs) {
    repaintChanged();
  } else if (!repaintTimer_.isActive()) {
    repaintTimer_.start();
  }
}

void MapImage::showRaster(const Raster& raster) {
  if (raster.empty()) {
    clearPicture();
    return;
  }
  if (picture_.isNull() || picture_.width() != raster.width || picture_.height() != raster.height) {
    picture_ = QImage(raster.width, raster.height, QImage::Format_RGB32);
    mask_.clear();
    if (picture_.isNull()) return;
  }
  copyRows(raster, 0, raster.height);
  changed_ = QRect();
  update();
}

void MapImage::showImage(const QImage& image, std::vector<std::uint8_t> mask) {
  changed_ = QRect();
  picture_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
  const bool fits = mask.size() == std::size_t(picture_.width()) * std::size_t(picture_.height());
  mask_ = fits ? std::move(mask) : std::vector<std::uint8_t>();
  emit imageShown();
  update();
}

Raster MapImage::toRaster() const {
  Raster raster = rasterOf(picture_);
  raster.mask = mask_;
  return raster;
}

Raster MapImage::rasterOf(const QImage& image) {
  if (image.isNull()) return {};
  const QImage picture = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  Raster raster(picture.width(), picture.height());
  for (int y = 0; y < raster.height; ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    std::uint8_t* to = raster.row(y);
    for (int x = 0; x < raster.width; ++x, to += 3) {
      to[0] = static_cast<std::uint8_t>(qBlue(from[x]));
      to[1] = static_cast<std::uint8_t>(qGreen(from[x]));
      to[2] = static_cast<std::uint8_t>(qRed(from[x]));
    }
  }
  return raster;
}

void MapImage::paintEvent(QPaintEvent* event) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  const QRect area = event->rect() & picture_.rect();
  if (!area.isEmpty()) painter.drawImage(area.topLeft(), picture_, area);
}

}  // namespace tarvelon
