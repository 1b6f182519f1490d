#include "render/MapRows.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "dem/TileSet.h"
#include "render/SampleRun.h"
#include "render/WideRows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvelon {

ReliefLight::ReliefLight(const MapViewState& state, int sampleStep, std::function<double(int y)> latitudeOfRow)
    : hillshade(state.sunAzimuth, state.sunAltitude, state.reliefExaggeration),
      spacingY(kMetresPerDegree * sampleStep / kSamplesPerDegree),
      degreesX(double(sampleStep) / kSamplesPerDegree),
      latitude(std::move(latitudeOfRow)) {}

void gatherSamples(const std::uint8_t* first, int count, int step, std::int16_t* out) {
  int n = 0;
#if defined(__SSE2__)
  if (step == 1) {
    for (; n + 8 <= count; n += 8) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 2 * std::ptrdiff_t(n)));
      v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), v);
    }
  }
#endif
  const std::ptrdiff_t stride = std::ptrdiff_t(2) * step;
  for (; n < count; ++n) out[n] = static_cast<std::int16_t>(sampleValue(first + n * stride));
}

MapRows::MapRows(RowSink::Content content, bool shaded, int width, int height, int rowsDrawn,
                 std::optional<ReliefLight> light)
    : content_(content),
      lit_(content == RowSink::Content::Light || (content == RowSink::Content::Colour && shaded)),
      width_(width),
      height_(height),
      rowsDrawn_(std::min(rowsDrawn, height)),
      light_(std::move(light)) {}

void MapRows::keepIfLast(int y, const std::uint8_t* row) {
  if (y == rowsDrawn_ - 1 && rowsDrawn_ < height_) {
    lastRow_.assign(row, row + std::size_t(width_) * RowSink::bytesPerPixel(content_));
  }
}

namespace {

// Pixels x .. width - 1 of a row become copies of pixel x - 1: columns
// the renderer takes no sample for.
void fillRight(std::uint8_t* row, int x, int width, int bytesPerPixel) {
  if (x <= 0) return;
  const std::uint8_t* last = row + std::ptrdiff_t(x - 1) * bytesPerPixel;
  for (; x < width; ++x) std::memcpy(row + std::ptrdiff_t(x) * bytesPerPixel, last, bytesPerPixel);
}

}  // namespace

void MapRows::addRow(int y, const SampleRunView* runs, int runCount, int step, const std::uint32_t* colours,
                     DrawProgress& progress, RowTarget& target) {
  const int bpp = RowSink::bytesPerPixel(content_);
  if (!lit_ && content_ == RowSink::Content::Colour) {
    // Straight from the line into the row: no copy of the samples.
    std::uint8_t* out = y < height_ ? target.row(y) : nullptr;
    int x = 0;
    for (int r = 0; r < runCount; ++r) {
      const int stored = out != nullptr ? std::clamp(width_ - x, 0, runs[r].count) : 0;
      std::uint8_t* into = stored > 0 ? out + std::ptrdiff_t(3) * x : nullptr;
      progress.colour = step == 1 ? colourLine(runs[r].first, runs[r].count, colours, into, stored, progress.colour)
                                  : colourRun(runs[r].first, runs[r].count, step, colours, into, stored,
                                              progress.colour);
      x += runs[r].count;
    }
    added_ = y + 1;
    if (out == nullptr) return;
    fillRight(out, x, width_, bpp);
    keepIfLast(y, out);
    target.done(y);
    finished_ = y + 1;
    return;
  }

  int total = 0;
  for (int r = 0; r < runCount; ++r) total += runs[r].count;
  if (samples_.empty()) {
    rowSamples_ = total;
    samples_.assign(3, std::vector<std::int16_t>(static_cast<std::size_t>(total)));
    lightRow_.resize(static_cast<std::size_t>(total));
    entries_.resize(static_cast<std::size_t>(total));
  }
  std::int16_t* samples = samplesOf(y);
  int x = 0;
  for (int r = 0; r < runCount && x < rowSamples_; ++r) {
    const int count = std::min(runs[r].count, rowSamples_ - x);
    gatherSamples(runs[r].first, count, step, samples + x);
    x += count;
  }
  std::fill(samples + x, samples + rowSamples_, x > 0 ? samples[x - 1] : std::int16_t(0));
  added_ = y + 1;

  if (content_ == RowSink::Content::Elevation) {
    if (y >= height_) return;
    std::uint8_t* out = target.row(y);
    const int stored = std::min(width_, x);
    std::memcpy(out, samples, std::size_t(stored) * 2);
    fillRight(out, stored, width_, bpp);
    keepIfLast(y, out);
    target.done(y);
    finished_ = y + 1;
    return;
  }
  // Lit rows wait for the row below them.
  if (y >= 1 && y - 1 < height_) {
    emit(y - 1, y >= 2 ? samplesOf(y - 2) : nullptr, samplesOf(y - 1), samples, colours, progress, target);
  }
}

void MapRows::finish(const std::uint32_t* colours, DrawProgress& progress, RowTarget& target) {
  if (!lit_ || added_ == 0) return;
  const int last = added_ - 1;
  if (last >= height_) return;  // lit by the row past the map
  emit(last, last >= 1 ? samplesOf(last - 1) : nullptr, samplesOf(last), nullptr, colours, progress, target);
}

void MapRows::emit(int y, const std::int16_t* above, const std::int16_t* row, const std::int16_t* below,
                   const std::uint32_t* colours, DrawProgress& progress, RowTarget& target) {
  const ReliefLight& light = *light_;
  const double spacingX = eastWestSpacing(light.latitude(y), light.degreesX);
  light.hillshade.lightRow(above, row, below, rowSamples_, spacingX, light.spacingY, lightRow_.data());
  std::uint8_t* out = target.row(y);
  const int stored = std::min(width_, rowSamples_);
  const int bpp = RowSink::bytesPerPixel(content_);
  if (content_ == RowSink::Content::Light) {
    Hillshade::greyRow(lightRow_.data(), stored, out);
  } else {
    progress.colour = colourSamples(row, rowSamples_, colours, progress.colour, entries_.data());
    shadeEntries(light.hillshade, entries_.data(), lightRow_.data(), stored, out);
  }
  fillRight(out, stored, width_, bpp);
  keepIfLast(y, out);
  target.done(y);
  finished_ = y + 1;
}

void MapRows::fillBelow(RowTarget& target) {
  if (finished_ != rowsDrawn_ || lastRow_.empty()) return;
  for (int y = finished_; y < height_; ++y) {
    std::memcpy(target.row(y), lastRow_.data(), lastRow_.size());
    target.done(y);
  }
  finished_ = std::max(finished_, height_);
}

}  // namespace tarvelon
