// Saving a map as a Windows bitmap.
#pragma once

#include <string>

#include "render/Raster.h"

namespace tarvelon {

// Writes the raster as an uncompressed 24-bit BMP through a temporary file
// renamed into place. Throws WriteError; an existing file then stays as it
// was.
void writeBmp(const Raster& raster, const std::string& path);

// The file name offered for a map: mapName without its first "&", + ".bmp".
std::string defaultMapFileName(const std::string& mapName);

}  // namespace tarvelon
