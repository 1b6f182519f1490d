// A shaded relief picture of the whole planet, for the pictures that ship
// with the windows.
#pragma once

#include <QImage>

#include "tools/DemoTerrain.h"

namespace tarvelon::assets {

struct ReliefStyle {
  int scheme = 1;  // colour scheme 0..5
  int mode = 1;    // shading mode 0..3
  // The sun and how much the heights are raised: a picture of the whole
  // planet has pixels tens of kilometres wide, where true heights look
  // flat.
  double sunAzimuth = 315;
  double sunAltitude = 45;
  double exaggeration = 20;
};

// `width` x `height` pixels in simple cylindrical projection, longitude
// -180 at the left edge, latitude +90 at the top. Each pixel is coloured at
// the elevation interpolated at its centre and lit by the relief shading
// of the maps, taken on the picture's own grid.
QImage reliefPicture(const demo::GlobalGrid& grid, int width, int height, const ReliefStyle& style);

// Longitude and latitude of the centre of pixel (x, y) of such a picture,
// and the pixel a point falls in.
double pictureLongitude(int x, int width);
double pictureLatitude(int y, int height);
QPointF picturePoint(double longitude, double latitude, int width, int height);

}  // namespace tarvelon::assets
