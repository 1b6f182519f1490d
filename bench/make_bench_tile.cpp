// Builds one full-size tile for the benchmark from a global grid of 4
// samples per degree (1440 x 720 big-endian int16, line 0 at 89.875 N,
// sample 0 at 0.125 E), upsampled bilinearly.
//   make_bench_tile GRID TILE_NUMBER(1..16) OUTPUT
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "dem/AtomicFile.h"
#include "dem/TileSet.h"

int main(int argc, char** argv) {
  using namespace tarvelon;
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_bench_tile GRID TILE_NUMBER OUTPUT\n");
    return 2;
  }
  constexpr int kWidth = 1440;
  constexpr int kHeight = 720;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<std::uint8_t> bytes(std::size_t(kWidth) * kHeight * 2);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    std::fprintf(stderr, "cannot read %s (%zu bytes expected)\n", argv[1], bytes.size());
    return 1;
  }
  const int number = std::atoi(argv[2]);
  if (number < 1 || number > kTileCount) {
    std::fprintf(stderr, "the tile number must lie between 1 and 16\n");
    return 2;
  }
  auto grid = [&](int x, int y) {
    x = ((x % kWidth) + kWidth) % kWidth;
    y = y < 0 ? 0 : y >= kHeight ? kHeight - 1 : y;
    return double(decodeSample(&bytes[(std::size_t(y) * kWidth + x) * 2]));
  };
  const TileBox box = tileBox(number - 1);
  try {
    AtomicFile out(argv[3]);
    std::vector<std::uint8_t> line(kBytesPerLine);
    for (int l = 0; l < kLinesPerTile; ++l) {
      const double latitude = box.tileNorth - (l + 0.5) / kSamplesPerDegree;
      const double gy = (89.875 - latitude) * 4;
      const int y0 = static_cast<int>(std::floor(gy));
      const double fy = gy - y0;
      for (int j = 0; j < kSamplesPerLine; ++j) {
        double longitude = box.tileWest + (j + 0.5) / kSamplesPerDegree;
        if (longitude < 0) longitude += 360;
        const double gx = (longitude - 0.125) * 4;
        const int x0 = static_cast<int>(std::floor(gx));
        const double fx = gx - x0;
        const double v = (grid(x0, y0) * (1 - fx) + grid(x0 + 1, y0) * fx) * (1 - fy) +
                         (grid(x0, y0 + 1) * (1 - fx) + grid(x0 + 1, y0 + 1) * fx) * fy;
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v)));
        line[2 * j] = static_cast<std::uint8_t>(s >> 8);
        line[2 * j + 1] = static_cast<std::uint8_t>(s & 0xFF);
      }
      out.write(line.data(), line.size());
    }
    out.commit(false);
  } catch (const WriteError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
