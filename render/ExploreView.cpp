#include "render/ExploreView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarvelon {

namespace {

constexpr double kMetresPerDegreeOfArc = 3396190.0 * std::numbers::pi / 180.0;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) { return a - floorDiv(a, b) * b; }

}  // namespace

const std::vector<ExploreLevel>& exploreLevels() {
  static const std::vector<ExploreLevel> levels = {
      {1, 8},  {1, 6},  {1, 4},  {1, 3},  {1, 2},  {1, 1},  {2, 1},  {3, 1},  {4, 1},  {6, 1},
      {8, 1},  {12, 1}, {16, 1}, {24, 1}, {32, 1}, {48, 1}, {64, 1}, {96, 1}, {192, 1},
  };
  return levels;
}

int levelNearest(double samplesPerPixel) {
  const std::vector<ExploreLevel>& levels = exploreLevels();
  int best = 0;
  for (int i = 1; i < static_cast<int>(levels.size()); ++i) {
    const double off = std::abs(std::log(levels[std::size_t(i)].samplesPerPixel() / samplesPerPixel));
    if (off < std::abs(std::log(levels[std::size_t(best)].samplesPerPixel() / samplesPerPixel))) best = i;
  }
  return best;
}

GridWindow windowAtStep(const GridWindow& window, int step, const GridSpec& grid) {
  step = std::max(1, step);
  const double across = double(window.samplesWide()) * window.step;  // samples of the grid
  const double down = double(window.samplesHigh()) * window.step;
  const double centreColumn = double(window.firstColumn) + across / 2;
  const double centreLine = double(window.firstLine) + down / 2;
  GridWindow scaled;
  scaled.step = step;
  scaled.width = std::max(1, static_cast<int>(std::lround(across / step)));
  scaled.height = std::max(1, std::min(static_cast<int>(std::lround(down / step)), (grid.lines - 1) / step + 1));
  scaled.firstColumn = wrapColumn(std::llround(centreColumn - double(scaled.width) * step / 2), grid.columns);
  const int lastFirst = grid.lines - 1 - (scaled.height - 1) * step;
  scaled.firstLine = std::clamp(static_cast<int>(std::lround(centreLine - double(scaled.height) * step / 2)), 0,
                                std::max(0, lastFirst));
  return scaled;
}

ExploreView::ExploreView(const GridSpec& grid) : grid_(grid) { fitPlanet(); }

std::int64_t ExploreView::planetWidth() const {
  const ExploreLevel& l = levelInfo();
  return l.zoom > 1 ? grid_.columns * l.zoom : std::max<std::int64_t>(1, grid_.columns / l.step);
}

std::int64_t ExploreView::planetHeight() const {
  const ExploreLevel& l = levelInfo();
  // A pixel row shows the line it starts on: at zoom 1, every step-th line
  // from the first.
  return l.zoom > 1 ? std::int64_t(grid_.lines) * l.zoom : std::int64_t(grid_.lines - 1) / l.step + 1;
}

double ExploreView::gridUnitsOf(double levelPixel) const {
  // A pixel's footprint is centred on the sample it shows: at zoom 1 the
  // sample's cell grows by half a step each way.
  const ExploreLevel& l = levelInfo();
  return levelPixel * l.step / l.zoom + (1.0 - l.step) / 2.0;
}

double ExploreView::levelPixelOf(double gridUnits) const {
  const ExploreLevel& l = levelInfo();
  return (gridUnits - (1.0 - l.step) / 2.0) * l.zoom / l.step;
}

int ExploreView::fittingLevel() const {
  const int count = static_cast<int>(exploreLevels().size());
  for (int i = 0; i < count; ++i) {
    const ExploreLevel& l = exploreLevels()[std::size_t(i)];
    const std::int64_t wide = l.zoom > 1 ? grid_.columns * l.zoom : grid_.columns / l.step;
    const std::int64_t high = l.zoom > 1 ? std::int64_t(grid_.lines) * l.zoom : std::int64_t(grid_.lines - 1) / l.step + 1;
    if (wide <= width_ && high <= height_) return i;
  }
  return count - 1;
}

int ExploreView::farthestLevel() const {
  return std::min(fittingLevel() + 1, static_cast<int>(exploreLevels().size()) - 1);
}

void ExploreView::resize(int width, int height) {
  const double u = gridUnitsOf(double(originX_) + width_ / 2.0);
  const double v = gridUnitsOf(double(originY_) + height_ / 2.0);
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  level_ = std::min(level_, farthestLevel());
  originX_ = std::llround(levelPixelOf(u) - width_ / 2.0);
  originY_ = std::llround(levelPixelOf(v) - height_ / 2.0);
  clamp();
}

void ExploreView::fitPlanet() {
  level_ = fittingLevel();
  originX_ = -std::llround((width_ - double(planetWidth())) / 2.0);
  originY_ = 0;
  clamp();
}

void ExploreView::centreOn(GeoPoint point, int level) {
  level_ = std::clamp(level, 0, farthestLevel());
  const double u = (point.longitude - grid_.west) * grid_.perDegree;
  const double v = (grid_.north - point.latitude) * grid_.perDegree;
  originX_ = std::llround(levelPixelOf(u) - width_ / 2.0);
  originY_ = std::llround(levelPixelOf(v) - height_ / 2.0);
  clamp();
}

bool ExploreView::zoomAbout(double x, double y, int levels) {
  const int next = std::clamp(level_ - levels, 0, farthestLevel());
  if (next == level_) return false;
  const double u = gridUnitsOf(double(originX_) + x);
  const double v = gridUnitsOf(double(originY_) + y);
  level_ = next;
  originX_ = std::llround(levelPixelOf(u) - x);
  originY_ = std::llround(levelPixelOf(v) - y);
  clamp();
  return true;
}

void ExploreView::panBy(std::int64_t dx, std::int64_t dy) {
  originX_ -= dx;
  originY_ -= dy;
  clamp();
}

void ExploreView::clamp() {
  originX_ = floorMod(originX_, planetWidth());
  const std::int64_t high = planetHeight();
  if (high <= height_) {
    // Lower than the window: the planet stays in the middle.
    originY_ = -(height_ - high) / 2;
  } else {
    originY_ = std::clamp<std::int64_t>(originY_, 0, high - height_);
  }
}

GeoPoint ExploreView::pointAt(double x, double y) const {
  const double u = gridUnitsOf(double(originX_) + x);
  const double v = gridUnitsOf(double(originY_) + y);
  double longitude = std::fmod(grid_.west + u / grid_.perDegree + 180.0, 360.0);
  if (longitude < 0) longitude += 360.0;
  return GeoPoint{longitude - 180.0, grid_.north - v / grid_.perDegree};
}

void ExploreView::positionOf(GeoPoint point, double& x, double& y) const {
  const double width = double(planetWidth());
  x = levelPixelOf((point.longitude - grid_.west) * grid_.perDegree) - double(originX_);
  // The copy of the point nearest the window's centre.
  x -= std::round((x - width_ / 2.0) / width) * width;
  y = levelPixelOf((grid_.north - point.latitude) * grid_.perDegree) - double(originY_);
}

GridIndex ExploreView::sampleAt(int x, int y) const {
  const ExploreLevel& l = levelInfo();
  const std::int64_t px = originX_ + x;
  const std::int64_t py = originY_ + y;
  const std::int64_t column = l.zoom > 1 ? floorDiv(px, l.zoom) : px * l.step;
  const std::int64_t line = l.zoom > 1 ? floorDiv(py, l.zoom) : py * l.step;
  const int onGrid = line < 0 ? -1 : line >= grid_.lines ? grid_.lines : static_cast<int>(line);
  return GridIndex{wrapColumn(column, grid_.columns), onGrid};
}

double ExploreView::kilometresPerPixel() const {
  const double latitude = pointAt(width_ / 2.0, height_ / 2.0).latitude;
  const double degrees = levelInfo().samplesPerPixel() / grid_.perDegree;
  return degrees * kMetresPerDegreeOfArc * std::cos(latitude * std::numbers::pi / 180.0) / 1000.0;
}

std::vector<ExploreView::PlacedPiece> ExploreView::visiblePieces() const {
  std::vector<PlacedPiece> pieces;
  const std::int64_t around = std::max<std::int64_t>(1, planetWidth() / kPieceSize);
  const std::int64_t rows = (planetHeight() + kPieceSize - 1) / kPieceSize;
  const std::int64_t firstRow = std::max<std::int64_t>(0, floorDiv(originY_, kPieceSize));
  const std::int64_t lastRow = std::min<std::int64_t>(rows - 1, floorDiv(originY_ + height_ - 1, kPieceSize));
  const std::int64_t firstColumn = floorDiv(originX_, kPieceSize);
  const std::int64_t lastColumn = floorDiv(originX_ + width_ - 1, kPieceSize);
  for (std::int64_t r = firstRow; r <= lastRow; ++r) {
    for (std::int64_t c = firstColumn; c <= lastColumn; ++c) {
      pieces.push_back(PlacedPiece{PieceKey{level_, static_cast<int>(floorMod(c, around)), static_cast<int>(r)},
                                   c * kPieceSize - originX_, r * kPieceSize - originY_});
    }
  }
  const double cx = width_ / 2.0 - kPieceSize / 2.0;
  const double cy = height_ / 2.0 - kPieceSize / 2.0;
  std::stable_sort(pieces.begin(), pieces.end(), [cx, cy](const PlacedPiece& a, const PlacedPiece& b) {
    return std::hypot(double(a.x) - cx, double(a.y) - cy) < std::hypot(double(b.x) - cx, double(b.y) - cy);
  });
  return pieces;
}

GridWindow ExploreView::pieceWindow(const PieceKey& key) {
  const ExploreLevel& l = exploreLevels()[std::size_t(key.level)];
  GridWindow window;
  window.width = kPieceSize;
  window.height = kPieceSize;
  window.step = l.step;
  window.zoom = l.zoom;
  window.firstColumn = std::int64_t(key.column) * kPieceSize * l.step / l.zoom;
  window.firstLine = static_cast<int>(std::int64_t(key.row) * kPieceSize * l.step / l.zoom);
  return window;
}

GridWindow ExploreView::viewWindow() const {
  const ExploreLevel& l = levelInfo();
  const std::int64_t top = std::max<std::int64_t>(0, originY_);
  const std::int64_t bottom = std::min<std::int64_t>(planetHeight(), originY_ + height_);
  GridWindow window;
  if (bottom <= top) return window;
  window.step = l.step;
  window.zoom = l.zoom;
  window.width = static_cast<int>(std::min<std::int64_t>(width_, planetWidth()));
  window.height = static_cast<int>(bottom - top);
  // At a zoom above 1 the window starts on the sample under the top-left
  // pixel: the map may lie up to zoom - 1 pixels from the view. A planet
  // narrower than the window is drawn whole, from 180 W, as it is seen.
  if (planetWidth() <= width_) {
    window.firstColumn = 0;
  } else {
    window.firstColumn = l.zoom > 1 ? originX_ / l.zoom : originX_ * l.step;
  }
  window.firstLine = static_cast<int>(l.zoom > 1 ? top / l.zoom : top * l.step);
  return window;
}

}  // namespace tarvelon
