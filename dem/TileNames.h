// Assigning the file names found in the data folder to tile numbers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "dem/TileSet.h"

namespace tarvelon {

using TileNames = std::array<std::string, kTileCount>;

// Index in the sorted listing of the name that belongs to each tile: the
// published names sort by north edge (00n, 44n, 44s, 88n) and then by the
// east longitude of the west edge (000, 090, 180, 270).
inline constexpr std::array<int, kTileCount> kListingIndexOfTile = {14, 15, 12, 13, 6, 7, 4, 5,
                                                                    2,  3,  0,  1,  10, 11, 8, 9};

// True when `name` matches "megt*.img", letters in either case.
bool matchesTilePattern(const std::string& name);

// Names of the ordinary files in `folder` that match "megt*.img", sorted in
// ascending byte order. A folder that cannot be listed gives no names.
std::vector<std::string> listTileFiles(const std::string& folder);

// The tile name table from a sorted listing, or nothing when the listing
// holds fewer than sixteen names. Names are kept whole, however long.
std::optional<TileNames> buildTileNames(const std::vector<std::string>& listing);

// Full path of a tile file: the folder, a separator, the name.
std::string tilePath(const std::string& demFolder, const std::string& name);

}  // namespace tarvelon
