#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "render/Hillshade.h"

namespace tarvelon {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Light on the middle row of a grid whose rows are given.
std::vector<float> lightOf(const Hillshade& shade, const std::vector<std::vector<std::int16_t>>& rows, double dx,
                           double dy) {
  std::vector<float> light(rows[1].size());
  shade.lightRow(rows[0].data(), rows[1].data(), rows[2].data(), static_cast<int>(light.size()), dx, dy,
                 light.data());
  return light;
}

TEST(Hillshade, LevelGroundGetsTheSineOfTheSunsAltitudeEverywhere) {
  const Hillshade shade(315, 45, 1);
  EXPECT_NEAR(shade.flat(), std::sin(45 * kPi / 180), 1e-7);
  const std::vector<std::int16_t> level(9, 1200);
  for (float light : lightOf(shade, {level, level, level}, 463, 463)) EXPECT_NEAR(light, shade.flat(), 1e-6);
  // A single column and two columns too.
  float one = 0;
  shade.lightRow(level.data(), level.data(), level.data(), 1, 463, 463, &one);
  EXPECT_NEAR(one, shade.flat(), 1e-6);
}

TEST(Hillshade, APlaneGetsTheCosineOfTheAngleToTheSun) {
  // Rising 1 m per metre eastward, lit from the west at 30 degrees: the
  // normal is (-1, 0, 1) / sqrt 2 and the sun (-cos 30, 0, sin 30).
  const Hillshade fromWest(270, 30, 1);
  std::vector<std::int16_t> row(6);
  for (int x = 0; x < 6; ++x) row[x] = static_cast<std::int16_t>(100 * x);
  const double expected = (std::cos(30 * kPi / 180) + std::sin(30 * kPi / 180)) / std::sqrt(2.0);
  for (float light : lightOf(fromWest, {row, row, row}, 100, 100)) EXPECT_NEAR(light, expected, 1e-5);

  // Falling 2 m per metre northward (rows run south), lit from the north.
  const Hillshade fromNorth(0, 45, 1);
  const std::vector<std::int16_t> north(4, 0), middle(4, 200), south(4, 400);
  const double northward = (std::sin(45 * kPi / 180) + 2 * std::cos(45 * kPi / 180)) / std::sqrt(5.0);
  for (float light : lightOf(fromNorth, {north, middle, south}, 50, 100)) EXPECT_NEAR(light, northward, 1e-5);
  // The first and last rows of a grid, with no row beyond them, alike.
  std::vector<float> edge(4);
  fromNorth.lightRow(nullptr, north.data(), middle.data(), 4, 50, 100, edge.data());
  for (float light : edge) EXPECT_NEAR(light, northward, 1e-5);
  fromNorth.lightRow(middle.data(), south.data(), nullptr, 4, 50, 100, edge.data());
  for (float light : edge) EXPECT_NEAR(light, northward, 1e-5);

  // The same slope facing away from the sun is in shadow; twice the
  // exaggeration of half the slope lights it as the slope itself.
  const Hillshade fromEast(90, 30, 1);
  for (float light : lightOf(fromEast, {row, row, row}, 100, 100)) EXPECT_EQ(light, 0.0f);
  std::vector<std::int16_t> half(6);
  for (int x = 0; x < 6; ++x) half[x] = static_cast<std::int16_t>(50 * x);
  const Hillshade doubled(270, 30, 2);
  for (float light : lightOf(doubled, {half, half, half}, 100, 100)) EXPECT_NEAR(light, expected, 1e-5);
}

TEST(Hillshade, SamplesOutsideTheElevationRangeDoNotPoisonTheirNeighbours) {
  const Hillshade shade(315, 45, 1);
  std::vector<std::int16_t> level(7, -3000);
  std::vector<std::int16_t> holed = level;
  holed[3] = -32768;
  holed[0] = 32767;
  const auto light = lightOf(shade, {level, holed, level}, 463, 463);
  for (float value : light) EXPECT_NEAR(value, shade.flat(), 1e-6);
  // -8200 and 21250 themselves are terrain.
  std::vector<std::int16_t> deep = level;
  deep[3] = -8200;
  EXPECT_LT(lightOf(shade, {level, deep, level}, 463, 463)[2], shade.flat() - 0.1f);
}

TEST(Hillshade, EastWestSpacingShrinksWithTheCosineOfLatitude) {
  EXPECT_NEAR(eastWestSpacing(0, 1), kMetresPerDegree, 1e-6);
  EXPECT_NEAR(kMetresPerDegree, 59274.7, 0.1);
  EXPECT_NEAR(eastWestSpacing(60, 1), kMetresPerDegree / 2, 1e-6);
  EXPECT_NEAR(eastWestSpacing(-70, 0.5), kMetresPerDegree * std::cos(70 * kPi / 180) / 2, 1e-6);
}

TEST(Hillshade, GreyLevelsRunFromOneInShadowTo255FacingTheSun) {
  const float light[] = {0.0f, 1.0f, 0.5f, 0.70710677f};
  std::uint8_t grey[4] = {};
  Hillshade::greyRow(light, 4, grey);
  EXPECT_EQ(grey[0], 1);
  EXPECT_EQ(grey[1], 255);
  EXPECT_EQ(grey[2], 128);
  EXPECT_EQ(grey[3], 181);
}

TEST(Hillshade, LevelGroundKeepsItsColourAndShadowsNeverGoBlack) {
  const Hillshade shade(315, 45, 1);
  const std::uint32_t colour = 0x01000000u | 200u << 16 | 100u << 8 | 50u;
  EXPECT_EQ(shade.shade(colour, shade.flat()), colour);
  // Deepest shadow: 40 % of each channel, the flag kept.
  EXPECT_EQ(shade.shade(colour, 0.0f), 0x01000000u | 80u << 16 | 40u << 8 | 20u);
  // Facing the sun brightens, held at 255.
  const std::uint32_t lit = shade.shade(0x01000000u | 230u << 16 | 100u << 8 | 50u, 1.0f);
  EXPECT_EQ((lit >> 16) & 0xFF, 255u);
  EXPECT_EQ((lit >> 8) & 0xFF, 125u);  // 100 x (0.4 + 0.6 x 1.4142) = 124.85
  EXPECT_EQ(lit & 0xFF, 62u);
}

}  // namespace
}  // namespace tarvelon
