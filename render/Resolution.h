// The eight resolutions: Resolution item number and sample step.
#pragma once

#include <array>

namespace tarvelon {

inline constexpr int kResolutionCount = 8;
// Step of Resolution item 0 .. 7: "Thumbnail (5%)" .. "100  %".
inline constexpr std::array<int, kResolutionCount> kStepOfResolution = {24, 13, 10, 8, 4, 3, 2, 1};
// The largest step a renderer accepts: the area renderer's own choice for
// the widest areas.
inline constexpr int kLargestStep = 48;

// Resolution item a step belongs to; `current` for a step that belongs to
// none.
constexpr int resolutionIndexOfStep(int step, int current) {
  if (step == 1) return 7;
  if (step == 2) return 6;
  if (step == 3) return 5;
  if (step >= 4 && step <= 7) return 4;
  if (step == 8 || step == 9) return 3;
  if (step >= 10 && step <= 12) return 2;
  if (step >= 13 && step <= 23) return 1;
  if (step >= 24 && step <= 48) return 0;
  return current;
}

}  // namespace tarvelon
