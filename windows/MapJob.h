// A render job for a window: the worker's progress and outcome come back as
// signals on the thread the job lives on (the UI thread), so that a window
// can draw a map without ever waiting for it.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "render/RenderJob.h"

namespace tarvelon {

class MapJob : public QObject {
  Q_OBJECT

 public:
  explicit MapJob(RenderJob::Draw draw, QObject* parent = nullptr);
  // Cancels a draw still running and waits for it; no signal comes after.
  ~MapJob() override;

  // Starts the draw on a worker thread and returns at once.
  void start();
  // Asks the draw to stop at its next row; `cancelled` follows.
  void cancel();
  // True from start() until one of finished, cancelled or failed is sent.
  bool isActive() const { return active_; }

 signals:
  // Sent when the share of rows done grows by a whole percent, not more
  // often: a worker's rows come far faster than a window repaints.
  void progressed(int rowsDone, int rows);
  // Exactly one of the three ends every started job.
  void finished(const tarvelon::Raster& raster);
  void cancelled();
  void failed(const QString& message);

 private:
  void deliver(RenderOutcome outcome);

  RenderJob job_;
  bool active_ = false;
  std::atomic<int> percentSent_{-1};
};

}  // namespace tarvelon
