// Names written on maps: which names a map shows and where (placement, no
// Qt), on simple cylindrical and projected maps, and the labels blended into
// rows and rasters (LabelOverlay).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/LabelOverlay.h"
#include "render/Projection.h"
#include "select/NameLabels.h"

namespace tarvelon {
namespace {

// Seven pixels a letter, twelve a line, whatever the style.
class FixedMeasure : public LabelMeasurer {
 public:
  double width(const std::string& name, LabelStyle, int size) const override {
    return 7.0 * double(name.size()) + size;
  }
  double height(LabelStyle, int size) const override { return 12.0 + size; }
};

NamedPlace place(const char* name, double diameterKm, double latitude, double longitude) {
  NamedPlace p;
  p.name = name;
  p.diameterKm = diameterKm;
  p.latitude = latitude;
  p.longitude = longitude;
  p.kind = placeKind(name, diameterKm);
  return p;
}

// The whole planet, 1920 x 939 pixels at step 24 as the Map Area menu draws it.
constexpr GeoTransform kPlanet{-180, 88, 24.0 / 128, 24.0 / 128};
constexpr int kPlanetWidth = 1920, kPlanetHeight = 939;

void expectWellPlaced(const std::vector<PlacedLabel>& labels, int width, int height) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const PlacedLabel& a = labels[i];
    SCOPED_TRACE(a.place->name);
    // On the map, clear of its edges.
    EXPECT_GE(a.box.x, kLabelMargin);
    EXPECT_GE(a.box.y, kLabelMargin);
    EXPECT_LE(a.box.x + a.box.width, width - kLabelMargin);
    EXPECT_LE(a.box.y + a.box.height, height - kLabelMargin);
    // Anchored on its feature: the label's middle inside the circle.
    const double dx = (a.box.centreX() - a.centreX) / a.radiusX;
    const double dy = (a.box.centreY() - a.centreY) / a.radiusY;
    EXPECT_LE(dx * dx + dy * dy, 1.0);
    for (std::size_t j = i + 1; j < labels.size(); ++j) {
      EXPECT_FALSE(a.box.overlaps(labels[j].box, kLabelMargin - 1e-9)) << labels[j].place->name;
    }
  }
}

const PlacedLabel* labelOf(const std::vector<PlacedLabel>& labels, const std::string& name) {
  for (const PlacedLabel& label : labels) {
    if (label.place->name == name) return &label;
  }
  return nullptr;
}

TEST(NameLabels, ThePlanetShowsTheGreatNamesApartAndOnTheirFeatures) {
  const FixedMeasure measure;
  const auto labels = placeNameLabels(PlaceNames::builtIn().all(), kPlanet, kPlanetWidth, kPlanetHeight, measure);
  ASSERT_GT(labels.size(), 40u);
  expectWellPlaced(labels, kPlanetWidth, kPlanetHeight);
  for (const char* name : {"Olympus Mons", "Valles Marineris", "Hellas Planitia", "Utopia Planitia", "Argyre Planitia",
                           "Tharsis Montes", "Huygens"}) {
    EXPECT_NE(labelOf(labels, name), nullptr) << name;
  }
  // The scarp around Olympus Mons is the longer, but the mountain is named
  // first, on its summit.
  const PlacedLabel* olympus = labelOf(labels, "Olympus Mons");
  const PlacedLabel* scarp = labelOf(labels, "Olympus Rupes");
  ASSERT_NE(olympus, nullptr);
  EXPECT_NEAR(olympus->box.centreX(), olympus->centreX, 1e-9);
  EXPECT_NEAR(olympus->box.centreY(), olympus->centreY, 1e-9);
  if (scarp != nullptr) {
    EXPECT_LT(olympus, scarp);
  }
  // Placed largest first: real features by size, then albedo features.
  bool albedo = false;
  for (std::size_t i = 1; i < labels.size(); ++i) {
    if (labels[i].place->isAlbedo()) albedo = true;
    if (albedo) {
      EXPECT_TRUE(labels[i].place->isAlbedo());
    } else {
      EXPECT_LE(labelSizeKm(*labels[i].place), labelSizeKm(*labels[i - 1].place));
    }
  }
  // No name whose feature is under 24 pixels.
  for (const PlacedLabel& label : labels) EXPECT_GE(labelSizeKm(*label.place) / 59.27 / kPlanet.pixelHeight, 23.9);
}

TEST(NameLabels, ASmallCraterShowsOnAZoomedMapButNotOnThePlanet) {
  const FixedMeasure measure;
  const std::vector<NamedPlace> places{place("Smallone", 20, 0.5, 10.5)};
  EXPECT_TRUE(placeNameLabels(places, kPlanet, kPlanetWidth, kPlanetHeight, measure).empty());
  // 1 degree across at 1/128 degree a pixel: 20 km is 43 pixels.
  const GeoTransform zoomed{10, 1, 1.0 / 128, 1.0 / 128};
  const auto labels = placeNameLabels(places, zoomed, 128, 128, measure);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_NEAR(labels[0].centreX, 64, 1e-9);
  EXPECT_NEAR(labels[0].centreY, 64, 1e-9);
  EXPECT_NEAR(labels[0].box.centreX(), 64, 1e-9);  // centred first
  EXPECT_EQ(labels[0].style, LabelStyle::Crater);
  // Text grows with the feature on the map.
  const GeoTransform closer{10.4, 0.6, 1.0 / 1280, 1.0 / 1280};
  const auto larger = placeNameLabels(places, closer, 256, 256, measure);
  ASSERT_EQ(larger.size(), 1u);
  EXPECT_GT(larger[0].size, labels[0].size);
}

TEST(NameLabels, TheBiggerFeatureWinsAndTheSmallerMovesOrGoes) {
  const FixedMeasure measure;
  const GeoTransform map{0, 10, 0.02, 0.02};  // 1.19 km a pixel
  // Two craters on one spot: the larger is centred, the smaller goes above.
  std::vector<NamedPlace> places{place("Minor", 60, 5, 5), place("Major", 200, 5, 5)};
  auto labels = placeNameLabels(places, map, 500, 500, measure);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].place->name, "Major");
  EXPECT_NEAR(labels[0].box.centreY(), 250, 1e-9);
  EXPECT_EQ(labels[1].place->name, "Minor");
  EXPECT_LT(labels[1].box.centreY(), 250);
  expectWellPlaced(labels, 500, 500);
  // A crater too small for any shift to clear the larger one is left out.
  places = {place("Tiny", 30, 5, 5), place("Major", 200, 5, 5)};
  labels = placeNameLabels(places, map, 500, 500, measure);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].place->name, "Major");
  // An albedo feature never takes the place of a real one, however small.
  places = {place("Albedo", 0, 5, 5), place("Small", 40, 5, 5)};
  labels = placeNameLabels(places, map, 500, 500, measure);
  ASSERT_GE(labels.size(), 1u);
  EXPECT_EQ(labels[0].place->name, "Small");
  EXPECT_NEAR(labels[0].box.centreY(), 250, 1e-9);
  // A label that would run off the map moves in or goes.
  places = {place("Edgeward", 200, 5, 0.2)};
  labels = placeNameLabels(places, map, 500, 500, measure);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_GT(labels[0].box.centreX(), labels[0].centreX);
  expectWellPlaced(labels, 500, 500);
}

TEST(NameLabels, LongitudesWrapAcross180) {
  const FixedMeasure measure;
  const std::vector<NamedPlace> places{place("Eastwest", 100, 0, -170)};
  // A map from 160 to 200 east: -170 lies at 190.
  const GeoTransform across{160, 10, 0.05, 0.05};
  auto labels = placeNameLabels(places, across, 800, 400, measure);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_NEAR(labels[0].centreX, 600, 1e-9);
  // And a feature at 170 on a map from -200 to -160.
  const std::vector<NamedPlace> west{place("Westeast", 100, 0, 170)};
  const GeoTransform before{-200, 10, 0.05, 0.05};
  labels = placeNameLabels(west, before, 800, 400, measure);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_NEAR(labels[0].centreX, 200, 1e-9);
  // Off the map either way: nothing.
  EXPECT_TRUE(placeNameLabels(places, GeoTransform{0, 10, 0.05, 0.05}, 800, 400, measure).empty());
  // Olympus Mons on a planet drawn from 0 to 360 east.
  const auto shifted = placeNameLabels(PlaceNames::builtIn().all(), GeoTransform{0, 88, 24.0 / 128, 24.0 / 128},
                                       kPlanetWidth, kPlanetHeight, measure);
  const PlacedLabel* olympus = labelOf(shifted, "Olympus Mons");
  ASSERT_NE(olympus, nullptr);
  EXPECT_NEAR(olympus->centreX, (360 - 133.8) / (24.0 / 128), 1e-6);
  expectWellPlaced(shifted, kPlanetWidth, kPlanetHeight);
}

TEST(NameLabels, KindsAreLetteredAsMapMakersDo) {
  EXPECT_EQ(labelStyleOf(place("Utopia Planitia", 3300, 0, 0)), LabelStyle::Region);
  EXPECT_EQ(labelStyleOf(place("Syrtis Major", 0, 0, 0)), LabelStyle::Region);
  EXPECT_EQ(labelStyleOf(place("Olympus Mons", 600, 0, 0)), LabelStyle::Relief);
  EXPECT_EQ(labelStyleOf(place("Tharsis Montes", 2000, 0, 0)), LabelStyle::Relief);
  EXPECT_EQ(labelStyleOf(place("Apollinaris Patera", 200, 0, 0)), LabelStyle::Relief);
  EXPECT_EQ(labelStyleOf(place("Valles Marineris", 3700, 0, 0)), LabelStyle::Channel);
  EXPECT_EQ(labelStyleOf(place("Coprates Chasma", 900, 0, 0)), LabelStyle::Channel);
  EXPECT_EQ(labelStyleOf(place("Gale", 154, 0, 0)), LabelStyle::Crater);
  EXPECT_EQ(labelStyleOf(place("Olympus Rupes", 1900, 0, 0)), LabelStyle::Other);
  EXPECT_NEAR(labelSizeKm(place("Olympus Rupes", 1900, 0, 0)), 1900 * kLesserKindShare, 1e-9);
  EXPECT_EQ(labelSizeKm(place("Gale", 154, 0, 0)), 154);
  EXPECT_EQ(labelSizeKm(place("Syrtis Major", 0, 0, 0)), kAlbedoDiameterKm);
}

// Every label of a projected map lies wholly over the part of the planet
// the map shows.
void expectOverThePartShown(const std::vector<PlacedLabel>& labels, const ProjectedFrame& frame) {
  for (const PlacedLabel& label : labels) {
    for (const double u : {0.0, 1.0}) {
      for (const double v : {0.0, 1.0}) {
        EXPECT_TRUE(frame.pointAt(label.box.x + u * label.box.width, label.box.y + v * label.box.height))
            << label.place->name;
      }
    }
  }
}

TEST(NameLabels, APolarMapNamesEachFeatureWhereTheProjectionPutsIt) {
  const FixedMeasure measure;
  // North of 60 degrees, 3 km a pixel: a disc 1214 pixels across in its square.
  const ProjectedFrame frame = polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 3000);
  const auto labels = placeNameLabels(PlaceNames::builtIn().all(), frame, measure);
  ASSERT_GT(labels.size(), 15u);
  expectWellPlaced(labels, frame.width, frame.height);
  expectOverThePartShown(labels, frame);
  for (const PlacedLabel& label : labels) {
    SCOPED_TRACE(label.place->name);
    const auto at = frame.pixelOf(label.place->longitude, label.place->latitude);
    ASSERT_TRUE(at);
    EXPECT_NEAR(label.centreX, at->first, 1e-6);
    EXPECT_NEAR(label.centreY, at->second, 1e-6);
    EXPECT_GE(label.place->latitude, 60);
    // Conformal: the circle stays round, grown by the scale at its latitude.
    const double km = label.place->isAlbedo() ? kAlbedoDiameterKm : label.place->diameterKm;
    const double scale = projectionScale(frame.projection, label.place->latitude);
    EXPECT_NEAR(label.radiusX, km / 2 * scale * 1000 / 3000, 1e-6);
    EXPECT_NEAR(label.radiusY, label.radiusX, 1e-9);
  }
  // Lomonosov (65 N, 9 W), 130 km across, is 46 pixels there: it is named,
  // below the pole, as the 0 meridian runs down the map.
  const PlacedLabel* lomonosov = labelOf(labels, "Lomonosov");
  ASSERT_NE(lomonosov, nullptr);
  EXPECT_GT(lomonosov->centreY, frame.height / 2.0);

  // A crater in the square's corner, south of the 60th parallel, lies off
  // the part shown: it is not named.
  const auto corner = frame.pointAt(20, 20);
  EXPECT_FALSE(corner);
  const double cornerMetres = std::hypot(frame.west + 20 * 3000.0, frame.north - 20 * 3000.0);
  // Its latitude from its distance to the pole (2 R tan(45 - lat / 2)).
  const double latitude = 90 - 2 * std::atan(cornerMetres / (2 * 3396190.0)) * 180 / 3.14159265358979323846;
  ASSERT_LT(latitude, 60);
  const double longitude = std::atan2(frame.west + 20 * 3000.0, -(frame.north - 20 * 3000.0)) * 180 / 3.14159265358979323846;
  const std::vector<NamedPlace> outside{place("Cornerward", 400, latitude, longitude)};
  FeatureOnMap shown;
  EXPECT_FALSE(featureOnMap(outside[0], frame, shown));
  EXPECT_TRUE(placeNameLabels(outside, frame, measure).empty());
  // The same crater just inside the 60th parallel is named.
  const std::vector<NamedPlace> inside{place("Innerward", 400, 61, longitude)};
  ASSERT_EQ(placeNameLabels(inside, frame, measure).size(), 1u);
}

TEST(NameLabels, TheGlobeNamesOnlyItsNearSideForeshortenedTowardsTheRim) {
  const FixedMeasure measure;
  const ProjectedFrame frame = globeFrame(GeoPoint{70, -40}, 1000);
  const auto labels = placeNameLabels(PlaceNames::builtIn().all(), frame, measure);
  ASSERT_GT(labels.size(), 30u);
  expectWellPlaced(labels, frame.width, frame.height);
  expectOverThePartShown(labels, frame);
  const double radian = 3.14159265358979323846 / 180;
  for (const PlacedLabel& label : labels) {
    // On the near side: within 90 degrees of the centre.
    const double cosC = std::sin(-40 * radian) * std::sin(label.place->latitude * radian) +
                        std::cos(-40 * radian) * std::cos(label.place->latitude * radian) *
                            std::cos((label.place->longitude - 70) * radian);
    EXPECT_GT(cosC, 0) << label.place->name;
  }
  EXPECT_NE(labelOf(labels, "Hellas Planitia"), nullptr);
  // Olympus Mons and Tharsis lie on the far side.
  EXPECT_EQ(labelOf(labels, "Olympus Mons"), nullptr);
  EXPECT_EQ(labelOf(labels, "Tharsis Montes"), nullptr);
  FeatureOnMap shown;
  EXPECT_FALSE(featureOnMap(place("Farside", 500, 40, -110), frame, shown));

  // A crater 70 degrees north of the centre, on its meridian, lies straight
  // up the disc from the centre: its circle keeps its width but is
  // foreshortened by cos 70 up and down.
  const std::vector<NamedPlace> high{place("Highward", 600, 30, 70)};
  ASSERT_TRUE(featureOnMap(high[0], frame, shown));
  const double across = 300 * 1000 / frame.pixelSize;  // 600 km across at a point scale of 1
  EXPECT_NEAR(shown.radiusX, across, 1e-6);
  EXPECT_NEAR(shown.radiusY, across * std::cos(70 * radian), 1e-6);
  EXPECT_NEAR(shown.diameterPixels, 2 * across, 1e-6);
  EXPECT_NEAR(shown.centreX, 500, 1e-6);
  EXPECT_LT(shown.centreY, 500 - 0.9 * 500 * std::sin(70 * radian));
  const auto placed = placeNameLabels(high, frame, measure);
  ASSERT_EQ(placed.size(), 1u);
  expectWellPlaced(placed, frame.width, frame.height);
  // At the centre the circle is round.
  ASSERT_TRUE(featureOnMap(place("Middle", 600, -40, 70), frame, shown));
  EXPECT_NEAR(shown.radiusX, shown.radiusY, 1e-9);
  EXPECT_NEAR(shown.radiusX, across, 1e-6);
}

TEST(NameLabels, AMapsGeometryPlacesAsItsTransformOrItsProjectionDoes) {
  const FixedMeasure measure;
  const std::span<const NamedPlace> all = PlaceNames::builtIn().all();
  auto same = [](const std::vector<PlacedLabel>& a, const std::vector<PlacedLabel>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i].place != b[i].place || a[i].box.x != b[i].box.x || a[i].box.y != b[i].box.y) return false;
    }
    return true;
  };
  // Simple cylindrical: exactly as by the georeference.
  const MapGeometry window = MapGeometry::ofWindow(GridWindow{0, 0, 1920, 939, 24, 1});
  EXPECT_TRUE(same(placeNameLabels(all, window, measure),
                   placeNameLabels(all, window.transform(), window.width(), window.height(), measure)));
  // Projected: by the frame, not by the transform in metres.
  const ProjectedFrame frame = polarFrame(ProjectionKind::SouthPolar, GeoBounds{-180, 180, -60, -90}, 4000);
  const auto projected = placeNameLabels(all, MapGeometry::ofProjection(frame), measure);
  EXPECT_FALSE(projected.empty());
  EXPECT_TRUE(same(projected, placeNameLabels(all, frame, measure)));
  for (const PlacedLabel& label : projected) EXPECT_LE(label.place->latitude, -60) << label.place->name;
}

// A sprite of one colour and alpha, premultiplied.
LabelSprite solid(int x, int y, int width, int height, std::uint8_t grey, std::uint8_t alpha) {
  LabelSprite sprite{x, y, width, height, {}};
  const auto value = static_cast<std::uint8_t>((grey * alpha + 127) / 255);
  for (int i = 0; i < width * height; ++i) sprite.pixels.insert(sprite.pixels.end(), {value, value, value, alpha});
  return sprite;
}

TEST(LabelOverlay, BlendsOverTheRowClipsAtTheEdgesAndMarksTheMask) {
  std::vector<LabelSprite> sprites;
  sprites.push_back(solid(-2, 1, 4, 2, 255, 255));   // opaque white, hangs off the left
  sprites.push_back(solid(6, 0, 4, 3, 0, 100));      // faint black, hangs off the right
  const LabelOverlay overlay(std::move(sprites));
  const int width = 8;
  std::vector<std::uint8_t> row(width * 3, 200), mask(width, 0);
  overlay.blendRow(2, row.data(), mask.data(), width);
  // Opaque white over columns 0 and 1; the mask shows them.
  EXPECT_EQ(row[0], 255);
  EXPECT_EQ(row[1 * 3 + 2], 255);
  EXPECT_EQ(mask[0], 255);
  EXPECT_EQ(mask[1], 255);
  // Untouched between the labels.
  for (int x = 2; x < 6; ++x) {
    EXPECT_EQ(row[x * 3], 200);
    EXPECT_EQ(mask[x], 0);
  }
  // 200 under black at alpha 100: 200 * 155 / 255 = 121.6; too faint to
  // mark the mask.
  EXPECT_EQ(row[6 * 3], 122);
  EXPECT_EQ(row[7 * 3 + 1], 122);
  EXPECT_EQ(mask[7], 0);
  // A row no label covers is left as it was.
  std::vector<std::uint8_t> below(width * 3, 200);
  overlay.blendRow(3, below.data(), nullptr, width);
  EXPECT_EQ(below, std::vector<std::uint8_t>(width * 3, 200));
  EXPECT_TRUE(LabelOverlay().empty());
}

// Hands rows to a raster as a map file would, asking for the mask only on
// even rows, as a renderer may.
class RasterSink : public RowSink {
 public:
  explicit RasterSink(Raster& raster) : raster_(raster) {}
  Content content() const override { return Content::Colour; }
  std::uint8_t* rowBuffer(int y) override { return raster_.row(y); }
  std::uint8_t* maskBuffer(int y) override { return raster_.maskRow(y); }
  void rowDone(int y) override { done.push_back(y); }
  std::vector<int> done;

 private:
  Raster& raster_;
};

TEST(LabelOverlay, RowsLabelledAsTheyStreamEqualTheWholeRasterLabelled) {
  std::vector<LabelSprite> sprites;
  for (int i = 0; i < 12; ++i) {
    sprites.push_back(solid(i * 7 - 5, (i * 13) % 40 - 4, 9 + i % 4, 6 + i % 3, std::uint8_t(i * 20),
                            std::uint8_t(60 + i * 16)));
  }
  const LabelOverlay overlay(std::move(sprites));
  const int width = 64, height = 40;
  Raster map(width, height);
  for (std::size_t i = 0; i < map.pixels.size(); ++i) map.pixels[i] = std::uint8_t(i * 7);
  for (int y = 0; y < height; ++y) std::fill_n(map.maskRow(y), width, y % 3 == 0 ? 0 : 255);

  Raster whole = map;
  overlay.blendRaster(whole);
  EXPECT_NE(whole.pixels, map.pixels);

  Raster streamed = map;
  RasterSink file(streamed);
  LabelledRows labelled(file, overlay, width);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* bgr = labelled.rowBuffer(y);
    std::copy_n(map.row(y), map.rowBytes(), bgr);
    if (y % 2 == 0) labelled.maskBuffer(y);
    labelled.rowDone(y);
  }
  EXPECT_EQ(file.done.size(), std::size_t(height));
  EXPECT_EQ(streamed.pixels, whole.pixels);
  EXPECT_EQ(streamed.mask, whole.mask);
  EXPECT_NE(whole.mask, map.mask);  // opaque labels over rows with no data show
}

}  // namespace
}  // namespace tarvelon
