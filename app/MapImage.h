// The map image `dmap`: shows one picture at natural size from its top-left
// corner and keeps it, so that it can be repainted and saved.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/Raster.h"

namespace tarvelon {

class MapImage : public QWidget {
  Q_OBJECT

 public:
  explicit MapImage(QWidget* parent = nullptr);

  // The picture goes; the widget shows its background.
  void clearPicture();
  // The picture becomes `raster`'s size (blank white, when it was not) and
  // raster rows firstRow .. endRow - 1 are copied into it. They reach the
  // screen with the next repaint; repaints come at most once a frame
  // (kFrameMs), each of the rows changed since the one before.
  void showRows(const Raster& raster, int firstRow, int endRow);
  // The picture becomes a copy of `raster`.
  void showRaster(const Raster& raster);
  // Rows copied from now on show their pixels that no sample lies behind
  // (the raster's mask says which) in `colour`; without one, as the raster
  // has them, each carrying the colour of the sample before it.
  void setNoSampleColour(std::optional<QRgb> colour) { noSampleColour_ = colour; }
  // The picture becomes a copy of `image`, with `mask` (see mask()).
  void showImage(const QImage& image, std::vector<std::uint8_t> mask = {});

  bool hasPicture() const { return !picture_.isNull(); }
  const QImage& picture() const { return picture_; }
  // Which pixels of the picture show a sample, as the rasters shown said
  // (Raster::mask); empty when all of them do.
  const std::vector<std::uint8_t>& mask() const { return mask_; }
  // The picture as a 24-bit raster, with its mask (empty when there is no
  // picture).
  Raster toRaster() const;
  // Any picture as a 24-bit raster.
  static Raster rasterOf(const QImage& picture);

 signals:
  // The picture went (clearPicture), or became a picture of its own
  // (showImage) rather than a renderer's raster.
  void pictureCleared();
  void imageShown();

 protected:
  void paintEvent(QPaintEvent* event) override;

 public:
  static constexpr int kFrameMs = 15;

 private:
  void copyRows(const Raster& raster, int firstRow, int endRow);
  void repaintChanged();

  QImage picture_;  // Format_RGB32, or null
  std::vector<std::uint8_t> mask_;
  std::optional<QRgb> noSampleColour_;
  QRect changed_;   // rows copied since the last repaint
  QElapsedTimer sinceRepaint_;
  QTimer repaintTimer_;
};

}  // namespace tarvelon
