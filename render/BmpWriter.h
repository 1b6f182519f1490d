// Saving a map as a Windows bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "dem/AtomicFile.h"

#include "render/Raster.h"

namespace tarvelon {

// A 24-bit BMP being written, row by row in any order, through a temporary
// file renamed into place by commit(). Destroyed uncommitted, it leaves
// nothing behind. Throws WriteError.
class BmpFile {
 public:
  BmpFile(const std::string& path, int width, int height);
  ~BmpFile();
  BmpFile(const BmpFile&) = delete;
  BmpFile& operator=(const BmpFile&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // Rows firstRow .. endRow - 1 of a raster of this file's size.
  void writeRows(const Raster& raster, int firstRow, int endRow);
  // Row y from width * 3 bytes of blue, green, red.
  void writeRowBytes(const std::uint8_t* row, int y);
  void commit();

 private:
  int width_;
  int height_;
  std::size_t stride_;
  std::unique_ptr<AtomicFile> file_;
};

// Writes the raster as an uncompressed 24-bit BMP through a temporary file
// renamed into place. Throws WriteError; an existing file then stays as it
// was.
void writeBmp(const Raster& raster, const std::string& path);

// The file name offered for a map: mapName without its first "&", + ".bmp".
std::string defaultMapFileName(const std::string& mapName);

}  // namespace tarvelon
