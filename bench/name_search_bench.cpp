// Times the search of the names as the user types, on its own and through
// Find a Feature (the search, the model and the repaint of the list), and
// the look-up of the IAU feature under the mouse that the readout makes.
//
//   name_search_bench [RUNS] [WORD ...]
//
// Each word is typed one letter at a time; every prefix is a keystroke.
// Default words: "nordenskiold", "aeolis", "valles mar" and the misspelling
// "jezzero". Run it on a display (Xvfb will do) or with
// QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "select/FeatureFinder.h"
#include "select/NameSearch.h"
#include "select/PlaceNames.h"

namespace {

// The median of all keystrokes, and the slowest keystroke by its median
// over the runs (the single slowest time is mostly the machine's other
// work).
struct Figures {
  double median = 0;
  double slowest = 0;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// times[k] holds the times of keystroke k over the runs.
Figures figuresOf(const std::vector<std::vector<double>>& times) {
  std::vector<double> all;
  Figures figures;
  for (const auto& keystroke : times) {
    all.insert(all.end(), keystroke.begin(), keystroke.end());
    figures.slowest = std::max(figures.slowest, median(keystroke));
  }
  figures.median = median(all);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  const int runs = args.size() > 1 ? std::max(1, args[1].toInt()) : 20;
  QStringList words = args.mid(2);
  if (words.isEmpty()) words = {"nordenskiold", "aeolis", "valles mar", "jezzero"};
  std::printf("platform %s, %d runs\n", qPrintable(QApplication::platformName()), runs);

  QElapsedTimer timer;
  timer.start();
  tarvelon::PlaceNames::builtIn();
  const double parse = double(timer.nsecsElapsed()) / 1e6;
  timer.restart();
  const tarvelon::NameSearch search;
  std::printf("names parsed in %.2f ms; search over %zu names made in %.2f ms\n", parse, search.size(),
              double(timer.nsecsElapsed()) / 1e6);

  tarvelon::FeatureFinder finder;
  finder.showFinder();
  if (!QTest::qWaitForWindowExposed(&finder)) return 1;
  QApplication::processEvents();

  for (const QString& word : words) {
    const auto keys = static_cast<std::size_t>(word.size());
    std::vector<std::vector<double>> searchTimes(keys), finderTimes(keys), paintTimes(keys);
    std::size_t lastFound = 0;
    for (int run = 0; run < runs; ++run) {
      finder.nameEdit()->clear();
      QApplication::processEvents();
      for (qsizetype length = 1; length <= word.size(); ++length) {
        const std::string prefix = word.left(length).toStdString();
        timer.restart();
        lastFound = search.find(prefix).size();
        searchTimes[static_cast<std::size_t>(length - 1)].push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.restart();
        finder.nameEdit()->setText(word.left(length));
        finderTimes[static_cast<std::size_t>(length - 1)].push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.restart();
        finder.list()->repaint();
        QApplication::processEvents();
        paintTimes[static_cast<std::size_t>(length - 1)].push_back(double(timer.nsecsElapsed()) / 1e3);
      }
    }
    const Figures s = figuresOf(searchTimes);
    const Figures f = figuresOf(finderTimes);
    const Figures p = figuresOf(paintTimes);
    std::printf("%-14s %2lld keys, %4zu rows at the end: search %6.1f us (slowest %6.1f), finder %6.1f us "
                "(slowest %6.1f), repaint %6.1f us (slowest %6.1f)\n",
                qPrintable(QStringLiteral("\"%1\"").arg(word)), static_cast<long long>(word.size()), lastFound,
                s.median, s.slowest, f.median, f.slowest, p.median, p.slowest);
  }

  // Emptying the text lists all 2 115 rows again.
  std::vector<std::vector<double>> clearTimes(1), clearPaints(1);
  for (int run = 0; run < runs; ++run) {
    finder.nameEdit()->setText(QStringLiteral("gale"));
    QApplication::processEvents();
    timer.restart();
    finder.nameEdit()->clear();
    clearTimes[0].push_back(double(timer.nsecsElapsed()) / 1e3);
    timer.restart();
    finder.list()->repaint();
    QApplication::processEvents();
    clearPaints[0].push_back(double(timer.nsecsElapsed()) / 1e3);
  }
  const Figures c = figuresOf(clearTimes);
  const Figures cp = figuresOf(clearPaints);
  std::printf("emptied to %lld rows: finder %.1f us, repaint %.1f us\n",
              static_cast<long long>(finder.listed().size()), c.median, cp.median);

  // The readout's look-up, at every half degree of the planet.
  const tarvelon::PlaceNames& names = tarvelon::PlaceNames::builtIn();
  int points = 0, named = 0;
  timer.restart();
  for (double latitude = -89.75; latitude < 90; latitude += 0.5) {
    for (double longitude = -179.75; longitude < 180; longitude += 0.5) {
      named += names.containing(latitude, longitude) != nullptr ? 1 : 0;
      ++points;
    }
  }
  std::printf("feature under a point: %.2f us a point over %d points (%d named)\n",
              double(timer.nsecsElapsed()) / 1e3 / points, points, named);
  return 0;
}
