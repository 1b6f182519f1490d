// The elevation profile window on the offscreen platform: its figures, the
// point under the mouse, CSV and PNG export through its dialogs and the
// errors it reports; and the plot's picture it paints.
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <vector>

#include "export/ProfileFile.h"
#include "export/ProfilePicture.h"
#include "tests/TestFiles.h"
#include "windows/ProfileWindow.h"

using tarvelon::ElevationProfile;
using tarvelon::GeoPoint;
using tarvelon::ProfilePoint;
using tarvelon::ProfileWindow;

namespace {

constexpr std::int16_t kNoData = tarvelon::ElevationSource::kNoData;

// 10 km east along the equator from 20 E, a point a km: up to 3000 m at
// 4 km, down to -1500 m at 9 km, no data at 6 km.
ElevationProfile tenKilometres() {
  const std::vector<int> heights = {100, 500, 1500, 2400, 3000, 2000, kNoData, -200, -900, -1500, -1400};
  ElevationProfile profile;
  profile.from = GeoPoint{20, 0};
  profile.to = GeoPoint{20 + 10000 / (tarvelon::kMarsRadiusMetres * 3.14159265358979323846 / 180), 0};
  profile.length = 10000;
  for (std::size_t i = 0; i < heights.size(); ++i) {
    const double f = double(i) / 10;
    profile.points.push_back(ProfilePoint{1000.0 * double(i),
                                          GeoPoint{profile.from.longitude + f * (profile.to.longitude - 20), 0},
                                          static_cast<std::int16_t>(heights[i])});
  }
  return profile;
}

QWidget* plotOf(ProfileWindow& window) { return window.findChild<QWidget*>(QStringLiteral("profilePlot")); }

void moveTo(QWidget* widget, double x, double y) {
  QMouseEvent move(QEvent::MouseMove, QPointF(x, y), widget->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

}  // namespace

class ProfileWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheFiguresOfTheProfile() {
    ProfileWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Elevation Profile"));
    QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("exportCsv"))->isEnabled());
    window.showProfile(tenKilometres());
    QVERIFY(window.isVisible());
    QVERIFY(window.findChild<QPushButton*>(QStringLiteral("exportCsv"))->isEnabled());
    QCOMPARE(window.profile().points.size(), std::size_t(11));
    // Climb 400 + 1000 + 900 + 600, then 100 after the gap; descent 1000,
    // then 700 + 600 after it: the step across the gap counts for nothing.
    // Steepest: 1000 m over 1 km.
    QCOMPARE(window.figuresText(),
             QStringLiteral("Length 10.0 km    Total climb 3000 m    Total descent 2300 m    Steepest slope 45.0") +
                 QChar(0x00B0) + QStringLiteral("\nHighest 3000 m at 4.00 km    Lowest -1500 m at 9.00 km"));

    ElevationProfile none = tenKilometres();
    for (ProfilePoint& p : none.points) p.elevation = kNoData;
    window.showProfile(none);
    QCOMPARE(window.figuresText(), QStringLiteral("Length 10.0 km    No elevation data along the line"));
  }

  void hoverMarksThePointUnderTheMouse() {
    ProfileWindow window;
    window.showProfile(tenKilometres());
    window.resize(900, 560);
    QWidget* plot = plotOf(window);
    QVERIFY(plot != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    std::vector<std::optional<GeoPoint>> marked;
    connect(&window, &ProfileWindow::pointMarked, this,
            [&marked](std::optional<GeoPoint> point) { marked.push_back(point); });

    const QRectF frame = tarvelon::profilePlotFrame(plot->rect(), window.profile());
    QVERIFY(frame.width() > 100);
    // 4.3 km along: nearest the point at 4 km.
    moveTo(plot, frame.left() + frame.width() * 0.43, frame.center().y());
    QCOMPARE(marked.size(), std::size_t(1));
    QVERIFY(marked[0].has_value());
    QCOMPARE(marked[0]->longitude, window.profile().points[4].place.longitude);
    QVERIFY(window.markText().startsWith(QStringLiteral("At 4.00 km: 3000 m")));
    // Nearer the point at 5 km: a new mark; the same point again: none.
    moveTo(plot, frame.left() + frame.width() * 0.48, frame.center().y());
    moveTo(plot, frame.left() + frame.width() * 0.52, frame.top() + 3);
    QCOMPARE(marked.size(), std::size_t(2));
    QCOMPARE(marked[1]->longitude, window.profile().points[5].place.longitude);
    // A point with no data is still a point of the line.
    moveTo(plot, frame.left() + frame.width() * 0.6, frame.center().y());
    QVERIFY(window.markText().startsWith(QStringLiteral("At 6.00 km: no data")));
    // Left of the axes, then out of the plot: nothing.
    moveTo(plot, frame.left() - 20, frame.center().y());
    QCOMPARE(marked.size(), std::size_t(4));
    QVERIFY(!marked[3].has_value());
    moveTo(plot, frame.right(), frame.center().y());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(plot, &leave);
    QCOMPARE(marked.size(), std::size_t(6));
    QCOMPARE(marked[4]->longitude, window.profile().points[10].place.longitude);
    QVERIFY(!marked[5].has_value());
  }

  void exportsThroughTheDialogsAndReportsWhatCannotBeWritten() {
    tarvelon::testing::ScratchDir dir;
    ProfileWindow window;
    window.showProfile(tenKilometres());
    std::vector<QString> asked, errors;
    std::optional<QString> answer;
    window.setDialogs(
        [&](const QString& title, const QString& filter, const QString& suffix, const QString& name) {
          asked.push_back(title + "|" + filter + "|" + suffix + "|" + name);
          return answer;
        },
        [&](const QString& text) { errors.push_back(text); });

    // Cancelled: nothing written, nothing said.
    window.findChild<QPushButton*>(QStringLiteral("exportCsv"))->click();
    QCOMPARE(asked.size(), std::size_t(1));
    QCOMPARE(asked[0], QStringLiteral("Export Profile as CSV|CSV File (*.csv)|csv|elevation_profile.csv"));
    QVERIFY(errors.empty());

    answer = QString::fromStdString(dir.file("line.csv"));
    window.findChild<QPushButton*>(QStringLiteral("exportCsv"))->click();
    QCOMPARE(QString::fromStdString(tarvelon::testing::readText(dir.file("line.csv"))),
             QString::fromStdString(tarvelon::profileCsv(window.profile())));

    answer = QString::fromStdString(dir.file("line.png"));
    window.findChild<QPushButton*>(QStringLiteral("exportPng"))->click();
    QCOMPARE(asked.back(), QStringLiteral("Export Profile as PNG|PNG Image (*.png)|png|elevation_profile.png"));
    const QImage png(QString::fromStdString(dir.file("line.png")));
    QCOMPARE(png.size(), QSize(1200, 600));
    // The picture painted for the window, pixel for pixel (the halo's
    // antialiasing may move a shade between two paintings).
    const QImage painted = tarvelon::profileImage(window.profile());
    int differ = 0;
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 1200; ++x) {
        const QRgb a = png.pixel(x, y), b = painted.pixel(x, y);
        differ +=
            std::abs(qRed(a) - qRed(b)) > 2 || std::abs(qGreen(a) - qGreen(b)) > 2 || std::abs(qBlue(a) - qBlue(b)) > 2;
      }
    }
    QCOMPARE(differ, 0);
    QVERIFY(errors.empty());

    // Into a folder that is not there, or over a folder: refused, said,
    // and nothing left behind.
    const QString missing = QString::fromStdString(dir.file("no/such/folder/line.csv"));
    QVERIFY(!window.exportCsv(missing));
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY2(errors[0].contains(missing), qPrintable(errors[0]));
    std::filesystem::create_directory(dir.file("folder.png"));
    QVERIFY(!window.exportPng(QString::fromStdString(dir.file("folder.png"))));
    QCOMPARE(errors.size(), std::size_t(2));
    QVERIFY2(errors[1].contains(QStringLiteral("folder")), qPrintable(errors[1]));
    QVERIFY(!window.exportPng(QString::fromStdString(dir.file("line.jpg"))));
    QCOMPARE(errors.size(), std::size_t(3));
    QVERIFY(!std::filesystem::exists(dir.file("line.jpg")));
  }

  // The picture: the curve where there is data and none in a gap, the
  // points under the axes, and a marker line.
  void thePictureShowsTheCurveAndItsGaps() {
    ElevationProfile profile = tenKilometres();
    const QSize size(1000, 500);
    const QImage image = tarvelon::profileImage(profile, size);
    QCOMPARE(image.size(), size);
    const QRectF frame = tarvelon::profilePlotFrame(QRect(QPoint(0, 0), size), profile);
    QVERIFY(frame.left() > 30 && frame.right() < 1000 && frame.top() > 20 && frame.bottom() < 480);
    // A column's share of pixels coloured by the curve or the fill under it.
    auto filled = [&](double km) {
      const int x = int(frame.left() + frame.width() * km / 10);
      int count = 0;
      for (int y = int(frame.top()) + 2; y < int(frame.bottom()) - 2; ++y) {
        const QColor c = image.pixelColor(x, y);
        count += c.red() > c.blue() + 30;  // the warm fill and line, not grey or white
      }
      return count;
    };
    QVERIFY(filled(4) > filled(1));  // higher ground, more under the curve
    QVERIFY(filled(1) > 10);
    QCOMPARE(filled(6), 0);  // the gap: no data, nothing drawn
    QVERIFY(filled(5.3) == 0 && filled(6.7) == 0);
    QVERIFY(filled(8) > 0);

    // The point nearest a column of the plot, and none off the axes.
    const QRect area(QPoint(0, 0), size);
    QCOMPARE(tarvelon::profilePointAt(area, profile, frame.left()), std::optional<std::size_t>(0));
    QCOMPARE(tarvelon::profilePointAt(area, profile, frame.right()), std::optional<std::size_t>(10));
    QCOMPARE(tarvelon::profilePointAt(area, profile, frame.left() + frame.width() * 0.26),
             std::optional<std::size_t>(3));
    QVERIFY(!tarvelon::profilePointAt(area, profile, frame.right() + 2));
    QVERIFY(!tarvelon::profilePointAt(area, ElevationProfile{}, frame.center().x()));

    // A mark at the point at 2 km: a blue line down the frame.
    QImage marked(size, QImage::Format_RGB32);
    QPainter painter(&marked);
    tarvelon::paintProfile(painter, area, profile, 2);
    painter.end();
    const int x = int(std::lround(frame.left() + frame.width() * 0.2));
    int blue = 0;
    for (int y = int(frame.top()); y < int(frame.bottom()); ++y) {
      for (int dx = -1; dx <= 1; ++dx) {
        const QColor c = marked.pixelColor(x + dx, y);
        blue += c.blue() > c.red() + 60;
      }
    }
    QVERIFY2(blue > frame.height() / 3, qPrintable(QString::number(blue)));
  }

  // Lines of any length and none at all are drawn without a fault, their
  // figures in kilometres.
  void figuresAndOddLines() {
    QCOMPARE(tarvelon::profileKilometres(1234.5), QStringLiteral("1.23 km"));
    QCOMPARE(tarvelon::profileKilometres(3518400), QStringLiteral("3518.4 km"));
    QCOMPARE(tarvelon::profileMetres(-4321.4), QStringLiteral("-4321 m"));
    ElevationProfile zero;
    zero.points = {ProfilePoint{0, GeoPoint{1, 1}, 5}, ProfilePoint{0, GeoPoint{1, 1}, 5}};
    for (const ElevationProfile& odd : {zero, ElevationProfile{}}) {
      const QImage small = tarvelon::profileImage(odd, QSize(300, 160));
      QCOMPARE(small.size(), QSize(300, 160));
    }
    QVERIFY(tarvelon::profileSummaryLine(zero).startsWith(QStringLiteral("Length 0.00 km    Climb 0 m")));
  }
};

QTEST_MAIN(ProfileWindowTest)
#include "test_profile_window.moc"
