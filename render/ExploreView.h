// The arithmetic of a view that roams the tiles' even grid: a window of a
// given size onto the planet at one of a ladder of zoom levels, moved by
// whole pixels, wrapping round in longitude and held within the grid's
// latitudes. The view is cut into square pieces, each a window of the grid
// drawn once and kept, so that a move draws only the pieces it uncovers.
#pragma once

#include <cstdint>
#include <vector>

#include "dem/ElevationSource.h"
#include "render/GridWindow.h"

namespace tarvelon {

// A pixel of a level shows `step` / `zoom` samples of the grid across and
// down: one sample in `step` at zoom 1, or one sample as zoom x zoom pixels.
struct ExploreLevel {
  int step = 1;
  int zoom = 1;
  bool operator==(const ExploreLevel&) const = default;
  double samplesPerPixel() const { return double(step) / zoom; }
};

// The levels from the closest (8 pixels a sample) to the farthest (the
// whole planet in 240 pixels), each at most 2 times the one before, most
// 1.5. Every step divides the grid's 46080 columns into whole pieces.
const std::vector<ExploreLevel>& exploreLevels();
// The level nearest `samplesPerPixel` (by ratio).
int levelNearest(double samplesPerPixel);

// A piece: kPieceSize x kPieceSize pixels of a level, from pixel
// (column * kPieceSize, row * kPieceSize). Columns count round the planet
// from 0; rows from the grid's first line, off the grid above 0.
struct PieceKey {
  int level = 0;
  int column = 0;
  int row = 0;
  bool operator==(const PieceKey&) const = default;
};

// The same ground as `window` about the same centre, at one pixel a sample
// of `step`, its lines held to the grid.
GridWindow windowAtStep(const GridWindow& window, int step, const GridSpec& grid);

class ExploreView {
 public:
  // Divisible by every zoom of the ladder, so that a piece starts on a
  // sample at every level.
  static constexpr int kPieceSize = 240;

  // A view of `grid` (the tiles' grid): the whole planet in a 1 x 1
  // window until it is sized.
  explicit ExploreView(const GridSpec& grid);

  // The window's size in pixels; the point at the centre stays where it is.
  void resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  int level() const { return level_; }
  const ExploreLevel& levelInfo() const { return exploreLevels()[std::size_t(level_)]; }
  // The first level at which the whole planet fits the window.
  int fittingLevel() const;
  // The farthest level the view goes to: one past the fitting level, so
  // that the planet can be seen whole with room around it.
  int farthestLevel() const;

  // The whole planet, centred, at the fitting level.
  void fitPlanet();
  // Centres the view on a point at a level (clamped to the ladder).
  void centreOn(GeoPoint point, int level);
  // Moves the view `levels` steps of the ladder in (positive) or out,
  // keeping the point under window position (x, y) (pixels from the
  // window's top-left corner, fractions allowed) where it is, within a
  // pixel. False when the view is at the end of the ladder already.
  bool zoomAbout(double x, double y, int levels);
  // Moves what the window shows by (dx, dy) pixels: the map follows the
  // mouse, so a positive dx brings the west into view.
  void panBy(std::int64_t dx, std::int64_t dy);

  // The level pixel at the window's top-left corner. x lies in
  // 0 .. planetWidth() - 1; y may be negative (or past the grid) when the
  // planet is lower than the window.
  std::int64_t originX() const { return originX_; }
  std::int64_t originY() const { return originY_; }
  // The planet's size in pixels of the current level: the pixels that
  // show a sample of the grid.
  std::int64_t planetWidth() const;
  std::int64_t planetHeight() const;

  // The point at window position (x, y), in pixels from the window's
  // top-left corner (pixel centres at .5). The longitude lies in
  // -180 .. 180; the latitude is not held to the grid.
  GeoPoint pointAt(double x, double y) const;
  // The window position of a point: its x the one nearest the window's
  // centre among the planet's copies.
  void positionOf(GeoPoint point, double& x, double& y) const;
  // The grid sample that window pixel (x, y) shows; its line may be off
  // the grid.
  GridIndex sampleAt(int x, int y) const;
  // The kilometres across one pixel at the window's centre, along the
  // parallel there.
  double kilometresPerPixel() const;

  // The pieces that cover the window, nearest the centre first, and where
  // each lies: its top-left pixel in window positions.
  struct PlacedPiece {
    PieceKey key;
    std::int64_t x = 0;
    std::int64_t y = 0;
  };
  std::vector<PlacedPiece> visiblePieces() const;
  // The window of the grid a piece shows.
  static GridWindow pieceWindow(const PieceKey& key);
  // The window of the grid the view shows as one map: whole samples, from
  // the sample at the window's top-left pixel (from 180 W when the whole
  // planet is narrower than the window), its lines held to the grid.
  // Empty (width 0) when no line of the grid is in view.
  GridWindow viewWindow() const;

 private:
  void clamp();
  // The grid's coordinates (samples from its west and north edges) of a
  // level pixel's left or top edge, and back.
  double gridUnitsOf(double levelPixel) const;
  double levelPixelOf(double gridUnits) const;

  GridSpec grid_;
  int width_ = 1;
  int height_ = 1;
  int level_ = 0;
  std::int64_t originX_ = 0;
  std::int64_t originY_ = 0;
};

}  // namespace tarvelon
