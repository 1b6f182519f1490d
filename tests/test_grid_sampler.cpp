#include "dem/GridSampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "dem/TileFile.h"
#include "render/RowSink.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;

static_assert(ElevationSource::kNoData == RowSink::kNoElevation);

// Tile lines written in every tile: both sides of each row join and a few
// inside. Each sample says which tile, line and column it is.
constexpr int kWrittenLines[] = {0, 1, 2, 100, 5629, 5630, 5631};

std::int16_t written(int tile, int line, int column) {
  return static_cast<std::int16_t>(tile * 2000 + (line % 7) * 100 + column % 97);
}

// The tile, line and column of a grid sample found from its place alone:
// the tile whose box holds the sample's centre, and the 1/128 degree cells
// of that box.
struct TilePlace {
  int tile;
  int line;
  int column;
};
TilePlace placeOf(std::int64_t column, int line) {
  const double longitude = -180 + (double(column) + 0.5) / 128;
  const double latitude = 88 - (double(line) + 0.5) / 128;
  for (int t = 0; t < kTileCount; ++t) {
    const TileBox box = tileBox(t);
    if (longitude >= box.tileWest && longitude < box.tileEast && latitude <= box.tileNorth &&
        latitude > box.tileSouth) {
      return TilePlace{t, static_cast<int>(std::floor((box.tileNorth - latitude) * 128)),
                       static_cast<int>(std::floor((longitude - box.tileWest) * 128))};
    }
  }
  ADD_FAILURE() << "no tile holds column " << column << ", line " << line;
  return TilePlace{};
}

class GridSamplerTest : public ::testing::Test {
 protected:
  GridSamplerTest() : names(testing::makeSparseTileSet(dir.str())) {}

  void writeJoins() {
    for (int t = 0; t < kTileCount; ++t) {
      for (int line : kWrittenLines) {
        testing::writeTileLine(dir.file(names[t]), line, [t, line](int column) { return written(t, line, column); });
      }
    }
  }

  // The sample at grid column `column` (0 .. 46079) and line `line`, read
  // straight from its tile file.
  int expected(std::int64_t column, int line) {
    const TilePlace place = placeOf(column, line);
    TileFile file(dir.file(names[place.tile]));
    return file.readSample(place.line, place.column);
  }

  ScratchDir dir;
  TileNames names;
};

// Grid columns on both sides of each join between tile columns, and lines
// on both sides of each join between tile rows.
constexpr std::int64_t kJoinColumns[] = {0, 11519, 11520, 23039, 23040, 34559, 34560, 46079};
constexpr int kJoinLines[] = {0, 5631, 5632, 11263, 11264, 16895, 16896, 22527};

TEST_F(GridSamplerTest, SamplesOnBothSidesOfEveryJoinAreTheTilesOwn) {
  writeJoins();
  GridSampler sampler(dir.str(), names);
  std::vector<GridIndex> indices;
  for (const int line : kJoinLines) {
    for (const std::int64_t column : kJoinColumns) indices.push_back(GridIndex{column, line});
  }
  std::vector<std::int16_t> out(indices.size());
  sampler.gather(indices.data(), static_cast<int>(indices.size()), out.data());
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const TilePlace place = placeOf(indices[i].column, indices[i].line);
    EXPECT_EQ(out[i], written(place.tile, place.line, place.column))
        << "column " << indices[i].column << ", line " << indices[i].line;
  }

  // A 4 x 4 block on each corner where four tiles meet, and across the
  // 180 degree meridian, west of it and east of it.
  for (const int joinLine : {5632, 11264, 16896}) {
    for (const std::int64_t joinColumn : {11520, 23040, 34560, 46080, 0, -46080 * 3}) {
      std::int16_t block[16];
      sampler.block(joinColumn - 2, joinLine - 2, 4, 4, 1, block);
      for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
          const std::int64_t column = ((joinColumn - 2 + c) % 46080 + 46080) % 46080;
          EXPECT_EQ(block[4 * r + c], expected(column, joinLine - 2 + r))
              << "join " << joinColumn << ", " << joinLine << " at " << c << ", " << r;
        }
      }
    }
  }
}

TEST_F(GridSamplerTest, BlocksStepAcrossJoinsAndOffTheGrid) {
  writeJoins();
  GridSampler sampler(dir.str(), names);
  // Columns 11513 .. 11525 by 3 cross into the second tile column; line -1
  // is north of 88 N.
  std::vector<std::int16_t> out(5 * 2, 7);
  sampler.block(11513, -1, 5, 2, 3, out.data());
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(out[c], ElevationSource::kNoData) << c;
    EXPECT_EQ(out[5 + c], expected(11513 + 3 * c, 2)) << c;
  }
  EXPECT_EQ(out[5 + 3], written(1, 2, 2));

  // Lines 22525, 22527 and 22529 (south of 88 S) by 2; columns 46078 and,
  // round the planet, 0.
  out.assign(2 * 3, 7);
  sampler.block(46078, 22525, 2, 3, 2, out.data());
  EXPECT_EQ(out[0], written(15, 5629, 11518));
  EXPECT_EQ(out[1], written(12, 5629, 0));
  EXPECT_EQ(out[2], written(15, 5631, 11518));
  EXPECT_EQ(out[3], written(12, 5631, 0));
  EXPECT_EQ(out[4], ElevationSource::kNoData);
  EXPECT_EQ(out[5], ElevationSource::kNoData);

  // A block wider than the planet meets its first columns again.
  out.assign(6, 7);
  sampler.block(-11520, 0, 6, 1, 11520, out.data());
  EXPECT_EQ(out, (std::vector<std::int16_t>{written(3, 0, 0), written(0, 0, 0), written(1, 0, 0), written(2, 0, 0),
                                            written(3, 0, 0), written(0, 0, 0)}));

  // Lines far off the grid at a large step stay off it.
  out.assign(3, 7);
  sampler.block(0, -2000000000, 1, 3, 2000000000, out.data());
  EXPECT_EQ(out, (std::vector<std::int16_t>{ElevationSource::kNoData, written(0, 0, 0), ElevationSource::kNoData}));
  EXPECT_THROW(sampler.block(0, 0, 1, 1, 0, out.data()), std::invalid_argument);
}

TEST_F(GridSamplerTest, EachTileLineABlockNeedsIsReadOnce) {
  GridSampler sampler(dir.str(), names);
  // Two turns of the planet along grid line 6000 (line 368 of tile row 1),
  // two samples in each tile column a turn.
  std::vector<std::int16_t> out(16);
  sampler.block(100, 6000, 16, 1, 5760, out.data());
  for (int t = 4; t < 8; ++t) EXPECT_EQ(sampler.tiles().file(t).reads(), 1) << t;
  EXPECT_EQ(sampler.tiles().opens(), 4);

  // 90 lines at step 1 come in blocks of lines, not a read a line.
  std::vector<std::int16_t> tall(90);
  sampler.block(11520 * 2 + 10, 0, 1, 90, 1, tall.data());
  EXPECT_EQ(sampler.tiles().file(2).reads(), 2);
}

TEST_F(GridSamplerTest, GatherReadsIndicesInAnyOrder) {
  writeJoins();
  GridSampler sampler(dir.str(), names);
  const std::vector<GridIndex> indices = {{46079, 5631},  {0, 5632},     {-1, 5632},    {46080 + 23040, 11264},
                                          {5, -1},        {5, 22528},    {23039, 100},  {23039, 5632 + 100},
                                          {23039, 100},   {-46080LL * 1000000, 16896}, {34560, 22527}};
  std::vector<std::int16_t> out(indices.size(), 7);
  sampler.gather(indices.data(), static_cast<int>(indices.size()), out.data());
  const std::vector<std::int16_t> wanted = {
      written(3, 5631, 11519), written(4, 0, 0),   written(7, 0, 11519),    written(10, 0, 0),
      ElevationSource::kNoData, ElevationSource::kNoData, written(1, 100, 11519), written(5, 100, 11519),
      written(1, 100, 11519), written(12, 0, 0), written(15, 5631, 0)};
  EXPECT_EQ(out, wanted);
  sampler.gather(indices.data(), 0, out.data());  // nothing to do
}

TEST_F(GridSamplerTest, PointsFindTheirSamplesAndSamplesTheirCentres) {
  writeJoins();
  GridSampler sampler(dir.str(), names);
  EXPECT_EQ(sampler.indexAt(-180, 88), (GridIndex{0, 0}));
  EXPECT_EQ(sampler.indexAt(179.999, 0), (GridIndex{46079, 11264}));
  EXPECT_EQ(sampler.indexAt(180, -88), (GridIndex{0, 22527}));
  EXPECT_EQ(sampler.indexAt(190, 10), sampler.indexAt(-170, 10));
  EXPECT_EQ(sampler.indexAt(-540, 10), sampler.indexAt(180, 10));
  EXPECT_EQ(sampler.indexAt(-180.001, 0).column, 46079);
  EXPECT_EQ(sampler.indexAt(-90, 44).column, 11520);
  EXPECT_EQ(sampler.indexAt(-90.0001, 44.0001).column, 11519);
  EXPECT_EQ(sampler.indexAt(0, 44.0001).line, 5631);
  EXPECT_EQ(sampler.indexAt(0, 44).line, 5632);

  // Beyond 88 N and 88 S, and a point that is not one: lines off the grid.
  std::vector<GridIndex> off = {sampler.indexAt(0, 88.001), sampler.indexAt(0, -88.001), sampler.indexAt(0, 90),
                                sampler.indexAt(0, -1e300), sampler.indexAt(NAN, 0), sampler.indexAt(0, INFINITY)};
  std::vector<std::int16_t> out(off.size(), 7);
  sampler.gather(off.data(), static_cast<int>(off.size()), out.data());
  for (std::size_t i = 0; i < off.size(); ++i) {
    EXPECT_TRUE(off[i].line < 0 || off[i].line >= 22528) << i;
    EXPECT_EQ(out[i], ElevationSource::kNoData) << i;
  }

  const GeoPoint first = sampler.centreOf({0, 0});
  EXPECT_EQ(first.longitude, -180 + 0.5 / 128);
  EXPECT_EQ(first.latitude, 88 - 0.5 / 128);
  const GeoPoint last = sampler.centreOf({46079, 22527});
  EXPECT_EQ(last.longitude, 180 - 0.5 / 128);
  EXPECT_EQ(last.latitude, -88 + 0.5 / 128);
  EXPECT_EQ(sampler.centreOf({-1, 0}).longitude, last.longitude);
  EXPECT_EQ(sampler.centreOf({46080, 0}).longitude, first.longitude);

  // The centre of each sample by a join lies in it, and its sample is the
  // tile's sample there.
  for (const int line : kJoinLines) {
    for (const std::int64_t column : kJoinColumns) {
      const GridIndex index{column, line};
      const GeoPoint centre = sampler.centreOf(index);
      EXPECT_EQ(sampler.indexAt(centre.longitude, centre.latitude), index) << column << ", " << line;
      const TilePlace place = placeOf(column, line);
      std::int16_t value = 0;
      sampler.gather(&index, 1, &value);
      EXPECT_EQ(value, written(place.tile, place.line, place.column));
    }
  }
}

TEST_F(GridSamplerTest, TwoSamplersReadTheSameTilesOnTwoThreads) {
  writeJoins();
  // Every corner where tiles meet, 16 x 16 samples, by one sampler first.
  std::vector<std::int16_t> reference(9 * 256);
  GridSampler first(dir.str(), names);
  auto readCorners = [](GridSampler& sampler, std::int16_t* out) {
    int n = 0;
    for (const int line : {5632, 11264, 16896}) {
      for (const std::int64_t column : {11520, 23040, 34560}) {
        sampler.block(column - 8, line - 8, 16, 16, 1, out + 256 * n++);
      }
    }
  };
  readCorners(first, reference.data());
  std::vector<std::int16_t> a(reference.size());
  std::vector<std::int16_t> b(reference.size());
  bool sameA = true;
  bool sameB = true;
  auto run = [&](std::vector<std::int16_t>& out, bool& same) {
    GridSampler sampler(dir.str(), names);
    for (int round = 0; round < 20 && same; ++round) {
      std::fill(out.begin(), out.end(), 0);
      readCorners(sampler, out.data());
      same = out == reference;
      sampler.tiles().close();
    }
  };
  std::thread one(run, std::ref(a), std::ref(sameA));
  std::thread two(run, std::ref(b), std::ref(sameB));
  one.join();
  two.join();
  EXPECT_TRUE(sameA);
  EXPECT_TRUE(sameB);
  EXPECT_EQ(reference[256 * 4 + 16 * 8 + 8], written(10, 0, 0));  // the centre corner
}

TEST_F(GridSamplerTest, AMissingOrShortTileIsAnError) {
  std::filesystem::remove(dir.file(names[5]));
  std::filesystem::resize_file(dir.file(names[6]), std::int64_t(kBytesPerLine) * 100);
  GridSampler sampler(dir.str(), names);
  std::int16_t out[4];
  const GridIndex inFive{11520 + 3, 5632 + 3};
  try {
    sampler.gather(&inFive, 1, out);
    FAIL() << "no error";
  } catch (const TileError& e) {
    EXPECT_NE(std::string(e.what()).find("t5.img"), std::string::npos) << e.what();
  }
  // Lines off the grid touch no tile.
  EXPECT_NO_THROW(sampler.block(11520, -10, 4, 2, 1, out));
  sampler.block(23040, 5632 + 99, 2, 1, 1, out);  // the last whole line of tile 6
  EXPECT_EQ(out[0], 0);
  try {
    sampler.block(23040, 5632 + 100, 2, 1, 1, out);
    FAIL() << "no error";
  } catch (const TileError& e) {
    EXPECT_NE(std::string(e.what()).find("t6.img"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("line 100"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace tarvelon
