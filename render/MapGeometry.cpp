#include "render/MapGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "render/MapPlan.h"

namespace tarvelon {

namespace {

constexpr double kSample = 1.0 / kSamplesPerDegree;  // degrees between samples

}  // namespace

double sampleLongitude(const SampleSource& sample) {
  return tileBox(sample.tile).tileWest + (sample.column + 0.5) * kSample;
}

double sampleLatitude(const SampleSource& sample) {
  return tileBox(sample.tile).tileNorth - (sample.line + 0.5) * kSample;
}

MapGeometry MapGeometry::ofTile(int tile, int sampleStep) {
  MapGeometry g;
  const MapSize size = tileMapSize(sampleStep);
  g.firstTile_ = tile;
  g.width_ = size.width;
  g.height_ = size.height;
  g.step_ = sampleStep;
  g.columnsDrawn_ = std::min(tileSamplesRead(sampleStep), size.width);
  g.columns_.push_back(Run{0, 0, 0, g.columnsDrawn_});
  g.rowsDrawn_ = std::min(tileLinesRead(sampleStep), size.height);
  for (int y = 0; y < g.rowsDrawn_; ++y) g.rows_.push_back(RowRun{0, y * sampleStep});
  return g;
}

MapGeometry MapGeometry::ofArea(const AreaLayout& layout, int sampleStep) {
  MapGeometry g;
  g.firstTile_ = layout.tile;
  g.width_ = layout.rasterWidth;
  g.height_ = layout.rasterHeight;
  g.step_ = sampleStep;
  int x = 0;
  for (const ColumnRun& run : layout.columns) {
    if (x >= g.width_) break;
    const int count = std::min(run.count, g.width_ - x);
    g.columns_.push_back(Run{x, run.tileColumn, run.firstColumn, count});
    x += count;
  }
  g.columnsDrawn_ = x;
  g.rowsDrawn_ = std::min(g.height_, static_cast<int>(layout.rows.size()));
  for (int y = 0; y < g.rowsDrawn_; ++y) g.rows_.push_back(RowRun{layout.rows[y].tileRow, layout.rows[y].line});
  return g;
}

MapGeometry MapGeometry::ofWindow(const GridWindow& window) {
  const std::int64_t gridColumns = std::int64_t(kTileColumns) * kSamplesPerLine;
  const int gridLines = kTileRows * kLinesPerTile;
  if (window.width < 1 || window.height < 1 || window.step < 1 || window.zoom < 1 || window.firstLine < 0 ||
      window.firstLine >= gridLines) {
    throw std::invalid_argument("A window of the grid needs a size, a step and a zoom, and its first line on the grid");
  }
  MapGeometry g;
  const std::int64_t firstColumn = ((window.firstColumn % gridColumns) + gridColumns) % gridColumns;
  const int firstTileColumn = static_cast<int>(firstColumn / kSamplesPerLine);
  const int firstTileRow = window.firstLine / kLinesPerTile;
  g.firstTile_ = tileNumber(firstTileRow, firstTileColumn);
  g.width_ = window.width;
  g.height_ = window.height;
  g.step_ = window.step;
  g.zoom_ = window.zoom;
  // Runs of pixels within one tile column; each begins on a sample's first
  // pixel. The columns go on east round the planet.
  for (int x = 0; x < window.width;) {
    const std::int64_t column = firstColumn + std::int64_t(x / window.zoom) * window.step;
    const int tileOffset = static_cast<int>(column / kSamplesPerLine) - firstTileColumn;
    const int inTile = static_cast<int>(column % kSamplesPerLine);
    const int samplesLeft = (kSamplesPerLine - 1 - inTile) / window.step + 1;
    const int count = static_cast<int>(std::min<std::int64_t>(window.width - x, std::int64_t(samplesLeft) * window.zoom));
    g.columns_.push_back(Run{x, tileOffset, inTile, count});
    x += count;
  }
  g.columnsDrawn_ = window.width;
  for (int y = 0; y < window.height; ++y) {
    const std::int64_t line = window.firstLine + std::int64_t(y / window.zoom) * window.step;
    if (line >= gridLines) break;
    g.rows_.push_back(RowRun{static_cast<int>(line / kLinesPerTile) - firstTileRow,
                             static_cast<int>(line % kLinesPerTile)});
  }
  g.rowsDrawn_ = static_cast<int>(g.rows_.size());
  const double sample = kSample;
  const double span = window.step * sample;
  g.window_ = GeoTransform{-180.0 + (double(firstColumn) + 0.5) * sample - span / 2,
                           88.0 - (window.firstLine + 0.5) * sample + span / 2, span / window.zoom,
                           span / window.zoom};
  return g;
}

MapGeometry MapGeometry::ofProjection(const ProjectedFrame& frame) {
  if (frame.width < 1 || frame.height < 1 || !(frame.pixelSize > 0)) {
    throw std::invalid_argument("A projected map needs a width, a height and a pixel size");
  }
  MapGeometry g;
  g.width_ = g.columnsDrawn_ = frame.width;
  g.height_ = g.rowsDrawn_ = frame.height;
  g.projected_ = frame;
  return g;
}

std::optional<SampleSource> MapGeometry::sampleAt(int x, int y) const {
  if (projected_) return std::nullopt;
  if (x < 0 || y < 0 || x >= columnsDrawn_ || y >= rowsDrawn_) return std::nullopt;
  auto run = std::upper_bound(columns_.begin(), columns_.end(), x,
                              [](int px, const Run& r) { return px < r.firstX; });
  --run;  // the run holding x: columns_ starts at pixel 0 and has no gaps
  const RowRun& row = rows_[static_cast<std::size_t>(y)];
  const int tile = tileNumber(tileRowOf(firstTile_) + row.tileOffset, tileColumnOf(firstTile_) + run->tileOffset);
  return SampleSource{tile, row.line, run->firstColumn + (x - run->firstX) / zoom_ * step_};
}

double MapGeometry::longitudeAt(int x) const {
  if (projected_) {
    const auto point = projected_->pointAt(x + 0.5, height_ / 2.0);
    return point ? point->longitude : std::nan("");
  }
  if (window_) return window_->west + (x + 0.5) * window_->pixelWidth;
  const double west = tileBox(firstTile_).tileWest;
  const int last = std::max(columnsDrawn_ - 1, 0);
  const int drawn = std::clamp(x, 0, last);
  auto run = std::upper_bound(columns_.begin(), columns_.end(), drawn,
                              [](int px, const Run& r) { return px < r.firstX; });
  if (run == columns_.begin()) return west + 0.5 * kSample + x * step_ * kSample;
  --run;
  const int column = run->firstColumn + (drawn - run->firstX) * step_;
  // Pixels past the last drawn column go on at the map's step.
  return west + 90.0 * run->tileOffset + (column + 0.5) * kSample + (x - drawn) * step_ * kSample;
}

double MapGeometry::latitudeAt(int y) const {
  if (projected_) {
    const auto point = projected_->pointAt(width_ / 2.0, y + 0.5);
    return point ? point->latitude : std::nan("");
  }
  if (window_) return window_->north - (y + 0.5) * window_->pixelHeight;
  const double north = tileBox(firstTile_).tileNorth;
  if (rows_.empty()) return north - 0.5 * kSample - y * step_ * kSample;
  const int drawn = std::clamp(y, 0, static_cast<int>(rows_.size()) - 1);
  const RowRun& row = rows_[static_cast<std::size_t>(drawn)];
  return north - 44.0 * row.tileOffset - (row.line + 0.5) * kSample - (y - drawn) * step_ * kSample;
}

GeoTransform MapGeometry::transform() const {
  if (projected_) return projected_->transform();
  if (window_) return *window_;
  const double pixel = step_ * kSample;
  return GeoTransform{longitudeAt(0) - pixel / 2, latitudeAt(0) + pixel / 2, pixel, pixel};
}

}  // namespace tarvelon
