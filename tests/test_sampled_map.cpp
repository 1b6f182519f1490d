// Maps of a window of the even global grid: the same pixels as the area
// renderer where the two grids meet, across the 180 degree meridian, off
// the grid, georeferenced on their samples, and drawn by a render job.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <memory>

#include "dem/GridSampler.h"
#include "render/AreaRenderer.h"
#include "render/SampleColours.h"
#include "render/SampledMap.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

// A varied terrain: a slope east, ridges south, a pit.
int terrain(int line, int column) {
  return (column * 7) % 900 - 300 + (line * line) % 53 * 25 - ((column % 101) == 0 ? 2000 : 0);
}

class SampledMapTest : public ::testing::Test {
 protected:
  void writeTile(int t, int firstLine, int endLine) {
    for (int line = firstLine; line < endLine; ++line) {
      tiles.writeLine(t, line, [line](int column) { return terrain(line, column); });
    }
  }
  // The state's colouring as a request's.
  static Colouring colouring(int scheme, int mode, bool relief) {
    Colouring c;
    c.colourScheme = scheme;
    c.shadingMode = mode;
    c.reliefShading = relief ? 1 : 0;
    return c;
  }

  testing::SparseTiles tiles;
};

TEST_F(SampledMapTest, AWindowOnTheAreaRenderersGridHasItsPixelsWithAndWithoutRelief) {
  // The area -90 .. -80, 40 .. 30 starts on tile 5's west edge, where the
  // area's columns and the even grid's coincide: lines 512 .. 1792.
  writeTile(5, 500, 1800);
  for (const bool relief : {false, true}) {
    MapViewState state;
    state.demFolder = tiles.str();
    state.tileNames = tiles.names();
    state.sampleStep = 3;
    state.colourScheme = 2;
    state.shadingMode = relief ? 1 : 3;
    state.reliefShading = relief ? 1 : 0;
    state.drawInBackground = 1;
    state.mapTitle = "area";
    testing::RecordingHost host;
    ASSERT_EQ(drawArea(-90, 40, -80, 30, state, host), AreaDrawResult::Completed);
    const Raster& area = host.picture;
    ASSERT_EQ(area.width, 426);
    ASSERT_EQ(area.height, 426);

    GridSampler sampler(tiles.str(), tiles.names());
    const SampledMapRequest request{GridWindow{90 * 128, 48 * 128, 426, 426, 3}, state};
    const Raster sampled = drawSampledMap(request, sampler, {});
    ASSERT_EQ(sampled.width, area.width);
    ASSERT_EQ(sampled.height, area.height);
    for (int y = 0; y < area.height; ++y) {
      ASSERT_EQ(std::memcmp(sampled.row(y), area.row(y), area.rowBytes()), 0) << "row " << y << " relief " << relief;
    }
  }
}

TEST_F(SampledMapTest, AWindowAcrossTheMeridianShowsBothTilesAndRowsOffTheGridShowNothing) {
  tiles.writeLine(3, 2, [](int column) { return column; });        // 11515 .. 11519 east of 180 W - 5 samples
  tiles.writeLine(0, 2, [](int column) { return 1000 + column; });  // 1000 .. 1004
  GridSampler sampler(tiles.str(), tiles.names());
  const SampledMapRequest request{GridWindow{46080 - 5, -2, 10, 5, 1}, colouring(5, 2, false)};
  const Raster map = drawSampledMap(request, sampler, {});
  ASSERT_EQ(map.width, 10);
  ASSERT_EQ(map.height, 5);
  MapViewState state;
  static_cast<Colouring&>(state) = request.colouring;
  SampleColours colours;
  colours.update(state);
  for (int x = 0; x < 10; ++x) {
    const int sample = x < 5 ? 11515 + x : 1000 + (x - 5);
    const std::uint32_t entry = colours.data()[static_cast<std::uint16_t>(sample)];
    const std::uint8_t* pixel = map.row(4) + 3 * x;
    EXPECT_EQ(pixel[0], entry & 0xFF) << x;
    EXPECT_EQ(pixel[1], (entry >> 8) & 0xFF) << x;
    EXPECT_EQ(pixel[2], (entry >> 16) & 0xFF) << x;
    // Lines -2 and -1 lie north of the grid; line 0 is 0 m, a sample.
    EXPECT_EQ(map.maskRow(0)[x], 0);
    EXPECT_EQ(map.maskRow(1)[x], 0);
    EXPECT_EQ(map.maskRow(2)[x], 255);
    EXPECT_EQ(map.maskRow(4)[x], 255);
  }
}

TEST_F(SampledMapTest, PixelsAreCentredOnTheirSamples) {
  const GridWindow window{46080 - 5, 6144, 10, 4, 4};
  const GeoTransform t = windowTransform(kTileGridSpec, window);
  EXPECT_DOUBLE_EQ(t.pixelWidth, 4.0 / 128);
  EXPECT_DOUBLE_EQ(t.pixelHeight, 4.0 / 128);
  // Pixel (0, 0) is centred on the centre of grid sample (46075, 6144):
  // east of 180, which the map runs on past.
  EXPECT_DOUBLE_EQ(t.west + t.pixelWidth / 2, -180 + (46075 + 0.5) / 128);
  EXPECT_DOUBLE_EQ(t.north - t.pixelHeight / 2, 88 - (6144 + 0.5) / 128);
  // Pixel 3 shows column 46075 + 12, that is column 7 east of 180 W.
  const GridSampler sampler(tiles.str(), tiles.names());
  const GeoPoint centre = sampler.centreOf(GridIndex{46075 + 12, 6144});
  EXPECT_NEAR(t.west + 3.5 * t.pixelWidth - 360, centre.longitude, 1e-9);
}

TEST_F(SampledMapTest, ProgressCountsRowsAndAFalseAnswerStopsTheDraw) {
  GridSampler sampler(tiles.str(), tiles.names());
  const SampledMapRequest request{GridWindow{0, 0, 20, 30, 2}, colouring(1, 1, true)};
  std::vector<int> told;
  const Raster whole = drawSampledMap(request, sampler, [&told](int done, int rows) {
    EXPECT_EQ(rows, 30);
    told.push_back(done);
    return true;
  });
  ASSERT_FALSE(whole.empty());
  ASSERT_FALSE(told.empty());
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  EXPECT_EQ(told.back(), 30);
  int calls = 0;
  const Raster stopped = drawSampledMap(request, sampler, [&calls](int, int) { return ++calls < 5; });
  EXPECT_TRUE(stopped.empty());
  EXPECT_EQ(calls, 5);
}

TEST_F(SampledMapTest, AJobDrawsTheWindowOnItsWorkerWithASamplerOfItsOwn) {
  writeTile(9, 0, 40);
  const SampledMapRequest request{GridWindow{46080 / 4, 44 * 128, 300, 20, 2}, colouring(3, 0, true)};
  GridSampler here(tiles.str(), tiles.names());
  const Raster expected = drawSampledMap(request, here, {});

  const std::string folder = tiles.str();
  const TileNames names = tiles.names();
  RenderJob job(sampledMapDraw(request, [folder, names] { return std::make_unique<GridSampler>(folder, names); }));
  std::promise<RenderOutcome> ended;
  job.start({}, [&ended](RenderOutcome outcome) { ended.set_value(std::move(outcome)); });
  const RenderOutcome outcome = ended.get_future().get();
  ASSERT_EQ(outcome.status, RenderOutcome::Status::Finished);
  EXPECT_EQ(outcome.raster.pixels, expected.pixels);
  EXPECT_EQ(outcome.raster.mask, expected.mask);

  // A data folder without its tiles: the job fails with the reader's text.
  RenderJob missing(sampledMapDraw(request, [] { return std::make_unique<GridSampler>("/nonexistent", TileNames{}); }));
  std::promise<RenderOutcome> failed;
  missing.start({}, [&failed](RenderOutcome outcome) { failed.set_value(std::move(outcome)); });
  const RenderOutcome failure = failed.get_future().get();
  EXPECT_EQ(failure.status, RenderOutcome::Status::Failed);
  EXPECT_NE(failure.error.find("/nonexistent"), std::string::npos) << failure.error;
}

}  // namespace
}  // namespace tarvelon
