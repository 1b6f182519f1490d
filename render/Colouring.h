// How a map is coloured: the scheme and its shading, the user's bands,
// and the relief shading's sun. The map view state, the legend and the
// command-line tool each hold one; a map drawn keeps the one it was
// drawn with.
#pragma once

#include "render/ColourFunction.h"

namespace tarvelon {

struct Colouring {
  int colourScheme = 1;  // 0..5, or 99 for the user colours over bandLimits
  int shadingMode = 1;   // 0..3
  BandLimits bandLimits{};

  // Relief shading: the scheme's colours lit by a sun over the terrain.
  // 0 draws the plain colours.
  int reliefShading = 0;
  double sunAzimuth = 315;  // degrees clockwise from north
  double sunAltitude = 45;  // degrees above the horizon
  // Heights multiplied by this for the shading; 0 takes it from the map's
  // pixel size (automaticExaggeration).
  double reliefExaggeration = 0;

  bool operator==(const Colouring&) const = default;
};

}  // namespace tarvelon
