#include "render/SampledMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "render/BlankRaster.h"
#include "render/DrawSync.h"
#include "render/Hillshade.h"
#include "render/MapRows.h"
#include "render/MapViewState.h"
#include "render/SampleColours.h"

namespace tarvelon {

GeoTransform windowTransform(const GridSpec& grid, const GridWindow& window) {
  const double sample = 1.0 / grid.perDegree;
  const double pixel = window.step * sample / window.zoom;
  // The pixels of the first sample are centred on the centre of that
  // sample: one pixel at zoom 1, zoom x zoom above.
  const double span = window.step * sample;
  const double west = grid.west + (double(window.firstColumn) + 0.5) * sample - span / 2;
  const double north = grid.north - (double(window.firstLine) + 0.5) * sample + span / 2;
  return GeoTransform{west, north, pixel, pixel};
}

namespace {

void checkWindow(const GridWindow& window) {
  if (window.width < 1 || window.height < 1 || window.step < 1 || window.zoom < 1) {
    throw std::invalid_argument("A map of the grid needs a width, a height, a step and a zoom of at least 1");
  }
}

// Draws a window at one pixel a sample into `target`.
bool drawUnzoomed(const SampledMapRequest& request, RowSink::Content content, ElevationSource& source,
                  RowFunctions& target, const RowProgress& progress, SampledRange* range) {
  const GridWindow& window = request.window;
  const GridSpec grid = source.grid();
  // The drawing machinery of the tile maps keeps its running values in a
  // map view state: this one is the draw's own, never shared.
  MapViewState state;
  static_cast<Colouring&>(state) = request.colouring;
  DrawProgress counted(state);
  counted.startEmpty();
  SampleColours colours;
  colours.update(state);

  std::optional<ReliefLight> light;
  if (state.reliefShading == 1) {
    // The exaggeration of a pixel as large as the window's, in samples of
    // the 128-a-degree tiles; the spacing is the grid's own.
    const int equivalentStep = std::max(1, static_cast<int>(std::lround(double(window.step) * kSamplesPerDegree /
                                                                        grid.perDegree)));
    light.emplace(state, equivalentStep, [&grid, &window](int y) {
      return grid.north - (double(window.firstLine) + double(y) * window.step + 0.5) / grid.perDegree;
    });
    light->spacingY = kMetresPerDegree * window.step / grid.perDegree;
    light->degreesX = double(window.step) / grid.perDegree;
  }

  MapRows rows(content, state.reliefShading == 1, window.width, window.height, window.height, std::move(light));

  // The row below the window is read too, when the grid has it: it lights
  // the window's last row as it lights every other, so that windows side by
  // side meet without a seam of edge light.
  const bool lit = state.reliefShading == 1 && content != RowSink::Content::Elevation;
  const int rowsRead = window.height + (lit ? 1 : 0);
  std::vector<std::int16_t> elevations(static_cast<std::size_t>(window.width));
  int highest = kMinElevation - 1;  // the elevations counted, within the colours' range
  int lowest = kMaxElevation + 1;
  for (int y = 0; y < rowsRead; ++y) {
    const std::int64_t line = std::int64_t(window.firstLine) + std::int64_t(y) * window.step;
    const bool onGrid = line >= 0 && line < grid.lines;
    if (y == window.height && !onGrid) break;
    if (onGrid) {
      source.block(window.firstColumn, static_cast<int>(line), window.width, 1, window.step, elevations.data());
    } else {
      elevations.assign(elevations.size(), ElevationSource::kNoData);
    }
    if (y < window.height) {
      for (const std::int16_t sample : elevations) {
        if (sample < kMinElevation || sample > kMaxElevation) continue;
        highest = std::max<int>(highest, sample);
        lowest = std::min<int>(lowest, sample);
      }
    }
    rows.addRow(y, elevations.data(), window.width, colours.data(), counted, target);
    if (progress && !progress(rows.rowsFinished(), window.height)) return false;
  }
  rows.finish(target);
  if (range != nullptr) *range = SampledRange{highest >= lowest, highest >= lowest ? highest : 0,
                                              highest >= lowest ? lowest : 0};
  return !progress || progress(window.height, window.height);
}

// Draws the request into `target`, pixel row by pixel row.
bool drawRows(const SampledMapRequest& request, RowSink::Content content, ElevationSource& source,
              RowFunctions& target, const RowProgress& progress, SampledRange* range) {
  const GridWindow& window = request.window;
  checkWindow(window);
  if (window.zoom == 1) return drawUnzoomed(request, content, source, target, progress, range);

  // Magnified: the samples drawn once, at one pixel each (a window this
  // close is small), then each repeated zoom x zoom times.
  SampledMapRequest samples = request;
  samples.window.width = window.samplesWide();
  samples.window.height = window.samplesHigh();
  samples.window.zoom = 1;
  const std::size_t bytes = RowSink::bytesPerPixel(content);
  const std::size_t rowBytes = bytes * std::size_t(samples.window.width);
  std::vector<std::uint8_t> drawn(rowBytes * std::size_t(samples.window.height));
  std::vector<std::uint8_t> drawnMask(std::size_t(samples.window.width) * std::size_t(samples.window.height));
  RowFunctions into;
  into.rowOf = [&](int y) { return drawn.data() + rowBytes * std::size_t(y); };
  into.maskOf = [&](int y) { return drawnMask.data() + std::size_t(samples.window.width) * std::size_t(y); };
  into.doneWith = [](int) {};
  const int zoom = window.zoom;
  // The rows repeated at the end count for nothing: the samples' rows
  // stand for the whole map until their last is drawn.
  const RowProgress scaled = [&](int done, int all) {
    return !progress || progress(done == all ? window.height - 1 : std::min(window.height - 1, done * zoom),
                                 window.height);
  };
  if (!drawUnzoomed(samples, content, source, into, scaled, range)) return false;
  for (int y = 0; y < window.height; ++y) {
    const std::uint8_t* from = into.rowOf(y / zoom);
    const std::uint8_t* fromMask = into.maskOf(y / zoom);
    std::uint8_t* to = target.row(y);
    std::uint8_t* toMask = target.mask(y);
    for (int x = 0; x < window.width; ++x) {
      std::memcpy(to + std::size_t(x) * bytes, from + std::size_t(x / zoom) * bytes, bytes);
      if (toMask != nullptr) toMask[x] = fromMask[x / zoom];
    }
    target.done(y);
  }
  return !progress || progress(window.height, window.height);
}

}  // namespace

Raster drawSampledMap(const SampledMapRequest& request, ElevationSource& source, const RowProgress& progress,
                      SampledRange* range) {
  checkWindow(request.window);
  Raster raster = blankRaster(request.window.width, request.window.height);
  RowFunctions target;
  target.intoRaster(raster);
  if (!drawRows(request, RowSink::Content::Colour, source, target, progress, range)) return Raster();
  return raster;
}

bool drawSampledRows(const SampledMapRequest& request, ElevationSource& source, RowSink& sink,
                     const RowProgress& progress, SampledRange* range) {
  RowFunctions target;
  target.intoSink(sink);
  return drawRows(request, sink.content(), source, target, progress, range);
}

RenderJob::Draw sampledMapDraw(SampledMapRequest request,
                               std::function<std::unique_ptr<ElevationSource>()> openSource,
                               std::shared_ptr<SampledRange> range) {
  return [request = std::move(request), openSource = std::move(openSource),
          range = std::move(range)](const RowProgress& progress) {
    const std::unique_ptr<ElevationSource> source = openSource();
    return drawSampledMap(request, *source, progress, range.get());
  };
}

}  // namespace tarvelon
