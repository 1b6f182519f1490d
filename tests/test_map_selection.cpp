// Choosing what to map, through the real main window: the feature
// submenus, the custom area panel, the location map window and "Find a
// Feature...".
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "app/MapImage.h"
#include "render/ColourFunction.h"
#include "select/CustomAreaPanel.h"
#include "select/FeatureFinder.h"
#include "select/LocMap.h"
#include "select/PlaceFrame.h"
#include "tests/MainWindowHarness.h"

using namespace tarvelon;
using namespace tarvelon::testing;
using Kind = ShownDialog::Kind;

namespace {

const QColor kNavy(0, 0, 128);

QStringList entriesOf(QMenu* menu) {
  QStringList list;
  for (QAction* a : menu->actions()) list << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return list;
}

// The finder's rows that are Map Area menu features, leaving out IAU names.
QStringList menuRows(const QStringList& listed) {
  QStringList rows;
  for (const QString& row : listed) {
    if (!row.startsWith(QStringLiteral("iau:"))) rows << row;
  }
  return rows;
}

}  // namespace

class MapSelectionTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  std::unique_ptr<StartedWindow> start() {
    auto s = startWindow(data_->str());
    s->addLocationMap();
    return s;
  }
  // Chooses a feature as the user does: the Map Area menu opens, then its
  // submenu, then the item is clicked.
  static void chooseFeature(TMainForm& form, const char* submenu, const char* item) {
    form.openMenu(QStringLiteral("m_area"));
    form.openMenu(QString::fromLatin1(submenu));
    act(form, item)->trigger();
  }
  static QStringList checkedFeatureItems(TMainForm& form) {
    QStringList checked;
    for (int i = 34; i < 246; ++i) {
      if (form.menuItem(i)->isChecked()) checked << form.menuItem(i)->objectName();
    }
    for (const char* name : {"m_plan", "mensaeplateaus1", "ChaoticTerrain1", "m_cter", "m_craters", "m_mountn",
                             "m_val", "Valleya1", "m_custom"}) {
      if (act(form, name)->isChecked()) checked << QString::fromLatin1(name);
    }
    return checked;
  }

 private slots:
  void initTestCase() { data_ = std::make_unique<DataFolder>(); }

  void theMapAreaMenuHoldsTheGazetteer() {
    auto s = start();
    TMainForm& form = *s->form;
    QCOMPARE(entriesOf(form.menu("m_area")),
             (QStringList{"Planitiae (plains)", "Mensae (plateaus)", "Chaotic Terrain", "Cratered Terrain",
                          "Individual Craters", "Mountains and Uplands", "Channels", "Valleys", "-",
                          "Custom Area\tCtrl+C", "-", "Map Location\tCtrl+L", "-", "Find a Feature...\tCtrl+F",
                          "Elevation Profile\tCtrl+P", "Explore Mars...\tCtrl+E"}));
    const std::pair<const char*, int> counts[] = {{"m_plan", 12},    {"mensaeplateaus1", 15}, {"ChaoticTerrain1", 15},
                                                  {"m_cter", 9},     {"m_craters", 55},       {"m_mountn", 34},
                                                  {"m_val", 26},     {"Valleya1", 46}};
    for (auto [name, count] : counts) {
      QMenu* submenu = form.menu(QString::fromLatin1(name));
      QCOMPARE(submenu->actions().size(), count);
      QVERIFY(submenu->menuAction()->isCheckable());
      for (QAction* item : submenu->actions()) {
        QVERIFY(item->isCheckable() && !item->isChecked());
        QVERIFY(item->shortcut().isEmpty());
      }
    }
    QCOMPARE(entriesOf(form.menu("Valleya1")).mid(5, 3),
             (QStringList{"Granicus Valles", "Dao and Niger Valles", "Drava Valles"}));
    QCOMPARE(form.menuItem(34)->text(), QStringLiteral("Acidalia"));
    QCOMPARE(form.menuItem(55 + 52)->text(), QStringLiteral("Gale"));
    QCOMPARE(form.menuItem(144 + 86)->objectName(), QStringLiteral("m_v086"));
    QCOMPARE(form.menuItem(245)->text(), QStringLiteral("Zephyria Mensae"));
    QCOMPARE(form.menuItem(245)->objectName(), QStringLiteral("men014"));
  }

  void aFeatureIsDrawnNamedAndMarked() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    chooseFeature(form, "m_craters", "m_c052");  // Gale
    QVERIFY(s->dialogs.shown.empty());
    QCOMPARE(form.state().mapTitle, std::string("Gale (Individual Craters)"));
    QCOMPARE(form.state().mapName, std::string("Gale"));
    QCOMPARE(form.state().areaWest, 136);
    QCOMPARE(form.state().areaNorth, -3);
    QCOMPARE(form.state().areaEast, 140);
    QCOMPARE(form.state().areaSouth, -7);
    // 4 by 4 degrees: step 2, " 50  %".
    QCOMPARE(form.state().sampleStep, 2);
    QVERIFY(form.menuItem(16 + 6)->isChecked());
    QCOMPARE(form.dmap()->picture().size(), QSize(256, 256));
    QVERIFY(form.legendText().startsWith(QStringLiteral("Gale (Individual Craters) processed in ")));
    QCOMPARE(checkedFeatureItems(form), (QStringList{"m_c052", "m_craters"}));
    QVERIFY(!form.menuItem(0)->isChecked());  // the tile's mark went
    QVERIFY(act(form, "m_SaveMap")->isEnabled());

    // A mensa and a chaos region mark "Channels".
    chooseFeature(form, "mensaeplateaus1", "men013");
    QCOMPARE(form.state().mapTitle, std::string("Tempe Mensa (Plateaus)"));
    QCOMPARE(checkedFeatureItems(form), (QStringList{"men013", "m_val"}));
    chooseFeature(form, "ChaoticTerrain1", "m_v002");
    QCOMPARE(form.state().mapTitle, std::string("Aram Chaos (Channels and Valleys)"));
    QCOMPARE(checkedFeatureItems(form), (QStringList{"m_v002", "m_val"}));

    // Two items of one caption draw their own rectangles.
    chooseFeature(form, "m_mountn", "m_m010");
    QCOMPARE(form.state().areaEast, 152);
    chooseFeature(form, "m_mountn", "m_m031");
    QCOMPARE(form.state().areaEast, 153);
    QCOMPARE(form.state().mapName, std::string("Hectates Tholus"));
    QCOMPARE(checkedFeatureItems(form), (QStringList{"m_m031", "m_mountn"}));

    // The same feature again is drawn again; Arcadia crosses 180 degrees.
    form.eventCalls = 0;
    chooseFeature(form, "m_mountn", "m_m031");
    QVERIFY(form.eventCalls > 1);
    chooseFeature(form, "m_plan", "m_p002");
    QCOMPARE(form.state().areaEast, 220);
    QCOMPARE(form.state().sampleStep, 10);
    QCOMPARE(form.dmap()->picture().size(), QSize(767, 435));
    QVERIFY(s->dialogs.shown.empty());
  }

  void aSchemeChosenDuringAFeatureDrawHasItDrawnWhole() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();  // the Topography menu opens to the first map
    form.eventCalls = 0;
    form.duringDraw = [&](int call) {
      if (call == 3) act(form, "m_setcol005")->trigger();
    };
    chooseFeature(form, "m_craters", "m_c052");
    QCOMPARE(form.eventCalls, 2 * (1 + 256));  // two draws of 256 rows
    PixelColour pixel;
    elevationColour(5, 0, 1, BandLimits{}, pixel);
    const QRgb expected = qRgb(pixel.pixelRed, pixel.pixelGreen, pixel.pixelBlue);
    QCOMPARE(form.dmap()->picture().pixel(0, 0), expected);
    QCOMPARE(form.dmap()->picture().pixel(255, 255), expected);
    QCOMPARE(checkedFeatureItems(form), (QStringList{"m_c052", "m_craters"}));
  }

  void aColourOrResolutionChangeRedrawsTheMapOnScreen() {
    auto s = start();
    TestMainForm& form = *s->form;
    FakeDialogs& dialogs = s->dialogs;
    chooseFeature(form, "m_craters", "m_c052");  // Gale: an area known from before
    act(form, "m_tile00")->trigger();
    const QString tileDrawn = QStringLiteral("Tile: megt88n180hb.img processed in ");

    // Map Area opened and closed, Map Location, Custom Area: the tile stays
    // the map a scheme, mode or resolution change redraws, under its title.
    form.openMenu("m_area");
    QVERIFY(form.menuItem(16)->isChecked());  // the mark stays on the tile's 5 %
    act(form, "m_setcol000")->trigger();
    QCOMPARE(form.dmap()->picture().size(), QSize(480, 235));
    QVERIFY(form.legendText().startsWith(tileDrawn));
    QCOMPARE(form.state().drawnScheme, 0);
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    form.activateShortcut(QKeySequence(Qt::Key_F9));  // 100 % stays closed to a tile
    QCOMPARE(form.state().drawnResolution, 0);
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(form.dmap()->picture().size(), QSize(1152, 563));
    QVERIFY(form.legendText().startsWith(tileDrawn));
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F10));
    QCOMPARE(form.eventCalls, 564);
    QCOMPARE(form.state().drawnMode, 0);
    QVERIFY(form.legendText().startsWith(tileDrawn));
    QCOMPARE(form.state().mapKind, 1);
    QCOMPARE(form.state().areaWest, 136);  // Gale's rectangle, not drawn again
    // Save Map offers the tile's own name, not the feature's before it.
    dialogs.saveAnswers.push_back(QString());
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.lastSave.fileName, QStringLiteral("megt88n180hb.bmp"));

    // The panel's area, drawn after those redraws, still chooses its own
    // step: 4 by 4 degrees at 50 %.
    CustomAreaPanel* panel = form.getArea();
    QVERIFY(!panel->isHidden());
    panel->longw()->setText(QStringLiteral("137"));
    panel->latn()->setText(QStringLiteral("-5"));
    panel->longwid()->setText(QStringLiteral("4"));
    panel->lathgt()->setText(QStringLiteral("4"));
    panel->okbox()->click();
    QCOMPARE(form.state().mapKind, 0);
    QCOMPARE(form.state().sampleStep, 2);
    QCOMPARE(form.dmap()->picture().size(), QSize(256, 256));
    dialogs.saveAnswers.push_back(QString());
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.lastSave.fileName, QStringLiteral("User selection.bmp"));

    // An area map with Map Area opened: the resolution chosen is the one
    // drawn, and the next feature again chooses its own.
    form.openMenu("m_area");
    form.activateShortcut(QKeySequence(Qt::Key_F7));
    QCOMPARE(form.state().sampleStep, 4);
    QCOMPARE(form.dmap()->picture().size(), QSize(128, 128));
    QVERIFY(form.legendText().startsWith(QStringLiteral("User selection processed in ")));
    QCOMPARE(form.state().autoResolution, 1);
    chooseFeature(form, "m_craters", "m_c052");
    QCOMPARE(form.state().sampleStep, 2);
    QVERIFY(dialogs.texts(Kind::Information).isEmpty());
  }

  void theCustomAreaPanelChecksWhatIsTyped() {
    auto s = start();
    TestMainForm& form = *s->form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    CustomAreaPanel* panel = form.getArea();
    QVERIFY(panel->isHidden());
    QCOMPARE(panel->entry().halfWidth, 2);
    QCOMPARE(panel->entry().halfHeight, 2);
    act(form, "m_tile00")->trigger();

    // Ctrl+C opens the Map Area menu's command first.
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(panel->isVisible());
    QCOMPARE(form.state().mapKind, 1);  // the tile stays the map on screen until the area is drawn
    QCOMPARE(form.state().autoResolution, 1);
    QCOMPARE(panel->geometry(), QRect(0, 0, 258, 200));
    QCOMPARE(panel->mapTo(&form, QPoint(0, 0)), form.centralWidget()->mapTo(&form, QPoint(0, 0)));
    QCOMPARE(panel->longw()->geometry(), QRect(211, 46, 35, 17));
    QCOMPARE(panel->lathgt()->geometry(), QRect(211, 126, 35, 17));
    QCOMPARE(panel->okbox()->geometry(), QRect(64, 164, 64, 26));
    QTRY_VERIFY(panel->longw()->hasFocus());
    // Keyboard order: Draw, the four edits, Quit.
    QWidget* chain[] = {panel->okbox(), panel->longw(), panel->latn(), panel->longwid(), panel->lathgt(),
                        panel->button1()};
    for (int i = 0; i + 1 < 6; ++i) QCOMPARE(chain[i]->nextInFocusChain(), chain[i + 1]);

    // Typed key by key: 200 is refused when its last digit comes.
    QTest::keyClicks(panel->longw(), "200");
    QCOMPARE(s->dialogs.texts(Kind::Information),
             QStringList{QString::fromUtf8("INVALID ENTRY\nLongitude span must lie between -180° and +180°.")});
    QCOMPARE(panel->longw()->text(), QString());
    s->dialogs.clear();
    // Latitude 200 and then height 5: one message, and the height stays.
    QTest::keyClicks(panel->latn(), "200");
    QTest::keyClicks(panel->lathgt(), "5");
    QCOMPARE(s->dialogs.texts(Kind::Information),
             QStringList{QString::fromUtf8("INVALID ENTRY\nLatitude value must lie between +85° and -85°.")});
    QCOMPARE(panel->lathgt()->text(), QStringLiteral("5"));
    // Width 60, then 0: refused, and Draw says why it draws nothing, in the
    // range the panel itself gives.
    s->dialogs.clear();
    QTest::keyClicks(panel->longw(), "-120");
    QTest::keyClicks(panel->latn(), "80");
    QTest::keyClicks(panel->longwid(), "60");
    const QString widthRange = QString::fromUtf8("INVALID ENTRY\nMap Width must lie between 1° and 50°.");
    QCOMPARE(s->dialogs.texts(Kind::Information), QStringList{widthRange});
    QTest::keyClicks(panel->longwid(), "0");
    form.eventCalls = 0;
    QTest::keyClick(panel->longwid(), Qt::Key_Return);
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(panel->isVisible());
    QCOMPARE(s->dialogs.texts(Kind::Information), (QStringList{widthRange, widthRange}));
    for (const char* label : {"Label7", "Label8"}) {
      const QString text = panel->findChild<QLabel*>(QString::fromLatin1(label))->text();
      QVERIFY(text.endsWith(QString::fromUtf8("(1° to 50°)")));
    }

    // Height 30 at latitude 80 is cut back to 16.
    s->dialogs.clear();
    panel->longwid()->clear();
    QTest::keyClicks(panel->longwid(), "9");
    panel->lathgt()->clear();
    QTest::keyClicks(panel->lathgt(), "30");
    QCOMPARE(s->dialogs.texts(Kind::Information),
             QStringList{QString::fromUtf8("Maximum height for a map centred on 80 is 16°")});
    QCOMPARE(panel->lathgt()->text(), QStringLiteral("16"));

    // Not an integer at Draw: the general error report; the panel stays.
    s->dialogs.clear();
    panel->latn()->setText(QStringLiteral("8x"));
    panel->okbox()->click();
    QCOMPARE(s->dialogs.texts(Kind::Error), QStringList{QStringLiteral("'8x' is not a valid integer value")});
    QVERIFY(panel->isVisible());
    panel->latn()->setText(QStringLiteral("80"));

    // Enter draws: 10 wide (9 rounded up), 16 high, 88 to 72 north.
    s->dialogs.clear();
    QTest::keyClick(panel->lathgt(), Qt::Key_Enter);
    QVERIFY(s->dialogs.shown.empty());
    QVERIFY(panel->isHidden());
    QCOMPARE(form.state().areaWest, -125);
    QCOMPARE(form.state().areaNorth, 88);
    QCOMPARE(form.state().areaEast, -115);
    QCOMPARE(form.state().areaSouth, 72);
    QCOMPARE(form.state().mapTitle, std::string("User selection"));
    QCOMPARE(form.state().mapName, std::string("User selection"));
    QCOMPARE(checkedFeatureItems(form), QStringList{"m_custom"});
    QVERIFY(form.legendText().startsWith(QStringLiteral("User selection processed in ")));
    // Typing afterwards does not touch the current area.
    form.openMenu("m_area");
    act(form, "m_custom")->trigger();
    QTest::keyClicks(panel->longw(), "5");
    QCOMPARE(form.state().areaWest, -125);
    panel->button1()->click();
    QVERIFY(panel->isHidden());

    // The next feature clears the custom area's mark.
    chooseFeature(form, "m_craters", "m_c052");
    QCOMPARE(checkedFeatureItems(form), (QStringList{"m_c052", "m_craters"}));
  }

  void theLocationMapMarksTheMapOnScreen() {
    auto s = start();
    TestMainForm& form = *s->form;
    TLocationMap& location = *s->location;
    QAction* item = act(form, "ShowLocation1");
    QCOMPARE(location.windowTitle(), QStringLiteral("LocationMap"));
    QCOMPARE(location.size(), QSize(509, 294));
    QCOMPARE(location.locator()->geometry(), QRect(9, 33, 480, 240));
    QVERIFY(location.windowFlags() & Qt::WindowStaysOnTopHint);

    // Before any map: the clean picture, no title, no cross.
    QVERIFY(form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L"))));
    QVERIFY(location.isVisible());
    QVERIFY(item->isChecked());
    QCOMPARE(form.state().locationShown, 1);
    QCOMPARE(location.title()->text(), QString());
    QVERIFY(!location.locator()->cross());
    QCOMPARE(form.state().mapKind, 0);  // area mode, as the menu's own command sets
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QVERIFY(location.isHidden());
    QVERIFY(!item->isChecked());
    QCOMPARE(form.state().locationShown, 0);

    // A tile map: the tile's own box.
    act(form, "m_tile00")->trigger();
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(location.title()->text(), QStringLiteral("Tile: megt88n180hb.img"));
    QCOMPARE(location.locator()->cross(), (CrossPosition{60, 32}));

    // Opening "Chaotic Terrain" or "Valleys" leaves it open, the other six
    // submenus close it.
    form.openMenu("m_area");
    form.openMenu("ChaoticTerrain1");
    form.openMenu("Valleya1");
    QVERIFY(location.isVisible());
    form.openMenu("m_mountn");
    QVERIFY(location.isHidden());
    QCOMPARE(form.state().locationShown, 0);
    QVERIFY(!item->isChecked());
    act(form, "m_m011")->trigger();  // Olympus Mons

    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(location.title()->text(), QStringLiteral("Olympus Mons (Mountains and Uplands)"));
    QCOMPARE(location.locator()->cross(), (CrossPosition{60, 98}));
    const QImage shown = location.locator()->rendered();
    const QImage clean = location.locator()->picture().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixelColor(60, 98), kNavy);
    QCOMPARE(shown.pixelColor(55, 93), kNavy);
    QCOMPARE(shown.pixelColor(64, 102), kNavy);
    QCOMPARE(shown.pixelColor(55, 103), kNavy);
    QCOMPARE(shown.pixelColor(60, 90), clean.pixelColor(60, 90));
    int changed = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 480; ++x) changed += shown.pixel(x, y) != clean.pixel(x, y) ? 1 : 0;
    }
    QVERIFY2(changed >= 40 && changed <= 70, qPrintable(QString::number(changed)));

    // Its own close box: the menu follows, the next command shows it again.
    location.close();
    QVERIFY(location.isHidden());
    QVERIFY(!item->isChecked());
    QCOMPARE(form.state().locationShown, 0);
    QVERIFY(!location.locator()->cross());
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QVERIFY(location.isVisible());
    QCOMPARE(location.locator()->cross(), (CrossPosition{60, 98}));
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));

    // An area centred on (0, 0) has its cross; Arcadia's stays on the picture.
    form.openMenu("m_area");
    QCOMPARE(form.drawAreaMap(-10, 10, 10, -10), AreaDrawResult::Completed);
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(location.locator()->cross(), (CrossPosition{239, 120}));
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    chooseFeature(form, "m_plan", "m_p002");
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(location.locator()->cross(), (CrossPosition{13, 70}));
  }

  void activationKeepsAFreshCrossAndWipesAnOldOne() {
    auto s = start();
    TestMainForm& form = *s->form;
    TLocationMap& location = *s->location;
    form.show();
    form.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &form);
    chooseFeature(form, "m_plan", "m_p007");  // Hellas
    // The window is activated after the cross is drawn, by the window
    // system's events.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(location.locator()->cross(), (CrossPosition{332, 173}));
    QTRY_COMPARE(QApplication::activeWindow(), &location);
    QCOMPARE(location.locator()->cross(), (CrossPosition{332, 173}));
    // The user clicks the main window, then the location map again.
    form.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &form);
    QCOMPARE(location.locator()->cross(), (CrossPosition{332, 173}));
    location.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &location);
    QVERIFY(!location.locator()->cross());
    QCOMPARE(location.title()->text(), QStringLiteral("Hellas (Planitiae)"));
  }

  void theShippedPictureIsARealReliefWithTheTileGrid() {
    const QImage picture = locationMapPicture();
    QCOMPARE(picture.size(), QSize(480, 240));
    QCOMPARE(picture.format(), QImage::Format_Indexed8);
    QVERIFY(picture.colorCount() <= 256);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb grey = qRgb(66, 66, 66);
    for (int y = 0; y < 240; ++y) {
      QCOMPARE(picture.pixel(241, y), black);
      QCOMPARE(picture.pixel(121, y), y == 121 ? black : grey);
      QCOMPARE(picture.pixel(361, y), y == 121 ? black : grey);
    }
    for (int x = 0; x < 480; ++x) {
      QCOMPARE(picture.pixel(x, 121), black);
      QCOMPARE(picture.pixel(x, 61), x == 241 ? black : grey);
      QCOMPARE(picture.pixel(x, 181), x == 241 ? black : grey);
    }
    // Real Mars: Hellas's floor and the northern plains are low (blue),
    // the southern highlands high (red).
    auto at = [&](double longitude, double latitude) {
      return picture.pixelColor(int((longitude + 180) * 4 / 3), int((90 - latitude) * 4 / 3));
    };
    QVERIFY(at(70, -42).blue() > at(70, -42).red());
    QVERIFY(at(30, 65).blue() > at(30, 65).red());
    QVERIFY(at(20, -30).red() > at(20, -30).blue() + 100);
    QSet<QRgb> colours;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 480; ++x) colours.insert(picture.pixel(x, y));
    }
    QVERIFY(colours.size() > 200);
  }

  void findAFeatureByName() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    QVERIFY(form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+F"))));
    FeatureFinder* finder = form.featureFinder();
    QVERIFY(finder != nullptr && finder->isVisible());
    QCOMPARE(finder->listed().size(), 212 + 1903);

    QTest::keyClicks(finder->nameEdit(), "eos");
    QCOMPARE(menuRows(finder->listed()), (QStringList{"m_v080", "m_v011"}));
    finder->nameEdit()->clear();
    QTest::keyClicks(finder->nameEdit(), "olympus");
    QCOMPARE(menuRows(finder->listed()), (QStringList{"m_m011", "m_m012", "m_m013"}));
    // A misspelling still finds it.
    finder->nameEdit()->setText(QStringLiteral("olympis mons"));
    QVERIFY(finder->listed().contains(QStringLiteral("m_m011")));

    // The arrow picks the second match; Enter draws it as its menu item would.
    finder->nameEdit()->setText(QStringLiteral("olympus"));
    QTest::keyClick(finder->nameEdit(), Qt::Key_Down);
    QTest::keyClick(finder->nameEdit(), Qt::Key_Return);
    QVERIFY(finder->isHidden());
    QCOMPARE(form.state().mapKind, 0);
    QCOMPARE(form.state().mapTitle, std::string("Olympus Mons Summit (Mountains and Uplands)"));
    QCOMPARE(form.state().areaWest, -140);
    QCOMPARE(checkedFeatureItems(form), (QStringList{"m_m012", "m_mountn"}));
    QVERIFY(!form.menuItem(0)->isChecked());

    // Nothing listed: Enter does nothing.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    finder->nameEdit()->setText(QStringLiteral("qqqqqqqqqqqq"));
    QVERIFY(finder->listed().isEmpty());
    form.eventCalls = 0;
    QTest::keyClick(finder->nameEdit(), Qt::Key_Return);
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(finder->isVisible());
    QVERIFY(s->dialogs.shown.empty());
  }

  void aNamedPlaceIsDrawnInItsFrameAndRedrawnAtAnyResolution() {
    auto s = start();
    TestMainForm& form = *s->form;
    chooseFeature(form, "m_craters", "m_c052");  // the menu's Gale, an area
    const GridWindow gale = placeWindow(*PlaceNames::builtIn().byId(2071));
    QCOMPARE(form.drawPlaceMap(2071), WindowDrawResult::Completed);
    QVERIFY(s->dialogs.shown.empty());
    QCOMPARE(form.state().mapKind, 2);
    QCOMPARE(form.state().mapTitle, std::string("Gale (crater, 154 km)"));
    QCOMPARE(form.state().mapName, std::string("Gale"));
    QCOMPARE(form.dmap()->picture().size(), QSize(gale.width, gale.height));
    QVERIFY(form.legendText().startsWith(QStringLiteral("Gale (crater, 154 km) processed in ")));
    QVERIFY(form.menuItem(16 + 7)->isChecked());  // 100 %
    QVERIFY(checkedFeatureItems(form).isEmpty());
    QVERIFY(act(form, "m_SaveMap")->isEnabled());
    // The readout knows where the middle pixel lies: Gale's centre.
    const QString middle = readoutAt(form, gale.width / 2, gale.height / 2);
    QVERIFY2(middle.startsWith(QStringLiteral("5.37\u00B0S  137.81\u00B0E")), qPrintable(middle));

    // A scheme redraws the same frame; a resolution frames it again at its step.
    form.openMenu(QStringLiteral("m_topo"));
    act(form, "m_setcol003")->trigger();
    QCOMPARE(form.state().mapKind, 2);
    QCOMPARE(form.dmap()->picture().size(), QSize(gale.width, gale.height));
    form.openMenu(QStringLiteral("m_size"));
    QVERIFY(form.menuItem(16 + 6)->isEnabled());
    form.menuItem(16 + 6)->trigger();  // 50 %
    const GridWindow half = placeWindow(*PlaceNames::builtIn().byId(2071), 2);
    QCOMPARE(form.state().gridWindow, half);
    QCOMPARE(form.dmap()->picture().size(), QSize(half.width, half.height));
    QVERIFY(form.menuItem(16 + 6)->isChecked());

    // An unknown id draws nothing, and the map stays what it was.
    QCOMPARE(form.drawPlaceMap(-5), WindowDrawResult::Refused);
    QCOMPARE(form.state().mapTitle, std::string("Gale (crater, 154 km)"));
    // A menu feature after it is an area map again.
    chooseFeature(form, "m_craters", "m_c052");
    QCOMPARE(form.state().mapKind, 0);
    QCOMPARE(form.dmap()->picture().size(), QSize(256, 256));
  }
};

QTEST_MAIN(MapSelectionTest)
#include "test_map_selection.moc"
