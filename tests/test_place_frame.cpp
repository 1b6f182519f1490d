// The map of a named place: framed around the place, centred on its own
// sample on both sides of 180 degrees, magnified when small, and drawn
// through a host like the other maps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dem/GridSampler.h"
#include "render/MapGeometry.h"
#include "render/SampledMap.h"
#include "render/WindowRenderer.h"
#include "select/PlaceFrame.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

const NamedPlace& place(const char* name) { return *PlaceNames::builtIn().named(name).at(0); }

// The georeferenced centre of the window's map.
struct Centre {
  double longitude;
  double latitude;
};
Centre centreOf(const GridWindow& window) {
  const GeoTransform t = MapGeometry::ofWindow(window).transform();
  double longitude = t.west + window.width * t.pixelWidth / 2;
  if (longitude >= 180) longitude -= 360;
  return {longitude, t.north - window.height * t.pixelHeight / 2};
}

TEST(PlaceFrame, TheMapIsCentredOnThePlaceWithinOneSampleOnBothSidesOf180) {
  const double sample = 1.0 / 128;
  for (const char* name : {"Gale", "Jezero", "Victoria", "Richardson", "Apollinaris Sulci", "Diacria", "Olympus Mons",
                           "Nordenski\xC3\xB6ld", "Aeolis"}) {
    const NamedPlace& p = place(name);
    for (const std::optional<int> step : {std::optional<int>(), std::optional<int>(1), std::optional<int>(4)}) {
      const GridWindow window = placeWindow(p, step);
      const Centre centre = centreOf(window);
      double east = centre.longitude - p.longitude;
      east -= 360 * std::round(east / 360);
      EXPECT_LE(std::abs(east), sample) << name;
      EXPECT_LE(std::abs(centre.latitude - p.latitude), sample) << name;
      // The middle pixel shows the place's own sample.
      const MapGeometry geometry = MapGeometry::ofWindow(window);
      const SampleSource middle = *geometry.sampleAt(window.width / 2, window.height / 2);
      double off = sampleLongitude(middle) - p.longitude;
      off -= 360 * std::round(off / 360);
      EXPECT_LE(std::abs(off), sample) << name;
      EXPECT_LE(std::abs(sampleLatitude(middle) - p.latitude), sample) << name;
    }
  }
  // Richardson lies west of 180, Ultimi Scopuli and Apollinaris Sulci east: each frame runs
  // across the meridian, on from 180 E.
  for (const char* name : {"Richardson", "Ultimi Scopuli", "Apollinaris Sulci"}) {
    const GeoTransform t = MapGeometry::ofWindow(placeWindow(place(name))).transform();
    EXPECT_LT(t.west, 180) << name;
    EXPECT_GT(t.west + placeWindow(place(name)).width * t.pixelWidth, 180) << name;
  }
}

TEST(PlaceFrame, FramesAreAboutThreeDiametersSquareOnTheGroundAtAFittingStep) {
  const double kmPerSample = 2 * M_PI * 3396.19 / 360 / 128;
  // Gale, 154 km: about 462 km of samples at 100 %, a square on the ground.
  const GridWindow gale = placeWindow(place("Gale"));
  EXPECT_EQ(gale.step, 1);
  EXPECT_EQ(gale.zoom, 1);
  EXPECT_NEAR(gale.height * kmPerSample, 3 * 154.08, 2 * kmPerSample);
  EXPECT_NEAR(gale.width * kmPerSample * std::cos(5.37 * M_PI / 180), 3 * 154.08, 2 * kmPerSample);
  EXPECT_EQ(gale.width % 2, 1);
  EXPECT_EQ(gale.height % 2, 1);

  // Hellas is too large for 100 %: the smallest step that keeps it within
  // the frame's pixels.
  const GridWindow hellas = placeWindow(place("Hellas Planitia"));
  EXPECT_GT(hellas.step, 1);
  EXPECT_LE(std::max(hellas.width, hellas.height), kFramePixels + 1);
  EXPECT_GT(std::max(hellas.width, hellas.height) * hellas.step, 3 * 2000 / kmPerSample);

  // Victoria, 0.9 km, is magnified so that it shows as a crater: about two
  // samples across in a frame of the smallest size, 8 pixels a sample.
  const GridWindow victoria = placeWindow(place("Victoria"));
  EXPECT_EQ(victoria.step, 1);
  EXPECT_EQ(victoria.zoom, 8);
  EXPECT_GE(victoria.height, kSmallestFramePixels);
  EXPECT_GE(0.88 / kmPerSample * victoria.zoom, 15);
  // With a step given, the step and no magnification.
  EXPECT_EQ(placeWindow(place("Victoria"), 2).zoom, 1);
  EXPECT_EQ(placeWindow(place("Victoria"), 2).step, 2);

  // An albedo feature has a fixed frame.
  const GridWindow arabia = placeWindow(place("Arabia"));
  EXPECT_NEAR(arabia.height * arabia.step * kmPerSample, kAlbedoFrameKm, 2 * arabia.step * kmPerSample);

  // A frame near a pole stays on the grid, and its width never passes the
  // planet's.
  const GridWindow boreales = placeWindow(place("Boreales Scopuli"));
  EXPECT_EQ(boreales.firstLine, 0);
  EXPECT_LE(std::int64_t(boreales.width) * boreales.step, kGridColumns + boreales.step);
  EXPECT_NO_THROW(MapGeometry::ofWindow(boreales));
  // One whose frame passes 88 S is moved north onto the grid: its last
  // line is the grid's.
  const GridWindow ultimi = placeWindow(place("Ultimi Scopuli"));
  EXPECT_EQ(ultimi.firstLine + (ultimi.height - 1) * ultimi.step, kGridLines - 1);
}

TEST(PlaceFrame, APlaceIsDrawnThroughTheHostOnAWorker) {
  testing::SparseTiles tiles;
  const GridWindow window = placeWindow(place("Victoria"));
  // Victoria's lines: a bowl two samples wide at the centre.
  const int centreLine = window.firstLine + window.height / window.zoom / 2;
  const std::int64_t centreColumn = window.firstColumn + window.width / window.zoom / 2;
  const int tile = tileNumber(centreLine / kLinesPerTile, static_cast<int>(centreColumn / kSamplesPerLine));
  for (int line = window.firstLine; line < window.firstLine + window.height / window.zoom + 1; ++line) {
    tiles.writeLine(tile, line % kLinesPerTile, [&](int column) {
      const bool bowl = std::abs(line - centreLine) <= 1 &&
                        std::abs(column - static_cast<int>(centreColumn % kSamplesPerLine)) <= 1;
      return bowl ? -1900 : -1400;
    });
  }
  MapViewState state;
  state.demFolder = tiles.str();
  state.tileNames = tiles.names();
  state.mapTitle = placeTitle(place("Victoria"));
  state.drawInBackground = 1;
  const auto open = [&] { return std::make_unique<GridSampler>(tiles.str(), tiles.names()); };
  testing::RecordingHost host;
  ASSERT_EQ(drawGridWindow(window, state, host, open), WindowDrawResult::Completed);
  EXPECT_EQ(host.picture.width, window.width);
  EXPECT_EQ(host.picture.height, window.height);
  EXPECT_EQ(state.altMax, -1400);
  EXPECT_EQ(state.altMin, -1900);
  EXPECT_EQ(state.altitudesFound, 1);
  EXPECT_EQ(state.sampleStep, 1);
  // The bowl is darker than the plain around it, at the middle pixel.
  const std::uint8_t* middle = host.picture.row(window.height / 2) + 3 * (window.width / 2);
  const std::uint8_t* corner = host.picture.row(2) + 3 * 2;
  EXPECT_NE(std::memcmp(middle, corner, 3), 0);

  // Stopped at once: nothing is shown, and the stop is used up.
  testing::RecordingHost stopping;
  stopping.onEvents = [&state](int) { state.stopRequested = 1; };
  EXPECT_EQ(drawGridWindow(window, state, stopping, open), WindowDrawResult::Stopped);
  EXPECT_EQ(state.stopRequested, 0);

  // A missing tile fails the draw with the reader's text.
  MapViewState broken = state;
  broken.demFolder = "/nonexistent";
  testing::RecordingHost failing;
  EXPECT_THROW(drawGridWindow(window, broken, failing,
                              [] { return std::make_unique<GridSampler>("/nonexistent", TileNames{}); }),
               std::runtime_error);
}

}  // namespace
}  // namespace tarvelon
