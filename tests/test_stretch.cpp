// The optimise-shading dialog: its limit bars, its three buttons and the
// redraw they make, on its own and through the main window.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "app/MapImage.h"
#include "render/ColourFunction.h"
#include "tests/MainWindowHarness.h"
#include "windows/KeyMain.h"
#include "windows/Stretch.h"

using namespace tarvelon;
using namespace tarvelon::testing;

namespace {

struct FakeStretchHost : StretchHost {
  int schemeAfterUserColours() const override { return fallback; }
  void redrawByMapKind() override { ++redraws; }
  int fallback = 2;
  int redraws = 0;
};

// lower[0..15] and upper[0..15] as two lists.
std::pair<std::vector<int>, std::vector<int>> bands(const BandLimits& limits) {
  return {std::vector<int>(limits.begin(), limits.begin() + 16), std::vector<int>(limits.begin() + 16, limits.end())};
}

// The next widget that Tab moves to.
QWidget* nextTabStop(QWidget* from) {
  QWidget* next = from->nextInFocusChain();
  while (next != from && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  return next;
}

}  // namespace

class StretchTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  // The program's windows around a main window started on the data folder.
  std::unique_ptr<StartedWindow> start(int scheme = 1) {
    auto p = startWindow(data_->str(), scheme, 1);
    p->addColourKey();
    p->addStretchDialog();
    return p;
  }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    // Tile 0: line 0 at 3000 m, line 24 at -2000 m, the rest at 0 m.
    writeTileLine(data_->tileFile(0), 0, [](int) { return 3000; });
    writeTileLine(data_->tileFile(0), 24, [](int) { return -2000; });
  }

  void layoutAndFirstLimits() {
    MapViewState state;
    FakeStretchHost host;
    QWidget mainWindow;
    mainWindow.resize(816, 718);
    TStretchColours dialog(state, host, &mainWindow);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Optimise Shading"));
    QCOMPARE(dialog.size(), QSize(389, 215));
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(dialog.isHidden());
    QVERIFY(!dialog.isModal());
    QCOMPARE(dialog.pos(), QPoint(816 - 405 - 20, 718 - 254 - 20));

    QScrollBar* top = dialog.topLimit();
    QScrollBar* bottom = dialog.bottomLimit();
    QCOMPARE((QList<int>{top->minimum(), top->maximum(), top->value(), top->singleStep(), top->pageStep()}),
             (QList<int>{-7700, 21250, 21250, 50, 500}));
    QCOMPARE((QList<int>{bottom->minimum(), bottom->maximum(), bottom->value(), bottom->singleStep(),
                         bottom->pageStep()}),
             (QList<int>{-8200, 18000, -8200, 50, 500}));
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("21250"));
    QCOMPARE(dialog.altitude1()->text(), QStringLiteral("-8200"));
    QCOMPARE(dialog.altmax()->text(), QString());
    QCOMPARE(dialog.altmin()->text(), QString());
    QCOMPARE(dialog.optButton()->text(), QStringLiteral("&Optimise"));
    QCOMPARE(dialog.defaultButton()->text(), QStringLiteral("&Default"));
    QCOMPARE(dialog.userButton()->text(), QStringLiteral("&User Colours"));
    QVERIFY(dialog.optButton()->isDefault());
    QCOMPARE(nextTabStop(top), bottom);
    QCOMPARE(nextTabStop(bottom), dialog.optButton());
    QCOMPARE(nextTabStop(dialog.optButton()), dialog.defaultButton());
    QCOMPARE(nextTabStop(dialog.defaultButton()), dialog.userButton());
    // Creation writes no bands.
    QCOMPARE(state.bandLimits, BandLimits{});
    QCOMPARE(host.redraws, 0);
    // Every label's text fits its box.
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
      QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
               qPrintable(label->objectName()));
    }
  }

  void theLimitThatMovesGivesWay() {
    MapViewState state;
    FakeStretchHost host;
    TStretchColours dialog(state, host, nullptr);
    QScrollBar* top = dialog.topLimit();
    QScrollBar* bottom = dialog.bottomLimit();

    // The upper limit dragged to -7700 above a lower one at -8200.
    top->setValue(-7700);
    QCOMPARE(top->value(), -7650);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("-7650"));
    QCOMPARE(bottom->value(), -8200);
    // Moving it down again, a page at a time, stops at the same place.
    top->setValue(-6000);
    for (int press = 0; press < 3; ++press) top->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(top->value(), -7500);
    top->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(top->value(), -7650);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("-7650"));

    // The lower limit moved to 18000 below an upper one at 18200.
    top->setValue(18200);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("18200"));
    bottom->setValue(18000);
    QCOMPARE(bottom->value(), 17650);
    QCOMPARE(dialog.altitude1()->text(), QStringLiteral("17650"));
    QCOMPARE(top->value(), 18200);
    // One small step up is given back at once.
    bottom->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(bottom->value(), 17650);

    // The upper limit dragged down onto the lower: it climbs back over it.
    top->setValue(17000);
    QCOMPARE(top->value(), 18200);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("18200"));

    // The lower limit at its foot stops falling even 500 m or less below
    // the upper one: the clamp holds it.
    top->setValue(-7650);
    bottom->setValue(-8200);
    QCOMPARE(bottom->value(), -8200);
    top->setValue(-7700);
    QCOMPARE(top->value(), -7650);

    // Values beyond a bar's range stay on the bar's end.
    bottom->setValue(-9000);
    QCOMPARE(bottom->value(), -8200);
    top->setValue(30000);
    QCOMPARE(top->value(), 21250);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("21250"));
    QCOMPARE(host.redraws, 0);  // the bars alone redraw nothing
  }

  void bandsFromTheLimitTexts() {
    MapViewState state;
    FakeStretchHost host;
    TStretchColours dialog(state, host, nullptr);

    // The first limits: 29450 / 14 = 2103.57 gives a step of 2104.
    dialog.UserButtonClick();
    QCOMPARE(state.colourScheme, kUserColours);
    QCOMPARE(host.redraws, 1);
    std::vector<int> upper;
    std::vector<int> lower{-8200};
    for (int i = 0; i <= 14; ++i) upper.push_back(-8200 + 2105 * i);
    for (int i = 1; i <= 15; ++i) lower.push_back(upper[std::size_t(i - 1)] + 1);
    upper.push_back(21250);
    QCOMPARE(bands(state.bandLimits), std::make_pair(lower, upper));
    QCOMPARE(state.bandLimits[15], 21271);  // band 15 is empty

    // Optimise after a map from -2000 m to 3000 m.
    state.altMax = 3000;
    state.altMin = -2000;
    dialog.OptButtonClick();
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("3000"));
    QCOMPARE(dialog.altitude1()->text(), QStringLiteral("-2000"));
    QCOMPARE(dialog.topLimit()->value(), 3000);
    QCOMPARE(dialog.bottomLimit()->value(), -2000);
    const auto optimised = std::make_pair(
        std::vector<int>{-8200, -1999, -1641, -1283, -925, -567, -209, 149, 507, 865, 1223, 1581, 1939, 2297, 2655,
                         3013},
        std::vector<int>{-2000, -1642, -1284, -926, -568, -210, 148, 506, 864, 1222, 1580, 1938, 2296, 2654, 3012,
                         21250});
    QCOMPARE(bands(state.bandLimits), optimised);
    QCOMPARE(host.redraws, 2);

    // A flat map: fourteen bands of one elevation each.
    state.altMax = 0;
    state.altMin = 0;
    dialog.OptButtonClick();
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("0"));
    QCOMPARE(dialog.altitude1()->text(), QStringLiteral("0"));
    // On the bars the lower limit gave way; the texts keep the values.
    QCOMPARE(dialog.topLimit()->value(), 0);
    QCOMPARE(dialog.bottomLimit()->value(), -550);
    std::vector<int> flatLower{-8200};
    std::vector<int> flatUpper{0};
    for (int i = 1; i <= 14; ++i) {
      flatLower.push_back(i);
      flatUpper.push_back(i);
    }
    flatLower.push_back(15);
    flatUpper.push_back(21250);
    QCOMPARE(bands(state.bandLimits), std::make_pair(flatLower, flatUpper));

    // Optimise with the lower bar above the new maximum: the upper bar is
    // pushed over it, the texts and the bands keep the exact values.
    dialog.topLimit()->setValue(21250);
    dialog.bottomLimit()->setValue(10000);
    state.altMax = 3000;
    state.altMin = -2000;
    dialog.OptButtonClick();
    QCOMPARE(dialog.topLimit()->value(), 10550);
    QCOMPARE(dialog.bottomLimit()->value(), -2000);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("3000"));
    QCOMPARE(bands(state.bandLimits), optimised);

    // Values beyond the bars' ranges: clamped on the bars only.
    state.altMax = 25000;
    state.altMin = -9000;
    dialog.OptButtonClick();
    QCOMPARE(dialog.topLimit()->value(), 21250);
    QCOMPARE(dialog.bottomLimit()->value(), -8200);
    QCOMPARE(dialog.altitude0()->text(), QStringLiteral("25000"));
    QCOMPARE(dialog.altitude1()->text(), QStringLiteral("-9000"));
    QCOMPARE(state.bandLimits[16], -9000);
    QCOMPARE(state.bandLimits[16 + 14], -9000 + 14 * (2429 + 1));  // 34000 / 14 = 2428.57

    // Default leaves the user colours for the host's scheme.
    host.fallback = 4;
    dialog.DefaultButtonClick();
    QCOMPARE(state.colourScheme, 4);
    // and, with a scheme 0..5 in force, keeps it.
    dialog.DefaultButtonClick();
    QCOMPARE(state.colourScheme, 4);
    QCOMPARE(host.redraws, 7);
  }

  void optimiseRedrawsTheMapAndKeyInUserColours() {
    auto p = start();
    TestMainForm& form = *p->form;
    form.action("m_tile00")->trigger();
    QCOMPARE(form.altmaxText(), QStringLiteral("3000 m)"));
    // The renderer's altitude texts reach the dialog.
    QCOMPARE(p->dialog->altmax()->text(), QStringLiteral("3000 m)"));
    QCOMPARE(p->dialog->altmin()->text(), QStringLiteral("-2000 m)"));
    QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(1, 1, 3000));

    // Ctrl+O shows the dialog.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    QVERIFY(p->dialog->isVisible());
    p->key->show();

    form.eventCalls = 0;
    p->dialog->optButton()->click();
    QCOMPARE(form.state().colourScheme, kUserColours);
    QCOMPARE(form.eventCalls, 235);  // the whole tile again
    const BandLimits& limits = form.state().bandLimits;
    QCOMPARE(limits[15], 3013);
    QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(kUserColours, 1, 3000, limits));
    QCOMPARE(form.dmap()->picture().pixel(5, 1), colourOf(kUserColours, 1, -2000, limits));
    QCOMPARE(form.dmap()->picture().pixel(5, 2), colourOf(kUserColours, 1, 0, limits));
    QVERIFY(colourOf(kUserColours, 1, 3000, limits) != colourOf(1, 1, 3000));
    // The key shows the user colours too.
    QCOMPARE(stripRow(*p->key, 599), colourOf(kUserColours, 1, -8140, limits));
    QCOMPARE(stripRow(*p->key, 600 - 167), colourOf(kUserColours, 1, 0, limits));
    // The redraw went around the Resolution command.
    QCOMPARE(form.state().drawnScheme, 1);
    QCOMPARE(form.state().drawnMode, 1);
    QCOMPARE(form.state().drawnResolution, 0);
    QVERIFY(form.redrawNeeded());
    QCOMPARE(form.dmap()->size(), QSize(480, 235));

    // User Colours with the limits as they stand draws the map once more.
    form.eventCalls = 0;
    p->dialog->userButton()->click();
    QCOMPARE(form.eventCalls, 235);

    // Default: the menu's scheme, map and key.
    form.eventCalls = 0;
    p->dialog->defaultButton()->click();
    QCOMPARE(form.state().colourScheme, 1);
    QCOMPARE(form.eventCalls, 235);
    QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(1, 1, 3000));
    QCOMPARE(stripRow(*p->key, 599), colourOf(1, 1, -8140));
    // Default again, with scheme 1 in force: the same map drawn again.
    form.eventCalls = 0;
    p->dialog->defaultButton()->click();
    QCOMPARE(form.eventCalls, 235);

    // "Terminate Drawing Mode" hands on the values reached so far.
    form.state().altMax = 1234;
    form.state().altMin = -56;
    form.action("m_terminate")->trigger();
    QCOMPARE(p->dialog->altmax()->text(), QStringLiteral("1234 m)"));
    QCOMPARE(p->dialog->altmin()->text(), QStringLiteral("-56 m)"));
  }

  void defaultNeverFallsBackToANonScheme() {
    // No draw through the Resolution command yet (drawnScheme -1): an area
    // drawn directly, in the user colours, then Default.
    {
      auto p = start(3);
      TestMainForm& form = *p->form;
      form.openMenu("m_area");
      QVERIFY(form.drawAreaMap(-180, 88, -170, 80) == AreaDrawResult::Completed);
      QCOMPARE(form.state().drawnScheme, -1);
      p->dialog->userButton()->click();
      QCOMPARE(form.state().colourScheme, kUserColours);
      p->dialog->defaultButton()->click();
      QCOMPARE(form.state().colourScheme, 3);  // the check-marked scheme
      QVERIFY(form.menuItem(24 + 3)->isChecked());
      QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(3, 1, 3000));
    }
    // A resolution change while the user colours are in force records 99.
    {
      auto p = start(2);
      TestMainForm& form = *p->form;
      form.action("m_tile00")->trigger();
      p->dialog->userButton()->click();
      form.activateShortcut(QKeySequence(Qt::Key_F6));
      QCOMPARE(form.state().drawnScheme, kUserColours);
      p->dialog->defaultButton()->click();
      QCOMPARE(form.state().colourScheme, 2);
      QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(2, 1, 3000));
      for (int k = 0; k < 6; ++k) QCOMPARE(form.menuItem(24 + k)->isChecked(), k == 2);
    }
  }

  void theDialogRedrawsTheMapOnScreen() {
    auto p = start();
    TestMainForm& form = *p->form;
    form.action("m_tile00")->trigger();
    // The Map Area menu opened, but no area drawn: the tile is the map on
    // screen, and the dialog redraws it, at its own step.
    form.openMenu("m_area");
    QCOMPARE(form.state().mapKind, 1);
    form.eventCalls = 0;
    p->dialog->optButton()->click();
    QCOMPARE(form.eventCalls, 235);
    QVERIFY(form.legendText().startsWith(QStringLiteral("Tile: megt88n180hb.img processed in ")));
    QCOMPARE(form.dmap()->picture().size(), QSize(480, 235));
    QCOMPARE(form.state().areaWest, 0);

    // With an area drawn, the dialog redraws that area.
    QVERIFY(form.drawAreaMap(-180, 88, -170, 80) == AreaDrawResult::Completed);
    const QSize size = form.dmap()->size();
    form.eventCalls = 0;
    p->dialog->userButton()->click();
    QVERIFY(form.eventCalls > 0);
    QCOMPARE(form.dmap()->size(), size);
    QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(kUserColours, 1, 3000, form.state().bandLimits));
  }

  void aPressDuringADrawGivesAMapWhollyInTheNewColours() {
    auto p = start();
    TestMainForm& form = *p->form;
    form.duringDraw = [&](int call) {
      if (call == 100) p->dialog->userButton()->click();
    };
    form.action("m_tile00")->trigger();
    form.duringDraw = nullptr;
    QCOMPARE(form.eventCalls, 2 * 235);
    QCOMPARE(form.dmap()->picture().pixel(5, 0), colourOf(kUserColours, 1, 3000, form.state().bandLimits));
    QCOMPARE(form.dmap()->picture().pixel(5, 233), colourOf(kUserColours, 1, 0, form.state().bandLimits));
  }
};

QTEST_MAIN(StretchTest)
#include "test_stretch.moc"
