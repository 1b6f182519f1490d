// The sixteen MEGDR128 tiles: numbering, boxes, positions of samples.
#pragma once

#include <array>
#include <cstdint>

namespace tarvelon {

inline constexpr int kTileCount = 16;
inline constexpr int kTileRows = 4;     // 44 degrees each, from 88 N
inline constexpr int kTileColumns = 4;  // 90 degrees each, from 180 W
inline constexpr int kSamplesPerDegree = 128;
inline constexpr int kLinesPerTile = 44 * kSamplesPerDegree;     // 5632
inline constexpr int kSamplesPerLine = 90 * kSamplesPerDegree;   // 11520
inline constexpr int kBytesPerLine = kSamplesPerLine * 2;        // 23040
inline constexpr std::int64_t kTileBytes = std::int64_t(kLinesPerTile) * kBytesPerLine;
// Columns are spread over 11519 steps across the 90 degrees of a tile, so the
// last column (11519) is reached only at the tile's east edge.
inline constexpr int kColumnSpan = kSamplesPerLine - 1;           // 11519
inline constexpr int kNoTile = 99;

// Edges of one tile in whole degrees. West and north edges are inside the
// box, east and south edges outside.
struct TileBox {
  int tileWest = 0;
  int tileEast = 0;
  int tileNorth = 0;
  int tileSouth = 0;
};

// Row of tile t from the north and column from 180 W, and the tile at a
// row and column; a column past the last wraps across 180 degrees.
inline constexpr int tileRowOf(int t) { return t / kTileColumns; }
inline constexpr int tileColumnOf(int t) { return t % kTileColumns; }
inline constexpr int tileNumber(int row, int column) { return row * kTileColumns + column % kTileColumns; }

// Box of tile t (0..15): row t / 4 from the north, column t % 4 from 180 W.
TileBox tileBox(int t);

// Number of the tile whose box holds (longitude, latitude), or kNoTile.
// `box` receives the box of the tile returned, or of tile 15 for kNoTile.
int tileAt(int longitude, int latitude, TileBox& box);

// Next tile of the same row, wrapping across the 180 degree meridian.
int eastNeighbour(int t);
// Tile below, or -1 for the bottom row.
int southNeighbour(int t);

// Line of a latitude in a tile whose north edge is `tileNorth`; not clamped.
inline int lineOfLatitude(int tileNorth, int latitude) {
  return (tileNorth - latitude) * kSamplesPerDegree;
}

// Column of a longitude in a tile whose west edge is `tileWest`:
// integer part of (longitude - west) * 11519 / 90; not clamped.
inline int columnOfLongitude(int tileWest, int longitude) {
  return static_cast<int>(std::int64_t(longitude - tileWest) * kColumnSpan / 90);
}

// A big-endian signed 16-bit sample.
inline int decodeSample(const std::uint8_t* bytes) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]));
}

}  // namespace tarvelon
