// Maps in a projection other than simple cylindrical: each pixel of a
// projected frame shows the sample of an elevation source's grid that holds
// the point at its centre (the nearest sample), coloured and lit as every
// other map is; the relief is lit on the map's own grid of pixels, whose
// spacing on the ground is taken at the map's centre.
#pragma once

#include <functional>
#include <memory>

#include "dem/ElevationSource.h"
#include "render/Colouring.h"
#include "render/Projection.h"
#include "render/Raster.h"
#include "render/RenderJob.h"
#include "render/RowSink.h"
#include "render/SampledMap.h"

namespace tarvelon {

struct ProjectedMapRequest {
  ProjectedFrame frame;
  Colouring colouring;
};

// The map into a colour raster with its mask (0 where no sample lies
// behind a pixel: off the planet, outside the frame's bounds, beyond 88
// degrees, or outside -8200 .. 21250 m). Calls `progress` after each row and
// returns an empty raster as soon as it answers false. Throws what the
// source throws. `range`, when given, receives the elevations counted.
Raster drawProjectedMap(const ProjectedMapRequest& request, ElevationSource& source, const RowProgress& progress,
                        SampledRange* range = nullptr);

// The same draw, its rows handed to `sink` top to bottom as each is
// finished, in the sink's content: constant memory for a map of any size.
// False when `progress` stopped it.
bool drawProjectedRows(const ProjectedMapRequest& request, ElevationSource& source, RowSink& sink,
                       const RowProgress& progress, SampledRange* range = nullptr);

// The draw of a render job: `openSource` is called on the job's worker.
RenderJob::Draw projectedMapDraw(ProjectedMapRequest request,
                                 std::function<std::unique_ptr<ElevationSource>()> openSource,
                                 std::shared_ptr<SampledRange> range = nullptr);

}  // namespace tarvelon
