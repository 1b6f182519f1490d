// Topography > "Feature Names" over a projected map: the layer places the
// names from whatever geometry the map on screen has, and places them again
// for a map in another projection over the same extent.
#include <QImage>
#include <QtTest>

#include "app/MapImage.h"
#include "app/MapLabels.h"
#include "export/LabelPicture.h"
#include "render/Projection.h"

using namespace tarvelon;

namespace {

// The sprites' places, to compare two overlays.
std::vector<std::array<int, 4>> placesOf(const LabelOverlay& labels) {
  std::vector<std::array<int, 4>> places;
  for (const LabelSprite& s : labels.sprites()) places.push_back({s.x, s.y, s.width, s.height});
  return places;
}

}  // namespace

class MapLabelsTest : public QObject {
  Q_OBJECT

 private slots:
  void aProjectedMapIsNamedByItsProjection() {
    // The caps north of 60 N and south of 60 S have the same extent in
    // metres, so the same georeference: only the projection tells them apart.
    const ProjectedFrame north = polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 6000);
    const ProjectedFrame south = polarFrame(ProjectionKind::SouthPolar, GeoBounds{-180, 180, -60, -90}, 6000);
    QCOMPARE(north.transform(), south.transform());
    QCOMPARE(north.width, south.width);
    MapGeometry shown = MapGeometry::ofProjection(north);

    MapImage image;
    QImage picture(north.width, north.height, QImage::Format_RGB32);
    picture.fill(qRgb(120, 140, 160));
    image.showImage(picture);
    MapLabels layer(image, [&shown] { return &shown; });
    QCOMPARE(layer.shownLabelCount(), 0);  // off: nothing placed
    layer.setNamesShown(true);
    const int northCount = layer.shownLabelCount();
    QVERIFY(northCount > 5);
    QVERIFY(placesOf(layer.labelsFor(&shown)) == placesOf(nameLabelOverlay(shown)));

    // Another projection over the same extent: placed again, for the south.
    shown = MapGeometry::ofProjection(south);
    const auto southPlaces = placesOf(layer.labelsFor(&shown));
    QVERIFY(!southPlaces.empty());
    QVERIFY(southPlaces == placesOf(nameLabelOverlay(shown)));
    QVERIFY(southPlaces != placesOf(nameLabelOverlay(MapGeometry::ofProjection(north))));

    // The picture saved with the names carries them.
    std::vector<std::uint8_t> mask;
    const QImage named = layer.labelled(picture, mask, &shown);
    QCOMPARE(named.size(), picture.size());
    QVERIFY(named.convertToFormat(QImage::Format_RGB32) != picture);
  }
};

QTEST_MAIN(MapLabelsTest)
#include "test_map_labels.moc"
