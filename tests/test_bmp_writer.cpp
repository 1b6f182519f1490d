#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "core/AtomicFile.h"
#include "render/BmpWriter.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;

std::uint32_t le32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}
std::uint16_t le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

TEST(BmpWriter, WritesHeadersAndPaddedRowsBottomUp) {
  ScratchDir dir;
  Raster raster(3, 2);
  raster.set(0, 0, 0x10, 0x11, 0x12);  // top row
  raster.set(2, 0, 0x20, 0x21, 0x22);
  raster.set(0, 1, 0x30, 0x31, 0x32);  // bottom row
  raster.set(2, 1, 0x40, 0x41, 0x42);
  const auto path = dir.file("map.bmp");
  writeBmp(raster, path);
  const std::string bytes = testing::readText(path);

  // 3 pixels of 3 bytes take 9 bytes, padded to 12.
  ASSERT_EQ(bytes.size(), 54u + 2 * 12);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(le32(bytes, 2), 78u);  // file size
  EXPECT_EQ(le32(bytes, 6), 0u);   // reserved
  EXPECT_EQ(le32(bytes, 10), 54u);  // offset of the pixels
  EXPECT_EQ(le32(bytes, 14), 40u);  // info header size
  EXPECT_EQ(le32(bytes, 18), 3u);   // width
  EXPECT_EQ(le32(bytes, 22), 2u);   // height, positive: bottom-up
  EXPECT_EQ(le16(bytes, 26), 1u);   // planes
  EXPECT_EQ(le16(bytes, 28), 24u);  // bits per pixel
  EXPECT_EQ(le32(bytes, 30), 0u);   // no compression
  EXPECT_EQ(le32(bytes, 34), 24u);  // image size
  EXPECT_EQ(le32(bytes, 46), 0u);   // no palette
  const std::string bottom = bytes.substr(54, 12);
  const std::string top = bytes.substr(66, 12);
  EXPECT_EQ(bottom, std::string("\x32\x31\x30\0\0\0\x42\x41\x40\0\0\0", 12));
  EXPECT_EQ(top, std::string("\x12\x11\x10\0\0\0\x22\x21\x20\0\0\0", 12));
}

TEST(BmpWriter, RowsWrittenInAnyOrderGiveTheSameFile) {
  ScratchDir dir;
  Raster raster(5, 300);  // more rows than one batch of writes
  for (int y = 0; y < raster.height; ++y) {
    for (int x = 0; x < raster.width; ++x) raster.set(x, y, std::uint8_t(y), std::uint8_t(x), std::uint8_t(y * 7 + x));
  }
  writeBmp(raster, dir.file("whole.bmp"));
  {
    BmpFile file(dir.file("parts.bmp"), 5, 300);
    file.writeRows(raster, 290, 300);
    file.writeRowBytes(raster.row(3), 3);
    file.writeRows(raster, 0, 3);
    file.writeRows(raster, 4, 290);
    file.commit();
  }
  EXPECT_EQ(testing::readText(dir.file("parts.bmp")), testing::readText(dir.file("whole.bmp")));
  {
    BmpFile abandoned(dir.file("abandoned.bmp"), 5, 300);
    abandoned.writeRows(raster, 0, 10);
    EXPECT_THROW(abandoned.writeRows(Raster(4, 300), 0, 1), WriteError);  // not this file's size
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(BmpWriter, RowsOfAMultipleOfFourBytesHaveNoPadding) {
  ScratchDir dir;
  Raster raster(4, 3, 0x7F);
  const auto path = dir.file("map.bmp");
  writeBmp(raster, path);
  const std::string bytes = testing::readText(path);
  EXPECT_EQ(bytes.size(), 54u + 36);
  EXPECT_EQ(le32(bytes, 34), 36u);
  EXPECT_EQ(bytes.substr(54), std::string(36, '\x7F'));
}

TEST(BmpWriter, AFailedWriteKeepsTheOldFile) {
  ScratchDir dir;
  const auto path = dir.file("map.bmp");
  testing::writeText(path, "old map");
  const Raster raster(1000, 1000, 0x22);

  // A full disk, played by a limit on file sizes.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    writeBmp(raster, path);
  } catch (const WriteError& e) {
    failed = true;
    EXPECT_NE(std::string(e.what()).find("map.bmp"), std::string::npos) << e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(failed);
  EXPECT_EQ(testing::readText(path), "old map");

  // A folder that is gone, and a map name that is a folder.
  EXPECT_THROW(writeBmp(raster, dir.file("gone/map.bmp")), WriteError);
  std::filesystem::create_directory(dir.file("folder.bmp"));
  EXPECT_THROW(writeBmp(raster, dir.file("folder.bmp")), WriteError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.bmp")));
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

  EXPECT_THROW(writeBmp(Raster(), dir.file("empty.bmp")), WriteError);
  EXPECT_FALSE(std::filesystem::exists(dir.file("empty.bmp")));
}

TEST(BmpWriter, ReplacesAnExistingFile) {
  ScratchDir dir;
  const auto path = dir.file("map.bmp");
  testing::writeText(path, std::string(5000, 'x'));
  writeBmp(Raster(1, 1, 9), path);
  EXPECT_EQ(testing::readText(path).size(), 54u + 4);
}

TEST(DefaultMapFileName, TakesOutTheFirstAmpersand) {
  EXPECT_EQ(defaultMapFileName("Acidalia"), "Acidalia.bmp");
  EXPECT_EQ(defaultMapFileName("User selection"), "User selection.bmp");
  EXPECT_EQ(defaultMapFileName("&Map"), "Map.bmp");
  EXPECT_EQ(defaultMapFileName("North&South&East"), "NorthSouth&East.bmp");
  EXPECT_EQ(defaultMapFileName(""), ".bmp");
}

}  // namespace
}  // namespace tarvelon
