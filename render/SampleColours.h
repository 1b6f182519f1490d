// The colour table of the current scheme, mode and bands, indexed by the raw
// 16-bit sample as it stands in a tile file, so that the renderers colour a
// sample with one lookup and no range test.
#pragma once

#include <cstdint>
#include <vector>

#include "render/ColourTable.h"
#include "render/MapViewState.h"

namespace tarvelon {

class SampleColours {
 public:
  SampleColours() : bySample_(65536, 0u) {}

  // Follows the state's scheme, mode and bands; rebuilds only on a change.
  void update(const MapViewState& state) {
    if (table_.builtFor(state.colourScheme, state.shadingMode, state.bandLimits)) return;
    table_.build(state.colourScheme, state.shadingMode, state.bandLimits);
    for (int raw = 0; raw < 65536; ++raw) {
      bySample_[raw] = table_.entry(static_cast<std::int16_t>(static_cast<std::uint16_t>(raw)));
    }
  }

  // ColourTable::entry of the sample whose bytes are hi, lo.
  std::uint32_t entry(std::uint8_t hi, std::uint8_t lo) const { return bySample_[(unsigned(hi) << 8) | lo]; }
  const std::uint32_t* data() const { return bySample_.data(); }

  // A colour result as a table entry, and back; the renderers carry the
  // current colour as an entry between samples.
  static std::uint32_t pack(const PixelColour& pixel) { return ColourTable::pack(pixel); }
  static PixelColour unpack(std::uint32_t entry) {
    return PixelColour{static_cast<std::int32_t>((entry >> 16) & 0xFF), static_cast<std::int32_t>((entry >> 8) & 0xFF),
                       static_cast<std::int32_t>(entry & 0xFF)};
  }

 private:
  ColourTable table_;
  std::vector<std::uint32_t> bySample_;
};

}  // namespace tarvelon
