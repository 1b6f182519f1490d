#include "render/PieceDrawer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <optional>
#include <utility>

#include "render/SampledMap.h"

namespace tarvelon {

Raster drawPiece(const PieceKey& key, const Colouring& colouring, ElevationSource& source,
                 const RowProgress& progress) {
  // Drawn with a sample more on every side and cut back to the piece, so
  // that the relief light at its edges sees the samples beyond them, as it
  // would in one map of the whole view: pieces meet without a seam.
  const GridWindow piece = ExploreView::pieceWindow(key);
  GridWindow bordered = piece;
  const int border = piece.zoom;  // pixels of one sample
  bordered.firstColumn -= piece.step;
  bordered.firstLine -= piece.step;
  bordered.width += 2 * border;
  bordered.height += 2 * border;
  const Raster drawn = drawSampledMap(SampledMapRequest{bordered, colouring}, source, progress);
  if (drawn.empty()) return Raster();
  Raster cut(piece.width, piece.height);
  for (int y = 0; y < piece.height; ++y) {
    std::memcpy(cut.row(y), drawn.row(y + border) + std::size_t(border) * 3, cut.rowBytes());
    if (const std::uint8_t* mask = drawn.maskRow(y + border)) {
      std::memcpy(cut.maskRow(y), mask + border, std::size_t(piece.width));
    }
  }
  return cut;
}

struct PieceDrawer::Worker {
  std::thread thread;
  std::optional<PieceId> current;  // under lock_
  std::atomic<bool> stop{false};   // the current piece is no longer wanted
};

PieceDrawer::PieceDrawer(SourceOpener openSource, int threads, Delivered delivered, Failed failed)
    : openSource_(std::move(openSource)), delivered_(std::move(delivered)), failed_(std::move(failed)) {
  for (int i = 0; i < std::max(1, threads); ++i) {
    workers_.push_back(std::make_unique<Worker>());
    Worker& worker = *workers_.back();
    worker.thread = std::thread([this, &worker] { run(worker); });
  }
}

PieceDrawer::~PieceDrawer() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
    queue_.clear();
    for (const auto& worker : workers_) worker->stop = true;
  }
  changed_.notify_all();
  for (const auto& worker : workers_) worker->thread.join();
}

bool PieceDrawer::wanted(const PieceId& id) const {
  return std::find(wish_.begin(), wish_.end(), id) != wish_.end();
}

void PieceDrawer::want(std::vector<PieceKey> pieces, const Colouring& colouring, std::uint64_t colouringNumber) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    colouring_ = colouring;
    colouringNumber_ = colouringNumber;
    wish_.clear();
    queue_.clear();
    for (const PieceKey& key : pieces) {
      const PieceId id{key, colouringNumber};
      if (wanted(id)) continue;  // a planet narrower than the view shows pieces twice
      wish_.push_back(id);
      const bool drawing = std::any_of(workers_.begin(), workers_.end(),
                                       [&id](const auto& worker) { return worker->current == id; });
      if (!drawing) queue_.push_back(id);
    }
    for (const auto& worker : workers_) {
      if (worker->current && !wanted(*worker->current)) worker->stop = true;
    }
  }
  changed_.notify_all();
}

bool PieceDrawer::idle() const {
  std::lock_guard<std::mutex> hold(lock_);
  return queue_.empty() && busy_ == 0;
}

void PieceDrawer::waitIdle() const {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return stopping_ || (queue_.empty() && busy_ == 0); });
}

void PieceDrawer::run(Worker& worker) {
  std::unique_ptr<ElevationSource> source;
  for (;;) {
    PieceId id;
    Colouring colouring;
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      id = queue_.front();
      queue_.pop_front();
      colouring = colouring_;
      worker.current = id;
      worker.stop = false;
      ++busy_;
    }
    Raster raster;
    std::string failure;
    try {
      if (!source) source = openSource_();
      raster = drawPiece(id.key, colouring, *source, [&worker](int, int) { return !worker.stop.load(); });
    } catch (const std::exception& error) {
      failure = error.what();
    }
    const bool finished = !raster.empty() && !worker.stop.load();
    // Told before the worker counts as idle, so that waitIdle() sees it.
    if (finished) delivered_(id, std::move(raster));
    if (!failure.empty()) failed_(failure);
    {
      std::lock_guard<std::mutex> hold(lock_);
      worker.current.reset();
      --busy_;
      // A source that failed once is opened afresh for the next piece.
      if (!failure.empty()) {
        source.reset();
        queue_.clear();
        wish_.clear();
      }
    }
    changed_.notify_all();
  }
}

}  // namespace tarvelon
