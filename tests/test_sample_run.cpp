#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "render/SampleRun.h"

namespace tarvelon {
namespace {

std::vector<std::uint8_t> randomLine(std::mt19937& random, int samples) {
  std::vector<std::uint8_t> bytes(2 * samples);
  std::uniform_int_distribution<int> pick(0, 9);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> near(-8203, -8197);
  std::uniform_int_distribution<int> top(21247, 21253);
  for (int n = 0; n < samples; ++n) {
    const int kind = pick(random);
    const int v = kind < 2 ? near(random) : kind < 4 ? top(random) : any(random);
    bytes[2 * n] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
    bytes[2 * n + 1] = static_cast<std::uint8_t>(v & 0xFF);
  }
  return bytes;
}

TEST(SampleRun, AltitudesMatchASampleBySampleScan) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 400; ++trial) {
    const int step = trial % 3 == 0 ? 1 + trial % 5 : 1;
    const int count = trial % 41;
    const auto line = randomLine(random, count * step + 1);
    const int startHigh = trial % 2 == 0 ? 0 : 21300;
    const int startLow = trial % 2 == 0 ? 0 : -8300;
    int allHigh = startHigh, allLow = startLow, rangeHigh = startHigh, rangeLow = startLow;
    for (int n = 0; n < count; ++n) {
      const int v = sampleValue(&line[2 * n * step]);
      allHigh = std::max(allHigh, v);
      allLow = std::min(allLow, v);
      if (v >= kMinElevation && v <= kMaxElevation) {
        rangeHigh = std::max(rangeHigh, v);
        rangeLow = std::min(rangeLow, v);
      }
    }
    int high = startHigh, low = startLow;
    trackAltitudes<false>(line.data(), count, step, high, low);
    EXPECT_EQ(high, allHigh);
    EXPECT_EQ(low, allLow);
    high = startHigh;
    low = startLow;
    trackAltitudes<true>(line.data(), count, step, high, low);
    EXPECT_EQ(high, rangeHigh) << "trial " << trial;
    EXPECT_EQ(low, rangeLow) << "trial " << trial;
  }
}

TEST(SampleRun, ColoursStoreOnlyTheirPixelsAndCarryTheColourOn) {
  std::vector<std::uint32_t> colours(65536, 0);
  for (int raw = 0; raw < 65536; raw += 3) colours[raw] = 0x01000000u | std::uint32_t(raw) * 2654435761u >> 8;
  std::mt19937 random(11);
  for (int trial = 0; trial < 200; ++trial) {
    const int step = 1 + trial % 4;
    const int count = trial % 23;
    const int stored = std::min(count, trial % 19);
    const auto line = randomLine(random, count * step + 1);
    std::vector<std::uint8_t> out(3 * 25, 0xEE);
    const std::uint32_t start = 0x01ABCDEFu;
    const std::uint32_t end = colourRun(line.data(), count, step, colours.data(), out.data() + 3, stored, start);
    std::uint32_t colour = start;
    for (int n = 0; n < count; ++n) {
      const std::uint32_t e = colours[sampleIndex(&line[2 * n * step])];
      if (e != 0) colour = e;
      if (n < stored) {
        ASSERT_EQ(out[3 + 3 * n], colour & 0xFF);
        ASSERT_EQ(out[3 + 3 * n + 1], colour >> 8 & 0xFF);
        ASSERT_EQ(out[3 + 3 * n + 2], colour >> 16 & 0xFF);
      }
    }
    EXPECT_EQ(end, colour);
    // Nothing outside the stored pixels is touched.
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (i < 3 || i >= std::size_t(3 + 3 * stored)) {
        ASSERT_EQ(out[i], 0xEE) << "byte " << i;
      }
    }
  }
}

}  // namespace
}  // namespace tarvelon
