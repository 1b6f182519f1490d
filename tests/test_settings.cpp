#include <gtest/gtest.h>

#include <filesystem>

#include "app/Settings.h"
#include "dem/AtomicFile.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;
using Status = SettingsRead::Status;

TEST(Settings, RoundTripWritesThreeCrLfLines) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  EXPECT_EQ(path, dir.str() + "/megdr128.cfg");
  writeSettings(path, Settings{"/data/MOLA tiles", 4, 2});
  EXPECT_EQ(testing::readText(path), "/data/MOLA tiles\r\n4\r\n2\r\n");
  const auto read = readSettings(path);
  ASSERT_EQ(read.status, Status::Ok);
  EXPECT_EQ(read.settings.demFolder, "/data/MOLA tiles");
  EXPECT_EQ(read.settings.colourScheme, 4);
  EXPECT_EQ(read.settings.shadingMode, 2);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Settings, MissingFileIsAFirstRun) {
  ScratchDir dir;
  const auto read = readSettings(settingsPath(dir.str()));
  EXPECT_EQ(read.status, Status::Missing);
  EXPECT_EQ(read.settings.colourScheme, 1);
  EXPECT_EQ(read.settings.shadingMode, 1);
}

TEST(Settings, AcceptsPlainLineFeedsAndBlanksAroundNumbers) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  testing::writeText(path, "/x\n 3 \n+0");
  const auto read = readSettings(path);
  ASSERT_EQ(read.status, Status::Ok);
  EXPECT_EQ(read.settings.colourScheme, 3);
  EXPECT_EQ(read.settings.shadingMode, 0);
}

TEST(Settings, ValuesOutOfRangeFallBackToTheFirstRunValues) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  for (const char* text : {"/x\r\n6\r\n4\r\n", "/x\r\n-1\r\n-1\r\n", "/x\r\n99\r\n2147483647\r\n"}) {
    testing::writeText(path, text);
    const auto read = readSettings(path);
    ASSERT_EQ(read.status, Status::Ok) << text;
    EXPECT_EQ(read.settings.colourScheme, 1) << text;
    EXPECT_EQ(read.settings.shadingMode, 1) << text;
  }
}

TEST(Settings, BadFilesAreSetAsideWithAReason) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  struct Case {
    const char* text;
    const char* because;
  } cases[] = {
      {"", "0 lines"},
      {"/x\r\n1\r\n", "2 lines"},
      {"/x\r\none\r\n1\r\n", "'one'"},
      {"/x\r\n1\r\n1.5\r\n", "'1.5'"},
      {"/x\r\n1\r\n99999999999\r\n", "'99999999999'"},
      {"\r\n1\r\n1\r\n", "no data folder"},
  };
  for (const Case& c : cases) {
    testing::writeText(path, c.text);
    const auto read = readSettings(path);
    EXPECT_EQ(read.status, Status::Unusable) << c.text;
    EXPECT_NE(read.problem.find(c.because), std::string::npos) << read.problem;
  }
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ(readSettings(path).status, Status::Unusable);
}

TEST(Settings, AFailedWriteKeepsTheOldFile) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  writeSettings(path, Settings{"/old", 2, 3});
  // Writing into a folder that is gone fails without touching anything.
  EXPECT_THROW(writeSettings(dir.file("gone/megdr128.cfg"), Settings{"/new", 1, 1}), WriteError);
  // A settings path that is a folder cannot be replaced.
  const auto folderPath = dir.file("folder.cfg");
  std::filesystem::create_directory(folderPath);
  EXPECT_THROW(writeSettings(folderPath, Settings{"/new", 1, 1}), WriteError);
  EXPECT_TRUE(std::filesystem::is_directory(folderPath));
  EXPECT_EQ(testing::readText(path), "/old\r\n2\r\n3\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(Settings, UserColoursAreStoredAsARealScheme) {
  EXPECT_EQ(schemeToStore(3, -1, 1), 3);
  EXPECT_EQ(schemeToStore(99, 4, 1), 4);
  EXPECT_EQ(schemeToStore(99, -1, 2), 2);   // no draw through the Resolution command yet
  EXPECT_EQ(schemeToStore(99, 99, 5), 5);   // resolution changed while user colours were in force
  EXPECT_EQ(schemeToStore(99, -1, -1), 1);
}

}  // namespace
}  // namespace tarvelon
