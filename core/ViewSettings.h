// The view settings file tarvelon-view.cfg, beside megdr128.cfg: the
// choices of the window that the three-line settings file has no room for.
// Lines of "name=value", ended by CR LF.
#pragma once

#include <string>

namespace tarvelon {

inline constexpr const char* kViewSettingsFileName = "tarvelon-view.cfg";

// Topography > Projection: what the maps are drawn in.
enum class ViewProjection { SimpleCylindrical, NorthPolar, SouthPolar, Globe };

struct ViewSettings {
  int reliefShading = 0;  // 1: Topography > "Relief Shading" is on
  int featureNames = 0;   // 1: Topography > "Feature Names" is on
  ViewProjection projection = ViewProjection::SimpleCylindrical;
  bool operator==(const ViewSettings&) const = default;
};

// The word a projection is written as in the file: "simple-cylindrical",
// "north-polar", "south-polar", "globe".
const char* viewProjectionWord(ViewProjection projection);

// startDir, a separator and "tarvelon-view.cfg".
std::string viewSettingsPath(const std::string& startDir);

// Reads the file leniently: a missing or unreadable file, an unknown line
// or a value other than 0 or 1 (for the projection, other than one of its
// words) leaves that setting at its first value.
ViewSettings readViewSettings(const std::string& path);

// Writes the file through a temporary file renamed into place: the
// reliefShading line, then a featureNames line when the names are on and a
// projection line when it is not simple cylindrical (a file without them,
// such as one of an earlier version, has the names off and simple
// cylindrical maps).
// Throws WriteError; the old file then stays as it was.
void writeViewSettings(const std::string& path, const ViewSettings& settings);

}  // namespace tarvelon
