#include <gtest/gtest.h>

#include "render/AreaRenderer.h"
#include "render/MapGeometry.h"

namespace tarvelon {
namespace {

MapGeometry areaGeometry(AreaBounds area, int step) { return MapGeometry::ofArea(layoutArea(area, step), step); }

TEST(MapGeometry, ATileMapShowsEveryStepthSampleOfItsDrawnRows) {
  const MapGeometry thumb = MapGeometry::ofTile(10, 24);
  EXPECT_EQ(thumb.width(), 480);
  EXPECT_EQ(thumb.height(), 235);
  EXPECT_EQ(thumb.rowsDrawn(), 234);  // row 234 is not drawn
  EXPECT_EQ(thumb.columnsDrawn(), 480);
  EXPECT_EQ(thumb.sampleAt(0, 0), (SampleSource{10, 0, 0}));
  EXPECT_EQ(thumb.sampleAt(479, 233), (SampleSource{10, 5592, 11496}));
  EXPECT_FALSE(thumb.sampleAt(0, 234));
  EXPECT_FALSE(thumb.sampleAt(480, 0));
  EXPECT_FALSE(thumb.sampleAt(-1, 0));

  EXPECT_EQ(MapGeometry::ofTile(0, 1).rowsDrawn(), 5630);
  EXPECT_EQ(MapGeometry::ofTile(0, 1).columnsDrawn(), 11519);
  EXPECT_EQ(MapGeometry::ofTile(0, 10).rowsDrawn(), 563);
  EXPECT_EQ(MapGeometry::ofTile(0, 13).columnsDrawn(), 886);
  EXPECT_EQ(MapGeometry::ofTile(0, 13).rowsDrawn(), 433);
}

TEST(MapGeometry, SampleCentresLieHalfASampleInsideTheirTile) {
  // Tile 10 has its north-west corner at 0, 0.
  EXPECT_DOUBLE_EQ(sampleLongitude({10, 0, 0}), 0.5 / 128);
  EXPECT_DOUBLE_EQ(sampleLatitude({10, 0, 0}), -0.5 / 128);
  EXPECT_DOUBLE_EQ(sampleLongitude({0, 5631, 11519}), -180 + 11519.5 / 128);
  EXPECT_DOUBLE_EQ(sampleLatitude({0, 5631, 11519}), 88 - 5631.5 / 128);

  // A whole tile at 100 % is georeferenced on the tile's own edges.
  const GeoTransform full = MapGeometry::ofTile(10, 1).transform();
  EXPECT_DOUBLE_EQ(full.west, 0);
  EXPECT_DOUBLE_EQ(full.north, 0);
  EXPECT_DOUBLE_EQ(full.pixelWidth, 1.0 / 128);
  EXPECT_DOUBLE_EQ(full.pixelHeight, 1.0 / 128);
  // At step 24 pixel (0, 0) is centred on sample 0, 24 samples a side.
  const GeoTransform thumb = MapGeometry::ofTile(5, 24).transform();
  EXPECT_DOUBLE_EQ(thumb.west, -90 + 0.5 / 128 - 12.0 / 128);
  EXPECT_DOUBLE_EQ(thumb.north, 44 - 0.5 / 128 + 12.0 / 128);
  EXPECT_DOUBLE_EQ(thumb.pixelWidth, 24.0 / 128);
}

TEST(MapGeometry, AnAreaCrossingATileRowGoesOnOneStepFurtherInTheTileBelow) {
  // Acidalia: tile 1 from line 3840 down, then tile 5.
  const MapGeometry acidalia = areaGeometry({-60, 58, 0, 32}, 10);
  EXPECT_EQ(acidalia.width(), 768);
  EXPECT_EQ(acidalia.height(), 332);
  EXPECT_EQ(acidalia.sampleAt(0, 0), (SampleSource{1, 3840, 3839}));
  // Lines 3840, 3850, ... 5630 are rows 0 .. 179; row 180 is line 5640,
  // line 8 of the tile below.
  EXPECT_EQ(acidalia.sampleAt(5, 179), (SampleSource{1, 5630, 3889}));
  EXPECT_EQ(acidalia.sampleAt(5, 180), (SampleSource{5, 8, 3889}));
  EXPECT_DOUBLE_EQ(acidalia.latitudeAt(180), 44 - 8.5 / 128);
  EXPECT_DOUBLE_EQ(acidalia.latitudeAt(179), 88 - 5630.5 / 128);
  // Every row lies where the georeference puts it.
  const GeoTransform t = acidalia.transform();
  for (int y = 0; y < acidalia.rowsDrawn(); ++y) {
    ASSERT_NEAR(sampleLatitude(*acidalia.sampleAt(0, y)), t.north - (y + 0.5) * t.pixelHeight, 1e-9) << y;
  }
}

TEST(MapGeometry, AnAreaPastTheMeridianReadsOnFromTheWestmostTile) {
  // Arcadia, 160 to 220: tile 3's columns 8959, 8969, ... 11519, then
  // tile 0's columns 9, 19, ..., one step on from 11519.
  const MapGeometry arcadia = areaGeometry({160, 54, 220, 20}, 10);
  EXPECT_EQ(arcadia.sampleAt(0, 0), (SampleSource{3, 4352, 8959}));
  const int westPart = (11519 - 8959) / 10 + 1;  // 257 columns of tile 3
  EXPECT_EQ(arcadia.sampleAt(westPart - 1, 0), (SampleSource{3, 4352, 11519}));
  EXPECT_EQ(arcadia.sampleAt(westPart, 0), (SampleSource{0, 4352, 9}));
  EXPECT_EQ(arcadia.sampleAt(westPart, 200), (SampleSource{4, (4352 + 2000) - 5632, 9}));
  // The map's own longitudes run on past 180; the samples' are -180 .. 180.
  EXPECT_DOUBLE_EQ(arcadia.longitudeAt(westPart), 180 + 9.5 / 128);
  EXPECT_DOUBLE_EQ(sampleLongitude(*arcadia.sampleAt(westPart, 0)), -180 + 9.5 / 128);
  EXPECT_DOUBLE_EQ(arcadia.transform().west, 90 + 8959.5 / 128 - 5.0 / 128);
  // Every pixel lies where the georeference puts it, on both sides of 180.
  const GeoTransform t = arcadia.transform();
  for (int x = 0; x < arcadia.columnsDrawn(); ++x) {
    const double centre = t.west + (x + 0.5) * t.pixelWidth;
    ASSERT_NEAR(sampleLongitude(*arcadia.sampleAt(x, 0)), centre > 180 ? centre - 360 : centre, 1e-9) << x;
  }
}

TEST(MapGeometry, PixelsPastTheDrawnRowsAndColumnsShowNoSample) {
  // A 6 degree high area at step 3 draws every one of its 256 rows.
  const MapGeometry six = areaGeometry({10, 6, 14, 0}, 3);
  EXPECT_EQ(six.height(), 256);
  EXPECT_EQ(six.rowsDrawn(), 256);
  for (int step : {1, 2, 3, 4, 8, 10, 13, 24}) {
    const MapGeometry tile = MapGeometry::ofTile(7, step);
    EXPECT_TRUE(tile.sampleAt(tile.columnsDrawn() - 1, tile.rowsDrawn() - 1)) << step;
    EXPECT_FALSE(tile.sampleAt(tile.columnsDrawn() - 1, tile.rowsDrawn())) << step;
    // Longitudes past the last drawn column go on at the step.
    EXPECT_DOUBLE_EQ(tile.longitudeAt(tile.width()) - tile.longitudeAt(tile.width() - 1), step / 128.0) << step;
  }
}

}  // namespace
}  // namespace tarvelon
