// What the map image shows, for the cursor readout: the geometry of the
// map a draw sizes, which rows count as drawn as the renderers' calls come
// in, and the readout's texts. Also the one-sample read it relies on.
#include <gtest/gtest.h>

#include <cmath>

#include "app/ShownMap.h"
#include "core/MessageText.h"
#include "core/ViewSettings.h"
#include "core/AtomicFile.h"
#include "dem/TileFile.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using Place = ShownMap::Place;

TEST(ShownMap, ARowCountsAsDrawnOnceTheRendererHasDrawnItIntoThePicture) {
  ShownMap shown;
  EXPECT_EQ(shown.at(0, 0).place, Place::NoMap);
  const MapGeometry tile = MapGeometry::ofTile(5, 24);

  // The tile renderer drawing to the screen: the whole raster at its first
  // row, then each row, each reported finished.
  shown.drawStarted(tile);
  EXPECT_EQ(shown.at(3, 0).place, Place::NoMap);  // nothing shown yet
  shown.rowsShown(0, 235);
  EXPECT_EQ(shown.at(3, 0).place, Place::NotDrawnYet);
  shown.rowsFinished(0, 1, true);
  shown.rowsShown(1, 2);
  shown.rowsFinished(1, 2, true);
  EXPECT_EQ(shown.at(3, 1), (ShownMap::Point{Place::Sample, {5, 24, 72}}));
  EXPECT_EQ(shown.at(3, 2).place, Place::NotDrawnYet);
  EXPECT_EQ(shown.at(480, 1).place, Place::OffMap);
  EXPECT_EQ(shown.at(-1, 1).place, Place::OffMap);
  // Stopped here: the rest is not drawn, and stays so.
  shown.drawEnded();
  EXPECT_EQ(shown.at(3, 2).place, Place::NotDrawn);
  EXPECT_EQ(shown.at(3, 0).place, Place::Sample);

  // In background the old picture stays, with its own geometry, until the
  // new raster is shown; then the rows reported finished are drawn, and the
  // tile's last row, which it never draws, is not.
  const MapGeometry other = MapGeometry::ofTile(6, 24);
  shown.drawStarted(other);
  for (int y = 0; y < 234; ++y) shown.rowsFinished(y, y + 1, false);
  EXPECT_EQ(shown.at(3, 1).sample.tile, 5);
  EXPECT_EQ(shown.at(3, 2).place, Place::NotDrawn);
  shown.rasterShown();
  shown.drawEnded();
  EXPECT_EQ(shown.at(3, 2), (ShownMap::Point{Place::Sample, {6, 48, 72}}));
  EXPECT_EQ(shown.at(3, 234).place, Place::NotDrawn);

  // The area renderer reports no finished rows: in background its raster
  // is shown only when the map is complete.
  const MapGeometry area = MapGeometry::ofArea(layoutArea({10, 6, 14, 0}, 3), 3);
  shown.drawStarted(area);
  shown.rasterShown();
  shown.drawEnded();
  EXPECT_EQ(shown.at(0, 255).place, Place::Sample);
  // Drawing to the screen it shows its rows one by one; a stopped draw
  // leaves the rest undrawn.
  shown.pictureCleared();
  EXPECT_EQ(shown.at(0, 0).place, Place::NoMap);
  shown.drawStarted(area);
  shown.rowsShown(0, 1);
  shown.rowsShown(1, 2);
  shown.drawEnded();
  EXPECT_EQ(shown.at(0, 1).place, Place::Sample);
  EXPECT_EQ(shown.at(0, 2).place, Place::NotDrawn);

  // A picture that is no map, and a map whose geometry is not known.
  shown.otherPictureShown();
  EXPECT_EQ(shown.at(0, 0).place, Place::OtherPicture);
  EXPECT_EQ(shown.geometry(), nullptr);
  shown.drawStarted(std::nullopt);
  shown.rowsShown(0, 1);
  EXPECT_EQ(shown.at(0, 0).place, Place::UnknownMap);
}

TEST(ShownMap, TheMapPlacedByTheRendererIsTheOneShown) {
  // Sized without a geometry, then placed: the rows shown are the placed map's.
  ShownMap shown;
  const MapGeometry tile = MapGeometry::ofTile(5, 24);
  shown.drawStarted(std::nullopt);
  shown.placeDraw(tile);
  shown.rowsShown(0, 1);
  shown.rowsFinished(0, 1, true);
  shown.drawEnded();
  ASSERT_NE(shown.geometry(), nullptr);
  EXPECT_EQ(shown.geometry()->transform(), tile.transform());
  EXPECT_EQ(shown.at(3, 0), (ShownMap::Point{Place::Sample, {5, 0, 72}}));
  // Outside a draw a placement changes nothing.
  shown.placeDraw(MapGeometry::ofTile(6, 24));
  EXPECT_EQ(shown.at(3, 0).sample.tile, 5);
}

TEST(ShownMap, APictureCoveringTheMapGivesItBackAsItWas) {
  ShownMap shown;
  const MapGeometry tile = MapGeometry::ofTile(5, 24);
  shown.drawStarted(tile);
  shown.rowsShown(0, 1);
  shown.rowsShown(1, 2);
  shown.drawEnded();

  shown.cover();
  EXPECT_EQ(shown.at(3, 0).place, Place::OtherPicture);
  EXPECT_EQ(shown.geometry(), nullptr);
  ASSERT_NE(shown.userMapGeometry(), nullptr);
  EXPECT_EQ(shown.userMapGeometry()->height(), tile.height());
  // The covering picture shown again (as the window does) changes nothing under it.
  shown.otherPictureShown();
  shown.uncover();
  EXPECT_EQ(shown.at(3, 1).place, Place::Sample);
  EXPECT_EQ(shown.at(3, 2).place, Place::NotDrawn);
  EXPECT_EQ(shown.userMapGeometry(), shown.geometry());
  shown.uncover();  // nothing covered: nothing changes
  EXPECT_EQ(shown.at(3, 1).place, Place::Sample);

  // Over no map, there is no map under it either.
  shown.pictureCleared();
  shown.cover();
  EXPECT_EQ(shown.userMapGeometry(), nullptr);
  shown.uncover();
  EXPECT_EQ(shown.at(0, 0).place, Place::NoMap);
}

TEST(ShownMap, ADrawSwitchedToTheScreenPartWayShowsOnlyTheRowsItDrawsThere) {
  // The area renderer starts a fresh screen raster when background drawing
  // is switched off during a draw: the rows above stay blank.
  ShownMap shown;
  shown.drawStarted(MapGeometry::ofArea(layoutArea({10, 6, 14, 0}, 3), 3));
  shown.rowsShown(5, 6);
  EXPECT_EQ(shown.at(0, 4).place, Place::NotDrawnYet);
  EXPECT_EQ(shown.at(0, 5).place, Place::Sample);
  // The tile renderer shows all its rows so far at once.
  shown.drawStarted(MapGeometry::ofTile(0, 24));
  for (int y = 0; y < 3; ++y) shown.rowsFinished(y, y + 1, false);
  shown.rowsShown(0, 235);
  EXPECT_EQ(shown.at(0, 2).place, Place::Sample);
  EXPECT_EQ(shown.at(0, 3).place, Place::NotDrawnYet);
}

// A projected map's pixels show the grid sample under their centres: the
// tile, line and column of that sample, the point itself, nothing off the
// planet or outside the map's area, and no sample beyond 88 degrees.
TEST(ShownMap, APixelOfAProjectedMapShowsTheSampleUnderItsCentre) {
  const ProjectedFrame cap = polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 24 * 463.0835);
  ShownMap shown;
  shown.drawStarted(MapGeometry::ofProjection(cap));
  shown.rowsShown(0, cap.height);
  EXPECT_EQ(shown.at(cap.width / 2, cap.height / 2).place, Place::NotDrawnYet);
  shown.rowsFinished(0, cap.height, true);
  shown.drawEnded();

  // The pole: a point of the planet, but past the tiles' 88 degrees.
  const ShownMap::Point pole = shown.at(cap.width / 2, cap.height / 2);
  EXPECT_EQ(pole.place, Place::NoSample);
  EXPECT_TRUE(pole.located);
  EXPECT_GT(pole.latitude, 89.8);
  // The corners lie outside the cap's disc; past the picture is off it too.
  EXPECT_EQ(shown.at(0, 0).place, Place::OffMap);
  EXPECT_EQ(shown.at(cap.width - 1, cap.height - 1).place, Place::OffMap);
  EXPECT_EQ(shown.at(cap.width, 5).place, Place::OffMap);

  // Down the middle column from the pole runs the meridian 0; each pixel
  // names the sample whose cell holds its centre.
  int samples = 0;
  for (int y = cap.height / 2 + 20; y < cap.height; y += 7) {
    const ShownMap::Point point = shown.at(cap.width / 2 + 3, y);
    const std::optional<GeoPoint> centre = cap.pointAt(cap.width / 2 + 3.5, y + 0.5);
    if (!centre) {
      EXPECT_EQ(point.place, Place::OffMap) << y;
      continue;
    }
    ++samples;
    ASSERT_EQ(point.place, Place::Sample) << y;
    EXPECT_TRUE(point.located);
    EXPECT_DOUBLE_EQ(point.latitude, centre->latitude);
    EXPECT_DOUBLE_EQ(point.longitude, centre->longitude);
    EXPECT_GT(point.longitude, 0);
    EXPECT_LT(point.longitude, 15);
    EXPECT_LE(std::abs(sampleLatitude(point.sample) - centre->latitude), 0.5 / 128 + 1e-9) << y;
    EXPECT_LE(std::abs(sampleLongitude(point.sample) - centre->longitude), 0.5 / 128 + 1e-9) << y;
    // East of 0 degrees and north of 44: the third tile of the top row.
    EXPECT_EQ(point.sample.tile, 2) << y;
    EXPECT_EQ(point.sample.line, static_cast<int>(std::floor((88 - centre->latitude) * 128))) << y;
  }
  EXPECT_GT(samples, 10);

  // On the globe the far side of the rim is off the map; the point west of
  // 180 degrees lies in the last tile column.
  const ProjectedFrame globe = globeFrame(GeoPoint{180, -20}, 512);
  shown.drawStarted(MapGeometry::ofProjection(globe));
  shown.rowsFinished(0, globe.height, false);
  shown.rasterShown();
  shown.drawEnded();
  EXPECT_EQ(shown.at(2, 2).place, Place::OffMap);
  const ShownMap::Point west = shown.at(250, 300);
  ASSERT_EQ(west.place, Place::Sample);
  EXPECT_EQ(west.sample.tile, 11);
  EXPECT_LT(west.longitude, 180);
  EXPECT_GT(west.longitude, 170);
  const ShownMap::Point east = shown.at(262, 300);
  ASSERT_EQ(east.place, Place::Sample);
  EXPECT_EQ(east.sample.tile, 8);
  EXPECT_LT(east.longitude, -170);
  // A far south point beyond 88 degrees shows no sample.
  const ProjectedFrame south = globeFrame(GeoPoint{0, -89.5}, 512);
  shown.drawStarted(MapGeometry::ofProjection(south));
  shown.rasterShown();
  shown.drawEnded();
  EXPECT_EQ(shown.at(256, 256).place, Place::NoSample);
}

TEST(ShownMap, TextsOfPositionsAndElevations) {
  EXPECT_EQ(positionText(18.4, -133.8), "18.40\xC2\xB0N  133.80\xC2\xB0W");
  EXPECT_EQ(positionText(-0.001, 0.004), "0.00\xC2\xB0N  0.00\xC2\xB0" "E");
  EXPECT_EQ(positionText(-44.996, 179.996), "45.00\xC2\xB0S  180.00\xC2\xB0" "E");
  EXPECT_EQ(metresText(21130), "21 130 m");
  EXPECT_EQ(metresText(-3000), "-3 000 m");
  EXPECT_EQ(metresText(512), "512 m");
  EXPECT_EQ(metresText(0), "0 m");
  EXPECT_EQ(metresText(-32768), "-32 768 m");
}

TEST(TileFile, ReadsOneSampleWhereverItLies) {
  testing::ScratchDir dir;
  const std::string path = dir.file("tile.img");
  testing::makeSparseFile(path);
  testing::writeTileLine(path, 5631, [](int column) { return column - 8000; });
  TileFile file(path);
  EXPECT_EQ(file.readSample(5631, 11519), 11519 - 8000);
  EXPECT_EQ(file.readSample(5631, 0), -8000);
  EXPECT_EQ(file.readSample(0, 0), 0);
  EXPECT_THROW(file.readSample(5632, 0), TileError);
  EXPECT_THROW(file.readSample(0, 11520), TileError);
  EXPECT_THROW(file.readSample(-1, 0), TileError);
  testing::makeSparseFile(path, 100);
  EXPECT_THROW(file.readSample(1, 0), TileError);
}

TEST(ViewSettings, ReliefShadingIsReadLenientlyAndWrittenWhole) {
  testing::ScratchDir dir;
  const std::string path = viewSettingsPath(dir.str());
  EXPECT_EQ(path, dir.str() + "/tarvelon-view.cfg");
  EXPECT_EQ(readViewSettings(path).reliefShading, 0);  // missing
  writeViewSettings(path, ViewSettings{1});
  EXPECT_EQ(testing::readText(path), "reliefShading=1\r\n");
  EXPECT_EQ(readViewSettings(path).reliefShading, 1);
  for (const char* text : {"reliefShading=2\r\n", "reliefShading=on\n", "garbage", "", "reliefShading\n"}) {
    testing::writeText(path, text);
    EXPECT_EQ(readViewSettings(path).reliefShading, 0) << text;
  }
  testing::writeText(path, "other=5\n reliefShading = 1 \n");
  EXPECT_EQ(readViewSettings(path).reliefShading, 1);
  EXPECT_EQ(readViewSettings(dir.str()).reliefShading, 0);  // a folder
  // A file that cannot be written leaves the old one.
  testing::writeText(path, "reliefShading=1\r\n");
  EXPECT_THROW(writeViewSettings(dir.str() + "/missing/tarvelon-view.cfg", ViewSettings{0}), WriteError);
  EXPECT_EQ(readViewSettings(path).reliefShading, 1);
}

TEST(ViewSettings, FeatureNamesAreAddedWhenOnAndOffInOlderFiles) {
  testing::ScratchDir dir;
  const std::string path = viewSettingsPath(dir.str());
  for (const ViewSettings settings : {ViewSettings{0, 1}, ViewSettings{1, 1}, ViewSettings{1, 0}, ViewSettings{0, 0}}) {
    writeViewSettings(path, settings);
    EXPECT_EQ(readViewSettings(path), settings);
  }
  writeViewSettings(path, ViewSettings{1, 1});
  EXPECT_EQ(testing::readText(path), "reliefShading=1\r\nfeatureNames=1\r\n");
  // A file from before the names: off. Each line is read on its own.
  testing::writeText(path, "reliefShading=1\r\n");
  EXPECT_EQ(readViewSettings(path), (ViewSettings{1, 0}));
  testing::writeText(path, "featureNames=1\nreliefShading=2\n");
  EXPECT_EQ(readViewSettings(path), (ViewSettings{0, 1}));
  testing::writeText(path, "featureNames=yes\nreliefShading=1\n");
  EXPECT_EQ(readViewSettings(path), (ViewSettings{1, 0}));
}

TEST(ViewSettings, AProjectionIsWrittenOnlyWhenNotSimpleCylindricalAndReadBack) {
  testing::ScratchDir dir;
  const std::string path = viewSettingsPath(dir.str());
  using P = ViewProjection;
  // Simple cylindrical leaves the file as every earlier version wrote it.
  writeViewSettings(path, ViewSettings{1, 1, P::SimpleCylindrical});
  EXPECT_EQ(testing::readText(path), "reliefShading=1\r\nfeatureNames=1\r\n");
  writeViewSettings(path, ViewSettings{0, 0, P::SimpleCylindrical});
  EXPECT_EQ(testing::readText(path), "reliefShading=0\r\n");
  writeViewSettings(path, ViewSettings{0, 1, P::SouthPolar});
  EXPECT_EQ(testing::readText(path), "reliefShading=0\r\nfeatureNames=1\r\nprojection=south-polar\r\n");
  for (const P projection : {P::SimpleCylindrical, P::NorthPolar, P::SouthPolar, P::Globe}) {
    for (const int relief : {0, 1}) {
      const ViewSettings settings{relief, 1 - relief, projection};
      writeViewSettings(path, settings);
      EXPECT_EQ(readViewSettings(path), settings) << viewProjectionWord(projection);
    }
  }
  // Read leniently, the last line about it deciding; a word it does not
  // know, of whatever case, is simple cylindrical.
  testing::writeText(path, " projection = globe \nreliefShading=1\n");
  EXPECT_EQ(readViewSettings(path), (ViewSettings{1, 0, P::Globe}));
  testing::writeText(path, "projection=north-polar\n");
  EXPECT_EQ(readViewSettings(path).projection, P::NorthPolar);
  for (const char* text : {"projection=Globe\n", "projection=mercator\n", "projection=1\n", "projection=\n",
                           "projection=globe\nprojection=lambert\n", "projection globe\n"}) {
    testing::writeText(path, text);
    EXPECT_EQ(readViewSettings(path), ViewSettings{}) << text;
  }
  testing::writeText(path, "projection=simple-cylindrical\nfeatureNames=1\n");
  EXPECT_EQ(readViewSettings(path), (ViewSettings{0, 1, P::SimpleCylindrical}));
}

}  // namespace
}  // namespace tarvelon
