#include "render/AreaRenderer.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "dem/TileNames.h"
#include "dem/TileSetReader.h"
#include "render/BlankRaster.h"
#include "render/ColourFunction.h"
#include "render/DrawSync.h"
#include "render/MapGeometry.h"
#include "render/MapRows.h"
#include "render/Resolution.h"
#include "render/Rounding.h"
#include "render/SampleColours.h"
#include "render/SampleRun.h"
#include "render/TileRenderer.h"

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

// The tile files of one tile row, one per column run; runs from the same
// tile (an area 360 degrees wide starts and ends in it) share its file.
class RowFiles {
 public:
  void open(const AreaLayout& layout, int tileRow, const MapViewState& state, bool readAhead) {
    tiles_.close();  // closes the row above first
    tiles_.use(state.demFolder, state.tileNames);
    ofRun_.clear();
    for (const ColumnRun& run : layout.columns) {
      const int t = layout.tileOf(tileRow, run.tileColumn);
      ofRun_.push_back(t);
      if (!tiles_.isOpen(t)) tiles_.file(t).readAhead(readAhead);
    }
    tileRow_ = tileRow;
  }
  int tileRow() const { return tileRow_; }
  TileFile& operator[](std::size_t run) { return tiles_.file(ofRun_[run]); }

 private:
  TileSetReader tiles_;
  std::vector<int> ofRun_;
  int tileRow_ = -1;
};

}  // namespace

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

AreaDrawResult drawArea(int west, int north, int east, int south, MapViewState& state, DrawHost& host) {
  const FittedArea fitted = fitArea(west, north, east, south);
  if (!fitted.drawable) {
    host.inform(fitted.refusal);
    return AreaDrawResult::Refused;
  }
  const AreaBounds& area = fitted.bounds;
  const bool chooseOwnStep = state.autoResolution == 1;
  const int step = chooseOwnStep ? chooseStep(area.west, area.north, area.east, area.south) : state.sampleStep;
  const AreaLayout layout = layoutArea(area, step);
  if (layout.rasterWidth < 1 || layout.rasterHeight < 1) {
    host.inform("The area is too small to draw at this resolution.");
    return AreaDrawResult::Refused;
  }
  // A host that keeps the map must hold it in memory; one with a sink does not.
  if (host.rowSink() == nullptr && layout.pixels() > kMaxAreaPixels) {
    host.inform("A map of this area at this resolution would be " + std::to_string(layout.rasterWidth) + " x " +
                std::to_string(layout.rasterHeight) + " pixels, more than the " +
                std::to_string(kMaxAreaPixels / 1000000) + " million that can be drawn. Choose a lower resolution.");
    return AreaDrawResult::Refused;
  }
  if (!fitted.note.empty()) host.inform(fitted.note);

  const std::string modeText = drawingModeText(state);
  DrawProgress progress(state);
  progress.startEmpty();
  const std::time_t start = host.now();

  state.areaWest = area.west;
  state.areaNorth = area.north;
  state.areaEast = area.east;
  state.areaSouth = area.south;
  state.tileBox = layout.box;
  if (chooseOwnStep) {
    state.sampleStep = step;
    host.checkResolution(resolutionIndexOfStep(step, state.resolutionIndex));
    state.autoResolution = 0;
    host.clearMap();
  }
  state.resolutionIndex = resolutionIndexOfStep(step, state.resolutionIndex);

  const int width = layout.rasterWidth;
  const int height = layout.rasterHeight;
  host.sizeMap(width, height);
  host.setLegend("Mapping" + modeText + ".... long: " + degrees(area.west) + " to " + degrees(area.east) +
                 " .... lat: " + degrees(area.north) + " to " + degrees(area.south) + " .... Progress:");

  RowSink* const sink = host.rowSink();
  const MapGeometry geometry = MapGeometry::ofArea(layout, step);
  // Where finished rows go; it outlives the rows, whose lighting thread
  // puts rows in it.
  RowFunctions target;
  MapRows rows(state, geometry, step, sink);
  host.placeMap(geometry);

  FailureCleanup cleanup(host, progress);
  RowFiles files;
  // At 100 % the rows read on line after line: read the tiles in blocks.
  const bool readAhead = step == 1;
  files.open(layout, 0, state, readAhead);
  host.setBusy(true);
  progress.processEvents(host);

  // Rows drawn directly go to the picture shown, row by row; rows drawn in
  // background go to a raster of their own, shown when the map is done; a
  // host with a sink takes them all.
  Raster screen;
  Raster offscreen;
  if (sink != nullptr) {
    target.intoSink(*sink);
  } else {
    target.rowOf = [&](int y) {
      Raster& into = state.drawInBackground == 0 ? screen : offscreen;
      if (into.empty()) into = blankRaster(width, height);
      return into.row(y);
    };
    target.maskOf = [&](int y) {
      Raster& into = state.drawInBackground == 0 ? screen : offscreen;
      if (into.empty()) into = blankRaster(width, height);
      return into.maskRow(y);
    };
    target.doneWith = [&](int y) {
      host.rowsFinished(y, y + 1);
      if (state.drawInBackground == 0) host.showRows(screen, y, y + 1);
    };
  }

  std::vector<SampleRunView> runs(layout.columns.size());
  SampleColours colours;
  int percentShown = -1;
  // The share of the map's rows finished before the row in hand.
  auto showPercent = [&](std::int64_t rowsBefore) {
    percentShown = static_cast<int>(std::min<std::int64_t>(100, roundHalfEven(rowsBefore * 100, height)));
    host.setPercent(std::to_string(percentShown) + "%");
  };
  for (std::size_t i = 0; i < layout.rows.size(); ++i) {
    const int y = static_cast<int>(i);
    const RowSource& source = layout.rows[i];
    if (source.tileRow != files.tileRow()) files.open(layout, source.tileRow, state, readAhead);

    progress.processEvents(host);
    if (state.stopRequested == 1) {
      state.stopRequested = 0;
      cleanup.disarm();
      progress.store();
      host.setBusy(false);
      return AreaDrawResult::Stopped;
    }
    colours.update(state);

    for (std::size_t r = 0; r < layout.columns.size(); ++r) {
      const ColumnRun& run = layout.columns[r];
      const std::uint8_t* first = files[r].line(source.line) + std::ptrdiff_t(2) * run.firstColumn;
      progress.track<true>(first, run.count, step);
      runs[r] = SampleRunView{first, run.count};
    }
    rows.addRow(y, runs.data(), static_cast<int>(runs.size()), step, colours.data(), progress, target);
    showPercent(y);
  }
  rows.finish(target);
  rows.fillBelow(target);
  files = RowFiles();
  // Each row shows the share finished before it: when the rows number no
  // more than the map's, the last one finished leaves it short of 100.
  if (percentShown != 100) showPercent(height);

  host.setAltitudeLabels(altitudeLabel(state, progress.altMax), altitudeLabel(state, progress.altMin));
  if (sink == nullptr && state.drawInBackground == 1) {
    if (offscreen.empty()) offscreen = Raster(width, height);
    host.takeRaster(std::move(offscreen));
  }
  offscreen = Raster();
  const std::time_t end = host.now();
  host.setLegend(elapsedTimeText(state.mapTitle, end, start));
  host.setPercent("");
  host.setBusy(false);
  host.areaDrawCompleted();
  state.drawnResolution = state.resolutionIndex;
  progress.store();
  cleanup.disarm();
  return AreaDrawResult::Completed;
}

}  // namespace tarvelon
