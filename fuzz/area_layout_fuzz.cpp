// The arithmetic of an area map: which lines, columns and tiles a
// rectangle reads. For every rectangle that fitArea accepts, at its own
// step and at any step, every pixel of the laid-out map takes a sample
// inside its tile: a line 0..5631 and a column 0..11519 of a tile 0..15.
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "fuzz/FuzzCheck.h"
#include "render/AreaRenderer.h"
#include "render/Resolution.h"

namespace {

using namespace tarvelon;

// The widest bounds a caller gives are +-100000 degrees; far wider ones
// still fit an int in every sum the layout makes.
constexpr int kReach = 1 << 24;

int boundFrom(const std::uint8_t* bytes) {
  std::int32_t raw = 0;
  std::memcpy(&raw, bytes, 4);
  // Mostly plain degrees, now and then anything within reach.
  if ((raw & 0x70000000) != 0) return static_cast<int>(raw % 400);
  return static_cast<int>(raw % kReach);
}

void checkLayout(const AreaBounds& area, int step) {
  AreaLayout layout;
  try {
    layout = layoutArea(area, step);
  } catch (const std::invalid_argument&) {
    FUZZ_CHECK(false);  // a fitted area always has a layout
  }
  FUZZ_CHECK(layout.tile >= 0 && layout.tile < kTileCount);
  FUZZ_CHECK(layout.rasterWidth >= 0 && layout.rasterHeight >= 0);
  if (layout.pixels() == 0) return;  // refused as too small

  // Rows: one for each row of the map, each a line of a tile below or at
  // the north-west corner's.
  FUZZ_CHECK(layout.rows.size() >= static_cast<std::size_t>(layout.rasterHeight));
  for (const RowSource& row : layout.rows) {
    FUZZ_CHECK(row.line >= 0 && row.line < kLinesPerTile);
    FUZZ_CHECK(row.tileRow >= 0 && layout.tile / 4 + row.tileRow < 4);
  }
  // Columns: the runs cover every column of the map, from x = 0, with
  // samples inside their tiles.
  long long covered = 0;
  FUZZ_CHECK(!layout.columns.empty());
  for (const ColumnRun& run : layout.columns) {
    FUZZ_CHECK(run.count >= 1);
    FUZZ_CHECK(run.firstColumn >= 0);
    FUZZ_CHECK(run.firstColumn + static_cast<long long>(run.count - 1) * step <= kSamplesPerLine - 1);
    FUZZ_CHECK(run.tileColumn >= 0);
    covered += run.count;
  }
  FUZZ_CHECK(covered >= layout.rasterWidth);
  for (std::size_t y = 0; y < layout.rows.size(); ++y) {
    for (const ColumnRun& run : layout.columns) {
      const int t = layout.tileOf(layout.rows[y].tileRow, run.tileColumn);
      FUZZ_CHECK(t >= 0 && t < kTileCount);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 17) return 0;
  const int west = boundFrom(data), north = boundFrom(data + 4), east = boundFrom(data + 8),
            south = boundFrom(data + 12);
  const int givenStep = 1 + data[16] % kLargestStep;
  const FittedArea fitted = fitArea(west, north, east, south);
  if (!fitted.drawable) {
    FUZZ_CHECK(!fitted.refusal.empty());
    return 0;
  }
  const AreaBounds& area = fitted.bounds;
  FUZZ_CHECK(area.west >= -180 && area.west < 180);
  FUZZ_CHECK(area.east > area.west && area.east - area.west <= 360);
  FUZZ_CHECK(area.south >= -88 && area.north <= 88 && area.south < area.north);
  checkLayout(area, chooseStep(area.west, area.north, area.east, area.south));
  checkLayout(area, givenStep);
  return 0;
}
