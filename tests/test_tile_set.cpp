#include <gtest/gtest.h>

#include "dem/TileSet.h"

namespace tarvelon {
namespace {

TEST(TileAt, PointsOnBoundariesGoEastAndSouth) {
  TileBox box;
  EXPECT_EQ(tileAt(0, 0, box), 10);
  EXPECT_EQ(tileAt(-180, 88, box), 0);
  EXPECT_EQ(tileAt(-1, 44, box), 5);
  EXPECT_EQ(tileAt(-1, 45, box), 1);
  EXPECT_EQ(tileAt(90, -44, box), 15);
  EXPECT_EQ(tileAt(89, -43, box), 10);
  EXPECT_EQ(tileAt(-90, 0, box), 9);
  EXPECT_EQ(tileAt(179, -87, box), 15);
}

TEST(TileAt, OutsideTheTileSetGives99AndTile15sBox) {
  TileBox box;
  for (auto [lon, lat] : {std::pair{180, 10}, {0, 89}, {0, -88}, {-181, 0}, {0, -100}}) {
    EXPECT_EQ(tileAt(lon, lat, box), kNoTile) << lon << "," << lat;
    EXPECT_EQ(box.tileWest, 90);
    EXPECT_EQ(box.tileEast, 180);
    EXPECT_EQ(box.tileNorth, -44);
    EXPECT_EQ(box.tileSouth, -88);
  }
}

TEST(TileAt, LeavesTheBoxOfTheTileFound) {
  TileBox box;
  ASSERT_EQ(tileAt(-60, 58, box), 1);
  EXPECT_EQ(box.tileWest, -90);
  EXPECT_EQ(box.tileEast, 0);
  EXPECT_EQ(box.tileNorth, 88);
  EXPECT_EQ(box.tileSouth, 44);
}

TEST(TileAt, EveryWholeDegreeFallsInTheBoxReturned) {
  TileBox box;
  for (int lat = -87; lat <= 88; ++lat) {
    for (int lon = -180; lon < 180; ++lon) {
      const int t = tileAt(lon, lat, box);
      ASSERT_NE(t, kNoTile);
      EXPECT_EQ(t / 4, (88 - lat) / 44);
      EXPECT_EQ(t % 4, (lon + 180) / 90);
    }
  }
}

TEST(TileSet, NeighboursWrapAcrossThe180Meridian) {
  const int east[16] = {1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12};
  for (int t = 0; t < 16; ++t) {
    EXPECT_EQ(eastNeighbour(t), east[t]);
    EXPECT_EQ(southNeighbour(t), t < 12 ? t + 4 : -1);
  }
}

TEST(TileSet, LinesAndColumns) {
  const TileBox box = tileBox(10);
  EXPECT_EQ(lineOfLatitude(box.tileNorth, -13), 1664);
  EXPECT_EQ(lineOfLatitude(box.tileNorth, -26), 3328);
  EXPECT_EQ(lineOfLatitude(box.tileNorth, -44), 5632);
  EXPECT_EQ(columnOfLongitude(box.tileWest, 45), 5759);
  EXPECT_EQ(columnOfLongitude(box.tileWest, 89), 11391);
  EXPECT_EQ(columnOfLongitude(box.tileWest, 90), 11519);  // the east edge only
  EXPECT_EQ(columnOfLongitude(box.tileWest, 0), 0);
  // Past the east edge, counted on (the area renderer's east neighbour).
  EXPECT_EQ(columnOfLongitude(-90, 60), 19198);
}

TEST(TileSet, SampleDecodingIsBigEndianSigned) {
  const std::uint8_t samples[][2] = {{0x80, 0x00}, {0x7F, 0xFF}, {0xDF, 0xF8}, {0x53, 0x02}, {0xFF, 0xFE}, {0, 0}};
  const int expected[] = {-32768, 32767, -8200, 21250, -2, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(decodeSample(samples[i]), expected[i]);
}

}  // namespace
}  // namespace tarvelon
