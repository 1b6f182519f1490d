// The view settings file tarvelon-view.cfg, beside megdr128.cfg: the
// choices of the window that the three-line settings file has no room for.
// Lines of "name=value", ended by CR LF.
#pragma once

#include <string>

namespace tarvelon {

inline constexpr const char* kViewSettingsFileName = "tarvelon-view.cfg";

struct ViewSettings {
  int reliefShading = 0;  // 1: Topography > "Relief Shading" is on
  int featureNames = 0;   // 1: Topography > "Feature Names" is on
  bool operator==(const ViewSettings&) const = default;
};

// startDir, a separator and "tarvelon-view.cfg".
std::string viewSettingsPath(const std::string& startDir);

// Reads the file leniently: a missing or unreadable file, an unknown line
// or a value other than 0 or 1 leaves that setting at its first value.
ViewSettings readViewSettings(const std::string& path);

// Writes the file through a temporary file renamed into place: the
// reliefShading line, then a featureNames line when the names are on (a
// file without it, such as one of an earlier version, has them off).
// Throws WriteError; the old file then stays as it was.
void writeViewSettings(const std::string& path, const ViewSettings& settings);

}  // namespace tarvelon
