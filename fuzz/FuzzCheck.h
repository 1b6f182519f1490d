// A property of a fuzz target: when it does not hold, the input is a
// failure, reported and kept by libFuzzer.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

#include <cstddef>
#include <string_view>

// Characters a message shows: a UTF-8 character of four bytes is one
// character on screen, as wide as a letter.
inline std::size_t shownLength(std::string_view text) {
  std::size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}
