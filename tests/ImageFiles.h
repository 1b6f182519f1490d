// Reading back the maps the writers make, through libpng and libtiff, to
// compare their pixels with the raster they came from.
#pragma once

#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tarvelon::testing {

struct ReadImage {
  int width = 0;
  int height = 0;
  int channels = 0;        // 3 (red, green, blue) or 1
  int bitsPerSample = 8;   // 8, or 16 for elevations
  std::vector<std::uint8_t> bytes;  // rows top to bottom, no padding
  std::vector<std::uint8_t> alpha;  // a byte a pixel, when the file has an alpha channel

  std::size_t rowBytes() const { return std::size_t(width) * channels * (bitsPerSample / 8); }
  const std::uint8_t* row(int y) const { return bytes.data() + std::size_t(y) * rowBytes(); }
  std::int16_t sample(int x, int y) const {
    std::int16_t v;
    std::memcpy(&v, row(y) + 2 * std::size_t(x), 2);
    return v;
  }
};

// A PNG decoded to blue, green, red (or grey) rows.
inline std::optional<ReadImage> readPng(const std::string& path, bool grey = false) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  // Read with the alpha channel, if there is one, so that no colour is
  // blended; the alpha then goes apart.
  const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = grey ? (alpha ? PNG_FORMAT_GA : PNG_FORMAT_GRAY) : (alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR);
  ReadImage out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.channels = grey ? 1 : 3;
  std::vector<std::uint8_t> read(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, read.data(), 0, nullptr)) return std::nullopt;
  if (!alpha) {
    out.bytes = std::move(read);
    return out;
  }
  const std::size_t pixels = std::size_t(out.width) * std::size_t(out.height);
  out.bytes.resize(pixels * std::size_t(out.channels));
  out.alpha.resize(pixels);
  const std::size_t stride = std::size_t(out.channels) + 1;
  for (std::size_t i = 0; i < pixels; ++i) {
    std::memcpy(&out.bytes[i * std::size_t(out.channels)], &read[i * stride], std::size_t(out.channels));
    out.alpha[i] = read[i * stride + std::size_t(out.channels)];
  }
  return out;
}

// A TIFF's rows as stored (red, green, blue for colour).
inline std::optional<ReadImage> readTiff(const std::string& path) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return std::nullopt;
  std::uint32_t width = 0, height = 0;
  std::uint16_t channels = 1, bits = 8;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &channels);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  ReadImage out;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.channels = channels;
  out.bitsPerSample = bits;
  out.bytes.resize(out.rowBytes() * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    if (TIFFReadScanline(tif, out.bytes.data() + y * out.rowBytes(), y) < 0) {
      TIFFClose(tif);
      return std::nullopt;
    }
  }
  TIFFClose(tif);
  return out;
}

}  // namespace tarvelon::testing
