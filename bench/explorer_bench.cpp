// The explorer on real tiles, its map 1600 x 1000: a pan step over pieces
// drawn already, to the frame painted; a zoom step, to the stand-in painted
// and to the sharp view, with the tiles in the page cache and none of the
// new level's pieces drawn; and the memory the pieces take as the user
// roams.
//
//   explorer_bench DATA_FOLDER [repeats]
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dem/GridSampler.h"
#include "dem/TileNames.h"
#include "windows/ExplorerWindow.h"

using namespace tarvelon;

namespace {

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double slowest(const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); }

long residentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: explorer_bench DATA_FOLDER [repeats]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int repeats = argc > 2 ? std::max(3, std::atoi(argv[2])) : 20;
  const TileNames names = listTileFolder(folder).tiles;

  ExplorerWindow explorer;
  explorer.setSource([folder, names] { return std::make_unique<GridSampler>(folder, names); });
  Colouring colouring;
  colouring.reliefShading = 1;
  explorer.followColouring([colouring] { return colouring; });
  ExplorerCanvas* canvas = explorer.canvas();
  canvas->setFixedSize(1600, 1000);
  explorer.show();
  QCoreApplication::processEvents();
  QElapsedTimer clock;

  // Pans: the pieces about Valles Marineris drawn first, at 1 sample in 4.
  canvas->centreOn(GeoPoint{-70, -8}, 8);
  canvas->waitSharp();
  for (int k = 0; k < 6; ++k) {
    canvas->panBy(-200, 0);
    canvas->waitSharp();
  }
  for (int k = 0; k < 6; ++k) canvas->panBy(200, 0);
  canvas->waitSharp();
  std::vector<double> pans;
  for (int k = 0; k < repeats * 4; ++k) {
    const int dx = (k / 12) % 2 == 0 ? -100 : 100;  // back and forth over the pieces drawn
    clock.start();
    canvas->panBy(dx, 0);
    canvas->repaint();
    pans.push_back(clock.nsecsElapsed() / 1e6);
    if (!canvas->sharp()) canvas->waitSharp();
  }

  // Zooms: in and out about places far apart, the pieces of every level
  // dropped before each step; the tiles read once before, so that the page
  // cache holds them.
  const GeoPoint places[] = {{-70, -8}, {137.4, -4.6}, {-134, 18.6}, {77.5, 18.4}, {15, -40}};
  std::vector<double> standIns;
  std::vector<double> sharps;
  for (int pass = 0; pass < 2; ++pass) {
    for (int k = 0; k < repeats; ++k) {
      const GeoPoint& place = places[k % 5];
      const int level = 6 + (k % 7);
      canvas->centreOn(place, level);
      canvas->waitSharp();
      canvas->repaint();
      canvas->setCacheLimit(0);
      canvas->setCacheLimit(ExplorerCanvas::kDefaultCacheBytes);
      clock.start();
      canvas->zoomBy(k % 2 == 0 ? 1 : -1);
      canvas->repaint();
      const double standIn = clock.nsecsElapsed() / 1e6;
      canvas->waitSharp();
      canvas->repaint();
      const double sharp = clock.nsecsElapsed() / 1e6;
      if (pass == 1) {
        standIns.push_back(standIn);
        sharps.push_back(sharp);
      }
    }
  }

  // Roaming: random moves and zooms, the pieces kept within their limit.
  std::mt19937 random(7);
  std::size_t mostBytes = 0;
  canvas->centreOn(GeoPoint{0, 0}, 10);
  for (int k = 0; k < repeats * 10; ++k) {
    if (random() % 4 == 0) {
      canvas->zoomBy(random() % 2 == 0 ? 1 : -1);
    } else {
      canvas->panBy(int(random() % 1201) - 600, int(random() % 801) - 400);
    }
    canvas->waitSharp();
    mostBytes = std::max(mostBytes, canvas->cacheBytes());
  }

  // Projected: pans of 100 pixels, each view drawn whole, to the stand-in
  // painted and to the sharp view.
  struct Projected {
    const char* name;
    ProjectionKind kind;
    GeoPoint centre;
    std::vector<double> standIns, sharps;
  } projected[] = {{"north polar", ProjectionKind::NorthPolar, {0, 80}, {}, {}},
                   {"globe", ProjectionKind::Globe, {-70, -8}, {}, {}}};
  for (Projected& p : projected) {
    canvas->setProjection(p.kind);
    canvas->centreOn(p.centre, 9);
    canvas->waitSharp();
    for (int k = 0; k < repeats; ++k) {
      clock.start();
      canvas->panBy(k % 2 == 0 ? -100 : 100, 0);
      canvas->repaint();
      p.standIns.push_back(clock.nsecsElapsed() / 1e6);
      canvas->waitSharp();
      canvas->repaint();
      p.sharps.push_back(clock.nsecsElapsed() / 1e6);
    }
  }
  canvas->setProjection(ProjectionKind::Equirectangular);

  std::printf("pan step, frame painted:   median %.2f ms, slowest %.2f ms (%zu steps)\n", median(pans),
              slowest(pans), pans.size());
  std::printf("zoom step, stand-in:       median %.2f ms, slowest %.2f ms (%zu steps)\n", median(standIns),
              slowest(standIns), standIns.size());
  std::printf("zoom step, sharp view:     median %.1f ms, slowest %.1f ms\n", median(sharps), slowest(sharps));
  std::printf("roaming %d moves: pieces at most %.1f MB of %.0f MB; resident %.0f MB\n", repeats * 10,
              double(mostBytes) / (1 << 20), double(canvas->cacheLimit()) / (1 << 20),
              double(residentKilobytes()) / 1024);
  for (const Projected& p : projected) {
    std::printf("%s pan step: stand-in median %.2f ms; sharp median %.0f ms, slowest %.0f ms\n", p.name,
                median(p.standIns), median(p.sharps), slowest(p.sharps));
  }
  return 0;
}
