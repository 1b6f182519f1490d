#include "render/BmpWriter.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "dem/AtomicFile.h"

namespace tarvelon {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void writeBmp(const Raster& raster, const std::string& path) {
  if (raster.empty()) throw WriteError("Cannot write " + path + ": there is no map to save.");
  // Rows of 3 bytes per pixel, each padded to a multiple of 4 bytes.
  const std::uint64_t stride = (std::uint64_t(raster.width) * 3 + 3) / 4 * 4;
  const std::uint64_t imageSize = stride * std::uint64_t(raster.height);
  const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
  if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
    throw WriteError("Cannot write " + path + ": a map of " + std::to_string(raster.width) + " x " +
                     std::to_string(raster.height) + " pixels is too large for a bitmap file.");
  }

  std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
  std::uint8_t* file = header.data();
  file[0] = 'B';
  file[1] = 'M';
  put32(file + 2, static_cast<std::uint32_t>(fileSize));
  put32(file + 10, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize));  // offset of the pixels
  std::uint8_t* info = file + kFileHeaderSize;
  put32(info + 0, kInfoHeaderSize);
  put32(info + 4, static_cast<std::uint32_t>(raster.width));
  put32(info + 8, static_cast<std::uint32_t>(raster.height));  // positive: the bottom row comes first
  put16(info + 12, 1);                                          // planes
  put16(info + 14, 24);                                         // bits per pixel
  put32(info + 16, 0);                                          // no compression
  put32(info + 20, static_cast<std::uint32_t>(imageSize));
  put32(info + 24, kPixelsPerMetre);
  put32(info + 28, kPixelsPerMetre);
  // Colours used and important colours stay 0: no palette.

  AtomicFile out(path);
  out.write(header.data(), header.size());
  const std::size_t padding = static_cast<std::size_t>(stride - raster.rowBytes());
  const std::uint8_t zeros[3] = {0, 0, 0};
  for (int y = raster.height - 1; y >= 0; --y) {
    out.write(raster.row(y), raster.rowBytes());  // blue, green, red already
    if (padding != 0) out.write(zeros, padding);
  }
  out.commit(false);
}

std::string defaultMapFileName(const std::string& mapName) {
  std::string name = mapName;
  const std::size_t amp = name.find('&');
  if (amp != std::string::npos) name.erase(amp, 1);
  return name + ".bmp";
}

}  // namespace tarvelon
