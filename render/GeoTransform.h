// Where the pixels of a north-up map lie.
#pragma once

namespace tarvelon {

// A north-up grid of pixels: the west and north edges of pixel (0, 0) and
// the size of a pixel, in geographic degrees (longitudes run on east of 180
// for a map that crosses the meridian there), or in metres for a map in a
// projection (see ProjectedFrame).
struct GeoTransform {
  double west = 0;
  double north = 0;
  double pixelWidth = 0;   // degrees of longitude per pixel
  double pixelHeight = 0;  // degrees of latitude per pixel (positive)
  bool operator==(const GeoTransform&) const = default;
};

}  // namespace tarvelon
