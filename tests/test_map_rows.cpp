// Map rows fed with plain elevations, as a sampler gives them, against the
// same samples read as big-endian runs from a tile's lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "render/MapRows.h"
#include "render/SampleColours.h"

namespace tarvelon {
namespace {

// Keeps every row and mask handed to it.
struct KeptRows : RowTarget {
  KeptRows(RowSink::Content content, int width, int height)
      : rowBytes(std::size_t(width) * RowSink::bytesPerPixel(content)),
        pixels(rowBytes * height, 0xEE),
        masks(std::size_t(width) * height, 0xEE),
        handedOn(std::size_t(height), 0),
        width(width) {}
  std::uint8_t* row(int y) override { return pixels.data() + rowBytes * y; }
  std::uint8_t* mask(int y) override { return masks.data() + std::size_t(width) * y; }
  void done(int y) override { ++handedOn[std::size_t(y)]; }

  std::size_t rowBytes;
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> masks;
  std::vector<int> handedOn;  // how often each row was handed on
  int width;
};

// Rows of elevations: mostly terrain, with samples outside the colour
// range, the no-sample value and a level stretch (where the lit rows take
// their terrain path) among them.
std::vector<std::vector<std::int16_t>> testRows(int rows, int count) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> terrain(-8200, 21250);
  std::vector<std::vector<std::int16_t>> out(rows, std::vector<std::int16_t>(count));
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < count; ++x) out[y][x] = static_cast<std::int16_t>(terrain(random));
  }
  out[1][3] = RowSink::kNoElevation;
  out[2][0] = RowSink::kNoElevation;
  out[2][count - 1] = RowSink::kNoElevation;
  out[3][5] = -9000;
  out[3][6] = 30000;
  for (int x = 10; x < 20; ++x) out[4][x] = 1200;
  return out;
}

// The samples of a row as a tile line holds them, `step` samples apart,
// with other samples between them.
std::vector<std::uint8_t> bigEndianLine(const std::vector<std::int16_t>& samples, int step) {
  std::vector<std::uint8_t> line(samples.size() * 2 * step, 0x7F);
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const auto raw = static_cast<std::uint16_t>(samples[n]);
    line[2 * step * n] = static_cast<std::uint8_t>(raw >> 8);
    line[2 * step * n + 1] = static_cast<std::uint8_t>(raw);
  }
  return line;
}

struct Drawn {
  KeptRows rows;
  std::uint32_t colour;  // the colour in force after the last row
};

enum class Feed { Runs, Plain };

// Draws a map of `height` rows (the rows given may be more) `width` pixels
// wide, the samples fed one way or the other.
Drawn draw(Feed feed, RowSink::Content content, bool shaded, bool parallel, int width, int height,
           const std::vector<std::vector<std::int16_t>>& samples, int step) {
  MapViewState state;
  state.reliefShading = shaded ? 1 : 0;
  std::optional<ReliefLight> light;
  if (shaded || content == RowSink::Content::Light) light.emplace(state, step, [](int y) { return 30.0 - y * 0.1; });
  MapRows rows(content, shaded, width, height, height, std::move(light), parallel);
  SampleColours colours;
  colours.update(state);
  DrawProgress progress(state);
  Drawn drawn{KeptRows(content, width, height), 0};
  for (std::size_t y = 0; y < samples.size(); ++y) {
    const int count = static_cast<int>(samples[y].size());
    if (feed == Feed::Runs) {
      // Two runs, as an area across a tile join reads them.
      const std::vector<std::uint8_t> line = bigEndianLine(samples[y], step);
      const int first = count / 3;
      const SampleRunView runs[] = {{line.data(), first}, {line.data() + 2 * step * first, count - first}};
      rows.addRow(static_cast<int>(y), runs, 2, step, colours.data(), progress, drawn.rows);
    } else {
      rows.addRow(static_cast<int>(y), samples[y].data(), count, colours.data(), progress, drawn.rows);
    }
  }
  rows.finish(drawn.rows);
  rows.fillBelow(drawn.rows);
  drawn.colour = progress.colour;
  return drawn;
}

void expectSameMap(const Drawn& plain, const Drawn& runs, const char* what) {
  EXPECT_EQ(plain.rows.pixels, runs.rows.pixels) << what;
  EXPECT_EQ(plain.rows.masks, runs.rows.masks) << what;
  EXPECT_EQ(plain.rows.handedOn, runs.rows.handedOn) << what;
  EXPECT_EQ(plain.colour, runs.colour) << what;
}

TEST(MapRowsPlain, GiveTheBytesOfTheSameSamplesReadAsRuns) {
  struct Case {
    const char* what;
    RowSink::Content content;
    bool shaded;
    bool parallel;
  };
  const Case cases[] = {
      {"colours", RowSink::Content::Colour, false, false},
      {"shaded colours", RowSink::Content::Colour, true, false},
      {"shaded colours, lit on their own thread", RowSink::Content::Colour, true, true},
      {"light alone", RowSink::Content::Light, false, false},
      {"elevations", RowSink::Content::Elevation, false, false},
  };
  const auto samples = testRows(7, 41);
  for (const Case& c : cases) {
    for (int step : {1, 3}) {
      // Wider than the rows (the pixels past them filled), narrower (the
      // samples past the map not stored); a row past the map's height.
      for (int width : {45, 41, 30}) {
        const Drawn runs = draw(Feed::Runs, c.content, c.shaded, c.parallel, width, 6, samples, step);
        const Drawn plain = draw(Feed::Plain, c.content, c.shaded, c.parallel, width, 6, samples, step);
        expectSameMap(plain, runs, c.what);
        EXPECT_EQ(plain.rows.handedOn, std::vector<int>(6, 1)) << c.what;
      }
    }
  }
}

TEST(MapRowsPlain, TheNoSampleValueShowsInNoMaskAndStaysNoElevation) {
  const auto samples = testRows(7, 41);
  for (RowSink::Content content : {RowSink::Content::Colour, RowSink::Content::Elevation}) {
    const Drawn plain = draw(Feed::Plain, content, false, false, 41, 6, samples, 1);
    const KeptRows& rows = plain.rows;
    EXPECT_EQ(rows.masks[41 * 1 + 3], 0);
    EXPECT_EQ(rows.masks[41 * 2 + 40], 0);
    EXPECT_EQ(rows.masks[41 * 3 + 6], 0);  // outside the colour range
    EXPECT_EQ(rows.masks[41 * 1 + 2], 255);
    if (content == RowSink::Content::Elevation) {
      std::int16_t value = 0;
      std::memcpy(&value, rows.pixels.data() + rows.rowBytes * 2, 2);
      EXPECT_EQ(value, RowSink::kNoElevation);
    }
    if (content == RowSink::Content::Colour) {
      // A pixel without a sample repeats the colour before it.
      const std::uint8_t* row = rows.pixels.data() + rows.rowBytes * 1;
      EXPECT_TRUE(std::equal(row + 3 * 3, row + 3 * 4, row + 3 * 2));
    }
  }
}

}  // namespace
}  // namespace tarvelon
