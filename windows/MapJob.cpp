#include "windows/MapJob.h"

#include <memory>
#include <utility>

namespace tarvelon {

MapJob::MapJob(RenderJob::Draw draw, QObject* parent) : QObject(parent), job_(std::move(draw)) {}

MapJob::~MapJob() {
  // Anything the worker posts meanwhile goes with this object, unseen.
  job_.cancel();
  job_.wait();
}

void MapJob::start() {
  active_ = true;
  job_.start(
      [this](int rowsDone, int rows) {
        const int percent = rows > 0 ? static_cast<int>(std::int64_t(rowsDone) * 100 / rows) : 100;
        if (percentSent_.exchange(percent) != percent) {
          QMetaObject::invokeMethod(
              this, [this, rowsDone, rows] { emit progressed(rowsDone, rows); }, Qt::QueuedConnection);
        }
        return true;
      },
      [this](RenderOutcome outcome) {
        // Shared, so that the posted call can be copied; the raster is not.
        auto kept = std::make_shared<RenderOutcome>(std::move(outcome));
        QMetaObject::invokeMethod(
            this, [this, kept] { deliver(std::move(*kept)); }, Qt::QueuedConnection);
      });
}

void MapJob::cancel() { job_.cancel(); }

void MapJob::deliver(RenderOutcome outcome) {
  active_ = false;
  switch (outcome.status) {
    case RenderOutcome::Status::Finished:
      emit finished(outcome.raster);
      break;
    case RenderOutcome::Status::Cancelled:
      emit cancelled();
      break;
    case RenderOutcome::Status::Failed:
      emit failed(QString::fromStdString(outcome.error));
      break;
  }
}

}  // namespace tarvelon
