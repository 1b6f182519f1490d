// The JPEG decoder on pictures made here with libjpeg, whole, cut short and
// damaged.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "core/JpegDecoder.h"

using namespace tarvelon;

namespace {

// A picture of `width` x `height` whose left half is pure red and right half
// pure blue (whole 16-pixel blocks, so that they decode almost exactly).
std::vector<std::uint8_t> encodeJpeg(int width, int height, bool grey = false) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(std::size_t(width) * 3);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width; ++x) {
      const bool left = x < width / 2;
      if (grey) {
        row[std::size_t(x)] = left ? 200 : 40;
      } else {
        row[std::size_t(x) * 3 + 0] = left ? 255 : 0;
        row[std::size_t(x) * 3 + 1] = 0;
        row[std::size_t(x) * 3 + 2] = left ? 0 : 255;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

int channel(const DecodedJpeg& image, int x, int y, int c) {
  return image.rgb[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3 + std::size_t(c)];
}

}  // namespace

TEST(JpegDecoder, WholePictureDecodesToItsSizeAndColours) {
  const auto bytes = encodeJpeg(64, 32);
  const DecodedJpeg image = decodeJpeg(bytes.data(), bytes.size());
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_EQ(image.width, 64);
  EXPECT_EQ(image.height, 32);
  ASSERT_EQ(image.rgb.size(), 64u * 32u * 3u);
  for (int y : {0, 15, 31}) {
    EXPECT_NEAR(channel(image, 4, y, 0), 255, 3);
    EXPECT_NEAR(channel(image, 4, y, 2), 0, 3);
    EXPECT_NEAR(channel(image, 60, y, 0), 0, 3);
    EXPECT_NEAR(channel(image, 60, y, 2), 255, 3);
    EXPECT_NEAR(channel(image, 60, y, 1), 0, 3);
  }
  // A grey picture comes out as RGB with equal channels.
  const auto grey = encodeJpeg(32, 16, true);
  const DecodedJpeg greyImage = decodeJpeg(grey.data(), grey.size());
  ASSERT_TRUE(greyImage.ok) << greyImage.error;
  EXPECT_EQ(greyImage.rgb.size(), 32u * 16u * 3u);
  EXPECT_EQ(channel(greyImage, 2, 2, 0), channel(greyImage, 2, 2, 1));
  EXPECT_NEAR(channel(greyImage, 2, 2, 2), 200, 2);
}

TEST(JpegDecoder, CorruptPicturesAreRefusedWithTheReason) {
  const auto bytes = encodeJpeg(64, 32);

  DecodedJpeg image = decodeJpeg(nullptr, 0);
  EXPECT_FALSE(image.ok);
  EXPECT_EQ(image.error, "The JPEG picture is empty");

  std::vector<std::uint8_t> notJpeg = bytes;
  notJpeg[0] = 'B';
  notJpeg[1] = 'M';
  image = decodeJpeg(notJpeg.data(), notJpeg.size());
  EXPECT_FALSE(image.ok);
  EXPECT_EQ(image.error, "Not a JPEG file: starts with 0x42 0x4d");
  EXPECT_TRUE(image.rgb.empty());

  // Cut short inside the picture's data: refused, not shown with a grey end.
  image = decodeJpeg(bytes.data(), bytes.size() * 2 / 3);
  EXPECT_FALSE(image.ok);
  EXPECT_EQ(image.error, "Premature end of JPEG file");
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.rgb.empty());

  // Every shorter length is refused, and none is read past.
  for (std::size_t length = 1; length < bytes.size() - 2; ++length) {
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
    const DecodedJpeg part = decodeJpeg(cut.data(), cut.size());
    EXPECT_FALSE(part.ok) << length;
    EXPECT_FALSE(part.error.empty()) << length;
  }

  // Damaged bytes anywhere: refused or decoded, never more than the picture.
  int refused = 0;
  for (std::size_t at = 2; at < bytes.size(); at += 3) {
    std::vector<std::uint8_t> damaged = bytes;
    damaged[at] ^= 0xA5;
    const DecodedJpeg result = decodeJpeg(damaged.data(), damaged.size());
    if (result.ok) {
      EXPECT_EQ(result.rgb.size(), std::size_t(result.width) * std::size_t(result.height) * 3);
    } else {
      ++refused;
      EXPECT_FALSE(result.error.empty());
    }
  }
  EXPECT_GT(refused, 0);
}

TEST(JpegDecoder, PicturesLargerThanTheLimitTakeNoMemory) {
  const auto bytes = encodeJpeg(64, 32);
  const DecodedJpeg image = decodeJpeg(bytes.data(), bytes.size(), 64 * 31);
  EXPECT_FALSE(image.ok);
  EXPECT_EQ(image.error, "The JPEG picture is 64 x 32 pixels, too large");
  EXPECT_TRUE(image.rgb.empty());
  EXPECT_TRUE(decodeJpeg(bytes.data(), bytes.size(), 64 * 32).ok);
}
