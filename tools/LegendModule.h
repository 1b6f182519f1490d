// tarvelon-render's legend module: saveRasterWithLegend (export/LegendPicture.h)
// behind one C symbol, loaded with dlopen from beside the tool.
#pragma once

#include <string>

#include "render/MapGeometry.h"
#include "render/MapViewState.h"
#include "render/Raster.h"

namespace tarvelon::cli {

// The module's file name, in the tool's own folder.
inline constexpr const char* kLegendModuleName = "tarvelon-legend.so";

using SaveRasterWithLegend = void (*)(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                                      const std::string& path);

// Loads the module; throws CommandError naming it when it cannot.
SaveRasterWithLegend loadLegendModule();

}  // namespace tarvelon::cli

extern "C" void tarvelonSaveRasterWithLegend(const tarvelon::Raster& map, const tarvelon::MapGeometry& geometry,
                                             const tarvelon::MapViewState& state, const std::string& path);
