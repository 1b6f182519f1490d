#include "tools/BmpStream.h"

#include <cstring>

namespace tarvelon::cli {

namespace {
constexpr std::size_t kSlots = 64;
}

BmpStream::BmpStream(const std::string& path, int width, int height) : file_(path, width, height), slots_(kSlots) {
  for (Slot& slot : slots_) slot.bytes.resize(std::size_t(width) * 3);
  writer_ = std::thread([this] { run(); });
}

BmpStream::~BmpStream() { stop(); }

void BmpStream::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
}

void BmpStream::rethrow() {
  if (error_) std::rethrow_exception(error_);
}

void BmpStream::takeRow(const Raster& raster, int y) {
  Slot& slot = slots_[next_];
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return slot.row < 0 || error_; });
    rethrow();
  }
  std::memcpy(slot.bytes.data(), raster.row(y), raster.rowBytes());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slot.row = y;
  }
  changed_.notify_all();
  next_ = (next_ + 1) % slots_.size();
  rowsTaken_ = y + 1;
}

void BmpStream::run() {
  // One row at a time, in the order taken; the file's row of a raster row
  // is fixed, so the order on disk does not matter.
  std::size_t current = 0;
  for (;;) {
    Slot& slot = slots_[current];
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return slot.row >= 0 || closing_; });
      if (slot.row < 0) return;  // closing, nothing left to write
    }
    try {
      file_.writeRowBytes(slot.bytes.data(), slot.row);
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = std::current_exception();
      changed_.notify_all();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      slot.row = -1;
    }
    changed_.notify_all();
    current = (current + 1) % slots_.size();
  }
}

void BmpStream::finish(const Raster& raster) {
  stop();
  rethrow();
  file_.writeRows(raster, rowsTaken_, file_.height());
  file_.commit();
}

}  // namespace tarvelon::cli
