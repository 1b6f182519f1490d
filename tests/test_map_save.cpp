// File > "Save Map" and "Save Map with Legend..." through the real window:
// where the saved map is placed after redraws, stops and the annotated tile
// map, and the steps both commands take alike.
#include <QAction>
#include <QImage>
#include <QMouseEvent>
#include <QtTest>
#include <filesystem>

#include "app/CursorReadout.h"
#include "app/MapImage.h"
#include "render/ColourFunction.h"
#include "tests/MainWindowHarness.h"

using namespace tarvelon;
using namespace tarvelon::testing;
using Kind = ShownDialog::Kind;

namespace {

// World files of the maps drawn here: tiles 0 and 1 (180 .. 90 W and
// 90 .. 0 W, 88 .. 44 N) at steps 24 and 10.
const std::string kTile0Step24 = "0.1875\n0\n0\n-0.1875\n-179.99609375\n87.99609375\n";
const std::string kTile0Step10 = "0.078125\n0\n0\n-0.078125\n-179.99609375\n87.99609375\n";
const std::string kTile1Step24 = "0.1875\n0\n0\n-0.1875\n-89.99609375\n87.99609375\n";

QRgb expectedColour(int scheme, int elevation) { return colourOf(scheme, 1, elevation); }

long filesIn(const ScratchDir& dir) {
  return long(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

}  // namespace

class MapSaveTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  using Started = StartedWindow;
  std::unique_ptr<Started> start() { return startWindow(data_->str()); }
  // Saves through `command` as `path`, answering Yes to `yes` questions.
  static void saveAs(Started& s, const char* command, const std::string& path, int yes = 0) {
    s.dialogs.clear();
    s.dialogs.saveAnswers.clear();
    s.dialogs.answers.clear();
    s.dialogs.unanswered = false;
    s.dialogs.saveAnswers << QString::fromStdString(path);
    for (int k = 0; k < yes; ++k) s.dialogs.answers.push_back(true);
    act(*s.form, command)->trigger();
  }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    // Tile 0: line 0 at 1000 m; tile 1: line 0 at 2000 m.
    writeTileLine(data_->tileFile(0), 0, [](int) { return 1000; });
    writeTileLine(data_->tileFile(1), 0, [](int) { return 2000; });
  }

  void theSavedMapIsPlacedWhereTheMapOnScreenLies() {
    auto s = start();
    TestMainForm& form = *s->form;
    ScratchDir out;
    act(form, "m_tile00")->trigger();

    // Redrawn in another scheme: the new colours, the same place.
    act(form, "m_setcol003")->trigger();
    saveAs(*s, "m_SaveMap", out.file("scheme.png"));
    QCOMPARE(s->dialogs.texts(Kind::Error).size(), 0);
    QCOMPARE(readText(out.file("scheme.pgw")), kTile0Step24);
    QCOMPARE(QImage(QString::fromStdString(out.file("scheme.png"))).pixel(0, 0), expectedColour(3, 1000));

    // Another resolution: the world file follows the new pixel size.
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(form.dmap()->size(), QSize(1152, 563));
    saveAs(*s, "m_SaveMap", out.file("fine.bmp"));
    QCOMPARE(readText(out.file("fine.bpw")), kTile0Step10);

    // A stopped draw of another tile is saved, when the user agrees, where
    // that tile lies.
    form.triggerStoppedAt("m_tile01", 3);
    saveAs(*s, "m_SaveMap", out.file("stopped.png"), 1);
    QCOMPARE(s->dialogs.texts(Kind::Question).size(), 1);
    QCOMPARE(readText(out.file("stopped.pgw")), kTile1Step24);
    QCOMPARE(QImage(QString::fromStdString(out.file("stopped.png"))).pixel(5, 0), expectedColour(3, 2000));

    // A map saved during its draw is the part drawn so far, placed.
    std::string during;
    form.eventCalls = 0;
    form.duringDraw = [&](int call) {
      if (call != 5) return;
      saveAs(*s, "m_SaveMap", out.file("during.png"), 1);
      during = readText(out.file("during.pgw"));
    };
    act(form, "m_setcol001")->trigger();
    form.duringDraw = nullptr;
    QCOMPARE(during, kTile1Step24);

    // The picture gone: nothing to save, nothing written.
    const long files = filesIn(out);
    form.openMenu(QStringLiteral("m_load"));
    saveAs(*s, "m_SaveMap", out.file("gone.png"));
    QCOMPARE(s->dialogs.texts(Kind::Information), QStringList{QStringLiteral("There is no map on the screen to save.")});
    QCOMPARE(s->dialogs.texts(Kind::SaveFile).size(), 0);
    QCOMPARE(filesIn(out), files);
  }

  void aSavedPngIsTransparentWhereNoSampleLiesAndABitmapIsAsShown() {
    auto s = start();
    TestMainForm& form = *s->form;
    ScratchDir out;
    act(form, "m_tile00")->trigger();  // 480 x 235: row 234 is never drawn
    saveAs(*s, "m_SaveMap", out.file("t.png"));
    const QImage png(QString::fromStdString(out.file("t.png")));
    QVERIFY(png.hasAlphaChannel());
    QCOMPARE(qAlpha(png.pixel(5, 0)), 255);
    QCOMPARE(qAlpha(png.pixel(5, 233)), 255);
    QCOMPARE(qAlpha(png.pixel(5, 234)), 0);
    QCOMPARE(png.pixel(5, 0), expectedColour(1, 1000));
    // The bitmap is the picture on screen: the last row repeats the one
    // above it.
    saveAs(*s, "m_SaveMap", out.file("t.bmp"));
    const QImage bmp(QString::fromStdString(out.file("t.bmp")));
    QVERIFY(!bmp.hasAlphaChannel());
    QCOMPARE(bmp.pixel(5, 234), bmp.pixel(5, 233));

    // Covered by the annotated tile map, the user's map keeps its holes.
    act(form, "m_h003")->trigger();
    saveAs(*s, "m_SaveMap", out.file("covered.png"));
    QCOMPARE(qAlpha(QImage(QString::fromStdString(out.file("covered.png"))).pixel(5, 234)), 0);
    act(form, "m_h003")->trigger();

    // A stopped draw: the rows it never reached show no sample.
    form.triggerStoppedAt("m_tile01", 3);
    saveAs(*s, "m_SaveMap", out.file("stopped.png"), 1);
    const QImage stopped(QString::fromStdString(out.file("stopped.png")));
    QCOMPARE(qAlpha(stopped.pixel(5, 0)), 255);
    QCOMPARE(stopped.pixel(5, 0), expectedColour(1, 2000));
    QCOMPARE(qAlpha(stopped.pixel(5, 100)), 0);
  }

  void theAnnotatedMapCoversTheUsersMapWithoutLosingItsPlace() {
    auto s = start();
    TestMainForm& form = *s->form;
    form.readout()->showPlaceNames(false);  // the point's own figures
    ScratchDir out;
    const QKeySequence annotated(QStringLiteral("Ctrl+T"));

    // Shown over no map: there is no map to save, and no legend.
    form.activateShortcut(annotated);
    QCOMPARE(form.state().annotatedShown, 1);
    form.BMPSave("none");
    form.m_SaveLegendClick();
    QCOMPARE(s->dialogs.texts(Kind::Information),
             (QStringList{QStringLiteral("There is no map on the screen to save."),
                          QStringLiteral("The annotated tile map has no legend. Save it with Save Map.")}));
    QCOMPARE(filesIn(out), 0L);
    form.activateShortcut(annotated);

    // Over a tile map: Save Map saves the tile map, placed; it has no
    // readout and no legend while it is covered.
    act(form, "m_tile00")->trigger();
    form.activateShortcut(annotated);
    QCOMPARE(form.dmap()->size(), QSize(1440, 720));
    QCOMPARE(readoutAt(form, 0, 0), QStringLiteral("The annotated tile map has no readout"));
    saveAs(*s, "m_SaveMap", out.file("under.png"));
    QCOMPARE(QImage(QString::fromStdString(out.file("under.png"))).size(), QSize(480, 235));
    QCOMPARE(readText(out.file("under.pgw")), kTile0Step24);
    saveAs(*s, "m_SaveLegend", out.file("legend.png"));
    QCOMPARE(s->dialogs.texts(Kind::Information),
             QStringList{QStringLiteral("The annotated tile map has no legend. Save it with Save Map.")});
    QCOMPARE(s->dialogs.texts(Kind::SaveFile).size(), 0);
    QVERIFY(!QFile::exists(QString::fromStdString(out.file("legend.png"))));

    // Given back: the tile map reads out and saves with its legend again.
    form.activateShortcut(annotated);
    QCOMPARE(readoutAt(form, 0, 0), QString::fromUtf8("88.00\xC2\xB0N  180.00\xC2\xB0W   1 000 m"));
    saveAs(*s, "m_SaveLegend", out.file("legend.png"));
    QCOMPARE(s->dialogs.texts(Kind::Information).size(), 0);
    QCOMPARE(s->dialogs.texts(Kind::Error).size(), 0);
    QVERIFY(QImage(QString::fromStdString(out.file("legend.png"))).width() > 480);
    saveAs(*s, "m_SaveMap", out.file("back.bmp"));
    QVERIFY(!s->dialogs.unanswered);
    QCOMPARE(readText(out.file("back.bpw")), kTile0Step24);
  }

  void bothSavesTakeTheSameSteps() {
    auto s = start();
    TestMainForm& form = *s->form;
    act(form, "m_tile00")->trigger();
    const QString legendExtension = QStringLiteral(
        "A map with its legend is saved as a BMP (.bmp) or PNG (.png) file.\n\n"
        "Please give the file name one of these endings.");
    for (const char* command : {"m_SaveMap", "m_SaveLegend"}) {
      const bool legend = QByteArray(command) == "m_SaveLegend";
      ScratchDir out;
      // An extension neither writes is refused, and nothing written.
      saveAs(*s, command, out.file("map.jpg"));
      QCOMPARE(s->dialogs.lastSave.title, legend ? QStringLiteral("Save Map with Legend") : QStringLiteral("Save Map"));
      QCOMPARE(s->dialogs.lastSave.fileName, QStringLiteral("megt88n180hb.bmp"));
      QCOMPARE(s->dialogs.texts(Kind::Information),
               QStringList{legend ? legendExtension
                                  : QStringLiteral("Maps are saved as BMP (.bmp), PNG (.png) or GeoTIFF (.tif) "
                                                   "files: map.jpg has none of these extensions.")});
      // A GeoTIFF holds no legend.
      saveAs(*s, command, out.file("map.tif"));
      QCOMPARE(s->dialogs.texts(Kind::Information).size(), legend ? 1 : 0);
      QCOMPARE(QFile::exists(QString::fromStdString(out.file("map.tif"))), !legend);
      std::filesystem::remove(out.file("map.tif"));
      QCOMPARE(filesIn(out), 0L);

      // The extension in any case; a file there is replaced only on Yes.
      saveAs(*s, command, out.file("MAP.PNG"));
      QCOMPARE(readText(out.file("MAP.PNG")).substr(0, 4), std::string("\x89PNG"));
      const std::string written = readText(out.file("MAP.PNG"));
      writeText(out.file("MAP.PNG"), "old");
      s->dialogs.clear();
      s->dialogs.saveAnswers << QString::fromStdString(out.file("MAP.PNG"));
      s->dialogs.answers.push_back(false);
      act(form, command)->trigger();
      QCOMPARE(s->dialogs.texts(Kind::Question), QStringList{QStringLiteral("File exists - Overwrite (Y/N)")});
      QCOMPARE(readText(out.file("MAP.PNG")), std::string("old"));
      saveAs(*s, command, out.file("MAP.PNG"), 1);
      QCOMPARE(readText(out.file("MAP.PNG")), written);

      // A folder that is not there, or that cannot be written: an error
      // message, and the program goes on.
      saveAs(*s, command, out.file("missing/map.png"));
      QCOMPARE(s->dialogs.texts(Kind::Error).size(), 1);
      const std::string locked = out.file("locked");
      std::filesystem::create_directory(locked);
      {
        FrozenFolder frozen(locked);
        if (frozen.frozen()) {
          saveAs(*s, command, locked + "/map.bmp");
          QCOMPARE(s->dialogs.texts(Kind::Error).size(), 1);
        }
      }
      QVERIFY(std::filesystem::is_empty(locked));
    }
  }
};

QTEST_MAIN(MapSaveTest)
#include "test_map_save.moc"
