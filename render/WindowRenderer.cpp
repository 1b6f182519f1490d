#include "render/WindowRenderer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "render/AreaLayout.h"
#include "render/DrawSync.h"
#include "render/MapGeometry.h"
#include "render/Resolution.h"
#include "render/Rounding.h"
#include "render/ProjectedMap.h"
#include "render/SampledMap.h"

namespace tarvelon {

namespace {

// What the worker hands back, guarded for the caller's thread.
struct Handover {
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<int> rowsDone{0};
  bool ended = false;
  RenderOutcome outcome;
};

// How often the caller's thread lets events run while the worker draws.
constexpr auto kEventInterval = std::chrono::milliseconds(10);

// A map drawn from the grid: into a sink on the caller's thread, or by a
// render job.
struct FrameDraw {
  MapGeometry geometry;
  std::optional<int> step;  // the grid step it is drawn at, when it has one
  std::function<bool(ElevationSource&, RowSink&, const RowProgress&, SampledRange*)> intoSink;
  std::function<RenderJob::Draw(std::shared_ptr<SampledRange>)> job;
};

WindowDrawResult drawFrame(const FrameDraw& draw, MapViewState& state, DrawHost& host, const SourceOpener& openSource) {
  const MapGeometry& geometry = draw.geometry;
  const int width = geometry.width();
  const int height = geometry.height();
  RowSink* const sink = host.rowSink();
  if (sink == nullptr && std::int64_t(width) * height > kMaxAreaPixels) {
    host.inform("The map of " + state.mapTitle + " would be " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels, more than can be held. Choose a lower resolution.");
    return WindowDrawResult::Refused;
  }
  DrawProgress progress(state);
  progress.startEmpty();
  const std::time_t start = host.now();

  if (draw.step) {
    state.sampleStep = *draw.step;
    state.resolutionIndex = resolutionIndexOfStep(*draw.step, state.resolutionIndex);
    host.checkResolution(state.resolutionIndex);
  }
  host.sizeMap(width, height);
  announceDraw(host, "Mapping" + drawingModeText(state) + ".... " + state.mapTitle + " .... Progress:");
  host.placeMap(geometry);
  FailureCleanup cleanup(host, progress);
  host.setBusy(true);
  progress.processEvents(host);

  int percentShown = -1;
  auto showPercent = [&](int rowsDone) {
    const int percent = static_cast<int>(roundHalfEven(std::int64_t(rowsDone) * 100, height));
    if (percent == percentShown) return;
    percentShown = percent;
    host.setPercent(std::to_string(percent) + "%");
  };
  auto stopped = [&] {
    state.stopRequested = 0;
    cleanup.disarm();
    progress.store();
    host.setBusy(false);
    return WindowDrawResult::Stopped;
  };

  if (state.stopRequested == 1) return stopped();

  SampledRange range;
  Raster raster;
  if (sink != nullptr) {
    // A file: its rows in order, on this thread, as each is finished.
    const std::unique_ptr<ElevationSource> source = openSource();
    const bool finished = draw.intoSink(*source, *sink, [&](int rowsDone, int) {
      showPercent(rowsDone);
      progress.processEvents(host);
      return state.stopRequested != 1;
    }, &range);
    if (!finished) return stopped();
  } else {
    auto handover = std::make_shared<Handover>();
    auto shared = std::make_shared<SampledRange>();
    RenderJob job(draw.job(shared));
    job.start(
        [handover](int rowsDone, int) {
          handover->rowsDone.store(rowsDone, std::memory_order_relaxed);
          return true;
        },
        [handover](RenderOutcome outcome) {
          std::lock_guard<std::mutex> lock(handover->mutex);
          handover->outcome = std::move(outcome);
          handover->ended = true;
          handover->changed.notify_all();
        });
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(handover->mutex);
        if (handover->changed.wait_for(lock, kEventInterval, [&] { return handover->ended; })) break;
      }
      showPercent(handover->rowsDone.load(std::memory_order_relaxed));
      progress.processEvents(host);
      if (state.stopRequested == 1) job.cancel();
    }
    job.wait();
    RenderOutcome& outcome = handover->outcome;
    if (outcome.status == RenderOutcome::Status::Failed) throw std::runtime_error(outcome.error);
    if (outcome.status == RenderOutcome::Status::Cancelled) return stopped();
    raster = std::move(outcome.raster);
    range = *shared;
  }
  showPercent(height);
  progress.counted = range.counted;
  progress.altMax = range.counted ? range.highest : 0;
  progress.altMin = range.counted ? range.lowest : 0;
  progress.store();

  endDraw(
      host, state, progress, cleanup, start,
      [&] {
        if (sink == nullptr) host.takeRaster(std::move(raster));
        raster = Raster();
      },
      [&] {
        host.areaDrawCompleted();
        state.drawnResolution = state.resolutionIndex;
      });
  return WindowDrawResult::Completed;
}

}  // namespace

WindowDrawResult drawGridWindow(const GridWindow& window, MapViewState& state, DrawHost& host,
                                const SourceOpener& openSource) {
  const SampledMapRequest request{window, static_cast<const Colouring&>(state)};
  FrameDraw draw{MapGeometry::ofWindow(window), window.step,
                 [&request](ElevationSource& source, RowSink& sink, const RowProgress& progress, SampledRange* range) {
                   return drawSampledRows(request, source, sink, progress, range);
                 },
                 [&request, &openSource](std::shared_ptr<SampledRange> range) {
                   return sampledMapDraw(request, openSource, std::move(range));
                 }};
  return drawFrame(draw, state, host, openSource);
}

WindowDrawResult drawProjectedFrame(const ProjectedFrame& frame, MapViewState& state, DrawHost& host,
                                    const SourceOpener& openSource) {
  const ProjectedMapRequest request{frame, static_cast<const Colouring&>(state)};
  FrameDraw draw{MapGeometry::ofProjection(frame), std::nullopt,
                 [&request](ElevationSource& source, RowSink& sink, const RowProgress& progress, SampledRange* range) {
                   return drawProjectedRows(request, source, sink, progress, range);
                 },
                 [&request, &openSource](std::shared_ptr<SampledRange> range) {
                   return projectedMapDraw(request, openSource, std::move(range));
                 }};
  return drawFrame(draw, state, host, openSource);
}

}  // namespace tarvelon
