#include "select/PlaceFrame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "dem/GridSampler.h"
#include "render/Resolution.h"

namespace tarvelon {

namespace {

constexpr double kKmPerSample = 2 * 3.14159265358979323846 * 3396.19 / 360 / kSamplesPerDegree;
constexpr double kRadians = 3.14159265358979323846 / 180.0;

// An odd number of pixels at `step` covering about `samples` samples.
int oddPixels(double samples, int step) {
  const int pixels = std::max(1, static_cast<int>(std::lround(samples / step)));
  return pixels % 2 == 1 ? pixels : pixels + 1;
}

}  // namespace

GridWindow placeWindow(const NamedPlace& place, std::optional<int> step) {
  const double sideKm = place.isAlbedo() ? kAlbedoFrameKm : 3 * place.diameterKm;
  const double high = std::clamp(sideKm / kKmPerSample, double(kSmallestFrameSamples), double(kGridLines));
  // East-west, as many samples again as the meridians draw together.
  const double shrink = std::max(std::cos(place.latitude * kRadians), 1e-3);
  const double wide = std::clamp(high / shrink, double(kSmallestFrameSamples), double(kGridColumns));

  int chosen = kStepOfResolution.front();  // the coarsest: for the largest frames
  if (step) {
    chosen = *step;
  } else {
    for (auto it = kStepOfResolution.rbegin(); it != kStepOfResolution.rend(); ++it) {
      if (std::max(wide, high) / *it <= kFramePixels) {
        chosen = *it;
        break;
      }
    }
  }
  const int across = std::min(oddPixels(wide, chosen), static_cast<int>((kGridColumns - 1) / chosen + 1));
  const int down = std::min(oddPixels(high, chosen), (kGridLines - 1) / chosen + 1);
  int zoom = 1;
  if (!step && chosen == 1) {
    const int longer = std::max(across, down);
    zoom = std::clamp((kSmallestFramePixels + longer - 1) / longer, 1, 8);
  }

  const std::int64_t centreColumn =
      std::int64_t(std::floor((place.longitude + 180.0) * kSamplesPerDegree)) % kGridColumns;
  const int centreLine = std::clamp(static_cast<int>(std::floor((88.0 - place.latitude) * kSamplesPerDegree)), 0,
                                    kGridLines - 1);
  GridWindow window;
  window.step = chosen;
  window.zoom = zoom;
  window.width = across * zoom;
  window.height = down * zoom;
  window.firstColumn = ((centreColumn - std::int64_t(across / 2) * chosen) % kGridColumns + kGridColumns) % kGridColumns;
  const int lastFirstLine = kGridLines - 1 - (down - 1) * chosen;
  window.firstLine = std::clamp(centreLine - (down / 2) * chosen, 0, std::max(0, lastFirstLine));
  return window;
}

}  // namespace tarvelon
