#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "dem/TileFile.h"
#include "dem/TileNames.h"
#include "render/AreaRenderer.h"
#include "render/ColourTable.h"
#include "render/Resolution.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::RecordingHost;

const std::string kDeg = "\xC2\xB0";

// ---------------------------------------------------------------------------
// Geometry

TEST(ChooseStep, TakesTheLargerOfTheWidthAndHeightSteps) {
  const std::pair<int, int> widths[] = {{1, 2},   {8, 2},   {9, 3},    {16, 3},   {17, 4},   {24, 4},  {25, 8},
                                        {32, 8},  {33, 10}, {64, 10},  {65, 13},  {120, 13}, {121, 24}, {240, 24},
                                        {241, 48}, {500, 48}};
  for (auto [width, step] : widths) EXPECT_EQ(chooseStep(0, 1, width, 0), step) << "width " << width;
  const std::pair<int, int> heights[] = {{1, 2},   {6, 2},   {7, 3},   {12, 3},  {13, 4},   {18, 4},
                                         {19, 8},  {24, 8},  {25, 10}, {48, 10}, {49, 13},  {96, 13},
                                         {97, 24}, {200, 24}, {201, 48}, {500, 48}};
  for (auto [height, step] : heights) EXPECT_EQ(chooseStep(0, height, 1, 0), step) << "height " << height;
  EXPECT_EQ(chooseStep(-60, 58, 0, 32), 10);    // Acidalia: 60 wide, 26 high
  EXPECT_EQ(chooseStep(160, 54, 220, 20), 10);  // Arcadia
  EXPECT_EQ(chooseStep(-25, 47, 25, -3), 13);   // a 50 by 50 custom area
  EXPECT_EQ(resolutionIndexOfStep(13, 4), 1);
  EXPECT_EQ(chooseStep(0, 0, 0, 0), 2);
  EXPECT_EQ(chooseStep(0, 0, 600, 0), 48);
}

TEST(FitArea, LeavesAreasWithinTheTileSetAsTheyAre) {
  for (AreaBounds area : {AreaBounds{-60, 58, 0, 32}, AreaBounds{160, 54, 220, 20}, AreaBounds{-180, 88, 180, -88}}) {
    const FittedArea fitted = fitArea(area.west, area.north, area.east, area.south);
    EXPECT_TRUE(fitted.drawable);
    EXPECT_EQ(fitted.bounds, area);
    EXPECT_EQ(fitted.note, "");
  }
}

TEST(FitArea, MovesTheWestEdgeIntoMinus180To179) {
  EXPECT_EQ(fitArea(190, 10, 250, 0).bounds, (AreaBounds{-170, 10, -110, 0}));
  EXPECT_EQ(fitArea(-200, 10, -150, 0).bounds, (AreaBounds{160, 10, 210, 0}));
  EXPECT_EQ(fitArea(180, 10, 190, 0).bounds, (AreaBounds{-180, 10, -170, 0}));
  EXPECT_EQ(fitArea(-181, 10, -179, 0).bounds, (AreaBounds{179, 10, 181, 0}));
  EXPECT_EQ(fitArea(900, 10, 910, 0).bounds, (AreaBounds{-180, 10, -170, 0}));
  // Edges at the ends of the int range are moved without overflowing.
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  EXPECT_EQ(fitArea(kMax - 10, 10, kMax, 0).bounds, (AreaBounds{117, 10, 127, 0}));
  EXPECT_EQ(fitArea(kMin, 10, kMin + 10, 0).bounds, (AreaBounds{-128, 10, -118, 0}));
  EXPECT_FALSE(fitArea(kMin, 10, kMax, 0).drawable);
  EXPECT_FALSE(fitArea(kMax, 10, kMin, 0).drawable);
}

TEST(FitArea, CutsLatitudesBeyond88WithANote) {
  const FittedArea north = fitArea(-10, 97, 40, 47);
  EXPECT_TRUE(north.drawable);
  EXPECT_EQ(north.bounds, (AreaBounds{-10, 88, 40, 47}));
  EXPECT_EQ(north.note, "The elevation data reach from 88" + kDeg + "N to 88" + kDeg +
                            "S only: the map shows latitudes 88" + kDeg + " to 47" + kDeg + " of the area 97" + kDeg +
                            " to 47" + kDeg + ".");
  const FittedArea south = fitArea(0, -60, 10, -110);
  EXPECT_EQ(south.bounds, (AreaBounds{0, -60, 10, -88}));
  EXPECT_NE(south.note.find("-60" + kDeg + " to -88" + kDeg), std::string::npos) << south.note;
}

TEST(FitArea, RefusesAreasWithNothingToDraw) {
  struct Case {
    AreaBounds area;
    const char* reason;
  };
  const Case cases[] = {
      {{10, 20, 10, 0}, "west edge must lie west of its east edge"},
      {{10, 20, 5, 0}, "west edge must lie west of its east edge"},
      {{-180, 20, 181, 0}, "wider than 360"},
      {{0, 10, 10, 10}, "north edge must lie north of its south edge"},
      {{0, 95, 10, 89}, "lies outside the elevation data"},
      {{0, 88, 10, 88}, "north edge must lie north"},
      {{0, -88, 10, -95}, "lies outside the elevation data"},
  };
  for (const Case& c : cases) {
    const FittedArea fitted = fitArea(c.area.west, c.area.north, c.area.east, c.area.south);
    EXPECT_FALSE(fitted.drawable);
    EXPECT_NE(fitted.refusal.find(c.reason), std::string::npos) << fitted.refusal;
  }
  // An east edge written west of the west edge, meant across 180 degrees.
  EXPECT_NE(fitArea(170, 10, -170, 0).refusal.find("To cross the 180" + kDeg + " meridian, write the east edge as 190 (-170" +
                                                   kDeg + " + 360" + kDeg + ")."),
            std::string::npos)
      << fitArea(170, 10, -170, 0).refusal;
  EXPECT_EQ(fitArea(10, 20, 10, 0).refusal.find("meridian"), std::string::npos);
}

// Columns first, first + step, ... of one run.
std::vector<int> columnsOf(const ColumnRun& run, int step) {
  std::vector<int> columns;
  for (int n = 0; n < run.count; ++n) columns.push_back(run.firstColumn + n * step);
  return columns;
}

TEST(AreaLayout, AcidaliaReadsTile1AndThenTile5FromLine0) {
  const AreaLayout layout = layoutArea({-60, 58, 0, 32}, 10);
  EXPECT_EQ(layout.tile, 1);
  EXPECT_EQ(layout.box.tileWest, -90);
  EXPECT_EQ(layout.box.tileNorth, 88);
  EXPECT_EQ(layout.firstLine, 3840);
  EXPECT_EQ(layout.lastLine, 7168);
  EXPECT_EQ(layout.firstColumn, 3839);
  EXPECT_EQ(layout.lastColumn, 11519);
  EXPECT_EQ(layout.rasterWidth, 768);
  EXPECT_EQ(layout.rasterHeight, 332);
  // The east neighbour is not read and column 11519 is not drawn.
  ASSERT_EQ(layout.columns.size(), 1u);
  EXPECT_EQ(layout.columns[0].firstColumn, 3839);
  EXPECT_EQ(columnsOf(layout.columns[0], 10).back(), 11509);
  // Lines 3840, 3850, ... 5630 of tile 1, then on one step further at 8,
  // 18, ... 1528 of tile 5 (line 5640 counted on from tile 1's line 0).
  ASSERT_EQ(layout.rows.size(), 180u + 153u);
  for (int y = 0; y < 180; ++y) {
    EXPECT_EQ(layout.rows[y].tileRow, 0);
    EXPECT_EQ(layout.rows[y].line, 3840 + 10 * y);
  }
  for (int y = 180; y < 333; ++y) {
    EXPECT_EQ(layout.rows[y].tileRow, 1);
    EXPECT_EQ(layout.rows[y].line, 8 + 10 * (y - 180));
  }
  EXPECT_EQ(layout.tileOf(1, 0), 5);
}

TEST(AreaLayout, ArcadiaCrossesThe180DegreeMeridianAndATileRow) {
  const AreaLayout layout = layoutArea({160, 54, 220, 20}, 10);
  EXPECT_EQ(layout.tile, 3);
  EXPECT_EQ(layout.firstLine, 4352);
  EXPECT_EQ(layout.lastLine, 8704);
  EXPECT_EQ(layout.lastColumn, 16638);
  ASSERT_EQ(layout.columns.size(), 2u);
  const std::vector<int> west = columnsOf(layout.columns[0], 10);
  EXPECT_EQ(west.front(), 8959);
  EXPECT_EQ(west.back(), 11519);
  // Tile 0's columns go on one step after 11519: 9, 19, ... 5109.
  const std::vector<int> east = columnsOf(layout.columns[1], 10);
  EXPECT_EQ(east.front(), 9);
  EXPECT_EQ(east.back(), 5109);
  EXPECT_EQ(west.size() + east.size(), std::size_t(layout.rasterWidth) + 1);  // one sample dropped
  EXPECT_EQ(layout.tileOf(0, 1), 0);
  EXPECT_EQ(layout.tileOf(1, 0), 7);
  EXPECT_EQ(layout.tileOf(1, 1), 4);
  const auto lastNorth = std::find_if(layout.rows.begin(), layout.rows.end(), [](auto& r) { return r.tileRow == 1; });
  ASSERT_NE(lastNorth, layout.rows.begin());
  EXPECT_EQ((lastNorth - 1)->line, 5622);
  EXPECT_EQ(lastNorth->line, 0);
  EXPECT_EQ(layout.rows.back().tileRow, 1);
  EXPECT_EQ(layout.rows.back().line, 3070);
}

TEST(AreaLayout, EdgesOnTileBoundariesBelongToTheTileEastAndSouth) {
  const AreaLayout north44 = layoutArea({-60, 44, -50, 40}, 4);
  EXPECT_EQ(north44.tile, 5);
  EXPECT_EQ(north44.firstLine, 0);
  for (auto [north, tile] : {std::pair{80, 1}, {40, 5}, {-10, 9}, {-50, 13}}) {
    const AreaLayout west90 = layoutArea({-90, north, -80, north - 5}, 4);
    EXPECT_EQ(west90.tile, tile);
    EXPECT_EQ(west90.firstColumn, 0);
  }
}

TEST(AreaLayout, AnArea6DegreesHighAtStep3Has256RowsAllDrawn) {
  const AreaLayout layout = layoutArea({10, 20, 16, 14}, 3);
  EXPECT_EQ(layout.lastLine - layout.firstLine, 768);
  EXPECT_EQ(layout.rasterHeight, 256);
  EXPECT_EQ(layout.rows.size(), 256u);
}

// The area algorithm as the renderer is meant to follow it for areas that
// reach at most into the east and the south neighbour, written out step by
// step: the (tile, line) of every row and the (east part?, column) of every
// sample of a row.
struct Reference {
  std::vector<std::pair<int, int>> rows;
  std::vector<std::pair<bool, int>> columns;
  int rasterWidth = 0;
  int rasterHeight = 0;
};

Reference referenceArea(int west, int north, int east, int south, int step) {
  Reference ref;
  TileBox box;
  const int t = tileAt(west, north, box);
  const int firstLine = (box.tileNorth - north) * 128;
  int lastLine = (box.tileNorth - south) * 128;
  const int firstColumn = static_cast<int>(std::int64_t(west - box.tileWest) * 11519 / 90);
  const int lastColumn = static_cast<int>(std::int64_t(east - box.tileWest) * 11519 / 90);
  ref.rasterWidth = (lastColumn - firstColumn) / step;
  ref.rasterHeight = (lastLine - firstLine) / step;
  int j = firstColumn;
  do {
    ref.columns.push_back({false, j});
    j += step;
  } while (!(j >= lastColumn || j > 11519));
  if (lastColumn > 11519) {
    // The step carries on across the join.
    j -= 11520;
    do {
      ref.columns.push_back({true, j});
      j += step;
    } while (!(j >= lastColumn - 11519));
  }
  int westTile = t;
  int i = firstLine;
  bool crossed = false;
  do {
    ref.rows.push_back({westTile, i});
    i += step;
    if (i >= 5632 && !crossed && t < 12) {
      westTile = t + 4;
      i -= 5632;
      lastLine -= 5632;
      crossed = true;
    }
  } while (i < lastLine);
  return ref;
}

TEST(AreaLayout, WithinReachMatchesTheAreaAlgorithmForRandomAreas) {
  std::mt19937 random(20240605);
  const int steps[] = {1, 2, 3, 4, 8, 10, 13, 24, 48};
  for (int n = 0; n < 4000; ++n) {
    const int west = std::uniform_int_distribution<int>(-180, 179)(random);
    const int north = std::uniform_int_distribution<int>(-87, 88)(random);
    TileBox box;
    tileAt(west, north, box);
    const int east = std::uniform_int_distribution<int>(west + 1, box.tileWest + 180)(random);
    const int lowest = std::max(-88, box.tileNorth - 88);
    if (lowest > north - 1) continue;
    const int south = std::uniform_int_distribution<int>(lowest, north - 1)(random);
    const int step = steps[n % 9];
    SCOPED_TRACE(::testing::Message() << west << ", " << north << ", " << east << ", " << south << " step " << step);

    const FittedArea fitted = fitArea(west, north, east, south);
    ASSERT_TRUE(fitted.drawable);
    ASSERT_EQ(fitted.bounds, (AreaBounds{west, north, east, south}));
    const AreaLayout layout = layoutArea(fitted.bounds, step);
    const Reference ref = referenceArea(west, north, east, south, step);
    ASSERT_EQ(layout.rasterWidth, ref.rasterWidth);
    ASSERT_EQ(layout.rasterHeight, ref.rasterHeight);
    ASSERT_EQ(layout.rows.size(), ref.rows.size());
    for (std::size_t y = 0; y < ref.rows.size(); ++y) {
      ASSERT_EQ(layout.tileOf(layout.rows[y].tileRow, 0), ref.rows[y].first) << "row " << y;
      ASSERT_EQ(layout.rows[y].line, ref.rows[y].second) << "row " << y;
    }
    std::vector<std::pair<bool, int>> columns;
    for (const ColumnRun& run : layout.columns) {
      ASSERT_LE(run.tileColumn, 1);
      for (int column : columnsOf(run, step)) columns.push_back({run.tileColumn == 1, column});
    }
    ASSERT_EQ(columns, ref.columns);
    ASSERT_EQ(layout.tileOf(0, 1), eastNeighbour(layout.tile));
    // One even grid: pixel (x, y) shows the sample step * x columns east
    // and step * y lines south of the first, across every join.
    for (std::size_t x = 0; x < columns.size(); ++x) {
      ASSERT_EQ(columns[x].second + (columns[x].first ? 11520 : 0), layout.firstColumn + int(x) * step) << x;
    }
    for (std::size_t y = 0; y < layout.rows.size(); ++y) {
      ASSERT_EQ(layout.rows[y].line + 5632 * layout.rows[y].tileRow, layout.firstLine + int(y) * step) << y;
    }
  }
}

TEST(AreaLayout, AreasBeyondReachStayInsideTheTiles) {
  // 50 by 50 centred on 15 E 22 N: three tile rows.
  const AreaLayout three = layoutArea({-10, 47, 40, -3}, 13);
  EXPECT_EQ(three.tile, 1);
  EXPECT_EQ(three.rows.front().tileRow, 0);
  EXPECT_EQ(three.rows.back().tileRow, 2);
  EXPECT_EQ(three.tileOf(2, 0), 9);
  EXPECT_EQ(three.tileOf(2, 1), 10);
  // The rows go on one step apart into each tile row below, and the last
  // stops before 3 degrees below the equator.
  for (std::size_t y = 1; y < three.rows.size(); ++y) {
    const RowSource& above = three.rows[y - 1];
    const RowSource& row = three.rows[y];
    EXPECT_EQ(row.line + 5632 * row.tileRow, above.line + 5632 * above.tileRow + 13) << y;
  }
  EXPECT_LT(three.rows.back().line, 3 * 128);
  EXPECT_GE(three.rows.back().line, 3 * 128 - 13);

  // The whole planet: four tile rows and four tile columns.
  const AreaLayout planet = layoutArea({-180, 88, 180, -88}, 48);
  EXPECT_EQ(planet.rows.back().tileRow, 3);
  ASSERT_EQ(planet.columns.size(), 4u);
  EXPECT_EQ(columnsOf(planet.columns[3], 48).back(), 11519 - 47);
  // 360 degrees from 179 W: the fifth run is tile 0 again.
  const AreaLayout round = layoutArea({-179, 10, 181, 0}, 24);
  ASSERT_EQ(round.columns.size(), 5u);
  EXPECT_EQ(round.tileOf(0, 4), round.tile);
  EXPECT_EQ(round.columns[0].firstColumn, 127);
  EXPECT_EQ(columnsOf(round.columns[4], 24).back(), 103);

  for (auto [layout, step] : {std::pair{&three, 13}, {&planet, 48}, {&round, 24}}) {
    for (const RowSource& row : layout->rows) {
      ASSERT_GE(row.line, 0);
      ASSERT_LT(row.line, kLinesPerTile);
      ASSERT_LT(layout->tileOf(row.tileRow, 0), kTileCount);
    }
    for (const ColumnRun& run : layout->columns) ASSERT_LE(columnsOf(run, step).back(), 11519);
  }
}

// ---------------------------------------------------------------------------
// Drawing from a tile set of sixteen sparse files.

// Every written sample is an in-range elevation that depends on its tile,
// line and column; lines not written read as 0 m.
int sampleOf(int tile, int line, int column) {
  return -8000 + static_cast<int>((std::int64_t(tile) * 1000003 + std::int64_t(line) * 7919 +
                                   std::int64_t(column) * 104729) %
                                  28000);
}

class AreaDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    state.demFolder = tiles.str();
    state.tileNames = tiles.names();
    state.colourScheme = 1;
    state.shadingMode = 1;
    state.mapTitle = "User selection";
  }

  std::string pathOf(int tile) const { return tilePath(state.demFolder, state.tileNames[tile]); }

  void writeLine(int tile, int line) {
    if (!written.insert({tile, line}).second) return;
    testing::writeTileLine(pathOf(tile), line, [=](int column) { return sampleOf(tile, line, column); });
  }
  // Writes every line the layout says is drawn.
  void writeLines(const AreaLayout& layout) {
    for (const RowSource& row : layout.rows) {
      for (const ColumnRun& run : layout.columns) writeLine(layout.tileOf(row.tileRow, run.tileColumn), row.line);
    }
  }

  // The map the layout describes, from the samples written.
  static Raster expectedMap(const AreaLayout& layout, int step, int rows = -1) {
    const ColourTable table(1, 1, BandLimits{});
    Raster raster(layout.rasterWidth, layout.rasterHeight);
    if (rows < 0) rows = static_cast<int>(layout.rows.size());
    for (int y = 0; y < rows && y < raster.height; ++y) {
      int x = 0;
      for (const ColumnRun& run : layout.columns) {
        const int tile = layout.tileOf(layout.rows[y].tileRow, run.tileColumn);
        for (int column : columnsOf(run, step)) {
          const std::uint32_t e = table.entry(sampleOf(tile, layout.rows[y].line, column));
          if (x < raster.width) raster.set(x, y, e >> 16 & 0xFF, e >> 8 & 0xFF, e & 0xFF);
          ++x;
        }
      }
    }
    return raster;
  }

  testing::SparseTiles tiles;
  MapViewState state;
  std::set<std::pair<int, int>> written;
};

void expectSameRows(const Raster& got, const Raster& expected, int fromRow, int endRow) {
  ASSERT_EQ(got.width, expected.width);
  ASSERT_EQ(got.height, expected.height);
  for (int y = fromRow; y < endRow; ++y) {
    ASSERT_TRUE(std::equal(got.row(y), got.row(y) + got.rowBytes(), expected.row(y))) << "row " << y;
  }
}

TEST_F(AreaDraw, AcidaliaChoosesItsStepAndCompletes) {
  // The lines the area needs, as numbers: 3840 .. 5630 of tile 1, then on
  // one step further, 8 .. 1528 of tile 5.
  for (int line = 3840; line < 5632; line += 10) writeLine(1, line);
  for (int line = 8; line <= 1528; line += 10) writeLine(5, line);
  state.autoResolution = 1;
  state.sampleStep = 4;
  state.resolutionIndex = 4;
  RecordingHost host;
  host.times = {39590, 39610};
  state.mapTitle = "Acidalia Planitia (Planitiae)";
  EXPECT_EQ(drawArea(-60, 58, 0, 32, state, host), AreaDrawResult::Completed);

  EXPECT_EQ(state.sampleStep, 10);
  EXPECT_EQ(state.autoResolution, 0);
  EXPECT_EQ(state.resolutionIndex, 2);
  EXPECT_EQ(state.drawnResolution, 2);
  EXPECT_EQ((AreaBounds{state.areaWest, state.areaNorth, state.areaEast, state.areaSouth}),
            (AreaBounds{-60, 58, 0, 32}));
  EXPECT_EQ(state.tileBox.tileWest, -90);
  EXPECT_EQ(state.tileBox.tileNorth, 88);

  const std::vector<std::string> opening(host.calls.begin(), host.calls.begin() + 7);
  EXPECT_EQ(opening, (std::vector<std::string>{
                         "check 2", "clear", "size 768x332",
                         "legend Mapping directly to screen .... long: -60" + kDeg + " to 0" + kDeg +
                             " .... lat: 58" + kDeg + " to 32" + kDeg + " .... Progress:",
                         "busy 1", "events", "events"}));
  EXPECT_EQ(host.calls[7], "rows 0-1");
  EXPECT_EQ(host.calls[8], "percent 0%");
  EXPECT_EQ(host.count("events"), 334);  // once before the rows and once per row
  EXPECT_EQ(host.count("rows"), 332);    // the row past the raster is read, not shown

  const AreaLayout layout = layoutArea({-60, 58, 0, 32}, 10);
  expectSameRows(host.picture, expectedMap(layout, 10), 0, 332);

  const std::vector<std::string> ending(host.calls.end() - 6, host.calls.end());
  EXPECT_EQ(ending, (std::vector<std::string>{
                        "percent 100%",
                        "labels " + std::to_string(state.altMax) + " m)|" + std::to_string(state.altMin) + " m)",
                        "legend Acidalia Planitia (Planitiae) processed in 20 seconds", "percent ", "busy 0",
                        "completed"}));
  EXPECT_GT(state.altMax, 15000);
  EXPECT_LT(state.altMin, -6000);
}

TEST_F(AreaDraw, ArcadiaJoinsTile3ToTile0AndTile7ToTile4) {
  const AreaLayout layout = layoutArea({160, 54, 220, 20}, 24);
  writeLines(layout);
  // Tile 3's last line drawn is 5624; the rows go on at line 16 of tiles 7 and 4.
  EXPECT_TRUE(written.count({3, 4352}) && written.count({0, 4352}) && written.count({7, 16}) &&
              written.count({4, 16}) && !written.count({7, 0}));
  state.sampleStep = 24;
  state.drawInBackground = 1;
  RecordingHost host;
  EXPECT_EQ(drawArea(160, 54, 220, 20, state, host), AreaDrawResult::Completed);
  EXPECT_EQ(host.count("check"), 0);
  EXPECT_EQ(host.count("clear"), 0);
  EXPECT_EQ(state.resolutionIndex, 0);
  EXPECT_EQ(host.count("raster"), 1);
  EXPECT_EQ(host.count("rows"), 0);
  EXPECT_EQ(host.calls[1], "legend Mapping in background .... long: 160" + kDeg + " to 220" + kDeg + " .... lat: 54" +
                               kDeg + " to 20" + kDeg + " .... Progress:");
  expectSameRows(host.picture, expectedMap(layout, 24), 0, layout.rasterHeight);
}

TEST_F(AreaDraw, ThreeTileRowsAndFiveTileColumnsAreDrawnFromTheirTiles) {
  for (AreaBounds area : {AreaBounds{-10, 47, 40, -3}, AreaBounds{-179, 10, 181, 4}}) {
    const AreaLayout layout = layoutArea(area, 24);
    writeLines(layout);
    state.sampleStep = 24;
    RecordingHost host;
    ASSERT_EQ(drawArea(area.west, area.north, area.east, area.south, state, host), AreaDrawResult::Completed);
    EXPECT_TRUE(host.informed.empty());
    expectSameRows(host.picture, expectedMap(layout, 24), 0, layout.rasterHeight);
  }
}

TEST_F(AreaDraw, AnAreaPast88IsCutWithANote) {
  const AreaLayout layout = layoutArea({-10, 88, 40, 47}, 24);
  writeLines(layout);
  state.sampleStep = 24;
  RecordingHost host;
  ASSERT_EQ(drawArea(-10, 97, 40, 47, state, host), AreaDrawResult::Completed);
  ASSERT_EQ(host.informed.size(), 1u);
  EXPECT_NE(host.informed[0].find("latitudes 88" + kDeg + " to 47" + kDeg), std::string::npos);
  EXPECT_EQ(state.areaNorth, 88);
  expectSameRows(host.picture, expectedMap(layout, 24), 0, layout.rasterHeight);
}

TEST_F(AreaDraw, DirectAndBackgroundGiveTheSameMap) {
  const AreaLayout layout = layoutArea({-60, 58, 0, 32}, 13);
  writeLines(layout);
  state.sampleStep = 13;
  RecordingHost direct;
  drawArea(-60, 58, 0, 32, state, direct);
  const int altMax = state.altMax;
  state.drawInBackground = 1;
  RecordingHost background;
  drawArea(-60, 58, 0, 32, state, background);
  EXPECT_EQ(direct.picture.pixels, background.picture.pixels);
  EXPECT_EQ(state.altMax, altMax);
}

TEST_F(AreaDraw, AStopEndsAtOnceWithoutCompleting) {
  const AreaLayout layout = layoutArea({-60, 58, 0, 32}, 24);
  writeLines(layout);
  state.sampleStep = 24;
  state.drawnResolution = 5;
  const std::string drawing = "legend Mapping directly to screen .... long: -60" + kDeg + " to 0" + kDeg +
                              " .... lat: 58" + kDeg + " to 32" + kDeg + " .... Progress:";
  // Directly: the rows drawn replace theirs in the picture shown, which
  // keeps the rest.
  RecordingHost host;
  host.picture = Raster(layout.rasterWidth, layout.rasterHeight, 0x55);
  host.hasPicture = true;
  host.onEvents = [&](int call) {
    if (call == 5) state.stopRequested = 1;  // before the fourth row
  };
  EXPECT_EQ(drawArea(-60, 58, 0, 32, state, host), AreaDrawResult::Stopped);
  EXPECT_EQ(state.stopRequested, 0);
  EXPECT_EQ(state.drawnResolution, 5);
  EXPECT_EQ(host.completions, 0);
  EXPECT_EQ(host.count("labels"), 0);
  EXPECT_EQ(host.legend, drawing.substr(7));
  EXPECT_EQ(host.percent, "1%");  // after row 2 of 138
  EXPECT_EQ(host.count("rows"), 3);
  const Raster expected = expectedMap(layout, 24, 3);
  expectSameRows(host.picture, expected, 0, 3);
  EXPECT_TRUE(std::all_of(host.picture.row(3), host.picture.row(3) + host.picture.rowBytes() * (layout.rasterHeight - 3),
                          [](std::uint8_t b) { return b == 0x55; }));

  // In background the off-screen map is dropped and the old picture stays.
  state.drawInBackground = 1;
  RecordingHost background;
  background.picture = Raster(5, 5, 0x33);
  background.hasPicture = true;
  background.onEvents = [&](int call) {
    if (call == 10) state.stopRequested = 1;
  };
  EXPECT_EQ(drawArea(-60, 58, 0, 32, state, background), AreaDrawResult::Stopped);
  EXPECT_EQ(background.picture.pixels, Raster(5, 5, 0x33).pixels);
  EXPECT_EQ(background.count("raster"), 0);
  EXPECT_EQ(background.completions, 0);
}

TEST_F(AreaDraw, RowsGoToTheRasterOfTheModeTheyWereDrawnIn) {
  const AreaLayout layout = layoutArea({-60, 58, 0, 32}, 24);
  writeLines(layout);
  state.sampleStep = 24;
  RecordingHost host;
  host.onEvents = [&](int call) {
    if (call == 5) state.drawInBackground = 1;  // from row 3 on
  };
  ASSERT_EQ(drawArea(-60, 58, 0, 32, state, host), AreaDrawResult::Completed);
  EXPECT_EQ(host.count("rows"), 3);
  EXPECT_EQ(host.count("raster"), 1);
  // The finished off-screen raster replaces the picture: rows 0..2 were
  // drawn on screen, not into it.
  const Raster expected = expectedMap(layout, 24);
  expectSameRows(host.picture, expected, 3, layout.rasterHeight);
  EXPECT_TRUE(std::all_of(host.picture.row(0), host.picture.row(3), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(AreaDraw, SamplesOutsideTheColourRangeRepeatThePreviousColour) {
  // Row 0 of a small area in tile 6: 1000 m, then -32768, 32767, -8201 and 21251.
  const int line = lineOfLatitude(44, 20);
  testing::writeTileLine(pathOf(6), line, [](int column) {
    switch (column / 24) {
      case 1: return -32768;
      case 2: return 32767;
      case 3: return -8201;
      case 4: return 21251;
      default: return 1000;
    }
  });
  state.sampleStep = 24;
  state.pixel = PixelColour{9, 9, 9};
  RecordingHost host;
  ASSERT_EQ(drawArea(0, 20, 10, 19, state, host), AreaDrawResult::Completed);
  EXPECT_EQ(state.altMax, 1000);
  EXPECT_EQ(state.altMin, 0);  // the other rows read 0 m
  const std::uint8_t* row = host.picture.row(0);
  for (int x = 1; x <= 4; ++x) EXPECT_TRUE(std::equal(row, row + 3, row + 3 * x)) << "x " << x;
  const ColourTable table(1, 1, BandLimits{});
  EXPECT_EQ(row[2], table.entry(1000) >> 16 & 0xFF);

  // A first sample that colours nothing takes the colour left by the draw before.
  testing::writeTileLine(pathOf(6), line, [](int column) { return column == 0 ? -32768 : 1000; });
  state.pixel = PixelColour{9, 8, 7};
  ASSERT_EQ(drawArea(0, 20, 10, 19, state, host), AreaDrawResult::Completed);
  EXPECT_EQ(host.picture.row(0)[0], 7);
  EXPECT_EQ(host.picture.row(0)[2], 9);
}

TEST_F(AreaDraw, AltitudesComeFromTheSamplesCountedOrThereAreNone) {
  // 0..10 E, 20..19 N in tile 6 at step 24: lines 3072, 3096, ... 3176.
  const int first = lineOfLatitude(44, 20);
  auto fill = [&](const std::function<int(int line, int column)>& sample) {
    for (int line = first; line < first + 128; line += 24) {
      testing::writeTileLine(pathOf(6), line, [&](int column) { return sample(line, column); });
    }
  };
  state.sampleStep = 24;
  // Wholly below 0 m: the highest is the highest sample, not 0 m.
  fill([first](int line, int column) { return line == first && column == 24 ? -2721 : -2800 - (line + column) % 500; });
  RecordingHost host;
  ASSERT_EQ(drawArea(0, 20, 10, 19, state, host), AreaDrawResult::Completed);
  EXPECT_EQ(state.altitudesFound, 1);
  EXPECT_EQ(state.altMax, -2721);
  EXPECT_EQ(host.altmax, "-2721 m)");
  EXPECT_LE(state.altMin, -3100);

  // No sample in -8200 .. 21250: none counted, and the labels say so.
  fill([](int, int column) { return column % 2 == 0 ? -32768 : 21251; });
  ASSERT_EQ(drawArea(0, 20, 10, 19, state, host), AreaDrawResult::Completed);
  EXPECT_EQ(state.altitudesFound, 0);
  EXPECT_EQ(state.altMax, 0);
  EXPECT_EQ(state.altMin, 0);
  EXPECT_EQ(host.altmax, "none)");
  EXPECT_EQ(host.altmin, "none)");
}

TEST_F(AreaDraw, TheProgressEndsAt100PercentOnEveryArea) {
  // 2 degrees at step 8 are 32 rows of a map 32 rows high: the last row
  // starts at 97 %. At step 24 the rows number one more than the map's.
  for (auto [area, step] : {std::pair{AreaBounds{0, 20, 3, 18}, 8}, {AreaBounds{0, 20, 10, 19}, 24},
                            {AreaBounds{-60, 58, 0, 32}, 10}}) {
    state.sampleStep = step;
    RecordingHost host;
    ASSERT_EQ(drawArea(area.west, area.north, area.east, area.south, state, host), AreaDrawResult::Completed);
    ASSERT_GE(host.percents.size(), 2u);
    EXPECT_EQ(host.percents[host.percents.size() - 2], "100%") << area.west << " " << area.north;
    for (const std::string& p : host.percents) EXPECT_LE(std::atoi(p.c_str()), 100);
  }
}

TEST_F(AreaDraw, AShortTileEndsTheDrawWithTheCursorRestored) {
  const AreaLayout layout = layoutArea({-60, 58, 0, 32}, 24);
  writeLines(layout);
  // Tile 5 (the south neighbour) ends after 100 lines.
  std::filesystem::resize_file(pathOf(5), std::int64_t(100) * kBytesPerLine);
  state.sampleStep = 24;
  state.drawnResolution = 5;
  RecordingHost host;
  try {
    drawArea(-60, 58, 0, 32, state, host);
    FAIL() << "no error";
  } catch (const TileError& e) {
    EXPECT_NE(std::string(e.what()).find(state.tileNames[5]), std::string::npos) << e.what();
  }
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.percent, "");
  EXPECT_EQ(host.completions, 0);
  EXPECT_EQ(state.drawnResolution, 5);
  // The rows drawn so far stay: all of tile 1's and tile 5's first four
  // (lines 8, 32, 56 and 80).
  const int drawn = host.count("rows");
  EXPECT_EQ(drawn, 75 + 4);
  expectSameRows(host.picture, expectedMap(layout, 24, drawn), 0, drawn);

  std::filesystem::remove(pathOf(1));
  EXPECT_THROW(drawArea(-60, 58, 0, 32, state, host), TileError);
  EXPECT_FALSE(host.busy);
}

TEST_F(AreaDraw, RefusesWhatCannotBeDrawnAndChangesNothing) {
  state.sampleStep = 1;
  state.autoResolution = 0;
  for (AreaBounds area : {AreaBounds{10, 20, 10, 0}, AreaBounds{0, 95, 10, 89}, AreaBounds{-180, 88, 180, -88}}) {
    RecordingHost host;
    const MapViewState before = state;
    EXPECT_EQ(drawArea(area.west, area.north, area.east, area.south, state, host), AreaDrawResult::Refused);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].rfind("inform ", 0), 0u);
    EXPECT_EQ(state.areaWest, before.areaWest);
    EXPECT_EQ(state.sampleStep, before.sampleStep);
  }
  RecordingHost host;
  drawArea(-180, 88, 180, -88, state, host);
  EXPECT_NE(host.informed[0].find("46076 x 22528 pixels"), std::string::npos) << host.informed[0];
}

}  // namespace
}  // namespace tarvelon
