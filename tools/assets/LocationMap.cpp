// locationmap.bmp: the location map window's picture. The shaded relief of
// the whole planet at 480 x 240, brought down to a palette of 256 colours
// (two of them the grid lines' black and grey), with the lines between the
// sixteen tile areas drawn on it.
#include <QImage>
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "select/LocationCross.h"
#include "tools/assets/Assets.h"
#include "tools/assets/Relief.h"

namespace tarvelon::assets {

namespace {

using Rgb = std::array<int, 3>;

Rgb channels(QRgb c) { return {qRed(c), qGreen(c), qBlue(c)}; }

int distance2(const Rgb& a, const Rgb& b) {
  int sum = 0;
  for (int i = 0; i < 3; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return sum;
}

// Median cut: the box of colours with the widest spread along one channel
// is split at its median until there are `count` boxes; each box gives its
// mean colour.
std::vector<Rgb> medianCut(std::vector<Rgb> colours, int count) {
  struct Box {
    std::size_t first, end;
    int channel = 0;
    int spread = 0;
  };
  auto measure = [&colours](Box& box) {
    Rgb low{255, 255, 255}, high{0, 0, 0};
    for (std::size_t i = box.first; i < box.end; ++i) {
      for (int c = 0; c < 3; ++c) {
        low[c] = std::min(low[c], colours[i][c]);
        high[c] = std::max(high[c], colours[i][c]);
      }
    }
    box.spread = -1;
    for (int c = 0; c < 3; ++c) {
      if (high[c] - low[c] > box.spread) {
        box.spread = high[c] - low[c];
        box.channel = c;
      }
    }
  };
  std::vector<Box> boxes{{0, colours.size()}};
  measure(boxes[0]);
  while (int(boxes.size()) < count) {
    // The box that is widest, weighted by how many pixels it holds.
    auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
      return double(a.spread) * double(a.end - a.first) < double(b.spread) * double(b.end - b.first);
    });
    if (widest->spread <= 0 || widest->end - widest->first < 2) break;
    Box box = *widest;
    const int c = box.channel;
    const auto middle = colours.begin() + std::ptrdiff_t(box.first + (box.end - box.first) / 2);
    std::nth_element(colours.begin() + std::ptrdiff_t(box.first), middle, colours.begin() + std::ptrdiff_t(box.end),
                     [c](const Rgb& a, const Rgb& b) { return a[c] < b[c]; });
    Box upper{std::size_t(middle - colours.begin()), box.end};
    box.end = upper.first;
    measure(box);
    measure(upper);
    *widest = box;
    boxes.push_back(upper);
  }
  std::vector<Rgb> palette;
  for (const Box& box : boxes) {
    std::array<long, 3> sum{0, 0, 0};
    for (std::size_t i = box.first; i < box.end; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += colours[i][c];
    }
    const long n = long(box.end - box.first);
    palette.push_back({int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n), int((sum[2] + n / 2) / n)});
  }
  return palette;
}

int nearest(const std::vector<Rgb>& palette, const Rgb& colour, std::size_t from) {
  int best = int(from);
  int bestDistance = INT32_MAX;
  for (std::size_t i = from; i < palette.size(); ++i) {
    const int d = distance2(palette[i], colour);
    if (d < bestDistance) {
      bestDistance = d;
      best = int(i);
    }
  }
  return best;
}

}  // namespace

QImage locationMapImage(const demo::GlobalGrid& grid) {
  const int width = kLocationMapWidth;
  const int height = kLocationMapHeight;
  // MOLA Multicolour, blended, a low sun from the north-west.
  const QImage relief = reliefPicture(grid, width, height, ReliefStyle{5, 1, 315, 40, 25});

  std::vector<Rgb> colours;
  colours.reserve(std::size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) colours.push_back(channels(relief.pixel(x, y)));
  }
  // Entries 0 and 1 are the grid lines'; the terrain gets the other 254,
  // refined by a few rounds of moving each entry to the mean of its pixels.
  std::vector<Rgb> palette{{0, 0, 0}, {kGridGrey, kGridGrey, kGridGrey}};
  for (const Rgb& c : medianCut(colours, 254)) palette.push_back(c);
  std::vector<int> index(colours.size());
  for (int round = 0; round < 4; ++round) {
    std::vector<std::array<long, 4>> sums(palette.size(), {0, 0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i) {
      index[i] = nearest(palette, colours[i], 2);
      for (int c = 0; c < 3; ++c) sums[std::size_t(index[i])][c] += colours[i][c];
      ++sums[std::size_t(index[i])][3];
    }
    for (std::size_t p = 2; p < palette.size(); ++p) {
      const long n = sums[p][3];
      if (n > 0) palette[p] = {int((sums[p][0] + n / 2) / n), int((sums[p][1] + n / 2) / n), int((sums[p][2] + n / 2) / n)};
    }
  }
  for (std::size_t i = 0; i < colours.size(); ++i) index[i] = nearest(palette, colours[i], 2);

  QImage picture(width, height, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (const Rgb& c : palette) table.push_back(qRgb(c[0], c[1], c[2]));
  while (table.size() < 256) table.push_back(qRgb(0, 0, 0));
  picture.setColorTable(table);
  for (int y = 0; y < height; ++y) {
    uchar* row = picture.scanLine(y);
    for (int x = 0; x < width; ++x) row[x] = static_cast<uchar>(index[std::size_t(y) * width + x]);
  }
  // Grey lines first, so that the black ones cross them.
  for (int column : kGreyGridColumns) {
    for (int y = 0; y < height; ++y) picture.setPixel(column, y, 1);
  }
  for (int row : kGreyGridRows) {
    for (int x = 0; x < width; ++x) picture.setPixel(x, row, 1);
  }
  for (int y = 0; y < height; ++y) picture.setPixel(kPrimeMeridianColumn, y, 0);
  for (int x = 0; x < width; ++x) picture.setPixel(x, kEquatorRow, 0);
  return picture;
}

void buildLocationMap(const AssetContext& context) {
  saveImage(locationMapImage(context.grid), context.out / "locationmap.bmp");
}

}  // namespace tarvelon::assets
