#include "render/ProjectedMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <future>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "dem/GridSampler.h"
#include "render/BlankRaster.h"
#include "render/DrawSync.h"
#include "render/Hillshade.h"
#include "render/MapRows.h"
#include "render/MapViewState.h"
#include "render/SampleColours.h"

namespace tarvelon {

namespace {

// Hands rows on with the pixels that show no sample (off the planet, outside
// the map's area) made white, the paper of a map, rather than the colour
// the row's last sample left there: a BMP keeps no mask to hide them.
class BlankingTarget : public RowTarget {
 public:
  BlankingTarget(RowTarget& inner, RowSink::Content content, int width)
      : inner_(inner), bytes_(RowSink::bytesPerPixel(content)), width_(width),
        masks_(std::size_t(kRows) * std::size_t(width)) {}
  std::uint8_t* row(int y) override {
    out_ = inner_.row(y);
    return out_;
  }
  std::uint8_t* mask(int y) override {
    std::uint8_t* own = inner_.mask(y);
    mask_ = own != nullptr ? own : masks_.data() + std::size_t(y % kRows) * std::size_t(width_);
    return mask_;
  }
  void done(int y) override {
    for (int x = 0; x < width_; ++x) {
      if (mask_[x] == 0) std::memset(out_ + std::size_t(x) * bytes_, 0xFF, bytes_);
    }
    inner_.done(y);
  }

 private:
  static constexpr int kRows = 4;
  RowTarget& inner_;
  std::size_t bytes_;
  int width_;
  std::vector<std::uint8_t> masks_;
  std::uint8_t* out_ = nullptr;
  std::uint8_t* mask_ = nullptr;
};

bool drawRows(const ProjectedMapRequest& request, RowSink::Content content, ElevationSource& source,
              RowTarget& target, bool parallel, const RowProgress& progress, SampledRange* range) {
  const ProjectedFrame& frame = request.frame;
  if (frame.width < 1 || frame.height < 1 || !(frame.pixelSize > 0)) {
    throw std::invalid_argument("A projected map needs a width, a height and a pixel size");
  }
  MapViewState state;
  static_cast<Colouring&>(state) = request.colouring;
  DrawProgress counted(state);
  counted.startEmpty();
  SampleColours colours;
  colours.update(state);

  std::optional<ReliefLight> light;
  if (state.reliefShading == 1) {
    // Pixels as wide on the ground as they are at the map's centre, and the
    // exaggeration of pixels that many samples of the tiles wide.
    const double ground = frame.kilometresPerPixelAtCentre() * 1000;
    const double sample = kMetresPerDegree / kSamplesPerDegree;
    light.emplace(state, std::max(1, static_cast<int>(std::lround(ground / sample))), [](int) { return 0.0; });
    light->spacingX = ground;
    light->spacingY = ground;
  }
  MapRows drawn(content, state.reliefShading == 1, frame.width, frame.height, frame.height, std::move(light),
                parallel && state.reliefShading == 1);

  // Two locators, one a half of each band, on two threads: where blocks of
  // pixels are projected exactly (near a pole), finding the samples takes
  // longer than colouring them.
  PixelLocator locators[2] = {PixelLocator(frame, source.grid()), PixelLocator(frame, source.grid())};
  // Samples far apart (a pixel two samples wide or more) are gathered for a
  // band of many rows at once, so that each line they touch is read once a
  // band; samples close together come from the sampler's cache in bands of
  // a few rows.
  const double ground = frame.kilometresPerPixelAtCentre() * 1000;
  const double spacing = ground / (kMetresPerDegree / kSamplesPerDegree);
  if (auto* sampler = dynamic_cast<GridSampler*>(&source)) sampler->setGatherSpacing(spacing);
  const int band = std::max(1, std::min(256, (spacing >= 2 ? 1 << 19 : 1 << 17) / frame.width));

  const bool lit = state.reliefShading == 1 && content != RowSink::Content::Elevation;
  const int rowsRead = frame.height + (lit ? 1 : 0);
  const std::size_t width = static_cast<std::size_t>(frame.width);
  // Two bands: the samples of the next are found and read on a thread of
  // their own while this one is coloured and handed on.
  struct Band {
    std::vector<GridIndex> indices;
    std::vector<std::int16_t> elevations;
  };
  Band bands[2];
  for (Band& b : bands) {
    b.indices.resize(width * std::size_t(band));
    b.elevations.resize(b.indices.size());
  }
  auto read = [&](int first, Band& into) {
    const int rows = std::min(band, rowsRead - first);
    auto locate = [&](PixelLocator& locator, int from, int to) {
      for (int r = from; r < to; ++r) locator.locate(first + r, into.indices.data() + width * std::size_t(r));
    };
    // Halves on whole blocks of rows, so that each locator projects its own.
    const int half = std::min(rows, (band / 2 + 7) / 8 * 8);
    std::future<void> upper = std::async(std::launch::async, locate, std::ref(locators[0]), 0, half);
    locate(locators[1], half, rows);
    upper.get();
    source.gather(into.indices.data(), frame.width * rows, into.elevations.data());
  };
  int highest = kMinElevation - 1;
  int lowest = kMaxElevation + 1;
  std::future<void> next = std::async(std::launch::async, read, 0, std::ref(bands[0]));
  for (int first = 0, current = 0; first < rowsRead; first += band, current ^= 1) {
    next.get();
    if (first + band < rowsRead) next = std::async(std::launch::async, read, first + band, std::ref(bands[current ^ 1]));
    const int rows = std::min(band, rowsRead - first);
    for (int r = 0; r < rows; ++r) {
      const int y = first + r;
      const std::int16_t* row = bands[current].elevations.data() + width * std::size_t(r);
      if (y < frame.height) {
        for (std::size_t x = 0; x < width; ++x) {
          const std::int16_t sample = row[x];
          if (sample < kMinElevation || sample > kMaxElevation) continue;
          highest = std::max<int>(highest, sample);
          lowest = std::min<int>(lowest, sample);
        }
      }
      drawn.addRow(y, row, frame.width, colours.data(), counted, target);
      // A stop leaves the band being read to finish, which `next` waits for.
      if (progress && !progress(drawn.rowsFinished(), frame.height)) return false;
    }
  }
  drawn.finish(target);
  if (range != nullptr) {
    const bool any = highest >= lowest;
    *range = SampledRange{any, any ? highest : 0, any ? lowest : 0};
  }
  return !progress || progress(frame.height, frame.height);
}

}  // namespace

Raster drawProjectedMap(const ProjectedMapRequest& request, ElevationSource& source, const RowProgress& progress,
                        SampledRange* range) {
  Raster raster = blankRaster(std::max(1, request.frame.width), std::max(1, request.frame.height));
  RowFunctions target;
  target.intoRaster(raster);
  BlankingTarget blanked(target, RowSink::Content::Colour, request.frame.width);
  if (!drawRows(request, RowSink::Content::Colour, source, blanked, false, progress, range)) return Raster();
  return raster;
}

bool drawProjectedRows(const ProjectedMapRequest& request, ElevationSource& source, RowSink& sink,
                       const RowProgress& progress, SampledRange* range) {
  RowFunctions target;
  target.intoSink(sink);
  if (sink.content() == RowSink::Content::Elevation) {
    return drawRows(request, sink.content(), source, target, true, progress, range);
  }
  BlankingTarget blanked(target, sink.content(), request.frame.width);
  return drawRows(request, sink.content(), source, blanked, true, progress, range);
}

RenderJob::Draw projectedMapDraw(ProjectedMapRequest request,
                                 std::function<std::unique_ptr<ElevationSource>()> openSource,
                                 std::shared_ptr<SampledRange> range) {
  return [request = std::move(request), openSource = std::move(openSource),
          range = std::move(range)](const RowProgress& progress) {
    const std::unique_ptr<ElevationSource> source = openSource();
    return drawProjectedMap(request, *source, progress, range.get());
  };
}

}  // namespace tarvelon
