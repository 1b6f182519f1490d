#include "render/BmpWriter.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "dem/AtomicFile.h"
#include "dem/MessageText.h"

namespace tarvelon {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

BmpFile::BmpFile(const std::string& path, int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) throw WriteError("Cannot write " + quote(path) + ": there is no map to save.");
  // Rows of 3 bytes per pixel, each padded to a multiple of 4 bytes.
  const std::uint64_t stride = (std::uint64_t(width) * 3 + 3) / 4 * 4;
  const std::uint64_t imageSize = stride * std::uint64_t(height);
  const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
  if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
    throw WriteError("Cannot write " + quote(path) + ": a map of " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels is too large for a bitmap file.");
  }
  stride_ = static_cast<std::size_t>(stride);

  std::array<std::uint8_t, kFileHeaderSize + kInfoHeaderSize> header{};
  std::uint8_t* file = header.data();
  file[0] = 'B';
  file[1] = 'M';
  put32(file + 2, static_cast<std::uint32_t>(fileSize));
  put32(file + 10, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize));  // offset of the pixels
  std::uint8_t* info = file + kFileHeaderSize;
  put32(info + 0, kInfoHeaderSize);
  put32(info + 4, static_cast<std::uint32_t>(width));
  put32(info + 8, static_cast<std::uint32_t>(height));  // positive: the bottom row comes first
  put16(info + 12, 1);                                   // planes
  put16(info + 14, 24);                                  // bits per pixel
  put32(info + 16, 0);                                   // no compression
  put32(info + 20, static_cast<std::uint32_t>(imageSize));
  put32(info + 24, kPixelsPerMetre);
  put32(info + 28, kPixelsPerMetre);
  // Colours used and important colours stay 0: no palette.

  file_ = std::make_unique<AtomicFile>(path);
  const AtomicFile::Piece piece{header.data(), header.size()};
  file_->writeAt(0, &piece, 1);
}

BmpFile::~BmpFile() = default;

void BmpFile::writeRows(const Raster& raster, int firstRow, int endRow) {
  if (raster.width != width_ || raster.height != height_ || firstRow < 0 || endRow > height_) {
    throw WriteError("Cannot write " + quote(file_->path()) + ": the map changed size while it was saved.");
  }
  // The file holds the rows bottom-up, so rows endRow - 1 down to firstRow
  // lie one after another in it, each followed by its padding.
  static const std::uint8_t zeros[3] = {0, 0, 0};
  const std::size_t padding = stride_ - raster.rowBytes();
  std::vector<AtomicFile::Piece> pieces;
  constexpr int kRowsAtOnce = 256;
  for (int top = endRow; top > firstRow; top -= kRowsAtOnce) {
    const int bottom = top - kRowsAtOnce > firstRow ? top - kRowsAtOnce : firstRow;
    pieces.clear();
    for (int y = top - 1; y >= bottom; --y) {
      pieces.push_back({raster.row(y), raster.rowBytes()});
      if (padding != 0) pieces.push_back({zeros, padding});
    }
    const std::int64_t offset =
        std::int64_t(kFileHeaderSize + kInfoHeaderSize) + std::int64_t(height_ - top) * std::int64_t(stride_);
    file_->writeAt(offset, pieces.data(), static_cast<int>(pieces.size()));
  }
}

void BmpFile::writeRowBytes(const std::uint8_t* row, int y) {
  static const std::uint8_t zeros[3] = {0, 0, 0};
  const std::size_t rowBytes = std::size_t(width_) * 3;
  const AtomicFile::Piece pieces[2] = {{row, rowBytes}, {zeros, stride_ - rowBytes}};
  const std::int64_t offset =
      std::int64_t(kFileHeaderSize + kInfoHeaderSize) + std::int64_t(height_ - 1 - y) * std::int64_t(stride_);
  file_->writeAt(offset, pieces, 2);
}

void BmpFile::commit() { file_->commit(false); }

void writeBmp(const Raster& raster, const std::string& path) {
  BmpFile file(path, raster.width, raster.height);
  file.writeRows(raster, 0, raster.height);
  file.commit();
}

std::string defaultMapFileName(const std::string& mapName) {
  std::string name = mapName;
  const std::size_t amp = name.find('&');
  if (amp != std::string::npos) name.erase(amp, 1);
  return name + ".bmp";
}

}  // namespace tarvelon
