// A map drawn on a worker thread, for the kinds of map that are drawn from
// the grid sampler: the request is taken by value before the job starts,
// start() returns at once, cancel() stops the draw at its next row, and the
// outcome is handed over once, when the worker is done.
//
// The renderers of the tile and area maps do not use it: they draw on the
// caller's thread and let window events run between rows.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "render/Raster.h"

namespace tarvelon {

// Told after each row a draw finishes: rows 0 .. rowsDone - 1 of `rows` are
// done. Returning false asks the draw to stop.
using RowProgress = std::function<bool(int rowsDone, int rows)>;

struct RenderOutcome {
  enum class Status { Finished, Cancelled, Failed };
  Status status = Status::Failed;
  Raster raster;      // the whole map, when Finished
  std::string error;  // what went wrong, when Failed
};

class RenderJob {
 public:
  // Draws the map, calling `progress` after each row and returning as soon
  // as it answers false (what it returns then is dropped). An exception it
  // throws makes the job Failed, with the exception's text.
  using Draw = std::function<Raster(const RowProgress& progress)>;
  // Called once, on the worker thread, as the last thing the job does.
  using Done = std::function<void(RenderOutcome outcome)>;

  explicit RenderJob(Draw draw);
  // Cancels a job still running and waits for its worker.
  ~RenderJob();
  RenderJob(const RenderJob&) = delete;
  RenderJob& operator=(const RenderJob&) = delete;

  // Starts the worker and returns at once. `progress` (may be empty) is
  // called on the worker after each row; its false cancels, as cancel()
  // does. A job starts once: a second start throws std::logic_error.
  void start(RowProgress progress, Done done);
  // Asks the draw to stop at its next row; the job then ends Cancelled.
  // Safe from any thread, before or after start, any number of times.
  void cancel();
  // True from start() until `done` has returned.
  bool active() const { return active_.load(); }
  // Waits for the worker, if one was started.
  void wait();

 private:
  void run(RowProgress progress, Done done);

  Draw draw_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> active_{false};
  bool started_ = false;
  std::mutex joining_;
  std::thread worker_;
};

}  // namespace tarvelon
