#include <gtest/gtest.h>

#include "render/ColourTable.h"
#include "tests/GlobalGrids.h"
#include "tools/assets/Relief.h"

namespace tarvelon {
namespace {

demo::GlobalGrid gridOf(int perDegree, const std::function<float(int line, int sample)>& metres) {
  return testing::globalGrid(perDegree, metres);
}

TEST(ReliefPicture, LevelGroundShowsTheSchemesOwnColour) {
  const auto grid = gridOf(1, [](int, int) { return 1500.0f; });
  const QImage picture = assets::reliefPicture(grid, 36, 18, assets::ReliefStyle{5, 0});
  ASSERT_EQ(picture.size(), QSize(36, 18));
  // MOLA Multicolour, contoured: 1500 m is (255, 173, 0).
  for (int y = 0; y < 18; ++y) {
    for (int x = 0; x < 36; ++x) ASSERT_EQ(picture.pixel(x, y), qRgb(255, 173, 0)) << x << ", " << y;
  }
}

TEST(ReliefPicture, SlopesFacingTheSunAreBrighterThanThoseFacingAway) {
  // A ridge along the prime meridian (the grid's first column is 0.5 E).
  const auto grid = gridOf(1, [](int, int sample) {
    const int fromRidge = std::min(sample, 360 - sample);
    return 6000.0f - 100.0f * float(fromRidge);
  });
  const QImage fromWest = assets::reliefPicture(grid, 360, 180, assets::ReliefStyle{0, 0, 270, 45, 20});
  const QImage fromEast = assets::reliefPicture(grid, 360, 180, assets::ReliefStyle{0, 0, 90, 45, 20});
  // The western slope (x < 180) faces a sun in the west, the eastern one
  // a sun in the east; neither goes black.
  EXPECT_GT(fromWest.pixelColor(170, 90).red(), fromEast.pixelColor(170, 90).red() + 5);
  EXPECT_GT(fromEast.pixelColor(190, 90).red(), fromWest.pixelColor(190, 90).red() + 5);
  EXPECT_EQ(fromWest.pixelColor(170, 90), fromEast.pixelColor(190, 90));
  EXPECT_GT(fromEast.pixelColor(170, 90).red(), 0);
}

TEST(ReliefPicture, PixelsAndCoordinatesAgree) {
  EXPECT_DOUBLE_EQ(assets::pictureLongitude(0, 1440), -180 + 0.125);
  EXPECT_DOUBLE_EQ(assets::pictureLatitude(719, 720), -90 + 0.125);
  EXPECT_EQ(assets::picturePoint(0, 0, 480, 240), QPointF(240, 120));
  EXPECT_EQ(assets::picturePoint(-180, 90, 1440, 720), QPointF(0, 0));
}

}  // namespace
}  // namespace tarvelon
