#include "render/ColourTable.h"

namespace tarvelon {

void ColourTable::build(int scheme, int shadingMode, const BandLimits& bandLimits) {
  entries_.assign(kSize, 0u);
  for (int i = 0; i < kSize; ++i) {
    // A marker colour outside 0..255 shows whether the function wrote it.
    PixelColour pixel{-1, -1, -1};
    elevationColour(scheme, kMinElevation + i, shadingMode, bandLimits, pixel);
    if (pixel.pixelRed != -1) entries_[i] = pack(pixel);
  }
  scheme_ = scheme;
  shadingMode_ = shadingMode;
  bandLimits_ = bandLimits;
}

bool ColourTable::builtFor(int scheme, int shadingMode, const BandLimits& bandLimits) const {
  return !entries_.empty() && scheme == scheme_ && shadingMode == shadingMode_ &&
         (scheme != kUserColours || bandLimits == bandLimits_);
}

}  // namespace tarvelon
