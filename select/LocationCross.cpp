#include "select/LocationCross.h"

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

}  // namespace tarvelon
