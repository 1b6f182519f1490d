// The pictures that ship with the windows, each made from the global MOLA
// grid by a builder of its own.
#pragma once

#include <QImage>
#include <filesystem>
#include <string>

#include "tools/DemoTerrain.h"

namespace tarvelon::assets {

// What every builder is given: the grid and the folder the pictures go to
// (the project's assets/ folder by default).
struct AssetContext {
  demo::GlobalGrid grid;
  std::filesystem::path out;
};

struct Asset {
  const char* name;     // as given on the command line
  const char* summary;  // one line for --help
  void (*build)(const AssetContext& context);  // throws std::runtime_error
  bool shipped;         // made when no name is given
};

// Writes `image` to `path` in the format its extension names, through a
// temporary file renamed into place. Throws std::runtime_error.
void saveImage(const QImage& image, const std::filesystem::path& path, int quality = -1);

// The builders.
void buildReliefPreview(const AssetContext& context);
void buildLocationMap(const AssetContext& context);  // LocationMap.cpp

// The location map window's picture: 480 x 240, 8 bits per pixel with a
// palette, the tile areas' grid lines drawn.
QImage locationMapImage(const demo::GlobalGrid& grid);

}  // namespace tarvelon::assets
