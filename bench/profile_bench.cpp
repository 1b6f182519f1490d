// Times an elevation profile 1,000 km long across Valles Marineris on real
// tiles: the points of the great circle, one gather of their samples, and
// the summary, with the tiles in the page cache (one untimed run first).
//
//   profile_bench DATA_FOLDER [RUNS]
//
// Prints the median and slowest run, with a sampler kept from run to run
// (its cache of line pieces warm) and with a new sampler each run, as a
// window that opens one for each line drawn.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"
#include "dem/TileNames.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
  double median = 0;
  double slowest = 0;
};

template <typename Work>
Times time(int runs, Work work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return Times{times[times.size() / 2], times.back()};
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvelon;
  if (argc < 2) {
    std::fprintf(stderr, "usage: profile_bench DATA_FOLDER [RUNS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
  try {
    const TileListing listing = listTileFolder(folder);
    if (!listing.complete()) {
      std::fprintf(stderr, "profile_bench: %s does not hold the sixteen tiles\n", folder.c_str());
      return 1;
    }
    // From the plateau west of Noctis Labyrinthus east along the canyon.
    const GeoPoint from{-95, -7};
    const GeoPoint far{-40, -12};
    const GeoPoint to = greatCirclePoint(from, far, 1.0e6 / greatCircleMetres(from, far));

    GridSampler kept(folder, listing.tiles);
    ElevationProfile profile = sampleProfile(kept, from, to);  // the tiles into the page cache
    ProfileSummary summary;
    const Times warm = time(runs, [&] {
      profile = sampleProfile(kept, from, to);
      summary = summariseProfile(profile);
    });
    const Times fresh = time(runs, [&] {
      GridSampler sampler(folder, listing.tiles);
      profile = sampleProfile(sampler, from, to);
      summary = summariseProfile(profile);
    });
    std::printf("%.1f km from %.3f,%.3f to %.3f,%.3f, %zu points, highest %d m, lowest %d m, %d runs\n",
                profile.length / 1000, from.longitude, from.latitude, to.longitude, to.latitude,
                profile.points.size(), profile.points[summary.highest].elevation,
                profile.points[summary.lowest].elevation, runs);
    std::printf("sampler kept:        median %7.3f ms, slowest %7.3f ms\n", warm.median, warm.slowest);
    std::printf("new sampler a run:   median %7.3f ms, slowest %7.3f ms\n", fresh.median, fresh.slowest);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "profile_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
