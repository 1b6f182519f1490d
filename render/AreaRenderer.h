// Draws a rectangle of whole degrees from the tiles it covers.
#pragma once

#include "render/DrawHost.h"
#include "render/MapViewState.h"

namespace tarvelon {

// Step for an area of this size: the larger of the width's and the
// height's step.
int chooseStep(int west, int north, int east, int south);

// Draws (west, north, east, south). Throws TileError when a tile cannot be
// opened or read.
void drawArea(int west, int north, int east, int south, MapViewState& state, DrawHost& host);

}  // namespace tarvelon
