// Projected maps: PROJ's arithmetic against the sphere's own formulas, the
// frames of polar and globe maps, the pixel locator against PROJ at every
// pixel (the pole, the 180 degree meridian, the globe's rim), the sample
// each pixel of a drawn map shows, and the CRS the maps carry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dem/GridSampler.h"
#include "render/Hillshade.h"
#include "render/ProjectedMap.h"
#include "render/Projection.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180;

// A small grid whose every sample differs from its neighbours: 2 a degree,
// from 180 W and 88 N, as the tiles' grid is laid out.
class PatternGrid final : public ElevationSource {
 public:
  GridSpec grid() const override { return GridSpec{720, 352, 2, -180.0, 88.0, kMarsSphereCrs}; }
  static std::int16_t value(std::int64_t column, int line) {
    return static_cast<std::int16_t>((line * 37 + column * 11) % 20000 - 8000);
  }
  void block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step, std::int16_t* out) override {
    for (int r = 0; r < lines; ++r) {
      for (int c = 0; c < columns; ++c) {
        const int line = firstLine + r * step;
        out[r * columns + c] =
            line < 0 || line >= 352 ? kNoData : value(wrapColumn(firstColumn + std::int64_t(c) * step), line);
      }
    }
  }
  void gather(const GridIndex* indices, int count, std::int16_t* out) override {
    for (int i = 0; i < count; ++i) {
      const GridIndex& g = indices[i];
      out[i] = g.line < 0 || g.line >= 352 ? kNoData : value(wrapColumn(g.column), g.line);
    }
  }
};

// Rows of elevations, kept.
class ElevationRows : public RowSink {
 public:
  ElevationRows(int width, int height) : width_(width), pixels(std::size_t(width) * height) {}
  Content content() const override { return Content::Elevation; }
  std::uint8_t* rowBuffer(int y) override {
    return reinterpret_cast<std::uint8_t*>(pixels.data() + std::size_t(y) * width_);
  }
  void rowDone(int) override { ++rows; }
  std::int16_t at(int x, int y) const { return pixels[std::size_t(y) * width_ + x]; }

  int width_;
  std::vector<std::int16_t> pixels;
  int rows = 0;
};

// North polar stereographic, true at the pole, by its textbook formula.
void stereographicNorth(double lon, double lat, double lon0, double& x, double& y) {
  const double r = 2 * kMarsRadius * std::tan((45 - lat / 2) * kRad);
  x = r * std::sin((lon - lon0) * kRad);
  y = -r * std::cos((lon - lon0) * kRad);
}

// The exact point at each pixel centre of a frame, by PROJ, one at a time.
std::vector<GeoPoint> exactCentres(const ProjectedFrame& frame, int y) {
  const Projector projector(frame.projection);
  std::vector<GeoPoint> points;
  for (int x = 0; x < frame.width; ++x) {
    double px = frame.centreX(x), py = frame.centreY(y);
    projector.inverse(&px, &py, 1);
    points.push_back(GeoPoint{px, py});
  }
  return points;
}

double groundMetres(double lon1, double lat1, double lon2, double lat2) {
  double dLon = std::fmod(lon2 - lon1 + 540, 360) - 180;
  const double east = dLon * kRad * std::cos((lat1 + lat2) / 2 * kRad);
  const double north = (lat2 - lat1) * kRad;
  return kMarsRadius * std::sqrt(east * east + north * north);
}

TEST(Projection, ProjFollowsTheSphereAndComesBack) {
  const Projector north({ProjectionKind::NorthPolar, 30, 90});
  const Projector south({ProjectionKind::SouthPolar, 0, -90});
  const Projector globe({ProjectionKind::Globe, 70, -40});
  for (const double lat : {89.999, 88.0, 75.5, 60.0, 10.0}) {
    for (const double lon : {-179.99, -120.0, 0.0, 30.0, 179.99}) {
      double x = lon, y = lat;
      north.forward(&x, &y, 1);
      double wantX = 0, wantY = 0;
      stereographicNorth(lon, lat, 30, wantX, wantY);
      EXPECT_NEAR(x, wantX, 1e-4) << lon << ", " << lat;
      EXPECT_NEAR(y, wantY, 1e-4) << lon << ", " << lat;
      north.inverse(&x, &y, 1);
      EXPECT_NEAR(y, lat, 1e-9);
      EXPECT_NEAR(std::fmod(x - lon + 540, 360) - 180, 0, 1e-9);

      // The south pole's map is the north's mirrored.
      double sx = lon, sy = -lat;
      south.forward(&sx, &sy, 1);
      stereographicNorth(lon, lat, 0, wantX, wantY);
      EXPECT_NEAR(sx, wantX, 1e-4);
      EXPECT_NEAR(sy, -wantY, 1e-4);
    }
  }
  // The pole itself, and the scale there and at 60 degrees.
  double x = 123, y = 90;
  north.forward(&x, &y, 1);
  EXPECT_NEAR(x, 0, 1e-6);
  EXPECT_NEAR(y, 0, 1e-6);
  EXPECT_DOUBLE_EQ(projectionScale({ProjectionKind::NorthPolar}, 90), 1.0);
  EXPECT_NEAR(projectionScale({ProjectionKind::NorthPolar}, 60), 2 / (1 + std::sqrt(3) / 2), 1e-12);

  // The globe: its centre at the origin, the far side not shown, a point
  // past its rim off the planet, a point just inside it back where it was.
  double cx = 70, cy = -40;
  globe.forward(&cx, &cy, 1);
  EXPECT_NEAR(cx, 0, 1e-6);
  EXPECT_NEAR(cy, 0, 1e-6);
  double fx = 70 + 180, fy = 40;
  globe.forward(&fx, &fy, 1);
  EXPECT_TRUE(std::isnan(fx) && std::isnan(fy));
  double ox = kMarsRadius * 1.001, oy = 0;
  globe.inverse(&ox, &oy, 1);
  EXPECT_TRUE(std::isnan(ox) && std::isnan(oy));
  double rx = kMarsRadius * 0.999, ry = 0;
  globe.inverse(&rx, &ry, 1);
  double bx = rx, by = ry;
  globe.forward(&bx, &by, 1);
  EXPECT_NEAR(bx, kMarsRadius * 0.999, 1e-3);
  EXPECT_NEAR(by, 0, 1e-3);
}

TEST(Projection, FramesHoldTheirAreaAndNameTheirCrs) {
  // The north polar cap from 60 N: square, the pole in its middle, the 60th
  // parallel touching its edges.
  const GeoBounds cap{-180, 180, 90, 60};
  const double pixel = kMetresPerDegree / kSamplesPerDegree;
  const ProjectedFrame frame = polarFrame(ProjectionKind::NorthPolar, cap, pixel);
  const double r60 = 2 * kMarsRadius * std::tan(15 * kRad);
  EXPECT_EQ(frame.width, frame.height);
  EXPECT_EQ(frame.width, static_cast<int>(std::ceil(2 * r60 / pixel - 1e-6)));
  EXPECT_NEAR(frame.west + frame.width * pixel / 2, 0, 1e-6);
  EXPECT_NEAR(frame.pointAt(frame.width / 2.0, frame.height / 2.0)->latitude, 90, 1e-9);
  EXPECT_NEAR(frame.kilometresPerPixelAtCentre(), pixel / 1000, 1e-9);
  // The corners lie outside the cap; the middle of the top edge on its rim.
  EXPECT_FALSE(frame.pointAt(0.5, 0.5));
  ASSERT_TRUE(frame.pointAt(frame.width / 2.0, 0.5));
  EXPECT_NEAR(frame.pointAt(frame.width / 2.0, 0.5)->latitude, 60, 0.01);
  const auto top = frame.pixelOf(180, 60.5);
  ASSERT_TRUE(top);
  EXPECT_NEAR(top->first, frame.width / 2.0, 1e-6);
  EXPECT_GT(top->second, 0);

  // An area across 180 degrees, south of 70 S: its bounds go on past 180.
  const GeoBounds across{170, 200, -70, -85};
  EXPECT_TRUE(across.contains(-175, -80));
  EXPECT_TRUE(across.contains(185, -80));
  EXPECT_FALSE(across.contains(-150, -80));
  EXPECT_FALSE(across.contains(175, -60));
  const ProjectedFrame south = polarFrame(ProjectionKind::SouthPolar, across, 20000);
  EXPECT_TRUE(south.pointAt(south.width / 2.0, south.height / 2.0));

  EXPECT_EQ(projectionProblem(ProjectionKind::NorthPolar, GeoBounds{0, 10, 10, -5}),
            "a north polar map shows places north of the equator; this area reaches 5°S");
  EXPECT_EQ(projectionProblem(ProjectionKind::SouthPolar, across), "");
  EXPECT_EQ(automaticProjection(cap), ProjectionKind::NorthPolar);
  EXPECT_EQ(automaticProjection(across), ProjectionKind::SouthPolar);
  EXPECT_EQ(automaticProjection(GeoBounds{-180, 180, 88, 59}), ProjectionKind::Equirectangular);

  // A frame round a place: its middle pixel's centre on the place.
  const ProjectedFrame around = polarFrameAround(ProjectionKind::SouthPolar, GeoPoint{-170, -72.5}, 50000, 30000, 463);
  EXPECT_EQ(around.width % 2, 1);
  EXPECT_GE(around.width * 463.0, 50000);
  const auto middle = around.pointAt(around.width / 2 + 0.5, around.height / 2 + 0.5);
  ASSERT_TRUE(middle);
  EXPECT_NEAR(middle->longitude, -170, 1e-9);
  EXPECT_NEAR(middle->latitude, -72.5, 1e-9);

  const ProjectedFrame globe = globeFrame(GeoPoint{250, -40}, 512);
  EXPECT_EQ(globe.projection.centreLongitude, -110);
  EXPECT_NEAR(globe.pointAt(256, 256)->latitude, -40, 1e-9);
  EXPECT_FALSE(globe.pointAt(1, 1));
  EXPECT_EQ(projectionName(globe.projection), "orthographic (globe) centred on 110°W, 40°S");
  EXPECT_EQ(projString(frame.projection),
            "+proj=stere +lat_0=90 +lon_0=0 +k=1 +x_0=0 +y_0=0 +R=3396190 +units=m +no_defs");

  // The CRS names the projection on the Mars 2000 sphere, as GDAL reads it.
  const std::string esri = projectedCrsWkt(frame.projection, true);
  EXPECT_NE(esri.find("Stereographic"), std::string::npos) << esri;
  EXPECT_NE(esri.find("Mars_2000"), std::string::npos) << esri;
  EXPECT_NE(esri.find("3396190"), std::string::npos) << esri;
  const std::string wkt2 = projectedCrsWkt(globe.projection, false);
  EXPECT_NE(wkt2.find("Orthographic"), std::string::npos) << wkt2;
  EXPECT_NE(wkt2.find("-110"), std::string::npos) << wkt2;
}

// Metres from a point to the nearest edge of the bounds, along the ground.
double metresToBoundsEdge(const GeoBounds& b, double lon, double lat) {
  double d = std::min(std::fabs(lat - b.north), std::fabs(lat - b.south)) * kMetresPerDegree;
  if (!b.wholeRound()) {
    for (const double edge : {b.west, b.east}) {
      const double dLon = std::fabs(std::fmod(lon - edge + 540, 360) - 180);
      d = std::min(d, dLon * kMetresPerDegree * std::cos(lat * kRad));
    }
  }
  return d;
}

// Rows of a frame, every rowStep-th and the row above the middle: each
// located point projects back within a tenth of a pixel of its pixel's
// centre, and its sample is the one holding PROJ's point unless a sample's
// edge runs between the two.
void expectLocatedAsProj(const ProjectedFrame& frame, const GridSpec& grid, int rowStep, int& interpolated,
                         int& exact) {
  PixelLocator locator(frame, grid);
  const Projector projector(frame.projection);
  const double sampleMetres = kMetresPerDegree / grid.perDegree;
  std::vector<double> lon(std::size_t(frame.width)), lat(lon.size());
  std::vector<GridIndex> indices(lon.size());
  int wrong = 0;
  for (int y = 0; y < frame.height; y += (y == frame.height / 2 - 1 ? 1 : rowStep)) {
    locator.points(y, lon.data(), lat.data());
    locator.locate(y, indices.data());
    const std::vector<GeoPoint> want = exactCentres(frame, y);
    for (int x = 0; x < frame.width; ++x) {
      const GeoPoint& w = want[std::size_t(x)];
      const bool shown = !std::isnan(w.longitude) && frame.bounds.contains(w.longitude, w.latitude);
      const bool located = !std::isnan(lon[x]);
      if (shown != located) {
        // Only by the bounds' edge.
        if ((std::isnan(w.longitude) || metresToBoundsEdge(frame.bounds, w.longitude, w.latitude) > frame.pixelSize) &&
            ++wrong < 5) {
          ADD_FAILURE() << (shown ? "shown but not located: " : "located but not shown: ") << x << ", " << y;
        }
        continue;
      }
      if (!shown) continue;
      double px = lon[x], py = lat[x];
      projector.forward(&px, &py, 1);
      const double planeError = std::hypot(px - frame.centreX(x), py - frame.centreY(y));
      if (!(planeError <= 0.1 * frame.pixelSize) && ++wrong < 5) {
        ADD_FAILURE() << "pixel " << x << ", " << y << " is " << planeError / frame.pixelSize << " px from PROJ";
      }
      const GridIndex exactIndex = indexIn(grid, w.longitude, w.latitude);
      if (!(indices[std::size_t(x)] == exactIndex)) {
        // Only where a sample's edge runs between PROJ's point and ours.
        const double ground = groundMetres(w.longitude, w.latitude, lon[x], lat[x]) + 1e-6;
        const double column = std::fmod((w.longitude - grid.west) * grid.perDegree + 3600 * grid.perDegree, 1.0);
        const double line = std::fmod((grid.north - w.latitude) * grid.perDegree, 1.0);
        const double columnMetres = sampleMetres * std::cos(w.latitude * kRad);
        const bool nearEdge = std::min(column, 1 - column) * columnMetres <= ground ||
                              std::min(line, 1 - line) * sampleMetres <= ground;
        if (!nearEdge && ++wrong < 5) ADD_FAILURE() << "pixel " << x << ", " << y << " took another sample";
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  interpolated = static_cast<int>(locator.interpolatedBlocks());
  exact = static_cast<int>(locator.exactBlocks());
}

TEST(Projection, TheLocatorKeepsToProjAtThePoleTheMeridianAndTheRim) {
  const GridSpec grid = PatternGrid().grid();
  const double sample = kMetresPerDegree / kSamplesPerDegree;
  int interpolated = 0, exact = 0;
  // The cap round the pole at full resolution: projected exactly about the
  // pole, interpolated further out. Every sixteenth row, and the two rows
  // by the pole.
  expectLocatedAsProj(polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 85}, sample), grid, 16,
                      interpolated, exact);
  EXPECT_GT(interpolated, 0);
  EXPECT_GT(exact, 0);
  // South of 60 S across the 180 degree meridian, the pole off the map.
  expectLocatedAsProj(polarFrame(ProjectionKind::SouthPolar, GeoBounds{150, 215, -60, -80}, 2000, 180), grid, 9,
                      interpolated, exact);
  EXPECT_GT(interpolated, 0);
  // A globe: exact at the rim, interpolated inside.
  expectLocatedAsProj(globeFrame(GeoPoint{175, 30}, 1024), grid, 8, interpolated, exact);
  EXPECT_GT(interpolated, 0);
  EXPECT_GT(exact, 0);
}

TEST(Projection, EachPixelShowsTheSampleUnderItsCentre) {
  PatternGrid source;
  const GridSpec grid = source.grid();
  for (const ProjectedFrame& frame : {polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 65}, 15000),
                                      globeFrame(GeoPoint{-100, 20}, 160)}) {
    ElevationRows rows(frame.width, frame.height);
    SampledRange range;
    ASSERT_TRUE(drawProjectedRows(ProjectedMapRequest{frame, Colouring{}}, source, rows, nullptr, &range));
    EXPECT_EQ(rows.rows, frame.height);
    PixelLocator locator(frame, grid);
    std::vector<GridIndex> indices(std::size_t(frame.width));
    int shown = 0, lowest = 100000, highest = -100000;
    for (int y = 0; y < frame.height; ++y) {
      locator.locate(y, indices.data());
      for (int x = 0; x < frame.width; ++x) {
        const GridIndex& index = indices[std::size_t(x)];
        const bool onGrid = index.line >= 0 && index.line < grid.lines;
        const std::int16_t want = onGrid ? PatternGrid::value(index.column, index.line) : RowSink::kNoElevation;
        ASSERT_EQ(rows.at(x, y), want) << x << ", " << y;
        if (onGrid) {
          ++shown;
          lowest = std::min<int>(lowest, want);
          highest = std::max<int>(highest, want);
        }
      }
    }
    EXPECT_GT(shown, frame.width * frame.height / 2);
    EXPECT_TRUE(range.counted);
    EXPECT_EQ(range.lowest, lowest);
    EXPECT_EQ(range.highest, highest);
  }
  // The globe's corners lie off the planet; the cap's lines past 88 N too.
  ElevationRows rows(160, 160);
  drawProjectedRows(ProjectedMapRequest{globeFrame(GeoPoint{0, 0}, 160), Colouring{}}, source, rows, nullptr);
  EXPECT_EQ(rows.at(0, 0), RowSink::kNoElevation);
  EXPECT_NE(rows.at(80, 80), RowSink::kNoElevation);
  // In colour, a pixel with no sample is white paper, masked out, not the
  // colour of the sample before it.
  const Raster raster = drawProjectedMap(ProjectedMapRequest{globeFrame(GeoPoint{0, 0}, 160), Colouring{}}, source,
                                         nullptr);
  ASSERT_EQ(raster.width, 160);
  for (const int x : {0, 20, 159}) {
    const std::uint8_t* top = raster.row(0) + 3 * x;
    EXPECT_EQ(top[0] & top[1] & top[2], 255) << x;
    EXPECT_EQ(raster.maskRow(0)[x], 0) << x;
  }
  EXPECT_EQ(raster.maskRow(80)[80], 255);
}

// The tiles read through both ways of gathering give the samples the
// blocks give, across the joins of tiles.
TEST(Projection, BothWaysOfGatheringReadTheSameSamples) {
  testing::SparseTiles tiles;
  auto value = [](int tile, int line, int column) { return (tile * 131 + line * 17 + column * 3) % 3000 - 1000; };
  for (const int tile : {0, 1, 4, 5}) {
    for (const int line : {0, 1, 2, 5629, 5630, 5631}) {
      tiles.writeLine(tile, line, [&](int column) { return value(tile, line, column); });
    }
  }
  GridSampler sampler(tiles.str(), tiles.names());
  std::vector<GridIndex> indices;
  for (const int line : {0, 1, 2, 5629, 5630, 5631, 5632, 5633, 5634, 11263, -1, 22528}) {
    for (const std::int64_t column : {0LL, 1LL, 239LL, 240LL, 11519LL, 11520LL, 23039LL, 46079LL, -1LL, 46080LL}) {
      indices.push_back(GridIndex{column, line});
    }
  }
  // Several times over, so that pieces are found in the cache as well.
  std::vector<GridIndex> many;
  for (int round = 0; round < 3; ++round) many.insert(many.end(), indices.rbegin(), indices.rend());
  std::vector<std::int16_t> want(many.size());
  for (std::size_t i = 0; i < many.size(); ++i) sampler.block(many[i].column, many[i].line, 1, 1, 1, &want[i]);
  for (const double spacing : {1.0, 7.0}) {
    GridSampler fresh(tiles.str(), tiles.names());
    fresh.setGatherSpacing(spacing);
    std::vector<std::int16_t> got(many.size(), 7);
    fresh.gather(many.data(), static_cast<int>(many.size()), got.data());
    EXPECT_EQ(got, want) << "spacing " << spacing;
  }
}

}  // namespace
}  // namespace tarvelon
