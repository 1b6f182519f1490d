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
#include "render/GridWindow.h"
#include "render/MapGeometry.h"
#include "render/Raster.h"
#include "render/RenderJob.h"
#include "render/RowSink.h"

namespace tarvelon {

// Where a window's pixels lie: each sample's pixels centred on it. The
// west edge is the grid's west edge plus the window's first column, so a
// window that starts past the grid's last column lies east of it.
GeoTransform windowTransform(const GridSpec& grid, const GridWindow& window);

// What to draw: taken by value, so that a job owns its request.
struct SampledMapRequest {
  GridWindow window;
  Colouring colouring;
};

// The highest and lowest sample a draw counted (within -8200 .. 21250 m).
struct SampledRange {
  bool counted = false;  // false: no sample within the range
  int highest = 0;
  int lowest = 0;
};

// Draws the request's window from `source` into a colour raster with its
// mask (0 where no sample lies behind a pixel: off the grid, or outside
// -8200 .. 21250 m). Calls `progress` after each row and returns an empty
// raster as soon as it answers false. Throws what the source throws.
// `range`, when given, receives the elevations counted.
Raster drawSampledMap(const SampledMapRequest& request, ElevationSource& source, const RowProgress& progress,
                      SampledRange* range = nullptr);

// The same draw, its rows handed to `sink` top to bottom as each is
// finished (in the sink's content: colour, the light alone or the samples
// themselves; its mask filled where it keeps one), so that a map of any
// size is drawn in constant memory. False when `progress` stopped it.
bool drawSampledRows(const SampledMapRequest& request, ElevationSource& source, RowSink& sink,
                     const RowProgress& progress, SampledRange* range = nullptr);

// The draw of a render job for the request: `openSource` is called on the
// job's worker and gives the source it reads, one for that thread alone.
// `range`, when given, is written by the worker before the job ends.
RenderJob::Draw sampledMapDraw(SampledMapRequest request,
                               std::function<std::unique_ptr<ElevationSource>()> openSource,
                               std::shared_ptr<SampledRange> range = nullptr);

}  // namespace tarvelon
