// Draws a rectangle of whole degrees from the tiles it covers.
#pragma once

#include "render/AreaLayout.h"
#include "render/DrawHost.h"
#include "render/MapViewState.h"

namespace tarvelon {

enum class AreaDrawResult {
  Completed,
  Stopped,  // a stop was requested: the map is not finished
  Refused,  // nothing to draw, or too large; the host was told why
};

// Draws (west, north, east, south), fitted by fitArea; with
// state.autoResolution 1 at its own step, else at state.sampleStep
// (1 .. 48), as planArea plans it. An area that cannot be drawn, or would
// exceed kMaxAreaPixels for a host without a row sink, is refused through
// host.inform and changes nothing. Throws TileError when a tile cannot be
// opened or read, after closing its files, restoring the cursor and
// emptying the percentage.
AreaDrawResult drawArea(int west, int north, int east, int south, MapViewState& state, DrawHost& host);

}  // namespace tarvelon
