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

TEST_F(SampledMapTest, AMagnifiedWindowRepeatsEachSampleAndItsGeometryAgrees) {
  writeTile(9, 0, 12);
  // Across the join of tiles 8 and 9 (column 11520), three pixels a sample.
  const GridWindow plain{11520 - 4, 88 * 128 + 2, 8, 5, 1, 1};
  GridWindow zoomed = plain;
  zoomed.zoom = 3;
  zoomed.width = 24;
  zoomed.height = 14;  // the last sample's rows cut short
  for (const bool relief : {false, true}) {
    GridSampler sampler(tiles.str(), tiles.names());
    SampledRange plainRange, zoomedRange;
    const Raster small = drawSampledMap({plain, colouring(2, 1, relief)}, sampler, {}, &plainRange);
    const Raster large = drawSampledMap({zoomed, colouring(2, 1, relief)}, sampler, {}, &zoomedRange);
    ASSERT_EQ(large.width, 24);
    ASSERT_EQ(large.height, 14);
    for (int y = 0; y < large.height; ++y) {
      for (int x = 0; x < large.width; ++x) {
        ASSERT_EQ(std::memcmp(large.row(y) + 3 * x, small.row(y / 3) + 3 * (x / 3), 3), 0) << x << "," << y;
        ASSERT_EQ(large.maskRow(y)[x], small.maskRow(y / 3)[x / 3]);
      }
    }
    EXPECT_TRUE(zoomedRange.counted);
    EXPECT_EQ(zoomedRange.highest, plainRange.highest);
    EXPECT_EQ(zoomedRange.lowest, plainRange.lowest);
  }

  // The geometry names the sample each pixel shows, and its pixels lie
  // where the window's transform puts them.
  const MapGeometry geometry = MapGeometry::ofWindow(zoomed);
  const GeoTransform t = windowTransform(kTileGridSpec, zoomed);
  EXPECT_EQ(geometry.transform(), t);
  EXPECT_DOUBLE_EQ(t.pixelWidth, 1.0 / 128 / 3);
  EXPECT_EQ(geometry.sampleAt(0, 0), (SampleSource{8, 2, 11516}));
  EXPECT_EQ(geometry.sampleAt(11, 2), (SampleSource{8, 2, 11519}));
  EXPECT_EQ(geometry.sampleAt(12, 3), (SampleSource{9, 3, 0}));
  EXPECT_EQ(geometry.sampleAt(23, 13), (SampleSource{9, 6, 3}));
  EXPECT_FALSE(geometry.sampleAt(24, 0));
  GridSampler sampler(tiles.str(), tiles.names());
  for (const auto& [x, y] : {std::pair{0, 0}, {13, 4}, {23, 13}}) {
    const SampleSource s = *geometry.sampleAt(x, y);
    EXPECT_NEAR(geometry.longitudeAt(x), sampleLongitude(s) + (x % 3 - 1) * t.pixelWidth, 1e-9) << x;
    EXPECT_NEAR(geometry.latitudeAt(y), sampleLatitude(s) - (y % 3 - 1) * t.pixelHeight, 1e-9) << y;
  }
}

TEST_F(SampledMapTest, RowsHandedToASinkAreTheRastersRows) {
  writeTile(0, 0, 30);
  class Rows : public RowSink {
   public:
    explicit Rows(int w, int h) : raster(w, h) {}
    Content content() const override { return Content::Colour; }
    std::uint8_t* rowBuffer(int y) override { return raster.row(y); }
    std::uint8_t* maskBuffer(int y) override { return raster.maskRow(y); }
    void rowDone(int y) override {
      EXPECT_EQ(y, next++);
    }
    Raster raster;
    int next = 0;
  };
  GridSampler sampler(tiles.str(), tiles.names());
  for (const int zoom : {1, 2}) {
    const SampledMapRequest request{GridWindow{46080 - 10, 0, 30, 20, 1, zoom}, colouring(0, 2, true)};
    Rows rows(30, 20);
    ASSERT_TRUE(drawSampledRows(request, sampler, rows, {}));
    EXPECT_EQ(rows.next, 20);
    const Raster whole = drawSampledMap(request, sampler, {});
    EXPECT_EQ(rows.raster.pixels, whole.pixels);
    EXPECT_EQ(rows.raster.mask, whole.mask);
  }
}

}  // namespace
}  // namespace tarvelon
