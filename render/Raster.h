// A map picture: 24 bits per pixel, rows top to bottom, blue-green-red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvelon {

struct Raster {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * 3 bytes per row, no padding
  // Width bytes a row, 255 where a pixel shows a sample and 0 where none
  // lies behind it (see RowSink::maskBuffer); empty when every pixel does.
  std::vector<std::uint8_t> mask;

  Raster() = default;
  Raster(int w, int h, std::uint8_t fill = 0)
      : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 3, fill) {}

  bool empty() const { return width <= 0 || height <= 0; }
  std::size_t rowBytes() const { return std::size_t(width) * 3; }
  std::uint8_t* row(int y) { return pixels.data() + std::size_t(y) * rowBytes(); }
  const std::uint8_t* row(int y) const { return pixels.data() + std::size_t(y) * rowBytes(); }
  // Row y of the mask, which is made the first time it is asked for, with
  // no pixel showing a sample: a renderer marks each row it draws, so that
  // rows a stopped draw never reached show none.
  std::uint8_t* maskRow(int y) {
    if (mask.empty()) mask.assign(std::size_t(width) * std::size_t(height), 0);
    return mask.data() + std::size_t(y) * std::size_t(width);
  }
  const std::uint8_t* maskRow(int y) const {
    return mask.empty() ? nullptr : mask.data() + std::size_t(y) * std::size_t(width);
  }

  void set(int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    std::uint8_t* p = row(y) + std::size_t(x) * 3;
    p[0] = blue;
    p[1] = green;
    p[2] = red;
  }
};

}  // namespace tarvelon
