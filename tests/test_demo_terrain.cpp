#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "dem/DemoSet.h"
#include "dem/TileSet.h"
#include "tests/GlobalGrids.h"
#include "tests/TestFiles.h"
#include "tools/DemoTerrain.h"

namespace tarvelon {
namespace {

using demo::GlobalGrid;

GlobalGrid grid4(float (*value)(int line, int sample)) { return testing::globalGrid(4, value); }

int sampleOf(const std::vector<std::uint8_t>& line, int column) { return decodeSample(&line[2 * column]); }

TEST(DemoTerrain, ADemoSetIsKnownByItsMarkOrByTheReadmeOfOlderSets) {
  testing::ScratchDir folder;
  EXPECT_FALSE(demoSetGridResolution(folder.str()));  // the MOLA tiles: nothing says otherwise
  EXPECT_FALSE(demoSetGridResolution(folder.file("missing")));
  // A set make-data wrote before it marked its sets: its README tells.
  testing::writeText(folder.file("README.txt"), demo::readmeText(demo::gridSourceText("/a/megt90n000cb.img", 4)));
  EXPECT_EQ(demoSetGridResolution(folder.str()), 4);
  // The mark says which grid, and counts before the README.
  for (int perDegree : {4, 16, 64}) {
    testing::writeText(folder.file(kDemoSetMarkerName), demoSetMarkerText(perDegree));
    EXPECT_EQ(demoSetGridResolution(folder.str()), perDegree);
  }
  // Anything else in the marker's place is no demo set: the real
  // resolution, no number, another file's text, a folder.
  for (const std::string& text : {demoSetMarkerText(128), demoSetMarkerText(0),
                                  std::string("Tarvelon demo tile set\ngrid-samples-per-degree 4x\n"),
                                  std::string("grid-samples-per-degree 4\n"), std::string()}) {
    testing::writeText(folder.file(kDemoSetMarkerName), text);
    EXPECT_FALSE(demoSetGridResolution(folder.str())) << text;
  }
  testing::ScratchDir other;
  ASSERT_EQ(::mkdir(other.file(kDemoSetMarkerName).c_str(), 0755), 0);
  testing::writeText(other.file("README.txt"), "Tiles of my own\n(4 samples per degree)\n");
  EXPECT_FALSE(demoSetGridResolution(other.str()));
}

TEST(DemoTerrain, TileSamplesAreInterpolatedAtTheirCentres) {
  // Elevation grows 10 m a grid line southward: tile 10's line 0 (centre
  // 0.5/128 degree south of the equator) sits at grid line 359.515625.
  const GlobalGrid byLine = grid4([](int line, int) { return 10.0f * line; });
  std::vector<std::uint8_t> line(kBytesPerLine);
  demo::tileLine(byLine, 10, 0, line.data());
  EXPECT_EQ(sampleOf(line, 0), 3595);
  EXPECT_EQ(sampleOf(line, 11519), 3595);
  demo::tileLine(byLine, 0, 5631, line.data());  // 44.0039 N: grid line 183.48
  EXPECT_EQ(sampleOf(line, 77), 1835);
  // Lines beyond the polar grid lines hold the last line's value.
  demo::tileLine(byLine, 2, 0, line.data());  // 87.996 N: grid line 7.52
  EXPECT_EQ(sampleOf(line, 0), 75);

  // Elevation grows 1 m a grid sample eastward: column 5000 of tile 10 is
  // at 39.0664 E, grid sample 155.765625.
  const GlobalGrid bySample = grid4([](int, int sample) { return float(sample); });
  demo::tileLine(bySample, 10, 100, line.data());
  EXPECT_EQ(sampleOf(line, 5000), 156);
  // Tile 8's west edge is 180 W = 180 E: grid sample 719.515625.
  demo::tileLine(bySample, 8, 100, line.data());
  EXPECT_EQ(sampleOf(line, 0), 720);
}

TEST(DemoTerrain, InterpolationWrapsAtTheZeroMeridian) {
  // Only grid sample 0 (centred on 0.125 E) is high. Column 0 of a tile at
  // 0 E lies between grid samples 1439 and 0 (weights 0.484, 0.516).
  const GlobalGrid spike = grid4([](int, int sample) { return sample == 0 ? 1000.0f : 0.0f; });
  std::vector<std::uint8_t> line(kBytesPerLine);
  demo::tileLine(spike, 6, 0, line.data());
  EXPECT_EQ(sampleOf(line, 0), 516);
  // The last column of the tile west of 0 E reaches towards that sample too.
  demo::tileLine(spike, 5, 0, line.data());
  EXPECT_EQ(sampleOf(line, 11519), 484);
  EXPECT_EQ(sampleOf(line, 0), 0);
}

TEST(DemoTerrain, TheReadmeSaysWhatTheTilesHold) {
  EXPECT_EQ(demo::readmeText(demo::gridSourceText("/mola/megt90n000cb.img", 4)),
            "Demo MEGDR128 tile set for Tarvelon\n\nThe sixteen tiles in this folder hold elevations interpolated "
            "(bilinear) from the global grid /mola/megt90n000cb.img (4 samples per degree, 32 times coarser than the "
            "real tiles).\nEach is 5632 lines of 11520 big-endian signed 16-bit samples (metres), 128 per degree.\n"
            "The real tiles are the MGS MOLA MEGDR files megt*hb.img of NASA's Planetary Data System.\n");
  EXPECT_NE(demo::gridSourceText("g.img", 64).find("(64 samples per degree, 2 times coarser"), std::string::npos);
}

}  // namespace
}  // namespace tarvelon
