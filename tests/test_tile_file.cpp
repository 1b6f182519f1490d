#include <gtest/gtest.h>

#include <vector>

#include "dem/TileFile.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;

TEST(TileFile, ReadsLinesInOrderAndByRecord) {
  ScratchDir dir;
  const auto path = dir.file("megt00n000hb.img");
  testing::makeSparseFile(path);
  for (int line : {0, 1, 2, 5631}) {
    testing::writeTileLine(path, line, [line](int column) { return line * 3 - column; });
  }
  TileFile file(path);
  std::vector<std::uint8_t> buffer(kBytesPerLine);
  file.readNextLine(buffer.data());
  EXPECT_EQ(decodeSample(&buffer[2 * 100]), -100);
  file.skipLines(1);
  file.readNextLine(buffer.data());
  EXPECT_EQ(decodeSample(&buffer[2 * 0]), 6);
  EXPECT_EQ(decodeSample(&buffer[2 * 11519]), 6 - 11519);
  EXPECT_EQ(file.nextLine(), 3);
  file.readLine(5631, buffer.data());
  EXPECT_EQ(decodeSample(&buffer[2 * 7]), 5631 * 3 - 7);
  file.readLine(1, buffer.data());
  EXPECT_EQ(decodeSample(&buffer[2 * 9]), 3 - 9);
}

TEST(TileFile, AMissingFileIsAnErrorNamingIt) {
  ScratchDir dir;
  try {
    TileFile file(dir.file("megt44n000hb.img"));
    FAIL() << "no error";
  } catch (const TileError& e) {
    EXPECT_NE(std::string(e.what()).find("megt44n000hb.img"), std::string::npos) << e.what();
  }
}

TEST(TileFile, AShortFileIsAnErrorNamingFileAndLine) {
  ScratchDir dir;
  const auto path = dir.file("short.img");
  testing::makeSparseFile(path, std::int64_t(kBytesPerLine) * 10 + 100);  // 10 whole lines and a bit
  TileFile file(path);
  std::vector<std::uint8_t> buffer(kBytesPerLine);
  file.readLine(9, buffer.data());
  try {
    file.readLine(10, buffer.data());
    FAIL() << "no error";
  } catch (const TileError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("short.img"), std::string::npos) << text;
    EXPECT_NE(text.find("line 10"), std::string::npos) << text;
  }
  TileFile sequential(path);
  sequential.skipLines(8);
  sequential.readNextLine(buffer.data());
  try {
    sequential.skipLines(5);
    FAIL() << "no error";
  } catch (const TileError& e) {
    EXPECT_NE(std::string(e.what()).find("line 10"), std::string::npos) << e.what();
  }
  EXPECT_THROW(file.readLine(-1, buffer.data()), TileError);
}

TEST(TileFile, AFolderCannotBeRead) {
  ScratchDir dir;
  EXPECT_THROW(
      {
        TileFile file(dir.str());
        std::vector<std::uint8_t> buffer(kBytesPerLine);
        file.readNextLine(buffer.data());
      },
      TileError);
}

}  // namespace
}  // namespace tarvelon
