// The writers of each format behind MapFile.
#pragma once

#include <memory>

#include "export/MapFile.h"

namespace tarvelon {

std::unique_ptr<RowEncoder> makeBmpEncoder(const MapFileSpec& spec);
std::unique_ptr<RowEncoder> makePngEncoder(const MapFileSpec& spec);
std::unique_ptr<RowEncoder> makeGeoTiffEncoder(const MapFileSpec& spec);

// The largest map file a format can hold, for mapFileProblem.
inline constexpr std::int64_t kPngSideLimit = 0x7FFFFFFF;  // pixels across or down

}  // namespace tarvelon
