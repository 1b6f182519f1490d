#include "dem/GlobalGrid.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "dem/TileSet.h"

namespace tarvelon {

namespace {

std::int16_t wholeMetres(float metres) {
  if (!(metres >= -32768.0f && metres <= 32767.0f)) return metres > 0 ? 32767 : ElevationSource::kNoData;
  return static_cast<std::int16_t>(std::lround(metres));
}

}  // namespace

double GlobalGrid::interpolate(double latitude, double longitude) const {
  double east = std::fmod(longitude, 360.0);
  if (east < 0) east += 360.0;
  const double x = east * perDegree - 0.5;
  const double y = (90.0 - latitude) * perDegree - 0.5;
  const double xf = std::floor(x);
  const double yf = std::floor(y);
  const double wx = x - xf;
  const double wy = y - yf;
  int x0 = static_cast<int>(xf);
  int x1 = x0 + 1;
  if (x0 < 0) x0 += width;
  if (x1 >= width) x1 -= width;
  const int y0 = std::clamp(static_cast<int>(yf), 0, height - 1);
  const int y1 = std::clamp(static_cast<int>(yf) + 1, 0, height - 1);
  const double top = at(y0, x0) * (1 - wx) + at(y0, x1) * wx;
  const double bottom = at(y1, x0) * (1 - wx) + at(y1, x1) * wx;
  return top * (1 - wy) + bottom * wy;
}

void GlobalGrid::block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step, std::int16_t* out) {
  checkBlock(columns, lines, step);
  const std::int64_t startColumn = wrapColumn(firstColumn);
  for (int r = 0; r < lines; ++r) {
    std::int16_t* row = out + std::size_t(r) * std::size_t(columns);
    const std::int64_t line = std::int64_t(firstLine) + std::int64_t(r) * step;
    if (line < 0 || line >= height || width <= 0) {
      std::fill(row, row + columns, kNoData);
      continue;
    }
    for (int c = 0; c < columns; ++c) {
      const auto sample = static_cast<int>((startColumn + std::int64_t(c) * step) % width);
      row[c] = wholeMetres(at(static_cast<int>(line), sample));
    }
  }
}

void GlobalGrid::gather(const GridIndex* indices, int count, std::int16_t* out) {
  for (int i = 0; i < count; ++i) {
    const GridIndex& index = indices[i];
    const bool onGrid = index.line >= 0 && index.line < height && width > 0;
    out[i] = onGrid ? wholeMetres(at(index.line, static_cast<int>(wrapColumn(index.column)))) : kNoData;
  }
}

int globalGridResolution(std::uint64_t bytes) {
  for (int perDegree : {4, 16, 32, 64}) {
    if (bytes == std::uint64_t(360) * perDegree * 180 * perDegree * 2) return perDegree;
  }
  return 0;
}

GlobalGrid loadGlobalGrid(const std::string& path) {
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(path, ec);
  if (ec) throw std::runtime_error("cannot read the global grid " + path + ": " + ec.message());
  const int perDegree = globalGridResolution(bytes);
  if (perDegree == 0) {
    throw std::runtime_error(path + " is " + std::to_string(bytes) +
                             " bytes, which is not a global MEGDR grid of 4, 16, 32 or 64 samples per degree "
                             "(2073600 bytes for 4 per degree, e.g. megt90n000cb.img)");
  }
  GlobalGrid grid;
  grid.perDegree = perDegree;
  grid.width = 360 * perDegree;
  grid.height = 180 * perDegree;
  std::vector<std::uint8_t> raw(bytes);
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()))) {
    throw std::runtime_error("cannot read the global grid " + path);
  }
  grid.metres.resize(raw.size() / 2);
  for (std::size_t i = 0; i < grid.metres.size(); ++i) grid.metres[i] = static_cast<float>(decodeSample(&raw[2 * i]));
  return grid;
}

}  // namespace tarvelon
