#include "dem/GlobalGrid.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

TEST(GlobalGrid, GlobalGridSizesAreRecognised) {
  EXPECT_EQ(globalGridResolution(2073600), 4);
  EXPECT_EQ(globalGridResolution(33177600), 16);
  EXPECT_EQ(globalGridResolution(132710400), 32);
  EXPECT_EQ(globalGridResolution(2073602), 0);
  EXPECT_EQ(globalGridResolution(0), 0);
}

TEST(GlobalGrid, GlobalGridFilesAreCheckedBySize) {
  testing::ScratchDir dir;
  const auto path = dir.file("grid.img");
  testing::makeSparseFile(path, 1000);
  EXPECT_THROW(loadGlobalGrid(path), std::runtime_error);
  EXPECT_THROW(loadGlobalGrid(dir.file("missing.img")), std::runtime_error);
  testing::makeSparseFile(path, 2073600);
  testing::writeBytes(path, 2 * (1440 * 3 + 5), {0xDF, 0xF8});
  const GlobalGrid grid = loadGlobalGrid(path);
  EXPECT_EQ(grid.perDegree, 4);
  EXPECT_EQ(grid.at(3, 5), -8200.0f);
  EXPECT_EQ(grid.at(3, 6), 0.0f);
}

// A 4 per degree grid whose samples say where they are: 40 m a line, 1 m a
// sample (of 40), with a few halves to round.
GlobalGrid numberedGrid() {
  GlobalGrid grid;
  grid.perDegree = 4;
  grid.width = 1440;
  grid.height = 720;
  grid.metres.resize(std::size_t(grid.width) * grid.height);
  for (int l = 0; l < grid.height; ++l) {
    for (int s = 0; s < grid.width; ++s) grid.metres[std::size_t(l) * grid.width + s] = 40.0f * l + s % 40;
  }
  return grid;
}

TEST(GlobalGrid, IsAnElevationSourceOfTheWholePlanetFromZeroEast) {
  GlobalGrid grid = numberedGrid();
  ElevationSource& source = grid;
  const GridSpec spec = source.grid();
  EXPECT_EQ(spec.columns, 1440);
  EXPECT_EQ(spec.lines, 720);
  EXPECT_EQ(spec.south(), -90.0);

  // Sample 0 is centred half a sample east of 0 E and south of 90 N.
  EXPECT_EQ(source.indexAt(0.1, 89.9), (GridIndex{0, 0}));
  EXPECT_EQ(source.indexAt(-0.1, 0), (GridIndex{1439, 360}));
  EXPECT_EQ(source.indexAt(180, -90), (GridIndex{720, 719}));
  EXPECT_EQ(source.indexAt(0, 90.1).line, -1);
  const GeoPoint centre = source.centreOf({1439, 719});
  EXPECT_EQ(centre.longitude, 359.875);
  EXPECT_EQ(centre.latitude, -89.875);
  // Its centres are where the grid's interpolation gives the sample itself.
  EXPECT_EQ(grid.interpolate(centre.latitude, centre.longitude), grid.at(719, 1439));

  // A block across 0 E, one line off the grid.
  std::vector<std::int16_t> out(4 * 2, 7);
  source.block(1438, 719, 4, 2, 1, out.data());
  EXPECT_EQ(out, (std::vector<std::int16_t>{28798, 28799, 28760, 28761, -32768, -32768, -32768, -32768}));
  out.assign(3, 7);
  source.block(-2, 0, 3, 1, 2, out.data());
  EXPECT_EQ(out, (std::vector<std::int16_t>{38, 0, 2}));

  // Halves round away from zero; what lies outside 16 bits is clamped.
  grid.metres[5] = 1.5f;
  grid.metres[6] = -1.5f;
  grid.metres[7] = 1e9f;
  const std::vector<GridIndex> indices = {{5, 0}, {6, 0}, {7, 0}, {1440 + 5, 0}, {0, 720}, {0, -1}};
  out.assign(indices.size(), 7);
  source.gather(indices.data(), static_cast<int>(indices.size()), out.data());
  EXPECT_EQ(out, (std::vector<std::int16_t>{2, -2, 32767, 2, -32768, -32768}));
}

}  // namespace
}  // namespace tarvelon
