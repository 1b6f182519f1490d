// A black raster for a renderer to draw into. A large one asks the kernel
// for huge pages first: a whole tile at 100 % is 195 MB, and faulting it in
// 4 KB pages costs about as much as colouring it.
#pragma once

#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdint>
#include <vector>

#include "render/Raster.h"

namespace tarvelon {

namespace detail {

// Sizes `bytes` to `size` zero bytes, asking for huge pages first when it
// is `large` bytes or more; a refusal changes nothing.
inline void zeroedWithHugePages(std::vector<std::uint8_t>& bytes, std::size_t size, std::size_t large) {
  bytes.reserve(size);
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
  if (size >= large && size >= 2 * kHuge) {
    // Only whole huge pages inside the allocation.
    const auto start = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (start + size) & ~(kHuge - 1);
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  }
#endif
  bytes.resize(size, 0);
}

}  // namespace detail

// For a program that draws map after map: blocks below 32 MB (a raster, its
// mask, the picture shown) come from the heap and are used again by the
// next draw. By default glibc moves its threshold for blocks of their own
// as blocks are freed, and then hands the memory back and faults it in
// anew at each draw: a tile at 25 % took 15 % longer so. Larger rasters
// still get blocks of their own, given back when the map goes.
inline void reuseRasterMemory() {
#if defined(__GLIBC__)
  ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

// A black raster, with a mask in which no pixel shows a sample yet: the
// renderer marks each row it draws.
inline Raster blankRaster(int width, int height) {
  Raster raster;
  raster.width = width;
  raster.height = height;
  const std::size_t pixels = std::size_t(width) * std::size_t(height);
  constexpr std::size_t kHuge = std::size_t(2) << 20;
  detail::zeroedWithHugePages(raster.pixels, pixels * 3, 16 * kHuge);
  detail::zeroedWithHugePages(raster.mask, pixels, 2 * kHuge);
  return raster;
}

}  // namespace tarvelon
