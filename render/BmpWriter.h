// Saving a map as a Windows bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/AtomicFile.h"

#include "render/Raster.h"

namespace tarvelon {

// Size in bytes of an uncompressed bitmap of width x height pixels at 24
// or 8 bits per pixel (8: a grey map, with its 256-entry grey palette).
std::uint64_t bmpFileSize(int width, int height, int bitsPerPixel = 24);
// A bitmap file's size fields hold 32 bits: no bitmap is larger.
inline constexpr std::uint64_t kBmpSizeLimit = 0xFFFFFFFFu;

// A BMP being written, row by row in any order, through a temporary file
// renamed into place by commit(). Its whole size is reserved on the disk
// when it is created, so that a full disk shows before any row is drawn.
// Destroyed uncommitted, it leaves nothing behind. Throws WriteError.
class BmpFile {
 public:
  // 24 bits per pixel (blue, green, red) or 8 (grey levels).
  BmpFile(const std::string& path, int width, int height, int bitsPerPixel = 24);
  ~BmpFile();
  BmpFile(const BmpFile&) = delete;
  BmpFile& operator=(const BmpFile&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // Bytes from one row to the next in the file: the pixels padded to a
  // multiple of 4.
  std::size_t stride() const { return stride_; }
  // Rows firstRow .. endRow - 1 of a 24-bit raster of this file's size.
  void writeRows(const Raster& raster, int firstRow, int endRow);
  // Row y from its width x 3 (or width) bytes.
  void writeRowBytes(const std::uint8_t* row, int y);
  // Rows firstRow .. firstRow + count - 1 as the file holds them: bottom-up,
  // the last of them first, each stride() bytes with its padding.
  void writeFileRows(int firstRow, int count, const std::uint8_t* rows);
  void commit();
  // commit() in two steps, for files that appear together (AtomicFile).
  void finish();
  void publish();
  AtomicFile& file() { return *file_; }
  const std::string& path() const { return file_->path(); }

 private:
  std::int64_t offsetOf(int y) const;

  int width_;
  int height_;
  int bitsPerPixel_;
  std::size_t stride_;
  std::size_t headerSize_;
  std::unique_ptr<AtomicFile> file_;
};

// Writes the raster as an uncompressed 24-bit BMP through a temporary file
// renamed into place. Throws WriteError; an existing file then stays as it
// was.
void writeBmp(const Raster& raster, const std::string& path);

// The file name offered for a map: mapName without its first "&", + ".bmp".
std::string defaultMapFileName(const std::string& mapName);

}  // namespace tarvelon
