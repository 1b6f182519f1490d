#include "render/TileRenderer.h"

#include <stdexcept>
#include <vector>

#include "dem/TileFile.h"
#include "render/BlankRaster.h"
#include "render/DrawSync.h"
#include "render/Resolution.h"
#include "render/Rounding.h"
#include "render/SampleColours.h"
#include "render/SampleRun.h"

namespace tarvelon {

MapSize tileMapSize(int sampleStep) {
  return MapSize{static_cast<int>(roundHalfEven(kColumnSpan, sampleStep)),
                 static_cast<int>(roundHalfEven(kLinesPerTile, sampleStep))};
}

std::string elapsedTimeText(const std::string& mapTitle, std::time_t end, std::time_t start) {
  return mapTitle + " processed in " + std::to_string(static_cast<long long>(end - start)) + " seconds";
}

namespace {

// Takes `count` samples of a line, `step` samples apart from the first:
// tracks the highest and lowest and colours them. Only the first `stored`
// are written to `out`: at step 13 a line has one sample more than the
// raster has columns.
void colourTileLine(const std::uint8_t* line, int step, int count, int stored, const std::uint32_t* colours,
                    std::uint8_t* out, DrawProgress& progress) {
  trackAltitudes<false>(line, count, step, progress.altMax, progress.altMin);
  progress.colour = colourRun(line, count, step, colours, out, stored, progress.colour);
}

}  // namespace

void drawTile(MapViewState& state, DrawHost& host) {
  const int step = state.sampleStep;
  if (step < 1 || step > kLargestStep) {
    throw std::invalid_argument("Cannot draw a tile with a sample step of " + std::to_string(step));
  }
  const std::string modeText = drawingModeText(state);

  DrawProgress progress(state);
  progress.startAtZero();
  const std::time_t start = host.now();

  const MapSize size = tileMapSize(step);
  host.sizeMap(size.width, size.height);
  Raster raster = blankRaster(size.width, size.height);

  int lineCounter = 1;
  int row = 0;
  host.setLegend("Drawing Tile" + modeText + " .... Progress:");
  host.setBusy(true);
  FailureCleanup cleanup(host, progress);

  // Samples 0, step, 2 * step, ... below column 11519.
  const int samplesPerLine = (kColumnSpan - 1) / step + 1;
  const int stored = samplesPerLine < size.width ? samplesPerLine : size.width;
  int rowsShown = 0;  // rows 0 .. rowsShown - 1 of the picture show the raster
  bool pictureReplaced = false;
  {
    TileFile file(state.tilePath);
    std::vector<std::uint8_t> line(kBytesPerLine);
    SampleColours colours;
    do {
      file.readNextLine(line.data());
      progress.processEvents(host);
      if (state.stopRequested == 1) {
        state.stopRequested = 0;
        lineCounter = kLinesPerTile;  // this line is still drawn
      }
      colours.update(state);
      if (row < size.height) {
        colourTileLine(line.data(), step, samplesPerLine, stored, colours.data(), raster.row(row), progress);
        if (state.drawInBackground == 0) {
          // The picture becomes the raster as it stands: all of it the first
          // time, then only the rows it does not show yet.
          const int from = pictureReplaced ? rowsShown : 0;
          const int to = pictureReplaced ? row + 1 : size.height;
          host.showRows(raster, from, to);
          pictureReplaced = true;
          rowsShown = row + 1;
        }
        host.rowsFinished(raster, row, row + 1);
      }
      lineCounter += step;
      ++row;
      if (step > 1) file.skipLines(step - 1);
      host.setPercent(std::to_string(roundHalfEven(std::int64_t(lineCounter) * 100, kLinesPerTile)) + "%");
    } while (lineCounter < kLinesPerTile - step);
  }
  progress.processEvents(host);

  host.setAltitudeLabels(std::to_string(progress.altMax) + " m)", std::to_string(progress.altMin) + " m)");
  const int rowsDrawn = row < size.height ? row : size.height;
  if (state.drawInBackground == 1) {
    host.takeRaster(std::move(raster));
  } else if (!pictureReplaced) {
    // Switched to direct drawing after the last line: show the map now
    // rather than leave the old picture.
    host.showRows(raster, 0, size.height);
  } else if (rowsShown < rowsDrawn) {
    host.showRows(raster, rowsShown, rowsDrawn);
  }
  raster = Raster();

  const std::time_t end = host.now();
  host.setLegend(elapsedTimeText(state.mapTitle, end, start));
  host.setPercent("");
  host.setBusy(false);
  progress.store();
  cleanup.disarm();
}

}  // namespace tarvelon
