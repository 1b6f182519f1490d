#include "export/LegendPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <memory>

#include "dem/AtomicFile.h"
#include "dem/TileNames.h"
#include "render/BmpWriter.h"

namespace tarvelon {

namespace {

QColor colourOf(std::uint32_t rgb) { return QColor::fromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

bool endsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return tail == ".png";
}

// A QGuiApplication for the time a legend is made, when the program has
// none: fonts need one. It runs on the offscreen platform, so no display is
// needed.
class FontsApplication {
 public:
  FontsApplication() {
    if (QGuiApplication::instance() == nullptr) app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }

 private:
  char name_[16] = "tarvelon";
  char option_[16] = "-platform";
  char platform_[16] = "offscreen";
  char* argv_[4] = {name_, option_, platform_, nullptr};
  int argc_ = 3;
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace

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

QImage paintLegend(const QImage& map, const LegendLayout& layout) {
  QImage picture(layout.width, layout.height, QImage::Format_RGB32);
  if (picture.isNull()) throw WriteError("There is not enough memory for a map of this size with its legend.");
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawImage(layout.mapX, layout.mapY, map);

  for (std::size_t i = 0; i < layout.barColours.size(); ++i) {
    painter.fillRect(layout.barX + int(i), layout.barY, 1, layout.barHeight, colourOf(layout.barColours[i]));
  }
  for (const LegendBox& box : layout.boxes) {
    painter.fillRect(QRectF(box.x, box.y, box.width, box.height), colourOf(box.fill));
  }
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (const LegendText& text : layout.texts) {
    painter.setFont(legendFont(text.font));
    painter.setPen(colourOf(text.colour));
    painter.drawText(QPointF(text.x, text.y), QString::fromStdString(text.text));
  }
  painter.end();
  return picture;
}

QImage legendPicture(const QImage& map, const LegendInput& input) {
  const LegendTextMeasure measure;
  return paintLegend(map, layoutLegend(input, measure));
}

void saveRasterWithLegend(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                          const std::string& path) {
  if (map.width != geometry.width() || map.height != geometry.height()) {
    throw WriteError("Cannot write " + path + ": the map is " + std::to_string(map.width) + " x " +
                     std::to_string(map.height) + " pixels where its legend expects " +
                     std::to_string(geometry.width()) + " x " + std::to_string(geometry.height()));
  }
  const FontsApplication fonts;
  LegendInput input;
  input.title = state.mapTitle;
  input.geometry = geometry;
  input.colourScheme = state.colourScheme;
  input.shadingMode = state.shadingMode;
  input.bandLimits = state.bandLimits;
  input.reliefShading = state.reliefShading;
  input.sunAzimuth = state.sunAzimuth;
  input.sunAltitude = state.sunAltitude;
  input.elevations = measureElevations(
      geometry, [](int) { return true; },
      [&state](int tile) { return tilePath(state.demFolder, state.tileNames[static_cast<std::size_t>(tile)]); });
  const QImage image(map.pixels.data(), map.width, map.height, static_cast<qsizetype>(map.rowBytes()),
                     QImage::Format_BGR888);
  saveLegendPicture(legendPicture(image.convertToFormat(QImage::Format_RGB32), input), path);
}

void saveLegendPicture(const QImage& picture, const std::string& path) {
  if (endsWithPng(path)) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) throw WriteError("The map could not be encoded as PNG for " + path);
    AtomicFile file(path);
    file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.commit();
    return;
  }
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  BmpFile file(path, rgb.width(), rgb.height());
  std::vector<std::uint8_t> row(std::size_t(rgb.width()) * 3);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      row[std::size_t(x) * 3] = std::uint8_t(qBlue(from[x]));
      row[std::size_t(x) * 3 + 1] = std::uint8_t(qGreen(from[x]));
      row[std::size_t(x) * 3 + 2] = std::uint8_t(qRed(from[x]));
    }
    file.writeRowBytes(row.data(), y);
  }
  file.commit();
}

}  // namespace tarvelon
