// The main window's status bar readout, Topography > "Relief Shading" and
// File > "Save Map with Legend...", through the real window on sparse
// tiles.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>

#include "app/CursorReadout.h"
#include "app/MapImage.h"
#include "app/MapLabels.h"
#include "export/LegendPicture.h"
#include "tests/MainWindowHarness.h"

using namespace tarvelon;
using namespace tarvelon::testing;
using Kind = ShownDialog::Kind;

namespace {

const QString kDeg = QString::fromUtf8("\xC2\xB0");

}  // namespace

class CursorReadoutTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  std::unique_ptr<StartedWindow> start() { return startWindow(data_->str()); }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    // Tile 0, line 24 (row 1 of the thumbnail): each sample its column.
    writeTileLine(data_->tileFile(0), 24, [](int column) { return column; });
    // Arcadia's first line, 4352, in tile 3 and across 180 in tile 0.
    writeTileLine(data_->tileFile(3), 4352, [](int column) { return column; });
    writeTileLine(data_->tileFile(0), 4352, [](int column) { return column == 29 ? -32768 : -column - 100; });
    // Its row 200: line 720 of tile 4, below tile 0.
    writeTileLine(data_->tileFile(4), 720, [](int column) { return 3000 + column; });
  }

  void theReadoutShowsTheSampleUnderTheMouse() {
    auto s = start();
    TestMainForm& form = *s->form;
    // The point's own figures; the names of the features are read below.
    form.readout()->showPlaceNames(false);
    QVERIFY(form.statusBar()->isAncestorOf(form.readout()));
    QCOMPARE(form.readout()->text(), QStringLiteral("No map on screen"));
    QCOMPARE(readoutAt(form, 10, 10), QStringLiteral("No map on screen"));

    act(form, "m_tile00")->trigger();
    // Pixel (100, 1) shows column 2400 of line 24: 87.81 N, 161.25 W.
    const int before = form.readout()->samplesRead();
    QCOMPARE(readoutAt(form, 100, 1), QStringLiteral("87.81%1N  161.25%1W   2 400 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 479, 1), QStringLiteral("87.81%1N  90.18%1W   11 496 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 0, 0), QStringLiteral("88.00%1N  180.00%1W   0 m").arg(kDeg));
    QCOMPARE(form.readout()->samplesRead(), before + 3);
    // The same pixel again reads nothing; another reads once.
    readoutAt(form, 0, 0);
    QCOMPARE(form.readout()->samplesRead(), before + 3);
    QCOMPARE(readoutAt(form, 1, 1), QStringLiteral("87.81%1N  179.81%1W   24 m").arg(kDeg));
    QCOMPARE(form.readout()->samplesRead(), before + 4);

    // The tile renderer never draws the thumbnail's last row.
    QCOMPARE(readoutAt(form, 100, 234), QStringLiteral("Not drawn"));
    QCOMPARE(readoutAt(form, 480, 10), QStringLiteral("Off the map"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(form.dmap(), &leave);
    QCOMPARE(form.readout()->text(), QStringLiteral("Off the map"));
    QCOMPARE(form.readout()->samplesRead(), before + 4);

    // A picture that is not a map has no readout; the annotated tile map
    // says what it is.
    form.dmap()->showImage(QImage(20, 20, QImage::Format_RGB32));
    QCOMPARE(readoutAt(form, 5, 5), QStringLiteral("This picture has no readout"));
    form.state().annotatedShown = 1;
    QCOMPARE(readoutAt(form, 6, 5), QStringLiteral("The annotated tile map has no readout"));
    form.state().annotatedShown = 0;
    form.openMenu("m_load");  // clears the picture
    QCOMPARE(readoutAt(form, 5, 5), QStringLiteral("No map on screen"));
    QCOMPARE(form.readout()->samplesRead(), before + 4);
  }

  void rowsNotYetDrawnSaySoDuringAndAfterAStoppedDraw() {
    auto s = start();
    TestMainForm& form = *s->form;
    // The point's own figures; the names of the features are read below.
    form.readout()->showPlaceNames(false);
    QStringList during;
    form.duringDraw = [&](int call) {
      // Before line k of the draw, rows 0 .. k - 2 are drawn.
      if (call != 3) return;
      during << readoutAt(form, 100, 1) << readoutAt(form, 100, 2);
      act(form, "m_terminate")->trigger();
    };
    act(form, "m_tile00")->trigger();
    QCOMPARE(during, (QStringList{QStringLiteral("87.81%1N  161.25%1W   2 400 m").arg(kDeg),
                                  QStringLiteral("Not drawn yet")}));
    // The line in hand (row 2) was finished; the rest stays undrawn.
    QCOMPARE(readoutAt(form, 100, 2), QStringLiteral("87.62%1N  161.25%1W   0 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 100, 3), QStringLiteral("Not drawn"));
    // Saved with a legend only if the user agrees, as Save Map asks.
    s->dialogs.answers.push_back(false);
    act(form, "m_SaveLegend")->trigger();
    const QStringList asked = s->dialogs.texts(Kind::Question);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].startsWith(QStringLiteral("This map is incomplete: its drawing was stopped at")),
             qPrintable(asked[0]));
    QCOMPARE(s->dialogs.texts(Kind::SaveFile).size(), 0);

    // A background draw of a new tile clears the picture first: nothing to
    // read until it shows its map.
    act(form, "Drawinbackground")->trigger();
    QString midDraw;
    form.duringDraw = [&](int call) {
      if (call == 50) midDraw = readoutAt(form, 100, 1);
    };
    act(form, "m_tile01")->trigger();
    QCOMPARE(midDraw, QStringLiteral("No map on screen"));
    QCOMPARE(readoutAt(form, 101, 1), QStringLiteral("87.81%1N  71.06%1W   0 m").arg(kDeg));
  }

  void areasAcrossTheMeridianReadOnFromTheWestmostTile() {
    auto s = start();
    TestMainForm& form = *s->form;
    // The point's own figures; the names of the features are read below.
    form.readout()->showPlaceNames(false);
    form.openMenu("m_area");
    QCOMPARE(form.drawAreaMap(160, 54, 220, 20), AreaDrawResult::Completed);  // Arcadia, step 10
    QCOMPARE(form.dmap()->picture().size(), QSize(767, 435));
    // Tile 3's columns 8959, 8969, ... 11519 are pixels 0 .. 256; tile 0's
    // go on one step further, 9, 19, ...
    QCOMPARE(readoutAt(form, 0, 0), QStringLiteral("54.00%1N  160.00%1E   8 959 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 256, 0), QStringLiteral("54.00%1N  180.00%1E   11 519 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 258, 0), QStringLiteral("54.00%1N  179.85%1W   -119 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 259, 0), QStringLiteral("54.00%1N  179.77%1W   no elevation data").arg(kDeg));
    QCOMPARE(readoutAt(form, 260, 200), QStringLiteral("38.37%1N  179.69%1W   3 039 m").arg(kDeg));
    QCOMPARE(readoutAt(form, 766, 434), QStringLiteral("20.09%1N  140.16%1W   0 m").arg(kDeg));
  }

  void withNamesShownThePointEndsWithTheNamedFeatureItLiesIn() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    const QString plain = QStringLiteral("87.81%1N  161.25%1W   2 400 m").arg(kDeg);
    // The window shows the names from the start.
    QVERIFY(form.readout()->placeNamesShown());
    QCOMPARE(readoutAt(form, 100, 1), plain + QStringLiteral("  Olympia Planum (planum)"));
    // Hidden and shown again: the text under the resting mouse changes at once.
    form.readout()->showPlaceNames(false);
    QCOMPARE(form.readout()->text(), plain);
    form.readout()->showPlaceNames(true);
    QCOMPARE(form.readout()->text(), plain + QStringLiteral("  Olympia Planum (planum)"));
    // Olympia Cavi, smaller, holds the meridian's end of the row.
    QCOMPARE(readoutAt(form, 1, 1), QStringLiteral("87.81%1N  179.81%1W   24 m  Olympia Cavi (cavi)").arg(kDeg));
    // A point in no named circle reads as before.
    QCOMPARE(readoutAt(form, 385, 72), QStringLiteral("74.50%1N  107.81%1W   0 m").arg(kDeg));
    form.readout()->showPlaceNames(false);
    QCOMPARE(readoutAt(form, 100, 1), plain);

    // Across 180 and where a sample has no elevation.
    form.readout()->showPlaceNames(true);
    form.openMenu("m_area");
    QCOMPARE(form.drawAreaMap(160, 54, 220, 20), AreaDrawResult::Completed);
    QCOMPARE(readoutAt(form, 258, 0),
             QStringLiteral("54.00%1N  179.85%1W   -119 m  Arcadia Planitia (planitia)").arg(kDeg));
    QCOMPARE(readoutAt(form, 259, 0),
             QStringLiteral("54.00%1N  179.77%1W   no elevation data  Arcadia Planitia (planitia)").arg(kDeg));
    QCOMPARE(readoutAt(form, 260, 200), QStringLiteral("38.37%1N  179.69%1W   3 039 m  Erebus Montes (montes)").arg(kDeg));
  }

  void anUnreadableTileIsReportedInTheBarOnly() {
    SparseTiles folder;
    ScratchDir startDir;
    writeSettingsFile(startDir, folder.str());
    FakeDialogs dialogs;
    TestMainForm form(QString::fromStdString(startDir.str()), dialogs);
    form.readout()->showPlaceNames(false);
    act(form, "m_tile00")->trigger();
    std::filesystem::resize_file(form.state().tilePath, 10);
    const QString text = readoutAt(form, 3, 3);
    QVERIFY2(text.endsWith(QStringLiteral("elevation unreadable")), qPrintable(text));
    QVERIFY(form.readout()->toolTip().contains(QStringLiteral("shorter than a MEGDR128 tile")));
    QVERIFY(dialogs.shown.empty());
  }

  void reliefShadingIsAToggleThatRedrawsAndIsRemembered() {
    auto s = start();
    TestMainForm& form = *s->form;
    QAction* relief = act(form, "m_relief");
    QVERIFY(!relief->isChecked());
    QCOMPARE(form.state().reliefShading, 0);
    const std::string settings = readText(s->startDir.file("megdr128.cfg"));

    act(form, "m_tile00")->trigger();
    QCOMPARE(form.state().drawnRelief, 0);
    form.eventCalls = 0;
    relief->trigger();
    QVERIFY(relief->isChecked());
    QCOMPARE(form.state().reliefShading, 1);
    QCOMPARE(form.eventCalls, 235);  // the map was drawn again
    QCOMPARE(form.state().drawnRelief, 1);
    QCOMPARE(readText(s->startDir.file("tarvelon-view.cfg")), std::string("reliefShading=1\r\n"));
    // The resolution drawn, with nothing changed: no redraw.
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F5));
    QCOMPARE(form.eventCalls, 0);

    // Toggled during a draw: the draw goes on, then the map is drawn again.
    form.duringDraw = [&](int call) {
      if (call == 10) relief->trigger();
    };
    form.eventCalls = 0;
    form.activateShortcut(QKeySequence(Qt::Key_F6));  // 10 %: 564 calls a draw
    QCOMPARE(form.eventCalls, 2 * 564);
    QCOMPARE(form.state().drawnRelief, 0);
    QCOMPARE(readText(s->startDir.file("tarvelon-view.cfg")), std::string("reliefShading=0\r\n"));
    form.duringDraw = nullptr;
    relief->trigger();

    // Exit writes the three-line file as before; the next run starts with
    // shading on.
    act(form, "m_end")->trigger();
    QCOMPARE(readText(s->startDir.file("megdr128.cfg")), settings);
    {
      FakeDialogs dialogs;
      TestMainForm again(QString::fromStdString(s->startDir.str()), dialogs);
      QCOMPARE(again.state().reliefShading, 1);
      QVERIFY(act(again, "m_relief")->isChecked());
    }
    writeText(s->startDir.file("tarvelon-view.cfg"), "reliefShading=yes\r\n");
    FakeDialogs dialogs;
    TestMainForm bad(QString::fromStdString(s->startDir.str()), dialogs);
    QCOMPARE(bad.state().reliefShading, 0);
    QVERIFY(dialogs.shown.empty());

    // Where the file cannot be written the toggle still works; the user is
    // told once a run.
    auto unwritable = start();
    std::filesystem::create_directory(unwritable->startDir.file("tarvelon-view.cfg"));
    QAction* toggle = act(*unwritable->form, "m_relief");
    toggle->trigger();
    toggle->trigger();
    toggle->trigger();
    QCOMPARE(unwritable->form->state().reliefShading, 1);
    const QStringList errors = unwritable->dialogs.texts(Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith(QStringLiteral("Tarvelon could not remember the relief shading")));
  }

  void featureNamesLieOverTheMapAreSavedAndRemembered() {
    auto s = start();
    TestMainForm& form = *s->form;
    QAction* names = act(form, "m_names");
    QVERIFY(names->isCheckable());
    QVERIFY(!names->isChecked());
    // The last item of the Topography menu, after Relief Shading and
    // before the Projection submenu.
    const QList<QAction*> topo = form.menu(QStringLiteral("m_topo"))->actions();
    QCOMPARE(topo.last(), form.menu(QStringLiteral("m_projection"))->menuAction());
    QCOMPARE(topo[topo.size() - 2], names);
    QCOMPARE(topo[topo.size() - 3], act(form, "m_relief"));
    auto* layer = form.dmap()->findChild<MapLabels*>(QStringLiteral("mapLabels"));
    QVERIFY(layer != nullptr);
    QVERIFY(layer->isHidden());

    act(form, "m_tile00")->trigger();
    ScratchDir out;
    auto save = [&](const char* command, const std::string& name) {
      s->dialogs.saveAnswers << QString::fromStdString(out.file(name));
      act(form, command)->trigger();
      return readText(out.file(name));
    };
    const std::string plainMap = save("m_SaveMap", "plain.bmp");
    const std::string plainLegend = save("m_SaveLegend", "plain_legend.bmp");

    // On: laid over the map as it is, nothing drawn again.
    form.eventCalls = 0;
    names->trigger();
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(names->isChecked());
    QVERIFY(!layer->isHidden());
    QCOMPARE(layer->size(), form.dmap()->size());
    QVERIFY(layer->shownLabelCount() > 3);
    QCOMPARE(readText(s->startDir.file("tarvelon-view.cfg")), std::string("reliefShading=0\r\nfeatureNames=1\r\n"));
    // A user saves what they see: the map and its legend carry the names.
    const std::string namedMap = save("m_SaveMap", "named.bmp");
    QCOMPARE(namedMap.size(), plainMap.size());
    QVERIFY(namedMap != plainMap);
    QVERIFY(save("m_SaveLegend", "named_legend.bmp") != plainLegend);
    // Another map gets its own names.
    const int tileNames = layer->shownLabelCount();
    act(form, "m_tile10")->trigger();
    QVERIFY(layer->shownLabelCount() > 0);
    QVERIFY(layer->shownLabelCount() != tileNames);
    act(form, "m_tile00")->trigger();
    // Relief shading, toggled, keeps the names remembered.
    act(form, "m_relief")->trigger();
    QCOMPARE(readText(s->startDir.file("tarvelon-view.cfg")), std::string("reliefShading=1\r\nfeatureNames=1\r\n"));
    act(form, "m_relief")->trigger();
    {
      FakeDialogs dialogs;
      TestMainForm again(QString::fromStdString(s->startDir.str()), dialogs);
      QVERIFY(act(again, "m_names")->isChecked());
      QVERIFY(again.dmap()->findChild<MapLabels*>(QStringLiteral("mapLabels"))->namesShown());
    }
    // Off again: the saved map is as it was without them.
    names->trigger();
    QVERIFY(layer->isHidden());
    QCOMPARE(readText(s->startDir.file("tarvelon-view.cfg")), std::string("reliefShading=0\r\n"));
    QCOMPARE(save("m_SaveMap", "again.bmp"), plainMap);
    QCOMPARE(save("m_SaveLegend", "again_legend.bmp"), plainLegend);
  }

  void saveMapWithLegendWritesTheFramedMap() {
    auto s = start();
    TestMainForm& form = *s->form;
    FakeDialogs& dialogs = s->dialogs;
    QAction* item = act(form, "m_SaveLegend");
    QVERIFY(!item->isEnabled());
    act(form, "m_tile00")->trigger();
    QVERIFY(item->isEnabled());

    ScratchDir out;
    const QString png = QString::fromStdString(out.file("Map.png"));
    dialogs.saveAnswers << png;
    item->trigger();
    QCOMPARE(dialogs.lastSave.fileName, QStringLiteral("megt88n180hb.bmp"));
    QCOMPARE(dialogs.lastSave.filter, QStringLiteral("BMP Image (*.bmp);;PNG Image (*.png)"));
    QCOMPARE(dialogs.lastSave.defaultSuffix, QStringLiteral("bmp"));
    QCOMPARE(dialogs.shown.size(), size_t(1));

    // The picture is the layout of this map: the drawn samples reach from
    // 0 to 11 496 m.
    LegendInput input;
    input.title = form.state().mapTitle;
    input.geometry = MapGeometry::ofTile(0, 24);
    input.elevations = ElevationRange{0, 11496};
    const QImage expected = legendPicture(form.dmap()->picture(), input);
    const QImage saved(png);
    QCOMPARE(saved.format() == QImage::Format_Invalid, false);
    QCOMPARE(saved.size(), expected.size());
    QVERIFY(saved.convertToFormat(QImage::Format_RGB32) == expected);
    const LegendTextMeasure measure;
    const LegendLayout layout = layoutLegend(input, measure);
    QCOMPARE(saved.copy(layout.mapX, layout.mapY, 480, 235).convertToFormat(QImage::Format_RGB32),
             form.dmap()->picture());
    QCOMPARE(saved.pixel(layout.barX + 5, layout.barY + 3) & 0xFFFFFF, layout.barColours[5]);

    // BMP by the name, the same picture; an existing file asks first.
    const QString bmp = QString::fromStdString(out.file("Map.bmp"));
    writeText(bmp.toStdString(), "old");
    dialogs.clear();
    dialogs.saveAnswers << bmp;
    dialogs.answers.push_back(false);
    item->trigger();
    QCOMPARE(dialogs.texts(Kind::Question), QStringList{QStringLiteral("File exists - Overwrite (Y/N)")});
    QCOMPARE(readText(bmp.toStdString()), std::string("old"));
    dialogs.saveAnswers << bmp;
    dialogs.answers.push_back(true);
    item->trigger();
    QCOMPARE(readText(bmp.toStdString()).substr(0, 2), std::string("BM"));
    QVERIFY(QImage(bmp).convertToFormat(QImage::Format_RGB32) == expected);

    // Any other ending is refused; nothing is written.
    dialogs.clear();
    dialogs.saveAnswers << QString::fromStdString(out.file("Map.jpg"));
    item->trigger();
    QCOMPARE(dialogs.texts(Kind::Information).size(), 1);
    QVERIFY(!QFile::exists(QString::fromStdString(out.file("Map.jpg"))));

    // A write that fails keeps the old file and reports the error.
    dialogs.clear();
    const std::string old = readText(bmp.toStdString());
    dialogs.saveAnswers << bmp;
    dialogs.answers.push_back(true);
    {
      FileSizeLimit full(4096);
      item->trigger();
    }
    QCOMPARE(dialogs.texts(Kind::Error).size(), 1);
    QCOMPARE(readText(bmp.toStdString()), old);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(out.path()), {}), 2);

    // No legend for a picture that is not a map.
    dialogs.clear();
    form.dmap()->showImage(QImage(20, 20, QImage::Format_RGB32));
    form.state().annotatedShown = 1;
    item->trigger();
    QCOMPARE(dialogs.texts(Kind::Information),
             QStringList{QStringLiteral("The annotated tile map has no legend. Save it with Save Map.")});
    QCOMPARE(dialogs.texts(Kind::SaveFile).size(), 0);
  }
};

QTEST_MAIN(CursorReadoutTest)
#include "test_cursor_readout.moc"
