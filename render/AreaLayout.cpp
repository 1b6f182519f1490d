#include "render/AreaLayout.h"

#include <algorithm>
#include <stdexcept>

#include "render/Resolution.h"

namespace tarvelon {

namespace {

constexpr const char* kDegree = "\xC2\xB0";  // UTF-8
constexpr int kNorthLimit = 88;
constexpr int kSouthLimit = -88;

std::string degrees(int value) { return std::to_string(value) + kDegree; }

// Step for a width or a height: the first row whose bound it does not
// exceed; 48 beyond the last.
struct StepBound {
  int upTo;
  int step;
};
constexpr StepBound kWidthSteps[] = {{8, 2}, {16, 3}, {24, 4}, {32, 8}, {64, 10}, {120, 13}, {240, 24}};
constexpr StepBound kHeightSteps[] = {{6, 2}, {12, 3}, {18, 4}, {24, 8}, {48, 10}, {96, 13}, {200, 24}};

template <std::size_t N>
int stepFor(int degrees, const StepBound (&table)[N]) {
  for (const StepBound& row : table) {
    if (degrees <= row.upTo) return row.step;
  }
  return 48;
}

// Floor division for the whole turns of a longitude.
template <typename Int>
Int floorDiv(Int a, Int b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Number of columns first, first + step, ... that a run draws: the first
// always, then each one below `limit` and not past the tile's last column.
int runLength(int first, int limit, int step) {
  const int end = std::min(limit, kSamplesPerLine);  // columns below `end`
  return 1 + std::max(0, (end - 1 - first) / step);
}

}  // namespace

std::string degreesText(int value) { return degrees(value); }

int chooseStep(int west, int north, int east, int south) {
  return std::max(stepFor(east - west, kWidthSteps), stepFor(north - south, kHeightSteps));
}

FittedArea fitArea(int west, int north, int east, int south) {
  FittedArea fitted;
  const std::string asked = "The area " + degrees(west) + " to " + degrees(east) + " longitude, " + degrees(north) +
                            " to " + degrees(south) + " latitude";
  if (west >= east) {
    fitted.refusal = asked + " cannot be drawn: its west edge must lie west of its east edge.";
    // 170 to -170 means the 20 degrees across the 180 degree meridian.
    if (west > east && std::int64_t(east) + 360 > west) {
      fitted.refusal += " To cross the 180" + std::string(kDegree) + " meridian, write the east edge as " +
                        std::to_string(std::int64_t(east) + 360) + " (" + degrees(east) + " + 360" + kDegree + ").";
    }
    return fitted;
  }
  if (std::int64_t(east) - west > 360) {
    fitted.refusal = asked + " cannot be drawn: it is wider than 360" + kDegree + ".";
    return fitted;
  }
  if (north <= south) {
    fitted.refusal = asked + " cannot be drawn: its north edge must lie north of its south edge.";
    return fitted;
  }
  // In 64 bits: west + 180 passes the int range for a west edge near it.
  const std::int64_t turns = floorDiv<std::int64_t>(std::int64_t(west) + 180, 360);
  fitted.bounds = AreaBounds{static_cast<int>(west - 360 * turns), std::min(north, kNorthLimit),
                             static_cast<int>(east - 360 * turns), std::max(south, kSouthLimit)};
  if (fitted.bounds.north <= fitted.bounds.south) {
    fitted.refusal = asked + " lies outside the elevation data, which reach from 88" + kDegree + "N to 88" + kDegree +
                     "S. Nothing was drawn.";
    return fitted;
  }
  fitted.drawable = true;
  if (fitted.bounds.north != north || fitted.bounds.south != south) {
    fitted.note = "The elevation data reach from 88" + std::string(kDegree) + "N to 88" + kDegree +
                  "S only: the map shows latitudes " + degrees(fitted.bounds.north) + " to " +
                  degrees(fitted.bounds.south) + " of the area " + degrees(north) + " to " + degrees(south) + ".";
  }
  return fitted;
}

int AreaLayout::tileOf(int tileRow, int tileColumn) const {
  return tileNumber(tileRowOf(tile) + tileRow, tileColumnOf(tile) + tileColumn);
}

AreaLayout layoutArea(const AreaBounds& area, int sampleStep) {
  if (sampleStep < 1 || sampleStep > kLargestStep) {
    throw std::invalid_argument("Cannot draw an area with a sample step of " + std::to_string(sampleStep));
  }
  AreaLayout layout;
  layout.tile = tileAt(area.west, area.north, layout.box);
  if (layout.tile == kNoTile || area.east <= area.west || area.south >= area.north ||
      area.east - area.west > 360) {
    throw std::invalid_argument("The area " + std::to_string(area.west) + ", " + std::to_string(area.north) + ", " +
                                std::to_string(area.east) + ", " + std::to_string(area.south) +
                                " lies outside the tile set");
  }
  const int step = sampleStep;
  layout.firstLine = lineOfLatitude(layout.box.tileNorth, area.north);
  layout.lastLine = lineOfLatitude(layout.box.tileNorth, area.south);
  layout.firstColumn = columnOfLongitude(layout.box.tileWest, area.west);
  layout.lastColumn = columnOfLongitude(layout.box.tileWest, area.east);
  layout.rasterWidth = (layout.lastColumn - layout.firstColumn) / step;
  layout.rasterHeight = (layout.lastLine - layout.firstLine) / step;

  // Rows run down the north-west tile's row; past its last line they go on
  // in the row below at the line the step reached, counted from that tile's
  // line 0, and so on while there is a row below. Rows stay one step apart
  // across the join, as the map's georeference has them.
  const int rowsBelow = kTileRows - 1 - tileRowOf(layout.tile);
  int line = layout.firstLine;
  int lastLine = layout.lastLine;
  int tileRow = 0;
  do {
    layout.rows.push_back(RowSource{tileRow, line});
    line += step;
    if (line >= kLinesPerTile && tileRow < rowsBelow) {
      ++tileRow;
      line -= kLinesPerTile;
      lastLine -= kLinesPerTile;
    }
  } while (line < lastLine && line < kLinesPerTile);

  // Columns run east through the north-west tile; past its last column the
  // area goes on in the next tile east at the column the step reached,
  // counted from that tile's column 0, and so on.
  layout.columns.push_back(ColumnRun{0, layout.firstColumn, runLength(layout.firstColumn, layout.lastColumn, step)});
  for (int k = 1; layout.lastColumn - (k - 1) * kColumnSpan > kColumnSpan; ++k) {
    const ColumnRun& before = layout.columns.back();
    const int first = before.firstColumn + before.count * step - kSamplesPerLine;
    const int remaining = layout.lastColumn - k * kColumnSpan;
    layout.columns.push_back(ColumnRun{k, first, runLength(first, remaining, step)});
  }
  return layout;
}

}  // namespace tarvelon
