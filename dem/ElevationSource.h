// An elevation model that knows its own grid: the samples of an even grid
// of longitude and latitude going round the planet, read by block or by
// arbitrary grid indices, for the maps that are not drawn tile by tile.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarvelon {

// Geographic coordinates on the Mars 2000 sphere, as GDAL and PROJ name it.
inline constexpr const char* kMarsSphereCrs = "ESRI:104971";

// An even grid of samples: `columns` x `lines`, `perDegree` a degree both
// ways. Column 0 starts at longitude `west` and the columns go once round
// the planet eastwards; line 0 starts at latitude `north` and the lines go
// south. A sample is a cell of the grid; its place is its centre.
struct GridSpec {
  std::int64_t columns = 0;
  int lines = 0;
  int perDegree = 0;
  double west = 0;   // degrees, east positive
  double north = 0;  // degrees
  const char* crs = kMarsSphereCrs;

  double south() const { return north - double(lines) / perDegree; }
};

// A sample of a grid. Any column is a column of the grid, counted round
// the planet (-1 is the last, `columns` the first); a line outside
// 0 .. lines - 1 lies off the grid and reads as no data.
struct GridIndex {
  std::int64_t column = 0;
  int line = 0;
  friend bool operator==(const GridIndex&, const GridIndex&) = default;
};

// A column counted round a grid of `columns` columns, as 0 .. columns - 1.
inline std::int64_t wrapColumn(std::int64_t column, std::int64_t columns) {
  if (columns <= 0) return column;  // an empty grid
  const std::int64_t c = column % columns;
  return c < 0 ? c + columns : c;
}

struct GeoPoint {
  double longitude = 0;
  double latitude = 0;
};

// The sample of `g` whose cell holds a point. Longitudes wrap (190 is
// -170). The grid's north edge belongs to line 0 and its south edge to the
// last line; a latitude beyond either, or a point that is not a number,
// gives a line off the grid.
inline GridIndex indexIn(const GridSpec& g, double longitude, double latitude) {
  if (!std::isfinite(longitude) || !std::isfinite(latitude) || g.columns <= 0 || g.perDegree <= 0) {
    return GridIndex{0, -1};
  }
  const double y = (g.north - latitude) * g.perDegree;
  int line = 0;
  if (y < 0) {
    line = -1;
  } else if (y > g.lines) {
    line = g.lines;
  } else {
    line = std::min(static_cast<int>(std::floor(y)), g.lines - 1);
  }
  const double columns = static_cast<double>(g.columns);
  double x = std::fmod((longitude - g.west) * g.perDegree, columns);
  if (x < 0) x += columns;
  std::int64_t column = static_cast<std::int64_t>(std::floor(x));
  if (column >= g.columns) column -= g.columns;  // a tiny negative x rounded up to a whole turn
  return GridIndex{column, line};
}

class ElevationSource {
 public:
  // What a sample off the grid reads as (and RowSink::kNoElevation).
  static constexpr std::int16_t kNoData = -32768;

  virtual ~ElevationSource() = default;

  virtual GridSpec grid() const = 0;

  // `columns` x `lines` samples into `out`, line by line: out[r * columns + c]
  // is the sample of grid line firstLine + r * step, column
  // firstColumn + c * step. Columns wrap round the planet; lines off the
  // grid give kNoData. `step` is 1 or more.
  virtual void block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step,
                     std::int16_t* out) = 0;
  // The samples of `count` grid indices in any order, e.g. one row of a
  // projected map, into out[0 .. count - 1].
  virtual void gather(const GridIndex* indices, int count, std::int16_t* out) = 0;

  // The sample whose cell holds a point (indexIn).
  GridIndex indexAt(double longitude, double latitude) const { return indexIn(grid(), longitude, latitude); }

  // The centre of a sample's cell; the longitude lies in west .. west + 360.
  GeoPoint centreOf(GridIndex index) const {
    const GridSpec g = grid();
    return GeoPoint{g.west + (double(wrapColumn(index.column)) + 0.5) / g.perDegree,
                    g.north - (double(index.line) + 0.5) / g.perDegree};
  }

  // A column of the grid counted round the planet, as 0 .. columns - 1.
  std::int64_t wrapColumn(std::int64_t column) const { return tarvelon::wrapColumn(column, grid().columns); }

 protected:
  // Throws std::invalid_argument for a block no source can read.
  static void checkBlock(int columns, int lines, int step) {
    if (columns < 0 || lines < 0 || step < 1) {
      throw std::invalid_argument("Cannot read a block of " + std::to_string(columns) + " x " + std::to_string(lines) +
                                  " samples " + std::to_string(step) + " apart");
    }
  }

  ElevationSource() = default;
  ElevationSource(const ElevationSource&) = default;
  ElevationSource& operator=(const ElevationSource&) = default;
};

}  // namespace tarvelon
