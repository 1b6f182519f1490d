// Which file of the data folder is which tile: the position of a file in
// the tile set follows from its name, one of the sixteen published names.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "dem/TileSet.h"

namespace tarvelon {

using TileNames = std::array<std::string, kTileCount>;

// The published names in ascending order hold tile t's name at this index:
// they sort by north edge (00n, 44n, 44s, 88n) and then by the east
// longitude of the west edge (000, 090, 180, 270).
inline constexpr std::array<int, kTileCount> kListingIndexOfTile = {14, 15, 12, 13, 6, 7, 4, 5,
                                                                    2,  3,  0,  1,  10, 11, 8, 9};

// The published name of tile t (0..15): "megt", the north edge (88n, 44n,
// 00n, 44s), the east longitude of the west edge (180, 270, 000, 090),
// "hb.img". Tile 0 is megt88n180hb.img, tile 10 megt00n000hb.img.
std::string publishedTileName(int tile);

// The tile whose published name this is, letters in any case; -1 for any
// other name.
int tileOfName(std::string_view name);

// True when `name` matches "megt*.img", letters in either case.
bool matchesTilePattern(std::string_view name);

// An entry named like a tile file that is no ordinary file.
struct OddEntry {
  std::string name;
  std::string what;  // "a folder", "a symbolic link to nothing", ...
};

// The tile files of a data folder.
struct TileListing {
  // False when the folder could not be listed; `problem` says why.
  bool readable = true;
  std::string problem;
  // Ordinary files matching "megt*.img", in ascending byte order.
  std::vector<std::string> matching;
  // The file of each tile; empty where the folder holds none.
  TileNames tiles;
  // Ordinary files matching "megt*.img" that are none of the sixteen names.
  std::vector<std::string> ignored;
  // A second spelling of a tile's name (another case) when one is in use:
  // the published spelling wins, else the first in byte order.
  std::vector<std::string> duplicates;
  // Folders, links to nothing, link loops and the like, named like a tile
  // file, in ascending order.
  std::vector<OddEntry> odd;

  int found() const;
  bool complete() const { return found() == kTileCount; }
  // Published names of the tiles without a file, in tile order.
  std::vector<std::string> missing() const;
  // The names in use, in ascending byte order.
  std::vector<std::string> tileFiles() const;
};

// The one listing of a data folder, for the window and the command line.
TileListing listTileFolder(const std::string& folder);

// The tiles of a set of ordinary files, given by name in any order.
TileListing assignTileNames(std::vector<std::string> fileNames);

// Lines for a message about a listing: the missing tiles, the odd entries
// and the ignored names, each only when there are any. User names are
// quoted; long lists end in "and N more".
std::vector<std::string> listingNotes(const TileListing& listing, bool withMissing = true);

// Full path of a tile file: the folder, a separator, the name.
std::string tilePath(const std::string& demFolder, const std::string& name);

}  // namespace tarvelon
