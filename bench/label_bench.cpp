// Times the names written on maps: placing the IAU names (with the label
// fonts' measure) and painting them, for the whole planet and for features
// of the Map Area menu as the window and tarvelon-render lay them out.
//
//   label_bench [RUNS] [COMPONENT ...]
//
// Default features: "Gale" (m_c052) and "Olympia (N Pole)" (m_p009). Needs
// no display: it runs on the offscreen platform.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "export/LabelPicture.h"
#include "render/MapPlan.h"
#include "select/Gazetteer.h"
#include "select/NameLabels.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename Work>
double medianMs(int runs, Work work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return median(times);
}

void measure(const char* what, const tarvelon::MapGeometry& geometry, int runs) {
  using namespace tarvelon;
  const GeoTransform transform = geometry.transform();
  const int width = geometry.width(), height = geometry.height();
  std::size_t count = 0;
  const LabelFontMeasurer fonts;
  // The first run measures each name once with a cold font cache.
  const double first = medianMs(1, [&] {
    count = placeNameLabels(PlaceNames::builtIn().all(), transform, width, height, fonts).size();
  });
  const double place = medianMs(runs, [&] {
    count = placeNameLabels(PlaceNames::builtIn().all(), transform, width, height, fonts).size();
  });
  const double all = medianMs(runs, [&] { count = nameLabelOverlay(transform, width, height).sprites().size(); });
  std::printf("%-28s %5d x %-4d step %2d: %3zu labels, placed in %6.2f ms (first %6.2f ms), placed and painted in "
              "%6.2f ms\n",
              what, width, height, geometry.sampleStep(), count, place, first, all);
}

}  // namespace

int main(int argc, char** argv) {
  char platform[] = "-platform";
  char offscreen[] = "offscreen";
  std::vector<char*> args{argv[0], platform, offscreen};
  int qtArgc = 3;
  QGuiApplication app(qtArgc, args.data());
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  std::vector<std::string> features;
  for (int i = 2; i < argc; ++i) features.emplace_back(argv[i]);
  if (features.empty()) features = {"m_c052", "m_p009"};

  using namespace tarvelon;
  measure("whole planet", planArea(-180, 88, 180, -88, 24, false).geometry, runs);
  measure("whole planet (own step)", planArea(-180, 88, 180, -88, std::nullopt, false).geometry, runs);
  for (const std::string& component : features) {
    const auto rows = featureRows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const FeatureRow& r) { return component == r.component; });
    if (row == rows.end()) {
      std::fprintf(stderr, "no feature %s\n", component.c_str());
      return 2;
    }
    const std::string what = std::string(row->caption) + " (" + component + ")";
    measure(what.c_str(), planArea(row->west, row->north, row->east, row->south, std::nullopt, false).geometry, runs);
  }
  return 0;
}
