// The program's icon: Mars as a globe, Tharsis and Valles Marineris in
// view, lit from the upper left.
#pragma once

#include <QImage>

#include "tools/DemoTerrain.h"

namespace tarvelon::assets {

inline constexpr int kIconSize = 64;

// A `size` x `size` picture with a transparent background.
QImage programIcon(const demo::GlobalGrid& grid, int size = kIconSize);

}  // namespace tarvelon::assets
