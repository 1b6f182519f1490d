// The explorer's projected view: zooms keep the point under the cursor,
// pans move the polar plane or turn the globe with the mouse, the polar
// view stays on its hemisphere, and the window drawn for a view holds
// every point it shows.
#include <gtest/gtest.h>

#include <cmath>

#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"
#include "render/ExploreView.h"
#include "render/ProjectedExploreView.h"

namespace tarvelon {
namespace {

TEST(ProjectedExploreView, ZoomKeepsThePointUnderTheCursorAndPansFollowTheMouse) {
  for (const ProjectionKind kind : {ProjectionKind::NorthPolar, ProjectionKind::SouthPolar, ProjectionKind::Globe}) {
    ProjectedExploreView view(kind, GeoPoint{40, 20});
    view.resize(900, 600);
    const GeoPoint place = kind == ProjectionKind::SouthPolar ? GeoPoint{-60, -70} : GeoPoint{30, 70};
    view.centreOn(place, 12);
    ASSERT_TRUE(view.pointAt(450, 300));
    EXPECT_LT(greatCircleMetres(*view.pointAt(450, 300), place), view.metresPerPixel()) << int(kind);
    for (const int levels : {1, 1, -1, -1, 1}) {
      const std::optional<GeoPoint> before = view.pointAt(700, 150);
      ASSERT_TRUE(before);
      ASSERT_TRUE(view.zoomAbout(700, 150, levels));
      const std::optional<GeoPoint> after = view.pointAt(700, 150);
      ASSERT_TRUE(after);
      // Within a pixel.
      EXPECT_LT(greatCircleMetres(*before, *after), view.metresPerPixel()) << int(kind) << " " << levels;
    }
    // A drag carries the point under the mouse with it (near the globe's
    // centre, where it turns as the mouse goes).
    const std::optional<GeoPoint> grabbed = view.pointAt(440, 290);
    view.panBy(35, -20);
    const std::optional<GeoPoint> dropped = view.pointAt(475, 270);
    ASSERT_TRUE(grabbed && dropped);
    EXPECT_LT(greatCircleMetres(*grabbed, *dropped), 3 * view.metresPerPixel()) << int(kind);
  }
}

TEST(ProjectedExploreView, APolarViewStaysOnItsHemisphereAndFitsIt) {
  ProjectedExploreView view(ProjectionKind::NorthPolar);
  view.resize(800, 800);
  view.fitPlanet();
  EXPECT_EQ(view.level(), view.fittingLevel());
  // Fitted: the pole in the middle, the equator within the window.
  EXPECT_NEAR(view.pointAt(400, 400)->latitude, 90, 0.5);
  ASSERT_TRUE(view.positionOf(GeoPoint{0, 0.5}));
  EXPECT_GE(view.positionOf(GeoPoint{0, 0.5})->second, 0);
  EXPECT_LE(view.positionOf(GeoPoint{0, 0.5})->second, 800);
  // Dragged far away, the middle stays within the hemisphere's disc.
  for (int k = 0; k < 50; ++k) view.panBy(-400, 0);
  const std::optional<GeoPoint> middle = view.pointAt(400, 400);
  ASSERT_TRUE(middle);
  EXPECT_GE(middle->latitude, -1e-6);
  EXPECT_FALSE(view.zoomAbout(400, 400, -30) && view.level() > view.fittingLevel() + 1);
}

TEST(ProjectedExploreView, TheWindowDrawnForAViewHoldsEveryPointItShows) {
  // About a place, and with the north pole in view: the whole round.
  ProjectedExploreView globe(ProjectionKind::Globe, GeoPoint{137, -5});
  globe.resize(700, 500);
  globe.centreOn(GeoPoint{137, -5}, 9);
  ProjectedExploreView polar(ProjectionKind::NorthPolar);
  polar.resize(700, 500);
  polar.centreOn(GeoPoint{10, 84}, 10);
  for (const ProjectedFrame& frame : {globe.frame(), polar.frame()}) {
    const GridWindow window = coveringWindow(frame, kTileGridSpec);
    ASSERT_GT(window.width, 0);
    const std::int64_t columns = std::int64_t(window.samplesWide()) * window.step;
    const std::int64_t lines = std::int64_t(window.samplesHigh()) * window.step;
    for (int y = 0; y < frame.height; y += 23) {
      for (int x = 0; x < frame.width; x += 23) {
        const std::optional<GeoPoint> p = frame.pointAt(x + 0.5, y + 0.5);
        if (!p || std::abs(p->latitude) > 88) continue;
        const GridIndex g = indexIn(kTileGridSpec, p->longitude, p->latitude);
        EXPECT_GE(g.line, window.firstLine);
        EXPECT_LT(g.line, window.firstLine + lines + window.step);
        EXPECT_LT(wrapColumn(g.column - window.firstColumn, kGridColumns), columns + window.step);
      }
    }
    // About the frame's own pixel size.
    const double samples = frame.pixelSize / (3396190.0 * M_PI / 180 / 128);
    EXPECT_NEAR(double(window.step) / window.zoom, samples, samples * 0.35 + 0.2);
  }
  const GridWindow round = coveringWindow(polar.frame(), kTileGridSpec);
  EXPECT_EQ(round.firstLine, 0);
  EXPECT_GE(std::int64_t(round.samplesWide()) * round.step, kGridColumns);
  EXPECT_LT(std::int64_t(round.samplesWide()) * round.step, kGridColumns + round.step);
}

}  // namespace
}  // namespace tarvelon
