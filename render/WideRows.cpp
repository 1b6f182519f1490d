#include "render/WideRows.h"

#include <immintrin.h>

#include <bit>
#include <cstring>

#include "render/Hillshade.h"
#include "render/SampleRun.h"

namespace tarvelon {

namespace {

bool wideAllowed = true;

bool wide() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2 && wideAllowed && std::endian::native == std::endian::little;
}

// ---------------------------------------------------------------------------
// One pixel at a time.

std::uint32_t colourSamplesNarrow(const std::int16_t* samples, int count, const std::uint32_t* colours,
                                  std::uint32_t colour, std::uint32_t* out) {
  for (int n = 0; n < count; ++n) {
    const std::uint32_t entry = colours[static_cast<std::uint16_t>(samples[n])];
    colour = entry != 0 ? entry : colour;
    out[n] = colour;
  }
  return colour;
}

void putPixel(std::uint8_t* bgr, int x, std::uint32_t entry) {
  bgr[3 * x] = static_cast<std::uint8_t>(entry);
  bgr[3 * x + 1] = static_cast<std::uint8_t>(entry >> 8);
  bgr[3 * x + 2] = static_cast<std::uint8_t>(entry >> 16);
}

// The terms of Hillshade::factor and Hillshade::shade, in their order.
std::uint32_t shadeOne(std::uint32_t e, float light, float floor, float share, float inverseFlat) {
  const float k = floor + share * light * inverseFlat;
  const auto channel = [k](std::uint32_t c) {
    const float v = float(int(c)) * k + 0.5f;
    return std::uint32_t(int(v >= 255.0f ? 255.0f : v));
  };
  return (e & 0xFF000000u) | channel((e >> 16) & 0xFF) << 16 | channel((e >> 8) & 0xFF) << 8 | channel(e & 0xFF);
}

// ---------------------------------------------------------------------------
// Eight pixels at a time.

// The low three bytes of each of four entries in a 128-bit lane, packed
// into its first twelve bytes.
__attribute__((target("avx2"))) inline __m256i packBgr(__m256i entries) {
  const __m256i order = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                         0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  return _mm256_shuffle_epi8(entries, order);
}

// Stores 24 bytes of packed pixels, and 8 more that the next store (or the
// caller) overwrites: `at` must have 32 bytes of room.
__attribute__((target("avx2"))) inline void storeBgr(std::uint8_t* at, __m256i packed) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(packed));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 12), _mm256_extracti128_si256(packed, 1));
}

// Table entries of eight raw samples; a sample the table does not colour
// (entry 0) takes the colour before it. `colour` is the colour in force
// and becomes that of the last.
__attribute__((target("avx2"))) inline __m256i lookUp(__m256i indices, const std::uint32_t* colours,
                                                      std::uint32_t& colour) {
  __m256i entries = _mm256_i32gather_epi32(reinterpret_cast<const int*>(colours), indices, 4);
  const int uncoloured = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(entries, _mm256_setzero_si256())));
  if (uncoloured != 0) {
    alignas(32) std::uint32_t e[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(e), entries);
    for (int i = 0; i < 8; ++i) {
      colour = e[i] != 0 ? e[i] : colour;
      e[i] = colour;
    }
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(e));
  }
  colour = static_cast<std::uint32_t>(_mm256_extract_epi32(entries, 7));
  return entries;
}

__attribute__((target("avx2"))) std::uint32_t colourLineWide(const std::uint8_t* first, int count,
                                                             const std::uint32_t* colours, std::uint8_t* bgr,
                                                             int stored, std::uint32_t colour) {
  const __m128i swap = _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
  int x = 0;
  // Whole groups while the store's spare 8 bytes stay inside the row.
  for (; x + 11 <= stored; x += 8) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 2 * std::ptrdiff_t(x)));
    const __m256i indices = _mm256_cvtepu16_epi32(_mm_shuffle_epi8(raw, swap));
    storeBgr(bgr + 3 * std::ptrdiff_t(x), packBgr(lookUp(indices, colours, colour)));
  }
  for (; x < count; ++x) {
    const std::uint32_t entry = colours[sampleIndex(first + 2 * std::ptrdiff_t(x))];
    colour = entry != 0 ? entry : colour;
    if (x < stored) putPixel(bgr, x, colour);
  }
  return colour;
}

__attribute__((target("avx2"))) std::uint32_t colourSamplesWide(const std::int16_t* samples, int count,
                                                                const std::uint32_t* colours, std::uint32_t colour,
                                                                std::uint32_t* out) {
  int x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), lookUp(_mm256_cvtepu16_epi32(raw), colours, colour));
  }
  return colourSamplesNarrow(samples + x, count - x, colours, colour, out + x);
}

// One channel of eight entries lit by the factors k, in its place.
template <int kShift>
__attribute__((target("avx2"))) inline __m256i litChannel(__m256i e, __m256 k, __m256i byte, __m256 half,
                                                          __m256 top) {
  const __m256 c = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(e, kShift), byte));
  const __m256 v = _mm256_min_ps(_mm256_add_ps(_mm256_mul_ps(c, k), half), top);
  return _mm256_slli_epi32(_mm256_cvttps_epi32(v), kShift);
}

__attribute__((target("avx2"))) void shadeEntriesWide(const std::uint32_t* entries, const float* light, int count,
                                                      float floor, float share, float inverseFlat,
                                                      std::uint8_t* bgr) {
  const __m256 floors = _mm256_set1_ps(floor);
  const __m256 shares = _mm256_set1_ps(share);
  const __m256 inverse = _mm256_set1_ps(inverseFlat);
  const __m256 half = _mm256_set1_ps(0.5f);
  const __m256 top = _mm256_set1_ps(255.0f);
  const __m256i byte = _mm256_set1_epi32(0xFF);
  int x = 0;
  for (; x + 11 <= count; x += 8) {
    const __m256 k = _mm256_add_ps(floors, _mm256_mul_ps(_mm256_mul_ps(shares, _mm256_loadu_ps(light + x)), inverse));
    const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(entries + x));
    const __m256i lit = _mm256_or_si256(_mm256_or_si256(litChannel<0>(e, k, byte, half, top),
                                                        litChannel<8>(e, k, byte, half, top)),
                                        litChannel<16>(e, k, byte, half, top));
    storeBgr(bgr + 3 * std::ptrdiff_t(x), packBgr(lit));
  }
  for (; x < count; ++x) putPixel(bgr, x, shadeOne(entries[x], light[x], floor, share, inverseFlat));
}

}  // namespace

void useWideRows(bool allowed) { wideAllowed = allowed; }

std::uint32_t colourLine(const std::uint8_t* first, int count, const std::uint32_t* colours, std::uint8_t* bgr,
                         int stored, std::uint32_t colour) {
  if (wide()) return colourLineWide(first, count, colours, bgr, stored, colour);
  return colourRun(first, count, 1, colours, bgr, stored, colour);
}

std::uint32_t colourSamples(const std::int16_t* samples, int count, const std::uint32_t* colours,
                            std::uint32_t colour, std::uint32_t* out) {
  if (wide()) return colourSamplesWide(samples, count, colours, colour, out);
  return colourSamplesNarrow(samples, count, colours, colour, out);
}

void shadeEntries(const Hillshade& hillshade, const std::uint32_t* entries, const float* light, int count,
                  std::uint8_t* bgr) {
  const float floor = kShadowFloor;
  const float share = 1.0f - kShadowFloor;
  const float inverseFlat = hillshade.inverseFlat();
  if (wide()) {
    shadeEntriesWide(entries, light, count, floor, share, inverseFlat, bgr);
    return;
  }
  for (int x = 0; x < count; ++x) putPixel(bgr, x, shadeOne(entries[x], light[x], floor, share, inverseFlat));
}

}  // namespace tarvelon
