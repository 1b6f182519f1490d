#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "render/ColourFunction.h"
#include "render/Rounding.h"

namespace tarvelon {
namespace {

using Triple = std::tuple<int, int, int>;

Triple colourOf(int scheme, int elevation, int mode, const BandLimits& bands = {}) {
  PixelColour pixel{-1, -1, -1};
  elevationColour(scheme, elevation, mode, bands, pixel);
  return {pixel.pixelRed, pixel.pixelGreen, pixel.pixelBlue};
}

TEST(ColourFunction, BrownReliefEndsAndRowBoundaries) {
  EXPECT_EQ(colourOf(0, -8200, 1), Triple(64, 64, 48));
  EXPECT_EQ(colourOf(0, -6000, 1), Triple(95, 79, 63));
  EXPECT_EQ(colourOf(0, 0, 1), Triple(128, 112, 56));  // q = 2000/1999, a little over 1
  EXPECT_EQ(colourOf(0, 21250, 1), Triple(224, 224, 252));
}

TEST(ColourFunction, TermsUseExtendedPrecisionBeforeTruncation) {
  // f = 333/999: 12 * f lies a hair below 4; in double precision it rounds
  // to 4 and red and green would come out one higher.
  EXPECT_EQ(colourOf(0, 6334, 1), Triple(135, 111, 144));
  const double f = shadeFraction(6334, 6001, 7000, 1);
  EXPECT_EQ(static_cast<int>(132.0 + 12.0 * f), 136);  // what double precision gives
}

TEST(ColourFunction, RangesThatEndAboveHi) {
  EXPECT_EQ(colourOf(1, 0, 1), Triple(164, 147, 114));
  EXPECT_EQ(colourOf(2, 0, 1), Triple(131, 106, 73));
  EXPECT_EQ(colourOf(3, 0, 1), Triple(188, 147, 73));
}

TEST(ColourFunction, TheFourShadingModes) {
  EXPECT_EQ(colourOf(4, 250, 0), Triple(0, 112, 90));
  EXPECT_EQ(colourOf(4, 250, 1), Triple(33, 110, 88));
  EXPECT_EQ(colourOf(4, 250, 2), Triple(66, 109, 87));
  EXPECT_EQ(colourOf(4, 250, 3), Triple(8, 111, 89));
  EXPECT_DOUBLE_EQ(shadeFraction(250, 0, 1000, 2), 0.5);
  EXPECT_DOUBLE_EQ(shadeFraction(250, 0, 1000, 3), 0.0625);
}

TEST(ColourFunction, ModesOutsideTheMenuShadeAsBlended) {
  for (int mode : {-1, 4, 99}) EXPECT_EQ(colourOf(4, 250, mode), colourOf(4, 250, 1)) << mode;
}

TEST(ColourFunction, OceanSchemeMeetsItselfAtZero) {
  EXPECT_EQ(colourOf(4, -1, 1), Triple(0, 112, 90));
  EXPECT_EQ(colourOf(4, 0, 1), Triple(0, 112, 90));
  EXPECT_EQ(colourOf(4, -4249, 1), Triple(0, 0, 160));  // green 32f starts at 0
}

TEST(ColourFunction, MolaMulticolour) {
  EXPECT_EQ(colourOf(5, -1, 1), Triple(242, 253, 0));
  EXPECT_EQ(colourOf(5, 0, 1), Triple(242, 255, 0));
  EXPECT_EQ(colourOf(5, 21250, 1), Triple(248, 248, 248));
  EXPECT_EQ(colourOf(5, 1500, 0), Triple(255, 173, 0));
}

TEST(ColourFunction, NothingColouredLeavesThePreviousColour) {
  PixelColour pixel{};
  const BandLimits none{};
  elevationColour(0, 500, 1, none, pixel);
  const PixelColour before = pixel;
  elevationColour(0, -8201, 1, none, pixel);
  EXPECT_EQ(pixel, before);
  elevationColour(0, 21251, 1, none, pixel);
  EXPECT_EQ(pixel, before);
  elevationColour(-1, 500, 1, none, pixel);
  EXPECT_EQ(pixel, before);
  elevationColour(6, 500, 1, none, pixel);
  EXPECT_EQ(pixel, before);
  // All-zero bands (before the first rebuild) colour elevation 0 only.
  elevationColour(99, 5, 1, none, pixel);
  EXPECT_EQ(pixel, before);
  elevationColour(99, 0, 1, none, pixel);
  EXPECT_NE(pixel, before);
}

TEST(ColourFunction, EveryChannelStaysInByteRange) {
  const BandLimits bands = buildBandLimits(3000, -2000);
  for (int scheme : {0, 1, 2, 3, 4, 5, 99}) {
    for (int mode = 0; mode < 4; ++mode) {
      for (int e = kMinElevation; e <= kMaxElevation; ++e) {
        PixelColour pixel{-1, -1, -1};
        elevationColour(scheme, e, mode, bands, pixel);
        ASSERT_TRUE(pixel.pixelRed >= 0 && pixel.pixelRed <= 255 && pixel.pixelGreen >= 0 &&
                    pixel.pixelGreen <= 255 && pixel.pixelBlue >= 0 && pixel.pixelBlue <= 255)
            << "scheme " << scheme << " mode " << mode << " elevation " << e;
      }
    }
  }
}

// The user colours take scheme 2's ramps over the bands.
TEST(UserColours, DefaultBandsSingleElevationBand) {
  const BandLimits bands = buildBandLimits(21250, -8200);
  EXPECT_EQ(colourOf(99, -8200, 1, bands), Triple(74, 82, 156));  // band 0 holds -8200 alone: f = 1
  EXPECT_EQ(colourOf(99, -8200, 0, bands), Triple(41, 57, 140));
  // -8199 starts band 1 at f = 0: row 1 of scheme 2.
  EXPECT_EQ(colourOf(99, -8199, 1, bands), Triple(74, 82, 156));
  // 21250 lies in band 14 (19166 .. 21270), since band 15 is empty.
  EXPECT_EQ(colourOf(99, 21250, 1, bands), Triple(190, 174, 173));
}

TEST(UserColours, UpperLimitIsFOneNextLowerIsFZero) {
  const BandLimits bands = buildBandLimits(3000, -2000);
  // Band 3 is -1283 .. -926 (row 3 of scheme 2), band 4 starts at -925.
  EXPECT_EQ(colourOf(99, -926, 1, bands), Triple(74, 107, 107));  // 82-8, 123-16, 144-37
  EXPECT_EQ(colourOf(99, -925, 1, bands), Triple(74, 107, 107));  // row 4 at f = 0
  EXPECT_EQ(colourOf(99, -925, 3, bands), Triple(74, 107, 107));
  EXPECT_EQ(colourOf(99, -8201, 1, bands), Triple(-1, -1, -1));
  EXPECT_EQ(colourOf(99, 21251, 1, bands), Triple(-1, -1, -1));
}

TEST(Bands, DefaultLimits) {
  EXPECT_EQ(bandStep(21250, -8200), 2104);
  const BandLimits bands = buildBandLimits(21250, -8200);
  for (int i = 0; i <= 14; ++i) EXPECT_EQ(bands[16 + i], -8200 + 2105 * i) << i;
  for (int i = 1; i <= 15; ++i) EXPECT_EQ(bands[i], bands[16 + i - 1] + 1) << i;
  EXPECT_EQ(bands[0], -8200);
  EXPECT_EQ(bands[15], 21271);
  EXPECT_EQ(bands[31], 21250);
}

TEST(Bands, OptimisedLimits) {
  EXPECT_EQ(bandStep(3000, -2000), 357);
  const BandLimits bands = buildBandLimits(3000, -2000);
  const BandLimits expected = {-8200, -1999, -1641, -1283, -925, -567, -209, 149,  507,  865,  1223,
                               1581,  1939,  2297,  2655,  3013, -2000, -1642, -1284, -926, -568, -210,
                               148,   506,   864,   1222,  1580, 1938,  2296,  2654,  3012, 21250};
  EXPECT_EQ(bands, expected);
}

TEST(Bands, FlatMapAndHalves) {
  const BandLimits bands = buildBandLimits(0, 0);
  EXPECT_EQ(bands[0], -8200);
  EXPECT_EQ(bands[16], 0);
  for (int i = 1; i <= 14; ++i) {
    EXPECT_EQ(bands[i], i);
    EXPECT_EQ(bands[16 + i], i);
  }
  EXPECT_EQ(bands[15], 15);
  EXPECT_EQ(bands[31], 21250);
  EXPECT_EQ(bandStep(3507, 0), 250);  // 250.5 goes to the even 250
  EXPECT_EQ(bandStep(3521, 0), 252);  // 251.5 goes to 252
  EXPECT_EQ(bandStep(7, 0), 0);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundHalfEven(11519, 2), 5760);
  EXPECT_EQ(roundHalfEven(11519, 24), 480);
  EXPECT_EQ(roundHalfEven(5632, 24), 235);
  EXPECT_EQ(roundHalfEven(2500, 5632), 0);
  EXPECT_EQ(roundHalfEven(5, 2), 2);
  EXPECT_EQ(roundHalfEven(7, 2), 4);
  EXPECT_EQ(roundHalfEven(-5, 2), -2);
  EXPECT_EQ(roundHalfEven(-7, 2), -4);
  EXPECT_EQ(roundHalfEven(-8, 3), -3);
  EXPECT_EQ(roundHalfEven(29450, 600), 49);
}

}  // namespace
}  // namespace tarvelon
