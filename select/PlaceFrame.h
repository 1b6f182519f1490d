// The map of a named place: a window of the even global grid centred on
// the place's sample and framed around it, about three times its diameter,
// square on the ground. No Qt.
#pragma once

#include <optional>

#include "render/GridWindow.h"
#include "select/PlaceNames.h"

namespace tarvelon {

// The side of the frame around a feature of diameter 0 (an albedo
// feature, which has no outline), in km.
inline constexpr double kAlbedoFrameKm = 1200;
// The smallest frame, in samples on a side (about 22 km).
inline constexpr int kSmallestFrameSamples = 48;
// A frame drawn at its own step is at most this many pixels on its longer
// side; a small one is magnified to at least kSmallestFramePixels.
inline constexpr int kFramePixels = 1200;
inline constexpr int kSmallestFramePixels = 384;

// The window of `place`'s map. Without `step` the step is the smallest of
// the Resolution menu's that keeps the map within kFramePixels, and a
// place too small to see at one pixel a sample is magnified (up to 8
// pixels a sample); with it, that step and no magnification. The middle
// pixel of an odd number shows the place's own sample; a frame that would
// pass 88 N or S is moved to lie on the grid.
GridWindow placeWindow(const NamedPlace& place, std::optional<int> step = std::nullopt);

}  // namespace tarvelon
