// What tarvelon-render --legend calls: a finished map saved with its
// legend, without a window or an application of its own.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "export/LegendPicture.h"
#include "dem/AtomicFile.h"
#include "render/TileRenderer.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

TEST(LegendPicture, AFinishedTileMapIsSavedInItsLegend) {
  testing::ScratchDir data;
  MapViewState state;
  state.demFolder = data.str();
  for (int t = 0; t < kTileCount; ++t) {
    state.tileNames[t] = "t" + std::to_string(t) + ".img";
    testing::makeSparseFile(data.file(state.tileNames[t]));
  }
  testing::writeTileLine(data.file("t6.img"), 48, [](int column) { return column % 2 == 0 ? -2500 : 4000; });
  state.tilePath = data.file("t6.img");
  state.mapTitle = "Tile: t6.img";
  state.sampleStep = 24;
  state.colourScheme = 5;
  state.shadingMode = 0;
  state.drawInBackground = 1;
  testing::RecordingHost host;
  drawTile(state, host);
  ASSERT_TRUE(host.hasPicture);
  const MapGeometry geometry = MapGeometry::ofTile(6, 24);

  testing::ScratchDir out;
  const std::string png = out.file("tile.png");
  ASSERT_EQ(QGuiApplication::instance(), nullptr);
  saveRasterWithLegend(host.picture, geometry, state, png);
  EXPECT_EQ(QGuiApplication::instance(), nullptr);  // gone again
  const QImage saved(QString::fromStdString(png));
  ASSERT_FALSE(saved.isNull());

  // The same layout, measured with the same fonts, holds the map unchanged
  // and a bar from -2.5 to 0 km (only even columns are drawn at step 24).
  int argc = 3;
  char name[] = "test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  QGuiApplication app(argc, argv);
  LegendInput input;
  input.title = state.mapTitle;
  input.geometry = geometry;
  input.colourScheme = 5;
  input.shadingMode = 0;
  input.elevations = ElevationRange{-2500, 0};
  const LegendLayout layout = layoutLegend(input, LegendTextMeasure());
  ASSERT_EQ(saved.width(), layout.width);
  ASSERT_EQ(saved.height(), layout.height);
  for (int y : {0, 2, 234}) {
    for (int x : {0, 7, 479}) {
      const std::uint8_t* p = host.picture.row(y) + 3 * x;
      EXPECT_EQ(saved.pixel(layout.mapX + x, layout.mapY + y) & 0xFFFFFF, qRgb(p[2], p[1], p[0]) & 0xFFFFFF)
          << x << ", " << y;
    }
  }
  EXPECT_EQ(saved.pixel(layout.barX, layout.barY + 1) & 0xFFFFFF, layout.barColours.front());
  EXPECT_EQ(saved.pixel(layout.barX + int(layout.barColours.size()) - 1, layout.barY + 1) & 0xFFFFFF,
            layout.barColours.back());

  // A map of another size than its geometry is refused; nothing is written.
  EXPECT_THROW(saveRasterWithLegend(Raster(10, 10), geometry, state, out.file("bad.bmp")), WriteError);
  EXPECT_FALSE(std::filesystem::exists(out.file("bad.bmp")));
}

}  // namespace
}  // namespace tarvelon
