// Writes the rows of a bitmap on a second thread while the map is drawn:
// the copy into the file system then runs beside the drawing instead of
// after it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "render/BmpWriter.h"
#include "render/Raster.h"

namespace tarvelon::cli {

class BmpStream {
 public:
  // Creates the bitmap's temporary file; throws WriteError.
  BmpStream(const std::string& path, int width, int height);
  // Without finish(), stops the writer and leaves no file behind.
  ~BmpStream();
  BmpStream(const BmpStream&) = delete;
  BmpStream& operator=(const BmpStream&) = delete;

  int width() const { return file_.width(); }
  int height() const { return file_.height(); }
  // Rows written or handed to the writer so far: 0 .. rowsTaken() - 1.
  int rowsTaken() const { return rowsTaken_; }

  // Takes row `y` (the next row, rowsTaken()) of `raster`: it is copied
  // before this returns. Throws the writer's error, if it met one.
  void takeRow(const Raster& raster, int y);
  // Writes rows rowsTaken() .. height - 1 from `raster`, waits for the
  // writer and renames the file into place. Throws WriteError.
  void finish(const Raster& raster);

 private:
  struct Slot {
    int row = -1;  // -1: free
    std::vector<std::uint8_t> bytes;
  };
  void run();
  void stop();
  void rethrow();

  BmpFile file_;
  std::vector<Slot> slots_;
  int rowsTaken_ = 0;
  std::size_t next_ = 0;  // slot the next row goes into
  std::mutex mutex_;
  std::condition_variable changed_;
  bool closing_ = false;
  std::exception_ptr error_;
  std::thread writer_;
};

}  // namespace tarvelon::cli
