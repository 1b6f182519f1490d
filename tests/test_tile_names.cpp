#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "dem/TileNames.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

void touch(const ScratchDir& dir, const std::string& name) { testing::writeText(dir.file(name), ""); }

std::string upper(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

TEST(TileNames, PublishedNamesGoToTheirTiles) {
  ScratchDir dir;
  for (const auto& name : testing::publishedTileNames()) touch(dir, name);
  touch(dir, "readme.txt");
  touch(dir, "megt00n000hb.lbl");
  const TileListing listing = listTileFolder(dir.str());
  ASSERT_TRUE(listing.readable);
  EXPECT_TRUE(listing.complete());
  EXPECT_EQ(listing.matching, testing::publishedTileNames());
  // Slot 0 (180 W .. 90 W, 88 N .. 44 N): its west edge lies at 180 E.
  EXPECT_EQ(listing.tiles[0], "megt88n180hb.img");
  EXPECT_EQ(listing.tiles[1], "megt88n270hb.img");
  EXPECT_EQ(listing.tiles[2], "megt88n000hb.img");
  EXPECT_EQ(listing.tiles[3], "megt88n090hb.img");
  EXPECT_EQ(listing.tiles[4], "megt44n180hb.img");
  EXPECT_EQ(listing.tiles[6], "megt44n000hb.img");
  EXPECT_EQ(listing.tiles[10], "megt00n000hb.img");  // 0 .. 90 E, 0 .. 44 S
  EXPECT_EQ(listing.tiles[12], "megt44s180hb.img");
  EXPECT_EQ(listing.tiles[14], "megt44s000hb.img");
  EXPECT_EQ(listing.tiles[15], "megt44s090hb.img");
  EXPECT_TRUE(listingNotes(listing).empty());
  // For the published set, the names give the order of the sorted listing.
  for (int t = 0; t < kTileCount; ++t) {
    EXPECT_EQ(publishedTileName(t), testing::publishedTileNames()[kListingIndexOfTile[t]]) << t;
    EXPECT_EQ(tileOfName(upper(publishedTileName(t))), t);
  }
}

TEST(TileNames, ATileKeepsItsPlaceWhateverTheOrderOfTheNames) {
  // One name in capitals sorts before all the others...
  ScratchDir dir;
  for (const auto& name : testing::publishedTileNames()) {
    touch(dir, name == "megt00n090hb.img" ? upper(name) : name);
  }
  TileListing listing = listTileFolder(dir.str());
  ASSERT_TRUE(listing.complete());
  EXPECT_EQ(listing.matching.front(), "MEGT00N090HB.IMG");
  EXPECT_EQ(listing.tiles[10], "megt00n000hb.img");  // menu tile 11
  EXPECT_EQ(listing.tiles[11], "MEGT00N090HB.IMG");  // menu tile 12
  EXPECT_EQ(listing.tiles[0], "megt88n180hb.img");

  // ... and a copy sorts before the file it copies: it takes no place.
  touch(dir, "megt00n000hb (copy).img");
  touch(dir, "megtzzextra.img");
  listing = listTileFolder(dir.str());
  ASSERT_TRUE(listing.complete());
  EXPECT_EQ(listing.tiles[10], "megt00n000hb.img");
  EXPECT_EQ(listing.tiles[11], "MEGT00N090HB.IMG");
  EXPECT_EQ(listing.ignored, (std::vector<std::string>{"megt00n000hb (copy).img", "megtzzextra.img"}));
  EXPECT_EQ(listingNotes(listing),
            std::vector<std::string>{"Ignored, not one of the sixteen MEGDR128 tile names: "
                                     "\"megt00n000hb (copy).img\", \"megtzzextra.img\"."});

  // Without the file itself, the copy does not stand in for it.
  fs::remove(dir.file("megt00n000hb.img"));
  listing = listTileFolder(dir.str());
  EXPECT_FALSE(listing.complete());
  EXPECT_EQ(listing.found(), 15);
  EXPECT_TRUE(listing.tiles[10].empty());
  EXPECT_EQ(listing.missing(), std::vector<std::string>{"megt00n000hb.img"});
  EXPECT_EQ(listingNotes(listing).front(), "Missing: megt00n000hb.img (tile 11).");
}

TEST(TileNames, ASecondSpellingOfANameIsIgnored) {
  // The published spelling wins; among others, the first in byte order.
  TileListing listing = assignTileNames({"megt00n000hb.img", "MEGT00N000HB.IMG", "Megt44n000HB.img", "MEGT44N000HB.img"});
  EXPECT_EQ(listing.tiles[10], "megt00n000hb.img");
  EXPECT_EQ(listing.tiles[6], "MEGT44N000HB.img");
  EXPECT_EQ(listing.duplicates, (std::vector<std::string>{"MEGT00N000HB.IMG", "Megt44n000HB.img"}));
  EXPECT_EQ(listing.found(), 2);
  // The result does not depend on the order the names come in.
  listing = assignTileNames({"MEGT44N000HB.img", "Megt44n000HB.img", "MEGT00N000HB.IMG", "megt00n000hb.img"});
  EXPECT_EQ(listing.tiles[10], "megt00n000hb.img");
  EXPECT_EQ(listing.tiles[6], "MEGT44N000HB.img");
  // Names are matched whole: no prefix, suffix or other resolution.
  for (const char* name : {"megt00n000hb.img.img", "xmegt00n000hb.img", "megt00n000gb.img", "megt00n000hb.im",
                           "megt00n360hb.img", "megt00s000hb.img"}) {
    EXPECT_EQ(tileOfName(name), -1) << name;
  }
}

TEST(TileNames, EntriesNamedLikeTilesThatAreNoFilesAreNamed) {
  ScratchDir dir;
  for (const auto& name : testing::publishedTileNames()) touch(dir, name);
  fs::remove(dir.file("megt44n000hb.img"));
  fs::remove(dir.file("megt44n090hb.img"));
  fs::remove(dir.file("megt44n180hb.img"));
  fs::create_directory(dir.file("megt44n000hb.img"));
  fs::create_symlink(dir.file("gone.img"), dir.file("megt44n090hb.img"));
  fs::create_symlink("megt44n180hb.img", dir.file("megt44n180hb.img"));
  fs::create_symlink("megt00n000hb.img", dir.file("megt44n270hb.link.img"));  // a link to a tile counts as a file
  const TileListing listing = listTileFolder(dir.str());
  EXPECT_EQ(listing.found(), 13);
  ASSERT_EQ(listing.odd.size(), 3u);
  EXPECT_EQ(listing.ignored, std::vector<std::string>{"megt44n270hb.link.img"});
  const auto notes = listingNotes(listing);
  ASSERT_EQ(notes.size(), 5u);
  EXPECT_EQ(notes[0], "Missing: megt44n180hb.img (tile 5), megt44n000hb.img (tile 7), megt44n090hb.img (tile 8).");
  EXPECT_EQ(notes[1], "\"megt44n000hb.img\" is a folder, not a tile file.");
  EXPECT_EQ(notes[2], "\"megt44n090hb.img\" is a symbolic link to nothing, not a tile file.");
  EXPECT_EQ(notes[3], "\"megt44n180hb.img\" is a loop of symbolic links, not a tile file.");
  EXPECT_EQ(notes[4], "Ignored, not one of the sixteen MEGDR128 tile names: \"megt44n270hb.link.img\".");
}

TEST(TileNames, AFolderThatCannotBeListedSaysSo) {
  TileListing listing = listTileFolder("/no/such/folder/anywhere");
  EXPECT_FALSE(listing.readable);
  EXPECT_EQ(listing.problem, "No such file or directory");

  ScratchDir dir;
  for (const auto& name : testing::publishedTileNames()) touch(dir, name);
  ::chmod(dir.str().c_str(), 0300);  // may be entered, not listed
  {
    testing::AsOrdinaryUser user;
    listing = listTileFolder(dir.str());
  }
  ::chmod(dir.str().c_str(), 0700);
  EXPECT_FALSE(listing.readable);
  EXPECT_EQ(listing.problem, "Permission denied");
  EXPECT_EQ(listing.found(), 0);

  ::chmod(dir.str().c_str(), 0744);  // listed, not searched
  {
    testing::AsOrdinaryUser user;
    listing = listTileFolder(dir.str());
  }
  ::chmod(dir.str().c_str(), 0700);
  EXPECT_FALSE(listing.readable);
  EXPECT_EQ(listing.problem,
            "it can be listed but not searched (no search permission), so its files cannot be opened");
}

TEST(TileNames, PatternAndPaths) {
  EXPECT_TRUE(matchesTilePattern("megt.img"));
  EXPECT_TRUE(matchesTilePattern("MeGt90n000cb.IMG"));
  EXPECT_FALSE(matchesTilePattern("megt.im"));
  EXPECT_FALSE(matchesTilePattern("xmegt00.img"));
  EXPECT_FALSE(matchesTilePattern("megt00.img.gz"));
  EXPECT_EQ(publishedTileName(0), "megt88n180hb.img");
  EXPECT_EQ(publishedTileName(15), "megt44s090hb.img");
  EXPECT_EQ(publishedTileName(16), "");
  EXPECT_EQ(tilePath("/data/mola", "megt00n000hb.img"), "/data/mola/megt00n000hb.img");
}

}  // namespace
}  // namespace tarvelon
