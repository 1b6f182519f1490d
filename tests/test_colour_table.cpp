#include <gtest/gtest.h>

#include "render/ColourTable.h"

namespace tarvelon {
namespace {

// Runs the exact function and the table side by side over every elevation
// (and a margin outside the range), each with its own persisting result.
void expectTableMatchesFunction(int scheme, int mode, const BandLimits& bands) {
  const ColourTable table(scheme, mode, bands);
  PixelColour exact{7, 8, 9};
  PixelColour tabled{7, 8, 9};
  for (int e = kMinElevation - 3; e <= kMaxElevation + 3; ++e) {
    elevationColour(scheme, e, mode, bands, exact);
    table.colour(e, tabled);
    ASSERT_EQ(exact, tabled) << "scheme " << scheme << " mode " << mode << " elevation " << e;
  }
}

TEST(ColourTable, EqualsTheFunctionForEverySchemeAndMode) {
  for (int scheme = -1; scheme <= 6; ++scheme) {
    for (int mode = 0; mode < 4; ++mode) expectTableMatchesFunction(scheme, mode, BandLimits{});
  }
}

TEST(ColourTable, EqualsTheFunctionForUserColours) {
  const BandLimits tables[] = {
      BandLimits{},                     // before any rebuild: all zeros
      buildBandLimits(21250, -8200),    // default limits, empty band 15
      buildBandLimits(3000, -2000),     // optimised
      buildBandLimits(0, 0),            // flat map: single-elevation bands
      buildBandLimits(-7650, -8200),    // narrow range at the bottom
      buildBandLimits(21250, 17650),    // narrow range at the top
  };
  for (const BandLimits& bands : tables) {
    for (int mode = 0; mode < 4; ++mode) expectTableMatchesFunction(kUserColours, mode, bands);
  }
}

TEST(ColourTable, RebuildsOnlyWhenSettingsChange) {
  ColourTable table;
  EXPECT_EQ(table.entry(0), 0u);
  const BandLimits bands = buildBandLimits(3000, -2000);
  table.update(0, 1, bands);
  EXPECT_TRUE(table.builtFor(0, 1, BandLimits{}));  // bands matter only for the user colours
  EXPECT_FALSE(table.builtFor(0, 2, bands));
  EXPECT_FALSE(table.builtFor(1, 1, bands));
  table.update(99, 1, bands);
  EXPECT_TRUE(table.builtFor(99, 1, bands));
  EXPECT_FALSE(table.builtFor(99, 1, buildBandLimits(3000, -1900)));
  EXPECT_EQ(table.entry(kMinElevation - 1), 0u);
  EXPECT_EQ(table.entry(kMaxElevation + 1), 0u);
  EXPECT_EQ(table.entry(-32768), 0u);
  EXPECT_EQ(table.entry(32767), 0u);
}

}  // namespace
}  // namespace tarvelon
