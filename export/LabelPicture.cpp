#include "export/LabelPicture.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tarvelon {

namespace {

constexpr std::array<int, kLabelSizes> kPixelSizes{11, 13, 16, 20};

// The room a sprite leaves around its text's box for the halo, its soft
// edge and the letters that reach past their advance (italic capitals, a J
// reaching back under the letter before).
constexpr int kPad = kHaloPixels + 3;

std::size_t fontIndex(LabelStyle style, int size) {
  return static_cast<std::size_t>(style) * kLabelSizes + static_cast<std::size_t>(std::clamp(size, 0, kLabelSizes - 1));
}

// Channels in a dark blue, as map makers letter water; the rest near black.
QColor textColour(LabelStyle style) {
  return style == LabelStyle::Channel ? QColor(16, 42, 96) : QColor(24, 20, 18);
}

const QColor kHaloColour(255, 252, 240, 215);

}  // namespace

QFont labelFont(LabelStyle style, int size) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setStyleStrategy(QFont::PreferAntialias);
  const int pixels = kPixelSizes[static_cast<std::size_t>(std::clamp(size, 0, kLabelSizes - 1))];
  f.setPixelSize(pixels);
  switch (style) {
    case LabelStyle::Region:
      f.setCapitalization(QFont::AllUppercase);
      f.setLetterSpacing(QFont::AbsoluteSpacing, std::round(pixels * 0.25));
      break;
    case LabelStyle::Relief:
      f.setBold(true);
      break;
    case LabelStyle::Channel:
      f.setItalic(true);
      break;
    case LabelStyle::Crater:
    case LabelStyle::Other:
      break;
  }
  return f;
}

LabelFontMeasurer::LabelFontMeasurer() {
  for (int style = 0; style < kStyles; ++style) {
    for (int size = 0; size < kLabelSizes; ++size) {
      const std::size_t i = fontIndex(static_cast<LabelStyle>(style), size);
      fonts_[i] = labelFont(static_cast<LabelStyle>(style), size);
      const QFontMetricsF metrics(fonts_[i]);
      heights_[i] = std::ceil(metrics.ascent() + metrics.descent());
    }
  }
}

double LabelFontMeasurer::width(const std::string& name, LabelStyle style, int size) const {
  const QFont& font = fonts_[fontIndex(style, size)];
  QString text = QString::fromStdString(name);
  double width = QFontMetricsF(font).horizontalAdvance(text);
  // Spaced capitals: the spacing follows the last letter too; it is not ink.
  if (style == LabelStyle::Region) width -= font.letterSpacing();
  return std::ceil(width);
}

double LabelFontMeasurer::height(LabelStyle style, int size) const { return heights_[fontIndex(style, size)]; }

LabelSprite paintLabelSprite(const PlacedLabel& label) {
  const QFont font = labelFont(label.style, label.size);
  const QFontMetricsF metrics(font);
  LabelSprite sprite;
  sprite.x = static_cast<int>(std::floor(label.box.x)) - kPad;
  sprite.y = static_cast<int>(std::floor(label.box.y)) - kPad;
  sprite.width = static_cast<int>(std::ceil(label.box.width)) + 2 * kPad + 1;
  sprite.height = static_cast<int>(std::ceil(label.box.height)) + 2 * kPad + 1;

  QImage image(sprite.width, sprite.height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // The text keeps the box's fraction of a pixel, so that it lies where it
    // was measured.
    const QPointF baseline(label.box.x - sprite.x, label.box.y - sprite.y + metrics.ascent());
    const QString text = QString::fromStdString(label.place->name);
    painter.setFont(font);
    // The halo: the text in the halo's colour, opaque, at every offset
    // within the halo's radius (text from the glyph cache is far quicker
    // than stroking its outline), then made as translucent as the halo.
    painter.setPen(QColor(kHaloColour.red(), kHaloColour.green(), kHaloColour.blue()));
    for (int dy = -kHaloPixels; dy <= kHaloPixels; ++dy) {
      for (int dx = -kHaloPixels; dx <= kHaloPixels; ++dx) {
        if (dx * dx + dy * dy > kHaloPixels * kHaloPixels + 1 || (dx == 0 && dy == 0)) continue;
        painter.drawText(baseline + QPointF(dx, dy), text);
      }
    }
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(image.rect(), QColor(0, 0, 0, kHaloColour.alpha()));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(textColour(label.style));
    painter.drawText(baseline, text);
  }
  sprite.pixels.resize(std::size_t(sprite.width) * std::size_t(sprite.height) * 4);
  std::uint8_t* to = sprite.pixels.data();
  for (int y = 0; y < sprite.height; ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < sprite.width; ++x, to += 4) {
      to[0] = static_cast<std::uint8_t>(qBlue(from[x]));
      to[1] = static_cast<std::uint8_t>(qGreen(from[x]));
      to[2] = static_cast<std::uint8_t>(qRed(from[x]));
      to[3] = static_cast<std::uint8_t>(qAlpha(from[x]));
    }
  }
  return sprite;
}

QImage spriteImage(const LabelSprite& sprite) {
  QImage image(sprite.width, sprite.height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < sprite.height; ++y) {
    const std::uint8_t* from = sprite.row(y);
    auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < sprite.width; ++x, from += 4) to[x] = qRgba(from[2], from[1], from[0], from[3]);
  }
  return image;
}

namespace {

LabelOverlay overlayOf(const std::vector<PlacedLabel>& labels) {
  std::vector<LabelSprite> sprites;
  sprites.reserve(labels.size());
  for (const PlacedLabel& label : labels) sprites.push_back(paintLabelSprite(label));
  return LabelOverlay(std::move(sprites));
}

}  // namespace

LabelOverlay nameLabelOverlay(const GeoTransform& transform, int width, int height) {
  const LabelFontMeasurer measure;
  return overlayOf(placeNameLabels(PlaceNames::builtIn().all(), transform, width, height, measure));
}

LabelOverlay nameLabelOverlay(const MapGeometry& geometry) {
  const LabelFontMeasurer measure;
  return overlayOf(placeNameLabels(PlaceNames::builtIn().all(), geometry, measure));
}

}  // namespace tarvelon
