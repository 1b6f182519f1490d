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
#include "render/MapPlan.h"
#include "render/MapRows.h"
#include "render/Resolution.h"
#include "render/Rounding.h"
#include "render/SampleColours.h"
#include "render/SampleRun.h"
#include "render/TileRenderer.h"

namespace tarvelon {

namespace {

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

AreaDrawResult drawArea(int west, int north, int east, int south, MapViewState& state, DrawHost& host) {
  const bool chooseOwnStep = state.autoResolution == 1;
  // A host that keeps the map must hold it in memory; one with a sink does not.
  const MapPlan plan = planArea(west, north, east, south,
                                chooseOwnStep ? std::nullopt : std::optional<int>(state.sampleStep),
                                host.rowSink() == nullptr);
  if (!plan.drawable()) {
    host.inform(plan.refusalText);
    return AreaDrawResult::Refused;
  }
  if (!plan.note.empty()) host.inform(plan.note);
  const AreaBounds& area = plan.bounds;
  const AreaLayout& layout = plan.layout;
  const int step = plan.step;

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

  const int width = plan.width;
  const int height = plan.height;
  host.sizeMap(width, height);
  announceDraw(host, "Mapping" + modeText + ".... long: " + degreesText(area.west) + " to " +
                         degreesText(area.east) + " .... lat: " + degreesText(area.north) + " to " +
                         degreesText(area.south) + " .... Progress:");

  RowSink* const sink = host.rowSink();
  // Where finished rows go; it outlives the rows, whose lighting thread
  // puts rows in it.
  RowFunctions target;
  MapRows rows(state, plan.geometry, step, sink);
  host.placeMap(plan.geometry);

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

  endDraw(
      host, state, progress, cleanup, start,
      [&] {
        if (sink == nullptr && state.drawInBackground == 1) {
          if (offscreen.empty()) offscreen = Raster(width, height);
          host.takeRaster(std::move(offscreen));
        }
        offscreen = Raster();
      },
      [&] {
        host.areaDrawCompleted();
        state.drawnResolution = state.resolutionIndex;
      });
  return AreaDrawResult::Completed;
}

}  // namespace tarvelon
