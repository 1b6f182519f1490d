// The per-pixel loops of drawing, eight pixels at a time where the
// processor has AVX2 (checked when the program runs), one at a time
// elsewhere. Both give the same bytes.
#pragma once

#include <cstdint>

namespace tarvelon {

class Hillshade;

// colourRun at step 1 (see SampleRun.h): a run of big-endian samples
// coloured through `colours` from the colour in force; the first `stored`
// pixels written to `bgr`. Returns the colour in force after the run.
std::uint32_t colourLine(const std::uint8_t* first, int count, const std::uint32_t* colours, std::uint8_t* bgr,
                         int stored, std::uint32_t colour);

// Samples in the machine's byte order coloured the same way; each pixel's
// table entry goes to `out`.
std::uint32_t colourSamples(const std::int16_t* samples, int count, const std::uint32_t* colours,
                            std::uint32_t colour, std::uint32_t* out);

// Blue, green, red of `count` table entries lit by `light`, each as
// Hillshade::shade gives it.
void shadeEntries(const Hillshade& hillshade, const std::uint32_t* entries, const float* light, int count,
                  std::uint8_t* bgr);

// For the tests: false runs the one-at-a-time loops even where AVX2 is
// there.
void useWideRows(bool wide);

}  // namespace tarvelon
