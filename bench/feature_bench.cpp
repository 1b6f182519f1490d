// Times choosing a feature from the Map Area menu to the finished map, in
// the real main window, drawing directly to the screen and in background.
//
//   feature_bench DATA_FOLDER [RUNS] [COMPONENT ...]
//
// Default features: "Gale" (m_c052, a typical crater) and "Olympia (N
// Pole)" (m_p009, the widest). A named place of the IAU's list is given
// as iau:ID (iau:2071 is Gale) and timed from the finder's choice: its
// frame drawn on a worker. Run it on a display (Xvfb will do) or with
// QT_QPA_PLATFORM=offscreen.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/MapImage.h"
#include "app/MarsMain.h"
#include "bench/WindowBench.h"
#include "render/BlankRaster.h"

using tarvelon::bench::median;
using tarvelon::bench::PrintingDialogs;

int main(int argc, char** argv) {
  tarvelon::reuseRasterMemory();  // as the program does
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: feature_bench DATA_FOLDER [RUNS] [COMPONENT ...]\n");
    return 2;
  }
  const int runs = args.size() > 2 ? args[2].toInt() : 5;
  QStringList features = args.mid(3);
  if (features.isEmpty()) features = {QStringLiteral("m_c052"), QStringLiteral("m_p009")};

  QTemporaryDir startDir;
  {
    std::ofstream settings(QDir(startDir.path()).filePath("megdr128.cfg").toStdString(), std::ios::binary);
    settings << args[1].toStdString() << "\r\n1\r\n1\r\n";
  }
  PrintingDialogs dialogs;
  tarvelon::TMainForm form(startDir.path(), dialogs);
  if (!form.dataFolderReady()) return 1;
  form.showMaximized();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  std::printf("platform %s\n", qPrintable(QApplication::platformName()));
  QAction* background = form.action(QStringLiteral("Drawinbackground"));

  for (const QString& component : features) {
    QAction* item = form.action(component);
    const bool place = component.startsWith(QStringLiteral("iau:"));
    const int placeId = place ? component.mid(4).toInt() : 0;
    // What choosing it does: for a menu item the Map Area menu opens, then
    // the item's command runs; a named place is drawn as the finder does.
    auto choose = [&] {
      if (place) {
        form.drawPlaceMap(placeId);
      } else {
        form.openMenu(QStringLiteral("m_area"));
        item->trigger();
      }
    };
    if (item == nullptr && !place) {
      std::fprintf(stderr, "no menu item %s\n", qPrintable(component));
      return 2;
    }
    // Read once first, so that every timed draw finds the lines cached.
    choose();
    std::vector<double> direct, inBackground;
    for (int run = 0; run < runs; ++run) {
      for (const bool back : {false, true}) {
        if ((form.state().drawInBackground == 1) != back) background->trigger();
        QElapsedTimer timer;
        timer.start();
        choose();
        QApplication::processEvents();  // the last repaint
        (back ? inBackground : direct).push_back(double(timer.nsecsElapsed()) / 1e6);
      }
    }
    std::printf("%-8s %-45s %5d x %-5d step %2d: direct %7.1f ms, background %7.1f ms (medians of %d)\n",
                qPrintable(component), form.state().mapTitle.c_str(), form.dmap()->width(), form.dmap()->height(),
                form.state().sampleStep, median(direct), median(inBackground), runs);
  }
  return 0;
}
