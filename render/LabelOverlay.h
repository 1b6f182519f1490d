// Labels laid over a finished map: small pictures with premultiplied alpha
// at their places, blended into the map's rows as each row is done (so that
// a map streamed to its file stays streamed) or into a whole raster. No Qt.
#pragma once

#include <cstdint>
#include <vector>

#include "render/Raster.h"
#include "render/RowSink.h"

namespace tarvelon {

// One label's picture: blue, green, red, alpha a pixel, the colours already
// multiplied by the alpha, rows top to bottom. Its top-left pixel lies at
// (x, y) on the map, which it may overhang.
struct LabelSprite {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

  const std::uint8_t* row(int sy) const { return pixels.data() + std::size_t(sy) * std::size_t(width) * 4; }
};

// A pixel of a label at least this opaque shows over no data: it marks the
// map's mask as showing (Raster::mask, RowSink::maskBuffer).
inline constexpr std::uint8_t kLabelOpaqueAlpha = 128;

class LabelOverlay {
 public:
  LabelOverlay() = default;
  explicit LabelOverlay(std::vector<LabelSprite> sprites);

  bool empty() const { return sprites_.empty(); }
  const std::vector<LabelSprite>& sprites() const { return sprites_; }

  // Blends the labels over row y of a map `width` pixels wide: `bgr` holds
  // 3 bytes a pixel; `mask` (nullptr: none) is set to 255 under label
  // pixels of kLabelOpaqueAlpha or more.
  void blendRow(int y, std::uint8_t* bgr, std::uint8_t* mask, int width) const;
  // Every row of `raster`; its mask, when it has one, as blendRow.
  void blendRaster(Raster& raster) const;

 private:
  std::vector<LabelSprite> sprites_;
  // Sprite indices by the first row they cover, for a quick start per row.
  std::vector<std::size_t> byTop_;
  int tallest_ = 0;
};

// Passes a map's rows on to `inner`, blending the labels into each row
// (colour rows only) just before it is handed on as done.
class LabelledRows : public RowSink {
 public:
  LabelledRows(RowSink& inner, const LabelOverlay& labels, int width);

  Content content() const override { return inner_.content(); }
  std::uint8_t* rowBuffer(int y) override;
  std::uint8_t* maskBuffer(int y) override;
  void rowDone(int y) override;

 private:
  void startRow(int y);

  RowSink& inner_;
  const LabelOverlay& labels_;
  int width_;
  int row_ = -1;
  std::uint8_t* bgr_ = nullptr;
  std::uint8_t* mask_ = nullptr;  // of row_, when the renderer asked for it
};

}  // namespace tarvelon
