#include "export/LegendPicture.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <memory>

#include "core/AtomicFile.h"
#include "dem/TileNames.h"
#include "export/LabelPicture.h"
#include "export/MapFile.h"

namespace tarvelon {

namespace {

QColor colourOf(std::uint32_t rgb) { return QColor::fromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

const QColor kHalo(255, 252, 240);
constexpr double kHaloWidth = 2;  // pixels round each letter

}  // namespace

FontsApplication::FontsApplication() {
  if (QGuiApplication::instance() == nullptr) app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

FontsApplication::~FontsApplication() = default;

QFont legendFont(LegendFont font) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setStyleStrategy(QFont::PreferAntialias);
  switch (font) {
    case LegendFont::Title:
      f.setPixelSize(18);
      f.setBold(true);
      break;
    case LegendFont::Subtitle:
      f.setPixelSize(12);
      break;
    case LegendFont::Label:
      f.setPixelSize(12);
      break;
    case LegendFont::Small:
      f.setPixelSize(11);
      break;
  }
  return f;
}

LegendTextMeasure::LegendTextMeasure()
    : fonts_{legendFont(LegendFont::Title), legendFont(LegendFont::Subtitle), legendFont(LegendFont::Label),
             legendFont(LegendFont::Small)} {}

double LegendTextMeasure::width(const std::string& text, LegendFont font) const {
  return QFontMetricsF(fonts_[static_cast<std::size_t>(font)]).horizontalAdvance(QString::fromStdString(text));
}

double LegendTextMeasure::ascent(LegendFont font) const {
  return QFontMetricsF(fonts_[static_cast<std::size_t>(font)]).ascent();
}

double LegendTextMeasure::descent(LegendFont font) const {
  return QFontMetricsF(fonts_[static_cast<std::size_t>(font)]).descent();
}

QImage paintLegend(const QImage& map, const LegendLayout& layout, const LabelOverlay* names) {
  QImage picture(layout.width, layout.height, QImage::Format_RGB32);
  if (picture.isNull()) throw WriteError("There is not enough memory for a map of this size with its legend.");
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawImage(layout.mapX, layout.mapY, map);

  if (!layout.lines.empty()) {
    painter.save();
    painter.setClipRect(QRect(layout.mapX, layout.mapY, map.width(), map.height()));
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const LegendLine& line : layout.lines) {
      if (line.points.size() < 2) continue;
      QPolygonF polygon;
      polygon.reserve(static_cast<qsizetype>(line.points.size()));
      for (const LegendPoint& p : line.points) polygon << QPointF(p.x, p.y);
      QPen pen(colourOf(line.colour), line.width);
      pen.setCapStyle(Qt::FlatCap);
      pen.setJoinStyle(Qt::RoundJoin);
      painter.setOpacity(std::clamp(line.opacity, 0.0, 1.0));
      painter.setPen(pen);
      painter.drawPolyline(polygon);
    }
    painter.restore();
  }
  if (names != nullptr && !names->empty()) {
    painter.save();
    painter.setClipRect(QRect(layout.mapX, layout.mapY, map.width(), map.height()));
    for (const LabelSprite& sprite : names->sprites()) {
      painter.drawImage(layout.mapX + sprite.x, layout.mapY + sprite.y, spriteImage(sprite));
    }
    painter.restore();
  }

  for (std::size_t i = 0; i < layout.barColours.size(); ++i) {
    painter.fillRect(layout.barX + int(i), layout.barY, 1, layout.barHeight, colourOf(layout.barColours[i]));
  }
  for (const LegendBox& box : layout.boxes) {
    painter.fillRect(QRectF(box.x, box.y, box.width, box.height), colourOf(box.fill));
  }
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (const LegendText& text : layout.texts) {
    painter.setFont(legendFont(text.font));
    if (text.halo) {
      // A pale halo round the letters, so that a label reads over the map
      // and the lines under it.
      QPainterPath path;
      path.addText(QPointF(text.x, text.y), legendFont(text.font), QString::fromStdString(text.text));
      painter.save();
      painter.setRenderHint(QPainter::Antialiasing, true);
      painter.setOpacity(0.85);
      painter.strokePath(path, QPen(kHalo, 2 * kHaloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.restore();
    }
    painter.setPen(colourOf(text.colour));
    painter.drawText(QPointF(text.x, text.y), QString::fromStdString(text.text));
  }
  painter.end();
  return picture;
}

QImage legendPicture(const QImage& map, const LegendInput& input, const std::vector<std::uint8_t>& mask,
                     const LabelOverlay* names) {
  const LegendTextMeasure measure;
  LegendInput withNames = input;
  if (names != nullptr) {
    for (const LabelSprite& sprite : names->sprites()) {
      withNames.namesOnMap.push_back({double(sprite.x), double(sprite.y), double(sprite.width), double(sprite.height)});
    }
  }
  const LegendLayout layout = layoutLegend(withNames, measure);
  if (input.geometry.projection() == nullptr || mask.size() != std::size_t(map.width()) * std::size_t(map.height())) {
    return paintLegend(map, layout, names);
  }
  QImage paper = map.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < paper.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(paper.scanLine(y));
    const std::uint8_t* shows = mask.data() + std::size_t(y) * std::size_t(paper.width());
    for (int x = 0; x < paper.width(); ++x) {
      if (shows[x] == 0) row[x] = qRgb(255, 255, 255);
    }
  }
  return paintLegend(paper, layout, names);
}

void saveRasterWithLegend(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                          const LabelOverlay& names, const std::string& path) {
  if (map.width != geometry.width() || map.height != geometry.height()) {
    throw WriteError("Cannot write " + path + ": the map is " + std::to_string(map.width) + " x " +
                     std::to_string(map.height) + " pixels where its legend expects " +
                     std::to_string(geometry.width()) + " x " + std::to_string(geometry.height()));
  }
  const FontsApplication fonts;
  const LegendInput input = legendInputFor(state, geometry, [](int) { return true; });
  const QImage image(map.pixels.data(), map.width, map.height, static_cast<qsizetype>(map.rowBytes()),
                     QImage::Format_BGR888);
  saveLegendPicture(legendPicture(image.convertToFormat(QImage::Format_RGB32), input, map.mask, &names), path);
}

void saveRasterWithLegend(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                          const std::string& path) {
  saveRasterWithLegend(map, geometry, state, LabelOverlay(), path);
}

void saveLegendPicture(const QImage& picture, const std::string& path) {
  // Through the map writers, as Save Map writes: the same encoders, the
  // same limits, and a temporary file renamed into place. No world file:
  // the legend's picture is not a raster of Mars. Rows are converted one
  // at a time, so a large map is not held twice.
  const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
  if (rgb.isNull() && !picture.isNull()) {
    throw WriteError("There is not enough memory for a map of this size with its legend.");
  }
  MapFileSpec spec;
  spec.path = path;
  spec.format = mapFormatOf(path) == MapFormat::Png ? MapFormat::Png : MapFormat::Bmp;
  spec.width = rgb.width();
  spec.height = rgb.height();
  spec.content = RowSink::Content::Colour;
  MapFile file(spec);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    std::uint8_t* to = file.rowBuffer(y);
    for (int x = 0; x < rgb.width(); ++x) {
      to[std::size_t(x) * 3] = std::uint8_t(qBlue(from[x]));
      to[std::size_t(x) * 3 + 1] = std::uint8_t(qGreen(from[x]));
      to[std::size_t(x) * 3 + 2] = std::uint8_t(qRed(from[x]));
    }
    file.rowDone(y);
  }
  file.commit();
}

}  // namespace tarvelon
