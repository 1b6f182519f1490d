// Draws one whole tile, thinned by the sample step.
#pragma once

#include <ctime>
#include <string>

#include "render/DrawHost.h"
#include "render/MapPlan.h"
#include "render/MapViewState.h"

namespace tarvelon {

// mapTitle + " processed in " + whole seconds + " seconds" ("1 second" for one).
std::string elapsedTimeText(const std::string& mapTitle, std::time_t end, std::time_t start);

// Draws the tile at state.tilePath with state.sampleStep (1 .. 48). Throws
// TileError when the file cannot be opened or read, after restoring the
// cursor and emptying the percentage; std::invalid_argument for a step
// outside 1 .. 48.
void drawTile(MapViewState& state, DrawHost& host);

}  // namespace tarvelon
