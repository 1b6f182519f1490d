#include "render/RenderJob.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace tarvelon {

RenderJob::RenderJob(Draw draw) : draw_(std::move(draw)) {}

RenderJob::~RenderJob() {
  cancel();
  wait();
}

void RenderJob::start(RowProgress progress, Done done) {
  if (started_) throw std::logic_error("A render job starts only once");
  started_ = true;
  active_ = true;
  worker_ = std::thread(&RenderJob::run, this, std::move(progress), std::move(done));
}

void RenderJob::cancel() { cancelled_ = true; }

void RenderJob::wait() {
  std::lock_guard<std::mutex> lock(joining_);
  if (worker_.joinable()) worker_.join();
}

void RenderJob::run(RowProgress progress, Done done) {
  RenderOutcome outcome;
  // Asked only between rows: a cancel takes effect at the row after it.
  const RowProgress ask = [this, &progress](int rowsDone, int rows) {
    if (cancelled_.load(std::memory_order_relaxed)) return false;
    if (progress && !progress(rowsDone, rows)) cancelled_ = true;
    return !cancelled_.load(std::memory_order_relaxed);
  };
  try {
    Raster raster = cancelled_ ? Raster() : draw_(ask);
    if (cancelled_) {
      outcome.status = RenderOutcome::Status::Cancelled;
    } else {
      outcome.status = RenderOutcome::Status::Finished;
      outcome.raster = std::move(raster);
    }
  } catch (const std::exception& error) {
    outcome.status = RenderOutcome::Status::Failed;
    outcome.error = error.what();
  } catch (...) {
    outcome.status = RenderOutcome::Status::Failed;
    outcome.error = "An unknown error stopped the map.";
  }
  try {
    if (done) done(std::move(outcome));
  } catch (...) {
    // Nothing on the worker can take it; the job ends either way.
  }
  active_ = false;
}

}  // namespace tarvelon
