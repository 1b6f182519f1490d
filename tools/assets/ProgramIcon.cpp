#include "tools/assets/ProgramIcon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

#include "render/Hillshade.h"
#include "tools/assets/Assets.h"

namespace tarvelon::assets {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentreLongitude = -75;  // Tharsis to the west, Valles Marineris across the middle
constexpr double kCentreLatitude = 8;
constexpr int kSubsamples = 4;            // per pixel and axis, for a smooth rim
constexpr double kReliefExaggeration = 60;

struct Rgb {
  double r, g, b;
};

// Mars's rust, dark in the basins and pale on the heights.
Rgb rust(double metres) {
  static constexpr std::array<std::pair<double, Rgb>, 5> kStops = {{
      {-8000, {92, 38, 24}},
      {-4000, {138, 60, 34}},
      {0, {184, 92, 52}},
      {4000, {212, 128, 80}},
      {12000, {236, 184, 142}},
  }};
  if (metres <= kStops.front().first) return kStops.front().second;
  for (std::size_t i = 1; i < kStops.size(); ++i) {
    if (metres <= kStops[i].first) {
      const double t = (metres - kStops[i - 1].first) / (kStops[i].first - kStops[i - 1].first);
      const Rgb& a = kStops[i - 1].second;
      const Rgb& b = kStops[i].second;
      return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
    }
  }
  return kStops.back().second;
}

}  // namespace

QImage programIcon(const demo::GlobalGrid& grid, int size) {
  QImage icon(size, size, QImage::Format_ARGB32);
  const double radius = size / 2.0 - 1.0;
  const double centre = size / 2.0;
  const double phi0 = kCentreLatitude * kPi / 180;
  // The sun over the viewer's left shoulder: upper left, in front.
  const double lx = -0.45, ly = 0.5, lz = 0.74;
  const double lLength = std::sqrt(lx * lx + ly * ly + lz * lz);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0;
      int inside = 0;
      for (int sy = 0; sy < kSubsamples; ++sy) {
        for (int sx = 0; sx < kSubsamples; ++sx) {
          const double u = (px + (sx + 0.5) / kSubsamples - centre) / radius;
          const double v = (centre - (py + (sy + 0.5) / kSubsamples)) / radius;
          const double rho = std::sqrt(u * u + v * v);
          if (rho > 1) continue;
          ++inside;
          const double z = std::sqrt(1 - rho * rho);
          // Orthographic projection, inverted.
          const double c = std::asin(std::min(rho, 1.0));
          const double latitude =
              rho == 0 ? phi0 : std::asin(std::cos(c) * std::sin(phi0) + v * std::sin(c) * std::cos(phi0) / rho);
          const double longitude = kCentreLongitude * kPi / 180 +
                                   std::atan2(u * std::sin(c), rho * std::cos(c) * std::cos(phi0) -
                                                                   v * std::sin(phi0) * std::sin(c));
          const double latDeg = latitude * 180 / kPi;
          const double lonDeg = longitude * 180 / kPi;
          const double metres = grid.interpolate(latDeg, lonDeg);
          // The slope under the sun, from the neighbouring heights.
          const double d = 0.5;  // degrees
          const double east = grid.interpolate(latDeg, lonDeg + d) - grid.interpolate(latDeg, lonDeg - d);
          const double north = grid.interpolate(latDeg + d, lonDeg) - grid.interpolate(latDeg - d, lonDeg);
          const double spacing = 2 * d * kMetresPerDegree;
          const double gx = kReliefExaggeration * east / (spacing * std::max(std::cos(latitude), 0.2));
          const double gy = kReliefExaggeration * north / spacing;
          const double nLength = std::sqrt(gx * gx + gy * gy + 1);
          const double relief = std::clamp((-gx * lx - gy * ly + lz) / (nLength * lz), 0.3, 1.4);
          // The sphere's own light, with a faint glow on its night side.
          const double sphere = std::max((u * lx + v * ly + z * lz) / lLength, 0.0);
          const double light = 0.16 + 0.9 * sphere * relief;
          const Rgb colour = rust(metres);
          r += colour.r * light;
          g += colour.g * light;
          b += colour.b * light;
        }
      }
      if (inside == 0) {
        icon.setPixel(px, py, qRgba(0, 0, 0, 0));
        continue;
      }
      const int alpha = static_cast<int>(std::lround(255.0 * inside / (kSubsamples * kSubsamples)));
      auto channel = [&](double sum) { return std::clamp(static_cast<int>(std::lround(sum / inside)), 0, 255); };
      icon.setPixel(px, py, qRgba(channel(r), channel(g), channel(b), alpha));
    }
  }
  return icon;
}

void buildProgramIcon(const AssetContext& context) {
  std::filesystem::create_directories(context.out / "pictures");
  saveImage(programIcon(context.grid), context.out / "pictures" / "tarvelon-64.png");
}

}  // namespace tarvelon::assets
