// The location map's picture as tarvelon-assets makes it.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "render/ColourTable.h"
#include "tests/GlobalGrids.h"
#include "tools/assets/Assets.h"

namespace tarvelon {
namespace {

demo::GlobalGrid gridOf(const std::function<float(int line, int sample)>& metres) {
  return testing::globalGrid(1, metres);
}

TEST(LocationPicture, APaletteOfTheTerrainAndTheGridLines) {
  // Level lowlands in the north, level highlands in the south: two terrain
  // colours, kept exactly, and the grid drawn over them.
  const auto grid = gridOf([](int line, int) { return line < 90 ? -4000.0f : 3000.0f; });
  const QImage picture = assets::locationMapImage(grid);
  ASSERT_EQ(picture.size(), QSize(480, 240));
  ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
  ASSERT_EQ(picture.colorCount(), 256);
  EXPECT_EQ(picture.color(0), qRgb(0, 0, 0));
  EXPECT_EQ(picture.color(1), qRgb(66, 66, 66));

  const ColourTable colours(5, 1, BandLimits{});
  auto colourOf = [&](int metres) {
    const std::uint32_t c = colours.entry(metres);  // blue, green, red, flag
    return qRgb(int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF);
  };
  EXPECT_EQ(picture.pixel(30, 30), colourOf(-4000));
  EXPECT_EQ(picture.pixel(450, 200), colourOf(3000));
  std::set<QRgb> seen;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 480; ++x) {
      const bool black = x == 241 || y == 121;
      const bool grey = !black && (x == 121 || x == 361 || y == 61 || y == 181);
      const int index = picture.pixelIndex(x, y);
      if (black) {
        ASSERT_EQ(index, 0) << x << ", " << y;
      } else if (grey) {
        ASSERT_EQ(index, 1) << x << ", " << y;
      } else {
        ASSERT_GE(index, 2) << x << ", " << y;
        seen.insert(picture.pixel(x, y));
      }
    }
  }
  // The rows where the two levels meet are shaded; the rest is level.
  EXPECT_GE(seen.size(), 2u);
  EXPECT_LE(seen.size(), 8u);
}

}  // namespace
}  // namespace tarvelon
