// Decodes a JPEG picture held in memory into 24-bit RGB with libjpeg-turbo.
// A damaged picture (a corrupt or truncated stream, also one that libjpeg
// would only warn about) is refused with libjpeg's reason; nothing is ever
// read outside the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvelon {

struct DecodedJpeg {
  bool ok = false;
  int width = 0;
  int height = 0;
  // Rows top down, three bytes (red, green, blue) a pixel, no padding.
  std::vector<std::uint8_t> rgb;
  // Why the picture was refused, when it was.
  std::string error;
};

// The largest picture decoded, in pixels: larger ones are refused before
// any memory is taken for them.
inline constexpr std::int64_t kMaxJpegPixels = 64LL * 1024 * 1024;

DecodedJpeg decodeJpeg(const std::uint8_t* data, std::size_t size, std::int64_t maxPixels = kMaxJpegPixels);

// The libjpeg-turbo version the program was built with, e.g. "2.1.5".
const char* jpegLibraryVersion();

}  // namespace tarvelon
