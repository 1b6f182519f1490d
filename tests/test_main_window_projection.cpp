// Topography > Projection through the real main window on sparse tiles: the
// submenu and its check marks, polar caps drawn in polar stereographic and
// other areas left simple cylindrical (and the user told why), the globe,
// the readout and the location cross on a projected map, Save Map's
// projected CRS, and the choice kept in tarvelon-view.cfg.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/CursorReadout.h"
#include "app/MapImage.h"
#include "app/ProjectionChoice.h"
#include "core/MessageText.h"
#include "app/ScreenHost.h"
#include "render/Hillshade.h"
#include "render/MapPlan.h"
#include "select/CustomAreaPanel.h"
#include "select/PlaceFrame.h"
#include "select/PlaceNames.h"
#include "tests/MainWindowHarness.h"

using namespace tarvelon;
using namespace tarvelon::testing;
using Kind = ShownDialog::Kind;

namespace {

const QString kDeg = QString::fromUtf8("\xC2\xB0");
const QString kNorthNote = QString::fromUtf8(
    "North Polar Stereographic applies to areas north of 60\xC2\xB0N: this map is drawn in simple cylindrical "
    "projection.");
// The height every sample of tile 2 has from 70.5 N to 69.5 N.
constexpr int kCapHeight = 1234;

// The custom area panel's draw: the area's centre and its size.
void drawCustomArea(TMainForm& form, int longitude, int latitude, int width, int height) {
  CustomAreaPanel* panel = form.getArea();
  form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
  panel->longw()->setText(QString::number(longitude));
  panel->latn()->setText(QString::number(latitude));
  panel->longwid()->setText(QString::number(width));
  panel->lathgt()->setText(QString::number(height));
  panel->okbox()->click();
}

// An area wider than the panel takes (50 degrees), named as the panel's
// areas are, through the command the panel's Draw runs.
AreaDrawResult drawWideArea(TMainForm& form, int west, int north, int east, int south) {
  // Map Area opened: the area chooses its own step.
  form.openMenu(QStringLiteral("m_area"));
  form.state().mapTitle = kCustomAreaName;
  form.state().mapName = kCustomAreaName;
  return form.drawAreaMap(west, north, east, south);
}

// The frame the window draws the north polar cap 180 W .. 180 E, 90 .. 60 N
// in: pixels as wide as the ground the step the area renderer would choose
// spans.
ProjectedFrame northCapFrame() {
  const MapPlan plan = planArea(-180, 90, 180, 60, std::nullopt, true);
  return polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60},
                    plan.step * kMetresPerDegree / kSamplesPerDegree);
}

QStringList projectionCaptions(TMainForm& form) {
  QStringList captions;
  for (QAction* a : form.menu(QStringLiteral("m_projection"))->actions()) captions << a->text();
  return captions;
}

QStringList checkedProjections(TMainForm& form) {
  QStringList checked;
  for (QAction* a : form.menu(QStringLiteral("m_projection"))->actions()) {
    if (a->isChecked()) checked << a->objectName();
  }
  return checked;
}

// The projected frame of the map the readout follows, or nullptr.
const ProjectedFrame* shownProjection(const TMainForm& form) {
  const MapGeometry* geometry = form.readout()->shownMap().geometry();
  return geometry != nullptr ? geometry->projection() : nullptr;
}

// gdalinfo's report on a file (Debian gdal-bin, which scripts/setup.sh
// installs for the tests).
QString gdalinfo(const std::string& path) {
  QProcess gdal;
  gdal.start(QStringLiteral("gdalinfo"), {QString::fromStdString(path)});
  if (!gdal.waitForFinished(60000) || gdal.exitCode() != 0) return {};
  return QString::fromUtf8(gdal.readAllStandardOutput());
}

}  // namespace

class MainWindowProjectionTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  std::unique_ptr<StartedWindow> start() { return startWindow(data_->str()); }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    // Tile 2 (0 .. 90 E, 88 .. 44 N): 70.5 N .. 69.5 N at one height.
    for (int line = (88 - 70) * 128 - 64; line <= (88 - 70) * 128 + 64; ++line) {
      writeTileLine(data_->tileFile(2), line, [](int) { return kCapHeight; });
    }
    // Tile 9 (90 W .. 0, 0 .. 44 S): its first half degree at -2000 m.
    for (int line = 0; line < 64; ++line) writeTileLine(data_->tileFile(9), line, [](int) { return -2000; });
    // ... then half a degree of no data but for one sample a line.
    for (int line = 64; line < 128; ++line) {
      writeTileLine(data_->tileFile(9), line, [](int column) { return column == 7000 ? 500 : -32768; });
    }
  }

  void theSubmenuEndsTopographyAndNoNumberedItemMoves() {
    auto s = start();
    TMainForm& form = *s->form;
    const QList<QAction*> topo = form.menu(QStringLiteral("m_topo"))->actions();
    QCOMPARE(topo.last(), form.menu(QStringLiteral("m_projection"))->menuAction());
    QCOMPARE(topo.last()->text(), QStringLiteral("Projection"));
    QCOMPARE(topo[topo.size() - 2], act(form, "m_names"));
    QCOMPARE(projectionCaptions(form), (QStringList{"Simple Cylindrical", "North Polar Stereographic",
                                                    "South Polar Stereographic", "Globe"}));
    for (QAction* a : form.menu(QStringLiteral("m_projection"))->actions()) {
      QVERIFY(a->isCheckable());
      // Not a numbered item: its name ends in no number.
      QCOMPARE(itemNumber(a), -1);
    }
    QCOMPARE(checkedProjections(form), QStringList{"m_projcyl"});
    QCOMPARE(form.projection(), ProjectionKind::Equirectangular);

    // Every numbered item is where it was: the groups run on unbroken, and
    // the last schemes and modes are those before the submenu.
    for (const MenuItemGroup& group : kMenuItemGroups) {
      for (int k = 0; k < group.count; ++k) {
        QAction* item = form.menuItem(group.base + k);
        QVERIFY(item != nullptr);
        QCOMPARE(item->objectName(), menuItemName(group, k));
      }
    }
    QCOMPARE(kMenuItemCount, 246);
    QCOMPARE(form.menuItem(28)->text(), QStringLiteral("Putative Northern Ocean (datum 3000 m)"));
    QCOMPARE(form.menuItem(33)->text(), QStringLiteral("Power 2 Enhanced"));
    QCOMPARE(form.menuItem(245)->objectName(), QStringLiteral("men014"));

    // The items are exclusive, whichever is chosen and however often.
    act(form, "m_projglobe")->trigger();
    QCOMPARE(checkedProjections(form), QStringList{"m_projglobe"});
    act(form, "m_projglobe")->trigger();
    QCOMPARE(checkedProjections(form), QStringList{"m_projglobe"});
    act(form, "m_projsouth")->trigger();
    QCOMPARE(checkedProjections(form), QStringList{"m_projsouth"});
    QCOMPARE(form.projection(), ProjectionKind::SouthPolar);
    QVERIFY(s->dialogs.shown.empty());  // no map: nothing to say
  }

  void aPolarCapIsDrawnInPolarStereographic() {
    auto s = start();
    TestMainForm& form = *s->form;
    s->addLocationMap();
    form.readout()->showPlaceNames(false);
    act(form, "m_projnorth")->trigger();
    QCOMPARE(drawWideArea(form, -180, 90, 180, 60), AreaDrawResult::Completed);

    const ProjectedFrame expected = northCapFrame();
    QVERIFY(form.shownFrame().has_value());
    QVERIFY(*form.shownFrame() == expected);
    const ProjectedFrame* shown = shownProjection(form);
    QVERIFY(shown != nullptr);
    QVERIFY(*shown == expected);
    QCOMPARE(form.dmap()->picture().size(), QSize(expected.width, expected.height));
    // A disc about the pole: as wide as it is high.
    QCOMPARE(expected.width, expected.height);
    QCOMPARE(form.state().mapTitle, std::string("User selection - North Polar Stereographic"));
    QVERIFY2(form.legendText().startsWith(QStringLiteral("User selection - North Polar Stereographic")),
             qPrintable(form.legendText()));
    QCOMPARE(form.state().areaNorth, 88);
    QCOMPARE(form.state().areaSouth, 60);
    // Only what the fitting of every area says: nothing about the projection.
    const QStringList told = s->dialogs.texts(Kind::Information);
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].startsWith(QStringLiteral("The elevation data reach from 88")), qPrintable(told[0]));

    // The middle of the map is the pole, where the tiles hold no sample.
    const QString pole = readoutAt(form, expected.width / 2, expected.height / 2);
    QVERIFY2(pole.startsWith(QStringLiteral("89.")), qPrintable(pole));
    QVERIFY2(pole.contains(QStringLiteral("no elevation data")), qPrintable(pole));
    const std::optional<GeoPoint> middle = expected.pointAt(expected.width / 2 + 0.5, expected.height / 2 + 0.5);
    // Within a pixel's diagonal of the pole.
    QVERIFY(middle && (90 - middle->latitude) * kMetresPerDegree < expected.pixelSize);
    // At 70 N, 45 E: the height of tile 2 there, in its colour.
    const auto at = expected.pixelOf(45, 70);
    QVERIFY(at.has_value());
    const int x = static_cast<int>(at->first);
    const int y = static_cast<int>(at->second);
    // The readout gives the point under the pixel's centre.
    const std::optional<GeoPoint> point = expected.pointAt(x + 0.5, y + 0.5);
    QVERIFY(point && std::abs(point->latitude - 70) < 0.3 && std::abs(point->longitude - 45) < 0.3);
    QCOMPARE(readoutAt(form, x, y),
             QString::fromStdString(positionText(point->latitude, point->longitude)) + QStringLiteral("   1 234 m"));
    QCOMPARE(form.dmap()->picture().pixel(x, y), colourOf(1, 1, kCapHeight));
    // The corners lie outside the cap.
    QCOMPARE(readoutAt(form, 0, 0), QString::fromLatin1(kReadoutOffMap));
    // They, and the pole beyond the tiles' 88 degrees, show no sample: blank.
    const QImage& picture = form.dmap()->picture();
    const QPoint middlePixel(expected.width / 2, expected.height / 2);
    for (const QPoint blank : {QPoint(0, 0), QPoint(expected.width - 1, 0), middlePixel}) {
      QCOMPARE(form.dmap()->mask()[std::size_t(blank.y()) * expected.width + blank.x()], std::uint8_t(0));
      QCOMPARE(picture.pixel(blank), qRgb(255, 255, 255));
    }

    // The location map marks the map's centre: the pole, on the top row.
    act(form, "ShowLocation1")->trigger();
    QVERIFY(s->location->locator()->cross().has_value());
    QCOMPARE(*s->location->locator()->cross(), (CrossPosition{239, 0}));
    QCOMPARE(s->location->title()->text(), QStringLiteral("User selection - North Polar Stereographic"));

    // Another resolution draws the cap again, finer, still projected.
    form.activateShortcut(QKeySequence(Qt::Key_F7));  // 25 %: step 4
    QCOMPARE(form.state().sampleStep, 4);
    QVERIFY(shownProjection(form) != nullptr);
    QCOMPARE(shownProjection(form)->pixelSize, 4 * kMetresPerDegree / kSamplesPerDegree);
    QCOMPARE(form.state().mapTitle, std::string("User selection - North Polar Stereographic"));
    QCOMPARE(s->dialogs.texts(Kind::Information).size(), 1);

    // Back to simple cylindrical: the same area as the area renderer draws
    // it, and the title without the projection.
    act(form, "m_projcyl")->trigger();
    QVERIFY(!form.shownFrame().has_value());
    QVERIFY(shownProjection(form) == nullptr);
    QCOMPARE(form.state().mapTitle, std::string("User selection"));
    const MapPlan simple = planArea(-180, 88, 180, 60, 4, true);
    QCOMPARE(form.dmap()->picture().size(), QSize(simple.width, simple.height));
    QVERIFY(!s->dialogs.unanswered);
  }

  void otherAreasStaySimpleCylindricalAndTheUserIsToldOnce() {
    // The same area drawn by a window that never chose a projection; a
    // line of no data in it carries the colours of the samples before.
    QImage plain;
    std::vector<std::uint8_t> plainMask;
    {
      auto s = start();
      drawCustomArea(*s->form, -30, 0, 20, 20);
      plain = s->form->dmap()->picture();
      plainMask = s->form->dmap()->mask();
      QVERIFY(!plain.isNull());
      QVERIFY(std::count(plainMask.begin(), plainMask.end(), 0) > 0);
    }
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_projnorth")->trigger();
    // After a projected map, whose pixels without a sample are blank.
    QCOMPARE(drawWideArea(form, -180, 90, 180, 60), AreaDrawResult::Completed);
    QVERIFY(form.shownFrame().has_value());
    s->dialogs.clear();
    drawCustomArea(form, -30, 0, 20, 20);
    QVERIFY(!form.shownFrame().has_value());
    QVERIFY(shownProjection(form) == nullptr);
    QVERIFY(form.dmap()->picture() == plain);
    QVERIFY(form.dmap()->mask() == plainMask);
    QCOMPARE(form.state().mapTitle, std::string("User selection"));
    QCOMPARE(s->dialogs.texts(Kind::Information), QStringList{kNorthNote});
    // Once: not for a redraw, nor for the next area.
    form.activateShortcut(QKeySequence(Qt::Key_F8));
    drawCustomArea(form, 105, 35, 10, 10);
    QCOMPARE(s->dialogs.texts(Kind::Information), QStringList{kNorthNote});
    // Chosen again it says so again, and the map, which it leaves as it is,
    // is not drawn again.
    const QImage shown = form.dmap()->picture();
    const int passes = form.eventCalls;
    act(form, "m_projnorth")->trigger();
    QCOMPARE(s->dialogs.texts(Kind::Information), (QStringList{kNorthNote, kNorthNote}));
    QCOMPARE(form.eventCalls, passes);
    QVERIFY(form.dmap()->picture() == shown);
    // Edges at 60 N itself are poleward enough; 59 N is not.
    drawCustomArea(form, 20, 70, 20, 20);
    QVERIFY(form.shownFrame().has_value());
    QCOMPARE(form.shownFrame()->projection.kind, ProjectionKind::NorthPolar);
    drawCustomArea(form, 20, 69, 20, 20);
    QVERIFY(!form.shownFrame().has_value());
    // South polar for a southern cap; the north's cap is not one.
    act(form, "m_projsouth")->trigger();
    QCOMPARE(drawWideArea(form, -180, -60, 180, -90), AreaDrawResult::Completed);
    QVERIFY(form.shownFrame().has_value());
    QCOMPARE(form.shownFrame()->projection.kind, ProjectionKind::SouthPolar);
    QCOMPARE(form.state().mapTitle, std::string("User selection - South Polar Stereographic"));
    QVERIFY(!s->dialogs.unanswered);
  }

  void aNamedPlaceNearThePoleIsDrawnProjectedAtItsOwnStep() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_projnorth")->trigger();
    const NamedPlace& korolev = *PlaceNames::builtIn().named("Korolev").at(0);
    QCOMPARE(form.drawPlaceMap(korolev.id), WindowDrawResult::Completed);
    const GridWindow window = form.state().gridWindow;
    QVERIFY(form.shownFrame().has_value());
    const ProjectedFrame& frame = *form.shownFrame();
    QCOMPARE(frame.projection.kind, ProjectionKind::NorthPolar);
    QCOMPARE(frame.pixelSize, window.step * kMetresPerDegree / kSamplesPerDegree);
    QCOMPARE(form.state().sampleStep, window.step);
    QVERIFY(form.menuItem(kResolutionItemBase + form.state().resolutionIndex)->isChecked());
    QCOMPARE(form.state().mapTitle, placeTitle(korolev) + " - North Polar Stereographic");
    // The crater is in the middle of its map.
    const std::optional<GeoPoint> centre = frame.centre();
    QVERIFY(centre.has_value());
    QVERIFY(std::abs(centre->latitude - korolev.latitude) < 0.5);
    QVERIFY(std::abs(centre->longitude - korolev.longitude) < 1.5);
    QVERIFY(s->dialogs.texts(Kind::Information).isEmpty());
  }

  void theGlobeIsCentredOnTheMapAndFitsTheView() {
    auto s = start();
    TestMainForm& form = *s->form;
    form.readout()->showPlaceNames(false);
    // A projection chosen during a draw is refused: the map being drawn
    // keeps its own, and so do the menu and the settings.
    form.eventCalls = 0;
    form.duringDraw = [&form](int call) {
      if (call == 2) act(form, "m_projglobe")->trigger();
    };
    act(form, "m_tile09")->trigger();  // 90 W .. 0, 0 .. 44 S
    form.duringDraw = nullptr;
    QVERIFY(form.eventCalls > 2);
    QCOMPARE(form.projection(), ProjectionKind::Equirectangular);
    QCOMPARE(checkedProjections(form), QStringList{"m_projcyl"});
    QVERIFY(!std::filesystem::exists(s->startDir.file("tarvelon-view.cfg")));
    QVERIFY(!form.shownFrame().has_value());
    const QSize tile = form.dmap()->picture().size();
    act(form, "m_projglobe")->trigger();
    QVERIFY(form.shownFrame().has_value());
    const ProjectedFrame& globe = *form.shownFrame();
    QCOMPARE(globe.projection.kind, ProjectionKind::Globe);
    QCOMPARE(globe.projection.centreLongitude, -45.0);
    QCOMPARE(globe.projection.centreLatitude, -22.0);
    const QSize view = form.findChild<QScrollArea*>(QStringLiteral("mapScroll"))->viewport()->size();
    const int size = globeSizeFor(view.width() - 6 - kPanelMargin, view.height() - kPanelMargin);
    QVERIFY(size >= kSmallestGlobe);
    QCOMPARE(form.dmap()->picture().size(), QSize(size, size));
    QVERIFY(form.dmap()->picture().size() != tile);
    QCOMPARE(form.state().mapTitle, "Tile: " + s->form->state().tileNames[9] + " - Globe");
    // The middle of the globe is the middle of the tile; past the rim is off it.
    const QString middle = readoutAt(form, size / 2, size / 2);
    QVERIFY2(middle.startsWith(QStringLiteral("2")) && middle.contains(QStringLiteral("S  4")), qPrintable(middle));
    QCOMPARE(readoutAt(form, 1, 1), QString::fromLatin1(kReadoutOffMap));
    // 0.2 S, 45 W: the first half degree of tile 9.
    const auto first = globe.pixelOf(-45, -0.2);
    QVERIFY(first.has_value());
    const QString top = readoutAt(form, int(first->first), int(first->second));
    QVERIFY2(top.endsWith(QStringLiteral("W   -2 000 m")), qPrintable(top));
    QVERIFY(s->dialogs.texts(Kind::Information).isEmpty());
  }

  void theChoiceIsRememberedAcrossARestart() {
    ScratchDir startDir;
    writeSettingsFile(startDir, data_->str());
    const std::string view = startDir.file("tarvelon-view.cfg");
    {
      FakeDialogs dialogs;
      TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
      act(form, "m_projglobe")->trigger();
      QCOMPARE(readText(view), std::string("reliefShading=0\r\nprojection=globe\r\n"));
      act(form, "m_relief")->trigger();
      QCOMPARE(readText(view), std::string("reliefShading=1\r\nprojection=globe\r\n"));
    }
    {
      FakeDialogs dialogs;
      TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
      QCOMPARE(form.projection(), ProjectionKind::Globe);
      QCOMPARE(checkedProjections(form), QStringList{"m_projglobe"});
      // The first map is drawn in it.
      act(form, "m_tile00")->trigger();
      QVERIFY(form.shownFrame().has_value());
      QCOMPARE(form.shownFrame()->projection.kind, ProjectionKind::Globe);
      // Simple cylindrical writes the file as it was before projections.
      act(form, "m_projcyl")->trigger();
      QCOMPARE(readText(view), std::string("reliefShading=1\r\n"));
      QVERIFY(!form.shownFrame().has_value());
    }
    // A word from elsewhere is simple cylindrical.
    writeText(view, "reliefShading=0\r\nprojection=mercator\r\n");
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QCOMPARE(form.projection(), ProjectionKind::Equirectangular);
    QCOMPARE(checkedProjections(form), QStringList{"m_projcyl"});
  }

  void saveMapWritesThePolarMapsProjection() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_projnorth")->trigger();
    QCOMPARE(drawWideArea(form, -180, 90, 180, 60), AreaDrawResult::Completed);
    const ProjectedFrame frame = northCapFrame();
    ScratchDir out;
    FakeDialogs& dialogs = s->dialogs;

    dialogs.saveAnswers.push_back(QString::fromStdString(out.file("cap.bmp")));
    act(form, "m_SaveMap")->trigger();
    QVERIFY(!dialogs.unanswered);
    QCOMPARE(dialogs.texts(Kind::Error), QStringList{});
    const std::string prj = readText(out.file("cap.prj"));
    QVERIFY2(prj.find("Polar_Stereographic") != std::string::npos, prj.c_str());
    QVERIFY2(prj.find("3396190") != std::string::npos, prj.c_str());
    // The world file in metres: the pixel size, and the centre of the
    // first pixel.
    const std::string world = readText(out.file("cap.bpw"));
    QVERIFY2(std::abs(std::stod(world) - frame.pixelSize) < 1e-6, world.c_str());
    const QString bmpInfo = gdalinfo(out.file("cap.bmp"));
    QVERIFY2(bmpInfo.contains(QStringLiteral("Polar_Stereographic")) ||
                 bmpInfo.contains(QStringLiteral("Polar Stereographic")),
             qPrintable(bmpInfo));
    QVERIFY2(bmpInfo.contains(QStringLiteral("Size is %1, %2").arg(frame.width).arg(frame.height)),
             qPrintable(bmpInfo));

    // A GeoTIFF carries the same CRS in its keys, with the map's origin.
    dialogs.saveAnswers.push_back(QString::fromStdString(out.file("cap.tif")));
    act(form, "m_SaveMap")->trigger();
    QVERIFY(!std::filesystem::exists(out.file("cap.tif.aux.xml")));
    const QString tifInfo = gdalinfo(out.file("cap.tif"));
    QVERIFY2(tifInfo.contains(QStringLiteral("Polar Stereographic")) ||
                 tifInfo.contains(QStringLiteral("Polar_Stereographic")),
             qPrintable(tifInfo));
    QVERIFY2(tifInfo.contains(QStringLiteral("Pixel Size = (%1,").arg(frame.pixelSize, 0, 'f', 15)),
             qPrintable(tifInfo));
    const double west = frame.west;
    QVERIFY2(tifInfo.contains(QStringLiteral("Origin = (%1,").arg(west, 0, 'f', 15)), qPrintable(tifInfo));

    // A simple cylindrical map after it is placed in degrees again.
    act(form, "m_projcyl")->trigger();
    dialogs.saveAnswers.push_back(QString::fromStdString(out.file("plain.png")));
    act(form, "m_SaveMap")->trigger();
    const std::string plainPrj = readText(out.file("plain.prj"));
    QVERIFY(plainPrj.find("Polar_Stereographic") == std::string::npos);
    QVERIFY(plainPrj.find("3396190") != std::string::npos);
  }
};

QTEST_MAIN(MainWindowProjectionTest)
#include "test_main_window_projection.moc"
