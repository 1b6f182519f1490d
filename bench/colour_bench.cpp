// Cost per sample of the exact colour function against the colour table,
// and the cost of building the table.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "render/ColourTable.h"

namespace {

using namespace tarvelon;

std::vector<int> elevations() {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> pick(kMinElevation, kMaxElevation);
  std::vector<int> values(1 << 16);
  for (int& v : values) v = pick(random);
  return values;
}

void exactFunction(benchmark::State& state) {
  const auto values = elevations();
  const BandLimits bands = buildBandLimits(3000, -2000);
  const int scheme = static_cast<int>(state.range(0));
  PixelColour pixel;
  for (auto _ : state) {
    for (int v : values) {
      elevationColour(scheme, v, 2, bands, pixel);
      benchmark::DoNotOptimize(pixel);
    }
  }
  state.SetItemsProcessed(state.iterations() * values.size());
}

void tableLookup(benchmark::State& state) {
  const auto values = elevations();
  const BandLimits bands = buildBandLimits(3000, -2000);
  const ColourTable table(static_cast<int>(state.range(0)), 2, bands);
  PixelColour pixel;
  for (auto _ : state) {
    for (int v : values) {
      table.colour(v, pixel);
      benchmark::DoNotOptimize(pixel);
    }
  }
  state.SetItemsProcessed(state.iterations() * values.size());
}

void tableBuild(benchmark::State& state) {
  const BandLimits bands = buildBandLimits(3000, -2000);
  ColourTable table;
  for (auto _ : state) {
    table.build(static_cast<int>(state.range(0)), 2, bands);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(exactFunction)->Arg(0)->Arg(5)->Arg(99);
BENCHMARK(tableLookup)->Arg(0)->Arg(5)->Arg(99);
BENCHMARK(tableBuild)->Arg(0)->Arg(99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
