// The inner loops of both renderers: a run of samples, `step` samples
// apart, from a line of big-endian 16-bit samples.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dem/TileSet.h"
#include "render/ColourFunction.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvelon {

// The raw bits of a sample, which index the colour tables; its value is
// decodeSample's.
inline unsigned sampleIndex(const std::uint8_t* bytes) { return (unsigned(bytes[0]) << 8) | bytes[1]; }

// Raises `highest` and lowers `lowest` to the run's samples; with
// kColourRangeOnly, samples outside -8200 .. 21250 are left out. Both must
// lie within -32768 .. 32767.
template <bool kColourRangeOnly>
inline void trackAltitudes(const std::uint8_t* first, int count, int step, int& highest, int& lowest) {
  int high = highest;
  int low = lowest;
  int n = 0;
#if defined(__SSE2__)
  if (step == 1 && count >= 8) {
    // Eight samples at a time: swap the bytes of each, then keep the
    // largest and smallest per lane.
    __m128i highs = _mm_set1_epi16(static_cast<std::int16_t>(high));
    __m128i lows = _mm_set1_epi16(static_cast<std::int16_t>(low));
    const __m128i below = _mm_set1_epi16(kMinElevation - 1);
    const __m128i above = _mm_set1_epi16(kMaxElevation + 1);
    for (; n + 8 <= count; n += 8) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 2 * std::ptrdiff_t(n)));
      v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
      if constexpr (kColourRangeOnly) {
        const __m128i counted = _mm_and_si128(_mm_cmpgt_epi16(v, below), _mm_cmplt_epi16(v, above));
        highs = _mm_max_epi16(highs, _mm_or_si128(_mm_and_si128(counted, v), _mm_andnot_si128(counted, highs)));
        lows = _mm_min_epi16(lows, _mm_or_si128(_mm_and_si128(counted, v), _mm_andnot_si128(counted, lows)));
      } else {
        highs = _mm_max_epi16(highs, v);
        lows = _mm_min_epi16(lows, v);
      }
    }
    alignas(16) std::int16_t h[8];
    alignas(16) std::int16_t l[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(h), highs);
    _mm_store_si128(reinterpret_cast<__m128i*>(l), lows);
    for (int i = 0; i < 8; ++i) {
      high = h[i] > high ? h[i] : high;
      low = l[i] < low ? l[i] : low;
    }
  }
#endif
  const std::ptrdiff_t stride = std::ptrdiff_t(2) * step;
  for (; n < count; ++n) {
    const int v = decodeSample(first + n * stride);
    if constexpr (kColourRangeOnly) {
      const bool counted = v >= kMinElevation && v <= kMaxElevation;
      high = counted && v > high ? v : high;
      low = counted && v < low ? v : low;
    } else {
      high = v > high ? v : high;
      low = v < low ? v : low;
    }
  }
  highest = high;
  lowest = low;
}

// Colours a run through `colours` (entries indexed by the raw sample, 0 for
// a sample that colours nothing) starting from `colour`, the colour in
// force; returns the colour in force after the run. The first `stored`
// samples are written to `out`, 3 bytes each (blue, green, red); the rest
// only carry their colour on. With `mask`, each stored sample's byte there
// says whether it has a colour of its own: 255, or 0 for a sample outside
// -8200 .. 21250 m.
inline std::uint32_t colourRun(const std::uint8_t* first, int count, int step, const std::uint32_t* colours,
                               std::uint8_t* out, int stored, std::uint32_t colour, std::uint8_t* mask = nullptr) {
  const std::ptrdiff_t stride = std::ptrdiff_t(2) * step;
  int n = 0;
  // All but the last stored pixel are written 4 bytes at a time; the spare
  // byte lands on the next pixel, which is written after it.
  const int wide = std::endian::native == std::endian::little ? stored - 1 : 0;
  for (; n < wide; ++n) {
    const std::uint32_t entry = colours[sampleIndex(first + n * stride)];
    colour = entry != 0 ? entry : colour;
    const std::uint32_t bgr = colour;  // little-endian: blue, green, red, flag
    std::memcpy(out + 3 * std::ptrdiff_t(n), &bgr, 4);
    if (mask != nullptr) mask[n] = entry != 0 ? 255 : 0;
  }
  for (; n < count; ++n) {
    const std::uint32_t entry = colours[sampleIndex(first + n * stride)];
    colour = entry != 0 ? entry : colour;
    if (n < stored) {
      std::uint8_t* p = out + 3 * std::ptrdiff_t(n);
      p[0] = static_cast<std::uint8_t>(colour);
      p[1] = static_cast<std::uint8_t>(colour >> 8);
      p[2] = static_cast<std::uint8_t>(colour >> 16);
      if (mask != nullptr) mask[n] = entry != 0 ? 255 : 0;
    }
  }
  return colour;
}

}  // namespace tarvelon
