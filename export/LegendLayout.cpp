#include "export/LegendLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>

#include "dem/DemoSet.h"
#include "dem/TileNames.h"
#include "render/ColourTable.h"
#include "render/Hillshade.h"
#include "render/Rounding.h"

namespace tarvelon {

namespace {

constexpr const char* kDegree = "\xC2\xB0";       // UTF-8 degree sign
constexpr const char* kMinus = "\xE2\x88\x92";    // UTF-8 minus sign
constexpr const char* kEnDash = "\xE2\x80\x93";   // UTF-8 en dash
// Between a number and its unit: narrow, and never broken ("100 km").
constexpr const char* kUnitSpace = "\xE2\x80\xAF";

constexpr int kMargin = 16;
constexpr double kTick = 5;      // ticks stand this far out of the frame
constexpr double kTickGap = 3;   // between a tick's end and its label
constexpr int kMinContentWidth = 440;
constexpr int kBarWidth = 320;   // the colour bar at most
constexpr int kMinBarWidth = 200; // and beside the scale at least
constexpr int kBarHeight = 14;
constexpr int kScaleMaxPixels = 200;
constexpr double kScaleBarHeight = 6;
constexpr double kLabelPadding = 5;  // between two labels at least
constexpr double kBlockGap = 40;     // between the colour bar and the scale

constexpr std::uint32_t kInk = 0x1A1A1A;
constexpr std::uint32_t kGreyInk = 0x505050;
constexpr std::uint32_t kFrameInk = 0x000000;
constexpr std::uint32_t kBarOutline = 0x404040;
constexpr std::uint32_t kWhite = 0xFFFFFF;

constexpr double kSpacings[] = {0.05, 0.1, 0.2, 0.25, 0.5, 1, 2, 5, 10, 15, 20, 30, 45, 90};
constexpr double kKilometreSteps[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20};

struct Rect {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool overlaps(const Rect& o, double pad) const {
    return left < o.right + pad && o.left < right + pad && top < o.bottom + pad && o.top < bottom + pad;
  }
};

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A value to `decimals` places without "-0".
std::string unsignedFixed(double magnitude, int decimals) { return fixed(std::fabs(magnitude), decimals); }

bool roundsToZero(double value, int decimals) { return std::fabs(value) < 0.5 * std::pow(10.0, -decimals); }

// Degrees without trailing zeros: 0.1875, 0.0078125.
std::string shortDegrees(double value) {
  std::string text = fixed(value, 7);
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// Pieces of `word`, whole characters, each as long as fits in `width`
// (at least one character).
std::vector<std::string> breakWord(const std::string& word, LegendFont font, double width,
                                   const TextMeasure& measure) {
  std::vector<std::string> pieces;
  std::string piece;
  std::size_t i = 0;
  while (i < word.size()) {
    std::size_t next = i + 1;
    while (next < word.size() && (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80) ++next;
    const std::string character = word.substr(i, next - i);
    if (!piece.empty() && measure.width(piece + character, font) > width) {
      pieces.push_back(piece);
      piece.clear();
    }
    piece += character;
    i = next;
  }
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

// Words of `text` in lines no wider than `width`; a word wider than that
// is broken between characters.
std::vector<std::string> wrap(const std::string& text, LegendFont font, double width, const TextMeasure& measure) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    const std::string longer = line.empty() ? word : line + " " + word;
    if (measure.width(longer, font) <= width) {
      line = longer;
      continue;
    }
    if (!line.empty()) lines.push_back(line);
    line.clear();
    std::vector<std::string> pieces = breakWord(word, font, width, measure);
    line = pieces.back();
    pieces.pop_back();
    lines.insert(lines.end(), pieces.begin(), pieces.end());
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Clauses joined by ", " in lines no wider than `width`, a line breaking
// between clauses where it can and within one only when it is too wide for
// a line of its own.
std::vector<std::string> wrapClauses(const std::vector<std::string>& clauses, LegendFont font, double width,
                                     const TextMeasure& measure) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < clauses.size(); ++i) {
    const std::string clause = clauses[i] + (i + 1 < clauses.size() ? "," : "");
    const std::string longer = line.empty() ? clause : line + " " + clause;
    if (measure.width(longer, font) <= width) {
      line = longer;
      continue;
    }
    if (!line.empty()) lines.push_back(line);
    std::vector<std::string> wrapped = wrap(clause, font, width, measure);
    line.clear();
    if (wrapped.empty()) continue;
    line = wrapped.back();
    wrapped.pop_back();
    lines.insert(lines.end(), wrapped.begin(), wrapped.end());
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

class Builder {
 public:
  Builder(LegendLayout& layout, const TextMeasure& measure) : layout_(layout), measure_(measure) {}

  double height(LegendFont font) const { return measure_.ascent(font) + measure_.descent(font); }
  double ascent(LegendFont font) const { return measure_.ascent(font); }
  double descent(LegendFont font) const { return measure_.descent(font); }
  double width(const std::string& text, LegendFont font) const { return measure_.width(text, font); }

  // Text with its baseline's left end at (x, y).
  void text(const std::string& text, LegendFont font, double x, double y, std::uint32_t colour) {
    layout_.texts.push_back(LegendText{text, font, x, y, colour});
  }
  // Text whose box must not come near any other label: placed only when
  // it keeps clear of them, and of `keepOut`.
  bool label(const std::string& text, LegendFont font, double x, double y, std::uint32_t colour) {
    return labels({{text, font, x, y, colour}});
  }
  // Labels that go together (the two ends of a tick line): all of them, or
  // none when one of them would come too near another label.
  bool labels(const std::vector<LegendText>& group) {
    if (!fits(group)) return false;
    for (const LegendText& t : group) taken_.push_back(boxOf(t));
    layout_.texts.insert(layout_.texts.end(), group.begin(), group.end());
    return true;
  }
  // Whether labels() would place the group.
  bool fits(const std::vector<LegendText>& group) const {
    std::vector<Rect> boxes;
    for (const LegendText& t : group) {
      const Rect box = boxOf(t);
      for (const Rect& taken : taken_) {
        if (box.overlaps(taken, kLabelPadding)) return false;
      }
      for (const Rect& other : boxes) {
        if (box.overlaps(other, kLabelPadding)) return false;
      }
      boxes.push_back(box);
    }
    return true;
  }
  Rect boxOf(const LegendText& t) const {
    return Rect{t.x, t.y - measure_.ascent(t.font), t.x + width(t.text, t.font), t.y + measure_.descent(t.font)};
  }
  // Text that keeps other labels off, placed whatever is near it.
  void mark(const std::string& text, LegendFont font, double x, double y, std::uint32_t colour) {
    taken_.push_back(Rect{x, y - measure_.ascent(font), x + width(text, font), y + measure_.descent(font)});
    this->text(text, font, x, y, colour);
  }
  void keepOut(const Rect& area) { taken_.push_back(area); }
  void box(double x, double y, double w, double h, std::uint32_t fill) {
    layout_.boxes.push_back(LegendBox{x, y, w, h, fill});
  }
  // The outline of a rectangle of whole pixels, just outside it.
  void outline(double x, double y, double w, double h, std::uint32_t colour) {
    box(x - 1, y - 1, w + 2, 1, colour);
    box(x - 1, y + h, w + 2, 1, colour);
    box(x - 1, y, 1, h, colour);
    box(x + w, y, 1, h, colour);
  }

 private:
  LegendLayout& layout_;
  const TextMeasure& measure_;
  std::vector<Rect> taken_;
};

struct Tick {
  double position;  // pixels from the map's west or north edge
  std::string label;
};

// The colouring, clause by clause: the scheme, the mode, the relief shading.
std::vector<std::string> colouringClauses(const LegendInput& input) {
  std::vector<std::string> clauses;
  if (input.colourScheme == kUserColours) {
    clauses.push_back("User colours over sixteen altitude bands");
  } else if (input.colourScheme >= 0 && input.colourScheme < kSchemeCount) {
    clauses.push_back(kSchemeCaptions[static_cast<std::size_t>(input.colourScheme)]);
  } else {
    clauses.push_back("Colour scheme " + std::to_string(input.colourScheme));
  }
  if (input.shadingMode >= 0 && input.shadingMode < kModeCount) {
    clauses.push_back(kModeCaptions[static_cast<std::size_t>(input.shadingMode)]);
  }
  if (input.reliefShading == 1) {
    clauses.push_back("relief shaded (sun at " + fixed(input.sunAzimuth, 0) + kDegree + " azimuth, " +
                      fixed(input.sunAltitude, 0) + kDegree + " altitude)");
  }
  return clauses;
}

std::string resolutionText(const MapGeometry& geometry) {
  if (const ProjectedFrame* frame = geometry.projection()) {
    return projectionTitle(frame->projection) + ". One pixel: " + fixed(frame->kilometresPerPixelAtCentre(), 2) +
           kUnitSpace + "km at the centre of the map";
  }
  const double degrees = geometry.transform().pixelHeight;
  return "One pixel: " + shortDegrees(degrees) + kDegree + ", " + fixed(northSouthKilometresPerPixel(geometry), 2) +
         kUnitSpace + "km north" + kEnDash + "south";
}

// The colour bar with its ticks, captions and the map's lowest and highest
// elevation; laid out from (left, top), `barWidth` wide.
struct ColourBlock {
  double width = 0;   // from the left of the bar's leftmost label
  double height = 0;
  double overhang = 0;  // of the labels left of the bar
};

// Every label of the colour bar has the same decimals: two for a map whose
// heights span less than 2 km, one otherwise.
int barDecimals(const ElevationRange& range) { return range.highest - range.lowest < 2000 ? 2 : 1; }

ColourBlock measureColourBlock(const LegendInput& input, int barWidth, Builder& b) {
  ColourBlock block;
  const double caption = b.height(LegendFont::Label);
  if (!input.elevations) {
    block.width = b.width("Elevation: no elevation shown on this map", LegendFont::Label);
    block.height = caption;
    return block;
  }
  const ElevationRange& range = *input.elevations;
  const int decimals = barDecimals(range);
  const double low = b.width(kilometresLabel(range.lowest, decimals), LegendFont::Label);
  const double high = b.width(kilometresLabel(range.highest, decimals), LegendFont::Label);
  const double lowest = b.width("lowest", LegendFont::Small);
  const double highest = b.width("highest", LegendFont::Small);
  block.overhang = std::max(low, lowest) / 2;
  const double rightOverhang = std::max(high, highest) / 2;
  block.width = std::max(b.width("Elevation (km)", LegendFont::Label), block.overhang + barWidth + rightOverhang);
  block.height = caption + 6 + kBarHeight + 5 + kTickGap + b.height(LegendFont::Label) + 1 + b.height(LegendFont::Small);
  return block;
}

void placeColourBlock(const LegendInput& input, const ColourBlock& block, double left, double top, int barWidth,
                      Builder& b, LegendLayout& layout) {
  const double captionBaseline = top + b.ascent(LegendFont::Label);
  if (!input.elevations) {
    b.text("Elevation: no elevation shown on this map", LegendFont::Label, left, captionBaseline, kInk);
    return;
  }
  const ElevationRange& range = *input.elevations;
  b.text("Elevation (km)", LegendFont::Label, left, captionBaseline, kInk);
  const int barX = static_cast<int>(std::lround(left + block.overhang));
  const int barY = static_cast<int>(std::lround(top + b.height(LegendFont::Label) + 6));
  layout.barX = barX;
  layout.barY = barY;
  layout.barHeight = kBarHeight;
  layout.barColours = colourBar(range, barWidth, input.colourScheme, input.shadingMode, input.bandLimits);
  b.outline(barX, barY, barWidth, kBarHeight, kBarOutline);

  const double tickBottom = barY + kBarHeight + 5;
  const double labelBaseline = tickBottom + kTickGap + b.ascent(LegendFont::Label);
  const double smallBaseline = labelBaseline + b.descent(LegendFont::Label) + 1 + b.ascent(LegendFont::Small);

  // The map's own lowest and highest elevation at the bar's two ends.
  auto endMark = [&](double x, const std::string& value, const std::string& word) {
    b.box(x - 0.5, barY - 3, 1, kBarHeight + 3 + 5, kFrameInk);
    b.mark(value, LegendFont::Label, x - b.width(value, LegendFont::Label) / 2, labelBaseline, kInk);
    b.mark(word, LegendFont::Small, x - b.width(word, LegendFont::Small) / 2, smallBaseline, kGreyInk);
  };
  const int decimals = barDecimals(range);
  if (range.lowest == range.highest) {
    endMark(barX + barWidth / 2.0, kilometresLabel(range.lowest, decimals), "the whole map");
    return;
  }
  // On the bar's outline, so that the end columns keep their colours.
  endMark(barX - 0.5, kilometresLabel(range.lowest, decimals), "lowest");
  endMark(barX + barWidth + 0.5, kilometresLabel(range.highest, decimals), "highest");

  // Round kilometres between them, as many as their labels leave room for.
  const double metresPerPixel = double(range.highest - range.lowest) / barWidth;
  const double needed = b.width(kilometresLabel(-8888, decimals), LegendFont::Label) + kLabelPadding + 2;
  for (double step : kKilometreSteps) {
    if (tickDecimals(step) > decimals) continue;
    if (step * 1000 / metresPerPixel < needed && step != kKilometreSteps[std::size(kKilometreSteps) - 1]) continue;
    const long long stepMetres = std::llround(step * 1000);
    const long long first = static_cast<long long>(std::ceil(double(range.lowest) / double(stepMetres)));
    for (long long k = first; k * stepMetres < range.highest; ++k) {
      const long long metres = k * stepMetres;
      if (metres <= range.lowest) continue;
      const double x = barX + std::floor(double(metres - range.lowest) / metresPerPixel) + 0.5;
      const std::string text = kilometresLabel(static_cast<int>(metres), decimals);
      // A label's own width of room to each side, so that round values do
      // not crowd the exact ends.
      const double w = b.width(text, LegendFont::Label);
      if (x - barX < 1.5 * w || barX + barWidth - x < 1.5 * w) continue;
      if (b.label(text, LegendFont::Label, x - w / 2, labelBaseline, kInk)) {
        b.box(x - 0.5, barY + kBarHeight, 1, 4, kFrameInk);
      }
    }
    break;
  }
}

// One scale bar: a caption, a bar of black and white parts and their
// lengths in kilometres.
struct ScaleBar {
  std::string caption;
  double kilometresPerPixel = 0;
  double kilometres = 0;
  double pixels = 0;
};

std::vector<ScaleBar> scaleBars(const MapGeometry& geometry, double centreLatitude, double maximumPixels) {
  std::vector<ScaleBar> bars;
  if (const ProjectedFrame* frame = geometry.projection()) {
    // A projected map's scale changes across it: one bar, true where the
    // map's scale is given.
    ScaleBar bar{"Scale true at the centre of the map", frame->kilometresPerPixelAtCentre(), 0, 0};
    bar.kilometres = scaleBarKilometres(bar.kilometresPerPixel, maximumPixels);
    bar.pixels = std::round(bar.kilometres / bar.kilometresPerPixel);
    bars.push_back(bar);
    return bars;
  }
  const double eastWest = eastWestKilometresPerPixel(geometry, centreLatitude);
  const double northSouth = northSouthKilometresPerPixel(geometry);
  const std::string latitude = latitudeLabel(centreLatitude, 1);
  // Away from the equator the two directions differ by more than a bar
  // can hide: each gets its own.
  if (eastWest >= 0.97 * northSouth) {
    bars.push_back({"Scale at " + latitude, eastWest, 0, 0});
  } else {
    bars.push_back({"Scale east" + std::string(kEnDash) + "west at " + latitude, eastWest, 0, 0});
    bars.push_back({"Scale north" + std::string(kEnDash) + "south", northSouth, 0, 0});
  }
  for (ScaleBar& bar : bars) {
    bar.kilometres = scaleBarKilometres(bar.kilometresPerPixel, maximumPixels);
    bar.pixels = std::round(bar.kilometres / bar.kilometresPerPixel);
  }
  return bars;
}

// A bar is cut in fifths for 5 km and the like, in quarters for 1 and 2.
int scaleParts(double kilometres) {
  const double lead = kilometres / std::pow(10.0, std::floor(std::log10(kilometres) + 1e-9));
  return lead > 4 ? 5 : 4;
}

// A bar's whole length with the decimals its parts need at most ("2.0"
// for parts of 0.5 km, "0.50" for halves of 0.25).
std::string scaleLength(const ScaleBar& bar) {
  const int parts = scaleParts(bar.kilometres);
  return fixed(bar.kilometres, std::max(tickDecimals(bar.kilometres / parts), tickDecimals(bar.kilometres / 2)));
}

double scaleBarHeight(Builder& b) {
  return b.height(LegendFont::Label) + 4 + kScaleBarHeight + 3 + b.height(LegendFont::Small);
}

double scaleBlockWidth(const std::vector<ScaleBar>& bars, Builder& b) {
  double width = 0;
  for (const ScaleBar& bar : bars) {
    // The whole length's number is centred on the bar's end, its unit
    // after it.
    const double number = b.width(scaleLength(bar), LegendFont::Small);
    const double last = b.width(scaleLength(bar) + kUnitSpace + "km", LegendFont::Small) - number / 2;
    width = std::max({width, b.width(bar.caption, LegendFont::Label), 1 + bar.pixels + last});
  }
  return width;
}

void placeScaleBars(const std::vector<ScaleBar>& bars, double left, double top, Builder& b) {
  double y = top;
  for (const ScaleBar& bar : bars) {
    b.text(bar.caption, LegendFont::Label, left, y + b.ascent(LegendFont::Label), kInk);
    const double barY = std::round(y + b.height(LegendFont::Label) + 4);
    const double barX = std::round(left) + 1;
    const double baseline = barY + kScaleBarHeight + 3 + b.ascent(LegendFont::Small);
    // The bar's lengths when cut in `parts`: the whole, 0, then those
    // between (only the middle one when `middleOnly`).
    auto lengths = [&](int parts, bool middleOnly) {
      const int decimals = tickDecimals(bar.kilometres / parts);
      auto at = [&](double x, double kilometres, const std::string& unit) {
        const std::string number = kilometres == 0 ? std::string("0") : fixed(kilometres, decimals);
        return LegendText{number + unit, LegendFont::Small, x - b.width(number, LegendFont::Small) / 2, baseline, kInk};
      };
      std::vector<LegendText> texts{at(barX + bar.pixels, bar.kilometres, std::string(kUnitSpace) + "km"),
                                    at(barX, 0, "")};
      for (int i = 1; i < parts; ++i) {
        if (middleOnly && 2 * i != parts) continue;
        texts.push_back(at(barX + std::round(bar.pixels * i / parts), bar.kilometres * i / parts, ""));
      }
      return texts;
    };
    // Every part labelled if there is room; else fifths become halves and
    // of quarters only the middle is labelled; else only the two ends.
    const int natural = scaleParts(bar.kilometres);
    int parts = natural;
    if (!b.labels(lengths(natural, false))) {
      parts = natural == 5 ? 2 : 4;
      if (!b.labels(lengths(parts, true))) {
        parts = natural;
        const std::vector<LegendText> ends = lengths(natural, false);
        for (std::size_t i = 0; i < 2; ++i) b.label(ends[i].text, ends[i].font, ends[i].x, ends[i].y, ends[i].colour);
      }
    }
    b.outline(barX, barY, bar.pixels, kScaleBarHeight, kFrameInk);
    for (int i = 0; i < parts; ++i) {
      const double from = std::round(bar.pixels * i / parts);
      const double to = std::round(bar.pixels * (i + 1) / parts);
      b.box(barX + from, barY, to - from, kScaleBarHeight, i % 2 == 0 ? kFrameInk : kWhite);
    }
    y += scaleBarHeight(b) + 8;
  }
}

double scaleBlockHeight(const std::vector<ScaleBar>& bars, Builder& b) {
  return bars.size() * (scaleBarHeight(b) + 8) - 8;
}

}  // namespace

// ---------------------------------------------------------------------------

double tickSpacing(double pixelsPerDegree, double minimumPixels) {
  for (double spacing : kSpacings) {
    if (spacing * pixelsPerDegree >= minimumPixels) return spacing;
  }
  return kSpacings[std::size(kSpacings) - 1];
}

std::vector<double> tickValues(double from, double to, double spacing) {
  std::vector<double> values;
  const long long first = static_cast<long long>(std::ceil(from / spacing - 1e-9));
  const long long last = static_cast<long long>(std::floor(to / spacing + 1e-9));
  for (long long k = first; k <= last; ++k) values.push_back(double(k) * spacing);
  return values;
}

int tickDecimals(double spacing) {
  for (int decimals = 0; decimals < 3; ++decimals) {
    const double scaled = spacing * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::round(scaled)) < 1e-9) return decimals;
  }
  return 3;
}

std::string longitudeLabel(double longitude, int decimals) {
  while (longitude > 180) longitude -= 360;
  while (longitude <= -180) longitude += 360;
  if (roundsToZero(longitude, decimals)) return std::string("0") + kDegree;
  if (roundsToZero(std::fabs(longitude) - 180, decimals)) return std::string("180") + kDegree;
  return unsignedFixed(longitude, decimals) + kDegree + (longitude < 0 ? "W" : "E");
}

std::string latitudeLabel(double latitude, int decimals) {
  if (roundsToZero(latitude, decimals)) return std::string("0") + kDegree;
  return unsignedFixed(latitude, decimals) + kDegree + (latitude < 0 ? "S" : "N");
}

std::optional<double> longitudePosition(const MapGeometry& geometry, double longitude) {
  const int width = geometry.width();
  if (width <= 0) return std::nullopt;
  const double pixel = geometry.transform().pixelWidth;
  const double first = geometry.longitudeAt(0);
  if (longitude < first) {
    const double at = 0.5 - (first - longitude) / pixel;
    return at >= 0 ? std::optional(at) : std::nullopt;
  }
  // The last pixel whose centre lies at or west of the longitude; the
  // centres run east, across any seam between tiles.
  int low = 0;
  int high = width - 1;
  while (low < high) {
    const int mid = low + (high - low + 1) / 2;
    if (geometry.longitudeAt(mid) <= longitude) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  const double centre = geometry.longitudeAt(low);
  if (low == width - 1) {
    const double at = width - 0.5 + (longitude - centre) / pixel;
    return at <= width ? std::optional(at) : std::nullopt;
  }
  return low + 0.5 + (longitude - centre) / (geometry.longitudeAt(low + 1) - centre);
}

std::optional<double> latitudePosition(const MapGeometry& geometry, double latitude) {
  const int height = geometry.height();
  if (height <= 0) return std::nullopt;
  const double pixel = geometry.transform().pixelHeight;
  const double first = geometry.latitudeAt(0);
  if (latitude > first) {
    const double at = 0.5 - (latitude - first) / pixel;
    return at >= 0 ? std::optional(at) : std::nullopt;
  }
  int low = 0;
  int high = height - 1;
  while (low < high) {
    const int mid = low + (high - low + 1) / 2;
    if (geometry.latitudeAt(mid) >= latitude) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  const double centre = geometry.latitudeAt(low);
  if (low == height - 1) {
    const double at = height - 0.5 + (centre - latitude) / pixel;
    return at <= height ? std::optional(at) : std::nullopt;
  }
  return low + 0.5 + (centre - latitude) / (centre - geometry.latitudeAt(low + 1));
}

double eastWestKilometresPerPixel(const MapGeometry& geometry, double latitude) {
  return geometry.transform().pixelWidth * kMetresPerDegree * std::cos(latitude * 3.14159265358979323846 / 180) /
         1000;
}

double northSouthKilometresPerPixel(const MapGeometry& geometry) {
  return geometry.transform().pixelHeight * kMetresPerDegree / 1000;
}

double scaleBarKilometres(double kilometresPerPixel, double maximumPixels) {
  const double longest = kilometresPerPixel * maximumPixels;
  if (!(longest > 0)) return 0;
  const double power = std::pow(10.0, std::floor(std::log10(longest)));
  for (double lead : {5.0, 2.0, 1.0}) {
    if (lead * power <= longest * (1 + 1e-12)) return lead * power;
  }
  return power;
}

std::string kilometresLabel(int metres, int decimals) {
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const std::int64_t units = roundHalfEven(std::int64_t(metres) * scale, 1000);  // of 10^-decimals km
  const std::int64_t magnitude = units < 0 ? -units : units;
  std::string text = std::to_string(magnitude / scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(magnitude % scale);
    text += "." + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return (units < 0 ? kMinus : "") + text;
}

std::vector<std::uint32_t> colourBar(const ElevationRange& range, int width, int scheme, int mode,
                                     const BandLimits& bands) {
  const ColourTable table(scheme, mode, bands);
  std::vector<std::uint32_t> colours(static_cast<std::size_t>(std::max(width, 0)));
  std::uint32_t previous = kWhite;
  for (int i = 0; i < width; ++i) {
    const double at = range.lowest + double(range.highest - range.lowest) * (i + 0.5) / width;
    const std::uint32_t entry = table.entry(static_cast<int>(std::floor(at)));
    if (entry != 0) previous = entry & 0xFFFFFFu;
    colours[static_cast<std::size_t>(i)] = previous;
  }
  return colours;
}

std::optional<ElevationRange> measureElevations(const MapGeometry& geometry,
                                                const std::function<bool(int y)>& rowDrawn, TileSetReader& tiles) {
  std::optional<ElevationRange> range;
  if (geometry.projection() != nullptr) return range;
  const std::uint8_t* line = nullptr;
  int bufferTile = -1;
  int bufferLine = -1;
  for (int y = 0; y < geometry.rowsDrawn(); ++y) {
    if (!rowDrawn(y)) continue;
    for (int x = 0; x < geometry.columnsDrawn(); ++x) {
      const SampleSource sample = *geometry.sampleAt(x, y);
      if (sample.tile != bufferTile || sample.line != bufferLine) {
        line = tiles.line(sample.tile, sample.line);
        bufferTile = sample.tile;
        bufferLine = sample.line;
      }
      const int value = decodeSample(line + std::size_t(2) * sample.column);
      if (value < kMinElevation || value > kMaxElevation) continue;
      if (!range) {
        range = ElevationRange{value, value};
      } else {
        range->lowest = std::min(range->lowest, value);
        range->highest = std::max(range->highest, value);
      }
    }
  }
  return range;
}

// ---------------------------------------------------------------------------

namespace {

// The graticule's lines: thin and dark, half seen through, so that they
// read over every scheme's colours without hiding the relief.
constexpr std::uint32_t kGraticuleInk = 0x202020;
constexpr double kGraticuleOpacity = 0.55;
constexpr double kGraticuleWidth = 1;
// Labels over the map keep this far inside its frame.
constexpr double kInsideMargin = 2;

std::vector<LegendPoint> shifted(const std::vector<LegendPoint>& points, double dx, double dy) {
  std::vector<LegendPoint> out;
  out.reserve(points.size());
  for (const LegendPoint& p : points) out.push_back({p.x + dx, p.y + dy});
  return out;
}

// The part of the planet a projected map shows, for a custom area's title:
// "north of 60°N", "the globe centred on 70°E, 40°S".
std::string shownPartText(const ProjectedFrame& frame) {
  const GeoBounds& b = frame.bounds;
  switch (frame.projection.kind) {
    case ProjectionKind::Globe: {
      auto degrees = [](double value, bool longitude) {
        const int decimals = std::min(tickDecimals(std::fabs(value)), 2);
        return longitude ? longitudeLabel(value, decimals) : latitudeLabel(value, decimals);
      };
      return "the globe centred on " + degrees(frame.projection.centreLongitude, true) + ", " +
             degrees(frame.projection.centreLatitude, false);
    }
    case ProjectionKind::NorthPolar:
      if (b.wholeRound() && b.north >= 90) return "north of " + latitudeLabel(b.south, 0);
      break;
    case ProjectionKind::SouthPolar:
      if (b.wholeRound() && b.south <= -90) return "south of " + latitudeLabel(b.north, 0);
      break;
    case ProjectionKind::Equirectangular: break;
  }
  const std::string longitudes = b.wholeRound() ? std::string("all longitudes")
                                                : longitudeLabel(b.west, 0) + " to " + longitudeLabel(b.east, 0);
  return longitudes + ", " + latitudeLabel(b.north, 0) + " to " + latitudeLabel(b.south, 0);
}

// Places the graticule of a projected map drawn at (mx, my): its lines,
// the edge of the part it shows, and their labels.
class GraticulePlacer {
 public:
  GraticulePlacer(const ProjectedFrame& frame, double mx, double my, Builder& b, LegendLayout& layout)
      : frame_(frame), mx_(mx), my_(my), b_(b), layout_(layout), spacing_(graticuleSpacing(frame)) {}

  // Names on the map, which the graticule's labels keep clear of.
  void keepClearOf(const std::vector<MapArea>& names) {
    for (const MapArea& a : names) {
      b_.keepOut(Rect{mx_ + a.x, my_ + a.y, mx_ + a.x + a.width, my_ + a.y + a.height});
    }
  }

  // The widest label of a meridian, for the room beside the map.
  static double widestMeridianLabel(const ProjectedFrame& frame, Builder& b) {
    const GraticuleSpacing spacing = graticuleSpacing(frame);
    double widest = 0;
    for (const double m : tickValues(-180, 180, spacing.meridians)) {
      widest = std::max(widest, b.width(longitudeLabel(m, tickDecimals(spacing.meridians)), LegendFont::Label));
    }
    return widest;
  }

  void place() {
    const std::vector<GraticuleLine> lines = graticuleLines(frame_, spacing_);
    for (const GraticuleLine& line : lines) {
      layout_.lines.push_back({shifted(line.points, mx_, my_), kGraticuleInk, kGraticuleWidth, kGraticuleOpacity});
    }
    for (const auto& edge : shownOutline(frame_)) layout_.lines.push_back({shifted(edge, mx_, my_), kFrameInk, 1, 1});
    if (frame_.projection.kind == ProjectionKind::Globe) {
      labelGlobe(lines);
    } else {
      labelPolar(lines);
    }
  }

 private:
  double ascent() const { return b_.ascent(LegendFont::Label); }
  double descent() const { return b_.descent(LegendFont::Label); }

  // A label over the map centred on `middle` (map pixels), in a halo; only
  // inside the frame and, when `onPlanet`, wholly over the part shown.
  bool labelOnMap(const std::string& text, LegendPoint middle, bool onPlanet) {
    const double w = b_.width(text, LegendFont::Label);
    const double left = middle.x - w / 2;
    const double top = middle.y - (ascent() + descent()) / 2;
    const double right = left + w;
    const double bottom = top + ascent() + descent();
    if (left < kInsideMargin || top < kInsideMargin || right > frame_.width - kInsideMargin ||
        bottom > frame_.height - kInsideMargin) {
      return false;
    }
    if (onPlanet) {
      for (const double u : {0.0, 0.5, 1.0}) {
        for (const double v : {0.0, 0.5, 1.0}) {
          if (!frame_.pointAt(left + u * w, top + v * (bottom - top))) return false;
        }
      }
    }
    LegendText t{text, LegendFont::Label, mx_ + left, my_ + top + ascent(), kInk, true};
    return b_.labels({t});
  }

  // A label outside the frame where the line from `end` along `direction`
  // (map pixels) meets it.
  bool labelAtFrame(const std::string& text, LegendPoint end, LegendPoint direction) {
    const double w = b_.width(text, LegendFont::Label);
    const double width = frame_.width;
    const double height = frame_.height;
    // The first edge the line reaches.
    double reach = INFINITY;
    int edge = -1;  // 0 top, 1 bottom, 2 left, 3 right
    auto consider = [&](double t, int which) {
      if (t >= -1e-9 && t < reach) {
        reach = t;
        edge = which;
      }
    };
    if (direction.y < 0) consider(-end.y / direction.y, 0);
    if (direction.y > 0) consider((height - end.y) / direction.y, 1);
    if (direction.x < 0) consider(-end.x / direction.x, 2);
    if (direction.x > 0) consider((width - end.x) / direction.x, 3);
    if (edge < 0) return false;
    const double hitX = std::clamp(end.x + reach * direction.x, 0.0, width);
    const double hitY = std::clamp(end.y + reach * direction.y, 0.0, height);
    const double picture = layout_.width;
    LegendText t{text, LegendFont::Label, 0, 0, kInk};
    // A tick carries the line out of the frame to its label.
    LegendBox tick{mx_ + std::min(std::floor(hitX), width - 1), 0, 1, kTick, kFrameInk};
    switch (edge) {
      case 0:
      case 1:
        t.x = std::clamp(tick.x + 0.5 - w / 2, 0.0, picture - w);
        t.y = edge == 0 ? my_ - 1 - kTick - kTickGap - descent() : my_ + height + 1 + kTick + kTickGap + ascent();
        tick.y = edge == 0 ? my_ - 1 - kTick : my_ + height + 1;
        break;
      default:
        tick = LegendBox{edge == 2 ? mx_ - 1 - kTick : mx_ + width + 1, my_ + std::min(std::floor(hitY), height - 1),
                         kTick, 1, kFrameInk};
        t.x = edge == 2 ? mx_ - 1 - kTick - kTickGap - w : mx_ + width + 1 + kTick + kTickGap;
        t.y = tick.y + 0.5 + (ascent() - descent()) / 2;
        break;
    }
    if (!b_.labels({t})) return false;
    b_.box(tick.x, tick.y, tick.width, tick.height, tick.fill);
    return true;
  }

  // A polar map: each meridian named beyond its outer end (outside the
  // frame where it meets the frame), each parallel on the meridian halfway
  // between two drawn ones at the map's middle.
  void labelPolar(const std::vector<GraticuleLine>& lines) {
    const double pole = frame_.projection.kind == ProjectionKind::SouthPolar ? -90 : 90;
    const auto poleAt = mapPointOf(frame_, frame_.projection.centreLongitude, pole);
    if (!poleAt) return;
    const int lonDecimals = tickDecimals(spacing_.meridians);
    const int latDecimals = tickDecimals(spacing_.parallels);
    // The outer end of each meridian: the end of its pieces farthest from the pole.
    std::vector<std::pair<double, LegendPoint>> ends;
    for (const GraticuleLine& line : lines) {
      if (!line.meridian || line.points.empty()) continue;
      for (const LegendPoint& end : {line.points.front(), line.points.back()}) {
        const double far = std::hypot(end.x - poleAt->x, end.y - poleAt->y);
        auto it = std::find_if(ends.begin(), ends.end(), [&](const auto& e) { return e.first == line.degrees; });
        if (it == ends.end()) {
          ends.push_back({line.degrees, end});
        } else if (far > std::hypot(it->second.x - poleAt->x, it->second.y - poleAt->y)) {
          it->second = end;
        }
      }
    }
    for (const auto& [degrees, end] : ends) {
      const double dx = end.x - poleAt->x;
      const double dy = end.y - poleAt->y;
      const double length = std::hypot(dx, dy);
      if (!(length > 0)) continue;
      const LegendPoint direction{dx / length, dy / length};
      const std::string text = longitudeLabel(degrees, lonDecimals);
      const double edgeRoom = 1.5;
      const bool atFrame = end.x <= edgeRoom || end.y <= edgeRoom || end.x >= frame_.width - edgeRoom ||
                           end.y >= frame_.height - edgeRoom;
      if (!atFrame) {
        // Just past the end, on the map beyond the part it shows.
        const double w = b_.width(text, LegendFont::Label);
        const double h = ascent() + descent();
        const double toEdge = std::min(std::fabs(direction.x) > 1e-9 ? w / 2 / std::fabs(direction.x) : INFINITY,
                                       std::fabs(direction.y) > 1e-9 ? h / 2 / std::fabs(direction.y) : INFINITY);
        const LegendPoint middle{end.x + direction.x * (kTickGap + toEdge), end.y + direction.y * (kTickGap + toEdge)};
        if (labelOnMap(text, middle, false)) continue;
      }
      if (labelAtFrame(text, end, direction)) continue;
      // Crowded there: on the meridian itself, between two parallels.
      for (const double latitude : bandMiddles()) {
        const auto middle = mapPointOf(frame_, degrees, latitude);
        if (middle && frame_.pointAt(middle->x, middle->y) && labelOnMap(text, *middle, false)) break;
      }
    }
    // Each parallel on a meridian halfway between two drawn ones: the one at
    // the map's middle, or the next that has room.
    const double west = frame_.bounds.west;
    const double east = std::min(frame_.bounds.east, west + 360);
    const double middleLongitude = (west + east) / 2;
    std::vector<double> alongs;
    for (int k = 0; k < 24; ++k) {
      const double step = (k % 2 == 0 ? 1 : -1) * ((k + 1) / 2);
      const double along = middleLongitude + spacing_.meridians / 2 + step * spacing_.meridians;
      if (along > west && along < east) alongs.push_back(along);
    }
    if (alongs.empty()) alongs.push_back(middleLongitude);
    for (const GraticuleLine& line : lines) {
      if (line.meridian || !labelled_.insert(line.degrees).second) continue;
      for (const double along : alongs) {
        const auto middle = mapPointOf(frame_, along, line.degrees);
        if (middle && labelOnMap(parallelLabel(line.degrees, latDecimals), *middle, false)) break;
      }
    }
  }

  // The globe: meridians named along the parallel halfway between the two
  // drawn ones nearest the centre, parallels along the meridian halfway
  // between, each label wholly on the disc; where names leave no room, on
  // the next band out.
  void labelGlobe(const std::vector<GraticuleLine>& lines) {
    const double m = spacing_.meridians;
    const double p = spacing_.parallels;
    const double centreLongitude = frame_.projection.centreLongitude;
    const double centreLatitude = frame_.projection.centreLatitude;
    std::vector<double> latitudes;  // nearest the centre first
    for (double l = -90 + p / 2; l < 90; l += p) latitudes.push_back(l);
    std::stable_sort(latitudes.begin(), latitudes.end(), [&](double a, double b) {
      return std::fabs(a - centreLatitude) < std::fabs(b - centreLatitude);
    });
    std::vector<double> longitudes;
    for (int k = 0; k < 12; ++k) {
      const double step = (k % 2 == 0 ? 1 : -1) * ((k + 1) / 2);
      longitudes.push_back((std::floor(centreLongitude / m) + 0.5 + step) * m);
    }
    std::set<std::pair<bool, double>> done;
    for (const GraticuleLine& line : lines) {
      if (!done.insert({line.meridian, line.degrees}).second) continue;
      const std::string text = line.meridian ? longitudeLabel(line.degrees, tickDecimals(m))
                                             : parallelLabel(line.degrees, tickDecimals(p));
      for (const double along : line.meridian ? latitudes : longitudes) {
        const auto middle = line.meridian ? mapPointOf(frame_, line.degrees, along)
                                          : mapPointOf(frame_, along, line.degrees);
        if (middle && labelOnMap(text, *middle, true)) break;
      }
    }
  }

  // "Equator" for 0: on the map "0°" could be the prime meridian.
  static std::string parallelLabel(double latitude, int decimals) {
    return roundsToZero(latitude, decimals) ? std::string("Equator") : latitudeLabel(latitude, decimals);
  }

  // The latitudes halfway between two drawn parallels of a polar map,
  // from its outer edge towards its pole.
  std::vector<double> bandMiddles() const {
    std::vector<double> middles;
    const double south = std::max(frame_.bounds.south, -90.0);
    const double north = std::min(frame_.bounds.north, 90.0);
    for (double l = (std::floor(south / spacing_.parallels) + 0.5) * spacing_.parallels; l < north;
         l += spacing_.parallels) {
      if (l > south) middles.push_back(l);
    }
    if (frame_.projection.kind == ProjectionKind::SouthPolar) std::reverse(middles.begin(), middles.end());
    return middles;
  }

  const ProjectedFrame& frame_;
  double mx_, my_;
  Builder& b_;
  LegendLayout& layout_;
  GraticuleSpacing spacing_;
  std::set<double> labelled_;
};

}  // namespace

LegendLayout layoutLegend(const LegendInput& input, const TextMeasure& measure) {
  LegendLayout layout;
  Builder b(layout, measure);
  const MapGeometry& g = input.geometry;
  const ProjectedFrame* projected = g.projection();
  const int mapWidth = g.width();
  const int mapHeight = g.height();
  const GeoTransform transform = g.transform();
  const double labelHeight = b.height(LegendFont::Label);
  const double labelAscent = measure.ascent(LegendFont::Label);
  const double labelDescent = measure.descent(LegendFont::Label);

  std::vector<Tick> lonTicks;
  std::vector<Tick> latTicks;
  double side = 0;   // room left and right of the map for its frame and labels
  double above = 0;  // and above it
  double centreLatitude = 0;
  if (projected == nullptr) {
    // Extent of the map, by the centres of its outer pixels.
    const double west = g.longitudeAt(0) - transform.pixelWidth / 2;
    const double east = g.longitudeAt(mapWidth - 1) + transform.pixelWidth / 2;
    const double north = g.latitudeAt(0) + transform.pixelHeight / 2;
    const double south = g.latitudeAt(mapHeight - 1) - transform.pixelHeight / 2;

    // Longitude ticks: as close as their widest labels allow.
    double lonSpacing = kSpacings[std::size(kSpacings) - 1];
    for (int decimals = 0; decimals < 3; ++decimals) {
      const double widest = b.width(longitudeLabel(-178.88, decimals), LegendFont::Label);
      const double spacing = tickSpacing(1 / transform.pixelWidth, widest + 16);
      if (tickDecimals(spacing) <= decimals) {
        lonSpacing = spacing;
        break;
      }
    }
    double latSpacing = tickSpacing(1 / transform.pixelHeight, std::max(2.5 * labelHeight, 36.0));
    // Labels with decimals on one side only read as a mistake: the finer
    // side takes the coarser spacing when that still leaves it two ticks.
    auto tickCount = [](double from, double to, double spacing) { return tickValues(from, to, spacing).size(); };
    if (tickDecimals(latSpacing) > tickDecimals(lonSpacing) && latSpacing < lonSpacing &&
        tickCount(south, north, lonSpacing) >= 2) {
      latSpacing = lonSpacing;
    } else if (tickDecimals(lonSpacing) > tickDecimals(latSpacing) && lonSpacing < latSpacing &&
               tickCount(west, east, latSpacing) >= 2) {
      lonSpacing = latSpacing;
    }
    // A map too small for two ticks still shows where it is: one tick, at
    // the coarsest spacing that puts one on it.
    auto atLeastOne = [](double from, double to, double spacing) {
      if (!tickValues(from, to, spacing).empty()) return spacing;
      for (auto it = std::rbegin(kSpacings); it != std::rend(kSpacings); ++it) {
        if (*it < spacing && !tickValues(from, to, *it).empty()) return *it;
      }
      return spacing;
    };
    lonSpacing = atLeastOne(west, east, lonSpacing);
    latSpacing = atLeastOne(south, north, latSpacing);
    for (double value : tickValues(west, east, lonSpacing)) {
      if (const auto at = longitudePosition(g, value)) lonTicks.push_back({*at, longitudeLabel(value, tickDecimals(lonSpacing))});
    }
    double latLabelWidth = 0;
    for (double value : tickValues(south, north, latSpacing)) {
      if (const auto at = latitudePosition(g, value)) {
        latTicks.push_back({*at, latitudeLabel(value, tickDecimals(latSpacing))});
        latLabelWidth = std::max(latLabelWidth, b.width(latTicks.back().label, LegendFont::Label));
      }
    }
    // Beside the map: the frame, the ticks and the latitude labels.
    side = 1 + kTick + kTickGap + latLabelWidth;
    above = 1 + kTick + kTickGap + labelHeight;
    centreLatitude = (north + south) / 2;
  } else {
    // Beside the map: the frame and the labels of the meridians that meet it.
    side = 1 + kTick + kTickGap + GraticulePlacer::widestMeridianLabel(*projected, b);
    above = 1 + kTick + kTickGap + labelHeight;
  }
  const double mapBlockWidth = std::ceil(side) * 2 + mapWidth;

  // Below the map: the colour bar and the scale.
  const ColourBlock colourBlock = measureColourBlock(input, kBarWidth, b);
  // No longer than the map is wide.
  std::vector<ScaleBar> bars = scaleBars(g, centreLatitude, std::min(kScaleMaxPixels, mapWidth));
  const double scaleWidth = scaleBlockWidth(bars, b);
  const double legendStacked = std::max(colourBlock.width, scaleWidth);

  const double contentWidth = std::ceil(std::max({mapBlockWidth, double(kMinContentWidth), legendStacked}));
  layout.width = static_cast<int>(contentWidth) + 2 * kMargin;
  const double contentLeft = kMargin;
  const double contentRight = kMargin + contentWidth;

  // Title and the colouring, centred.
  double y = kMargin;
  auto centredLines = [&](const std::vector<std::string>& lines, LegendFont font, std::uint32_t colour,
                          double lineGap) {
    for (const std::string& line : lines) {
      y += measure.ascent(font);
      b.text(line, font, (layout.width - b.width(line, font)) / 2, y, colour);
      y += measure.descent(font) + lineGap;
    }
  };
  centredLines(wrap(input.title.empty() ? std::string("Map of Mars") : input.title, LegendFont::Title, contentWidth,
                    measure),
               LegendFont::Title, kInk, 2);
  y += 2;
  centredLines(wrapClauses(colouringClauses(input), LegendFont::Subtitle, contentWidth, measure), LegendFont::Subtitle,
               kGreyInk, 1);
  centredLines(wrap(resolutionText(g), LegendFont::Subtitle, contentWidth, measure), LegendFont::Subtitle, kGreyInk, 1);
  y += 8;

  // The map in its frame.
  layout.mapX = static_cast<int>(std::lround(kMargin + (contentWidth - mapBlockWidth) / 2 + std::ceil(side)));
  layout.mapY = static_cast<int>(std::ceil(y + above));
  const double mx = layout.mapX;
  const double my = layout.mapY;
  b.outline(mx, my, mapWidth, mapHeight, kFrameInk);
  if (projected == nullptr) {
    b.keepOut(Rect{mx - 1, my - 1, mx + mapWidth + 1, my + mapHeight + 1});
  } else {
    // The graticule's labels over the map keep off the frame, those beside
    // it out of it.
    b.keepOut(Rect{mx - 1, my - 1, mx + mapWidth + 1, my});
    b.keepOut(Rect{mx - 1, my + mapHeight, mx + mapWidth + 1, my + mapHeight + 1});
    b.keepOut(Rect{mx - 1, my - 1, mx, my + mapHeight + 1});
    b.keepOut(Rect{mx + mapWidth, my - 1, mx + mapWidth + 1, my + mapHeight + 1});
  }

  for (const Tick& tick : lonTicks) {
    const double x = mx + std::min(std::floor(tick.position), double(mapWidth - 1));
    b.box(x, my - 1 - kTick, 1, kTick, kFrameInk);
    b.box(x, my + mapHeight + 1, 1, kTick, kFrameInk);
    const double w = b.width(tick.label, LegendFont::Label);
    const double left = std::clamp(x + 0.5 - w / 2, 0.0, layout.width - w);
    b.labels({{tick.label, LegendFont::Label, left, my - 1 - kTick - kTickGap - labelDescent, kInk},
              {tick.label, LegendFont::Label, left, my + mapHeight + 1 + kTick + kTickGap + labelAscent, kInk}});
  }
  for (const Tick& tick : latTicks) {
    const double ty = my + std::min(std::floor(tick.position), double(mapHeight - 1));
    b.box(mx - 1 - kTick, ty, kTick, 1, kFrameInk);
    b.box(mx + mapWidth + 1, ty, kTick, 1, kFrameInk);
    const double baseline = ty + 0.5 + (labelAscent - labelDescent) / 2;
    const double w = b.width(tick.label, LegendFont::Label);
    b.labels({{tick.label, LegendFont::Label, mx - 1 - kTick - kTickGap - w, baseline, kInk},
              {tick.label, LegendFont::Label, mx + mapWidth + 1 + kTick + kTickGap, baseline, kInk}});
  }
  if (projected != nullptr) {
    GraticulePlacer graticule(*projected, mx, my, b, layout);
    graticule.keepClearOf(input.namesOnMap);
    graticule.place();
  }
  y = my + mapHeight + 1 + kTick + kTickGap + labelHeight + 18;

  // Colour bar on the left, scale on the right; one above the other when
  // the picture is too narrow for both side by side.
  // The bar gives up some of its length to stand beside the scale.
  const double besideScale = contentWidth - kBlockGap - scaleWidth;
  const int barWidth = input.elevations ? static_cast<int>(std::min<double>(
                                              kBarWidth, std::floor(besideScale - (colourBlock.width - kBarWidth))))
                                        : kBarWidth;
  const bool sideBySide = input.elevations ? barWidth >= kMinBarWidth : colourBlock.width <= besideScale;
  if (sideBySide) {
    placeColourBlock(input, measureColourBlock(input, barWidth, b), contentLeft, y, barWidth, b, layout);
    placeScaleBars(bars, contentRight - scaleWidth, y, b);
    y += std::max(colourBlock.height, scaleBlockHeight(bars, b));
  } else {
    placeColourBlock(input, colourBlock, contentLeft, y, kBarWidth, b, layout);
    y += colourBlock.height + 16;
    placeScaleBars(bars, contentLeft, y, b);
    y += scaleBlockHeight(bars, b);
  }
  y += 16;

  // The credit for the data and the projection, in small print.
  std::string projection = kLegendProjection;
  if (projected != nullptr) {
    projection = projectionNote(projected->projection);
    // The tiles reach 88 degrees north and south: a pole the map shows is
    // a white disc, which says why.
    const double tilesEnd = kTileRows * 44 / 2.0;
    for (const double pole : {90.0, -90.0}) {
      const auto at = projected->pixelOf(0, pole);
      if (at && at->first >= 0 && at->first <= mapWidth && at->second >= 0 && at->second <= mapHeight &&
          projected->bounds.contains(0, pole)) {
        projection += " No elevations poleward of " + fixed(tilesEnd, 0) + kDegree + ", where the tiles end.";
        break;
      }
    }
  }
  for (const std::string& note : {legendCredit(input), projection}) {
    for (const std::string& line : wrap(note, LegendFont::Small, contentWidth, measure)) {
      y += measure.ascent(LegendFont::Small);
      b.text(line, LegendFont::Small, contentLeft, y, kGreyInk);
      y += measure.descent(LegendFont::Small) + 1;
    }
  }
  layout.height = static_cast<int>(std::ceil(y)) + kMargin;
  return layout;
}

LegendInput legendInputFor(const MapViewState& colouring, const MapGeometry& geometry,
                           const std::function<bool(int y)>& rowDrawn) {
  LegendInput input;
  input.title = legendTitle(colouring);
  input.geometry = geometry;
  static_cast<Colouring&>(input) = colouring;
  if (const ProjectedFrame* frame = geometry.projection()) {
    // Its pixels show no tile line to measure: the draw measured them.
    if (colouring.altitudesFound == 1) input.elevations = ElevationRange{colouring.altMin, colouring.altMax};
    if (colouring.mapKind == 0 && colouring.mapTitle == kCustomAreaName) {
      input.title = colouring.mapTitle + ": " + shownPartText(*frame);
    }
  } else {
    TileSetReader tiles(colouring.demFolder, colouring.tileNames);
    input.elevations = measureElevations(geometry, rowDrawn, tiles);
  }
  input.demoGridPerDegree = demoSetGridResolution(colouring.demFolder).value_or(0);
  return input;
}

std::string legendTitle(const MapViewState& state) {
  // "User selection" alone says nothing on a sheet that leaves the program.
  if (state.mapKind != 0 || state.mapTitle != kCustomAreaName) return state.mapTitle;
  return state.mapTitle + ": " + longitudeLabel(state.areaWest, 0) + " to " + longitudeLabel(state.areaEast, 0) +
         ", " + latitudeLabel(state.areaNorth, 0) + " to " + latitudeLabel(state.areaSouth, 0);
}

std::string legendCredit(const LegendInput& input) {
  if (input.demoGridPerDegree <= 0) return kLegendCredit;
  const std::string grid = std::to_string(input.demoGridPerDegree) + " pixels per degree";
  return "Elevations: a demo set, interpolated (bilinear) from the " + grid +
         " global Mars Orbiter Laser Altimeter (MOLA) grid, not the 128 pixels per degree MOLA data: no detail "
         "finer than the " + grid + " grid. MOLA data from the NASA Mars Global Surveyor MOLA Science Team, "
         "distributed by the NASA Planetary Data System.";
}

}  // namespace tarvelon
