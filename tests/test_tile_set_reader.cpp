#include "dem/TileSetReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "core/MessageText.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;

// The text of the TileError a call throws, or "no error".
template <typename Call>
std::string errorOf(Call call) {
  try {
    call();
  } catch (const TileError& e) {
    return e.what();
  }
  return "no error";
}

class TileSetReaderTest : public ::testing::Test {
 protected:
  TileSetReaderTest() : names(testing::makeSparseTileSet(dir.str())) {}
  std::string path(int tile) const { return dir.file(names[tile]); }

  ScratchDir dir;
  TileNames names;
};

TEST_F(TileSetReaderTest, OpensEachTileOnceAndOnlyWhenFirstRead) {
  testing::writeTileLine(path(5), 7, [](int column) { return 500 + column; });
  testing::writeTileLine(path(5), 8, [](int column) { return -column; });
  testing::writeTileLine(path(9), 0, [](int) { return 99; });
  TileSetReader tiles(dir.str(), names);
  EXPECT_EQ(tiles.path(5), path(5));
  for (int t = 0; t < kTileCount; ++t) EXPECT_FALSE(tiles.isOpen(t)) << t;
  EXPECT_EQ(tiles.opens(), 0);

  EXPECT_EQ(decodeSample(tiles.line(5, 7) + 2 * 300), 800);
  EXPECT_EQ(decodeSample(tiles.line(5, 8) + 2 * 11519), -11519);
  EXPECT_EQ(tiles.sample(5, 7, 11519), 500 + 11519);
  TileFile& five = tiles.file(5);
  EXPECT_EQ(&tiles.file(5), &five);
  EXPECT_EQ(tiles.opens(), 1);
  EXPECT_EQ(tiles.sample(9, 0, 0), 99);
  EXPECT_EQ(tiles.opens(), 2);
  for (int t = 0; t < kTileCount; ++t) EXPECT_EQ(tiles.isOpen(t), t == 5 || t == 9) << t;

  // One sample is one read of its two bytes; a line by record, one read.
  const int before = five.reads();
  tiles.sample(5, 100, 5);
  tiles.line(5, 200);
  EXPECT_EQ(five.reads(), before + 2);

  tiles.close(9);
  EXPECT_FALSE(tiles.isOpen(9));
  EXPECT_TRUE(tiles.isOpen(5));
  EXPECT_EQ(tiles.sample(9, 0, 1), 99);
  EXPECT_EQ(tiles.opens(), 3);
  tiles.close();
  EXPECT_FALSE(tiles.isOpen(5));
  EXPECT_FALSE(tiles.isOpen(9));
}

TEST_F(TileSetReaderTest, AFileReadInOrderKeepsItsBlockReads) {
  TileSetReader tiles(dir.str(), names);
  TileFile& file = tiles.file(2);
  for (int line = 0; line < 2 * TileFile::kBlockLines; ++line) file.next();
  EXPECT_EQ(file.reads(), 2);
  file.skipLines(TileFile::kBlockLines);
  EXPECT_EQ(file.nextLine(), 3 * TileFile::kBlockLines);
  EXPECT_EQ(file.reads(), 3);
}

TEST_F(TileSetReaderTest, ErrorsNameTheFileAndTheLineAsTileFilesDo) {
  std::filesystem::remove(path(3));
  std::filesystem::resize_file(path(4), std::int64_t(kBytesPerLine) * 10);
  TileSetReader tiles(dir.str(), names);
  EXPECT_EQ(errorOf([&] { tiles.line(3, 0); }),
            "Cannot open the tile file " + quote(path(3)) + ": No such file or directory");
  EXPECT_EQ(errorOf([&] { tiles.sample(3, 0, 0); }),
            "Cannot open the tile file " + quote(path(3)) + ": No such file or directory");
  const std::string shortText =
      "The tile file " + quote(path(4)) + " ends before line 20: it is shorter than a MEGDR128 tile (129761280 bytes)";
  EXPECT_EQ(errorOf([&] { tiles.line(4, 20); }), shortText);
  EXPECT_EQ(errorOf([&] { tiles.sample(4, 20, 3); }), shortText);
  EXPECT_EQ(errorOf([&] { tiles.sample(4, 5632, 0); }),
            "Line 5632, column 0 of the tile file " + path(4) + " does not exist");
  EXPECT_EQ(errorOf([&] { tiles.line(4, -1); }), "Line -1 of the tile file " + quote(path(4)) + " does not exist");
  // A folder of the set's name opens but cannot be read.
  TileNames folders = names;
  folders[6] = ".";
  TileSetReader odd(dir.str(), folders);
  EXPECT_EQ(errorOf([&] { odd.line(6, 0); }),
            "Cannot read line 0 of the tile file " + quote(dir.str() + "/.") + ": Is a directory");
  EXPECT_THROW(tiles.line(16, 0), std::out_of_range);
  EXPECT_THROW(tiles.file(-1), std::out_of_range);
}

TEST_F(TileSetReaderTest, ATileThatFailedIsOpenedAfreshAtItsNextUse) {
  TileSetReader tiles(dir.str(), names);
  std::filesystem::remove(path(3));
  EXPECT_THROW(tiles.sample(3, 0, 0), TileError);
  EXPECT_FALSE(tiles.isOpen(3));
  testing::makeSparseFile(path(3));
  testing::writeTileLine(path(3), 0, [](int) { return 33; });
  EXPECT_EQ(tiles.sample(3, 0, 0), 33);

  // A short file replaced by a whole one: the failed read dropped the old
  // file, so the next read sees the new one.
  std::filesystem::resize_file(path(4), std::int64_t(kBytesPerLine) * 10);
  EXPECT_EQ(tiles.sample(4, 9, 0), 0);
  EXPECT_THROW(tiles.line(4, 20), TileError);
  const std::string whole = dir.file("whole.img");
  testing::makeSparseFile(whole);
  testing::writeTileLine(whole, 20, [](int column) { return column; });
  ASSERT_EQ(std::rename(whole.c_str(), path(4).c_str()), 0);
  EXPECT_EQ(decodeSample(tiles.line(4, 20) + 2 * 44), 44);
}

TEST_F(TileSetReaderTest, AnotherFolderOrNameClosesOnlyTheTilesItChanges) {
  testing::writeTileLine(path(0), 0, [](int) { return 10; });
  testing::writeTileLine(path(1), 0, [](int) { return 11; });
  const std::string other = dir.file("other.img");
  testing::makeSparseFile(other);
  testing::writeTileLine(other, 0, [](int) { return -11; });
  TileSetReader tiles(dir.str(), names);
  tiles.sample(0, 0, 0);
  tiles.sample(1, 0, 0);
  tiles.use(dir.str(), names);
  EXPECT_TRUE(tiles.isOpen(0));
  EXPECT_TRUE(tiles.isOpen(1));

  TileNames renamed = names;
  renamed[1] = "other.img";
  tiles.use(dir.str(), renamed);
  EXPECT_TRUE(tiles.isOpen(0));
  EXPECT_FALSE(tiles.isOpen(1));
  EXPECT_EQ(tiles.sample(0, 0, 0), 10);
  EXPECT_EQ(tiles.sample(1, 0, 0), -11);

  // Another folder is other files for every tile.
  ScratchDir second;
  const TileNames secondNames = testing::makeSparseTileSet(second.str());
  tiles.use(second.str(), secondNames);
  EXPECT_FALSE(tiles.isOpen(0));
  EXPECT_EQ(tiles.sample(0, 0, 0), 0);
  EXPECT_EQ(tiles.path(0), second.file("t0.img"));

  // A tile named by its own path.
  tiles.setPath(0, path(1));
  EXPECT_FALSE(tiles.isOpen(0));
  EXPECT_EQ(tiles.sample(0, 0, 0), 11);
  tiles.setPath(0, path(1));
  EXPECT_TRUE(tiles.isOpen(0));
}

}  // namespace
}  // namespace tarvelon
