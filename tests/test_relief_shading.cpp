// Relief shading through the renderers: the light on the drawn grid, its
// spacing on the Mars sphere, and how it is laid over the colours.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "dem/TileNames.h"
#include "render/AreaRenderer.h"
#include "render/ColourTable.h"
#include "render/Hillshade.h"
#include "render/MapGeometry.h"
#include "render/TileRenderer.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::RecordingHost;
using testing::SinkHost;

// Keeps the rows of a map handed to it.
class KeptRows : public RowSink {
 public:
  KeptRows(Content content, int width) : content_(content), width_(width) {}
  Content content() const override { return content_; }
  std::uint8_t* rowBuffer(int y) override {
    if (rows.size() <= std::size_t(y)) rows.resize(std::size_t(y) + 1);
    rows[y].assign(std::size_t(width_) * bytesPerPixel(content_), 0);
    return rows[y].data();
  }
  void rowDone(int) override { ++done; }
  std::vector<std::vector<std::uint8_t>> rows;
  int done = 0;

 private:
  Content content_;
  int width_;
};

TEST(Hillshade, RowsOfTerrainAreLitAlikeFromTheirHeights) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> height(-8200, 21250);
  const Hillshade shade(300, 20, 4);
  for (int width : {1, 2, 3, 9, 11519}) {
    std::vector<std::int16_t> rows[3];
    std::vector<float> heights[3];
    for (int i = 0; i < 3; ++i) {
      rows[i].resize(width);
      for (auto& v : rows[i]) v = static_cast<std::int16_t>(height(random) / (i + 1));
      heights[i].resize(width);
      ASSERT_TRUE(Hillshade::terrainHeights(rows[i].data(), width, heights[i].data()));
    }
    std::vector<float> slow(width), fast(width);
    shade.lightRow(rows[0].data(), rows[1].data(), rows[2].data(), width, 410.5, 463.1, slow.data());
    shade.lightTerrainRow(rows[0].data(), rows[1].data(), rows[2].data(), heights[0].data(), heights[1].data(),
                          heights[2].data(), width, 410.5, 463.1, fast.data());
    ASSERT_EQ(slow, fast) << width;  // bit for bit
  }
  std::int16_t hole[3] = {100, -32768, 100};
  float heights[3];
  EXPECT_FALSE(Hillshade::terrainHeights(hole, 3, heights));
}

class ReliefShading : public ::testing::Test {
 protected:
  void SetUp() override {
    state.demFolder = tiles.str();
    state.tileNames = tiles.names();
    state.colourScheme = 2;
    state.shadingMode = 1;
    state.drawInBackground = 1;
    state.mapTitle = "User selection";
  }
  // Writes the lines `area` reads at `step` from f(line, column).
  void writeArea(const AreaBounds& area, int step, const std::function<int(int, int)>& f) {
    const AreaLayout layout = layoutArea(area, step);
    for (const RowSource& row : layout.rows) {
      for (const ColumnRun& run : layout.columns) {
        const int tile = layout.tileOf(row.tileRow, run.tileColumn);
        tiles.writeLine(tile, row.line, [&](int column) { return f(row.line, column); });
      }
    }
  }
  Raster drawn(const AreaBounds& area) {
    RecordingHost host;
    EXPECT_EQ(drawArea(area.west, area.north, area.east, area.south, state, host), AreaDrawResult::Completed);
    return host.picture;
  }

  testing::SparseTiles tiles;
  MapViewState state;
};

TEST_F(ReliefShading, LevelGroundKeepsItsColoursExactly) {
  const AreaBounds area{10, 20, 14, 17};
  writeArea(area, 8, [](int, int column) { return 1000 + 3000 * (column / 100 % 3); });  // terraces
  state.sampleStep = 8;
  const Raster plain = drawn(area);
  state.reliefShading = 1;
  const Raster shaded = drawn(area);
  ASSERT_EQ(plain.width, shaded.width);
  // Away from the terraces' steps every pixel keeps its colour.
  int kept = 0;
  int changed = 0;
  for (int y = 0; y < plain.height; ++y) {
    for (int x = 0; x < plain.width; ++x) {
      const int column = columnOfLongitude(0, area.west) + x * 8;
      const bool step = (column % 100) < 8 || (column % 100) >= 92;
      const bool same = std::equal(plain.row(y) + 3 * x, plain.row(y) + 3 * x + 3, shaded.row(y) + 3 * x);
      if (!step) {
        ASSERT_TRUE(same) << x << ", " << y;
        ++kept;
      } else {
        changed += same ? 0 : 1;
      }
    }
  }
  EXPECT_GT(kept, 0);
  EXPECT_GT(changed, 0);  // the steps themselves are lit or in shadow
}

TEST_F(ReliefShading, SlopesFacingTheSunAreLighterAndShadowsNeverBlack) {
  const AreaBounds area{10, 20, 14, 17};
  // Ridges rising 100 m a sample to the east (columns 1280 .. 1407, ...):
  // slopes that face the west.
  writeArea(area, 4, [](int, int column) { return -8000 + 100 * ((column + 1) % 128); });
  state.sampleStep = 4;
  const Raster plain = drawn(area);
  state.reliefShading = 1;
  state.sunAltitude = 10;
  state.sunAzimuth = 270;  // from the west: lit
  const Raster lit = drawn(area);
  state.sunAzimuth = 90;  // from the east, lower than the slope: in shadow
  const Raster dark = drawn(area);
  const int x = 16;  // column 1343, half way up a ridge
  const int y = plain.height / 2;
  for (int c = 0; c < 3; ++c) {
    const int base = plain.row(y)[3 * x + c];
    EXPECT_GT(lit.row(y)[3 * x + c], base) << c;
    // The deepest shadow keeps 40 % of each channel.
    EXPECT_EQ(dark.row(y)[3 * x + c], static_cast<int>(float(base) * kShadowFloor + 0.5f)) << c;
  }
}

TEST_F(ReliefShading, TheEastWestSpacingShrinksWithTheLatitudeOfEachRow) {
  // The same slope at the equator and at 70 N, drawn as grey light alone;
  // each pixel gets the light Horn's window gives on the drawn samples with
  // the spacing of its row's latitude.
  auto height = [](int line, int column) { return 5 * column + 3 * line + (column * line) % 50; };
  for (const AreaBounds area : {AreaBounds{10, 2, 14, -1}, AreaBounds{10, 71, 14, 68}}) {
    SCOPED_TRACE(area.north);
    const int step = 8;
    writeArea(area, step, height);
    const AreaLayout layout = layoutArea(area, step);
    const MapGeometry geometry = MapGeometry::ofArea(layout, step);
    state.sampleStep = step;
    state.sunAzimuth = 300;
    state.sunAltitude = 30;
    state.reliefExaggeration = 3;
    KeptRows grey(RowSink::Content::Light, layout.rasterWidth);
    SinkHost host(grey);
    ASSERT_EQ(drawArea(area.west, area.north, area.east, area.south, state, host), AreaDrawResult::Completed);
    ASSERT_EQ(grey.done, layout.rasterHeight);

    const Hillshade shade(300, 30, 3);
    const int columns = layout.columns[0].count;
    auto samples = [&](int y) {
      std::vector<std::int16_t> row(columns);
      for (int x = 0; x < columns; ++x) row[x] = height(layout.rows[y].line, layout.columns[0].firstColumn + x * step);
      return row;
    };
    for (int y : {1, layout.rasterHeight / 2}) {
      const auto above = samples(y - 1), row = samples(y), below = samples(y + 1);
      std::vector<float> light(columns), equator(columns);
      const double dy = kMetresPerDegree * step / 128;
      shade.lightRow(above.data(), row.data(), below.data(), columns,
                     eastWestSpacing(geometry.latitudeAt(y), step / 128.0), dy, light.data());
      shade.lightRow(above.data(), row.data(), below.data(), columns, eastWestSpacing(0, step / 128.0), dy,
                     equator.data());
      std::vector<std::uint8_t> expected(columns), flat(columns);
      Hillshade::greyRow(light.data(), columns, expected.data());
      Hillshade::greyRow(equator.data(), columns, flat.data());
      for (int x = 1; x < layout.rasterWidth - 1; ++x) ASSERT_EQ(grey.rows[y][x], expected[x]) << x << ", " << y;
      if (area.north > 60) {
        EXPECT_NE(expected, flat);  // at 70 N the spacing tells
      }
    }
  }
}

}  // namespace
}  // namespace tarvelon
