#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "render/Hillshade.h"
#include "render/SampleRun.h"
#include "render/WideRows.h"

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
      const int v = decodeSample(&line[2 * n * step]);
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

// The eight-at-a-time loops give the bytes of the one-at-a-time ones, and
// write nothing past the pixels they store.
TEST(WideRows, GiveTheBytesOfTheNarrowLoops) {
  std::vector<std::uint32_t> colours(65536, 0);
  for (int raw = 0; raw < 65536; raw += 3) colours[raw] = 0x01000000u | std::uint32_t(raw) * 2654435761u >> 8;
  const Hillshade shade(315, 30, 1);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> lights(0.0f, 1.0f);
  for (int trial = 0; trial < 300; ++trial) {
    const int count = trial % 70;
    const int stored = std::max(0, count - trial % 3);
    const auto line = randomLine(random, count + 1);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) samples[n] = static_cast<std::int16_t>(decodeSample(&line[2 * n]));
    std::vector<float> light(static_cast<std::size_t>(count));
    for (float& l : light) l = trial % 5 == 0 ? shade.flat() : lights(random);

    std::vector<std::uint8_t> bgr[2];
    std::vector<std::uint32_t> entries[2];
    std::vector<std::uint8_t> lit[2];
    std::uint32_t ends[2][2];
    for (int wide = 0; wide < 2; ++wide) {
      useWideRows(wide == 1);
      bgr[wide].assign(3 * std::size_t(count) + 8, 0xEE);
      ends[wide][0] = colourLine(line.data(), count, colours.data(), bgr[wide].data(), stored, 0x01ABCDEFu);
      entries[wide].assign(std::size_t(count), 0);
      ends[wide][1] = colourSamples(samples.data(), count, colours.data(), 0x01123456u, entries[wide].data());
      lit[wide].assign(3 * std::size_t(count) + 8, 0xEE);
      shadeEntries(shade, entries[wide].data(), light.data(), count, lit[wide].data());
    }
    useWideRows(true);
    ASSERT_EQ(bgr[0], bgr[1]) << "trial " << trial;
    ASSERT_EQ(ends[0][0], ends[1][0]);
    ASSERT_EQ(entries[0], entries[1]) << "trial " << trial;
    ASSERT_EQ(ends[0][1], ends[1][1]);
    ASSERT_EQ(lit[0], lit[1]) << "trial " << trial;
    for (int n = 0; n < count; ++n) {
      const std::uint32_t one = shade.shade(entries[0][n], light[n]);
      ASSERT_EQ(lit[0][3 * n], one & 0xFF);
      ASSERT_EQ(lit[0][3 * n + 2], one >> 16 & 0xFF);
    }
    for (std::size_t i = 3 * std::size_t(stored); i < bgr[1].size(); ++i) ASSERT_EQ(bgr[1][i], 0xEE);
    for (std::size_t i = 3 * std::size_t(count); i < lit[1].size(); ++i) ASSERT_EQ(lit[1][i], 0xEE);
  }
}

}  // namespace
}  // namespace tarvelon
