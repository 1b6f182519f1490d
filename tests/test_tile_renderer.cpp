#include <gtest/gtest.h>

#include <vector>

#include "dem/TileFile.h"
#include "render/ColourTable.h"
#include "render/TileRenderer.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::RecordingHost;
using testing::ScratchDir;

// The test tile has its first 50 and its last 72 lines written; every other
// line reads as 0 m. A written sample is an elevation in range that depends
// on its line and column, so a row drawn from the wrong line or with the
// wrong columns shows other colours.
constexpr int kHeadLines = 50;
constexpr int kTailStart = 5560;

bool isWritten(int line) { return line < kHeadLines || line >= kTailStart; }
int sampleAt(int line, int column) { return -8000 + (line * 7919 + column * 104729) % 28000; }  // -8000 .. 19999
int elevationAt(int line, int column) { return isWritten(line) ? sampleAt(line, column) : 0; }

void writeTestTile(const std::string& path, std::int64_t bytes = kTileBytes) {
  testing::makeSparseFile(path, bytes);
  const int lines = static_cast<int>(bytes / kBytesPerLine);
  for (int line = 0; line < lines; ++line) {
    if (isWritten(line)) testing::writeTileLine(path, line, [line](int column) { return sampleAt(line, column); });
  }
}

// The whole test tile under its published name, in a folder of its own.
struct TestTile {
  TestTile() { writeTestTile(path); }
  ScratchDir dir;
  std::string path = dir.file("megt88n000hb.img");
};

// Each row of the size table: step, W, H, rows drawn, last line drawn, lines read.
struct SizeRow {
  int step, width, height, rowsDrawn, lastLine, linesRead;
};
constexpr SizeRow kSizeTable[] = {
    {24, 480, 235, 234, 5592, 5616},   {13, 886, 433, 433, 5616, 5629},   {10, 1152, 563, 563, 5620, 5630},
    {8, 1440, 704, 703, 5616, 5624},   {4, 2880, 1408, 1407, 5624, 5628}, {3, 3840, 1877, 1876, 5625, 5628},
    {2, 5760, 2816, 2815, 5628, 5630}, {1, 11519, 5632, 5630, 5629, 5630},
};

MapViewState tileState(const std::string& path, int step, int background) {
  MapViewState state;
  state.tilePath = path;
  state.mapTitle = "Tile: megt88n000hb.img";
  state.sampleStep = step;
  state.colourScheme = 1;
  state.shadingMode = 1;
  state.drawInBackground = background;
  return state;
}

// Checks a finished raster row by row against the test tile: rows below
// `rowsDrawn` show lines 0, step, 2 step, ... and columns 0, step, ...;
// the rows after them copy the last row drawn, or keep the black fill of
// a draw that was stopped.
enum class Below { Copied, Black };
void expectTileRaster(const Raster& raster, int step, int rowsDrawn, Below below = Below::Copied, int scheme = 1,
                      int mode = 1) {
  const ColourTable table(scheme, mode, BandLimits{});
  std::vector<std::uint8_t> expected(raster.rowBytes());
  for (int y = 0; y < raster.height; ++y) {
    const int shown = y < rowsDrawn || below == Below::Black ? y : rowsDrawn - 1;
    for (int x = 0; x < raster.width; ++x) {
      const std::uint32_t e = shown < rowsDrawn ? table.entry(elevationAt(shown * step, x * step)) : 0u;
      expected[3 * x] = static_cast<std::uint8_t>(e);
      expected[3 * x + 1] = static_cast<std::uint8_t>(e >> 8);
      expected[3 * x + 2] = static_cast<std::uint8_t>(e >> 16);
    }
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), raster.row(y)))
        << "step " << step << ": row " << y << " does not show line " << y * step;
  }
}

TEST(TileMapSize, HalvesGoToTheEvenNeighbour) {
  for (const SizeRow& row : kSizeTable) {
    const MapSize size = tileMapSize(row.step);
    EXPECT_EQ(size.width, row.width) << "step " << row.step;
    EXPECT_EQ(size.height, row.height) << "step " << row.step;
  }
}

TEST(ElapsedTimeText, CountsWholeSecondsAcrossAMinute) {
  // 10:59:50 to 11:00:10
  EXPECT_EQ(elapsedTimeText("Tile: megt00n000hb.img", 39610, 39590), "Tile: megt00n000hb.img processed in 20 seconds");
  EXPECT_EQ(elapsedTimeText("Gale (Individual Craters)", 5, 5), "Gale (Individual Craters) processed in 0 seconds");
  EXPECT_EQ(elapsedTimeText("Tile: megt88n000hb.img", 39591, 39590), "Tile: megt88n000hb.img processed in 1 second");
  EXPECT_EQ(elapsedTimeText("Tile: megt88n000hb.img", 39592, 39590), "Tile: megt88n000hb.img processed in 2 seconds");
}

TEST(TileRenderer, DrawsTheRowsOfTheSizeTableAtEveryStepBelow100Percent) {
  const TestTile tile;
  const std::string& path = tile.path;
  for (const SizeRow& row : kSizeTable) {
    if (row.step == 1) continue;  // its own test: it reads and draws the whole tile
    MapViewState state = tileState(path, row.step, 1);
    RecordingHost host;
    drawTile(state, host);
    ASSERT_TRUE(host.hasPicture);
    EXPECT_EQ(host.picture.width, row.width);
    EXPECT_EQ(host.picture.height, row.height);
    EXPECT_EQ(host.width, row.width);
    EXPECT_EQ(host.height, row.height);
    EXPECT_EQ(host.count("events"), row.rowsDrawn + 1) << "step " << row.step;
    EXPECT_EQ((row.rowsDrawn - 1) * row.step, row.lastLine);
    expectTileRaster(host.picture, row.step, row.rowsDrawn);
    EXPECT_EQ(host.percents.back(), "") << "step " << row.step;
    EXPECT_EQ(host.percents[host.percents.size() - 2], "100%") << "step " << row.step;
  }
}

TEST(TileRenderer, At100PercentLeavesTheLastTwoLinesAndColumnUndrawn) {
  const TestTile tile;
  const std::string& path = tile.path;
  // Extremes that only samples never drawn hold.
  testing::writeTileLine(path, 5630, [](int) { return 21000; });
  testing::writeTileLine(path, 5631, [](int) { return -8100; });
  testing::writeTileLine(path, 5629, [](int column) { return column == 11519 ? 20000 : sampleAt(5629, column); });
  MapViewState state = tileState(path, 1, 1);
  RecordingHost host;
  drawTile(state, host);
  ASSERT_EQ(host.picture.width, 11519);
  ASSERT_EQ(host.picture.height, 5632);
  expectTileRaster(host.picture, 1, 5630);
  int highest = 0;
  int lowest = 0;
  for (int line : {0, 5629}) {
    for (int column = 0; column < 11519; ++column) {
      highest = std::max(highest, elevationAt(line, column));
      lowest = std::min(lowest, elevationAt(line, column));
    }
  }
  EXPECT_LT(state.altMax, 20000);
  EXPECT_GT(state.altMin, -8100);
  EXPECT_GE(state.altMax, highest);
  EXPECT_LE(state.altMin, lowest);
  EXPECT_EQ(host.count("raster"), 1);
  EXPECT_EQ(host.count("rows"), 0);
}

TEST(TileRenderer, ReadsExactlyTheLinesOfTheSizeTable) {
  ScratchDir dir;
  for (const SizeRow& row : kSizeTable) {
    if (row.step != 24 && row.step != 13) continue;
    const auto enough = dir.file("enough.img");
    const auto shorter = dir.file("short.img");
    writeTestTile(enough, std::int64_t(row.linesRead) * kBytesPerLine);
    writeTestTile(shorter, std::int64_t(row.linesRead - 1) * kBytesPerLine);
    MapViewState state = tileState(enough, row.step, 1);
    RecordingHost host;
    EXPECT_NO_THROW(drawTile(state, host)) << "step " << row.step;
    state.tilePath = shorter;
    EXPECT_THROW(drawTile(state, host), TileError) << "step " << row.step;
  }
}

TEST(TileRenderer, At7Point5PercentThe887thSampleIsTakenButNotStored) {
  const TestTile tile;
  const std::string& path = tile.path;
  // Column 11518 is the 887th sample of line 0 (0, 13, ... 11518).
  testing::writeTileLine(path, 0, [](int column) { return column == 11518 ? 21100 : sampleAt(0, column); });
  MapViewState state = tileState(path, 13, 1);
  RecordingHost host;
  drawTile(state, host);
  EXPECT_EQ(host.picture.width, 886);
  EXPECT_EQ(state.altMax, 21100);
  EXPECT_EQ(host.altmax, "21100 m)");
}

TEST(TileRenderer, ShowsItsTextsAndPercentagesDrawingDirectly) {
  const TestTile tile;
  const std::string& path = tile.path;
  MapViewState state = tileState(path, 24, 0);
  RecordingHost host;
  host.times = {39590, 39610};  // 10:59:50 and 11:00:10
  drawTile(state, host);

  ASSERT_GE(host.calls.size(), 6u);
  EXPECT_EQ(host.calls[0], "size 480x235");
  EXPECT_EQ(host.calls[1], "legend Drawing Tile directly to screen  .... Progress:");
  EXPECT_EQ(host.calls[2], "busy 1");
  EXPECT_EQ(host.calls[3], "events");
  // The first row replaces the picture by the whole raster, undrawn rows
  // included; later rows add only themselves.
  EXPECT_EQ(host.calls[4], "rows 0-235");
  EXPECT_EQ(host.calls[5], "percent 0%");
  EXPECT_EQ(host.calls[7], "rows 1-2");
  EXPECT_EQ(host.count("rows"), 235);  // the 234 drawn and the copy of the last below them
  EXPECT_EQ(host.count("raster"), 0);
  expectTileRaster(host.picture, 24, 234);

  const std::vector<std::string> ending(host.calls.end() - 7, host.calls.end());
  EXPECT_EQ(ending[0], "percent 100%");
  EXPECT_EQ(ending[1], "rows 234-235");
  EXPECT_EQ(ending[2], "events");
  EXPECT_EQ(ending[3], "labels " + std::to_string(state.altMax) + " m)|" + std::to_string(state.altMin) + " m)");
  EXPECT_EQ(ending[4], "legend Tile: megt88n000hb.img processed in 20 seconds");
  EXPECT_EQ(ending[5], "percent ");
  EXPECT_EQ(ending[6], "busy 0");
}

TEST(TileRenderer, InBackgroundShowsTheSameRasterOnceAtTheEnd) {
  const TestTile tile;
  const std::string& path = tile.path;
  MapViewState direct = tileState(path, 8, 0);
  RecordingHost onScreen;
  drawTile(direct, onScreen);
  MapViewState background = tileState(path, 8, 1);
  RecordingHost offScreen;
  offScreen.picture = Raster(3, 3, 0x55);
  offScreen.hasPicture = true;
  offScreen.onEvents = [&](int) {
    // Until the end the old picture stays.
    EXPECT_EQ(offScreen.picture.width, 3);
  };
  drawTile(background, offScreen);
  EXPECT_EQ(offScreen.legend, "Tile: megt88n000hb.img processed in 0 seconds");
  EXPECT_EQ(offScreen.calls[1], "legend Drawing Tile in background  .... Progress:");
  EXPECT_EQ(offScreen.count("rows"), 0);
  EXPECT_EQ(offScreen.count("raster"), 1);
  EXPECT_EQ(onScreen.picture.pixels, offScreen.picture.pixels);
  EXPECT_EQ(direct.altMax, background.altMax);
  EXPECT_EQ(direct.altMin, background.altMin);
}

TEST(TileRenderer, AStopDrawsOneMoreLineAndEndsNormally) {
  const TestTile tile;
  const std::string& path = tile.path;
  MapViewState state = tileState(path, 4, 1);
  RecordingHost host;
  host.picture = Raster(3, 3, 0x55);
  host.hasPicture = true;
  host.onEvents = [&](int call) {
    if (call == 3) state.stopRequested = 1;  // "Terminate Drawing Mode" while line 8 is in hand
  };
  drawTile(state, host);
  EXPECT_EQ(state.stopRequested, 0);
  EXPECT_EQ(host.count("events"), 4);  // three lines and the end
  // Rows 0..2 drawn, the rest black; in background the partial map is shown.
  ASSERT_EQ(host.picture.width, 2880);
  expectTileRaster(host.picture, 4, 3, Below::Black);
  EXPECT_EQ(host.legend, "Tile: megt88n000hb.img processed in 0 seconds");
  EXPECT_EQ(host.percent, "");
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.percents[host.percents.size() - 2], "100%");  // 5636 of 5632
}

TEST(TileRenderer, ChangesDuringTheDrawTakeEffectFromTheNextLine) {
  const TestTile tile;
  const std::string& path = tile.path;
  MapViewState state = tileState(path, 24, 1);
  RecordingHost host;
  host.onEvents = [&](int call) {
    if (call == 2) state.colourScheme = 5;  // before row 1
    if (call == 3) state.drawInBackground = 0;  // before row 2: the picture becomes the raster
    if (call == 4) state.drawInBackground = 1;
  };
  drawTile(state, host);
  const ColourTable scheme1(1, 1, BandLimits{});
  const ColourTable scheme5(5, 1, BandLimits{});
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = host.picture.row(y) + 3 * x;
    return ColourTable::kColoured | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
  };
  EXPECT_EQ(pixel(7, 0), scheme1.entry(sampleAt(0, 7 * 24)));
  EXPECT_EQ(pixel(7, 1), scheme5.entry(sampleAt(24, 7 * 24)));
  EXPECT_NE(scheme1.entry(sampleAt(24, 7 * 24)), scheme5.entry(sampleAt(24, 7 * 24)));
  // Rows 0..2 were pushed once in direct mode (whole raster), the rest at
  // the end in background.
  EXPECT_EQ(host.count("rows"), 1);
  EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "rows 0-235"), host.calls.end());
  EXPECT_EQ(host.count("raster"), 1);
  EXPECT_EQ(host.calls[1], "legend Drawing Tile in background  .... Progress:");
}

TEST(TileRenderer, AltitudesStartFromTheFirstSampleAndOutOfRangeSamplesRepeatTheColour) {
  ScratchDir dir;
  const auto high = dir.file("high.img");
  testing::makeSparseFile(high);
  // Every line drawn at step 24 lies above 0 m, except for the extremes.
  for (int line = 0; line < 5632; line += 24) {
    testing::writeTileLine(high, line, [](int column) { return column == 24 ? -32768 : column == 48 ? 32767 : 500; });
  }
  MapViewState state = tileState(high, 24, 1);
  state.pixel = PixelColour{1, 2, 3};
  RecordingHost host;
  drawTile(state, host);
  // The tile renderer counts every sample it takes.
  EXPECT_EQ(state.altMax, 32767);
  EXPECT_EQ(state.altMin, -32768);
  const ColourTable table(1, 1, BandLimits{});
  const PixelColour of500{int(table.entry(500) >> 16 & 0xFF), int(table.entry(500) >> 8 & 0xFF),
                          int(table.entry(500) & 0xFF)};
  EXPECT_EQ(state.pixel, of500);
  for (int x : {1, 2}) {  // columns 24 and 48 repeat the colour of column 0
    EXPECT_TRUE(std::equal(host.picture.row(5), host.picture.row(5) + 3, host.picture.row(5) + 3 * x));
  }

  const auto flat = dir.file("flat.img");
  testing::makeSparseFile(flat);
  for (int line = 0; line < 5632; line += 24) testing::writeTileLine(flat, line, [](int) { return 700; });
  state.tilePath = flat;
  state.pixel = PixelColour{1, 2, 3};
  drawTile(state, host);
  // A tile wholly above 0 m reports its own lowest, not 0 m.
  EXPECT_EQ(state.altMin, 700);
  EXPECT_EQ(state.altMax, 700);
  EXPECT_EQ(state.altitudesFound, 1);
  EXPECT_EQ(host.altmin, "700 m)");
  EXPECT_EQ(host.altmax, "700 m)");
  for (int line = 0; line < 5632; line += 24) testing::writeTileLine(flat, line, [](int) { return -2721; });
  drawTile(state, host);
  EXPECT_EQ(state.altMax, -2721);
  EXPECT_EQ(host.altmax, "-2721 m)");
  for (int line = 0; line < 5632; line += 24) testing::writeTileLine(flat, line, [](int) { return 700; });

  // A tile that starts with a sample no scheme colours keeps the colour the
  // previous draw left.
  testing::writeTileLine(flat, 0, [](int column) { return column == 0 ? -32768 : 700; });
  state.pixel = PixelColour{1, 2, 3};
  drawTile(state, host);
  const std::uint8_t* first = host.picture.row(0);
  EXPECT_EQ(first[0], 3);
  EXPECT_EQ(first[1], 2);
  EXPECT_EQ(first[2], 1);
}

TEST(TileRenderer, AnInputErrorRestoresTheCursorAndLeavesNoMap) {
  ScratchDir dir;
  const auto path = dir.file("short.img");
  writeTestTile(path, std::int64_t(3000) * kBytesPerLine + 7);
  MapViewState state = tileState(path, 24, 1);
  RecordingHost host;
  host.picture = Raster(3, 3, 0x55);
  host.hasPicture = true;
  try {
    drawTile(state, host);
    FAIL() << "no error";
  } catch (const TileError& e) {
    EXPECT_NE(std::string(e.what()).find("short.img"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.percent, "");
  EXPECT_EQ(host.legend, "Drawing Tile in background  .... Progress:");
  EXPECT_EQ(host.picture.width, 3);  // the old picture stays
  EXPECT_EQ(host.count("labels"), 0);
  EXPECT_GT(state.altMax, 0);  // what was gathered stays

  state.tilePath = dir.file("missing.img");
  EXPECT_THROW(drawTile(state, host), TileError);
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.calls.back(), "percent ");
}

TEST(TileRenderer, RefusesAStepItHasNoSizeFor) {
  MapViewState state;
  state.sampleStep = 0;
  RecordingHost host;
  EXPECT_THROW(drawTile(state, host), std::invalid_argument);
  EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace tarvelon
