// Elevation profiles: the great circle against the sphere's own formulas
// (haversine, slerp of unit vectors), the samples each point reads, the
// points beyond the grid, the summary figures, and the CSV text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"
#include "export/ProfileFile.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180;
constexpr std::int16_t kNoData = ElevationSource::kNoData;

double haversineMetres(GeoPoint a, GeoPoint b) {
  const double dLat = (b.latitude - a.latitude) * kRad, dLon = (b.longitude - a.longitude) * kRad;
  const double h = std::pow(std::sin(dLat / 2), 2) +
                   std::cos(a.latitude * kRad) * std::cos(b.latitude * kRad) * std::pow(std::sin(dLon / 2), 2);
  return 2 * kMarsRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

// Spherical linear interpolation of the two unit vectors, as the textbook
// writes it (sound away from opposite points).
GeoPoint slerp(GeoPoint a, GeoPoint b, double f) {
  auto vec = [](GeoPoint p) {
    return std::vector<double>{std::cos(p.latitude * kRad) * std::cos(p.longitude * kRad),
                               std::cos(p.latitude * kRad) * std::sin(p.longitude * kRad), std::sin(p.latitude * kRad)};
  };
  const auto u = vec(a), v = vec(b);
  const double omega = std::acos(u[0] * v[0] + u[1] * v[1] + u[2] * v[2]);
  const double ka = std::sin((1 - f) * omega) / std::sin(omega), kb = std::sin(f * omega) / std::sin(omega);
  const double x = ka * u[0] + kb * v[0], y = ka * u[1] + kb * v[1], z = ka * u[2] + kb * v[2];
  return GeoPoint{std::atan2(y, x) / kRad, std::asin(z / std::sqrt(x * x + y * y + z * z)) / kRad};
}

// Metres between two points, for comparing places.
double apart(GeoPoint a, GeoPoint b) { return haversineMetres(a, b); }

// The tiles' grid, every sample a different value made from its index;
// counts the gathers.
class PatternSource final : public ElevationSource {
 public:
  GridSpec grid() const override { return kTileGridSpec; }
  static std::int16_t value(GridIndex g) {
    return static_cast<std::int16_t>((std::int64_t(g.line) * 37 + g.column * 11) % 20000 - 8000);
  }
  void block(std::int64_t, int, int, int, int, std::int16_t*) override { FAIL() << "the profile reads by gather"; }
  void gather(const GridIndex* indices, int count, std::int16_t* out) override {
    ++gathers;
    for (int i = 0; i < count; ++i) {
      GridIndex g = indices[i];
      g.column = wrapColumn(g.column);
      out[i] = g.line < 0 || g.line >= kGridLines ? kNoData : value(g);
    }
  }
  int gathers = 0;
};

TEST(GreatCircle, DistancesMatchHaversineFromMillimetresToTheFarSide) {
  const std::vector<std::pair<GeoPoint, GeoPoint>> lines = {
      {{10, 20}, {11, 21}},       {{-60, -10}, {-30, -25}}, {{170, 5}, {-170, -5}},
      {{0, 89.5}, {180, 89.5}},   {{137.4, -4.6}, {-133.8, 18.65}}, {{-75, -12}, {70, 40}},
  };
  for (const auto& [a, b] : lines) {
    EXPECT_NEAR(greatCircleMetres(a, b), haversineMetres(a, b), 1e-6) << a.longitude << "," << a.latitude;
    EXPECT_DOUBLE_EQ(greatCircleMetres(a, b), greatCircleMetres(b, a));
  }
  // A millimetre: the cosine alone would give 0 or noise.
  const double oneMmInDegrees = 0.001 / kMarsRadiusMetres / kRad;
  EXPECT_NEAR(greatCircleMetres({45, 30}, {45, 30 + oneMmInDegrees}), 0.001, 1e-9);
  EXPECT_EQ(greatCircleMetres({45, 30}, {45, 30}), 0);
  EXPECT_EQ(greatCircleMetres({45, 30}, {405, 30}), 0);
  // Opposite points and nearly so: half the circumference, where the
  // sine alone would be lost.
  EXPECT_NEAR(greatCircleMetres({20, 30}, {-160, -30}), kPi * kMarsRadiusMetres, 1e-6);
  EXPECT_NEAR(greatCircleMetres({0, 0}, {180, 1e-6}), kPi * kMarsRadiusMetres - 1e-6 * kRad * kMarsRadiusMetres,
              1e-4);
}

TEST(GreatCircle, PointsFollowTheSlerpOfTheUnitVectors) {
  const std::vector<std::pair<GeoPoint, GeoPoint>> lines = {
      {{-60, -10}, {-30, -25}}, {{137.4, -4.6}, {-133.8, 18.65}}, {{-75, -12}, {70, 40}}, {{10, 80}, {100, 70}}};
  for (const auto& [a, b] : lines) {
    for (double f : {0.01, 0.25, 0.5, 0.77, 0.999}) {
      const GeoPoint p = greatCirclePoint(a, b, f);
      EXPECT_LT(apart(p, slerp(a, b, f)), 1e-3) << f;
      EXPECT_NEAR(greatCircleMetres(a, p), f * greatCircleMetres(a, b), 1e-3) << f;
      EXPECT_GE(p.longitude, -180);
      EXPECT_LE(p.longitude, 180);
    }
  }
}

TEST(GreatCircle, CrossesThe180DegreeMeridianTheShortWay) {
  const GeoPoint a{170, 10}, b{-170, -5};
  for (int i = 1; i < 20; ++i) {
    const double f = i / 20.0;
    const GeoPoint p = greatCirclePoint(a, b, f);
    EXPECT_GE(std::abs(p.longitude), 170 - 1e-9) << f;  // never by 0 degrees
    EXPECT_LT(apart(p, slerp(a, b, f)), 1e-3) << f;
  }
  // The same line given with an east longitude past 180.
  const GeoPoint east{190, -5};
  EXPECT_LT(apart(greatCirclePoint(a, east, 0.5), greatCirclePoint(a, b, 0.5)), 1e-6);
  EXPECT_DOUBLE_EQ(greatCirclePoint(a, east, 1).longitude, -170);
}

TEST(GreatCircle, AlongAMeridianTheLatitudeGoesEvenly) {
  for (int i = 0; i <= 10; ++i) {
    const GeoPoint p = greatCirclePoint({30, -40}, {30, 50}, i / 10.0);
    EXPECT_NEAR(p.longitude, 30, 1e-9);
    EXPECT_NEAR(p.latitude, -40 + 9 * i, 1e-9);
  }
  // Over the pole: down the far meridian.
  const GeoPoint over = greatCirclePoint({0, 80}, {180, 80}, 0.75);
  EXPECT_NEAR(std::abs(over.longitude), 180, 1e-9);
  EXPECT_NEAR(over.latitude, 85, 1e-9);
}

TEST(GreatCircle, OppositePointsGoOverTheNearerPoleAndEndsAreExact) {
  const GeoPoint a{20, 30}, b{-160, -30};
  const GeoPoint middle = greatCirclePoint(a, b, 0.5);
  EXPECT_NEAR(middle.longitude, -160, 1e-6);
  EXPECT_NEAR(middle.latitude, 60, 1e-9);  // 90 degrees on: past the north pole
  EXPECT_NEAR(greatCirclePoint(a, b, 1.0 / 6).latitude, 60, 1e-9);
  EXPECT_NEAR(greatCirclePoint(a, b, 1.0 / 6).longitude, 20, 1e-9);
  const GeoPoint end = greatCirclePoint(a, b, 1);
  EXPECT_EQ(end.longitude, -160);
  EXPECT_EQ(end.latitude, -30);
  EXPECT_EQ(greatCirclePoint({200, 1}, b, 0).longitude, -160);
}

TEST(Profile, PointsAreEvenlySpacedOnTheLineAndReadTheSampleUnderThem) {
  PatternSource source;
  const GeoPoint from{-75.5, -8.25}, to{-40.125, -12.75};
  const ElevationProfile profile = sampleProfile(source, from, to, 501);
  EXPECT_EQ(source.gathers, 1);
  ASSERT_EQ(profile.points.size(), 501u);
  EXPECT_NEAR(profile.length, haversineMetres(from, to), 1e-6);
  EXPECT_EQ(profile.points.front().place.longitude, from.longitude);
  EXPECT_EQ(profile.points.back().place.latitude, to.latitude);
  EXPECT_EQ(profile.points.back().distance, profile.length);
  for (std::size_t i = 0; i < profile.points.size(); ++i) {
    const ProfilePoint& p = profile.points[i];
    EXPECT_NEAR(p.distance, profile.length * double(i) / 500, 1e-6);
    EXPECT_NEAR(haversineMetres(from, p.place), p.distance, 1e-3) << i;
    EXPECT_LT(apart(p.place, slerp(from, to, double(i) / 500)), 1e-3) << i;
    EXPECT_EQ(p.elevation, PatternSource::value(indexIn(kTileGridSpec, p.place.longitude, p.place.latitude))) << i;
  }
}

TEST(Profile, DefaultPointsTakeEverySampleOfTheGrid) {
  const double step = 2 * kPi * kMarsRadiusMetres / 46080;  // about 463 m
  EXPECT_EQ(profileSamplesFor(0, kTileGridSpec), 2);
  EXPECT_EQ(profileSamplesFor(100, kTileGridSpec), 2);
  EXPECT_EQ(profileSamplesFor(step, kTileGridSpec), 2);
  EXPECT_EQ(profileSamplesFor(step * 1.01, kTileGridSpec), 3);
  EXPECT_EQ(profileSamplesFor(1e6, kTileGridSpec), int(std::ceil(1e6 / step)) + 1);
  EXPECT_EQ(profileSamplesFor(1e12, kTileGridSpec), kMaxProfileSamples);
  EXPECT_EQ(profileSamplesFor(std::numeric_limits<double>::infinity(), kTileGridSpec), kMaxProfileSamples);
  // A half-planet line stays well under the cap.
  EXPECT_LT(profileSamplesFor(kPi * kMarsRadiusMetres, kTileGridSpec), 25000);

  // Along a meridian no line of the grid is skipped.
  PatternSource source;
  const ElevationProfile profile = sampleProfile(source, {12.3, -10}, {12.3, 10});
  EXPECT_EQ(int(profile.points.size()), profileSamplesFor(profile.length, kTileGridSpec));
  for (std::size_t i = 1; i < profile.points.size(); ++i) {
    const int a = indexIn(kTileGridSpec, 12.3, profile.points[i - 1].place.latitude).line;
    const int b = indexIn(kTileGridSpec, 12.3, profile.points[i].place.latitude).line;
    EXPECT_LE(a - b, 1) << i;
  }
}

TEST(Profile, PointsPastTheGridHaveNoDataAndTheLineGoesOn) {
  PatternSource source;
  // From 85 N over the pole to 85 N on the far side: the middle is beyond
  // 88 N, where the tiles end.
  const ElevationProfile profile = sampleProfile(source, {10, 85}, {-170, 85}, 101);
  int none = 0;
  for (const ProfilePoint& p : profile.points) {
    EXPECT_EQ(p.elevation == kNoData, p.place.latitude > 88) << p.place.latitude;
    none += p.elevation == kNoData;
  }
  EXPECT_GT(none, 30);
  EXPECT_LT(none, 45);
  EXPECT_NE(profile.points.front().elevation, kNoData);
  EXPECT_NEAR(profile.length, 10 * kRad * kMarsRadiusMetres, 1e-6);
}

TEST(Profile, IdenticalPointsGiveALineOfLengthZero) {
  PatternSource source;
  const ElevationProfile profile = sampleProfile(source, {400, 12}, {40, 12});
  EXPECT_EQ(profile.length, 0);
  ASSERT_EQ(profile.points.size(), 2u);
  for (const ProfilePoint& p : profile.points) {
    EXPECT_EQ(p.distance, 0);
    EXPECT_DOUBLE_EQ(p.place.longitude, 40);
    EXPECT_EQ(p.place.latitude, 12);
    EXPECT_EQ(p.elevation, PatternSource::value(indexIn(kTileGridSpec, 40, 12)));
  }
  EXPECT_EQ(sampleProfile(source, {40, 12}, {40, 12}, 7).points.size(), 7u);
}

TEST(Profile, RefusesImpossibleCountsAndPlaces) {
  PatternSource source;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(sampleProfile(source, {0, 0}, {1, 1}, 1), std::invalid_argument);
  EXPECT_THROW(sampleProfile(source, {0, 0}, {1, 1}, -2), std::invalid_argument);
  EXPECT_THROW(sampleProfile(source, {0, 0}, {1, 1}, kMaxProfileSamples + 1), std::invalid_argument);
  EXPECT_THROW(sampleProfile(source, {0, 90.5}, {1, 1}), std::invalid_argument);
  EXPECT_THROW(sampleProfile(source, {0, 0}, {1, -91}), std::invalid_argument);
  EXPECT_THROW(sampleProfile(source, {nan, 0}, {1, 1}), std::invalid_argument);
  EXPECT_THROW(sampleProfile(source, {0, 0}, {std::numeric_limits<double>::infinity(), 1}), std::invalid_argument);
  EXPECT_EQ(source.gathers, 0);
  EXPECT_EQ(sampleProfile(source, {0, 90}, {0, -90}, 2).points.size(), 2u);
}

TEST(Profile, ReadsTheTilesThroughTheGridSampler) {
  const testing::SparseTiles tiles;
  // Line 11264 of the grid (0 .. 1/128 degree south of the equator) is the
  // first line of the tile row below it; 0..90 E is tile column 2.
  const int tile = tileNumber(2, 2);
  tiles.writeLine(tile, 0, [](int column) { return 1000 + column % 4000; });
  GridSampler sampler(tiles.str(), tiles.names());
  const ElevationProfile profile = sampleProfile(sampler, {10, -0.004}, {20, -0.004}, 300);
  for (const ProfilePoint& p : profile.points) {
    const GridIndex g = indexIn(kTileGridSpec, p.place.longitude, p.place.latitude);
    ASSERT_EQ(g.line, 11264);
    EXPECT_EQ(p.elevation, 1000 + (g.column - 2 * 11520) % 4000);
  }
}

ElevationProfile handBuilt(const std::vector<std::pair<double, int>>& points) {
  ElevationProfile profile;
  for (const auto& [distance, elevation] : points) {
    profile.points.push_back(ProfilePoint{distance, GeoPoint{}, static_cast<std::int16_t>(elevation)});
  }
  profile.length = points.empty() ? 0 : points.back().first;
  return profile;
}

TEST(ProfileSummary, FiguresCountOnlyStepsBetweenPointsWithData) {
  // 0 m, up 100 over 1000 m, a gap, down 300 then up 50; the step across
  // the gap (100 -> -200 over it) counts for nothing.
  const ElevationProfile profile =
      handBuilt({{0, 0}, {1000, 100}, {2000, kNoData}, {3000, -200}, {3100, -500}, {3600, -450}, {4000, kNoData}});
  const ProfileSummary s = summariseProfile(profile);
  ASSERT_TRUE(s.hasData);
  EXPECT_EQ(s.highest, 1u);
  EXPECT_EQ(s.lowest, 4u);
  EXPECT_DOUBLE_EQ(s.climb, 150);
  EXPECT_DOUBLE_EQ(s.descent, 300);
  EXPECT_NEAR(s.steepestDegrees, std::atan(3.0) / kRad, 1e-12);  // 300 m over 100 m
  EXPECT_EQ(s.steepestAt, 3u);

  // Ties: the first highest and lowest; a level line climbs nothing.
  const ProfileSummary level = summariseProfile(handBuilt({{0, 5}, {10, 5}, {20, 5}}));
  EXPECT_EQ(level.highest, 0u);
  EXPECT_EQ(level.lowest, 0u);
  EXPECT_EQ(level.climb + level.descent + level.steepestDegrees, 0);

  EXPECT_FALSE(summariseProfile(handBuilt({{0, kNoData}, {10, kNoData}})).hasData);
  EXPECT_FALSE(summariseProfile(ElevationProfile{}).hasData);
  // A line of length 0 has no slope, whatever its points read.
  EXPECT_EQ(summariseProfile(handBuilt({{0, 5}, {0, 90}})).steepestDegrees, 0);
}

TEST(ProfileCsv, OneLineAPointInFixedDecimals) {
  ElevationProfile profile;
  profile.points = {
      ProfilePoint{0, GeoPoint{-75.5, -8.25}, -4321},
      ProfilePoint{1234.5678, GeoPoint{179.99999949, 88.0000004}, kNoData},
      ProfilePoint{1000000, GeoPoint{-0.0000001, -0.0000004}, 21229},
  };
  EXPECT_EQ(profileCsv(profile),
            "distance_km,longitude,latitude,elevation_m\n"
            "0.000,-75.500000,-8.250000,-4321\n"
            "1.235,179.999999,88.000000,\n"
            "1000.000,0.000000,0.000000,21229\n");
  EXPECT_EQ(profileCsv(ElevationProfile{}), "distance_km,longitude,latitude,elevation_m\n");
}

}  // namespace
}  // namespace tarvelon
