// A black raster for a renderer to draw into. A large one asks the kernel
// for huge pages first: a whole tile at 100 % is 195 MB, and faulting it in
// 4 KB pages costs about as much as colouring it.
#pragma once

#include <sys/mman.h>

#include <cstdint>

#include "render/Raster.h"

namespace tarvelon {

inline Raster blankRaster(int width, int height) {
  Raster raster;
  raster.width = width;
  raster.height = height;
  const std::size_t bytes = std::size_t(width) * std::size_t(height) * 3;
  raster.pixels.reserve(bytes);
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
  if (bytes >= 16 * kHuge) {
    // Only whole huge pages inside the allocation; a refusal changes nothing.
    const auto start = reinterpret_cast<std::uintptr_t>(raster.pixels.data());
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHuge - 1);
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  }
#endif
  raster.pixels.resize(bytes, 0);
  return raster;
}

}  // namespace tarvelon
