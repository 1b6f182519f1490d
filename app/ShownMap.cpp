#include "app/ShownMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "dem/GridSampler.h"
#include "render/AreaRenderer.h"
#include "render/Resolution.h"

namespace tarvelon {

namespace {

// What pixel (x, y) of a projected map shows.
ShownMap::Point projectedPoint(const ProjectedFrame& frame, int x, int y) {
  const std::optional<GeoPoint> point = frame.pointAt(x + 0.5, y + 0.5);
  if (!point) return {ShownMap::Place::OffMap, {}};
  ShownMap::Point shown{ShownMap::Place::NoSample, {}, true, point->latitude, point->longitude};
  const GridIndex index = indexIn(kTileGridSpec, point->longitude, point->latitude);
  if (index.line < 0 || index.line >= kGridLines) return shown;
  const int column = static_cast<int>(wrapColumn(index.column, kGridColumns));
  shown.place = ShownMap::Place::Sample;
  shown.sample = SampleSource{tileNumber(index.line / kLinesPerTile, column / kSamplesPerLine),
                              index.line % kLinesPerTile, column % kSamplesPerLine};
  return shown;
}

}  // namespace

void ShownMap::drawStarted(std::optional<MapGeometry> geometry) {
  drawGeometry_ = std::move(geometry);
  drawing_ = true;
  drawShown_ = false;
  finishedReported_ = false;
  drawFinished_.assign(drawGeometry_ ? static_cast<std::size_t>(drawGeometry_->height()) : 0, false);
}

void ShownMap::placeDraw(const MapGeometry& geometry) {
  if (!drawing_) return;
  drawGeometry_ = geometry;
  finishedReported_ = false;
  drawFinished_.assign(static_cast<std::size_t>(geometry.height()), false);
  if (drawShown_) {
    // Rows shown before the map was placed belong to it after all.
    drawShown_ = false;
    showDraw();
  }
}

void ShownMap::showDraw() {
  if (drawShown_) return;
  drawShown_ = true;
  if (!drawGeometry_) {
    picture_ = Picture::Unknown;
    geometry_.reset();
    drawnRows_.clear();
    return;
  }
  picture_ = Picture::Map;
  geometry_ = drawGeometry_;
  drawnRows_.assign(static_cast<std::size_t>(geometry_->height()), false);
}

void ShownMap::rowsShown(int firstRow, int endRow) {
  if (!drawing_) return;
  showDraw();
  const int rows = static_cast<int>(drawnRows_.size());
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, rows);
  if (endRow - firstRow == 1) {
    drawnRows_[firstRow] = true;
    return;
  }
  for (int y = firstRow; y < endRow; ++y) drawnRows_[y] = drawFinished_[y];
}

void ShownMap::rowsFinished(int firstRow, int endRow, bool direct) {
  if (!drawing_) return;
  finishedReported_ = true;
  const int rows = static_cast<int>(drawFinished_.size());
  for (int y = std::max(firstRow, 0); y < std::min(endRow, rows); ++y) {
    drawFinished_[y] = true;
    if (direct && drawShown_ && y < static_cast<int>(drawnRows_.size())) drawnRows_[y] = true;
  }
}

void ShownMap::rasterShown() {
  if (!drawing_) return;
  showDraw();
  if (finishedReported_) {
    drawnRows_ = drawFinished_;
  } else {
    drawnRows_.assign(drawnRows_.size(), true);
  }
}

void ShownMap::drawEnded() {
  drawing_ = false;
  drawShown_ = false;
  drawGeometry_.reset();
  drawFinished_.clear();
}

void ShownMap::pictureCleared() {
  picture_ = Picture::None;
  geometry_.reset();
  drawnRows_.clear();
  // Rows the draw shows from now on go into a fresh picture.
  drawShown_ = false;
}

void ShownMap::otherPictureShown() {
  pictureCleared();
  picture_ = Picture::Other;
}

void ShownMap::cover() {
  covered_ = Shown{picture_, geometry_, drawnRows_};
  otherPictureShown();
}

void ShownMap::uncover() {
  if (!covered_) return;
  picture_ = covered_->picture;
  geometry_ = std::move(covered_->geometry);
  drawnRows_ = std::move(covered_->drawnRows);
  covered_.reset();
}

const MapGeometry* ShownMap::userMapGeometry() const {
  if (!covered_) return geometry();
  return covered_->picture == Picture::Map ? &*covered_->geometry : nullptr;
}

ShownMap::Point ShownMap::at(int x, int y) const {
  switch (picture_) {
    case Picture::None:
      return {Place::NoMap, {}};
    case Picture::Other:
      return {Place::OtherPicture, {}};
    case Picture::Unknown:
      return {Place::UnknownMap, {}};
    case Picture::Map:
      break;
  }
  if (x < 0 || y < 0 || x >= geometry_->width() || y >= geometry_->height()) return {Place::OffMap, {}};
  if (!drawnRows_[static_cast<std::size_t>(y)]) {
    return {drawing_ && drawShown_ ? Place::NotDrawnYet : Place::NotDrawn, {}};
  }
  if (const ProjectedFrame* frame = geometry_->projection()) return projectedPoint(*frame, x, y);
  const std::optional<SampleSource> sample = geometry_->sampleAt(x, y);
  if (!sample) return {Place::NotDrawn, {}};
  return {Place::Sample, *sample};
}

}  // namespace tarvelon
