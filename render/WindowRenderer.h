// Draws a window of the tiles' even global grid (a frame around a named
// place) through a DrawHost, as the tile and area renderers draw theirs: the
// same status texts, progress, stop and ending. The samples are read and
// coloured on a worker thread while the caller's thread lets window events
// run; a host with a row sink (a file) gets its rows on the caller's thread,
// in constant memory.
#pragma once

#include <functional>
#include <memory>

#include "dem/ElevationSource.h"
#include "render/DrawHost.h"
#include "render/GridWindow.h"
#include "render/MapViewState.h"
#include "render/Projection.h"

namespace tarvelon {

enum class WindowDrawResult {
  Completed,
  Stopped,  // a stop was requested: the map is not finished
  Refused,  // too large for a host that keeps the map; the host was told why
};

// Gives a source of the tiles' grid (a GridSampler) for the thread that
// calls it alone.
using SourceOpener = std::function<std::unique_ptr<ElevationSource>()>;

// Draws `window` with the state's colouring, titled state.mapTitle, at
// window.step (which becomes state.sampleStep and checks its Resolution
// item). Throws what the source throws (TileError), after restoring the
// cursor and emptying the percentage.
WindowDrawResult drawGridWindow(const GridWindow& window, MapViewState& state, DrawHost& host,
                                const SourceOpener& openSource);

// The same for a map in a projection: each pixel shows the sample under its
// centre. The state's step and Resolution item are left as they are.
WindowDrawResult drawProjectedFrame(const ProjectedFrame& frame, MapViewState& state, DrawHost& host,
                                    const SourceOpener& openSource);

}  // namespace tarvelon
