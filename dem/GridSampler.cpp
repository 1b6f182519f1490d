#include "dem/GridSampler.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

namespace tarvelon {

static_assert(kGridColumns == 360 * kSamplesPerDegree, "the tiles go once round the planet");
static_assert(kGridLines == 176 * kSamplesPerDegree, "the tiles cover 88 N to 88 S");

GridSampler::GridSampler(std::string demFolder, TileNames names) : tiles_(std::move(demFolder), std::move(names)) {}

GridSampler::GridSampler(TileSetReader tiles) : tiles_(std::move(tiles)) {}

void GridSampler::block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step,
                        std::int16_t* out) {
  checkBlock(columns, lines, step);
  const std::int64_t startColumn = tarvelon::wrapColumn(firstColumn, kGridColumns);
  for (int r = 0; r < lines; ++r) {
    std::int16_t* row = out + std::size_t(r) * std::size_t(columns);
    const std::int64_t gridLine = std::int64_t(firstLine) + std::int64_t(r) * step;
    if (gridLine < 0 || gridLine >= kGridLines) {
      std::fill(row, row + columns, kNoData);
      continue;
    }
    const int tileRow = static_cast<int>(gridLine / kLinesPerTile);
    const int line = static_cast<int>(gridLine % kLinesPerTile);
    // Lines read on one after another at step 1 come from the tiles' blocks
    // of lines; at larger steps most of a block would be read for nothing.
    const bool readAhead = step == 1 && lines - r > 1;
    // This line of each tile of the row, read when first needed: a block
    // wider than the planet meets a tile twice.
    const std::uint8_t* held[kTileColumns] = {};
    int c = 0;
    while (c < columns) {
      const std::int64_t gridColumn = (startColumn + std::int64_t(c) * step) % kGridColumns;
      const int tileColumn = static_cast<int>(gridColumn / kSamplesPerLine);
      const int column = static_cast<int>(gridColumn % kSamplesPerLine);
      // Samples of this run that lie in the same tile.
      const int inTile = (kSamplesPerLine - 1 - column) / step + 1;
      const int count = std::min(columns - c, inTile);
      const std::ptrdiff_t stride = std::ptrdiff_t(2) * step;
      const int tile = tileNumber(tileRow, tileColumn);
      const std::uint8_t* first = nullptr;
      const int spanSamples = (count - 1) * step + 1;
      if ((step > 1 || lines == 1) && spanSamples < kSamplesPerLine / 4) {
        // A narrow block (a piece of the explorer) reads the samples it
        // takes, not the whole line.
        span_.resize(std::size_t(2) * std::size_t(spanSamples));
        tiles_.span(tile, line, column, spanSamples, span_.data());
        first = span_.data();
      } else {
        const std::uint8_t*& bytes = held[tileColumn];
        if (bytes == nullptr) {
          tiles_.file(tile).readAhead(readAhead);
          bytes = tiles_.line(tile, line);
        }
        first = bytes + std::ptrdiff_t(2) * column;
      }
      for (int n = 0; n < count; ++n) row[c + n] = static_cast<std::int16_t>(decodeSample(first + n * stride));
      c += count;
    }
  }
}

namespace {
constexpr int kPieceSamples = 240;
constexpr int kPiecesPerLine = kSamplesPerLine / kPieceSamples;
constexpr int kPieceBytes = 2 * kPieceSamples;
constexpr int kSlots = GridSampler::kCacheBytes / kPieceBytes;
static_assert(kPiecesPerLine * kPieceSamples == kSamplesPerLine, "whole pieces to a line");
static_assert(kSlots < 65535, "a slot number fits its index");
}  // namespace

int GridSampler::segmentSlot(int key) {
  std::uint16_t& slot = slotOf_[std::size_t(key)];
  if (slot > 0) return slot - 1;
  const int tile = key / (kLinesPerTile * kPiecesPerLine);
  const int line = key / kPiecesPerLine % kLinesPerTile;
  const int first = key % kPiecesPerLine * kPieceSamples;
  const int fill = nextSlot_;
  if (std::size_t(fill) == keyOf_.size()) {
    keyOf_.push_back(-1);
    bytes_.resize(bytes_.size() + kPieceBytes);
  }
  std::int32_t& held = keyOf_[std::size_t(fill)];
  if (held >= 0) slotOf_[std::size_t(held)] = 0;
  held = -1;
  tiles_.span(tile, line, first, kPieceSamples, bytes_.data() + std::size_t(fill) * kPieceBytes);
  held = key;
  nextSlot_ = (fill + 1) % kSlots;
  slot = static_cast<std::uint16_t>(fill + 1);
  return fill;
}

void GridSampler::gatherByLine(const GridIndex* indices, int count, std::int16_t* out) {
  // A counting sort of the indices by tile and line; then, along each line,
  // by column, read in runs whose samples lie close together.
  constexpr int kLines = kTileCount * kLinesPerTile;
  constexpr int kLargestGap = 8192;  // samples read for nothing rather than one more read
  keys_.resize(std::size_t(count));
  firstOfLine_.assign(std::size_t(kLines) + 1, 0);
  for (int i = 0; i < count; ++i) {
    const GridIndex& index = indices[i];
    if (index.line < 0 || index.line >= kGridLines) {
      out[i] = kNoData;
      keys_[std::size_t(i)] = -1;
      continue;
    }
    const std::int64_t gridColumn = tarvelon::wrapColumn(index.column, kGridColumns);
    const int tile = tileNumber(index.line / kLinesPerTile, static_cast<int>(gridColumn / kSamplesPerLine));
    const int key = tile * kLinesPerTile + index.line % kLinesPerTile;
    // The line and, below it, the column within the tile.
    keys_[std::size_t(i)] = std::int64_t(key) * kSamplesPerLine + gridColumn % kSamplesPerLine;
    ++firstOfLine_[std::size_t(key) + 1];
  }
  for (int k = 0; k < kLines; ++k) firstOfLine_[std::size_t(k) + 1] += firstOfLine_[std::size_t(k)];
  order_.resize(std::size_t(firstOfLine_[kLines]));
  next_.assign(firstOfLine_.begin(), firstOfLine_.end() - 1);
  for (int i = 0; i < count; ++i) {
    const std::int64_t key = keys_[std::size_t(i)];
    if (key >= 0) order_[std::size_t(next_[std::size_t(key / kSamplesPerLine)]++)] = i;
  }
  line_.resize(kBytesPerLine);
  auto columnOf = [this](std::int32_t i) { return static_cast<int>(keys_[std::size_t(i)] % kSamplesPerLine); };
  for (int k = 0; k < kLines; ++k) {
    const auto from = order_.begin() + firstOfLine_[std::size_t(k)];
    const auto to = order_.begin() + firstOfLine_[std::size_t(k) + 1];
    if (from == to) continue;
    std::sort(from, to, [&](std::int32_t a, std::int32_t b) { return keys_[std::size_t(a)] < keys_[std::size_t(b)]; });
    for (auto run = from; run != to;) {
      auto end = run + 1;
      while (end != to && columnOf(*end) - columnOf(*(end - 1)) <= kLargestGap) ++end;
      const int low = columnOf(*run);
      tiles_.span(k / kLinesPerTile, k % kLinesPerTile, low, columnOf(*(end - 1)) - low + 1, line_.data());
      for (auto n = run; n != end; ++n) {
        out[*n] = static_cast<std::int16_t>(decodeSample(line_.data() + 2 * (columnOf(*n) - low)));
      }
      run = end;
    }
  }
}

void GridSampler::gather(const GridIndex* indices, int count, std::int16_t* out) {
  if (byLine_) {
    gatherByLine(indices, count, out);
    return;
  }
  if (count > 0 && !slotOf_) {
    const std::size_t pieces = std::size_t(kTileCount) * kLinesPerTile * kPiecesPerLine;
    slotOf_.reset(static_cast<std::uint16_t*>(std::calloc(pieces, sizeof(std::uint16_t))));
    if (!slotOf_) throw std::bad_alloc();
  }
  // The piece in hand, so that a row of indices going along a line looks
  // it up once.
  int heldKey = -1;
  const std::uint8_t* held = nullptr;
  for (int i = 0; i < count; ++i) {
    const GridIndex& index = indices[i];
    if (index.line < 0 || index.line >= kGridLines) {
      out[i] = kNoData;
      continue;
    }
    const std::int64_t gridColumn = tarvelon::wrapColumn(index.column, kGridColumns);
    const int tileColumn = static_cast<int>(gridColumn / kSamplesPerLine);
    const int column = static_cast<int>(gridColumn % kSamplesPerLine);
    const int tile = tileNumber(index.line / kLinesPerTile, tileColumn);
    const int line = index.line % kLinesPerTile;
    const int key = (tile * kLinesPerTile + line) * kPiecesPerLine + column / kPieceSamples;
    if (key != heldKey) {
      const int slot = segmentSlot(key);  // first: it may move the bytes
      held = bytes_.data() + std::size_t(slot) * kPieceBytes;
      heldKey = key;
    }
    out[i] = static_cast<std::int16_t>(decodeSample(held + 2 * (column % kPieceSamples)));
  }
}

}  // namespace tarvelon
