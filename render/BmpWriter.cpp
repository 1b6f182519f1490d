#include "render/BmpWriter.h"

#include <array>
#include <cstdint>
#include <vector>

#include "core/AtomicFile.h"
#include "core/MessageText.h"

namespace tarvelon {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kGreyPaletteSize = 256 * 4;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t strideOf(int width, int bitsPerPixel) {
  return (std::uint64_t(width) * (bitsPerPixel / 8) + 3) / 4 * 4;
}

std::size_t headerSizeOf(int bitsPerPixel) {
  return kFileHeaderSize + kInfoHeaderSize + (bitsPerPixel == 8 ? kGreyPaletteSize : 0);
}

}  // namespace

std::uint64_t bmpFileSize(int width, int height, int bitsPerPixel) {
  return headerSizeOf(bitsPerPixel) + strideOf(width, bitsPerPixel) * std::uint64_t(height);
}

BmpFile::BmpFile(const std::string& path, int width, int height, int bitsPerPixel)
    : width_(width), height_(height), bitsPerPixel_(bitsPerPixel) {
  if (width <= 0 || height <= 0) throw WriteError("Cannot write " + quote(path) + ": there is no map to save.");
  if (bitsPerPixel != 24 && bitsPerPixel != 8) {
    throw WriteError("Cannot write " + quote(path) + ": a bitmap of " + std::to_string(bitsPerPixel) + " bits per pixel");
  }
  // Rows of 3 (or 1) bytes per pixel, each padded to a multiple of 4 bytes.
  const std::uint64_t stride = strideOf(width, bitsPerPixel);
  const std::uint64_t imageSize = stride * std::uint64_t(height);
  const std::uint64_t fileSize = bmpFileSize(width, height, bitsPerPixel);
  if (fileSize > kBmpSizeLimit) {
    throw WriteError("Cannot write " + quote(path) + ": a map of " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels is too large for a bitmap file, whose limit is 4 GB.");
  }
  stride_ = static_cast<std::size_t>(stride);
  headerSize_ = headerSizeOf(bitsPerPixel);

  std::vector<std::uint8_t> header(headerSize_, 0);
  std::uint8_t* file = header.data();
  file[0] = 'B';
  file[1] = 'M';
  put32(file + 2, static_cast<std::uint32_t>(fileSize));
  put32(file + 10, static_cast<std::uint32_t>(headerSize_));  // offset of the pixels
  std::uint8_t* info = file + kFileHeaderSize;
  put32(info + 0, kInfoHeaderSize);
  put32(info + 4, static_cast<std::uint32_t>(width));
  put32(info + 8, static_cast<std::uint32_t>(height));  // positive: the bottom row comes first
  put16(info + 12, 1);                                   // planes
  put16(info + 14, static_cast<std::uint16_t>(bitsPerPixel));
  put32(info + 16, 0);  // no compression
  put32(info + 20, static_cast<std::uint32_t>(imageSize));
  put32(info + 24, kPixelsPerMetre);
  put32(info + 28, kPixelsPerMetre);
  if (bitsPerPixel == 8) {
    put32(info + 32, 256);  // colours used
    std::uint8_t* palette = info + kInfoHeaderSize;
    for (int level = 0; level < 256; ++level) {
      palette[4 * level] = palette[4 * level + 1] = palette[4 * level + 2] = static_cast<std::uint8_t>(level);
    }
  }
  // Without a palette, colours used and important colours stay 0.

  file_ = std::make_unique<AtomicFile>(path);
  file_->allocate(static_cast<std::int64_t>(fileSize));
  const AtomicFile::Piece piece{header.data(), header.size()};
  file_->writeAt(0, &piece, 1);
}

BmpFile::~BmpFile() = default;

std::int64_t BmpFile::offsetOf(int y) const {
  return std::int64_t(headerSize_) + std::int64_t(height_ - 1 - y) * std::int64_t(stride_);
}

void BmpFile::writeRows(const Raster& raster, int firstRow, int endRow) {
  if (bitsPerPixel_ != 24 || raster.width != width_ || raster.height != height_ || firstRow < 0 ||
      endRow > height_) {
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
    file_->writeAt(offsetOf(top - 1), pieces.data(), static_cast<int>(pieces.size()));
  }
}

void BmpFile::writeRowBytes(const std::uint8_t* row, int y) {
  static const std::uint8_t zeros[3] = {0, 0, 0};
  const std::size_t rowBytes = std::size_t(width_) * (bitsPerPixel_ / 8);
  const AtomicFile::Piece pieces[2] = {{row, rowBytes}, {zeros, stride_ - rowBytes}};
  file_->writeAt(offsetOf(y), pieces, 2);
}

void BmpFile::writeFileRows(int firstRow, int count, const std::uint8_t* rows) {
  if (firstRow < 0 || count < 0 || firstRow + count > height_) {
    throw WriteError("Cannot write " + quote(file_->path()) + ": rows past the map's " + std::to_string(height_));
  }
  if (count == 0) return;
  const AtomicFile::Piece piece{rows, std::size_t(count) * stride_};
  file_->writeAt(offsetOf(firstRow + count - 1), &piece, 1);
}

void BmpFile::commit() { file_->commit(false); }
void BmpFile::finish() { file_->finish(false); }
void BmpFile::publish() { file_->publish(); }

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
