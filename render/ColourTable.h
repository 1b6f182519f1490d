// The colour function tabulated over -8200 .. 21250 for one scheme, mode and
// band table, so that a renderer colours a sample with one lookup.
#pragma once

#include <cstdint>
#include <vector>

#include "render/ColourFunction.h"

namespace tarvelon {

class ColourTable {
 public:
  static constexpr int kSize = kMaxElevation - kMinElevation + 1;
  // Marks an entry that the colour function colours; entries without it
  // colour nothing and leave the previous colour in place.
  static constexpr std::uint32_t kColoured = 0x01000000u;

  ColourTable() = default;
  ColourTable(int scheme, int shadingMode, const BandLimits& bandLimits) { build(scheme, shadingMode, bandLimits); }

  // Tabulates the colour function for these settings (about a millisecond).
  void build(int scheme, int shadingMode, const BandLimits& bandLimits);
  // True when the table was built for these settings (the bands count only
  // for the user colours).
  bool builtFor(int scheme, int shadingMode, const BandLimits& bandLimits) const;
  // Rebuilds only when the settings changed.
  void update(int scheme, int shadingMode, const BandLimits& bandLimits) {
    if (!builtFor(scheme, shadingMode, bandLimits)) build(scheme, shadingMode, bandLimits);
  }

  // kColoured | red << 16 | green << 8 | blue, or 0 when this elevation is
  // not coloured (including every elevation outside -8200 .. 21250).
  std::uint32_t entry(int elevation) const {
    const auto index = static_cast<std::uint32_t>(elevation - kMinElevation);
    return index < static_cast<std::uint32_t>(kSize) && !entries_.empty() ? entries_[index] : 0u;
  }

  // The colour function's contract through the table: sets `pixel` when the
  // elevation is coloured, leaves it otherwise.
  void colour(int elevation, PixelColour& pixel) const {
    const std::uint32_t e = entry(elevation);
    if (e != 0) {
      pixel.pixelRed = static_cast<std::int32_t>((e >> 16) & 0xFF);
      pixel.pixelGreen = static_cast<std::int32_t>((e >> 8) & 0xFF);
      pixel.pixelBlue = static_cast<std::int32_t>(e & 0xFF);
    }
  }

  // Packs a colour result as an entry (low 8 bits of each channel).
  static std::uint32_t pack(const PixelColour& pixel) {
    return kColoured | (std::uint32_t(pixel.pixelRed) & 0xFF) << 16 | (std::uint32_t(pixel.pixelGreen) & 0xFF) << 8 |
           (std::uint32_t(pixel.pixelBlue) & 0xFF);
  }

 private:
  std::vector<std::uint32_t> entries_;
  int scheme_ = -1;
  int shadingMode_ = -1;
  BandLimits bandLimits_{};
};

}  // namespace tarvelon
