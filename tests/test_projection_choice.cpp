// What Topography > Projection makes of a map: which areas a polar
// projection applies to, the frame's pixel size and the globe's centre,
// what the user is told when the projection does not apply, and the map
// title that says the projection.
#include <gtest/gtest.h>

#include <cmath>

#include "app/ProjectionChoice.h"
#include "render/Hillshade.h"

namespace tarvelon {
namespace {

using Kind = ProjectionKind;

const char* const kNorthNote =
    "North Polar Stereographic applies to areas north of 60\xC2\xB0N: this map is drawn in simple cylindrical "
    "projection.";
const char* const kSouthNote =
    "South Polar Stereographic applies to areas south of 60\xC2\xB0S: this map is drawn in simple cylindrical "
    "projection.";

TEST(ProjectionChoice, APolarProjectionAppliesOnlyToAreasWhollyBeyondSixtyDegreesOnItsSide) {
  const GeoBounds northCap{-180, 180, 90, 60};
  const GeoBounds southCap{-180, 180, -60, -90};
  const GeoBounds acidalia{-60, -10, 70, 59};  // one degree short
  const GeoBounds equator{-10, 10, 5, -5};

  const ProjectedView north = projectedView(Kind::NorthPolar, northCap, 24, 600);
  ASSERT_TRUE(north.frame);
  EXPECT_EQ(north.note, "");
  EXPECT_EQ(north.frame->projection.kind, Kind::NorthPolar);
  EXPECT_EQ(north.frame->bounds, northCap);
  const ProjectedView south = projectedView(Kind::SouthPolar, southCap, 24, 600);
  ASSERT_TRUE(south.frame);
  EXPECT_EQ(south.frame->projection.kind, Kind::SouthPolar);

  // The edge at 60 degrees itself is poleward enough.
  EXPECT_TRUE(projectedView(Kind::NorthPolar, GeoBounds{0, 30, 80, 60}, 8, 600).frame);
  EXPECT_TRUE(projectedView(Kind::SouthPolar, GeoBounds{0, 30, -60, -80}, 8, 600).frame);

  for (const GeoBounds& area : {acidalia, equator, southCap}) {
    const ProjectedView view = projectedView(Kind::NorthPolar, area, 8, 600);
    EXPECT_FALSE(view.frame);
    EXPECT_EQ(view.note, kNorthNote);
  }
  for (const GeoBounds& area : {GeoBounds{0, 10, -59, -70}, equator, northCap}) {
    const ProjectedView view = projectedView(Kind::SouthPolar, area, 8, 600);
    EXPECT_FALSE(view.frame);
    EXPECT_EQ(view.note, kSouthNote);
  }
  // Simple cylindrical is every map as it always was: no frame, nothing said.
  for (const GeoBounds& area : {northCap, equator}) {
    const ProjectedView view = projectedView(Kind::Equirectangular, area, 8, 600);
    EXPECT_FALSE(view.frame);
    EXPECT_EQ(view.note, "");
  }
}

TEST(ProjectionChoice, APolarMapsPixelsSpanTheGroundOfTheStepAndItsCentreIsThePole) {
  for (const int step : {1, 4, 24}) {
    const ProjectedView view = projectedView(Kind::NorthPolar, GeoBounds{-180, 180, 90, 60}, step, 600);
    ASSERT_TRUE(view.frame);
    const ProjectedFrame& frame = *view.frame;
    EXPECT_NEAR(frame.pixelSize, step * 463.0835, 0.001 * step);
    EXPECT_DOUBLE_EQ(frame.pixelSize, step * kMetresPerDegree / 128);
    // The cap is a disc 2 x 2R tan 15 degrees across, just held.
    const double across = 4 * kMarsRadius * std::tan(15 * std::acos(-1.0) / 180);
    EXPECT_EQ(frame.width, frame.height);
    EXPECT_GE(frame.width * frame.pixelSize, across - 1e-3);
    EXPECT_LT((frame.width - 1) * frame.pixelSize, across);
    const std::optional<GeoPoint> centre = frame.centre();
    ASSERT_TRUE(centre);
    EXPECT_NEAR(centre->latitude, 90, 1e-6);
  }
  // A latitude asked past the pole is the pole, and so is the tiles' edge
  // at 88 degrees, to which every area is cut: the pole is on the map.
  for (const double north : {95.0, 90.0, 88.0}) {
    const ProjectedView cap = projectedView(Kind::NorthPolar, GeoBounds{-180, 180, north, 70}, 8, 600);
    ASSERT_TRUE(cap.frame);
    EXPECT_EQ(cap.frame->bounds.north, 90);
    EXPECT_TRUE(cap.frame->pointAt(cap.frame->width / 2.0, cap.frame->height / 2.0));
  }
  const ProjectedView south = projectedView(Kind::SouthPolar, GeoBounds{-40, 70, -76, -88}, 8, 600);
  ASSERT_TRUE(south.frame);
  EXPECT_EQ(south.frame->bounds, (GeoBounds{-40, 70, -76, -90}));
  // Short of it, the area stays as it is.
  const ProjectedView ring = projectedView(Kind::NorthPolar, GeoBounds{-180, 180, 87.5, 70}, 8, 600);
  ASSERT_TRUE(ring.frame);
  EXPECT_EQ(ring.frame->bounds.north, 87.5);
  EXPECT_FALSE(ring.frame->pointAt(ring.frame->width / 2.0, ring.frame->height / 2.0));
}

TEST(ProjectionChoice, TheGlobeIsCentredOnTheAreaAtTheSizeGivenWhateverTheArea) {
  const ProjectedView view = projectedView(Kind::Globe, GeoBounds{120, 150, 10, -30}, 8, 640);
  ASSERT_TRUE(view.frame);
  EXPECT_EQ(view.note, "");
  EXPECT_EQ(view.frame->projection.kind, Kind::Globe);
  EXPECT_EQ(view.frame->width, 640);
  EXPECT_EQ(view.frame->height, 640);
  EXPECT_DOUBLE_EQ(view.frame->projection.centreLongitude, 135);
  EXPECT_DOUBLE_EQ(view.frame->projection.centreLatitude, -10);
  const std::optional<GeoPoint> centre = view.frame->centre();
  ASSERT_TRUE(centre);
  EXPECT_NEAR(centre->longitude, 135, 1e-6);
  EXPECT_NEAR(centre->latitude, -10, 1e-6);
  // An area across 180 degrees: its middle lies beyond it, taken a turn west.
  const ProjectedView across = projectedView(Kind::Globe, GeoBounds{170, 200, 88, 44}, 8, 512);
  ASSERT_TRUE(across.frame);
  EXPECT_DOUBLE_EQ(across.frame->projection.centreLongitude, -175);
  EXPECT_DOUBLE_EQ(across.frame->projection.centreLatitude, 66);
  // The steps of the map do not change the globe.
  EXPECT_EQ(projectedView(Kind::Globe, GeoBounds{120, 150, 10, -30}, 1, 640).frame, view.frame);

  EXPECT_EQ(globeSizeFor(800, 600), 600);
  EXPECT_EQ(globeSizeFor(700, 900), 700);
  EXPECT_EQ(globeSizeFor(300, 900), kSmallestGlobe);
  EXPECT_EQ(globeSizeFor(0, 0), kSmallestGlobe);
}

TEST(ProjectionChoice, TheTitleSaysTheProjectionAndLosesItAgain) {
  EXPECT_EQ(projectedTitle("Olympia (N Pole)", Kind::NorthPolar), "Olympia (N Pole) - North Polar Stereographic");
  EXPECT_EQ(projectedTitle("User selection", Kind::SouthPolar), "User selection - South Polar Stereographic");
  EXPECT_EQ(projectedTitle("Tile: megt88n180hb", Kind::Globe), "Tile: megt88n180hb - Globe");
  EXPECT_EQ(projectedTitle("Gale", Kind::Equirectangular), "Gale");
  for (const Kind kind : {Kind::Equirectangular, Kind::NorthPolar, Kind::SouthPolar, Kind::Globe}) {
    EXPECT_EQ(plainTitle(projectedTitle("Olympia (N Pole)", kind)), "Olympia (N Pole)");
  }
  // Only the words a projection added go; a title of its own stays whole.
  EXPECT_EQ(plainTitle("Globe"), "Globe");
  EXPECT_EQ(plainTitle("Tile - Globe - Globe"), "Tile - Globe");
  EXPECT_EQ(plainTitle("Crater - Globes"), "Crater - Globes");
  EXPECT_EQ(plainTitle(""), "");
  EXPECT_STREQ(projectionCaption(Kind::Equirectangular), "Simple Cylindrical");
}

}  // namespace
}  // namespace tarvelon
