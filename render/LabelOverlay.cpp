#include "render/LabelOverlay.h"

#include <algorithm>

namespace tarvelon {

namespace {

// value * alpha / 255, rounded, exact for every byte pair.
inline std::uint8_t scaled(unsigned value, unsigned alpha) {
  const unsigned t = value * alpha + 128;
  return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace

LabelOverlay::LabelOverlay(std::vector<LabelSprite> sprites) : sprites_(std::move(sprites)) {
  byTop_.resize(sprites_.size());
  for (std::size_t i = 0; i < sprites_.size(); ++i) {
    byTop_[i] = i;
    tallest_ = std::max(tallest_, sprites_[i].height);
  }
  // In place order where tops tie, so that overlapping halos blend the same
  // way every time.
  std::stable_sort(byTop_.begin(), byTop_.end(),
                   [this](std::size_t a, std::size_t b) { return sprites_[a].y < sprites_[b].y; });
}

void LabelOverlay::blendRow(int y, std::uint8_t* bgr, std::uint8_t* mask, int width) const {
  // Only sprites whose top lies within the tallest sprite's height above
  // the row can cover it.
  const auto first = std::lower_bound(byTop_.begin(), byTop_.end(), y - tallest_ + 1,
                                      [this](std::size_t i, int top) { return sprites_[i].y < top; });
  for (auto it = first; it != byTop_.end() && sprites_[*it].y <= y; ++it) {
    const LabelSprite& sprite = sprites_[*it];
    const int sy = y - sprite.y;
    if (sy < 0 || sy >= sprite.height) continue;
    const int from = std::max(0, sprite.x);
    const int to = std::min(width, sprite.x + sprite.width);
    const std::uint8_t* src = sprite.row(sy) + std::size_t(from - sprite.x) * 4;
    for (int x = from; x < to; ++x, src += 4) {
      const unsigned alpha = src[3];
      if (alpha == 0) continue;
      std::uint8_t* dst = bgr + std::size_t(x) * 3;
      const unsigned keep = 255 - alpha;
      for (int c = 0; c < 3; ++c) dst[c] = static_cast<std::uint8_t>(std::min(255u, unsigned(src[c]) + scaled(dst[c], keep)));
      if (mask != nullptr && alpha >= kLabelOpaqueAlpha) mask[x] = 255;
    }
  }
}

void LabelOverlay::blendRaster(Raster& raster) const {
  if (empty()) return;
  for (int y = 0; y < raster.height; ++y) {
    std::uint8_t* mask = raster.mask.empty() ? nullptr : raster.maskRow(y);
    blendRow(y, raster.row(y), mask, raster.width);
  }
}

LabelledRows::LabelledRows(RowSink& inner, const LabelOverlay& labels, int width)
    : inner_(inner), labels_(labels), width_(width) {}

void LabelledRows::startRow(int y) {
  if (y == row_) return;
  row_ = y;
  bgr_ = nullptr;
  mask_ = nullptr;
}

std::uint8_t* LabelledRows::rowBuffer(int y) {
  startRow(y);
  bgr_ = inner_.rowBuffer(y);
  return bgr_;
}

std::uint8_t* LabelledRows::maskBuffer(int y) {
  startRow(y);
  mask_ = inner_.maskBuffer(y);
  return mask_;
}

void LabelledRows::rowDone(int y) {
  if (content() == Content::Colour && y == row_ && bgr_ != nullptr) {
    // A renderer that left the mask alone still has a label over no data
    // show: the sink's mask of the row is asked for here.
    std::uint8_t* mask = mask_ != nullptr ? mask_ : inner_.maskBuffer(y);
    labels_.blendRow(y, bgr_, mask, width_);
  }
  row_ = -1;
  bgr_ = nullptr;
  mask_ = nullptr;
  inner_.rowDone(y);
}

}  // namespace tarvelon
