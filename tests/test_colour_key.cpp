// The colour key window and the Scheme and Mode commands that repaint it
// and redraw the map.
#include <QAction>
#include <QtTest>

#include "app/MapImage.h"
#include "render/ColourFunction.h"
#include "tests/MainWindowHarness.h"
#include "windows/KeyMain.h"

using namespace tarvelon;
using namespace tarvelon::testing;

namespace {

// Every pixel of strip row y has the same colour.
bool rowIsUniform(const TVertKey& key, int y) {
  const QImage& picture = key.strip()->picture();
  for (int x = 0; x < picture.width(); ++x) {
    if (picture.pixel(x, y) != picture.pixel(0, y)) return false;
  }
  return true;
}

// The whole strip as the colours of its rows.
std::vector<QRgb> stripColours(const TVertKey& key) {
  std::vector<QRgb> rows;
  for (int y = 0; y < KeyStrip::kHeight; ++y) rows.push_back(stripRow(key, y));
  return rows;
}

}  // namespace

class ColourKeyTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  // The main window on the data folder, with its colour key.
  std::unique_ptr<StartedWindow> start() {
    auto s = startWindow(data_->str());
    s->addColourKey();
    return s;
  }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    writeTileLine(data_->tileFile(0), 0, [](int) { return 1000; });
  }

  void keyWindowLayout() {
    MapViewState state;
    QWidget mainWindow;
    mainWindow.resize(1200, 800);
    TVertKey key(state, &mainWindow);
    QCOMPARE(key.windowTitle(), QStringLiteral("Colour Key"));
    QCOMPARE(key.size(), QSize(124, 632));
    QVERIFY(key.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(key.isHidden());
    QCOMPARE(key.palette().color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(key.strip()->size(), QSize(36, 600));
    QCOMPARE(key.strip()->mapTo(&key, QPoint(0, 0)), QPoint(76, 16));  // the top row at y = 16
    QStringList labels;
    for (const KeyLabel& label : kKeyLabels) labels << QString::fromLatin1(label.text);
    QCOMPARE(labels, (QStringList{"20 000 m ....", "18 000 m ....", "16 00 m ....", "14 000 m ....", "12 000 m ....",
                                  "10 000 m ....", "8 000 m ....", "6 000 m ....", "4 000 m ....", "2 000 m ....",
                                  "Zero m ....", "-2 000 m ....", "-4 000 m ....", "-6 000 m ....",
                                  "-8 000 m ...."}));
    QCOMPARE(kKeyLabels[10].left, 16);
    QCOMPARE(kKeyLabels[14].top, 603);

    // Activation puts the key by the main window's right edge.
    key.show();
    key.move(3, 3);
    key.vkdraw();
    QCOMPARE(key.pos(), QPoint(1200 - key.frameGeometry().width() - 10, 50));
  }

  void stripRowsFollowTheColourFunction() {
    MapViewState state;
    TVertKey key(state, nullptr);

    state.shadingMode = 1;
    key.drawKeyStrip(0);
    QCOMPARE(stripRow(key, 599), qRgb(64, 64, 48));    // -8140 m
    QCOMPARE(stripRow(key, 0), qRgb(223, 223, 251));   // 21200 m

    state.shadingMode = 0;
    key.drawKeyStrip(5);
    for (int r = 167; r <= 187; ++r) QCOMPARE(stripRow(key, 600 - r), qRgb(242, 255, 0));  // 0 .. 970 m
    QCOMPARE(stripRow(key, 600 - 188), qRgb(255, 173, 0));                              // 1020 m

    // Every row, every scheme and mode: row r shows -8200 + 49 r brought up
    // to a multiple of 10.
    for (int mode = 0; mode < 4; ++mode) {
      state.shadingMode = mode;
      for (int scheme = 0; scheme < 6; ++scheme) {
        key.drawKeyStrip(scheme);
        for (int r = 1; r <= 600; ++r) {
          const int b = -8200 + 49 * r;
          QCOMPARE(stripRow(key, 600 - r), colourOf(scheme, mode, 10 * ((b + 9) / 10)));
          QVERIFY(rowIsUniform(key, 600 - r));
        }
      }
    }
    // The contoured and blended strips differ.
    state.shadingMode = 0;
    key.drawKeyStrip(2);
    const auto contoured = stripColours(key);
    state.shadingMode = 1;
    key.drawKeyStrip(2);
    QVERIFY(stripColours(key) != contoured);

    // User colours over the default bands.
    state.bandLimits = buildBandLimits(21250, -8200);
    key.drawKeyStrip(kUserColours);
    QCOMPARE(stripRow(key, 599), colourOf(kUserColours, 1, -8140, state.bandLimits));
    QCOMPARE(stripRow(key, 300), colourOf(kUserColours, 1, 10 * ((-8200 + 49 * 300 + 9) / 10), state.bandLimits));

    // An unknown scheme colours nothing: every row keeps the colour result
    // as it stood.
    state.pixel = PixelColour{1, 2, 3};
    key.drawKeyStrip(42);
    for (int y = 0; y < 600; ++y) QCOMPARE(stripRow(key, y), qRgb(1, 2, 3));
    QCOMPARE(state.pixel, (PixelColour{1, 2, 3}));
  }

  void schemeAndModeCommandsRepaintTheKeyAndRedraw() {
    auto s = start();
    TestMainForm& form = *s->form;
    TVertKey& key = *s->key;
    form.action("m_tile00")->trigger();

    // A scheme change while the key is hidden: strip, check mark and map.
    form.eventCalls = 0;
    form.action("m_setcol005")->trigger();
    QVERIFY(key.isHidden());
    QCOMPARE(form.state().colourScheme, 5);
    QCOMPARE(stripRow(key, 599), colourOf(5, 1, -8140));
    for (int k = 0; k < 6; ++k) QCOMPARE(form.menuItem(24 + k)->isChecked(), k == 5);
    QCOMPARE(form.eventCalls, 235);
    QCOMPARE(form.state().drawnScheme, 5);
    QCOMPARE(form.dmap()->picture().pixel(0, 0), colourOf(5, 1, 1000));

    // The same scheme again: nothing at all.
    form.eventCalls = 0;
    const auto strip = stripColours(key);
    form.action("m_setcol005")->trigger();
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(form.menuItem(29)->isChecked());

    // A mode change (F10): the strip turns to contours and the map is redrawn.
    form.activateShortcut(QKeySequence(Qt::Key_F10));
    QCOMPARE(form.state().shadingMode, 0);
    QCOMPARE(form.state().drawnMode, 0);
    QVERIFY(stripColours(key) != strip);
    QCOMPARE(stripRow(key, 600 - 188), qRgb(255, 173, 0));
    QCOMPARE(form.eventCalls, 235);
    for (int k = 0; k < 4; ++k) QCOMPARE(form.menuItem(30 + k)->isChecked(), k == 0);
    QCOMPARE(form.dmap()->picture().pixel(0, 0), colourOf(5, 0, 1000));
    // The check-marked mode right after a draw with it: nothing.
    form.eventCalls = 0;
    form.action("m_mode00")->trigger();
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(form.menuItem(30)->isChecked());

    // User colours in force (as the optimise-shading dialog leaves them):
    // choosing the scheme of the last draw only sets the scheme.
    form.state().bandLimits = buildBandLimits(3000, -2000);
    form.state().colourScheme = kUserColours;
    key.drawKeyStrip(kUserColours);
    const auto userStrip = stripColours(key);
    form.action("m_setcol005")->trigger();
    QCOMPARE(form.state().colourScheme, 5);
    QCOMPARE(form.eventCalls, 0);
    QVERIFY(stripColours(key) == userStrip);

    // Show Colour Key (Ctrl+K) shows the key by the main window's edge.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    QVERIFY(key.isVisible());
    QCOMPARE(key.pos().y(), 50);
    QCOMPARE(stripRow(key, 599), colourOf(5, 0, -8140));
  }

  void schemeChosenDuringADrawGivesAMapWhollyInIt() {
    auto s = start();
    TestMainForm& form = *s->form;
    TVertKey& key = *s->key;

    // 2 and then back to 1 while the first map is drawn: the menu, the key
    // and the map all end in scheme 1, the map drawn once more.
    form.duringDraw = [&](int call) {
      if (call == 10) form.action("m_setcol002")->trigger();
      if (call == 20) form.action("m_setcol001")->trigger();
    };
    form.action("m_tile00")->trigger();
    QCOMPARE(form.eventCalls, 2 * 235);
    QVERIFY(form.menuItem(25)->isChecked() && !form.menuItem(26)->isChecked());
    QCOMPARE(stripRow(key, 0), colourOf(1, 1, 21200));
    QCOMPARE(form.state().drawnScheme, 1);
    QCOMPARE(form.dmap()->picture().pixel(0, 0), colourOf(1, 1, 1000));
    QVERIFY(!form.redrawNeeded());

    // A mode chosen during a draw that is then stopped: no second draw, and
    // the map still counts as needing one.
    form.eventCalls = 0;
    form.duringDraw = [&](int call) {
      if (call == 3) form.activateShortcut(QKeySequence(Qt::Key_F10));
      if (call == 4) form.action("m_terminate")->trigger();
    };
    form.action("m_tile00")->trigger();
    QCOMPARE(form.eventCalls, 5);
    QCOMPARE(form.state().shadingMode, 0);
    QCOMPARE(form.state().drawnMode, 1);
    QVERIFY(form.redrawNeeded());
  }
};

QTEST_MAIN(ColourKeyTest)
#include "test_colour_key.moc"
