// The shared values that every command and both renderers read and write.
// Owned by the main window (or the command-line tool) and passed by
// reference; plain values only.
#pragma once

#include <string>

#include "dem/TileNames.h"
#include "dem/TileSet.h"
#include "render/ColourFunction.h"

namespace tarvelon {

// The name every custom area's map takes, as mapTitle and as mapName.
inline constexpr const char* kCustomAreaName = "User selection";

struct MapViewState {
  // Data folder and the names of its sixteen tiles.
  std::string demFolder;
  TileNames tileNames;

  int mapKind = 0;          // 1 whole tile, 0 area
  int sampleStep = 0;       // every sampleStep-th sample and line is drawn
  int resolutionIndex = 0;  // Resolution item 0..7
  int colourScheme = 1;     // 0..5, or 99 for the user colours
  int shadingMode = 1;      // 0..3
  int drawnScheme = -1;     // scheme, mode and resolution of the last draw
  int drawnMode = -1;       // made through the Resolution command
  int drawnResolution = -1;
  int stopRequested = 0;
  int drawInBackground = 0;
  int autoResolution = 0;  // 1: the next area draw chooses its own step

  std::string tilePath;
  std::string mapTitle;
  std::string mapName;

  int areaWest = 0;
  int areaNorth = 0;
  int areaEast = 0;
  int areaSouth = 0;

  // Highest and lowest elevation of the last draw, from the samples it
  // counted; with altitudesFound 0 it counted none, and both are 0.
  int altMax = 0;
  int altMin = 0;
  int altitudesFound = 0;

  // Relief shading: the scheme's colours lit by a sun over the terrain.
  // 0 draws the plain colours.
  int reliefShading = 0;
  double sunAzimuth = 315;      // degrees clockwise from north
  double sunAltitude = 45;      // degrees above the horizon
  // Heights multiplied by this for the shading; 0 takes it from the map's
  // pixel size (automaticExaggeration).
  double reliefExaggeration = 0;
  int drawnRelief = -1;  // reliefShading of the last draw made through the Resolution command

  int locationShown = 0;
  int annotatedShown = 0;

  // Colour result of the last coloured elevation, and the user colour bands.
  PixelColour pixel;
  BandLimits bandLimits{};

  // Box of the tile found by the last tileAt.
  TileBox tileBox;
};

}  // namespace tarvelon
