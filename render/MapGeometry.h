// Where the pixels of a drawn map come from and where they lie on Mars:
// the tile, line and column of the sample each pixel shows, the
// geographic centre of that sample, and the map's georeference.
#pragma once

#include <optional>
#include <vector>

#include "render/AreaLayout.h"
#include "render/GeoTransform.h"
#include "render/GridWindow.h"
#include "render/Projection.h"

namespace tarvelon {

// One sample of the tile set.
struct SampleSource {
  int tile = 0;    // 0 .. 15
  int line = 0;    // 0 .. 5631
  int column = 0;  // 0 .. 11519
  bool operator==(const SampleSource&) const = default;
};

// Longitude of a sample's centre, east-positive, -180 .. 180.
double sampleLongitude(const SampleSource& sample);
// Latitude of a sample's centre, north-positive.
double sampleLatitude(const SampleSource& sample);

class MapGeometry {
 public:
  // A whole tile drawn by the tile renderer at `sampleStep`.
  static MapGeometry ofTile(int tile, int sampleStep);
  // An area as the area renderer lays it out at `sampleStep`.
  static MapGeometry ofArea(const AreaLayout& layout, int sampleStep);
  // A window of the tiles' even global grid (46080 x 22528 samples from
  // 180 W, 88 N), as a sampled map draws it. Its lines must lie on the
  // grid; its columns may start anywhere round the planet.
  static MapGeometry ofWindow(const GridWindow& window);
  // A map in a projection other than simple cylindrical: its pixels show
  // no sample of a tile line (sampleAt gives nothing) but the points
  // projection()->pointAt gives, and its georeference is in metres.
  static MapGeometry ofProjection(const ProjectedFrame& frame);

  // The projected frame of a projected map; nullptr for a simple
  // cylindrical one, whose longitudes and latitudes are those below.
  const ProjectedFrame* projection() const { return projected_ ? &*projected_ : nullptr; }

  int width() const { return width_; }
  int height() const { return height_; }
  int sampleStep() const { return step_; }
  // Pixels a sample on a side: 1 but for a magnified window.
  int zoom() const { return zoom_; }

  // Rows 0 .. rowsDrawn() - 1 and columns 0 .. columnsDrawn() - 1 show
  // samples; the renderer fills the rest of the map from them.
  int rowsDrawn() const { return rowsDrawn_; }
  int columnsDrawn() const { return columnsDrawn_; }

  // The sample that pixel (x, y) shows; nothing outside the map and on a
  // row or column the renderer does not draw.
  std::optional<SampleSource> sampleAt(int x, int y) const;

  // Centre of pixel (x, y) of a drawn row and column, in degrees; the
  // longitude continues east of 180 as the map does (see GeoTransform).
  // On a projected map: the point at the pixel's centre on the map's middle
  // row or column, NaN off the planet.
  double longitudeAt(int x) const;
  double latitudeAt(int y) const;

  // The georeference of the map: pixel (0, 0) is centred on its sample,
  // and each pixel is sampleStep / 128 degrees on a side. Exact for every
  // drawn pixel: the columns and rows of an area go on across tile joins
  // one step apart, so each drawn pixel is centred on the sample it shows.
  GeoTransform transform() const;

 private:
  struct Run {
    int firstX;       // first pixel of the run
    int tileOffset;   // tile columns east of the first tile (area) or 0
    int firstColumn;  // column of the first pixel
    int count;
  };
  struct RowRun {
    int tileOffset;  // tile rows south of the first tile
    int line;
  };

  int firstTile_ = 0;
  int step_ = 1;
  int zoom_ = 1;
  // A window's georeference, which its pixels follow exactly.
  std::optional<GeoTransform> window_;
  std::optional<ProjectedFrame> projected_;
  int width_ = 0, height_ = 0;
  int rowsDrawn_ = 0, columnsDrawn_ = 0;
  std::vector<Run> columns_;
  std::vector<RowRun> rows_;  // one per drawn row
};

}  // namespace tarvelon
