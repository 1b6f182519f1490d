// tarvelon-render's legend module: the Qt-painted parts of a map,
// saveRasterWithLegend (export/LegendPicture.h) and the names written on it
// (export/LabelPicture.h), each behind a C symbol, loaded with dlopen from
// beside the tool.
#pragma once

#include <string>

#include "render/LabelOverlay.h"
#include "render/MapGeometry.h"
#include "render/MapViewState.h"
#include "render/Raster.h"

namespace tarvelon::cli {

// The module's file name, in the tool's own folder.
inline constexpr const char* kLegendModuleName = "tarvelon-legend.so";

using SaveRasterWithLegend = void (*)(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                                      const std::string& path);

// The names of Mars placed and painted on a map of `width` x `height`
// pixels placed by `transform`, into `labels`.
using LabelSprites = void (*)(const GeoTransform& transform, int width, int height, LabelOverlay& labels);

// Load the module and find their entry point; throw CommandError naming the
// module (and the option that needed it) when they cannot.
SaveRasterWithLegend loadLegendModule();
LabelSprites loadLabelModule();

}  // namespace tarvelon::cli

extern "C" void tarvelonSaveRasterWithLegend(const tarvelon::Raster& map, const tarvelon::MapGeometry& geometry,
                                             const tarvelon::MapViewState& state, const std::string& path);
extern "C" void tarvelonLabelSprites(const tarvelon::GeoTransform& transform, int width, int height,
                                     tarvelon::LabelOverlay& labels);
