// The worker-thread render job: outcome, cancel, progress, failure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "render/RenderJob.h"

namespace tarvelon {
namespace {

// A draw of `rows` one-pixel rows, each pixel's blue byte its row number;
// it stops as soon as progress says so.
RenderJob::Draw rowsDraw(int rows, std::atomic<int>* drawn = nullptr) {
  return [rows, drawn](const RowProgress& progress) {
    Raster raster(1, rows);
    for (int y = 0; y < rows; ++y) {
      raster.row(y)[0] = static_cast<std::uint8_t>(y);
      if (drawn != nullptr) ++*drawn;
      if (!progress(y + 1, rows)) return Raster();
    }
    return raster;
  };
}

RenderOutcome runToEnd(RenderJob& job, RowProgress progress = {}) {
  std::promise<RenderOutcome> ended;
  job.start(std::move(progress), [&ended](RenderOutcome outcome) { ended.set_value(std::move(outcome)); });
  RenderOutcome outcome = ended.get_future().get();
  job.wait();
  return outcome;
}

TEST(RenderJob, DeliversTheFinishedRasterOnTheWorkerAndReportsEveryRow) {
  RenderJob job(rowsDraw(5));
  std::vector<int> reported;
  std::thread::id progressThread;
  const RenderOutcome outcome = runToEnd(job, [&](int done, int rows) {
    EXPECT_EQ(rows, 5);
    reported.push_back(done);
    progressThread = std::this_thread::get_id();
    return true;
  });
  ASSERT_EQ(outcome.status, RenderOutcome::Status::Finished);
  ASSERT_EQ(outcome.raster.height, 5);
  EXPECT_EQ(outcome.raster.row(4)[0], 4);
  EXPECT_EQ(reported, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_NE(progressThread, std::this_thread::get_id());
  EXPECT_FALSE(job.active());
}

TEST(RenderJob, StartReturnsAtOnceAndCancelStopsTheDrawAtItsNextRow) {
  // The draw holds at row 3 until the test has cancelled.
  std::mutex mutex;
  std::condition_variable changed;
  bool atRow3 = false;
  bool release = false;
  std::atomic<int> drawn{0};
  RenderJob job([&](const RowProgress& progress) {
    Raster raster(1, 100);
    for (int y = 0; y < 100; ++y) {
      ++drawn;
      if (y == 3) {
        std::unique_lock<std::mutex> lock(mutex);
        atRow3 = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
      }
      if (!progress(y + 1, 100)) return Raster();
    }
    return raster;
  });
  std::promise<RenderOutcome> ended;
  job.start({}, [&ended](RenderOutcome outcome) { ended.set_value(std::move(outcome)); });
  EXPECT_TRUE(job.active());
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return atRow3; });
    job.cancel();
    release = true;
  }
  changed.notify_all();
  const RenderOutcome outcome = ended.get_future().get();
  job.wait();
  EXPECT_EQ(outcome.status, RenderOutcome::Status::Cancelled);
  EXPECT_TRUE(outcome.raster.empty());
  EXPECT_EQ(drawn.load(), 4);
}

TEST(RenderJob, ProgressAnsweringFalseCancelsAndACancelBeforeStartDrawsNothing) {
  std::atomic<int> drawn{0};
  RenderJob stopped(rowsDraw(50, &drawn));
  const RenderOutcome outcome = runToEnd(stopped, [](int done, int) { return done < 10; });
  EXPECT_EQ(outcome.status, RenderOutcome::Status::Cancelled);
  EXPECT_EQ(drawn.load(), 10);

  std::atomic<int> never{0};
  RenderJob early(rowsDraw(50, &never));
  early.cancel();
  EXPECT_EQ(runToEnd(early).status, RenderOutcome::Status::Cancelled);
  EXPECT_EQ(never.load(), 0);
}

TEST(RenderJob, AnErrorInTheDrawEndsTheJobFailedWithItsText) {
  RenderJob job([](const RowProgress&) -> Raster { throw std::runtime_error("Cannot read megt88n000hb.img"); });
  const RenderOutcome outcome = runToEnd(job);
  EXPECT_EQ(outcome.status, RenderOutcome::Status::Failed);
  EXPECT_EQ(outcome.error, "Cannot read megt88n000hb.img");
}

TEST(RenderJob, StartsOnceAndItsEndCancelsAndWaitsForAWorkerStillDrawing) {
  std::atomic<int> drawn{0};
  std::atomic<bool> doneCalled{false};
  {
    RenderJob job([&drawn](const RowProgress& progress) {
      for (int y = 0;; ++y) {
        ++drawn;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!progress(y + 1, 1000000)) return Raster();
      }
    });
    job.start({}, [&doneCalled](RenderOutcome outcome) {
      EXPECT_EQ(outcome.status, RenderOutcome::Status::Cancelled);
      doneCalled = true;
    });
    EXPECT_THROW(job.start({}, {}), std::logic_error);
    while (drawn.load() < 3) std::this_thread::yield();
  }
  // The job is gone: its worker was cancelled and joined, and told its end.
  EXPECT_TRUE(doneCalled.load());
  EXPECT_LT(drawn.load(), 1000000);
}

}  // namespace
}  // namespace tarvelon
