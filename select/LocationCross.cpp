#include "select/LocationCross.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/Rounding.h"

namespace tarvelon {

CrossPosition locationCross(const AreaBounds& area) {
  // Twice the centre longitude, brought back onto -180 .. 180.
  std::int64_t twiceLongitude = std::int64_t(area.west) + area.east;
  while (twiceLongitude > 360) twiceLongitude -= 720;
  while (twiceLongitude < -360) twiceLongitude += 720;
  const std::int64_t twiceColatitude = 180 - (std::int64_t(area.north) + area.south);
  // x = (west + east + 360) * 1.33 / 2, y = (180 - north - south) * 1.33 / 2.
  return {static_cast<int>(roundHalfEven((twiceLongitude + 360) * 133, 200)),
          static_cast<int>(roundHalfEven(twiceColatitude * 133, 200))};
}

CrossPosition locationCross(double longitude, double latitude) {
  if (!std::isfinite(longitude) || !std::isfinite(latitude)) return {};
  // Onto -180 .. 180, 180 E staying where it is as it does for an area.
  longitude = std::remainder(longitude, 360.0);
  if (longitude == -180) longitude = 180;
  latitude = std::clamp(latitude, -90.0, 90.0);
  // In hundredths of a degree, as whole numbers: the same halves to even
  // as an area's centre.
  const auto hundredths = [](double degrees) { return static_cast<std::int64_t>(std::llround(degrees * 100)); };
  const int x = static_cast<int>(roundHalfEven((hundredths(longitude) + 18000) * 133, 10000));
  const int y = static_cast<int>(roundHalfEven((9000 - hundredths(latitude)) * 133, 10000));
  return {std::clamp(x, 0, kLocationMapWidth - 1), std::clamp(y, 0, kLocationMapHeight - 1)};
}

}  // namespace tarvelon
