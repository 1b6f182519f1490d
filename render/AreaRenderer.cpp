#include "render/AreaRenderer.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "dem/TileFile.h"
#include "dem/TileNames.h"
#include "render/BlankRaster.h"
#include "render/ColourFunction.h"
#include "render/DrawSync.h"
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
constexpr int kTileRows = 4;
constexpr int kTileColumns = 4;

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
int floorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Number of columns first, first + step, ... that a run draws: the first
// always, then each one below `limit` and not past the tile's last column.
int runLength(int first, int limit, int step) {
  const int end = std::min(limit, kSamplesPerLine);  // columns below `end`
  return 1 + std::max(0, (end - 1 - first) / step);
}

// The tile files of one tile row, one per column run.
class RowFiles {
 public:
  void open(const AreaLayout& layout, int tileRow, const MapViewState& state) {
    files_.clear();  // closes the row above first
    for (const ColumnRun& run : layout.columns) {
      const int t = layout.tileOf(tileRow, run.tileColumn);
      files_.push_back(std::make_unique<TileFile>(tilePath(state.demFolder, state.tileNames[t])));
    }
    tileRow_ = tileRow;
  }
  int tileRow() const { return tileRow_; }
  TileFile& operator[](std::size_t run) { return *files_[run]; }

 private:
  std::vector<std::unique_ptr<TileFile>> files_;
  int tileRow_ = -1;
};

// Processes one run of samples into row `out` (null for a row past the
// raster) from pixel x on; samples outside -8200 .. 21250 are neither
// counted nor coloured and repeat the colour before them.
void colourAreaRun(const std::uint8_t* line, const ColumnRun& run, int step, const std::uint32_t* colours,
                   std::uint8_t* out, int& x, int width, DrawProgress& progress) {
  const std::uint8_t* first = line + std::ptrdiff_t(2) * run.firstColumn;
  trackAltitudes<true>(first, run.count, step, progress.altMax, progress.altMin);
  const int room = out != nullptr ? std::max(0, width - x) : 0;
  const int stored = std::min(run.count, room);
  progress.colour = colourRun(first, run.count, step, colours, stored > 0 ? out + std::ptrdiff_t(3) * x : nullptr,
                              stored, progress.colour);
  x += run.count;
}

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
  const int turns = floorDiv(west + 180, 360);
  fitted.bounds = AreaBounds{west - 360 * turns, std::min(north, kNorthLimit), east - 360 * turns,
                             std::max(south, kSouthLimit)};
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
  const int row = tile / kTileColumns + tileRow;
  const int column = (tile % kTileColumns + tileColumn) % kTileColumns;
  return row * kTileColumns + column;
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

  // Rows run down the north-west tile's row; at the first line past its
  // end they go on at line 0 of the row below, and so on while there is a
  // row below.
  const int rowsBelow = kTileRows - 1 - layout.tile / kTileColumns;
  int line = layout.firstLine;
  int lastLine = layout.lastLine;
  int tileRow = 0;
  do {
    layout.rows.push_back(RowSource{tileRow, line});
    line += step;
    if (line >= kLinesPerTile && tileRow < rowsBelow) {
      ++tileRow;
      line = 0;
      lastLine -= kLinesPerTile;
    }
  } while (line < lastLine && line < kLinesPerTile);

  // Columns run east through the north-west tile; past its last column the
  // area goes on from column 0 of the next tile east, and so on.
  layout.columns.push_back(ColumnRun{0, layout.firstColumn, runLength(layout.firstColumn, layout.lastColumn, step)});
  for (int k = 1; layout.lastColumn - (k - 1) * kColumnSpan > kColumnSpan; ++k) {
    const int remaining = layout.lastColumn - k * kColumnSpan;
    layout.columns.push_back(ColumnRun{k, 0, runLength(0, remaining, step)});
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
  if (layout.pixels() > kMaxAreaPixels) {
    host.inform("A map of this area at this resolution would be " + std::to_string(layout.rasterWidth) + " x " +
                std::to_string(layout.rasterHeight) + " pixels, more than the " +
                std::to_string(kMaxAreaPixels / 1000000) + " million that can be drawn. Choose a lower resolution.");
    return AreaDrawResult::Refused;
  }
  if (!fitted.note.empty()) host.inform(fitted.note);

  const std::string modeText = drawingModeText(state);
  DrawProgress progress(state);
  progress.startAtZero();
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

  FailureCleanup cleanup(host, progress);
  RowFiles files;
  files.open(layout, 0, state);
  host.setBusy(true);
  progress.processEvents(host);

  // Rows drawn directly go to the picture shown, row by row; rows drawn in
  // background go to a raster of their own, shown when the map is done.
  Raster screen;
  Raster offscreen;
  std::vector<std::uint8_t> line(kBytesPerLine);
  SampleColours colours;
  for (std::size_t i = 0; i < layout.rows.size(); ++i) {
    const int y = static_cast<int>(i);
    const RowSource& source = layout.rows[i];
    if (source.tileRow != files.tileRow()) files.open(layout, source.tileRow, state);

    progress.processEvents(host);
    if (state.stopRequested == 1) {
      state.stopRequested = 0;
      cleanup.disarm();
      progress.store();
      host.setBusy(false);
      return AreaDrawResult::Stopped;
    }
    colours.update(state);

    const bool direct = state.drawInBackground == 0;
    Raster& target = direct ? screen : offscreen;
    if (target.empty() && y < height) target = blankRaster(width, height);
    std::uint8_t* out = y < height ? target.row(y) : nullptr;
    int x = 0;
    for (std::size_t r = 0; r < layout.columns.size(); ++r) {
      files[r].readLine(source.line, line.data());
      colourAreaRun(line.data(), layout.columns[r], step, colours.data(), out, x, width, progress);
    }
    if (direct && y < height) host.showRows(screen, y, y + 1);
    host.setPercent(std::to_string(roundHalfEven(std::int64_t(y) * 100, height)) + "%");
  }
  files = RowFiles();

  host.setAltitudeLabels(std::to_string(progress.altMax) + " m)", std::to_string(progress.altMin) + " m)");
  if (state.drawInBackground == 1) {
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
