#include "tools/assets/HelpPictures.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <string>

#include "render/ColourTable.h"
#include "tools/assets/Assets.h"

namespace tarvelon::assets {

namespace {

constexpr int kWidth = (kHelpEast - kHelpWest) * kHelpPixelsPerDegree;
constexpr int kHeight = (kHelpNorth - kHelpSouth) * kHelpPixelsPerDegree;

// Elevation at the centre of pixel (x, y), in whole metres.
int elevationAt(const demo::GlobalGrid& grid, int x, int y) {
  const double longitude = kHelpWest + (x + 0.5) / kHelpPixelsPerDegree;
  const double latitude = kHelpNorth - (y + 0.5) / kHelpPixelsPerDegree;
  return static_cast<int>(std::lround(grid.interpolate(latitude, longitude)));
}

}  // namespace

QImage helpPicture(const demo::GlobalGrid& grid, int scheme, int mode, const BandLimits& bands) {
  const ColourTable colours(scheme, mode, bands);
  QImage picture(kWidth, kHeight, QImage::Format_RGB32);
  // As on a map: an elevation the colouring leaves out keeps the colour
  // before it.
  PixelColour pixel;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      colours.colour(elevationAt(grid, x, y), pixel);
      picture.setPixel(x, y, qRgb(pixel.pixelRed & 0xFF, pixel.pixelGreen & 0xFF, pixel.pixelBlue & 0xFF));
    }
  }
  return picture;
}

std::pair<int, int> helpPictureRange(const demo::GlobalGrid& grid) {
  int highest = INT_MIN;
  int lowest = INT_MAX;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int metres = elevationAt(grid, x, y);
      highest = std::max(highest, metres);
      lowest = std::min(lowest, metres);
    }
  }
  return {highest, lowest};
}

void buildHelpPictures(const AssetContext& context) {
  const std::filesystem::path folder = context.out / "help" / "pictures";
  std::filesystem::create_directories(folder);
  for (int scheme = 0; scheme < kSchemeCount; ++scheme) {
    saveImage(helpPicture(context.grid, scheme, 1), folder / ("scheme-" + std::to_string(scheme) + ".png"));
  }
  for (int mode = 0; mode < kModeCount; ++mode) {
    saveImage(helpPicture(context.grid, 2, mode), folder / ("mode-" + std::to_string(mode) + ".png"));
  }
  // "Optimise" on this area: the bands fitted to its highest and lowest.
  const auto [highest, lowest] = helpPictureRange(context.grid);
  saveImage(helpPicture(context.grid, kUserColours, 1, buildBandLimits(highest, lowest)), folder / "user-colours.png");
}

}  // namespace tarvelon::assets
