// The explorer's view arithmetic, its pieces, their cache and their drawer.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "dem/GridSampler.h"
#include "render/ExploreView.h"
#include "render/PieceCache.h"
#include "render/PieceDrawer.h"
#include "render/SampledMap.h"

namespace tarvelon {
namespace {

// The tiles' grid, each sample a function of its place.
class PatternSource final : public ElevationSource {
 public:
  GridSpec grid() const override { return kTileGridSpec; }
  static std::int16_t value(std::int64_t column, int line) {
    return static_cast<std::int16_t>((line * 7 + column * 3) % 16000 - 8000);
  }
  void block(std::int64_t firstColumn, int firstLine, int columns, int lines, int step, std::int16_t* out) override {
    if (failing) throw std::runtime_error("tile unreadable");
    for (int r = 0; r < lines; ++r) {
      const int line = firstLine + r * step;
      for (int c = 0; c < columns; ++c) {
        out[r * columns + c] = line < 0 || line >= kGridLines
                                   ? kNoData
                                   : value(wrapColumn(firstColumn + std::int64_t(c) * step), line);
      }
    }
  }
  void gather(const GridIndex*, int, std::int16_t*) override { FAIL() << "pieces are read by block"; }
  bool failing = false;
};

double wrapDegrees(double a) { return std::remainder(a, 360.0); }

TEST(ExploreView, ZoomKeepsThePointUnderTheCursorAtEveryLevel) {
  ExploreView view(kTileGridSpec);
  view.resize(1600, 1000);
  view.centreOn(GeoPoint{137.4, -4.6}, 10);
  // In to the closest level and back out, about points all over the window
  // (one at the window's edge, one near 180 degrees).
  const struct {
    double x, y;
  } cursors[] = {{800, 500}, {13.5, 977.25}, {1599, 1}, {412.7, 623.1}};
  for (const auto& c : cursors) {
    for (const int direction : {1, -1}) {
      for (int k = 0; k < 25; ++k) {
        const GeoPoint before = view.pointAt(c.x, c.y);
        const int level = view.level();
        if (!view.zoomAbout(c.x, c.y, direction)) break;
        ASSERT_NE(view.level(), level);
        const GeoPoint after = view.pointAt(c.x, c.y);
        // Within a pixel of the new level (latitude may be held at the
        // grid's edge when zooming out).
        const double pixel = view.levelInfo().samplesPerPixel() / 128.0;
        EXPECT_LE(std::abs(wrapDegrees(after.longitude - before.longitude)), pixel) << c.x << " level " << level;
        if (view.planetHeight() > view.height() && view.originY() > 0 &&
            view.originY() < view.planetHeight() - view.height()) {
          EXPECT_LE(std::abs(after.latitude - before.latitude), pixel) << c.y << " level " << level;
        }
      }
    }
  }
  // The ladder ends at 8 pixels a sample and at the planet seen whole.
  view.zoomAbout(800, 500, 100);
  EXPECT_EQ(view.levelInfo(), (ExploreLevel{1, 8}));
  EXPECT_FALSE(view.zoomAbout(800, 500, 1));
  view.zoomAbout(800, 500, -100);
  EXPECT_EQ(view.level(), view.farthestLevel());
  EXPECT_LT(view.planetWidth(), view.width());
}

TEST(ExploreView, LongitudeWrapsEndlesslyAndLatitudeStopsAtTheGrid) {
  ExploreView view(kTileGridSpec);
  view.resize(1000, 700);
  view.centreOn(GeoPoint{179.9, 10}, 5);  // a pixel a sample
  const GeoPoint centre = view.pointAt(500, 350);
  EXPECT_NEAR(centre.longitude, 179.9, 1.0 / 128);
  // Across 180 degrees eastwards: the map moves west under the window.
  view.panBy(-64, 0);
  EXPECT_NEAR(view.pointAt(500, 350).longitude, -179.6, 1.0 / 128);
  EXPECT_LT(view.originX(), view.planetWidth());
  // A whole turn brings the same point back.
  view.panBy(view.planetWidth() * 3, 0);
  EXPECT_NEAR(view.pointAt(500, 350).longitude, -179.6, 1.0 / 128);
  EXPECT_GE(view.originX(), 0);

  // North as far as it goes: the top row shows the grid's first line.
  view.panBy(0, 10'000'000);
  EXPECT_EQ(view.originY(), 0);
  EXPECT_EQ(view.sampleAt(0, 0).line, 0);
  EXPECT_NEAR(view.pointAt(0, 0).latitude, 88.0, 1e-9);
  // South: the bottom row shows the last.
  view.panBy(0, -10'000'000);
  EXPECT_EQ(view.sampleAt(0, view.height() - 1).line, kGridLines - 1);
  // The planet lower than the window stays in its middle.
  view.fitPlanet();
  EXPECT_LE(view.planetWidth(), view.width());
  EXPECT_LT(view.originY(), 0);
  const std::int64_t top = -view.originY();
  EXPECT_LE(std::abs(top - (view.height() - top - view.planetHeight())), 1);
  view.panBy(0, 300);
  EXPECT_EQ(view.originY(), -top);
}

TEST(ExploreView, PiecesShowTheSamplesOfTheViewAndTheViewWindowMatchesThem) {
  ExploreView view(kTileGridSpec);
  view.resize(700, 500);
  for (const int level : {0, 3, 5, 7, 13, 18}) {
    view.centreOn(GeoPoint{-179.95, -87.5}, level);  // the date line and the grid's south edge
    const std::vector<ExploreView::PlacedPiece> pieces = view.visiblePieces();
    ASSERT_FALSE(pieces.empty());
    // The pieces cover every pixel that shows the grid, once.
    std::vector<int> covered(std::size_t(view.width()) * view.height(), 0);
    for (const auto& piece : pieces) {
      for (std::int64_t y = std::max<std::int64_t>(0, piece.y); y < std::min<std::int64_t>(view.height(), piece.y + 240); ++y) {
        for (std::int64_t x = std::max<std::int64_t>(0, piece.x); x < std::min<std::int64_t>(view.width(), piece.x + 240); ++x) {
          ++covered[std::size_t(y) * view.width() + std::size_t(x)];
        }
      }
    }
    for (int y = 0; y < view.height(); ++y) {
      const int line = view.sampleAt(0, y).line;
      for (int x = 0; x < view.width(); ++x) {
        const int count = covered[std::size_t(y) * view.width() + std::size_t(x)];
        ASSERT_EQ(line >= 0 && line < kGridLines ? count : std::min(count, 1), line >= 0 && line < kGridLines ? 1 : count)
            << x << "," << y << " level " << level;
      }
    }
    for (const auto& piece : pieces) {
      const GridWindow w = ExploreView::pieceWindow(piece.key);
      for (int y = 0; y < w.height; y += 7) {
        for (int x = 0; x < w.width; x += 5) {
          const std::int64_t wx = piece.x + x;
          const std::int64_t wy = piece.y + y;
          if (wx < 0 || wy < 0 || wx >= view.width() || wy >= view.height()) continue;
          const GridIndex shown = view.sampleAt(int(wx), int(wy));
          const std::int64_t line = w.firstLine + std::int64_t(y / w.zoom) * w.step;
          ASSERT_EQ(wrapColumn(w.firstColumn + std::int64_t(x / w.zoom) * w.step, kGridColumns), shown.column)
              << "level " << level;
          if (line < kGridLines) {
            ASSERT_EQ(line, shown.line) << "level " << level;
          }
        }
      }
    }
    const GridWindow whole = view.viewWindow();
    ASSERT_GT(whole.width, 0);
    const int top = int(std::max<std::int64_t>(0, -view.originY()));
    if (view.planetWidth() <= view.width()) {
      EXPECT_EQ(whole.firstColumn, 0);  // the whole planet, from 180 W
      EXPECT_EQ(whole.width, view.planetWidth());
    } else if (view.levelInfo().zoom == 1) {
      EXPECT_EQ(whole.firstColumn, view.sampleAt(0, top).column);
    }
    EXPECT_EQ(whole.firstLine, view.sampleAt(0, top).line);
    EXPECT_LE(whole.firstLine + std::int64_t(whole.samplesHigh() - 1) * whole.step, kGridLines - 1);
  }
}

TEST(ExploreView, PiecesSideBySideAreOneMapOfTheViewLitWithoutSeams) {
  PatternSource source;
  Colouring colouring;
  colouring.reliefShading = 1;
  colouring.colourScheme = 3;
  ExploreView view(kTileGridSpec);
  view.resize(530, 410);
  for (const int level : {2, 5, 7}) {  // 4 pixels a sample, a pixel a sample, 1 sample in 3
    view.centreOn(GeoPoint{-179.9, 30.3}, level);
    const GridWindow whole = view.viewWindow();
    ASSERT_EQ(whole.height, view.height());
    const Raster map = drawSampledMap(SampledMapRequest{whole, colouring}, source, {});
    const int zoom = view.levelInfo().zoom;
    const int offX = static_cast<int>(view.originX() % zoom);
    const int offY = static_cast<int>(view.originY() % zoom);
    for (const auto& placed : view.visiblePieces()) {
      const Raster piece = drawPiece(placed.key, colouring, source, {});
      for (int y = 0; y < 240; ++y) {
        // The map's own edges are lit from the samples inside it alone.
        const std::int64_t my = placed.y + y + offY;
        if (my < zoom || my >= map.height - zoom) continue;
        for (int x = 0; x < 240; ++x) {
          const std::int64_t mx = placed.x + x + offX;
          if (mx < zoom || mx >= map.width - zoom) continue;
          ASSERT_EQ(0, std::memcmp(piece.row(y) + 3 * x, map.row(int(my)) + 3 * mx, 3))
              << "level " << level << " pixel " << mx << "," << my;
        }
      }
    }
  }
}

TEST(PieceCache, KeepsTheLatestPiecesWithinItsLimit) {
  PieceCache<int> cache(1000);
  const auto id = [](int n) { return PieceId{PieceKey{0, n, 0}, 1}; };
  for (int n = 0; n < 3; ++n) cache.put(id(n), n, 300);
  EXPECT_EQ(cache.bytes(), 900u);
  ASSERT_NE(cache.find(id(0)), nullptr);  // 0 is now the latest used
  cache.put(id(3), 3, 300);               // 1 goes
  EXPECT_EQ(cache.find(id(1)), nullptr);
  EXPECT_EQ(*cache.find(id(0)), 0);
  EXPECT_LE(cache.bytes(), cache.limit());
  cache.put(id(5), 5, 5000);  // larger than the limit: not kept, nothing lost
  EXPECT_FALSE(cache.contains(id(5)));
  EXPECT_EQ(cache.size(), 3u);
  cache.setLimit(300);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_TRUE(cache.contains(id(0)));
  EXPECT_FALSE(cache.contains(PieceId{PieceKey{0, 0, 0}, 2}));  // another colouring
}

TEST(PieceDrawer, DrawsTheWantedPiecesAsTheMapOfTheirWindowAndReportsFailures) {
  PatternSource pattern;
  std::mutex lock;
  std::vector<std::pair<PieceId, Raster>> drawn;
  std::vector<std::string> failures;
  Colouring colouring;
  colouring.reliefShading = 1;
  {
    PieceDrawer drawer([&pattern]() -> std::unique_ptr<ElevationSource> { return std::make_unique<PatternSource>(pattern); },
                       2,
                       [&](const PieceId& id, Raster raster) {
                         std::lock_guard<std::mutex> hold(lock);
                         drawn.emplace_back(id, std::move(raster));
                       },
                       [&](const std::string& message) {
                         std::lock_guard<std::mutex> hold(lock);
                         failures.push_back(message);
                       });
    // A wish made and replaced at once: only the second one's pieces are
    // sure to come, each once.
    drawer.want({PieceKey{9, 0, 0}, PieceKey{9, 1, 0}, PieceKey{9, 2, 0}}, colouring, 1);
    const std::vector<PieceKey> wanted = {PieceKey{14, 3, 1}, PieceKey{2, 900, 94}, PieceKey{14, 3, 1}};
    drawer.want(wanted, colouring, 2);
    drawer.waitIdle();
    std::lock_guard<std::mutex> hold(lock);
    int second = 0;
    for (const auto& [id, raster] : drawn) {
      if (id.colouring != 2) continue;
      ++second;
      PatternSource direct;
      const Raster expected = drawPiece(id.key, colouring, direct, {});
      EXPECT_EQ(raster.pixels, expected.pixels);
      EXPECT_EQ(raster.mask, expected.mask);
    }
    EXPECT_EQ(second, 2);
    EXPECT_TRUE(failures.empty());
  }
  // A source that cannot be read: the failure is told, nothing is drawn.
  pattern.failing = true;
  drawn.clear();
  PieceDrawer failing([&pattern]() -> std::unique_ptr<ElevationSource> { return std::make_unique<PatternSource>(pattern); },
                      1, [&](const PieceId& id, Raster) { drawn.emplace_back(id, Raster()); },
                      [&](const std::string& message) { failures.push_back(message); });
  failing.want({PieceKey{14, 0, 0}, PieceKey{14, 1, 0}}, colouring, 1);
  failing.waitIdle();
  EXPECT_TRUE(drawn.empty());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0], "tile unreadable");
}

}  // namespace
}  // namespace tarvelon
