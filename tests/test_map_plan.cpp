// The plans of tile and area maps against what the renderers draw from
// them, and the start and end of a draw as the host is told them.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "dem/TileFile.h"
#include "dem/TileNames.h"
#include "render/AreaRenderer.h"
#include "render/MapPlan.h"
#include "render/TileRenderer.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::RecordingHost;
using testing::ScratchDir;

// The same map in both: size, step, drawn rows and columns, georeference,
// and the sample behind pixels across the map and at its drawn edges.
void expectSameGeometry(const MapGeometry& got, const MapGeometry& planned) {
  ASSERT_EQ(got.width(), planned.width());
  ASSERT_EQ(got.height(), planned.height());
  EXPECT_EQ(got.sampleStep(), planned.sampleStep());
  EXPECT_EQ(got.rowsDrawn(), planned.rowsDrawn());
  EXPECT_EQ(got.columnsDrawn(), planned.columnsDrawn());
  EXPECT_EQ(got.transform(), planned.transform());
  const int xs[] = {0, 1, planned.columnsDrawn() / 2, planned.columnsDrawn() - 1, planned.columnsDrawn(),
                    planned.width() - 1};
  const int ys[] = {0, 1, planned.rowsDrawn() / 2, planned.rowsDrawn() - 1, planned.rowsDrawn(), planned.height() - 1};
  for (int y : ys) {
    for (int x : xs) EXPECT_EQ(got.sampleAt(x, y), planned.sampleAt(x, y)) << x << ", " << y;
  }
}

// Sixteen sparse tiles: every sample reads as 0 m, which is all a plan's
// check needs.
class PlannedDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    state.demFolder = dir.str();
    state.tileNames = testing::makeSparseTileSet(dir.str());
    state.mapTitle = "User selection";
    state.drawInBackground = 1;
  }
  std::string pathOf(int tile) const { return tilePath(state.demFolder, state.tileNames[tile]); }

  ScratchDir dir;
  MapViewState state;
};

// ---------------------------------------------------------------------------
// Tiles

TEST(PlanTile, ReadsTheLinesOfTheTileLoopAndShowsThoseWithinTheMap) {
  // Step, map size, lines read (one a row), rows shown: at 5 %, 12.5 %, 25 %
  // and 100 % the loop stops a row short of the map, at 7.5 % and 10 % it
  // reads exactly the map's rows.
  struct Row {
    int step, width, height, linesRead, rowsDrawn;
  };
  const Row rows[] = {{24, 480, 235, 234, 234}, {13, 886, 433, 433, 433},     {10, 1152, 563, 563, 563},
                      {8, 1440, 704, 703, 703}, {1, 11519, 5632, 5630, 5630}, {48, 240, 117, 117, 117}};
  for (const Row& row : rows) {
    const MapPlan plan = planTile(6, row.step);
    EXPECT_EQ(plan.width, row.width) << "step " << row.step;
    EXPECT_EQ(plan.height, row.height) << "step " << row.step;
    EXPECT_EQ(plan.rowsRead, row.linesRead) << "step " << row.step;
    EXPECT_EQ(plan.rowsRead, tileLinesRead(row.step));
    EXPECT_EQ(plan.geometry.rowsDrawn(), row.rowsDrawn) << "step " << row.step;
    // The last line read lies below 5632 - step; one step more would not.
    const int lastCounter = 1 + plan.rowsRead * row.step;
    EXPECT_GE(lastCounter, kLinesPerTile - row.step) << "step " << row.step;
    EXPECT_LT(lastCounter - row.step, kLinesPerTile - row.step) << "step " << row.step;
  }
  // At 7.5 % the 887th sample of a line is read but lies past the map.
  EXPECT_EQ(tileSamplesRead(13), 887);
  EXPECT_EQ(planTile(0, 13).geometry.columnsDrawn(), 886);
  EXPECT_THROW(planTile(0, 49), std::invalid_argument);
}

TEST_F(PlannedDraw, TheTileRendererDrawsTheMapOfItsPlan) {
  state.mapKind = 1;
  state.tilePath = pathOf(9);
  state.tileBox = tileBox(9);
  for (int step : {24, 13, 8, 3}) {
    state.sampleStep = step;
    const MapPlan plan = planTile(9, step);
    RecordingHost host;
    drawTile(state, host);
    EXPECT_EQ(host.calls.front(), "size " + std::to_string(plan.width) + "x" + std::to_string(plan.height));
    ASSERT_TRUE(host.placed.has_value());
    expectSameGeometry(*host.placed, plan.geometry);
    // Events run once a line read and once at the end; a percentage a line.
    EXPECT_EQ(host.count("events"), plan.rowsRead + 1) << "step " << step;
    EXPECT_EQ(host.count("percent") - 1, plan.rowsRead) << "step " << step;
    EXPECT_EQ(host.picture.height, plan.height);
  }
}

// ---------------------------------------------------------------------------
// Areas

TEST(PlanArea, ChoosesAStepOnlyWhenGivenNoneAndLimitsOnlyAHostThatKeepsTheMap) {
  const MapPlan arcadia = planArea(160, 54, 220, 20, std::nullopt, true);
  EXPECT_TRUE(arcadia.stepChosen);
  EXPECT_EQ(arcadia.step, 10);
  const MapPlan given = planArea(530, 90, 540, 80, 8, true);  // moved by a turn and cut at 88 N
  EXPECT_FALSE(given.stepChosen);
  EXPECT_EQ(given.step, 8);
  EXPECT_EQ(given.bounds, (AreaBounds{170, 88, 180, 80}));
  EXPECT_EQ(planArea(10, 5, 5, 0, 8, true).step, 0);  // no step for an area that does not fit

  // The whole planet at 100 % is too large only for a host that keeps it.
  EXPECT_EQ(planArea(-180, 88, 180, -88, 1, true).refusal, MapPlan::Refusal::TooLarge);
  const MapPlan streamed = planArea(-180, 88, 180, -88, 1, false);
  EXPECT_TRUE(streamed.drawable());
  EXPECT_EQ(streamed.geometry.width(), 46076);
  EXPECT_EQ(streamed.geometry.height(), 22528);
  EXPECT_THROW(planArea(0, 10, 10, 0, 49, true), std::invalid_argument);
}

TEST_F(PlannedDraw, TheAreaRendererDrawsTheMapOfItsPlan) {
  struct Case {
    AreaBounds asked;
    std::optional<int> step;
  };
  const Case cases[] = {
      {{-60, 58, 0, 32}, std::nullopt},  // Acidalia: tile 1, then tile 5
      {{160, 54, 220, 20}, 24},          // Arcadia: across 180 degrees and a tile row
      {{-10, 95, 40, 47}, 13},           // cut at 88 N, with a note
      {{-179, 10, 181, 4}, 48},          // 360 degrees: tile 0 at both ends
  };
  for (const Case& c : cases) {
    const AreaBounds& a = c.asked;
    const MapPlan plan = planArea(a.west, a.north, a.east, a.south, c.step, true);
    ASSERT_TRUE(plan.drawable());
    state.autoResolution = c.step ? 0 : 1;
    state.sampleStep = c.step.value_or(4);
    RecordingHost host;
    ASSERT_EQ(drawArea(a.west, a.north, a.east, a.south, state, host), AreaDrawResult::Completed);
    EXPECT_EQ(state.sampleStep, plan.step);
    EXPECT_EQ((AreaBounds{state.areaWest, state.areaNorth, state.areaEast, state.areaSouth}), plan.bounds);
    EXPECT_EQ(host.width, plan.width);
    EXPECT_EQ(host.height, plan.height);
    ASSERT_TRUE(host.placed.has_value());
    expectSameGeometry(*host.placed, plan.geometry);
    // Events run once before the first row and once a row read.
    EXPECT_EQ(host.count("events"), plan.rowsRead + 1) << a.west << " " << a.north;
    if (plan.note.empty()) {
      EXPECT_TRUE(host.informed.empty());
    } else {
      EXPECT_EQ(host.calls.front(), "inform " + plan.note);
    }
  }
}

TEST_F(PlannedDraw, AnAreaRefusedByItsPlanIsRefusedWithItsTextAndNothingElse) {
  state.sampleStep = 1;
  for (const AreaBounds a : {AreaBounds{10, 5, 5, 0}, AreaBounds{10, 95, 20, 89}, AreaBounds{-180, 88, 180, -88}}) {
    const MapPlan plan = planArea(a.west, a.north, a.east, a.south, 1, true);
    ASSERT_FALSE(plan.drawable());
    RecordingHost host;
    EXPECT_EQ(drawArea(a.west, a.north, a.east, a.south, state, host), AreaDrawResult::Refused);
    EXPECT_EQ(host.calls, std::vector<std::string>{"inform " + plan.refusalText});
    EXPECT_TRUE(host.startedAfter.empty());
  }
}

// ---------------------------------------------------------------------------
// The host's hooks

// drawStarted right after the legend that ends in "Progress:", before any
// row; drawFinished right after the elapsed time, before the percentage
// is emptied.
void expectHooksAroundTheDraw(const RecordingHost& host) {
  ASSERT_EQ(host.startedAfter.size(), 1u);
  ASSERT_EQ(host.finishedAfter.size(), 1u);
  const std::size_t started = host.startedAfter[0];
  const std::size_t finished = host.finishedAfter[0];
  ASSERT_GE(started, 1u);
  const std::string& legend = host.calls[started - 1];
  EXPECT_EQ(legend.rfind("legend ", 0), 0u) << legend;
  EXPECT_EQ(legend.substr(legend.size() - 9), "Progress:") << legend;
  for (std::size_t i = 0; i < started; ++i) EXPECT_NE(host.calls[i].rfind("percent", 0), 0u) << host.calls[i];
  ASSERT_GT(finished, started);
  ASSERT_LT(finished, host.calls.size());
  EXPECT_EQ(host.calls[finished - 1], "legend User selection processed in 0 seconds");
  EXPECT_EQ(host.calls[finished], "percent ");
}

TEST_F(PlannedDraw, TheHostIsToldWhenADrawStartsAndWhenItIsComplete) {
  RecordingHost area;
  state.sampleStep = 24;
  ASSERT_EQ(drawArea(-60, 58, 0, 32, state, area), AreaDrawResult::Completed);
  expectHooksAroundTheDraw(area);

  RecordingHost tile;
  state.mapKind = 1;
  state.tilePath = pathOf(0);
  state.tileBox = tileBox(0);
  drawTile(state, tile);
  expectHooksAroundTheDraw(tile);
}

TEST_F(PlannedDraw, AStoppedOrFailedDrawStartsButIsNeverComplete) {
  state.sampleStep = 24;
  RecordingHost stopped;
  stopped.onEvents = [&](int call) {
    if (call == 3) state.stopRequested = 1;
  };
  ASSERT_EQ(drawArea(-60, 58, 0, 32, state, stopped), AreaDrawResult::Stopped);
  EXPECT_EQ(stopped.startedAfter.size(), 1u);
  EXPECT_TRUE(stopped.finishedAfter.empty());

  // A tile that ends early: the draw fails part way.
  std::filesystem::resize_file(pathOf(1), std::int64_t(100) * kBytesPerLine);
  RecordingHost failed;
  EXPECT_THROW(drawArea(-60, 58, 0, 32, state, failed), TileError);
  EXPECT_EQ(failed.startedAfter.size(), 1u);
  EXPECT_TRUE(failed.finishedAfter.empty());
  EXPECT_EQ(failed.calls.back(), "percent ");
}

}  // namespace
}  // namespace tarvelon
