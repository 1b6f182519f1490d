// The pictures made for the windows: the annotated tile map's layout and
// drawing, the icon and the help pages' scheme and mode pictures.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <cmath>

#include "render/ColourFunction.h"
#include "tools/assets/AnnotatedMap.h"
#include "tools/assets/HelpPictures.h"
#include "tools/assets/ProgramIcon.h"

namespace tarvelon {
namespace {

demo::GlobalGrid flatGrid(float metres) {
  demo::GlobalGrid grid;
  grid.perDegree = 1;
  grid.width = 360;
  grid.height = 180;
  grid.metres.assign(std::size_t(grid.width) * grid.height, metres);
  return grid;
}

double distanceToBox(const QPointF& point, const QRectF& box) {
  const double dx = std::max({box.left() - point.x(), 0.0, point.x() - box.right()});
  const double dy = std::max({box.top() - point.y(), 0.0, point.y() - box.bottom()});
  return std::hypot(dx, dy);
}

// How near a colour comes to `target`, over every pixel of `box`.
int nearestTo(const QImage& image, const QRectF& box, QRgb target) {
  int best = 1000;
  for (int y = int(box.top()); y < int(box.bottom()); ++y) {
    for (int x = int(box.left()); x < int(box.right()); ++x) {
      const QRgb p = image.pixel(x, y);
      best = std::min(best, std::abs(qRed(p) - qRed(target)) + std::abs(qGreen(p) - qGreen(target)) +
                                std::abs(qBlue(p) - qBlue(target)));
    }
  }
  return best;
}

TEST(AnnotatedMap, FortyOneNamesEachByItsFeatureAndNoneOverlapping) {
  const auto& features = assets::annotatedFeatures();
  ASSERT_EQ(features.size(), 41u);
  const assets::AnnotatedLayout layout = assets::annotatedLayout();
  ASSERT_EQ(layout.labels.size(), 41u);
  ASSERT_EQ(layout.tileNumbers.size(), 16u);
  const QRectF picture(0, 0, 1440, 720);
  std::vector<QRectF> boxes = layout.tileNumbers;
  int blue = 0;
  int red = 0;
  for (std::size_t i = 0; i < features.size(); ++i) {
    const assets::PlacedLabel& label = layout.labels[i];
    EXPECT_EQ(label.text.toStdString(), features[i].name);
    EXPECT_TRUE(picture.contains(label.box)) << features[i].name;
    // Beside its feature: a marked one next to the mark, a region within
    // the reach of its name.
    EXPECT_LT(distanceToBox(label.anchor, label.box), label.mark.isEmpty() ? 50 : 30) << features[i].name;
    EXPECT_EQ(label.mark.isEmpty(), features[i].kind == assets::FeatureKind::Region ||
                                        features[i].kind == assets::FeatureKind::Valley);
    boxes.push_back(label.box);
    if (!label.mark.isEmpty()) boxes.push_back(label.mark);
    if (label.colour == QColor(0, 40, 215)) ++blue;
    if (label.colour == QColor(205, 0, 0)) ++red;
  }
  EXPECT_EQ(blue, 13);
  EXPECT_EQ(red, 5);
  for (std::size_t a = 0; a < boxes.size(); ++a) {
    for (std::size_t b = a + 1; b < boxes.size(); ++b) {
      EXPECT_FALSE(boxes[a].intersects(boxes[b])) << a << " and " << b;
    }
  }
  // The feature points: Olympus Mons from its rectangle (-150, 30, -120,
  // 2), Newton by hand.
  EXPECT_EQ(layout.labels[3].anchor, QPointF((-135 + 180) * 4, (90 - 16) * 4));
  EXPECT_NEAR(layout.labels[31].anchor.x(), (-158.1 + 180) * 4, 1e-9);
  // The tile numbers in the tiles' top left corners.
  EXPECT_LT(layout.tileNumbers[0].left(), 6);
  EXPECT_LT(layout.tileNumbers[0].top(), 14);
  EXPECT_LT(layout.tileNumbers[15].left() - 1080, 6);
  EXPECT_LT(layout.tileNumbers[15].top() - 536, 6);
}

TEST(AnnotatedMap, NamesStandWhereTheMapAreaMenuDrawsThem) {
  const auto& features = assets::annotatedFeatures();
  auto find = [&](const std::string& name) -> const assets::AnnotatedFeature& {
    const auto it = std::find_if(features.begin(), features.end(), [&](const auto& f) { return f.name == name; });
    EXPECT_NE(it, features.end()) << name;
    return *it;
  };
  // Looked up under the menu's own spelling, named as the map spells them.
  for (const auto& [name, caption] : std::vector<std::pair<std::string, std::string>>{
           {"Galle", "Galle"}, {"Herschel", "Herschell"}, {"Schiaparelli", "Schiaperelli"},
           {"Tyrrhena Terra", "Tyrrhenia Terra"}, {"Hellas Planitia", "Hellas"}, {"Olympus Mons", "Olympus Mons"}}) {
    const auto rows = featuresNamed(caption);
    ASSERT_EQ(rows.size(), 1u) << caption;
    const auto& feature = find(name);
    EXPECT_DOUBLE_EQ(feature.longitude, (rows[0]->west + rows[0]->east) / 2.0) << name;
    EXPECT_DOUBLE_EQ(feature.latitude, (rows[0]->north + rows[0]->south) / 2.0) << name;
  }
  // Arcadia runs from 160 to 220 east: its centre, 190, is 170 W.
  EXPECT_DOUBLE_EQ(find("Arcadia Planitia").longitude, -170);
  EXPECT_DOUBLE_EQ(find("Arcadia Planitia").latitude, 37);
  // The four the gazetteer lacks keep their places.
  EXPECT_DOUBLE_EQ(find("Lomonosov").latitude, 65.3);
  EXPECT_DOUBLE_EQ(find("Kunowsky").longitude, -9.7);
  EXPECT_DOUBLE_EQ(find("Margaritifer Terra").longitude, -25);
  EXPECT_DOUBLE_EQ(find("Newton").latitude, -40.8);
  for (const auto& feature : features) {
    EXPECT_GE(feature.longitude, -180) << feature.name;
    EXPECT_LE(feature.longitude, 180) << feature.name;
  }
  FeatureRow across{FeatureFamily::Craters, 16, "m_c016", "Orcus Patera", 175, 18, 183, 10};
  EXPECT_DOUBLE_EQ(assets::gazetteerLongitude(across), 179);
  across.east = 195;
  EXPECT_DOUBLE_EQ(assets::gazetteerLongitude(across), -175);
}

TEST(AnnotatedMap, TileLinesNumbersAndNamesAreDrawn) {
  const QImage map = assets::annotatedMap(flatGrid(1500));
  ASSERT_EQ(map.size(), QSize(1440, 720));
  // White lines at 88, 44, 0, -44 and -88 degrees and at -90, 0 and 90.
  for (int y : {8, 184, 360, 536, 712}) EXPECT_EQ(map.pixel(200, y), qRgb(255, 255, 255)) << y;
  for (int x : {360, 720, 1080}) EXPECT_EQ(map.pixel(x, 300), qRgb(255, 255, 255)) << x;
  // Between them the relief's own colour (level ground: unshaded).
  const QRgb ground = map.pixel(200, 100);
  EXPECT_NE(ground, qRgb(255, 255, 255));
  EXPECT_EQ(map.pixel(201, 101), ground);
  // Outside the tiles, the poles are dimmed.
  EXPECT_LT(qGray(map.pixel(200, 3)), qGray(ground));
  const assets::AnnotatedLayout layout = assets::annotatedLayout();
  for (const QRectF& box : layout.tileNumbers) EXPECT_LT(nearestTo(map, box, qRgb(255, 255, 255)), 12);
  for (const assets::PlacedLabel& label : layout.labels) {
    EXPECT_LT(nearestTo(map, label.box, label.colour.rgb()), 40) << label.text.toStdString();
  }
}

TEST(ProgramIcon, MarsOnAClearGround) {
  demo::GlobalGrid grid = flatGrid(0);
  const QImage icon = assets::programIcon(grid);
  ASSERT_EQ(icon.size(), QSize(64, 64));
  EXPECT_TRUE(icon.hasAlphaChannel());
  for (const QPoint corner : {QPoint(0, 0), QPoint(63, 0), QPoint(0, 63), QPoint(63, 63)}) {
    EXPECT_EQ(qAlpha(icon.pixel(corner)), 0);
  }
  const QRgb middle = icon.pixel(28, 28);
  EXPECT_EQ(qAlpha(middle), 255);
  // Rust: red above green above blue.
  EXPECT_GT(qRed(middle), qGreen(middle) + 40);
  EXPECT_GT(qGreen(middle), qBlue(middle));
  // Lit from the upper left: the lower right limb is darker.
  EXPECT_GT(qGray(icon.pixel(20, 20)), qGray(icon.pixel(48, 48)) + 30);
}

TEST(HelpPictures, ColouredAsTheProgramColoursItsMaps) {
  const demo::GlobalGrid grid = flatGrid(1500);
  const QImage picture = assets::helpPicture(grid, 5, 0);
  ASSERT_EQ(picture.size(), QSize(240, 120));
  // MOLA Multicolour, contoured: 1500 m is (255, 173, 0) everywhere.
  EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 173, 0));
  EXPECT_EQ(picture.pixel(239, 119), qRgb(255, 173, 0));
  const auto [highest, lowest] = assets::helpPictureRange(grid);
  EXPECT_EQ(highest, 1500);
  EXPECT_EQ(lowest, 1500);
  const BandLimits bands = buildBandLimits(highest, lowest);
  PixelColour expected;
  elevationColour(kUserColours, 1500, 1, bands, expected);
  EXPECT_EQ(assets::helpPicture(grid, kUserColours, 1, bands).pixel(100, 50),
            qRgb(expected.pixelRed, expected.pixelGreen, expected.pixelBlue));
}

}  // namespace
}  // namespace tarvelon

int main(int argc, char** argv) {
  // Text needs the Gui module's fonts, not a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
