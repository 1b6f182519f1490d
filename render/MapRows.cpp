#include "render/MapRows.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "dem/TileSet.h"
#include "render/ColourFunction.h"
#include "render/SampleRun.h"
#include "render/WideRows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvelon {

ReliefLight::ReliefLight(const MapViewState& state, int sampleStep, std::function<double(int y)> latitudeOfRow)
    : hillshade(state.sunAzimuth, state.sunAltitude,
                state.reliefExaggeration > 0 ? state.reliefExaggeration : automaticExaggeration(sampleStep)),
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
  for (; n < count; ++n) out[n] = static_cast<std::int16_t>(decodeSample(first + n * stride));
}

namespace {
// Rows held for the lighting thread: the row it lights, the one above,
// and those read ahead of it.
constexpr int kRowsAhead = 16;
// A thread that has to wait for the other sleeps until it is this many
// rows further on.
constexpr int kRowsPerWake = 6;
}  // namespace

MapRows::MapRows(RowSink::Content content, bool shaded, int width, int height, int rowsDrawn,
                 std::optional<ReliefLight> light, bool parallel)
    : content_(content),
      lit_(content == RowSink::Content::Light || (content == RowSink::Content::Colour && shaded)),
      width_(width),
      height_(height),
      rowsDrawn_(std::min(rowsDrawn, height)),
      light_(std::move(light)) {
  parallel_ = parallel && lit_;
}

namespace {

RowSink::Content contentFor(const RowSink* sink) {
  return sink != nullptr ? sink->content() : RowSink::Content::Colour;
}

std::optional<ReliefLight> lightFor(const MapViewState& state, const MapGeometry& geometry, int step,
                                    RowSink::Content content) {
  if (state.reliefShading != 1 && content != RowSink::Content::Light) return std::nullopt;
  return ReliefLight(state, step, [geometry](int y) { return geometry.latitudeAt(y); });
}

}  // namespace

MapRows::MapRows(const MapViewState& state, const MapGeometry& geometry, int step, RowSink* sink)
    : MapRows(contentFor(sink), state.reliefShading == 1, geometry.width(), geometry.height(), geometry.rowsDrawn(),
              lightFor(state, geometry, step, contentFor(sink)), sink != nullptr) {}

MapRows::~MapRows() {
  if (!lighting_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
  lighting_.join();
}

void MapRows::keepIfLast(int y, const std::uint8_t* row) {
  if (y == rowsDrawn_ - 1 && rowsDrawn_ < height_) {
    lastRow_.assign(row, row + std::size_t(width_) * RowSink::bytesPerPixel(content_));
  }
}

namespace {

// Pixels x .. width - 1 of a row, columns the renderer takes no sample
// for: copies of pixel x - 1 in a picture, no elevation in elevations,
// and none of them shows a sample in the mask.
void fillRight(std::uint8_t* row, std::uint8_t* mask, int x, int width, RowSink::Content content) {
  if (mask != nullptr && x < width) std::memset(mask + std::max(x, 0), 0, std::size_t(width - std::max(x, 0)));
  if (content == RowSink::Content::Elevation) {
    for (int i = std::max(x, 0); i < width; ++i) {
      const std::int16_t none = RowSink::kNoElevation;
      std::memcpy(row + std::ptrdiff_t(i) * 2, &none, 2);
    }
    return;
  }
  if (x <= 0) return;
  const int bytesPerPixel = RowSink::bytesPerPixel(content);
  const std::uint8_t* last = row + std::ptrdiff_t(x - 1) * bytesPerPixel;
  for (; x < width; ++x) std::memcpy(row + std::ptrdiff_t(x) * bytesPerPixel, last, bytesPerPixel);
}

inline std::uint8_t shows(int elevation) {
  return elevation >= kMinElevation && elevation <= kMaxElevation ? 255 : 0;
}

// The mask of `count` consecutive big-endian samples (at larger steps the
// colour loop marks the mask itself).
void maskLine(const std::uint8_t* first, int count, std::uint8_t* mask) {
  int n = 0;
#if defined(__SSE2__)
  {
    // Sixteen samples at a time: swapped to the machine's order, compared
    // with both ends of the range, the results packed to bytes.
    const __m128i below = _mm_set1_epi16(static_cast<short>(kMinElevation));
    const __m128i above = _mm_set1_epi16(static_cast<short>(kMaxElevation));
    auto outside = [&](const std::uint8_t* at) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
      return _mm_or_si128(_mm_cmplt_epi16(v, below), _mm_cmpgt_epi16(v, above));
    };
    const __m128i all = _mm_set1_epi8(-1);
    for (; n + 16 <= count; n += 16) {
      const __m128i out = _mm_packs_epi16(outside(first + 2 * std::ptrdiff_t(n)),
                                          outside(first + 2 * std::ptrdiff_t(n) + 16));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(mask + n), _mm_xor_si128(out, all));
    }
  }
#endif
  for (; n < count; ++n) mask[n] = shows(decodeSample(first + 2 * std::ptrdiff_t(n)));
}

void maskSamples(const std::int16_t* samples, int count, std::uint8_t* mask) {
  for (int n = 0; n < count; ++n) mask[n] = shows(samples[n]);
}

}  // namespace

void MapRows::completeRow(int y, std::uint8_t* out, std::uint8_t* mask, int x, RowTarget& target) {
  fillRight(out, mask, x, width_, content_);
  keepIfLast(y, out);
  target.done(y);
  finished_ = y + 1;
}

void MapRows::addRow(int y, const SampleRunView* runs, int runCount, int step, const std::uint32_t* colours,
                     DrawProgress& progress, RowTarget& target) {
  if (!lit_ && content_ == RowSink::Content::Colour) {
    // Straight from the line into the row: no copy of the samples.
    std::uint8_t* out = y < height_ ? target.row(y) : nullptr;
    std::uint8_t* mask = out != nullptr ? target.mask(y) : nullptr;
    int x = 0;
    for (int r = 0; r < runCount; ++r) {
      const int stored = out != nullptr ? std::clamp(width_ - x, 0, runs[r].count) : 0;
      std::uint8_t* into = stored > 0 ? out + std::ptrdiff_t(3) * x : nullptr;
      std::uint8_t* maskInto = stored > 0 && mask != nullptr ? mask + x : nullptr;
      if (step == 1) {
        progress.colour = colourLine(runs[r].first, runs[r].count, colours, into, stored, progress.colour);
        if (maskInto != nullptr) maskLine(runs[r].first, stored, maskInto);
      } else {
        // The colour loop marks the mask as it goes.
        progress.colour =
            colourRun(runs[r].first, runs[r].count, step, colours, into, stored, progress.colour, maskInto);
      }
      x += runs[r].count;
    }
    added_ = y + 1;
    if (out == nullptr) return;
    completeRow(y, out, mask, x, target);
    return;
  }

  int total = 0;
  for (int r = 0; r < runCount; ++r) total += runs[r].count;
  std::int16_t* samples = rowToRead(y, total, target).samples.data();
  int x = 0;
  for (int r = 0; r < runCount && x < rowSamples_; ++r) {
    const int count = std::min(runs[r].count, rowSamples_ - x);
    gatherSamples(runs[r].first, count, step, samples + x);
    x += count;
  }
  addRead(y, x, colours, progress, target);
}

void MapRows::addRow(int y, const std::int16_t* elevations, int count, const std::uint32_t* colours,
                     DrawProgress& progress, RowTarget& target) {
  if (!lit_ && content_ == RowSink::Content::Colour) {
    plainEntries_.resize(static_cast<std::size_t>(std::max(count, 0)));
    progress.colour = colourSamples(elevations, count, colours, progress.colour, plainEntries_.data());
    added_ = y + 1;
    if (y >= height_) return;
    std::uint8_t* out = target.row(y);
    std::uint8_t* mask = target.mask(y);
    const int stored = std::clamp(count, 0, width_);
    for (int n = 0; n < stored; ++n) {
      const std::uint32_t entry = plainEntries_[static_cast<std::size_t>(n)];
      out[3 * n] = static_cast<std::uint8_t>(entry);
      out[3 * n + 1] = static_cast<std::uint8_t>(entry >> 8);
      out[3 * n + 2] = static_cast<std::uint8_t>(entry >> 16);
    }
    if (mask != nullptr) maskSamples(elevations, stored, mask);
    completeRow(y, out, mask, count, target);
    return;
  }
  std::int16_t* samples = rowToRead(y, count, target).samples.data();
  const int x = std::clamp(count, 0, rowSamples_);
  std::copy(elevations, elevations + x, samples);
  addRead(y, x, colours, progress, target);
}

MapRows::ReadRow& MapRows::rowToRead(int y, int total, RowTarget& target) {
  if (rows_.empty()) {
    rowSamples_ = total;
    rows_.resize(parallel_ ? kRowsAhead : 3);
    for (ReadRow& row : rows_) {
      row.samples.resize(static_cast<std::size_t>(total));
      if (lit_) {
        row.entries.resize(static_cast<std::size_t>(total));
        row.heights.resize(static_cast<std::size_t>(total));
      }
    }
    lightRow_.resize(static_cast<std::size_t>(total));
    if (parallel_) lighting_ = std::thread([this, t = &target] { runLighting(t); });
  }
  if (parallel_) {
    // The row this one replaces must be done with: lit, and no longer the
    // row above one to be lit.
    const int needed = std::min(y - static_cast<int>(rows_.size()) + 2, height_);
    std::unique_lock<std::mutex> lock(mutex_);
    if (rowsLit_ < needed && !error_) {
      // The lighting thread can light every row but the last.
      wantLit_ = std::max(needed, std::min(needed + kRowsPerWake, read_ - 1));
      changed_.wait(lock, [&] { return rowsLit_ >= needed || error_; });
    }
    if (error_) std::rethrow_exception(error_);
  }
  return readRow(y);
}

void MapRows::addRead(int y, int x, const std::uint32_t* colours, DrawProgress& progress, RowTarget& target) {
  ReadRow& read = readRow(y);
  std::int16_t* samples = read.samples.data();
  std::fill(samples + x, samples + rowSamples_, x > 0 ? samples[x - 1] : std::int16_t(0));
  added_ = y + 1;

  if (content_ == RowSink::Content::Elevation) {
    if (y >= height_) return;
    std::uint8_t* out = target.row(y);
    const int stored = std::min(width_, x);
    std::memcpy(out, samples, std::size_t(stored) * 2);
    std::uint8_t* mask = target.mask(y);
    if (mask != nullptr) maskSamples(samples, stored, mask);
    completeRow(y, out, mask, stored, target);
    return;
  }
  read.terrain = Hillshade::terrainHeights(samples, rowSamples_, read.heights.data());
  // The colours go on from sample to sample in the order read.
  if (content_ == RowSink::Content::Colour) {
    progress.colour = colourSamples(samples, rowSamples_, colours, progress.colour, read.entries.data());
  }
  if (parallel_) {
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      read_ = y + 1;
      if (wantRead_ > 0 && read_ >= wantRead_) {
        wantRead_ = 0;
        wake = true;
      }
    }
    if (wake) changed_.notify_all();
    return;
  }
  // Lit rows wait for the row below them.
  if (y >= 1 && y - 1 < height_) {
    emit(y - 1, y >= 2 ? &readRow(y - 2) : nullptr, readRow(y - 1), &read, target, lightRow_);
  }
}

void MapRows::finish(RowTarget& target) {
  if (!lit_ || added_ == 0) return;
  if (parallel_) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ended_ = true;
    }
    changed_.notify_all();
    if (lighting_.joinable()) lighting_.join();
    if (error_) std::rethrow_exception(error_);
    finished_ = rowsLit_;
    return;
  }
  const int last = added_ - 1;
  if (last >= height_) return;  // lit by the row past the map
  emit(last, last >= 1 ? &readRow(last - 1) : nullptr, readRow(last), nullptr, target, lightRow_);
}

void MapRows::runLighting(RowTarget* target) {
  std::vector<float> light(static_cast<std::size_t>(rowSamples_));
  try {
    for (int r = 0; r < height_; ++r) {
      bool below = false;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!(cancelled_ || ended_ || read_ >= r + 2)) {
          // The reader can fill every row but the two this one still needs.
          wantRead_ = std::min(r + 2 + kRowsPerWake, r + kRowsAhead - 1);
          changed_.wait(lock, [&] { return cancelled_ || ended_ || read_ >= r + 2; });
        }
        if (cancelled_ || read_ <= r) return;
        below = read_ >= r + 2;
      }
      emit(r, r >= 1 ? &readRow(r - 1) : nullptr, readRow(r), below ? &readRow(r + 1) : nullptr, *target, light);
      bool wake = false;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        rowsLit_ = r + 1;
        if (wantLit_ > 0 && rowsLit_ >= wantLit_) {
          wantLit_ = 0;
          wake = true;
        }
      }
      if (wake) changed_.notify_all();
    }
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = std::current_exception();
    changed_.notify_all();
  }
}

void MapRows::emit(int y, const ReadRow* above, const ReadRow& row, const ReadRow* below, RowTarget& target,
                   std::vector<float>& lightRow) {
  const ReliefLight& light = *light_;
  const double spacingX = light.spacingX > 0 ? light.spacingX : eastWestSpacing(light.latitude(y), light.degreesX);
  if (above != nullptr && below != nullptr && above->terrain && row.terrain && below->terrain) {
    light.hillshade.lightTerrainRow(above->samples.data(), row.samples.data(), below->samples.data(),
                                    above->heights.data(), row.heights.data(), below->heights.data(), rowSamples_,
                                    spacingX, light.spacingY, lightRow.data());
  } else {
    light.hillshade.lightRow(above != nullptr ? above->samples.data() : nullptr, row.samples.data(),
                             below != nullptr ? below->samples.data() : nullptr, rowSamples_, spacingX,
                             light.spacingY, lightRow.data());
  }
  std::uint8_t* out = target.row(y);
  const int stored = std::min(width_, rowSamples_);
  if (content_ == RowSink::Content::Light) {
    Hillshade::greyRow(lightRow.data(), stored, out);
  } else {
    shadeEntries(light.hillshade, row.entries.data(), lightRow.data(), stored, out);
  }
  std::uint8_t* mask = target.mask(y);
  if (mask != nullptr) maskSamples(row.samples.data(), stored, mask);
  fillRight(out, mask, stored, width_, content_);
  keepIfLast(y, out);
  target.done(y);
  if (!parallel_) finished_ = y + 1;
}

void MapRows::fillBelow(RowTarget& target) {
  if (finished_ != rowsDrawn_ || lastRow_.empty()) return;
  for (int y = finished_; y < height_; ++y) {
    std::uint8_t* out = target.row(y);
    if (content_ == RowSink::Content::Elevation) {
      fillRight(out, nullptr, 0, width_, content_);
    } else {
      std::memcpy(out, lastRow_.data(), lastRow_.size());
    }
    std::uint8_t* mask = target.mask(y);
    if (mask != nullptr) std::memset(mask, 0, std::size_t(width_));
    target.done(y);
  }
  finished_ = std::max(finished_, height_);
}

}  // namespace tarvelon
