#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "core/Settings.h"
#include "core/ViewSettings.h"
#include "core/AtomicFile.h"
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
    std::string text;
    std::string because;
  } cases[] = {
      {"", " has 0 lines where three are needed"},
      {"/x\r\n", " has 1 line where three are needed"},
      {"/x\r\n1\r\n", " has 2 lines where three are needed"},
      {"/x\r\none\r\n1\r\n", " holds \"one\" on line 2, where the scheme number belongs."},
      {"/x\r\n1\r\n1.5\r\n", " holds \"1.5\" on line 3, where the mode number belongs."},
      {"/x\r\n+-3\r\n1\r\n", " holds \"+-3\" on line 2, where the scheme number belongs."},
      {"/x\r\n--3\r\n1\r\n", " holds \"--3\" on line 2"},
      {"/x\r\n1\r\n99999999999\r\n", " holds \"99999999999\" on line 3, out of range for the mode number."},
      {"/x\r\n1\r\n-2147483649\r\n", "out of range for the mode number"},
      {"\r\n1\r\n1\r\n", "no data folder"},
      // Bytes that show nothing are shown for what they are.
      {"/x\r\n2\xEF\xBB\xBF\r\n1\r\n", " holds \"2<BOM>\" on line 2"},
      {std::string("/x\r\n2\0\r\n1\r\n", 11), " holds \"2\\x00\" on line 2"},
      {"/x\r\n1\r\n3\x1b[2J\r\n", " holds \"3\\x1b[2J\" on line 3"},
  };
  for (const Case& c : cases) {
    testing::writeText(path, c.text);
    const auto read = readSettings(path);
    EXPECT_EQ(read.status, Status::Unusable) << c.text;
    EXPECT_NE(read.problem.find(c.because), std::string::npos) << read.problem;
    EXPECT_EQ(read.problem.find("The settings file \"" + path + "\""), 0u) << read.problem;
  }
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ(readSettings(path).status, Status::Unusable);
}

TEST(Settings, ByteOrderMarksBeforeALineAreSkipped) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  testing::writeText(path, "\xEF\xBB\xBF/x\r\n\xEF\xBB\xBF" "2\r\n\xEF\xBB\xBF" "3\r\n");
  const auto read = readSettings(path);
  ASSERT_EQ(read.status, Status::Ok) << read.problem;
  EXPECT_EQ(read.settings.demFolder, "/x");
  EXPECT_EQ(read.settings.colourScheme, 2);
  EXPECT_EQ(read.settings.shadingMode, 3);
  const auto viewPath = viewSettingsPath(dir.str());
  testing::writeText(viewPath, "\xEF\xBB\xBFreliefShading=1\r\n");
  EXPECT_EQ(readViewSettings(viewPath).reliefShading, 1);
  // A folder name that starts as a mark would not read back: not written,
  // and the old file stays.
  try {
    writeSettings(path, Settings{"\xEF\xBB\xBF/y", 1, 1});
    ADD_FAILURE() << "written";
  } catch (const WriteError& error) {
    EXPECT_NE(std::string(error.what()).find("byte order mark"), std::string::npos) << error.what();
  }
  EXPECT_EQ(readSettings(path).settings.demFolder, "/x");
}

// A name that leads to a FIFO or a device: start-up must neither wait for
// a writer nor read without end.
TEST(Settings, OnlyOrdinaryFilesAreRead) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  const auto viewPath = viewSettingsPath(dir.str());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(viewPath.c_str(), 0600), 0);
  auto read = readSettings(path);
  EXPECT_EQ(read.status, Status::Unusable);
  EXPECT_NE(read.problem.find("is not an ordinary file."), std::string::npos) << read.problem;
  EXPECT_EQ(readViewSettings(viewPath), ViewSettings{});
  std::filesystem::remove(path);
  std::filesystem::remove(viewPath);
  std::filesystem::create_symlink("/dev/zero", path);
  std::filesystem::create_symlink("/dev/zero", viewPath);
  EXPECT_EQ(readSettings(path).status, Status::Unusable);
  EXPECT_EQ(readViewSettings(viewPath), ViewSettings{});
  // A long view settings file is read no further than its first lines.
  std::filesystem::remove(viewPath);
  testing::writeText(viewPath, "reliefShading=1\r\n" + std::string(2'000'000, 'x'));
  EXPECT_EQ(readViewSettings(viewPath).reliefShading, 1);
}

TEST(Settings, AHugeLineIsQuotedShortAndReadQuickly) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  // Ten megabytes of scheme: the message quotes a few dozen characters.
  testing::writeText(path, "/x\r\n" + std::string(10'000'000, '7') + "\r\n1\r\n");
  const auto read = readSettings(path);
  EXPECT_EQ(read.status, Status::Unusable);
  EXPECT_LT(read.problem.size(), 300u) << read.problem.substr(0, 300);
  EXPECT_NE(read.problem.find(" characters on line 2: \"777"), std::string::npos) << read.problem;
  EXPECT_NE(read.problem.find("777...777"), std::string::npos) << read.problem;
  // Random bytes give a message of printable text.
  std::string noise;
  for (int i = 0; i < 4000; ++i) noise += static_cast<char>((i * 7919 + 13) % 256);
  testing::writeText(path, "/x\n" + noise + "\n1\n");
  const auto garbled = readSettings(path);
  EXPECT_EQ(garbled.status, Status::Unusable);
  EXPECT_LT(garbled.problem.size(), 400u);
  for (unsigned char c : garbled.problem) EXPECT_TRUE(c >= 0x20 && c != 0x7F) << int(c);
}

TEST(Settings, AFolderNameWithALineBreakIsNotStored) {
  ScratchDir dir;
  const auto path = settingsPath(dir.str());
  writeSettings(path, Settings{"/old", 2, 3});
  try {
    writeSettings(path, Settings{"/data/two\nlines", 1, 1});
    FAIL() << "written";
  } catch (const WriteError& error) {
    EXPECT_NE(std::string(error.what()).find("\"/data/two\\x0alines\" holds a line break"), std::string::npos)
        << error.what();
  }
  // Nor a name the reader would set aside.
  EXPECT_THROW(writeSettings(path, Settings{"", 1, 1}), WriteError);
  EXPECT_THROW(writeSettings(path, Settings{std::string(kLongestSettingsLine + 1, 'd'), 1, 1}), WriteError);
  EXPECT_EQ(testing::readText(path), "/old\r\n2\r\n3\r\n");
  // The longest name that is stored reads back, as does a carriage return
  // at the end of a name.
  writeSettings(path, Settings{std::string(kLongestSettingsLine, 'd'), 0, 0});
  EXPECT_EQ(readSettings(path).settings.demFolder.size(), kLongestSettingsLine);
  writeSettings(path, Settings{"/data/odd\r", 0, 0});
  const auto read = readSettings(path);
  ASSERT_EQ(read.status, Status::Ok);
  EXPECT_EQ(read.settings.demFolder, "/data/odd\r");
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
