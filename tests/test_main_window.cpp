// The main window through its own menus and shortcuts: start-up and the
// folder panel, the menu tree, choosing tiles and resolutions, stopping and
// background drawing, Save Map and Exit.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <filesystem>
#include <sys/stat.h>

#include "app/FolderPanel.h"
#include "app/MapImage.h"
#include "render/ColourFunction.h"
#include "select/CustomAreaPanel.h"
#include "tests/MainWindowHarness.h"

using namespace tarvelon;
using namespace tarvelon::testing;
using Kind = ShownDialog::Kind;

namespace {

QRgb expectedColour(int scheme, int mode, int elevation) { return colourOf(scheme, mode, elevation); }

QRgb pixelAt(const TMainForm& form, int x, int y) { return form.dmap()->picture().pixel(x, y); }

const QString kFirstRunText = QStringLiteral(
    "You must now define the default Folder\nwhere Tarvelon can\nlocate the 16 MOLA MEGDR128 files that\n"
    "it requires to create maps of Mars.");

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  // A main window started in a fresh folder with a settings file naming the
  // data folder.
  std::unique_ptr<StartedWindow> startWithSettings(int scheme = 1, int mode = 1) {
    return startWindow(data_->str(), scheme, mode);
  }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    // Tile 0: line 0 at 1000 m, line 24 at -3000 m, the rest at 0 m.
    writeTileLine(data_->tileFile(0), 0, [](int) { return 1000; });
    writeTileLine(data_->tileFile(0), 24, [](int) { return -3000; });
  }

  void firstRunWalksThroughEveryConfirmMessage() {
    ScratchDir startDir;
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QCOMPARE(form.windowTitle(), QStringLiteral("Tarvelon - version 0.57"));
    QCOMPARE(dialogs.texts(Kind::Information), QStringList{kFirstRunText});
    QVERIFY(!form.startUpEnded());
    FolderPanel* panel = form.findloc();
    QVERIFY(panel != nullptr && !panel->isHidden());
    QCOMPARE(panel->geometry(), QRect(6, 0, 247, 425));
    QVERIFY(form.menuItem(25)->isChecked());  // "Blue/Green/Brown (pale)"
    QVERIFY(form.menuItem(31)->isChecked());  // "Blended Shading"
    QVERIFY(!form.menu("m_load")->menuAction()->isEnabled());
    QVERIFY(!form.menu("m_size")->menuAction()->isEnabled());
    // Nor can an area be drawn before a data folder is in use: the Map Area
    // items that draw are off, and so are their shortcuts.
    const QStringList drawingAreaItems{"m_plan",    "mensaeplateaus1", "ChaoticTerrain1", "m_cter", "m_craters",
                                       "m_mountn", "m_val",            "Valleya1",        "m_custom", "m_find"};
    auto areaItemsEnabled = [&] {
      QList<bool> enabled;
      for (const QString& name : drawingAreaItems) {
        QMenu* submenu = form.menu(name);
        enabled << (submenu != nullptr ? submenu->menuAction() : form.action(name))->isEnabled();
      }
      return enabled;
    };
    QCOMPARE(areaItemsEnabled(), QList<bool>(drawingAreaItems.size(), false));
    QVERIFY(form.action("ShowLocation1")->isEnabled());
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    QVERIFY(form.featureFinder() == nullptr);
    QVERIFY(form.getArea()->isHidden());
    QCOMPARE(form.drawAreaMap(136, -3, 140, -7), AreaDrawResult::Refused);
    QCOMPARE(form.eventCalls, 0);
    QCOMPARE(form.legendText(), QString());
    QCOMPARE(dialogs.shown.size(), size_t(1));
    dialogs.clear();

    // Confirm before any folder was clicked.
    panel->confirm();
    QCOMPARE(dialogs.texts(Kind::Message),
             QStringList{QStringLiteral("Please click the folder that holds the 16 MEGDR128 files first.")});

    ScratchDir empty, fifteen, capitals, seventeen;
    const auto names = publishedTileNames();
    for (int i = 0; i < 15; ++i) makeSparseFile(fifteen.file(names[i]), 10);
    for (const auto& name : names) {
      std::string upper = name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      makeSparseFile(capitals.file(upper), 10);
    }
    makePublishedTiles(seventeen.str(), 10);
    makeSparseFile(seventeen.file("megt99n999hb.img"), 10);

    dialogs.clear();
    for (const ScratchDir* folder : {&empty, &fifteen}) {
      panel->chooseFolder(QString::fromStdString(folder->str()));
      panel->confirm();
    }
    // The missing tile is named on a line of its own.
    QCOMPARE(dialogs.texts(Kind::Message),
             (QStringList{QStringLiteral("Empty Folder!"),
                          QStringLiteral("1 of the 16 required DEM Files are missing!\n"
                                         "Missing: megt88n270hb.img (tile 2).")}));
    panel->chooseFolder(QString::fromStdString(capitals.str()));
    QCOMPARE(form.megdrList().size(), 16);
    panel->confirm();
    QCOMPARE(dialogs.texts(Kind::Information),
             QStringList{QStringLiteral("The folder selected does not contain MOLA DEM files\n\nPlease try again.")});
    QVERIFY(!QFile::exists(form.settingsFile()));
    QVERIFY(!panel->isHidden());

    dialogs.clear();
    panel->chooseFolder(QString::fromStdString(seventeen.str()));
    panel->confirm();
    QCOMPARE(dialogs.texts(Kind::Message),
             QStringList{QStringLiteral(
                 "Congratulations\n\nYou have successfully initialised\nyour MEGDR128 Data Folder.")});
    // The seventeenth name takes no tile's place, and the user hears of it.
    QCOMPARE(dialogs.shown.size(), size_t(2));
    QCOMPARE(dialogs.texts(Kind::Information),
             QStringList{QString::fromStdString("In the data folder \"" + seventeen.str() +
                                                "\":\nIgnored, not one of the sixteen MEGDR128 tile names: "
                                                "\"megt99n999hb.img\".")});
    QCOMPARE(readText(form.settingsFile().toStdString()), seventeen.str() + "\r\n1\r\n1\r\n");
    QVERIFY(panel->isHidden());
    QVERIFY(form.dataFolderReady());
    QCOMPARE(areaItemsEnabled(), QList<bool>(drawingAreaItems.size(), true));
    QCOMPARE(form.state().tileNames[0], names[14]);
    QCOMPARE(form.state().tileNames[10], names[0]);
    QCOMPARE(form.dmap2()->size(), QSize(496, 241));
    QVERIFY(form.menu("m_load")->menuAction()->isEnabled());
    QVERIFY(!form.menu("m_size")->menuAction()->isEnabled());
    QVERIFY(!form.menu("m_topo")->menuAction()->isEnabled());
    QVERIFY(!act(form, "m_define")->isEnabled());
    QVERIFY(!act(form, "m_SaveMap")->isEnabled());
  }

  void aFolderConfirmedWhereNoSettingsCanBeWrittenIsUsedForTheRun() {
    ScratchDir startDir;
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    dialogs.clear();
    form.findloc()->chooseFolder(QString::fromStdString(data_->str()));
    // The file size limit stands in for a folder that cannot be written.
    {
      FileSizeLimit tiny(5);
      form.findloc()->confirm();
    }
    QCOMPARE(dialogs.shown.size(), size_t(1));
    QCOMPARE(dialogs.shown[0].kind, Kind::Error);
    QVERIFY(dialogs.shown[0].text.startsWith(QStringLiteral("Tarvelon could not save its settings")));
    QVERIFY(!QFile::exists(form.settingsFile()));
    QVERIFY(form.findloc()->isHidden());
    QVERIFY(form.dataFolderReady());
    act(form, "m_tile00")->trigger();
    QCOMPARE(form.dmap()->picture().size(), QSize(480, 235));
  }

  void startsFromTheSettingsFile() {
    auto s = startWithSettings(4, 2);
    TMainForm& form = *s->form;
    QVERIFY(s->dialogs.shown.empty());
    QVERIFY(form.findloc() == nullptr);
    QCOMPARE(form.state().demFolder, data_->str());
    QCOMPARE(form.state().colourScheme, 4);
    QCOMPARE(form.state().shadingMode, 2);
    for (int k = 0; k < 6; ++k) QCOMPARE(form.menuItem(24 + k)->isChecked(), k == 4);
    for (int k = 0; k < 4; ++k) QCOMPARE(form.menuItem(30 + k)->isChecked(), k == 2);
    QCOMPARE(form.dmap2()->geometry(), QRect(6, 0, 496, 241));
    QCOMPARE(form.dmap()->geometry(), QRect(6, 6, 120, 170));
    QCOMPARE(form.state().drawnScheme, -1);
    QCOMPARE(form.state().drawnResolution, -1);
  }

  void aMissingDataFolderEndsTheProgramAndForgetsIt() {
    ScratchDir startDir;
    writeSettingsFile(startDir, startDir.str() + "/gone");
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QVERIFY(form.startUpEnded());
    QCOMPARE(dialogs.texts(Kind::Error),
             QStringList{QStringLiteral("It appears that the location of the\nMOLA MEGDR128 files has changed\n(\"%1/gone\")\n\n"
                                        "Restart Tarvelon\nto redefine this folder")
                             .arg(QString::fromStdString(startDir.str()))});
    QCOMPARE(dialogs.shown.size(), size_t(1));
    QVERIFY(!std::filesystem::exists(startDir.file("megdr128.cfg")));
  }

  // A folder whose name is not UTF-8 is the folder it names, as on the
  // command line; when it is gone, the message shows its bytes.
  void aDataFolderNamedInAnotherEncodingIsUsed() {
    ScratchDir startDir;
    const std::string folder = startDir.str() + "/Mars-\xE9t\xE9";
    std::filesystem::create_directory(folder);
    makePublishedTiles(folder);
    writeSettingsFile(startDir, folder);
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QVERIFY(!form.startUpEnded());
    QCOMPARE(dialogs.texts(Kind::Error), QStringList{});
    QVERIFY(std::filesystem::exists(startDir.file("megdr128.cfg")));

    std::filesystem::remove_all(folder);
    FakeDialogs again;
    TestMainForm second(QString::fromStdString(startDir.str()), again);
    QVERIFY(second.startUpEnded());
    QVERIFY2(again.texts(Kind::Error).value(0).contains(QStringLiteral("/Mars-\\xe9t\\xe9\"")),
             qPrintable(again.texts(Kind::Error).value(0)));
  }

  void unusableSettingsOrLostTilesLeadBackToThePanel() {
    {
      ScratchDir startDir;
      writeText(startDir.file("megdr128.cfg"), data_->str() + "\r\nblue\r\n1\r\n");
      FakeDialogs dialogs;
      TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
      QVERIFY(!form.startUpEnded());
      QCOMPARE(dialogs.shown.size(), size_t(2));
      QCOMPARE(dialogs.shown[0].kind, Kind::Error);
      QVERIFY(dialogs.shown[0].text.contains(QStringLiteral("holds \"blue\" on line 2")));
      QCOMPARE(dialogs.shown[1].text, kFirstRunText);
      QVERIFY(form.findloc() != nullptr && !form.findloc()->isHidden());
    }
    {
      // The folder is there, but only three tiles remain in it.
      ScratchDir startDir, shrunk;
      for (int i = 0; i < 3; ++i) makeSparseFile(shrunk.file(publishedTileNames()[i]), 10);
      writeSettingsFile(startDir, shrunk.str(), 3, 0);
      const std::string before = readText(startDir.file("megdr128.cfg"));
      FakeDialogs dialogs;
      TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
      QVERIFY(!form.startUpEnded());
      QCOMPARE(dialogs.shown.size(), size_t(2));
      QCOMPARE(dialogs.shown[0].kind, Kind::Error);
      QVERIFY(dialogs.shown[0].text.contains(QStringLiteral("holds 3 of the 16")));
      QVERIFY(!form.findloc()->isHidden());
      QVERIFY(!form.menu("m_load")->menuAction()->isEnabled());
      // Exit keeps the settings file as it was: no folder was confirmed.
      act(form, "m_end")->trigger();
      QCOMPARE(readText(startDir.file("megdr128.cfg")), before);
    }
  }

  void menuTreeMatchesTheTables() {
    auto s = startWithSettings();
    TMainForm& form = *s->form;
    const QList<QAction*> bar = form.menuBar()->actions();
    QStringList captions;
    for (QAction* a : bar) captions << a->text();
    QCOMPARE(captions, (QStringList{"&File      ", "Map &Area      ", "&Resolution      ", "&Topography      ",
                                    "&Help        ", "", ""}));
    QCOMPARE(bar[5]->objectName(), QStringLiteral("legend"));
    QCOMPARE(bar[6]->objectName(), QStringLiteral("prcent"));

    QStringList file;
    for (QAction* a : form.menu("m_file")->actions()) file << (a->isSeparator() ? "-" : a->text());
    QCOMPARE(file, (QStringList{"Load a MEGDR128 File", "Save Map\tCtrl+S", "Save Map with Legend...", "-",
                                "Draw in background (faster)\tCtrl+B",
                                "Terminate Drawing Mode\tCtrl+Q", "-", "E&xit\tCtrl+X"}));
    QCOMPARE(form.menu("m_load")->actions().size(), 16);
    QCOMPARE(captionOf(form.menuItem(1)), QString::fromUtf8(" 2  (088°N, -090°W) - Acidalia"));
    QCOMPARE(captionOf(form.menuItem(15)), QString::fromUtf8("16  (044°S,  090°W) - Cimmeria (south)"));

    QStringList resolution;
    for (QAction* a : form.menu("m_size")->actions()) resolution << a->text();
    QCOMPARE(resolution, (QStringList{"Thumbnail (5%)\tF5", "  7.5%", " 10  %\tF6", " 12.5%", " 25  %\tF7",
                                      " 33  %", " 50  %\tF8", "100  %\tF9"}));
    QStringList topography;
    for (QAction* a : form.menu("m_topo")->actions()) topography << (a->isSeparator() ? "-" : a->text());
    QCOMPARE(topography,
             (QStringList{"Scheme", "Mode", "-", "Optimise Shading    \tCtrl+O", "Show Colour Key      \tCtrl+K", "-",
                          "Relief Shading", "Feature Names", "Projection"}));
    QVERIFY(act(form, "m_relief")->isCheckable());
    QCOMPARE(form.menuItem(28)->text(), QStringLiteral("Putative Northern Ocean (datum 3000 m)"));
    QCOMPARE(form.menuItem(30)->text(), QStringLiteral("Contoured Shading\tF10"));
    QCOMPARE(form.menuItem(33)->text(), QStringLiteral("Power 2 Enhanced"));
    QStringList help;
    for (QAction* a : form.menu("m_help")->actions()) help << (a->isSeparator() ? "-" : a->text());
    QCOMPARE(help, (QStringList{"About\tCtrl+A", "Program Help\tF1", "-",
                                "Annotated map of Mars showing the 16 tiles\tCtrl+T", "-",
                                "Sourcing the MEGDR128 MOLA DEM Tiles"}));

    // The table of numbered items, by component name.
    QCOMPARE(form.menuItem(7)->objectName(), QStringLiteral("m_tile07"));
    QCOMPARE(form.menuItem(20)->objectName(), QStringLiteral("m_siz04"));
    QCOMPARE(form.menuItem(27)->objectName(), QStringLiteral("m_setcol003"));
    QCOMPARE(form.menuItem(33)->objectName(), QStringLiteral("m_mode03"));
    for (const MenuItemGroup& group : kMenuItemGroups) {
      for (int k = 0; k < group.count; ++k) {
        QAction* item = form.menuItem(group.base + k);
        QVERIFY(item != nullptr);
        QCOMPARE(item->objectName(), menuItemName(group, k));
        QCOMPARE(itemNumber(item), k);
      }
    }
    QCOMPARE(menuItemName(kMenuItemGroups[6], 51), QStringLiteral("m_c051"));
    QCOMPARE(menuItemName(kMenuItemGroups[9], 14), QStringLiteral("men014"));
    QCOMPARE(itemNumber(QStringLiteral("men014")), 14);
    QCOMPARE(itemNumber(QStringLiteral("m_c051")), 51);
    QCOMPARE(itemNumber(QStringLiteral("legend")), -1);
  }

  void choosingATileDrawsTheThumbnail() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    QVERIFY(s->dialogs.shown.empty());
    QCOMPARE(form.dmap()->size(), QSize(480, 235));
    QCOMPARE(form.dmap2()->size(), QSize(496, 251));
    QCOMPARE(form.dmap()->picture().size(), QSize(480, 235));
    for (int t = 0; t < 16; ++t) QCOMPARE(form.menuItem(t)->isChecked(), t == 0);
    for (int k = 0; k < 8; ++k) QCOMPARE(form.menuItem(16 + k)->isChecked(), k == 0);
    QVERIFY(act(form, "m_SaveMap")->isEnabled());
    QVERIFY(form.menu("m_size")->menuAction()->isEnabled());
    QVERIFY(form.menu("m_topo")->menuAction()->isEnabled());
    QVERIFY(act(form, "m_define")->isEnabled());
    const std::string name = publishedTileNames()[14];
    QCOMPARE(form.state().tilePath, data_->tileFile(0));
    QCOMPARE(form.state().mapTitle, "Tile: " + name);
    QVERIFY(form.legendText().startsWith(QString::fromStdString("Tile: " + name + " processed in ")));
    QCOMPARE(form.percentText(), QString());
    QCOMPARE(form.dmap()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(form.state().mapKind, 1);
    QCOMPARE(form.state().sampleStep, 24);
    QCOMPARE(form.state().drawnResolution, 0);
    QCOMPARE(form.state().drawnScheme, 1);
    QCOMPARE(form.state().drawnMode, 1);
    QCOMPARE(form.state().altMax, 1000);
    QCOMPARE(form.state().altMin, -3000);
    QCOMPARE(form.altmaxText(), QStringLiteral("1000 m)"));
    QCOMPARE(form.altminText(), QStringLiteral("-3000 m)"));
    QCOMPARE(pixelAt(form, 0, 0), expectedColour(1, 1, 1000));
    QCOMPARE(pixelAt(form, 479, 1), expectedColour(1, 1, -3000));
    QCOMPARE(pixelAt(form, 17, 233), expectedColour(1, 1, 0));
    QCOMPARE(form.eventCalls, 235);  // 234 lines and once at the end
  }

  void resolutionChangesRedrawOnlyWhenNeeded() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    form.eventCalls = 0;
    // The resolution already drawn: nothing is drawn, the picture stays.
    form.activateShortcut(QKeySequence(Qt::Key_F5));
    act(form, "m_siz00")->trigger();
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(form.dmap()->hasPicture());
    QVERIFY(form.menuItem(16)->isChecked());

    // Another resolution: the old picture goes before the new draw starts.
    bool clearedFirst = false;
    form.duringDraw = [&](int call) {
      if (call == 1) clearedFirst = !form.dmap()->hasPicture();
    };
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QVERIFY(clearedFirst);
    QCOMPARE(form.dmap()->size(), QSize(1152, 563));
    QCOMPARE(form.state().sampleStep, 10);
    QCOMPARE(form.state().drawnResolution, 2);
    for (int k = 0; k < 8; ++k) QCOMPARE(form.menuItem(16 + k)->isChecked(), k == 2);
    QCOMPARE(pixelAt(form, 5, 0), expectedColour(1, 1, 1000));

    // The same tile again starts over at the thumbnail.
    act(form, "m_tile00")->trigger();
    QCOMPARE(form.dmap()->size(), QSize(480, 235));
    QCOMPARE(form.state().drawnResolution, 0);
    QVERIFY(form.menuItem(16)->isChecked());
  }

  void tileMapsCannotUseFiftyOrHundredPercent() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    form.openMenu("m_size");
    for (int k = 0; k < 8; ++k) QCOMPARE(form.menuItem(16 + k)->isEnabled(), k < 6);
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F8));
    form.activateShortcut(QKeySequence(Qt::Key_F9));
    QCOMPARE(form.eventCalls, 0);
    QCOMPARE(form.state().resolutionIndex, 0);
    QVERIFY(form.menuItem(16)->isChecked());

    // Opening Map Area has the next area choose its own step; the tile
    // stays the map on screen, at its resolution, closed to 50 and 100 %.
    form.openMenu("m_area");
    QCOMPARE(form.state().mapKind, 1);
    QCOMPARE(form.state().sampleStep, 24);
    QCOMPARE(form.state().autoResolution, 1);
    QCOMPARE(form.state().resolutionIndex, 0);
    for (int k = 0; k < 8; ++k) QCOMPARE(form.menuItem(16 + k)->isChecked(), k == 0);
    form.openMenu("m_size");
    for (int k = 0; k < 8; ++k) QCOMPARE(form.menuItem(16 + k)->isEnabled(), k < 6);
    form.activateShortcut(QKeySequence(Qt::Key_F9));
    QCOMPARE(form.eventCalls, 0);
    // An area map opens all eight.
    QCOMPARE(form.drawAreaMap(-60, 58, 0, 32), AreaDrawResult::Completed);
    QCOMPARE(form.state().mapKind, 0);
    form.openMenu("m_size");
    for (int k = 0; k < 8; ++k) QVERIFY(form.menuItem(16 + k)->isEnabled());
    // Ctrl+M does what opening the menu does.
    act(form, "m_tile00")->trigger();
    QCOMPARE(form.state().mapKind, 1);
    QCOMPARE(form.state().autoResolution, 0);
    QVERIFY(form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+M"))));
    QCOMPARE(form.state().autoResolution, 1);
  }

  void areaMapsRedrawThroughTheResolutionCommand() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    // What a feature command does: the menu opens, then the area is drawn.
    form.openMenu("m_area");
    QCOMPARE(form.drawAreaMap(-60, 58, 0, 32), AreaDrawResult::Completed);  // Acidalia: step 10
    QCOMPARE(form.state().sampleStep, 10);
    QCOMPARE(form.state().resolutionIndex, 2);
    QCOMPARE(form.state().drawnResolution, 2);
    for (int k = 0; k < 8; ++k) QCOMPARE(form.menuItem(16 + k)->isChecked(), k == 2);
    QCOMPARE(form.dmap()->size(), QSize(768, 332));
    QCOMPARE(form.dmap2()->size(), QSize(784, 348));
    QVERIFY(act(form, "m_SaveMap")->isEnabled());
    QVERIFY(form.menu("m_size")->menuAction()->isEnabled());
    QVERIFY(act(form, "m_define")->isEnabled());

    // 50 % is open to area maps; the same area is drawn again.
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F8));
    QCOMPARE(form.state().drawnResolution, 6);
    QCOMPARE(form.dmap()->size(), QSize(3840, 1664));
    QCOMPARE(form.eventCalls, 1 + 1664);  // once before the rows, once per row
    QCOMPARE(form.state().areaWest, -60);
    QCOMPARE(form.state().areaSouth, 32);
    // A scheme change redraws it too, at the same resolution.
    form.eventCalls = 0;
    act(form, "m_setcol000")->trigger();
    QCOMPARE(form.state().drawnScheme, 0);
    QCOMPARE(form.state().drawnResolution, 6);
    QVERIFY(form.eventCalls > 1664);
    QVERIFY(s->dialogs.shown.empty());
  }

  void functionKeysDoNothingBeforeTheFirstMap() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    for (int key = Qt::Key_F5; key <= Qt::Key_F11; ++key) form.activateShortcut(QKeySequence(key));
    QCOMPARE(form.eventCalls, 0);
    QCOMPARE(form.state().shadingMode, 1);
    QCOMPARE(form.state().resolutionIndex, 0);
    QCOMPARE(form.state().drawnResolution, -1);
    QVERIFY(form.menuItem(31)->isChecked());
    for (int k = 0; k < 8; ++k) QVERIFY(!form.menuItem(16 + k)->isChecked());
    QVERIFY(!form.dmap()->hasPicture());
    // Save Map is disabled too.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    QVERIFY(s->dialogs.shown.empty());
  }

  void terminateStopsAfterOneMoreLine() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    form.duringDraw = [&](int call) {
      if (call == 3) form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    };
    act(form, "m_tile00")->trigger();
    QCOMPARE(form.eventCalls, 4);  // three lines, then once at the end
    QCOMPARE(form.state().stopRequested, 0);
    QVERIFY(!form.drawing());
    QCOMPARE(pixelAt(form, 3, 2), expectedColour(1, 1, 0));  // the line in hand is drawn
    QVERIFY(pixelAt(form, 3, 3) != expectedColour(1, 1, 0));
    QCOMPARE(form.legendText(), QStringLiteral("Tile: megt88n180hb.img stopped at 1%"));
    QCOMPARE(form.percentText(), QString());
    QCOMPARE(form.dmap()->cursor().shape(), Qt::ArrowCursor);

    // Terminate with no draw running leaves the next draw alone.
    form.duringDraw = nullptr;
    act(form, "m_terminate")->trigger();
    QCOMPARE(form.state().stopRequested, 0);
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(form.eventCalls, 564);
  }

  void aStoppedDrawSaysWhereRedrawsAndAsksBeforeSaving() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    FakeDialogs& dialogs = s->dialogs;
    ScratchDir out;
    const QString path = QString::fromStdString(out.file("part.bmp"));
    act(form, "m_tile00")->trigger();
    // 10 %, stopped at line 199: 1991 of 5632 lines are behind it.
    form.duringDraw = [&](int call) {
      if (call == 200) form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    };
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(form.legendText(), QStringLiteral("Tile: megt88n180hb.img stopped at 35%"));
    QCOMPARE(form.percentText(), QString());
    QCOMPARE(form.state().drawnResolution, -1);

    // Save Map asks first; No saves nothing, Yes goes on to the dialog.
    const QString question = QStringLiteral("This map is incomplete: its drawing was stopped at 35%.\n\nSave it anyway?");
    dialogs.clear();
    dialogs.answers.push_back(false);
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Question), QStringList{question});
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 0);
    dialogs.clear();
    dialogs.answers.push_back(true);
    dialogs.saveAnswers.push_back(path);
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Question), QStringList{question});
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 1);
    QVERIFY(QFile::exists(path));

    // The same resolution draws the map again, whole; then nothing is asked.
    form.duringDraw = nullptr;
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(form.eventCalls, 564);
    QVERIFY(form.legendText().startsWith(QStringLiteral("Tile: megt88n180hb.img processed in ")));
    QCOMPARE(form.state().drawnResolution, 2);
    dialogs.clear();
    dialogs.saveAnswers.push_back(QString());
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Question).size(), 0);
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 1);

    // An area stopped after its first eight rows (of 332): the same.
    form.openMenu("m_area");
    form.state().mapTitle = "Acidalia Planitia";
    form.duringDraw = [&](int call) {
      if (call == 10) form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    };
    form.eventCalls = 0;
    QCOMPARE(form.drawAreaMap(-60, 58, 0, 32), AreaDrawResult::Stopped);
    QCOMPARE(form.legendText(), QStringLiteral("Acidalia Planitia stopped at 2%"));
    QCOMPARE(form.percentText(), QString());
    form.duringDraw = nullptr;
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QVERIFY(form.eventCalls > 332);  // every row
    QVERIFY(form.legendText().startsWith(QStringLiteral("Acidalia Planitia processed in ")));
    QCOMPARE(dialogs.shown.size(), size_t(1));  // the area draws told nothing
  }

  void savingDuringADrawAsksFirst() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    FakeDialogs& dialogs = s->dialogs;
    ScratchDir out;
    const QString path = QString::fromStdString(out.file("part.bmp"));
    act(form, "m_tile00")->trigger();  // a whole map first: the save items are on
    // At 10 %, on line 199 of 563: each save asks, No saves nothing, Yes
    // saves what is drawn so far.
    const QString question =
        QStringLiteral("This map is incomplete: it is still being drawn, 35% so far.\n\nSave it anyway?");
    form.duringDraw = [&](int call) {
      if (call != 200) return;
      dialogs.answers = {false, false, true};
      act(form, "m_SaveLegend")->trigger();
      act(form, "m_SaveMap")->trigger();
      dialogs.saveAnswers.push_back(path);
      act(form, "m_SaveMap")->trigger();
    };
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(dialogs.texts(Kind::Question), (QStringList{question, question, question}));
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 1);
    QVERIFY(!dialogs.unanswered);
    const QImage part(path);
    QCOMPARE(part.size(), QSize(1152, 563));
    QCOMPARE(part.pixel(5, 0), expectedColour(1, 1, 1000));
    QCOMPARE(part.pixel(5, 198), expectedColour(1, 1, 0));
    QCOMPARE(part.pixel(5, 200), qRgb(0, 0, 0));  // not drawn yet: the blank raster
    // The draw went on to its end; the whole map is saved without a question.
    QVERIFY(form.legendText().startsWith(QStringLiteral("Tile: megt88n180hb.img processed in ")));
    dialogs.clear();
    form.duringDraw = nullptr;
    dialogs.saveAnswers.push_back(QString());
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Question).size(), 0);
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 1);
  }

  void tilesAreFoundByTheirNamesAtStartUp() {
    // Menu tile 12's file in capitals sorts first, and a copy of menu tile
    // 11's file sorts before it: neither moves a tile.
    ScratchDir startDir, mixed;
    for (const auto& name : publishedTileNames()) {
      makeSparseFile(mixed.file(name == "megt00n090hb.img" ? std::string("MEGT00N090HB.IMG") : name));
    }
    makeSparseFile(mixed.file("megt00n000hb (copy).img"));
    writeSettingsFile(startDir, mixed.str());
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QVERIFY(form.dataFolderReady());
    QCOMPARE(form.state().tileNames[0], std::string("megt88n180hb.img"));
    QCOMPARE(form.state().tileNames[10], std::string("megt00n000hb.img"));
    QCOMPARE(form.state().tileNames[11], std::string("MEGT00N090HB.IMG"));
    QCOMPARE(dialogs.texts(Kind::Information),
             QStringList{QString::fromStdString("In the data folder \"" + mixed.str() +
                                                "\":\nIgnored, not one of the sixteen MEGDR128 tile names: "
                                                "\"megt00n000hb (copy).img\".")});
    act(form, "m_tile11")->trigger();
    QCOMPARE(form.state().tilePath, mixed.file("MEGT00N090HB.IMG"));
    QCOMPARE(form.state().mapTitle, std::string("Tile: MEGT00N090HB.IMG"));
    QCOMPARE(dialogs.shown.size(), size_t(1));
  }

  void aSettingsFileThatCannotBeDeletedLeadsToTheFirstRunAnyway() {
    ScratchDir startDir;
    writeSettingsFile(startDir, startDir.str() + "/gone", 3, 2);
    const std::string settings = startDir.file("megdr128.cfg");
    FrozenFolder frozen(startDir.str());
    if (!frozen.frozen()) QSKIP("the file system here cannot make a folder unchangeable");
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QVERIFY(!form.startUpEnded());
    QCOMPARE(dialogs.shown.size(), size_t(3));
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("It appears that the location of the\nMOLA MEGDR128 files has changed\n(\"%1/gone\")\n\n"
                                                   "Restart Tarvelon\nto redefine this folder")
                                        .arg(QString::fromStdString(startDir.str())));
    QCOMPARE(dialogs.shown[1].kind, Kind::Error);
    const QString expected = QString::fromStdString("The settings file \"" + settings + "\" could not be deleted (");
    QVERIFY2(dialogs.shown[1].text.startsWith(expected), qPrintable(dialogs.shown[1].text));
    QVERIFY(dialogs.shown[1].text.endsWith(
        QStringLiteral("), so it cannot be replaced either.\n\nChoose the folder of the MEGDR128 files now; "
                       "Tarvelon uses it for this run only.")));
    QCOMPARE(dialogs.shown[2].text, kFirstRunText);
    QVERIFY(form.findloc() != nullptr && !form.findloc()->isHidden());
    QVERIFY(form.menuItem(24 + 3)->isChecked());
    QVERIFY(form.menuItem(30 + 2)->isChecked());
    QVERIFY(std::filesystem::exists(settings));

    // The folder chosen now serves this run; the settings stay as they were.
    dialogs.clear();
    form.findloc()->chooseFolder(QString::fromStdString(data_->str()));
    form.findloc()->confirm();
    QCOMPARE(dialogs.texts(Kind::Error).size(), 1);
    QVERIFY(dialogs.texts(Kind::Error)[0].startsWith(QStringLiteral("Tarvelon could not save its settings")));
    QVERIFY(form.dataFolderReady());
    QCOMPARE(readText(settings), startDir.str() + "/gone\r\n3\r\n2\r\n");
  }

  void aDataFolderThatCannotBeListedSaysSo() {
    ScratchDir startDir, locked;
    makePublishedTiles(locked.str(), 10);
    writeSettingsFile(startDir, locked.str());
    // Entered, not listed, by anyone but its owner.
    ::chmod(locked.str().c_str(), 0711);
    FakeDialogs dialogs;
    std::unique_ptr<TestMainForm> form;
    {
      AsOrdinaryUser user;
      ::chmod(locked.str().c_str(), 0311);
      form = std::make_unique<TestMainForm>(QString::fromStdString(startDir.str()), dialogs);
    }
    QCOMPARE(dialogs.shown.size(), size_t(2));
    QCOMPARE(dialogs.shown[0].text,
             QString::fromStdString("The data folder \"" + locked.str() +
                                    "\" cannot be read: Permission denied.\n\n"
                                    "Please choose the folder of the MEGDR128 files again."));
    dialogs.clear();
    {
      AsOrdinaryUser user;
      form->findloc()->chooseFolder(QString::fromStdString(locked.str()));
    }
    form->findloc()->confirm();
    QCOMPARE(dialogs.texts(Kind::Error),
             QStringList{QString::fromStdString("The folder \"" + locked.str() + "\" cannot be read: Permission denied.")});
    ::chmod(locked.str().c_str(), 0755);
  }

  void aHugeSettingsLineIsQuotedBriefly() {
    ScratchDir startDir;
    writeText(startDir.file("megdr128.cfg"), data_->str() + "\r\n" + std::string(10'000'000, '4') + "\r\n1\r\n");
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    QCOMPARE(dialogs.shown.size(), size_t(2));
    QCOMPARE(dialogs.shown[0].kind, Kind::Error);
    QVERIFY2(dialogs.shown[0].text.size() < 400, qPrintable(dialogs.shown[0].text.left(400)));
    QVERIFY(dialogs.shown[0].text.contains(QStringLiteral("\"444444")));
    QVERIFY(dialogs.shown[0].text.contains(QStringLiteral("444...444")));
  }

  void drawingCommandsAreRefusedDuringADraw() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    form.duringDraw = [&](int call) {
      if (call != 2) return;
      act(form, "m_tile03")->trigger();
      form.activateShortcut(QKeySequence(Qt::Key_F6));
      form.openMenu("m_area");
      form.openMenu("m_load");
    };
    act(form, "m_tile00")->trigger();
    QCOMPARE(form.eventCalls, 235);
    QCOMPARE(form.state().tilePath, data_->tileFile(0));
    QCOMPARE(form.state().mapKind, 1);
    QCOMPARE(form.state().resolutionIndex, 0);
    QVERIFY(form.menuItem(0)->isChecked() && !form.menuItem(3)->isChecked());
    QVERIFY(form.dmap()->hasPicture());
  }

  void backgroundDrawingShowsTheMapAtTheEnd() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    QAction* background = act(form, "Drawinbackground");
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+B")));
    QCOMPARE(form.state().drawInBackground, 1);
    QVERIFY(background->isChecked());
    bool pictureDuringDraw = true;
    QString legend;
    form.duringDraw = [&](int call) {
      if (call == 100) {
        pictureDuringDraw = form.dmap()->hasPicture();
        legend = form.legendText();
      }
    };
    act(form, "m_tile00")->trigger();
    QVERIFY(!pictureDuringDraw);
    QCOMPARE(legend, QStringLiteral("Drawing Tile in background  .... Progress:"));
    QCOMPARE(pixelAt(form, 0, 0), expectedColour(1, 1, 1000));
    background->trigger();
    QCOMPARE(form.state().drawInBackground, 0);
    QVERIFY(!background->isChecked());
  }

  void saveMapAsksAndWritesTheShownPicture() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    ScratchDir out;
    const QString path = QString::fromStdString(out.file("Map.bmp"));
    FakeDialogs& dialogs = s->dialogs;

    // A tile map is offered under its tile's name.
    dialogs.saveAnswers.push_back(QString());
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.lastSave.fileName, QStringLiteral("megt88n180hb.bmp"));
    dialogs.clear();

    // An area's name loses its first "&" (set here as an area map would).
    form.state().mapKind = 0;
    form.state().mapName = "North&South&East";
    dialogs.saveAnswers.push_back(QString());  // Cancel
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(dialogs.lastSave.fileName, QStringLiteral("NorthSouth&East.bmp"));
    QCOMPARE(dialogs.lastSave.filter,
             QStringLiteral("BMP Image (*.bmp);;PNG Image (*.png);;GeoTIFF Image (*.tif *.tiff)"));
    QCOMPARE(dialogs.lastSave.defaultSuffix, QStringLiteral("bmp"));
    QCOMPARE(dialogs.shown.size(), size_t(1));

    writeText(path.toStdString(), "old");
    dialogs.clear();
    dialogs.saveAnswers.push_back(path);
    dialogs.answers.push_back(false);  // No
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Question), QStringList{QStringLiteral("File exists - Overwrite (Y/N)")});
    QCOMPARE(readText(path.toStdString()), std::string("old"));

    dialogs.clear();
    dialogs.saveAnswers.push_back(path);
    dialogs.answers.push_back(true);  // Yes
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.shown.size(), size_t(2));
    const std::string bmp = readText(path.toStdString());
    QCOMPARE(bmp.size(), size_t(54 + 480 * 3 * 235));
    auto le32 = [&](size_t at) {
      return std::int32_t(std::uint8_t(bmp[at]) | std::uint8_t(bmp[at + 1]) << 8 | std::uint8_t(bmp[at + 2]) << 16 |
                          std::uint32_t(std::uint8_t(bmp[at + 3])) << 24);
    };
    QCOMPARE(bmp.substr(0, 2), std::string("BM"));
    QCOMPARE(le32(18), 480);
    QCOMPARE(std::abs(le32(22)), 235);
    QCOMPARE(int(std::uint8_t(bmp[28])), 24);
    const size_t topRow = le32(22) > 0 ? size_t(le32(10)) + size_t(234) * 1440 : size_t(le32(10));
    const QRgb top = expectedColour(1, 1, 1000);
    QCOMPARE(int(std::uint8_t(bmp[topRow])), qBlue(top));
    QCOMPARE(int(std::uint8_t(bmp[topRow + 1])), qGreen(top));
    QCOMPARE(int(std::uint8_t(bmp[topRow + 2])), qRed(top));
    QVERIFY(!dialogs.unanswered);

    // A write that fails (the file size limit stands in for a full disk):
    // the error is reported and the old file stays.
    dialogs.clear();
    dialogs.saveAnswers.push_back(path);
    dialogs.answers.push_back(true);
    {
      FileSizeLimit full(4096);
      act(form, "m_SaveMap")->trigger();
    }
    QCOMPARE(dialogs.texts(Kind::Error).size(), 1);
    QCOMPARE(readText(path.toStdString()), bmp);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(out.path()), {}), 4);  // with its .bpw, .prj, .aux.xml

    // With the picture gone there is nothing to save.
    dialogs.clear();
    form.openMenu("m_load");
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Information).size(), 1);
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 0);
  }

  void saveMapWritesTheFormatOfTheExtensionPlacedOnMars() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();  // tile 1: 180 .. 90 W, 88 .. 44 N, at step 24
    ScratchDir out;
    FakeDialogs& dialogs = s->dialogs;
    const std::string world = "0.1875\n0\n0\n-0.1875\n-179.99609375\n87.99609375\n";

    dialogs.saveAnswers.push_back(QString::fromStdString(out.file("map.png")));
    act(form, "m_SaveMap")->trigger();
    QVERIFY(!dialogs.unanswered);
    QCOMPARE(dialogs.texts(Kind::Error).size(), 0);
    QCOMPARE(readText(out.file("map.png")).substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    QCOMPARE(readText(out.file("map.pgw")), world);
    QVERIFY(readText(out.file("map.prj")).find("3396190,0") != std::string::npos);
    // The PNG holds the shown picture.
    const QImage png(QString::fromStdString(out.file("map.png")));
    QCOMPARE(png.size(), QSize(480, 235));
    QCOMPARE(png.pixel(0, 0), expectedColour(1, 1, 1000));

    dialogs.clear();
    dialogs.saveAnswers.push_back(QString::fromStdString(out.file("map.TIF")));
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(readText(out.file("map.TIF")).substr(0, 4), std::string("II*\0", 4));

    // Any other extension is refused with a message, and nothing written.
    dialogs.clear();
    dialogs.saveAnswers.push_back(QString::fromStdString(out.file("map.jpg")));
    act(form, "m_SaveMap")->trigger();
    QCOMPARE(dialogs.texts(Kind::Information).size(), 1);
    QVERIFY(dialogs.texts(Kind::Information)[0].contains(QStringLiteral("map.jpg")));
    QVERIFY(!std::filesystem::exists(out.file("map.jpg")));
    QCOMPARE(std::distance(std::filesystem::directory_iterator(out.path()), {}), 5);  // PNG and 3 sidecars, TIFF
  }

  void aTileThatCannotBeReadIsReportedAndTheProgramGoesOn() {
    // A data folder whose tile 5 is cut short after four lines.
    SparseTiles shortData;
    ScratchDir startDir;
    shortData.cutShort(5, 4);
    writeSettingsFile(startDir, shortData.str());
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    act(form, "m_tile05")->trigger();
    const QStringList errors = dialogs.texts(Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(QString::fromStdString(publishedTileNames()[kListingIndexOfTile[5]])));
    QVERIFY(!form.drawing());
    QCOMPARE(form.dmap()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(form.percentText(), QString());
    // The drawing text goes: the status says the map failed.
    QCOMPARE(form.legendText(),
             QString::fromStdString("Tile: " + publishedTileNames()[kListingIndexOfTile[5]] + " failed at 0%"));
    QVERIFY(!act(form, "m_SaveMap")->isEnabled());
    QCOMPARE(form.state().drawnResolution, -1);
    act(form, "m_tile00")->trigger();
    QCOMPARE(form.state().drawnResolution, 0);
    QVERIFY(act(form, "m_SaveMap")->isEnabled());
  }

  void exitWritesTheSettingsAndEndsCleanlyDuringADraw() {
    {
      // User colours in force: the scheme of the last draw is stored.
      auto s = startWithSettings(4, 2);
      TestMainForm& form = *s->form;
      act(form, "m_tile00")->trigger();
      act(form, "m_setcol003")->trigger();
      QCOMPARE(form.state().drawnScheme, 3);
      form.state().colourScheme = kUserColours;
      act(form, "m_end")->trigger();
      QCOMPARE(readText(s->startDir.file("megdr128.cfg")), data_->str() + "\r\n3\r\n2\r\n");
    }
    {
      // No draw through the Resolution command yet: the check-marked scheme.
      auto s = startWithSettings(4, 2);
      s->form->state().colourScheme = kUserColours;
      s->form->activateShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
      QCOMPARE(readText(s->startDir.file("megdr128.cfg")), data_->str() + "\r\n4\r\n2\r\n");
    }
    {
      // Exit during a draw: the draw stops, then the window closes.
      auto s = startWithSettings(0, 3);
      TestMainForm& form = *s->form;
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      form.duringDraw = [&](int call) {
        if (call == 5) act(form, "m_end")->trigger();
      };
      act(form, "m_tile00")->trigger();
      QCOMPARE(form.eventCalls, 6);
      QCOMPARE(readText(s->startDir.file("megdr128.cfg")), data_->str() + "\r\n0\r\n3\r\n");
      QTRY_VERIFY(!form.isVisible());
    }
    {
      // The close box during a draw: the same, without the settings.
      auto s = startWithSettings(0, 3);
      TestMainForm& form = *s->form;
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      form.duringDraw = [&](int call) {
        if (call == 2) form.close();
      };
      act(form, "m_tile00")->trigger();
      QCOMPARE(form.eventCalls, 3);
      QTRY_VERIFY(!form.isVisible());
    }
  }

  void shortcutsArriveAsKeys() {
    auto s = startWithSettings();
    TestMainForm& form = *s->form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(form.state().drawInBackground, 1);
    QTest::keyClick(&form, Qt::Key_F5);  // Resolution is still disabled
    QCOMPARE(form.eventCalls, 0);
    act(form, "m_tile00")->trigger();
    form.eventCalls = 0;
    QTest::keyClick(&form, Qt::Key_F10);
    QCOMPARE(form.state().shadingMode, 0);
    QCOMPARE(form.eventCalls, 235);
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
