#include "render/TileRenderer.h"

#include <functional>
#include <optional>
#include <vector>

#include "dem/TileSetReader.h"
#include "render/BlankRaster.h"
#include "render/DrawSync.h"
#include "render/MapRows.h"
#include "render/Rounding.h"
#include "render/SampleColours.h"
#include "render/SampleRun.h"

namespace tarvelon {

std::string elapsedTimeText(const std::string& mapTitle, std::time_t end, std::time_t start) {
  const long long seconds = static_cast<long long>(end - start);
  return mapTitle + " processed in " + std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

namespace {

// The tile a tile map shows, for its latitudes: the state's tile box.
int tileOfState(const MapViewState& state) {
  TileBox box;
  const int t = tileAt(state.tileBox.tileWest, state.tileBox.tileNorth, box);
  return t == kNoTile ? 0 : t;
}

}  // namespace

void drawTile(MapViewState& state, DrawHost& host) {
  const MapPlan plan = planTile(tileOfState(state), state.sampleStep);
  const int step = plan.step;
  const std::string modeText = drawingModeText(state);

  DrawProgress progress(state);
  progress.startEmpty();
  const std::time_t start = host.now();

  const MapSize size{plan.width, plan.height};
  host.sizeMap(size.width, size.height);
  RowSink* const sink = host.rowSink();
  Raster raster = sink != nullptr ? Raster() : blankRaster(size.width, size.height);

  // Where finished rows go; it outlives the rows, whose lighting thread
  // puts rows in it.
  RowFunctions target;
  MapRows rows(state, plan.geometry, step, sink);
  host.placeMap(plan.geometry);

  announceDraw(host, "Drawing Tile" + modeText + " .... Progress:");
  host.setBusy(true);
  FailureCleanup cleanup(host, progress);

  // Finished rows go to the sink, or into the raster; drawing directly, the
  // picture becomes the raster as it stands: all of it the first time, then
  // only the rows it does not show yet.
  int rowsShown = 0;  // rows 0 .. rowsShown - 1 of the picture show the raster
  bool pictureReplaced = false;
  if (sink != nullptr) {
    target.intoSink(*sink);
  } else {
    target.rowOf = [&raster](int y) { return raster.row(y); };
    target.maskOf = [&raster](int y) { return raster.maskRow(y); };
    target.doneWith = [&](int y) {
      host.rowsFinished(y, y + 1);
      if (state.drawInBackground != 0) return;
      host.showRows(raster, pictureReplaced ? rowsShown : 0, pictureReplaced ? y + 1 : size.height);
      pictureReplaced = true;
      rowsShown = y + 1;
    };
  }

  const int samplesPerLine = tileSamplesRead(step);
  bool stopped = false;
  SampleColours colours;
  {
    // The file drawn is the one the state names, wherever it lies.
    TileSetReader tiles(state.demFolder, state.tileNames);
    tiles.setPath(plan.tile, state.tilePath);
    TileFile& file = tiles.file(plan.tile);
    for (int row = 0; row < plan.rowsRead && !stopped; ++row) {
      const std::uint8_t* line = file.next();
      progress.processEvents(host);
      // A stop ends the loop once this line is drawn.
      if (state.stopRequested == 1) {
        state.stopRequested = 0;
        stopped = true;
      }
      colours.update(state);
      if (row < size.height) {
        progress.track<false>(line, samplesPerLine, step);
        const SampleRunView run{line, samplesPerLine};
        rows.addRow(row, &run, 1, step, colours.data(), progress, target);
      }
      if (step > 1) file.skipLines(step - 1);
      // The line counter: 1 before the first line, one step more a line,
      // and past the tile's last line once stopped.
      const int lineCounter = stopped ? kLinesPerTile + step : 1 + (row + 1) * step;
      host.setPercent(std::to_string(roundHalfEven(std::int64_t(lineCounter) * 100, kLinesPerTile)) + "%");
    }
  }
  rows.finish(target);
  if (!stopped) rows.fillBelow(target);
  progress.processEvents(host);

  endDraw(host, state, progress, cleanup, start, [&] {
    if (sink == nullptr) {
      const int rowsDrawn = rows.rowsFinished();
      if (state.drawInBackground == 1) {
        host.takeRaster(std::move(raster));
      } else if (!pictureReplaced) {
        // Switched to direct drawing after the last line: show the map now
        // rather than leave the old picture.
        host.showRows(raster, 0, size.height);
      } else if (rowsShown < rowsDrawn) {
        host.showRows(raster, rowsShown, rowsDrawn);
      }
    }
    raster = Raster();
  });
}

}  // namespace tarvelon
