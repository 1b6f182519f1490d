// What tarvelon-render --legend calls: a finished map saved with its
// legend, without a window or an application of its own.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <QImage>

#include "export/LabelPicture.h"
#include "export/LegendPicture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/AtomicFile.h"
#include "export/MapFile.h"
#include "render/AreaRenderer.h"
#include "render/Projection.h"
#include "render/TileRenderer.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

TEST(LegendPicture, AFinishedTileMapIsSavedInItsLegend) {
  testing::ScratchDir data;
  MapViewState state;
  state.demFolder = data.str();
  state.tileNames = testing::makeSparseTileSet(data.str());
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

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LegendPicture, SavedThroughTheMapWriters) {
  // A picture with every channel distinct, so that a swapped red and blue
  // or a row out of place shows.
  QImage picture(37, 5, QImage::Format_RGB32);
  Raster raster(37, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 37; ++x) {
      picture.setPixel(x, y, qRgb(7 * x, 50 * y, 255 - x));
      raster.set(x, y, std::uint8_t(7 * x), std::uint8_t(50 * y), std::uint8_t(255 - x));
    }
  }
  testing::ScratchDir out;
  for (const char* name : {"legend.png", "LEGEND.PNG", "legend.bmp"}) {
    SCOPED_TRACE(name);
    const std::string path = out.file(name);
    saveLegendPicture(picture, path);
    MapFileSpec spec;
    spec.path = out.file(std::string("map-") + name);
    spec.format = *mapFormatOf(path);
    writeMapFile(raster, spec);
    // The same bytes as Save Map writes, and no world file or .prj: the
    // framed picture is not a raster of Mars.
    EXPECT_EQ(bytesOf(path), bytesOf(spec.path));
    const QImage back(QString::fromStdString(path));
    ASSERT_EQ(back.size(), picture.size());
    EXPECT_EQ(back.pixel(36, 4) & 0xFFFFFF, picture.pixel(36, 4) & 0xFFFFFF);
  }
  // Three legend files and three maps, nothing beside them (no temporary
  // files left either).
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.str()), std::filesystem::directory_iterator()), 6);

  // A name with another ending is written as a BMP, as before.
  saveLegendPicture(picture, out.file("legend.jpeg"));
  EXPECT_EQ(bytesOf(out.file("legend.jpeg")), bytesOf(out.file("map-legend.bmp")));

  // An unwritable place is a WriteError, and an old file stays as it was.
  EXPECT_THROW(saveLegendPicture(picture, out.file("no-such-folder/legend.png")), WriteError);
  const std::string before = bytesOf(out.file("legend.png"));
  EXPECT_THROW(saveLegendPicture(QImage(), out.file("legend.png")), WriteError);
  EXPECT_EQ(bytesOf(out.file("legend.png")), before);
}

TEST(LegendPicture, WithTheLegendFontsNoTextTouchesAnotherOrTheMap) {
  int argc = 3;
  char name[] = "test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  QGuiApplication app(argc, argv);
  const LegendTextMeasure measure;
  auto area = [](AreaBounds bounds, int step) { return MapGeometry::ofArea(layoutArea(bounds, step), step); };
  struct Case {
    MapGeometry geometry;
    int relief;
  };
  for (const Case& c : {Case{MapGeometry::ofTile(6, 24), 0}, Case{area({136, -3, 140, -7}, 2), 0},
                        Case{area({-40, 88, 70, 76}, 13), 0}, Case{area({160, 54, 220, 20}, 10), 0},
                        Case{area({-150, 30, -120, 2}, 10), 1}, Case{area({137, -4, 138, -5}, 24), 0}}) {
    LegendInput input;
    input.title = "Olympus Mons (Mountains and Uplands)";
    input.geometry = c.geometry;
    input.reliefShading = c.relief;
    input.elevations = ElevationRange{-3880, 21120};
    const LegendLayout layout = layoutLegend(input, measure);
    SCOPED_TRACE(std::to_string(c.geometry.width()) + " x " + std::to_string(c.geometry.height()));
    const QRectF map(layout.mapX - 1, layout.mapY - 1, c.geometry.width() + 2, c.geometry.height() + 2);
    std::vector<QRectF> boxes;
    for (const LegendText& t : layout.texts) {
      const QRectF box(t.x, t.y - measure.ascent(t.font), measure.width(t.text, t.font),
                       measure.ascent(t.font) + measure.descent(t.font));
      EXPECT_FALSE(box.intersects(map)) << t.text;
      EXPECT_TRUE(QRectF(0, 0, layout.width, layout.height).contains(box)) << t.text;
      for (const QRectF& other : boxes) EXPECT_FALSE(box.intersects(other)) << t.text;
      boxes.push_back(box);
    }
  }
}

TEST(LegendPicture, AProjectedMapsSheetIsWhiteWhereNoSampleLiesAndItsNamesLieOverTheGraticule) {
  int argc = 3;
  char name[] = "test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  QGuiApplication app(argc, argv);
  // North of 60 degrees in 300 x 300 pixels: the 0 meridian runs from the
  // pole (150, 150) straight down the map's middle column.
  const double rim = 2 * 3396190.0 * std::tan(15 * 3.14159265358979323846 / 180);  // metres from the pole to 60 N
  const ProjectedFrame frame = polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 2 * rim / 300);
  ASSERT_EQ(frame.width, 300);
  LegendInput input;
  input.geometry = MapGeometry::ofProjection(frame);
  input.elevations = ElevationRange{-4000, -2000};
  QImage map(frame.width, frame.height, QImage::Format_RGB32);
  map.fill(qRgb(200, 40, 40));
  // No sample in the top-left corner.
  std::vector<std::uint8_t> mask(std::size_t(frame.width) * std::size_t(frame.height), 255);
  for (int y = 0; y < 10; ++y) std::fill_n(mask.begin() + y * frame.width, 10, std::uint8_t(0));
  // An opaque green name across the 0 meridian, 60 pixels below the pole.
  LabelSprite sprite{140, 208, 20, 6, {}};
  for (int i = 0; i < 20 * 6; ++i) sprite.pixels.insert(sprite.pixels.end(), {0, 200, 0, 255});
  std::vector<LabelSprite> sprites{sprite};
  const LabelOverlay names(std::move(sprites));

  const QImage picture = legendPicture(map, input, mask, &names);
  const LegendLayout layout = layoutLegend(input, LegendTextMeasure());
  auto at = [&](int x, int y) { return picture.pixel(layout.mapX + x, layout.mapY + y) & 0xFFFFFF; };
  EXPECT_EQ(at(3, 3), 0xFFFFFFu);
  EXPECT_EQ(at(40, 40), qRgb(200, 40, 40) & 0xFFFFFFu);
  // The meridian darkens the map below the pole, but not under the name.
  EXPECT_NE(at(150, 190), qRgb(200, 40, 40) & 0xFFFFFFu);
  EXPECT_EQ(at(150, 210), qRgb(0, 200, 0) & 0xFFFFFFu);
  // Without the names the meridian shows there; without the mask the corner
  // keeps the map's colour.
  const QImage bare = legendPicture(map, input);
  EXPECT_NE(bare.pixel(layout.mapX + 150, layout.mapY + 210) & 0xFFFFFF, qRgb(200, 40, 40) & 0xFFFFFFu);
  EXPECT_EQ(bare.pixel(layout.mapX + 3, layout.mapY + 3) & 0xFFFFFF, qRgb(200, 40, 40) & 0xFFFFFFu);
}

TEST(LabelPicture, EachNameIsInkedInsideItsSpriteWithADarkTextInAPaleHalo) {
  int argc = 3;
  char name[] = "test", option[] = "-platform", platform[] = "offscreen";
  char* argv[] = {name, option, platform, nullptr};
  QGuiApplication app(argc, argv);
  const LabelFontMeasurer measure;
  // A zoomed map over Tharsis: names of every style and several sizes.
  const GeoTransform tharsis{-140, 30, 50.0 / 1000, 50.0 / 1000};
  const auto labels = placeNameLabels(PlaceNames::builtIn().all(), tharsis, 1000, 1000, measure);
  ASSERT_GT(labels.size(), 10u);
  bool styles[5] = {};
  for (const PlacedLabel& label : labels) {
    SCOPED_TRACE(label.place->name);
    styles[static_cast<int>(label.style)] = true;
    const LabelSprite sprite = paintLabelSprite(label);
    ASSERT_EQ(sprite.pixels.size(), std::size_t(sprite.width) * std::size_t(sprite.height) * 4);
    // The sprite holds the box with room for the halo.
    EXPECT_LE(sprite.x, label.box.x - kHaloPixels);
    EXPECT_LE(sprite.y, label.box.y - kHaloPixels);
    EXPECT_GE(sprite.x + sprite.width, label.box.x + label.box.width + kHaloPixels);
    EXPECT_GE(sprite.y + sprite.height, label.box.y + label.box.height + kHaloPixels);
    int dark = 0, pale = 0, edge = 0;
    for (int y = 0; y < sprite.height; ++y) {
      for (int x = 0; x < sprite.width; ++x) {
        const std::uint8_t* p = sprite.row(y) + std::size_t(x) * 4;
        // Premultiplied: no colour above its alpha.
        ASSERT_LE(std::max({p[0], p[1], p[2]}), p[3]);
        if (p[3] > 200 && p[0] + p[1] + p[2] < 3 * 110) ++dark;
        if (p[3] > 200 && p[0] + p[1] + p[2] > 3 * 180) ++pale;
        if (p[3] != 0 && (x == 0 || y == 0 || x == sprite.width - 1 || y == sprite.height - 1)) ++edge;
      }
    }
    EXPECT_GT(dark, 10);
    EXPECT_GT(pale, dark);  // the halo surrounds the letters
    EXPECT_EQ(edge, 0);     // measured as painted: nothing is cut off
    // Its picture for the screen holds the same pixels.
    const QImage image = spriteImage(sprite);
    ASSERT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < sprite.height; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < sprite.width; ++x) {
        const std::uint8_t* p = sprite.row(y) + std::size_t(x) * 4;
        ASSERT_EQ(line[x], qRgba(p[2], p[1], p[0], p[3]));
      }
    }
  }
  for (const LabelStyle style : {LabelStyle::Region, LabelStyle::Crater, LabelStyle::Relief, LabelStyle::Channel}) {
    EXPECT_TRUE(styles[static_cast<int>(style)]) << static_cast<int>(style);
  }
  // Spaced capitals take more room than the name set plainly.
  EXPECT_GT(measure.width("Syria Planum", LabelStyle::Region, 1), measure.width("Syria Planum", LabelStyle::Other, 1));
  EXPECT_GT(measure.height(LabelStyle::Crater, 3), measure.height(LabelStyle::Crater, 0));
}

}  // namespace
}  // namespace tarvelon
