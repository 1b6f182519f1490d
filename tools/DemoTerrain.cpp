#include "tools/DemoTerrain.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <thread>

#include "dem/TileSet.h"

namespace tarvelon::demo {

// ---------------------------------------------------------------- grids

double GlobalGrid::interpolate(double latitude, double longitude) const {
  double east = std::fmod(longitude, 360.0);
  if (east < 0) east += 360.0;
  const double x = east * perDegree - 0.5;
  const double y = (90.0 - latitude) * perDegree - 0.5;
  const double xf = std::floor(x);
  const double yf = std::floor(y);
  const double wx = x - xf;
  const double wy = y - yf;
  int x0 = static_cast<int>(xf);
  int x1 = x0 + 1;
  if (x0 < 0) x0 += width;
  if (x1 >= width) x1 -= width;
  const int y0 = std::clamp(static_cast<int>(yf), 0, height - 1);
  const int y1 = std::clamp(static_cast<int>(yf) + 1, 0, height - 1);
  const double top = at(y0, x0) * (1 - wx) + at(y0, x1) * wx;
  const double bottom = at(y1, x0) * (1 - wx) + at(y1, x1) * wx;
  return top * (1 - wy) + bottom * wy;
}

int globalGridResolution(std::uint64_t bytes) {
  for (int perDegree : {4, 16, 32, 64}) {
    if (bytes == std::uint64_t(360) * perDegree * 180 * perDegree * 2) return perDegree;
  }
  return 0;
}

GlobalGrid loadGlobalGrid(const std::string& path) {
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(path, ec);
  if (ec) throw std::runtime_error("cannot read the global grid " + path + ": " + ec.message());
  const int perDegree = globalGridResolution(bytes);
  if (perDegree == 0) {
    throw std::runtime_error(path + " is " + std::to_string(bytes) +
                             " bytes, which is not a global MEGDR grid of 4, 16, 32 or 64 samples per degree "
                             "(2073600 bytes for 4 per degree, e.g. megt90n000cb.img)");
  }
  GlobalGrid grid;
  grid.perDegree = perDegree;
  grid.width = 360 * perDegree;
  grid.height = 180 * perDegree;
  std::vector<std::uint8_t> raw(bytes);
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()))) {
    throw std::runtime_error("cannot read the global grid " + path);
  }
  grid.metres.resize(raw.size() / 2);
  for (std::size_t i = 0; i < grid.metres.size(); ++i) grid.metres[i] = static_cast<float>(decodeSample(&raw[2 * i]));
  return grid;
}

void tileLine(const GlobalGrid& grid, int tile, int line, std::uint8_t* out) {
  const TileBox box = tileBox(tile);
  const double latitude = box.tileNorth - (line + 0.5) / kSamplesPerDegree;
  const double y = (90.0 - latitude) * grid.perDegree - 0.5;
  const double yf = std::floor(y);
  const float wy = static_cast<float>(y - yf);
  const float* row0 = &grid.metres[std::size_t(std::clamp(int(yf), 0, grid.height - 1)) * grid.width];
  const float* row1 = &grid.metres[std::size_t(std::clamp(int(yf) + 1, 0, grid.height - 1)) * grid.width];
  const double westEast = box.tileWest < 0 ? box.tileWest + 360.0 : box.tileWest;
  const double xStart = (westEast + 0.5 / kSamplesPerDegree) * grid.perDegree - 0.5;
  const double xStep = double(grid.perDegree) / kSamplesPerDegree;
  for (int j = 0; j < kSamplesPerLine; ++j) {
    double x = xStart + j * xStep;
    if (x >= grid.width - 0.5) x -= grid.width;
    const double xf = std::floor(x);
    const float wx = static_cast<float>(x - xf);
    int x0 = static_cast<int>(xf);
    int x1 = x0 + 1;
    if (x0 < 0) x0 += grid.width;
    if (x1 >= grid.width) x1 -= grid.width;
    const float top = row0[x0] + (row0[x1] - row0[x0]) * wx;
    const float bottom = row1[x0] + (row1[x1] - row1[x0]) * wx;
    const long v = std::lround(top + (bottom - top) * wy);
    const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(v, -32768L, 32767L)));
    out[2 * j] = static_cast<std::uint8_t>(sample >> 8);
    out[2 * j + 1] = static_cast<std::uint8_t>(sample & 0xFF);
  }
}

// ------------------------------------------------------- synthetic planet

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

std::uint64_t mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

constexpr std::uint64_t kColumnKey = 0x9E3779B97F4A7C15ull;

// The part of a lattice hash that depends on the row and the salt only.
std::uint64_t rowKey(std::int64_t row, std::int64_t salt) {
  return static_cast<std::uint64_t>(row) * 0xC2B2AE3D27D4EB4Full ^ static_cast<std::uint64_t>(salt) * 0x165667B19E3779F9ull;
}

std::uint64_t latticeHash(std::int64_t column, std::uint64_t key) {
  return mix(static_cast<std::uint64_t>(column) * kColumnKey ^ key);
}

// floor() without the library call.
inline std::int64_t floorToInt(double x) {
  const auto i = static_cast<std::int64_t>(x);
  return i - (x < static_cast<double>(i));
}

// Uniform in [0, 1) from 16 bits of a hash (slot 0..3).
double unit(std::uint64_t h, int slot) { return double((h >> (16 * slot)) & 0xFFFF) * (1.0 / 65536.0); }

double smoothstep(double edge0, double edge1, double x) {
  double t = (x - edge0) / (edge1 - edge0);
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Longitude difference wrapped to -180 .. 180 (for differences of two
// longitudes within -540 .. 540).
double wrapDelta(double d) {
  while (d > 180) d -= 360;
  while (d < -180) d += 360;
  return d;
}

// A feature centred on (lat0, lon0); `reach` bounds its effect in degrees.
struct Feature {
  double lat0, lon0, reach;
};

// Distance in degrees of arc on a flat map around the centre, or a large
// value beyond the feature's reach in latitude.
double distanceTo(double latitude, double cosine, double longitude, const Feature& f) {
  const double dy = latitude - f.lat0;
  if (std::abs(dy) > f.reach) return 1e9;
  const double dx = wrapDelta(longitude - f.lon0) * cosine;
  return std::sqrt(dx * dx + dy * dy);
}

// Smooth value noise on a lattice of `cell` degrees that wraps in longitude
// (cell divides 360). The lattice values of the two rows around a line of
// latitude are computed once for the line.
struct NoiseRow {
  double cell = 1;
  std::int64_t period = 360;
  std::vector<double> below, above;
  double sy = 0;

  NoiseRow() = default;
  NoiseRow(double latitude, double cellDegrees, int octave) : cell(cellDegrees) {
    period = std::llround(360.0 / cell);
    const double y = (latitude + 90.0) / cell;
    const std::int64_t y0 = floorToInt(y);
    const std::uint64_t key0 = rowKey(y0, octave), key1 = rowKey(y0 + 1, octave);
    below.resize(period);
    above.resize(period);
    for (std::int64_t i = 0; i < period; ++i) {
      below[i] = double(latticeHash(i, key0) >> 11) * 0x1.0p-52 - 1.0;
      above[i] = double(latticeHash(i, key1) >> 11) * 0x1.0p-52 - 1.0;
    }
    sy = smoothstep(0, 1, y - static_cast<double>(y0));
  }

  double at(double longitude) const {
    const double x = (longitude + 180.0) / cell;
    std::int64_t x0 = floorToInt(x);
    const double fx = x - static_cast<double>(x0);
    if (x0 >= period) x0 -= period;
    const std::int64_t x1 = x0 + 1 == period ? 0 : x0 + 1;
    const double sx = fx * fx * (3 - 2 * fx);
    const double a = below[x0] + (below[x1] - below[x0]) * sx;
    const double b = above[x0] + (above[x1] - above[x0]) * sx;
    return a + (b - a) * sy;
  }
};

// A shield volcano: a broad cone with a steeper foot and a summit caldera.
double shield(double d, double radius, double height, double calderaRadius, double calderaDepth) {
  if (d >= radius) return 0;
  double h = height * std::pow(1 - d / radius, 1.35);
  h += 0.08 * height * smoothstep(radius, 0.9 * radius, d);  // basal scarp
  h -= calderaDepth * smoothstep(calderaRadius, 0.6 * calderaRadius, d);
  return h;
}

// An impact basin: flat floor, sloping walls, raised rim.
double basin(double d, double radius, double depth, double rim) {
  if (d > 1.7 * radius) return 0;
  return -depth * smoothstep(radius, 0.45 * radius, d) + rim * std::exp(-std::pow((d - radius) / (0.22 * radius), 2));
}

struct Segment {
  double lon0, lat0, lon1, lat1, halfWidth, depth;
};

// Valles Marineris and the outflow channels north of it.
constexpr Segment kTroughs[] = {
    {-108, -6.5, -95, -7.5, 1.0, 3500},  {-95, -7.5, -82, -9.0, 1.6, 5200},   {-82, -9.0, -74, -9.5, 2.4, 6200},
    {-74, -9.5, -64, -11.0, 3.0, 6800},  {-64, -11.0, -54, -13.0, 2.0, 6000}, {-54, -13.0, -44, -11.0, 1.8, 4800},
    {-44, -11.0, -36, -6.0, 2.6, 3500},  {-78, -5.0, -66, -6.0, 1.4, 4500},   {-36, -6.0, -32, 6.0, 2.4, 1800},
    {-32, 6.0, -30, 20.0, 2.2, 900},     {-62, 2.0, -56, 22.0, 2.2, 800},     {-56, 22.0, -46, 30.0, 2.0, 600},
};

struct CraterScale {
  double cell;       // degrees
  double maxRadius;  // degrees
  double chance;     // of a crater in a cell of old terrain
};

constexpr CraterScale kCraterScales[] = {
    {12.0, 3.2, 0.30}, {6.0, 1.5, 0.40}, {3.0, 0.75, 0.50}, {1.5, 0.36, 0.55}, {0.75, 0.18, 0.45}, {0.375, 0.09, 0.35},
};
constexpr int kCraterScaleCount = sizeof kCraterScales / sizeof kCraterScales[0];

constexpr Feature kOlympus{18.65, -133.8, 6.5}, kArsia{-8.35, -120.1, 4.5}, kPavonis{1.48, -112.96, 3.6},
    kAscraeus{11.92, -104.08, 4.0}, kAlba{40.5, -109.6, 12.0}, kElysium{25.02, 147.21, 4.0}, kElysiumRise{24, 146, 30},
    kHellas{-42.4, 70.5, 34}, kArgyre{-49.7, -43.4, 17}, kIsidis{12.9, 87.0, 15.3}, kUtopia{45.0, 110.0, 43};

// Latitude of the dichotomy at a longitude, and the Tharsis rise.
double dichotomyLatitude(double lon) {
  const double radians = lon * kDegree;
  return 24 + 12 * std::sin(radians + 0.5) + 6 * std::sin(2 * radians + 2.0) + 4 * std::sin(3 * radians + 1.0);
}

double tharsisRise(double lat, double lon) {
  const double y = (lat + 2) / 28, x = wrapDelta(lon + 108) / 32;
  return std::exp(-(x * x + y * y));
}

// One crater cut by a line of latitude.
struct CraterCut {
  double lon0 = 0;        // centre longitude
  double radius = 0;      // degrees; 0 where the cell has no crater on this line
  double lonScale = 0;    // cos(latitude of the cell) / radius
  double dy = 0;          // latitude offset from the centre, in radii
  double depth = 0, rim = 0, peak = 0;  // metres
};

// Everything about a line of latitude that does not change along it.
struct Latitude {
  double latitude;
  double cosine;
  NoiseRow noise[8];
  double polar;
  double tharsisLat;
  // For each crater scale, the crater of every cell of the line's cell row.
  std::vector<CraterCut> craters[kCraterScaleCount];

  explicit Latitude(double lat) : latitude(lat), cosine(std::cos(lat * kDegree)) {
    const double cells[8] = {24, 12, 6, 3, 1.5, 0.75, 12, 1.5};
    for (int o = 0; o < 8; ++o) noise[o] = NoiseRow(lat, cells[o], o + 1);
    polar = 1700 * smoothstep(78, 88, lat) + 3000 * smoothstep(-74, -88, lat);
    tharsisLat = (lat + 2) / 28;
    for (int k = 0; k < kCraterScaleCount; ++k) cutCraters(k);
  }

 private:
  // Each crater, with its ejecta, lies inside its own lattice cell, so a
  // point meets at most one crater of each scale. Craters are fewest on the
  // lowlands and on the volcanic rises, judged at the crater's centre.
  void cutCraters(int k) {
    const CraterScale& scale = kCraterScales[k];
    const std::int64_t row = floorToInt((latitude + 90.0) / scale.cell);
    const double cellLatitude = -90.0 + (row + 0.5) * scale.cell;
    const double cellCosine = std::max(std::cos(cellLatitude * kDegree), 0.05);
    const auto columns = static_cast<std::size_t>(std::llround(360.0 / scale.cell));
    const std::uint64_t key = rowKey(row, 1000 + k);
    craters[k].assign(columns, CraterCut{});
    for (std::size_t column = 0; column < columns; ++column) {
      const std::uint64_t seed = latticeHash(static_cast<std::int64_t>(column), key);
      double radius = scale.maxRadius * (0.3 + 0.7 * unit(seed, 1) * unit(seed, 1));
      radius = std::min(radius, 0.5 * scale.cell * cellCosine / 1.7);
      const double reachLon = 1.7 * radius / cellCosine;
      const double reachLat = 1.7 * radius;
      const double lon0 = -180.0 + double(column) * scale.cell + reachLon + unit(seed, 2) * (scale.cell - 2 * reachLon);
      const double lat0 = -90.0 + double(row) * scale.cell + reachLat + unit(seed, 3) * (scale.cell - 2 * reachLat);
      const double dy = (latitude - lat0) / radius;
      if (std::abs(dy) >= 1.7) continue;
      const double lowland = smoothstep(-9, 7, lat0 - dichotomyLatitude(lon0));
      const double age = std::clamp((1 - 0.7 * lowland) * (1 - 0.8 * tharsisRise(lat0, lon0)), 0.1, 1.0);
      if (unit(seed, 0) >= scale.chance * age) continue;
      const double diameterKm = 2 * radius * 59.3;
      CraterCut& cut = craters[k][column];
      cut.lon0 = lon0;
      cut.radius = radius;
      cut.lonScale = cellCosine / radius;
      cut.dy = dy;
      cut.depth = 1000 * std::min(0.2 * diameterKm, 0.36 * std::pow(diameterKm, 0.49));
      cut.rim = 1000 * 0.012 * std::pow(diameterKm, 0.84);
      cut.peak = diameterKm > 30 ? 0.3 * cut.depth : 0;
    }
  }
};

double troughs(const Latitude& at, double longitude) {
  const double latitude = at.latitude;
  if (longitude < -112 || longitude > -24 || latitude < -18 || latitude > 34) return 0;
  double h = 0;
  const double c = at.cosine;
  // Walls roughened a little along the troughs.
  const double roughness = 1 + 0.25 * at.noise[7].at(longitude);
  for (const Segment& s : kTroughs) {
    const double ax = s.lon0 * c, ay = s.lat0, bx = s.lon1 * c, by = s.lat1;
    const double px = longitude * c, py = latitude;
    const double vx = bx - ax, vy = by - ay;
    const double t = std::clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
    const double d = std::sqrt(dx * dx + dy * dy);
    const double width = s.halfWidth * roughness;
    h = std::min(h, -s.depth * smoothstep(width, 0.45 * width, d));
  }
  return h;
}

// Relief of the craters at a point of a line of latitude.
double craters(const Latitude& at, double longitude) {
  double h = 0;
  for (int k = 0; k < kCraterScaleCount; ++k) {
    const std::int64_t column = floorToInt((longitude + 180.0) / kCraterScales[k].cell);
    const auto& cuts = at.craters[k];
    if (column < 0 || column >= static_cast<std::int64_t>(cuts.size())) continue;
    const CraterCut& cut = cuts[static_cast<std::size_t>(column)];
    if (cut.radius == 0) continue;
    const double dx = (longitude - cut.lon0) * cut.lonScale;
    const double d2 = dx * dx + cut.dy * cut.dy;
    if (d2 >= 1.7 * 1.7) continue;
    if (d2 < 1) {
      double inside = cut.rim - (cut.depth + cut.rim) * (1 - d2);
      inside = std::max(inside, -0.85 * cut.depth);                    // flat floor
      if (cut.peak > 0) inside += cut.peak * std::exp(-d2 / (0.13 * 0.13));  // central peak
      h += inside;
    } else {
      const double d = std::sqrt(d2);
      h += cut.rim * ((1.7 - d) / 0.7) * ((1.7 - d) / 0.7);
    }
  }
  return h;
}

// Everything about a meridian that does not change along it.
struct Longitude {
  double longitude;  // -180 .. 180
  double boundary;   // latitude of the dichotomy
  double tharsis;    // squared distance term of the Tharsis rise

  explicit Longitude(double lon) : longitude(lon), boundary(dichotomyLatitude(lon)) {
    const double t = wrapDelta(lon + 108) / 32;
    tharsis = t * t;
  }
};

double elevation(const Latitude& at, const Longitude& meridian) {
  const double latitude = at.latitude;
  const double cosine = at.cosine;
  const double lon = meridian.longitude;

  // The dichotomy: smooth northern lowlands against cratered southern highlands.
  const double north = latitude - meridian.boundary + 7 * at.noise[6].at(lon);
  const double lowland = smoothstep(-9, 7, north);
  // The highlands rise gently away from the dichotomy.
  const double highland = 200 + 36 * std::clamp(-north, 0.0, 50.0);
  double h = highland * (1 - lowland) - 4300 * lowland;

  h += 750 * at.noise[0].at(lon) + 420 * at.noise[1].at(lon) + 260 * at.noise[2].at(lon) + 150 * at.noise[3].at(lon) +
       (90 - 50 * lowland) * at.noise[4].at(lon) + (50 - 30 * lowland) * at.noise[5].at(lon);

  // The Tharsis rise and Elysium.
  const double tharsis = std::exp(-(at.tharsisLat * at.tharsisLat + meridian.tharsis));
  h += 4200 * tharsis;
  const double elysium = distanceTo(latitude, cosine, lon, kElysiumRise);
  if (elysium < 30) h += 1800 * std::exp(-std::pow(elysium / 11, 2));

  // Volcanoes.
  h += shield(distanceTo(latitude, cosine, lon, kOlympus), 6.5, 23000, 0.9, 3000);
  h += shield(distanceTo(latitude, cosine, lon, kArsia), 4.5, 12500, 0.9, 1500);
  h += shield(distanceTo(latitude, cosine, lon, kPavonis), 3.6, 8600, 0.6, 2000);
  h += shield(distanceTo(latitude, cosine, lon, kAscraeus), 4.0, 15500, 0.6, 2500);
  h += shield(distanceTo(latitude, cosine, lon, kAlba), 12.0, 6500, 0.8, 800);
  h += shield(distanceTo(latitude, cosine, lon, kElysium), 4.0, 13500, 0.5, 1200);

  // Impact basins.
  h += basin(distanceTo(latitude, cosine, lon, kHellas), 20, 8600, 1500);
  h += basin(distanceTo(latitude, cosine, lon, kArgyre), 10, 4600, 1500);
  h += basin(distanceTo(latitude, cosine, lon, kIsidis), 9, 4800, 900);
  h += basin(distanceTo(latitude, cosine, lon, kUtopia), 25, 900, 0);

  h += troughs(at, lon);
  h += at.polar;

  h += craters(at, lon);

  return std::clamp(h, -8150.0, 21200.0);
}

}  // namespace

double syntheticElevation(double latitude, double longitude) {
  double lon = std::fmod(longitude, 360.0);
  if (lon < -180) lon += 360;
  if (lon >= 180) lon -= 360;
  return elevation(Latitude(latitude), Longitude(lon));
}

GlobalGrid syntheticPlanet(int perDegree, int threads) {
  GlobalGrid grid;
  grid.perDegree = perDegree;
  grid.width = 360 * perDegree;
  grid.height = 180 * perDegree;
  grid.metres.resize(std::size_t(grid.width) * grid.height);
  threads = std::max(1, threads);
  std::vector<Longitude> meridians;
  meridians.reserve(grid.width);
  for (int s = 0; s < grid.width; ++s) {
    double longitude = (s + 0.5) / grid.perDegree;
    if (longitude >= 180) longitude -= 360;
    meridians.emplace_back(longitude);
  }
  std::vector<std::thread> workers;
  for (int w = 0; w < threads; ++w) {
    workers.emplace_back([&grid, &meridians, w, threads] {
      for (int line = w; line < grid.height; line += threads) {
        const Latitude latitude(90.0 - (line + 0.5) / grid.perDegree);
        float* row = &grid.metres[std::size_t(line) * grid.width];
        for (int s = 0; s < grid.width; ++s) row[s] = static_cast<float>(elevation(latitude, meridians[s]));
      }
    });
  }
  for (auto& worker : workers) worker.join();
  return grid;
}

std::string gridSourceText(const std::string& gridPath, int perDegree) {
  return "elevations interpolated (bilinear) from the global grid " + gridPath + " (" + std::to_string(perDegree) +
         " samples per degree)";
}

std::string readmeText(const std::string& source) {
  return "Demo MEGDR128 tile set for Tarvelon\n\nThe sixteen tiles in this folder hold " + source +
         ".\nEach is 5632 lines of 11520 big-endian signed 16-bit samples (metres), 128 per degree.\n";
}

}  // namespace tarvelon::demo
