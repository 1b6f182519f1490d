#include "tools/assets/Relief.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/ColourTable.h"
#include "render/Hillshade.h"

namespace tarvelon::assets {

double pictureLongitude(int x, int width) { return -180.0 + (x + 0.5) * 360.0 / width; }

double pictureLatitude(int y, int height) { return 90.0 - (y + 0.5) * 180.0 / height; }

QPointF picturePoint(double longitude, double latitude, int width, int height) {
  return QPointF((longitude + 180.0) * width / 360.0, (90.0 - latitude) * height / 180.0);
}

QImage reliefPicture(const demo::GlobalGrid& grid, int width, int height, const ReliefStyle& style) {
  std::vector<std::int16_t> heights(std::size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const double latitude = pictureLatitude(y, height);
    for (int x = 0; x < width; ++x) {
      const double metres = grid.interpolate(latitude, pictureLongitude(x, width));
      heights[std::size_t(y) * width + x] = static_cast<std::int16_t>(std::lround(metres));
    }
  }

  const ColourTable colours(style.scheme, style.mode, BandLimits{});
  const Hillshade shade(style.sunAzimuth, style.sunAltitude, style.exaggeration);
  const double spacingY = kMetresPerDegree * 180.0 / height;
  QImage picture(width, height, QImage::Format_RGB32);
  std::vector<float> light(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    const std::int16_t* row = &heights[std::size_t(y) * width];
    const std::int16_t* above = y > 0 ? row - width : nullptr;
    const std::int16_t* below = y + 1 < height ? row + width : nullptr;
    // Near the poles a pixel of the picture is only a few kilometres wide
    // but its elevation is spread from a grid tens of kilometres wide;
    // lit at its true width it turns to noise.
    const double spacingX = std::max(eastWestSpacing(pictureLatitude(y, height), 360.0 / width), spacingY / 4);
    shade.lightRow(above, row, below, width, spacingX, spacingY, light.data());
    auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const std::uint32_t lit = shade.shade(colours.entry(row[x]), light[x]);
      out[x] = qRgb(int(lit >> 16) & 0xFF, int(lit >> 8) & 0xFF, int(lit) & 0xFF);
    }
  }
  return picture;
}

}  // namespace tarvelon::assets
