#include "dem/GridSampler.h"

#include <algorithm>
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
      const std::uint8_t*& bytes = held[tileColumn];
      if (bytes == nullptr) {
        const int tile = tileNumber(tileRow, tileColumn);
        tiles_.file(tile).readAhead(readAhead);
        bytes = tiles_.line(tile, line);
      }
      const std::uint8_t* first = bytes + std::ptrdiff_t(2) * column;
      const std::ptrdiff_t stride = std::ptrdiff_t(2) * step;
      for (int n = 0; n < count; ++n) row[c + n] = static_cast<std::int16_t>(decodeSample(first + n * stride));
      c += count;
    }
  }
}

void GridSampler::gather(const GridIndex* indices, int count, std::int16_t* out) {
  // The line of each tile in hand, so that a row of indices going along a
  // line reads it once.
  const std::uint8_t* held[kTileCount] = {};
  int heldLine[kTileCount] = {};
  for (int i = 0; i < count; ++i) {
    const GridIndex& index = indices[i];
    if (index.line < 0 || index.line >= kGridLines) {
      out[i] = kNoData;
      continue;
    }
    const std::int64_t gridColumn = tarvelon::wrapColumn(index.column, kGridColumns);
    const int tile = tileNumber(index.line / kLinesPerTile, static_cast<int>(gridColumn / kSamplesPerLine));
    const int line = index.line % kLinesPerTile;
    if (held[tile] == nullptr || heldLine[tile] != line) {
      // Scattered lines: one line a read, not a block of them.
      if (held[tile] == nullptr) tiles_.file(tile).readAhead(false);
      held[tile] = tiles_.line(tile, line);
      heldLine[tile] = line;
    }
    out[i] = static_cast<std::int16_t>(decodeSample(held[tile] + std::ptrdiff_t(2) * (gridColumn % kSamplesPerLine)));
  }
}

}  // namespace tarvelon
