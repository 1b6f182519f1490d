// Explore Mars end to end on the offscreen platform, through the real main
// window: the wheel, a drag and Home move the view; the view drawn in the
// main window is the picture the explorer showed; profiles drawn on either
// map and distances measured agree with the sphere; a click on the location
// map opens the explorer there.
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <numbers>

#include "app/MapImage.h"
#include "app/MapProfileTool.h"
#include "core/MessageText.h"
#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"
#include "tests/MainWindowHarness.h"
#include "windows/ExplorerWindow.h"

using namespace tarvelon;
using namespace tarvelon::testing;

namespace {

// Samples written about 45 W, 22 N (tile 5, lines 2566 .. 3065): hills a
// few kilometres high, so that the colours and the light vary.
constexpr int kFirstLine = 2566;
constexpr int kLines = 500;
int hill(int column, int line) {
  return static_cast<int>(3000 * std::sin(column / 37.0) * std::cos(line / 23.0)) + (column + 3 * line) % 700;
}

// Haversine on the 3 396 190 m sphere, written out here.
double haversineMetres(GeoPoint a, GeoPoint b) {
  const double r = std::numbers::pi / 180;
  const double dLat = (b.latitude - a.latitude) * r;
  const double dLon = (b.longitude - a.longitude) * r;
  const double h = std::pow(std::sin(dLat / 2), 2) +
                   std::cos(a.latitude * r) * std::cos(b.latitude * r) * std::pow(std::sin(dLon / 2), 2);
  return 2 * 3396190.0 * std::asin(std::sqrt(h));
}

void mouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void drag(QWidget* widget, QPointF from, QPointF to, Qt::MouseButton button) {
  mouse(widget, QEvent::MouseButtonPress, from, button);
  mouse(widget, QEvent::MouseMove, (from + to) / 2, button);
  mouse(widget, QEvent::MouseMove, to, button);
  mouse(widget, QEvent::MouseButtonRelease, to, button);
}

void click(QWidget* widget, QPointF at) {
  mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
  mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

}  // namespace

class ExplorerTest : public QObject {
  Q_OBJECT

 private:
  DataFolder folder_;
  std::unique_ptr<StartedWindow> window_;

  ExplorerWindow* openAt(GeoPoint point, int level) {
    window_->form->activateShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    ExplorerWindow* explorer = window_->form->explorer();
    explorer->resize(700, 500);
    QCoreApplication::processEvents();
    explorer->canvas()->centreOn(point, level);
    explorer->canvas()->waitSharp();
    return explorer;
  }

 private slots:
  void initTestCase() {
    for (int line = kFirstLine; line < kFirstLine + kLines; ++line) {
      folder_.writeLine(5, line, [line](int column) { return hill(column, line); });
    }
    window_ = startWindow(folder_.str());
    window_->addLocationMap();
    window_->form->state().reliefShading = 1;
  }

  void theViewDrawnInTheMainWindowIsThePictureShown() {
    ExplorerWindow* explorer = openAt(GeoPoint{-45, 22}, 5);  // a pixel a sample
    QVERIFY(explorer->isVisible());
    ExplorerCanvas* canvas = explorer->canvas();
    QVERIFY(canvas->sharp());
    QCOMPARE(canvas->colouring().reliefShading, 1);
    const QImage shown = canvas->frame();
    const int w = canvas->width();
    const int h = canvas->height();
    const GeoPoint centre = canvas->view().pointAt(w / 2.0, h / 2.0);

    explorer->action(QStringLiteral("explorerDraw"))->trigger();
    TMainForm& form = *window_->form;
    QCOMPARE(form.state().placeId, kExploredView);
    QCOMPARE(QString::fromStdString(form.state().mapTitle),
             QStringLiteral("View of ") + QString::fromStdString(positionText(centre.latitude, centre.longitude)));
    const QImage drawn = form.dmap()->picture();
    QCOMPARE(drawn.size(), canvas->size());
    // Pixel for pixel, apart from the scale bar and the map's own edges,
    // which the view lights from the samples beyond them.
    int compared = 0;
    for (int y = 1; y < h - 80; y += 3) {
      for (int x = 1; x < w - 1; x += 3) {
        QCOMPARE(drawn.pixel(x, y), shown.pixel(x, y));
        ++compared;
      }
    }
    QVERIFY(compared > 20000);
    // Another resolution keeps the same ground about the same centre.
    const GridWindow before = form.state().gridWindow;
    const GridWindow after = windowAtStep(before, 4, kTileGridSpec);
    QCOMPARE(after.width, (w + 2) / 4);
    QVERIFY(std::abs((after.firstColumn + after.width * 2) - (before.firstColumn + w / 2)) <= 4);
  }

  void theWheelADragAndHomeMoveTheView() {
    ExplorerWindow* explorer = openAt(GeoPoint{-45, 22}, 5);
    ExplorerCanvas* canvas = explorer->canvas();
    const GeoPoint under = canvas->view().pointAt(100, 80);
    QWheelEvent wheel(QPointF(100, 80), canvas->mapToGlobal(QPointF(100, 80)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas, &wheel);
    QCOMPARE(canvas->view().level(), 4);  // in: 2 pixels a sample
    const GeoPoint still = canvas->view().pointAt(100, 80);
    QVERIFY(std::abs(still.longitude - under.longitude) <= 1.0 / 128);
    QVERIFY(std::abs(still.latitude - under.latitude) <= 1.0 / 128);
    // The last view, scaled, stands in at once; sharp once the pieces come.
    QVERIFY(!canvas->sharp());
    const QImage standIn = canvas->frame();
    canvas->waitSharp();
    // Twice as close: the last view's pixels, each shown 2 x 2, are the
    // samples the sharp view shows, bar the scale bar and the edges.
    const QImage sharp = canvas->frame();
    for (int y = 10; y < 200; y += 7) {
      for (int x = 10; x < 500; x += 7) QCOMPARE(standIn.pixel(x, y), sharp.pixel(x, y));
    }
    QVERIFY(canvas->sharp());

    const std::int64_t x = canvas->view().originX();
    const std::int64_t y = canvas->view().originY();
    drag(canvas, QPointF(300, 200), QPointF(340, 230), Qt::LeftButton);
    QCOMPARE(canvas->view().originX(), x - 40);
    QCOMPARE(canvas->view().originY(), y - 30);
    QTest::keyClick(canvas, Qt::Key_Minus);
    QCOMPARE(canvas->view().level(), 5);
    QTest::keyClick(canvas, Qt::Key_Home);
    QCOMPARE(canvas->view().level(), canvas->view().fittingLevel());
    // Feature Names in the main window puts the names on the explorer too.
    canvas->waitSharp();
    const QImage unnamed = canvas->frame();
    act(*window_->form, "m_names")->trigger();
    QTest::qWait(400);  // the explorer asks, then places them once the view is still
    QVERIFY(canvas->namesShown());
    QVERIFY(canvas->namesPlaced() > 10);
    QVERIFY(canvas->frame() != unnamed);
    act(*window_->form, "m_names")->trigger();
    QTest::qWait(400);
    QVERIFY(!canvas->namesShown());
    QCOMPARE(canvas->frame(), unnamed);
    QVERIFY(canvas->view().planetWidth() <= canvas->width());
    // Roaming keeps the pieces within the cache's limit (here 4 MB: a
    // view's pieces and a few more).
    canvas->setCacheLimit(std::size_t(4) << 20);
    canvas->centreOn(GeoPoint{-45, 22}, 6);
    for (int k = 0; k < 8; ++k) {
      canvas->panBy(-250, k % 2 == 0 ? 60 : -60);
      canvas->waitSharp();
      QVERIFY(canvas->sharp());
      QVERIFY(canvas->cacheBytes() <= std::size_t(4) << 20);
    }
  }

  void profilesAndDistancesAgreeWithTheSphere() {
    ExplorerWindow* explorer = openAt(GeoPoint{-45, 22}, 6);
    ExplorerCanvas* canvas = explorer->canvas();
    drag(canvas, QPointF(50, 150), QPointF(550, 260), Qt::RightButton);
    ProfileWindow* profile = explorer->profileWindow();
    QVERIFY(profile != nullptr && profile->isVisible());
    const ElevationProfile& p = profile->profile();
    const GeoPoint from = canvas->view().pointAt(50, 150);
    const GeoPoint to = canvas->view().pointAt(550, 260);
    QVERIFY(std::abs(p.from.longitude - from.longitude) < 1e-9 && std::abs(p.to.latitude - to.latitude) < 1e-9);
    QVERIFY(std::abs(p.length - haversineMetres(from, to)) < 1e-3 * p.length);
    // One point at least every grid step, each the sample of its cell.
    QVERIFY(p.points.size() >= std::size_t(p.length / 463.0));
    for (std::size_t i = 0; i < p.points.size(); i += 97) {
      const GridIndex g = indexIn(kTileGridSpec, p.points[i].place.longitude, p.points[i].place.latitude);
      const int line = g.line - 5632;  // tile row 1
      const int column = static_cast<int>(g.column) - 11520;
      const int expected = line >= kFirstLine && line < kFirstLine + kLines ? hill(column, line) : 0;
      QCOMPARE(int(p.points[i].elevation), expected);
    }
    QVERIFY(profile->figuresText().contains(QStringLiteral("Length")));

    // Measured: two legs and their total.
    explorer->action(QStringLiteral("explorerMeasure"))->trigger();
    click(canvas, QPointF(100, 100));
    click(canvas, QPointF(400, 100));
    click(canvas, QPointF(400, 300));
    QCOMPARE(canvas->measurePoints().size(), std::size_t(3));
    const auto km = [](double metres) { return QString::number(metres / 1000, 'f', 1) + QStringLiteral(" km"); };
    const auto& m = canvas->measurePoints();
    const double first = haversineMetres(m[0], m[1]);
    const double second = haversineMetres(m[1], m[2]);
    QCOMPARE(explorer->measureText(), QStringLiteral("Legs: %1 + %2   Total: %3").arg(km(first), km(second),
                                                                                      km(first + second)));
    QTest::keyClick(canvas, Qt::Key_Escape);
    QVERIFY(canvas->measurePoints().empty());
    explorer->action(QStringLiteral("explorerPan"))->trigger();
  }

  void theExplorerFollowsTheProjectionOfTheMaps() {
    ExplorerWindow* explorer = openAt(GeoPoint{-45, 22}, 8);
    TMainForm& form = *window_->form;
    ExplorerCanvas* canvas = explorer->canvas();
    form.m_projectionClick(act(form, "m_projglobe"));
    QTest::qWait(400);  // the explorer asks the main window now and then
    QCOMPARE(canvas->projection(), ProjectionKind::Globe);
    // The globe about the point that was in the middle.
    QVERIFY(greatCircleMetres(*canvas->centrePoint(), GeoPoint{-45, 22}) < 10000);
    canvas->waitSharp();
    QVERIFY(canvas->sharp());
    QVERIFY(canvas->frame().pixel(canvas->width() / 2, canvas->height() / 3) != qRgb(40, 40, 46));
    // A drag turns the globe; the wheel zooms about the pointer.
    const GeoPoint grabbed = *canvas->centrePoint();
    drag(canvas, QPointF(canvas->width() / 2.0, canvas->height() / 2.0),
         QPointF(canvas->width() / 2.0 + 40, canvas->height() / 2.0), Qt::LeftButton);
    QVERIFY(canvas->centrePoint()->longitude < grabbed.longitude - 0.1);
    // North polar, far from the pole: the explorer shows the cap whole.
    form.m_projectionClick(act(form, "m_projnorth"));
    QTest::qWait(400);
    QCOMPARE(canvas->projection(), ProjectionKind::NorthPolar);
    QVERIFY(canvas->centrePoint()->latitude > 89);
    canvas->centreOn(GeoPoint{0, 90}, 10);  // the cap poleward of about 70 N
    canvas->waitSharp();
    explorer->action(QStringLiteral("explorerDraw"))->trigger();
    QCOMPARE(form.state().placeId, kExploredView);
    QVERIFY(form.shownFrame().has_value());
    QCOMPARE(form.shownFrame()->projection.kind, ProjectionKind::NorthPolar);
    form.m_projectionClick(act(form, "m_projcyl"));
    QTest::qWait(400);
    QCOMPARE(canvas->projection(), ProjectionKind::Equirectangular);
  }

  void aProfileDrawnOnTheMainMapAndTheLocationMapsClick() {
    TMainForm& form = *window_->form;
    QVERIFY(form.dmap()->hasPicture());  // the view drawn before
    drag(form.dmap(), QPointF(20, 20), QPointF(500, 300), Qt::RightButton);
    MapProfileTool* tool = form.profileTool();
    QVERIFY(tool->line().has_value());
    QVERIFY(tool->profileWindow() != nullptr && tool->profileWindow()->isVisible());
    const MapGeometry* geometry = form.readout()->shownMap().geometry();
    const GeoPoint from = *mapPointAt(*geometry, QPointF(20, 20));
    QVERIFY(std::abs(tool->line()->first.longitude - from.longitude) < 1e-9);
    QVERIFY(std::abs(tool->profileWindow()->profile().length - haversineMetres(from, tool->line()->second)) < 1.0);
    QVERIFY(tool->lineShown());
    // Another map of the same size: the line stays with the map it was on.
    GridWindow other = form.state().gridWindow;
    other.firstColumn += 500;
    QCOMPARE(form.drawViewMap(other, GeoPoint{-40, 22}), WindowDrawResult::Completed);
    QVERIFY(!tool->lineShown());

    // A click on the location map: the explorer about that point.
    window_->location->showLocation(QStringLiteral("test"), std::nullopt);
    click(window_->location->locator(), QPointF(160, 60));  // 60 W, 45 N
    ExplorerCanvas* canvas = form.explorer()->canvas();
    const GeoPoint centre = canvas->view().pointAt(canvas->width() / 2.0, canvas->height() / 2.0);
    QVERIFY(std::abs(centre.longitude + 60) < 0.1);
    QVERIFY(std::abs(centre.latitude - 45) < 0.1);
  }
};

QTEST_MAIN(ExplorerTest)
#include "test_explorer.moc"
