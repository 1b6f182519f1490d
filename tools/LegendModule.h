// tarvelon-render's legend module: the Qt-painted parts of a map,
// saveRasterWithLegend (export/LegendPicture.h) and the names written on it
// (export/LabelPicture.h), and the plot of an elevation profile
// (export/ProfilePicture.h), each behind a C symbol, loaded with dlopen
// from beside the tool.
#pragma once

#include <string>

#include "dem/ElevationProfile.h"
#include "render/LabelOverlay.h"
#include "render/MapGeometry.h"
#include "render/MapViewState.h"
#include "render/Raster.h"

namespace tarvelon::cli {

// The module's file name, in the tool's own folder.
inline constexpr const char* kLegendModuleName = "tarvelon-legend.so";

// `names` are written over a projected map after its graticule (a simple
// cylindrical map's are blended into `map` before).
using SaveRasterWithLegend = void (*)(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                                      const LabelOverlay& names, const std::string& path);

// The names of Mars placed and painted on a map of `geometry` (simple
// cylindrical or projected), into `labels`.
using LabelSprites = void (*)(const MapGeometry& geometry, LabelOverlay& labels);

// The plot of `profile` (profileImage, 1200 x 600) written to `path` as a
// PNG, whole or not at all; throws WriteError.
using SaveProfilePicture = void (*)(const ElevationProfile& profile, const std::string& path);

// Load the module and find their entry point; throw CommandError naming the
// module (and the option that needed it) when they cannot.
SaveRasterWithLegend loadLegendModule();
LabelSprites loadLabelModule();
SaveProfilePicture loadProfilePictureModule();

}  // namespace tarvelon::cli

extern "C" void tarvelonSaveRasterWithLegend(const tarvelon::Raster& map, const tarvelon::MapGeometry& geometry,
                                             const tarvelon::MapViewState& state, const tarvelon::LabelOverlay& names,
                                             const std::string& path);
extern "C" void tarvelonLabelSprites(const tarvelon::MapGeometry& geometry, tarvelon::LabelOverlay& labels);
extern "C" void tarvelonSaveProfilePicture(const tarvelon::ElevationProfile& profile, const std::string& path);
