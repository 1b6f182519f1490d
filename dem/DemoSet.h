// How a data folder tells that its tiles are a demo set: tiles that
// make-data interpolated from a global grid, not the MOLA tiles themselves.
// The tiles are the same files either way; a marker file beside them says
// which grid they came from.
#pragma once

#include <optional>
#include <string>

namespace tarvelon {

// The marker make-data writes into the folder of a demo set.
inline constexpr const char* kDemoSetMarkerName = "tarvelon-demo-set.txt";

// The marker's text for tiles interpolated from a global grid of
// `perDegree` samples per degree.
std::string demoSetMarkerText(int perDegree);

// Samples per degree of the global grid the tiles in `folder` were
// interpolated from, when they are a demo set; nothing for any other
// folder. A folder made by make-data before it wrote the marker is known by
// its README.txt. Reads only regular files, and only their first few
// kilobytes; a file that cannot be read counts as absent.
std::optional<int> demoSetGridResolution(const std::string& folder);

}  // namespace tarvelon
