// An elevation profile as CSV text: a header line, then one line a point
// with its distance, place and elevation. Whoever saves it writes it whole
// through AtomicFile.
#pragma once

#include <string>

#include "dem/ElevationProfile.h"

namespace tarvelon {

inline constexpr const char* kProfileCsvHeader = "distance_km,longitude,latitude,elevation_m";

// The header, then a line a point: the distance in km to 3 decimals, the
// longitude and latitude in degrees to 6, the elevation in whole metres (an
// empty field where there is no data). Lines end in "\n"; the numbers are
// written the same in every locale.
std::string profileCsv(const ElevationProfile& profile);

}  // namespace tarvelon
