#include "render/SampledMap.h"

#include <cmath>
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
  const double pixel = window.step * sample;
  // The centre of the first pixel is the centre of its sample.
  const double west = grid.west + (double(window.firstColumn) + 0.5) * sample - pixel / 2;
  const double north = grid.north - (double(window.firstLine) + 0.5) * sample + pixel / 2;
  return GeoTransform{west, north, pixel, pixel};
}

Raster drawSampledMap(const SampledMapRequest& request, ElevationSource& source, const RowProgress& progress) {
  const GridWindow& window = request.window;
  if (window.width < 1 || window.height < 1 || window.step < 1) {
    throw std::invalid_argument("A map of the grid needs a width, a height and a step of at least 1");
  }
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

  Raster raster = blankRaster(window.width, window.height);
  RowFunctions target;
  target.rowOf = [&raster](int y) { return raster.row(y); };
  target.maskOf = [&raster](int y) { return raster.maskRow(y); };
  target.doneWith = [](int) {};
  MapRows rows(RowSink::Content::Colour, state.reliefShading == 1, window.width, window.height, window.height,
               std::move(light));

  // The row below the window is read too, when the grid has it: it lights
  // the window's last row as it lights every other, so that windows side by
  // side meet without a seam of edge light.
  const bool lit = state.reliefShading == 1;
  const int rowsRead = window.height + (lit ? 1 : 0);
  std::vector<std::int16_t> elevations(static_cast<std::size_t>(window.width));
  for (int y = 0; y < rowsRead; ++y) {
    const std::int64_t line = std::int64_t(window.firstLine) + std::int64_t(y) * window.step;
    const bool onGrid = line >= 0 && line < grid.lines;
    if (y == window.height && !onGrid) break;
    if (onGrid) {
      source.block(window.firstColumn, static_cast<int>(line), window.width, 1, window.step, elevations.data());
    } else {
      elevations.assign(elevations.size(), ElevationSource::kNoData);
    }
    rows.addRow(y, elevations.data(), window.width, colours.data(), counted, target);
    if (progress && !progress(rows.rowsFinished(), window.height)) return Raster();
  }
  rows.finish(target);
  if (progress && !progress(window.height, window.height)) return Raster();
  return raster;
}

RenderJob::Draw sampledMapDraw(SampledMapRequest request,
                               std::function<std::unique_ptr<ElevationSource>()> openSource) {
  return [request = std::move(request), openSource = std::move(openSource)](const RowProgress& progress) {
    const std::unique_ptr<ElevationSource> source = openSource();
    return drawSampledMap(request, *source, progress);
  };
}

}  // namespace tarvelon
