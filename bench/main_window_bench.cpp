// Times whole-tile draws through the real main window: directly to the
// screen against in background, and how soon the window is on the screen.
//
//   main_window_bench DATA_FOLDER [TILE 0..15] [RUNS] [RESOLUTION 0..7]
//
// Run it on a display (Xvfb will do) or with QT_QPA_PLATFORM=offscreen.
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
  QElapsedTimer sinceStart;
  sinceStart.start();
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: main_window_bench DATA_FOLDER [TILE] [RUNS] [RESOLUTION]\n");
    return 2;
  }
  const QString data = args[1];
  const int tile = args.size() > 2 ? args[2].toInt() : 5;
  const int runs = args.size() > 3 ? args[3].toInt() : 5;
  const int resolution = args.size() > 4 ? args[4].toInt() : 4;

  QTemporaryDir startDir;
  {
    std::ofstream settings(QDir(startDir.path()).filePath("megdr128.cfg").toStdString(), std::ios::binary);
    settings << data.toStdString() << "\r\n1\r\n1\r\n";
  }
  PrintingDialogs dialogs;
  tarvelon::TMainForm form(startDir.path(), dialogs);
  if (!form.dataFolderReady()) return 1;
  form.showMaximized();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  const double shownAfter = double(sinceStart.nsecsElapsed()) / 1e6;
  std::printf("platform %s, window exposed %.0f ms after start\n", qPrintable(QApplication::platformName()),
              shownAfter);

  QAction* tileItem = form.menuItem(tarvelon::kTileItemBase + tile);
  QAction* resolutionItem = form.menuItem(tarvelon::kResolutionItemBase + resolution);
  QAction* background = form.action(QStringLiteral("Drawinbackground"));
  // The tile is read once first, so that every timed draw finds it cached.
  tileItem->trigger();

  std::vector<double> direct, inBackground;
  for (int run = 0; run < runs; ++run) {
    for (const bool back : {false, true}) {
      if ((form.state().drawInBackground == 1) != back) background->trigger();
      // Back to the thumbnail, so that the timed resolution is drawn anew.
      tileItem->trigger();
      QElapsedTimer timer;
      timer.start();
      resolutionItem->trigger();
      QApplication::processEvents();  // the last repaint
      const double ms = double(timer.nsecsElapsed()) / 1e6;
      (back ? inBackground : direct).push_back(ms);
      std::printf("run %d %-10s %8.1f ms  (%s)\n", run + 1, back ? "background" : "direct", ms,
                  qPrintable(form.legendText()));
    }
  }
  const double d = median(direct);
  const double b = median(inBackground);
  std::printf("tile %d at resolution item %d (%dx%d): direct %.1f ms, background %.1f ms (medians of %d), ratio %.2f\n",
              tile + 1, resolution, form.dmap()->width(), form.dmap()->height(), d, b, runs, d / b);
  return 0;
}
