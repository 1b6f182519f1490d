// Draws the pieces an explorer's view wants on worker threads of its own,
// the most wanted first. A new wish replaces the old one: pieces no longer
// wanted leave the queue, and a piece being drawn that is no longer wanted
// stops at its next row. Each worker reads through a source of its own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "render/Colouring.h"
#include "render/PieceCache.h"
#include "render/Raster.h"
#include "render/RenderJob.h"
#include "render/WindowRenderer.h"

namespace tarvelon {

// A piece of an explorer's view, as a map of the whole view would show
// it; an empty raster when `progress` stopped it.
Raster drawPiece(const PieceKey& key, const Colouring& colouring, ElevationSource& source,
                 const RowProgress& progress);

class PieceDrawer {
 public:
  // Called on a worker with each piece drawn, and with what stopped a
  // draw (a tile that cannot be read): the wish is then dropped.
  using Delivered = std::function<void(const PieceId& id, Raster raster)>;
  using Failed = std::function<void(const std::string& message)>;

  PieceDrawer(SourceOpener openSource, int threads, Delivered delivered, Failed failed);
  // Stops the workers at their next row and waits for them.
  ~PieceDrawer();
  PieceDrawer(const PieceDrawer&) = delete;
  PieceDrawer& operator=(const PieceDrawer&) = delete;

  // The pieces wanted now, most wanted first, in `colouring`, whose
  // number is `colouringNumber`.
  void want(std::vector<PieceKey> pieces, const Colouring& colouring, std::uint64_t colouringNumber);
  // True when no piece is queued or being drawn.
  bool idle() const;
  // Waits until idle (for tests and benchmarks).
  void waitIdle() const;

 private:
  struct Worker;
  void run(Worker& worker);
  bool wanted(const PieceId& id) const;  // under lock_

  SourceOpener openSource_;
  Delivered delivered_;
  Failed failed_;

  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::deque<PieceId> queue_;
  std::vector<PieceId> wish_;  // the pieces of the last wish
  Colouring colouring_;
  std::uint64_t colouringNumber_ = 0;
  bool stopping_ = false;
  int busy_ = 0;
  std::vector<std::unique_ptr<Worker>> workers_;
};

}  // namespace tarvelon
