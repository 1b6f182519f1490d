// The shared values that every command and both renderers read and write.
// Owned by the main window (or the command-line tool) and passed by
// reference; plain values only.
#pragma once

#include <string>

#include "dem/TileNames.h"
#include "dem/TileSet.h"
#include "render/ColourFunction.h"
#include "render/Colouring.h"
#include "render/GridWindow.h"

namespace tarvelon {

// The name every custom area's map takes, as mapTitle and as mapName.
inline constexpr const char* kCustomAreaName = "User selection";

// The placeId of a map drawn from a view of the explorer.
inline constexpr int kExploredView = -1;

// The colouring of the maps drawn next, with its field names.
struct MapViewState : Colouring {
  // Data folder and the names of its sixteen tiles.
  std::string demFolder;
  TileNames tileNames;

  int mapKind = 0;          // 1 whole tile, 0 area, 2 the frame around a named place
  int sampleStep = 0;       // every sampleStep-th sample and line is drawn
  int resolutionIndex = 0;  // Resolution item 0..7
  int drawnScheme = -1;     // scheme, mode and resolution of the last draw
  int drawnMode = -1;       // made through the Resolution command
  int drawnResolution = -1;
  int stopRequested = 0;
  int drawInBackground = 0;
  int autoResolution = 0;  // 1: the next area draw chooses its own step

  std::string tilePath;
  std::string mapTitle;
  std::string mapName;

  // The named place of a frame (its IAU feature_id, or kExploredView for a
  // view of the explorer) and the window of the even grid its map shows.
  int placeId = 0;
  GridWindow gridWindow;

  int areaWest = 0;
  int areaNorth = 0;
  int areaEast = 0;
  int areaSouth = 0;

  // Highest and lowest elevation of the last draw, from the samples it
  // counted; with altitudesFound 0 it counted none, and both are 0.
  int altMax = 0;
  int altMin = 0;
  int altitudesFound = 0;

  int drawnRelief = -1;  // reliefShading of the last draw made through the Resolution command

  int locationShown = 0;
  int annotatedShown = 0;

  // Colour result of the last coloured elevation.
  PixelColour pixel;

  // Box of the tile found by the last tileAt.
  TileBox tileBox;
};

}  // namespace tarvelon
