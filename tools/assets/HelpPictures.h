// Small pictures for the help pages: one map of Tharsis and Valles
// Marineris in each colour scheme, in each shading mode and in user
// colours, coloured as the program colours its maps.
#pragma once

#include <QImage>

#include "render/ColourFunction.h"
#include "tools/DemoTerrain.h"

namespace tarvelon::assets {

// The area the pictures show (whole degrees) and their scale.
inline constexpr int kHelpWest = -140;
inline constexpr int kHelpNorth = 20;
inline constexpr int kHelpEast = -20;
inline constexpr int kHelpSouth = -40;
inline constexpr int kHelpPixelsPerDegree = 2;

// The area in `scheme` (0..5, or 99 with `bands`) and `mode`.
QImage helpPicture(const demo::GlobalGrid& grid, int scheme, int mode, const BandLimits& bands = {});

// The highest and lowest elevation the pictures show.
std::pair<int, int> helpPictureRange(const demo::GlobalGrid& grid);

}  // namespace tarvelon::assets
