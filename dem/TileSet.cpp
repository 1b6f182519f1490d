#include "dem/TileSet.h"

namespace tarvelon {

TileBox tileBox(int t) {
  const int row = tileRowOf(t);
  const int column = tileColumnOf(t);
  return TileBox{-180 + 90 * column, -90 + 90 * column, 88 - 44 * row, 44 - 44 * row};
}

int tileAt(int longitude, int latitude, TileBox& box) {
  for (int t = 0; t < kTileCount; ++t) {
    box = tileBox(t);
    if (box.tileWest <= longitude && longitude < box.tileEast && box.tileSouth < latitude &&
        latitude <= box.tileNorth) {
      return t;
    }
  }
  return kNoTile;
}

int eastNeighbour(int t) { return tileNumber(tileRowOf(t), tileColumnOf(t) + 1); }

int southNeighbour(int t) { return tileRowOf(t) + 1 < kTileRows ? t + kTileColumns : -1; }

}  // namespace tarvelon
