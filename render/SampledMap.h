// Maps drawn from an elevation source's even grid rather than tile by tile:
// a window of the grid, any size, at any step, across every tile join and
// the 180 degree meridian, coloured and lit exactly as the tile and area
// maps are. The new kinds of map (a frame around a named place, a view of
// the explorer) are windows of the grid drawn through a render job.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "dem/ElevationSource.h"
#include "render/Colouring.h"
#include "render/MapGeometry.h"
#include "render/Raster.h"
#include "render/RenderJob.h"

namespace tarvelon {

// Pixel (x, y) shows the grid sample at column firstColumn + x * step
// (counted round the planet) and line firstLine + y * step; lines off the
// grid show no sample.
struct GridWindow {
  std::int64_t firstColumn = 0;
  int firstLine = 0;
  int width = 0;
  int height = 0;
  int step = 1;
  bool operator==(const GridWindow&) const = default;
};

// Where a window's pixels lie: each centred on its sample. The west edge
// is the grid's west edge plus the window's first column, so a window that
// starts past the grid's last column lies east of it.
GeoTransform windowTransform(const GridSpec& grid, const GridWindow& window);

// What to draw: taken by value, so that a job owns its request.
struct SampledMapRequest {
  GridWindow window;
  Colouring colouring;
};

// Draws the request's window from `source` into a colour raster with its
// mask (0 where no sample lies behind a pixel: off the grid, or outside
// -8200 .. 21250 m). Calls `progress` after each row and returns an empty
// raster as soon as it answers false. Throws what the source throws.
Raster drawSampledMap(const SampledMapRequest& request, ElevationSource& source, const RowProgress& progress);

// The draw of a render job for the request: `openSource` is called on the
// job's worker and gives the source it reads, one for that thread alone.
RenderJob::Draw sampledMapDraw(SampledMapRequest request,
                               std::function<std::unique_ptr<ElevationSource>()> openSource);

}  // namespace tarvelon
