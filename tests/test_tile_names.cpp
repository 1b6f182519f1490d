#include <gtest/gtest.h>

#include <filesystem>

#include "dem/TileNames.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;

void touch(const ScratchDir& dir, const std::string& name) { testing::writeText(dir.file(name), ""); }

TEST(TileNames, PublishedNamesGoToTheirTiles) {
  ScratchDir dir;
  for (const auto& name : testing::publishedTileNames()) touch(dir, name);
  touch(dir, "readme.txt");
  touch(dir, "megt00n000hb.lbl");
  const auto listing = listTileFiles(dir.str());
  ASSERT_EQ(listing.size(), 16u);
  const auto names = buildTileNames(listing);
  ASSERT_TRUE(names.has_value());
  // Slot 0 (180 W .. 90 W, 88 N .. 44 N) takes the fifteenth name: its west
  // edge lies at 180 E.
  EXPECT_EQ((*names)[0], "megt88n180hb.img");
  EXPECT_EQ((*names)[1], "megt88n270hb.img");
  EXPECT_EQ((*names)[2], "megt88n000hb.img");
  EXPECT_EQ((*names)[3], "megt88n090hb.img");
  EXPECT_EQ((*names)[4], "megt44n180hb.img");
  EXPECT_EQ((*names)[6], "megt44n000hb.img");
  EXPECT_EQ((*names)[10], "megt00n000hb.img");  // first name: 0 .. 90 E, 0 .. 44 S
  EXPECT_EQ((*names)[12], "megt44s180hb.img");
  EXPECT_EQ((*names)[14], "megt44s000hb.img");
  EXPECT_EQ((*names)[15], "megt44s090hb.img");
}

TEST(TileNames, FifteenAreTooFewSeventeenAreEnough) {
  ScratchDir dir;
  auto published = testing::publishedTileNames();
  for (int i = 0; i < 15; ++i) touch(dir, published[i]);
  EXPECT_FALSE(buildTileNames(listTileFiles(dir.str())).has_value());
  touch(dir, published[15]);
  touch(dir, "megtzzextra.img");  // sorts last and is ignored
  const auto listing = listTileFiles(dir.str());
  ASSERT_EQ(listing.size(), 17u);
  const auto names = buildTileNames(listing);
  ASSERT_TRUE(names.has_value());
  EXPECT_EQ((*names)[1], "megt88n270hb.img");
}

TEST(TileNames, FoldersAreNotTilesAndCapitalsSortFirst) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.path() / "megt00n000hb.img");
  touch(dir, "MEGT44N000HB.IMG");
  touch(dir, "megt88n000hb.img");
  touch(dir, "megt.im");
  const auto listing = listTileFiles(dir.str());
  ASSERT_EQ(listing.size(), 2u);
  EXPECT_EQ(listing[0], "MEGT44N000HB.IMG");
  EXPECT_EQ(listing[1], "megt88n000hb.img");
}

TEST(TileNames, LongNamesAreKeptWhole) {
  std::vector<std::string> listing;
  for (int i = 0; i < 16; ++i) listing.push_back("megt_a_rather_long_name_" + std::to_string(10 + i) + ".img");
  const auto names = buildTileNames(listing);
  ASSERT_TRUE(names.has_value());
  EXPECT_EQ((*names)[10], listing[0]);
  EXPECT_GT((*names)[10].size(), 20u);
}

TEST(TileNames, PatternAndPaths) {
  EXPECT_TRUE(matchesTilePattern("megt.img"));
  EXPECT_TRUE(matchesTilePattern("MeGt90n000cb.IMG"));
  EXPECT_FALSE(matchesTilePattern("megt.im"));
  EXPECT_FALSE(matchesTilePattern("xmegt00.img"));
  EXPECT_FALSE(matchesTilePattern("megt00.img.gz"));
  EXPECT_EQ(tilePath("/data/mola", "megt00n000hb.img"), "/data/mola/megt00n000hb.img");
  EXPECT_TRUE(listTileFiles("/no/such/folder/anywhere").empty());
}

}  // namespace
}  // namespace tarvelon
