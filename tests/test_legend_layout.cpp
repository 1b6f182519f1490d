// The legend's layout: tick spacing and labels, where degrees fall on a map
// (across the 180 degree meridian too), the scale and colour bars, the
// elevations measured from the tiles, a whole legend that keeps its texts
// off the map, and a projected map's graticule, scale and projection.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>

#include "dem/DemoSet.h"
#include "export/LegendLayout.h"
#include "render/AreaRenderer.h"
#include "render/ColourTable.h"
#include "render/Hillshade.h"
#include "render/Projection.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

const std::string kDeg = "\xC2\xB0";
const std::string kMinus = "\xE2\x88\x92";
const std::string kKm = "\xE2\x80\xAF" "km";  // after a narrow no-break space

// Every character 7 pixels wide (a UTF-8 sequence counts once).
class FixedMeasure : public TextMeasure {
 public:
  double width(const std::string& text, LegendFont font) const override {
    double count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count * (font == LegendFont::Title ? 10 : 7);
  }
  double ascent(LegendFont font) const override { return font == LegendFont::Title ? 14 : 10; }
  double descent(LegendFont) const override { return 3; }
};

MapGeometry areaGeometry(AreaBounds area, int step) { return MapGeometry::ofArea(layoutArea(area, step), step); }

TEST(LegendLayout, TickSpacingAndLabels) {
  EXPECT_DOUBLE_EQ(tickSpacing(128.0 / 24, 55), 15);  // a thumbnail: 5.33 pixels a degree
  EXPECT_DOUBLE_EQ(tickSpacing(64, 55), 1);
  EXPECT_DOUBLE_EQ(tickSpacing(128, 55), 0.5);
  EXPECT_DOUBLE_EQ(tickSpacing(0.1, 55), 90);
  EXPECT_EQ(tickValues(135.99, 140.0, 1), (std::vector<double>{136, 137, 138, 139, 140}));
  EXPECT_EQ(tickValues(-7.004, -2.996, 2), (std::vector<double>{-6, -4}));
  EXPECT_EQ(tickDecimals(0.25), 2);
  EXPECT_EQ(tickDecimals(0.5), 1);
  EXPECT_EQ(tickDecimals(15), 0);

  EXPECT_EQ(longitudeLabel(136, 0), "136" + kDeg + "E");
  EXPECT_EQ(longitudeLabel(-40, 0), "40" + kDeg + "W");
  EXPECT_EQ(longitudeLabel(190, 0), "170" + kDeg + "W");  // past 180 on a map across it
  EXPECT_EQ(longitudeLabel(180, 0), "180" + kDeg);
  EXPECT_EQ(longitudeLabel(-180, 0), "180" + kDeg);
  EXPECT_EQ(longitudeLabel(360, 0), "0" + kDeg);
  EXPECT_EQ(longitudeLabel(137.5, 1), "137.5" + kDeg + "E");
  EXPECT_EQ(latitudeLabel(-4, 0), "4" + kDeg + "S");
  EXPECT_EQ(latitudeLabel(87.25, 2), "87.25" + kDeg + "N");
  EXPECT_EQ(latitudeLabel(0, 1), "0" + kDeg);
}

TEST(LegendLayout, DegreesFallOnThePixelsThatShowThem) {
  // Tile 10 at 100 %: pixel x is centred on longitude (x + 0.5) / 128.
  const MapGeometry tile = MapGeometry::ofTile(10, 1);
  EXPECT_DOUBLE_EQ(*longitudePosition(tile, 1.0), 128);
  EXPECT_DOUBLE_EQ(*longitudePosition(tile, 0.0), 0);
  EXPECT_DOUBLE_EQ(*latitudePosition(tile, -1.0), 128);
  EXPECT_FALSE(longitudePosition(tile, -0.01));
  EXPECT_FALSE(latitudePosition(tile, 0.01));

  // Arcadia at step 10 crosses 180: tile 3's last column (11519, centred
  // 179.996) is pixel 256, tile 0's column 9 (centred 180.074) pixel 257,
  // one step further on the same even grid.
  const MapGeometry arcadia = areaGeometry({160, 54, 220, 20}, 10);
  const double at180 = *longitudePosition(arcadia, 180);
  EXPECT_GT(at180, 256.5);
  EXPECT_LT(at180, 257.5);
  EXPECT_DOUBLE_EQ(at180, 256.5 + 0.5 / 10);
  // East of the seam pixel 257 + k shows tile 0's column 9 + 10 k, centred
  // on 180 + (9.5 + 10 k) / 128: 190 falls at k = 127.05, on pixel 384.
  EXPECT_NEAR(*longitudePosition(arcadia, 190), 257 + 127.05 + 0.5, 1e-9);
  // Row 127 shows tile 3's line 5622 (44.074 N), row 128 tile 7's line 0
  // (43.996 N): 44 N lies between them, not where 20 more lines would be.
  EXPECT_NEAR(*latitudePosition(arcadia, 44), 127.5 + (5632 - 5622.5) / 10.0, 1e-9);
}

TEST(LegendLayout, ScaleAndColourBars) {
  const MapGeometry gale = areaGeometry({136, -3, 140, -7}, 2);
  const double northSouth = 2.0 / 128 * kMetresPerDegree / 1000;  // 0.926 km
  EXPECT_DOUBLE_EQ(northSouthKilometresPerPixel(gale), northSouth);
  EXPECT_NEAR(eastWestKilometresPerPixel(gale, 60), northSouth / 2, 1e-12);
  EXPECT_DOUBLE_EQ(scaleBarKilometres(northSouth, 200), 100);  // 185 km at most
  EXPECT_DOUBLE_EQ(scaleBarKilometres(11.1, 200), 2000);
  EXPECT_DOUBLE_EQ(scaleBarKilometres(0.05, 200), 10);
  EXPECT_DOUBLE_EQ(scaleBarKilometres(1, 200), 200);

  EXPECT_EQ(kilometresLabel(-4520, 2), kMinus + "4.52");
  EXPECT_EQ(kilometresLabel(-4525, 2), kMinus + "4.52");  // halves to even
  EXPECT_EQ(kilometresLabel(435, 2), "0.44");
  EXPECT_EQ(kilometresLabel(21250, 0), "21");
  EXPECT_EQ(kilometresLabel(-3000, 1), kMinus + "3.0");
  EXPECT_EQ(kilometresLabel(-4, 2), "0.00");

  // Each column is the colour a map gives the elevation at its centre: the
  // user colours too.
  const BandLimits bands = buildBandLimits(4000, -4000);
  const std::vector<std::uint32_t> bar = colourBar({-4000, 6000}, 100, kUserColours, 1, bands);
  ASSERT_EQ(bar.size(), 100u);
  const ColourTable table(kUserColours, 1, bands);
  for (int i : {0, 37, 99}) {
    EXPECT_EQ(bar[i], table.entry(-4000 + 100 * i + 50) & 0xFFFFFF) << i;
  }
  const std::vector<std::uint32_t> flat = colourBar({500, 500}, 3, 0, 0, BandLimits{});
  EXPECT_EQ(flat, std::vector<std::uint32_t>(3, ColourTable(0, 0, BandLimits{}).entry(500) & 0xFFFFFF));
}

TEST(LegendLayout, ElevationsAreMeasuredOnTheDrawnSamplesOnly) {
  testing::ScratchDir dir;
  TileNames names;
  std::vector<std::string> paths;
  for (int t = 0; t < kTileCount; ++t) {
    names[t] = "t" + std::to_string(t) + ".img";
    paths.push_back(dir.file(names[t]));
    testing::makeSparseFile(paths.back());
  }
  // Gale at step 2 reads tile 11 from line 384 and column 5887 on.
  testing::writeTileLine(paths[11], 384, [](int column) { return column == 5889 ? 1500 : column == 5891 ? -32768 : 700; });
  testing::writeTileLine(paths[11], 386, [](int column) { return column == 5887 ? -4200 : 600; });
  testing::writeTileLine(paths[11], 385, [](int) { return 9000; });  // between drawn lines
  const MapGeometry gale = areaGeometry({136, -3, 140, -7}, 2);
  TileSetReader tiles(dir.str(), names);
  const auto all = measureElevations(gale, [](int) { return true; }, tiles);
  ASSERT_TRUE(all);
  EXPECT_EQ(*all, (ElevationRange{-4200, 1500}));
  const auto firstRow = measureElevations(gale, [](int y) { return y == 0; }, tiles);
  EXPECT_EQ(*firstRow, (ElevationRange{700, 1500}));
  // A map of only missing samples shows no elevation; no rows, none either.
  testing::writeTileLine(paths[11], 384, [](int) { return 32767; });
  tiles.close();  // the line in hand is the old one
  EXPECT_FALSE(measureElevations(gale, [](int y) { return y == 0; }, tiles));
  EXPECT_FALSE(measureElevations(gale, [](int) { return false; }, tiles));
}

TEST(LegendLayout, ACustomAreaIsTitledWithItsBoundsAndADemoSetCreditedAsOne) {
  testing::ScratchDir data;
  MapViewState state;
  state.demFolder = data.str();
  state.tileNames = testing::makeSparseTileSet(data.str());
  state.mapKind = 0;
  state.mapTitle = kCustomAreaName;
  state.areaWest = 176;  // across 180 degrees
  state.areaNorth = 2;
  state.areaEast = 186;
  state.areaSouth = -2;
  const MapGeometry geometry = areaGeometry({176, 2, 186, -2}, 24);
  const auto all = [](int) { return true; };
  LegendInput input = legendInputFor(state, geometry, all);
  EXPECT_EQ(input.title, "User selection: 176" + kDeg + "E to 174" + kDeg + "W, 2" + kDeg + "N to 2" + kDeg + "S");
  EXPECT_EQ(input.demoGridPerDegree, 0);
  EXPECT_EQ(legendCredit(input), kLegendCredit);
  state.areaWest = -5;
  state.areaEast = 0;
  state.areaNorth = 0;
  state.areaSouth = -5;
  EXPECT_EQ(legendTitle(state), "User selection: 5" + kDeg + "W to 0" + kDeg + ", 0" + kDeg + " to 5" + kDeg + "S");
  // Other maps keep their titles; so does a tile's after a custom area.
  state.mapTitle = "Gale (Individual Craters)";
  EXPECT_EQ(legendTitle(state), "Gale (Individual Craters)");
  state.mapKind = 1;
  state.mapTitle = kCustomAreaName;
  EXPECT_EQ(legendTitle(state), kCustomAreaName);

  // Tiles that make-data interpolated from the 4 pixels per degree grid say
  // so in the credit, on the sheet itself.
  testing::writeText(data.file(kDemoSetMarkerName), demoSetMarkerText(4));
  input = legendInputFor(state, geometry, all);
  EXPECT_EQ(input.demoGridPerDegree, 4);
  const std::string credit = legendCredit(input);
  EXPECT_EQ(credit.rfind("Elevations: a demo set, interpolated (bilinear) from the 4 pixels per degree global ", 0), 0)
      << credit;
  EXPECT_NE(credit.find("not the 128 pixels per degree MOLA data"), std::string::npos) << credit;
  const LegendLayout layout = layoutLegend(input, FixedMeasure());
  std::string small;
  for (const LegendText& t : layout.texts) {
    if (t.font == LegendFont::Small) small += t.text + " ";
  }
  EXPECT_NE(small.find("a demo set, interpolated"), std::string::npos) << small;
  EXPECT_EQ(small.find("gridded data, 128 pixels per degree"), std::string::npos) << small;
}

struct Box {
  double left, top, right, bottom;
};

Box boxOf(const LegendText& text, const TextMeasure& measure) {
  return {text.x, text.y - measure.ascent(text.font), text.x + measure.width(text.text, text.font),
          text.y + measure.descent(text.font)};
}

bool overlaps(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::vector<std::string> textsOf(const LegendLayout& layout) {
  std::vector<std::string> texts;
  for (const LegendText& t : layout.texts) texts.push_back(t.text);
  return texts;
}

bool has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The maps a legend is looked at for: a whole tile's thumbnail, a crater,
// the very wide polar strip, an area across 180, a relief-shaded map, the
// user colours, a map of 5 x 5 pixels with a title of one long word, and a
// strip near the pole.
struct LegendCase {
  const char* name;
  LegendInput input;
};

std::vector<LegendCase> legendCases() {
  auto make = [](const char* name, MapGeometry geometry, ElevationRange range) {
    LegendInput input;
    input.title = std::string(name) + " (Individual Craters)";
    input.geometry = geometry;
    input.elevations = range;
    return LegendCase{name, input};
  };
  std::vector<LegendCase> cases{
      make("thumbnail", MapGeometry::ofTile(6, 24), {-4560, 2620}),
      make("Gale", areaGeometry({136, -3, 140, -7}, 2), {-4500, 435}),
      make("Olympia", areaGeometry({-40, 88, 70, 76}, 13), {-5420, -2200}),
      make("Arcadia", areaGeometry({160, 54, 220, 20}, 10), {-5020, -190}),
      make("Olympus", areaGeometry({-150, 30, -120, 2}, 10), {-3880, 21120}),
      make("Hellas", areaGeometry({40, -20, 100, -60}, 10), {-7970, 4000}),
      make("tiny", areaGeometry({137, -4, 138, -5}, 24), {-4400, -2400}),
      make("pole", areaGeometry({0, 88, 10, 87}, 1), {-3100, -2900}),
  };
  cases[4].input.reliefShading = 1;
  cases[5].input.colourScheme = kUserColours;
  cases[5].input.bandLimits = buildBandLimits(4000, -4000);
  cases[6].input.title = "Tile: a_custom_tile_file_name_that_is_far_too_long_to_fit_on_one_line.img";
  return cases;
}

TEST(LegendLayout, AWholeLegendFramesTheMapAndKeepsItsTextsApart) {
  const FixedMeasure measure;
  for (const LegendCase& c : legendCases()) {
    const LegendInput& input = c.input;
    const LegendLayout layout = layoutLegend(input, measure);
    const int w = input.geometry.width();
    const int h = input.geometry.height();
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(w) + " x " + std::to_string(h));
    ASSERT_GE(layout.width, layout.mapX + w + 1);
    ASSERT_GE(layout.height, layout.mapY + h + 1);
    const Box map{double(layout.mapX) - 1, double(layout.mapY) - 1, double(layout.mapX + w + 1),
                  double(layout.mapY + h + 1)};
    for (std::size_t i = 0; i < layout.texts.size(); ++i) {
      const Box a = boxOf(layout.texts[i], measure);
      EXPECT_FALSE(overlaps(a, map)) << layout.texts[i].text;
      EXPECT_GE(a.left, 0) << layout.texts[i].text;
      EXPECT_LE(a.right, layout.width) << layout.texts[i].text;
      EXPECT_GE(a.top, 0);
      EXPECT_LE(a.bottom, layout.height);
      for (std::size_t j = i + 1; j < layout.texts.size(); ++j) {
        EXPECT_FALSE(overlaps(a, boxOf(layout.texts[j], measure)))
            << layout.texts[i].text << " / " << layout.texts[j].text;
      }
    }
    // Nothing painted over the map but the map, and every box inside the
    // picture.
    for (const LegendBox& box : layout.boxes) {
      const Box b{box.x, box.y, box.x + box.width, box.y + box.height};
      EXPECT_FALSE(overlaps(b, Box{map.left + 1, map.top + 1, map.right - 1, map.bottom - 1}));
      EXPECT_GE(b.left, 0);
      EXPECT_LE(b.right, layout.width);
      EXPECT_LE(b.bottom, layout.height);
    }
    EXPECT_FALSE(layout.barColours.empty());
    const auto texts = textsOf(layout);
    EXPECT_TRUE(has(texts, "Elevation (km)"));
    EXPECT_TRUE(has(texts, "lowest"));
    EXPECT_TRUE(has(texts, "highest"));
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("Planetary Data System") != std::string::npos; }));
  }
}

// The texts of the layout on one baseline.
std::vector<std::string> textsAt(const LegendLayout& layout, double baseline) {
  std::vector<std::string> texts;
  for (const LegendText& t : layout.texts) {
    if (t.y == baseline) texts.push_back(t.text);
  }
  return texts;
}

double baselineOf(const LegendLayout& layout, const std::string& text) {
  for (const LegendText& t : layout.texts) {
    if (t.text == text) return t.y;
  }
  ADD_FAILURE() << "no " << text;
  return -1;
}

TEST(LegendLayout, TheColourBarsNumbersShareTheirDecimals) {
  const FixedMeasure measure;
  LegendInput input;
  input.geometry = areaGeometry({136, -3, 140, -7}, 2);
  // A span of 2 km and more: one decimal, the ends rounded as the ticks.
  input.elevations = ElevationRange{-4500, 435};
  LegendLayout layout = layoutLegend(input, measure);
  std::vector<std::string> row = textsAt(layout, baselineOf(layout, kMinus + "4.5"));
  EXPECT_TRUE(has(row, "0.4"));
  EXPECT_GE(row.size(), 4u);
  for (const std::string& label : row) {
    const auto point = label.find('.');
    ASSERT_NE(point, std::string::npos) << label;
    EXPECT_EQ(label.size() - point, 2u) << label;
  }
  EXPECT_TRUE(has(row, kMinus + "2.0") || has(row, kMinus + "3.0")) << ::testing::PrintToString(row);

  // Less than 2 km: two decimals, ticks of tenths or more.
  input.elevations = ElevationRange{-1234, 310};
  layout = layoutLegend(input, measure);
  row = textsAt(layout, baselineOf(layout, kMinus + "1.23"));
  EXPECT_TRUE(has(row, "0.31"));
  EXPECT_GE(row.size(), 3u);
  for (const std::string& label : row) EXPECT_EQ(label.size() - label.find('.'), 3u) << label;

  // A flat map: one mark in the middle.
  input.elevations = ElevationRange{-2000, -2000};
  EXPECT_TRUE(has(textsOf(layoutLegend(input, measure)), kMinus + "2.00"));
}

TEST(LegendLayout, ScaleBarsAreRoundLengthsNoLongerThanTheMap) {
  const FixedMeasure measure;
  for (const LegendCase& c : legendCases()) {
    SCOPED_TRACE(c.name);
    const LegendLayout layout = layoutLegend(c.input, measure);
    int bars = 0;
    for (const LegendText& t : layout.texts) {
      const auto km = t.text.find(kKm);
      if (km == std::string::npos || km + kKm.size() != t.text.size() || t.font != LegendFont::Small) continue;
      ++bars;
      // 1, 2 or 5 times a power of ten.
      const double length = std::stod(t.text.substr(0, km));
      const double lead = length / std::pow(10.0, std::floor(std::log10(length) + 1e-9));
      EXPECT_TRUE(std::fabs(lead - 1) < 1e-9 || std::fabs(lead - 2) < 1e-9 || std::fabs(lead - 5) < 1e-9) << t.text;
      // Its bar's outline ends under the length's number: the bar no longer
      // than the map is wide, nor than 200 pixels.
      const double end = t.x + measure.width(t.text.substr(0, km), t.font) / 2;
      double widest = 0;
      for (const LegendBox& box : layout.boxes) {
        if (box.y < t.y - 30 || box.y > t.y || box.height != 1) continue;
        if (std::fabs(box.x + box.width - 1 - end) > 1) continue;
        widest = std::max(widest, box.width - 2);
      }
      EXPECT_GT(widest, 0) << t.text;
      EXPECT_LE(widest, std::min(200, c.input.geometry.width())) << t.text;
    }
    EXPECT_GE(bars, 1);
  }
}

TEST(LegendLayout, TheTicksAndScaleSuitTheMap) {
  const FixedMeasure measure;
  LegendInput input;
  input.geometry = areaGeometry({136, -3, 140, -7}, 2);
  input.elevations = ElevationRange{-4500, 435};
  const auto gale = textsOf(layoutLegend(input, measure));
  for (const char* label : {"137", "138", "139"}) EXPECT_TRUE(has(gale, label + kDeg + "E")) << label;
  for (const char* label : {"4", "5", "6"}) EXPECT_TRUE(has(gale, label + kDeg + "S")) << label;
  EXPECT_TRUE(has(gale, "Scale at 5.0" + kDeg + "S"));  // one bar near the equator
  EXPECT_TRUE(has(gale, "100" + kKm));

  // Arcadia's ticks read on across 180 in west longitudes.
  input.geometry = areaGeometry({160, 54, 220, 20}, 10);
  const auto arcadia = textsOf(layoutLegend(input, measure));
  EXPECT_TRUE(has(arcadia, "170" + kDeg + "E"));
  EXPECT_TRUE(has(arcadia, "180" + kDeg));
  EXPECT_TRUE(has(arcadia, "170" + kDeg + "W"));
  EXPECT_FALSE(has(arcadia, "190" + kDeg + "E"));

  // Near the pole the east-west scale gets a bar of its own; the map
  // reaches from 76.06 to 88.05 N.
  input.geometry = areaGeometry({-40, 88, 70, 76}, 13);
  const auto olympia = textsOf(layoutLegend(input, measure));
  EXPECT_TRUE(has(olympia, "Scale east\xE2\x80\x93west at 82.1" + kDeg + "N"));
  EXPECT_TRUE(has(olympia, "Scale north\xE2\x80\x93south"));
  EXPECT_TRUE(has(olympia, "0" + kDeg));

  // A bar of 2 km (near the pole, east-west) in quarters of 0.5: every
  // length with one decimal, as room allows.
  input.geometry = areaGeometry({0, 88, 10, 87}, 1);
  const auto pole = textsOf(layoutLegend(input, measure));
  EXPECT_TRUE(has(pole, "2.0" + kKm)) << ::testing::PrintToString(pole);
  EXPECT_TRUE(has(pole, "1.0"));
  EXPECT_FALSE(has(pole, "2" + kKm));
  EXPECT_FALSE(has(pole, "2"));
  // 500 km in fifths of 100 that have no room for their lengths: halves.
  EXPECT_TRUE(has(arcadia, "250"));
  EXPECT_TRUE(has(arcadia, "500" + kKm));

  // Gale at 100 %: whole degrees on both sides, not half degrees of
  // latitude beside whole degrees of longitude.
  input.geometry = areaGeometry({136, -3, 140, -7}, 1);
  const auto fine = textsOf(layoutLegend(input, measure));
  EXPECT_TRUE(has(fine, "137" + kDeg + "E"));
  EXPECT_TRUE(has(fine, "5" + kDeg + "S"));
  EXPECT_FALSE(has(fine, "4.5" + kDeg + "S"));

  // The relief shading's clause stays whole on a line of its own when the
  // subtitle does not fit on one.
  input.geometry = areaGeometry({-150, 30, -120, 2}, 10);
  input.reliefShading = 1;
  const auto relief = textsOf(layoutLegend(input, measure));
  EXPECT_TRUE(has(relief, "relief shaded (sun at 315" + kDeg + " azimuth, 45" + kDeg + " altitude)"))
      << ::testing::PrintToString(relief);
  input.reliefShading = 0;

  // A title word wider than the picture is broken between characters.
  input.title = "Tile: " + std::string(80, 'x') + ".img";
  const LegendLayout longTitle = layoutLegend(input, measure);
  std::string joined;
  for (const LegendText& t : longTitle.texts) {
    if (t.font != LegendFont::Title) continue;
    EXPECT_GE(t.x, 0) << t.text;
    EXPECT_LE(t.x + measure.width(t.text, t.font), longTitle.width) << t.text;
    joined += t.text;
  }
  EXPECT_EQ(joined, "Tile:" + std::string(80, 'x') + ".img");
  input.title.clear();

  // A map of 5 x 5 pixels (136.90 .. 137.84 E) still shows where it is.
  input.geometry = areaGeometry({137, -4, 138, -5}, 24);
  const auto tiny = textsOf(layoutLegend(input, measure));
  EXPECT_TRUE(has(tiny, "137" + kDeg + "E")) << ::testing::PrintToString(tiny);

  // A map with no elevation says so and has no bar.
  input.elevations.reset();
  const LegendLayout empty = layoutLegend(input, measure);
  EXPECT_TRUE(empty.barColours.empty());
  EXPECT_TRUE(has(textsOf(empty), "Elevation: no elevation shown on this map"));
}

// --- Projected maps ----------------------------------------------------

LegendInput projectedInput(const ProjectedFrame& frame) {
  LegendInput input;
  input.title = "Projected";
  input.geometry = MapGeometry::ofProjection(frame);
  input.elevations = ElevationRange{-5000, 1000};
  return input;
}

// The graticule's lines of a layout (drawn half seen through), in map pixels.
std::vector<std::vector<LegendPoint>> graticuleOf(const LegendLayout& layout) {
  std::vector<std::vector<LegendPoint>> lines;
  for (const LegendLine& line : layout.lines) {
    if (line.opacity >= 1) continue;
    std::vector<LegendPoint> points;
    for (const LegendPoint& p : line.points) points.push_back({p.x - layout.mapX, p.y - layout.mapY});
    lines.push_back(points);
  }
  return lines;
}

bool multipleOf(double value, double spacing) { return std::fabs(std::remainder(value, spacing)) < 1e-6; }

// The point of the planet at a map pixel position, whether or not the map
// shows it (a line's end on the edge of the part shown may lie a rounding
// error outside); nudged a hair towards the map's middle.
std::optional<GeoPoint> pointOf(const ProjectedFrame& frame, LegendPoint p) {
  const double middleX = frame.width / 2.0, middleY = frame.height / 2.0;
  const double d = std::hypot(p.x - middleX, p.y - middleY);
  const double nudge = d > 0 ? 1e-6 / d : 0;
  double x = frame.west + (p.x - (p.x - middleX) * nudge) * frame.pixelSize;
  double y = frame.north - (p.y - (p.y - middleY) * nudge) * frame.pixelSize;
  projectorFor(frame.projection).inverse(&x, &y, 1);
  if (std::isnan(x)) return std::nullopt;
  return GeoPoint{x, y};
}

TEST(LegendLayout, APolarMapsGraticuleRunsAlongItsMeridiansAndParallels) {
  const FixedMeasure measure;
  const ProjectedFrame frame = polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 3000);
  const GraticuleSpacing spacing = graticuleSpacing(frame);
  // A cap 1214 pixels across: meridians 30 degrees apart at its rim (318
  // pixels), parallels every 5 degrees (98 pixels at the pole).
  EXPECT_EQ(spacing, (GraticuleSpacing{30, 5}));
  // A smaller cap keeps 30 degrees between its meridians while they stay
  // kMinCoarseMeridianGap apart at the rim (2 pi 200 / 12 = 105 pixels for
  // a cap 400 across); a thumbnail only the four every 90 degrees.
  const GeoBounds cap{-180, 180, 90, 60};
  const double capRadius = 2 * 3396190.0 * std::tan(15 * 3.14159265358979323846 / 180);
  EXPECT_EQ(graticuleSpacing(polarFrame(ProjectionKind::NorthPolar, cap, capRadius / 200)).meridians, 30);
  EXPECT_EQ(graticuleSpacing(polarFrame(ProjectionKind::NorthPolar, cap, capRadius / 50)).meridians, 90);
  // A wedge at 100 % still shows two meridians inside it.
  const ProjectedFrame wedge = polarFrame(ProjectionKind::NorthPolar, GeoBounds{100, 104, 84, 80}, 463);
  EXPECT_GE(tickValues(100, 104, graticuleSpacing(wedge).meridians).size(), 2u);
  const LegendLayout layout = layoutLegend(projectedInput(frame), measure);
  std::set<double> meridians, parallels;
  for (const auto& line : graticuleOf(layout)) {
    ASSERT_GE(line.size(), 2u);
    std::vector<GeoPoint> points;
    for (const LegendPoint& p : line) {
      ASSERT_GE(p.x, 0);
      ASSERT_LE(p.x, frame.width);
      ASSERT_GE(p.y, 0);
      ASSERT_LE(p.y, frame.height);
      const auto at = pointOf(frame, p);
      ASSERT_TRUE(at) << p.x << ", " << p.y;
      ASSERT_GE(at->latitude, 60 - 1e-6);  // within the part shown
      points.push_back(*at);
    }
    // Every point on one parallel of the spacing, or on one meridian.
    const double latitude = points.front().latitude;
    const bool parallel = std::all_of(points.begin(), points.end(),
                                      [&](const GeoPoint& g) { return std::fabs(g.latitude - latitude) < 1e-6; });
    if (parallel) {
      EXPECT_TRUE(multipleOf(latitude, 5)) << latitude;
      parallels.insert(std::round(latitude));
      continue;
    }
    // A meridian: one longitude (the pole itself has any).
    double longitude = NAN;
    for (const GeoPoint& g : points) {
      if (g.latitude > 89.999) continue;
      if (std::isnan(longitude)) longitude = g.longitude;
      EXPECT_NEAR(std::remainder(g.longitude - longitude, 360), 0, 1e-6);
    }
    EXPECT_TRUE(multipleOf(longitude, 30)) << longitude;
    meridians.insert(std::round(std::remainder(longitude, 360)));
    // Only every 90 degrees does a meridian reach the pole; the others stop
    // at a parallel where they are still kMinGapNearPole apart.
    const double innermost = std::max(points.front().latitude, points.back().latitude);
    if (multipleOf(longitude, 90)) {
      EXPECT_GT(innermost, 89.999);
    } else {
      EXPECT_TRUE(multipleOf(innermost, 5)) << innermost;
      EXPECT_LT(innermost, 89);
    }
  }
  EXPECT_EQ(meridians.size(), 12u);
  EXPECT_EQ(parallels, (std::set<double>{60, 65, 70, 75, 80, 85}));
  // The rim, the edge of the part shown, is outlined in the frame's ink.
  EXPECT_EQ(layout.lines.size() - graticuleOf(layout).size(), 1u);

  // Meridians are named at their ends, outside the frame where they meet
  // it: 0 below the pole, 180 above it, 90 E right and 90 W left.
  auto textAt = [&](const std::string& text) -> const LegendText* {
    for (const LegendText& t : layout.texts) {
      if (t.text == text) return &t;
    }
    return nullptr;
  };
  const std::string deg = "\xC2\xB0";
  const LegendText* zero = textAt("0" + deg);
  const LegendText* top = textAt("180" + deg);
  const LegendText* east = textAt("90" + deg + "E");
  const LegendText* west = textAt("90" + deg + "W");
  ASSERT_TRUE(zero && top && east && west);
  EXPECT_GT(zero->y - measure.ascent(zero->font), layout.mapY + frame.height);
  EXPECT_LT(top->y, layout.mapY);
  EXPECT_GT(east->x, layout.mapX + frame.width);
  EXPECT_LT(west->x + measure.width(west->text, west->font), layout.mapX);
  EXPECT_FALSE(zero->halo);
  // 30 E ends at the rim, inside the frame: named beyond it, over the
  // square's empty corner, in a halo.
  const LegendText* thirty = textAt("30" + deg + "E");
  ASSERT_NE(thirty, nullptr);
  EXPECT_TRUE(thirty->halo);
  const double middleX = thirty->x + measure.width(thirty->text, thirty->font) / 2 - layout.mapX;
  const double middleY = thirty->y - (measure.ascent(thirty->font) - measure.descent(thirty->font)) / 2 - layout.mapY;
  EXPECT_FALSE(frame.pointAt(middleX, middleY));
  const auto rim = frame.pixelOf(30, 60);
  EXPECT_LT(std::hypot(middleX - rim->first, middleY - rim->second), 40);
  // Parallels are named on the map.
  for (const char* parallel : {"70", "80"}) {
    const LegendText* t = textAt(parallel + deg + "N");
    ASSERT_NE(t, nullptr) << parallel;
    EXPECT_TRUE(t->halo);
    EXPECT_GT(t->x, layout.mapX);
    EXPECT_LT(t->x, layout.mapX + frame.width);
  }
  // No two texts overlap, and every text lies in the picture.
  for (std::size_t i = 0; i < layout.texts.size(); ++i) {
    const Box a = boxOf(layout.texts[i], measure);
    EXPECT_GE(a.left, 0) << layout.texts[i].text;
    EXPECT_LE(a.right, layout.width) << layout.texts[i].text;
    for (std::size_t j = i + 1; j < layout.texts.size(); ++j) {
      EXPECT_FALSE(overlaps(a, boxOf(layout.texts[j], measure))) << layout.texts[i].text << " / " << layout.texts[j].text;
    }
  }

  // Names written on the map keep the graticule's labels off them: with the
  // whole map taken, no label lies over it.
  LegendInput named = projectedInput(frame);
  named.namesOnMap.push_back({0, 0, double(frame.width), double(frame.height)});
  for (const LegendText& t : layoutLegend(named, measure).texts) EXPECT_FALSE(t.halo) << t.text;
}

TEST(LegendLayout, TheGlobesGraticuleStaysOnItsNearSide) {
  const FixedMeasure measure;
  const ProjectedFrame frame = globeFrame(GeoPoint{70, -40}, 1000);
  EXPECT_EQ(graticuleSpacing(frame), (GraticuleSpacing{30, 30}));
  const LegendLayout layout = layoutLegend(projectedInput(frame), measure);
  const auto lines = graticuleOf(layout);
  ASSERT_GE(lines.size(), 15u);
  for (const auto& line : lines) {
    for (const LegendPoint& p : line) {
      // On the disc, whose rim the line's ends reach to a hair.
      EXPECT_LE(std::hypot(p.x - 500, p.y - 500), 500 + 1e-6);
    }
  }
  // The meridian 110 degrees east of the centre shows only its stretch
  // south of the rim, where cos c = sin(-40) sin(lat) + cos(-40) cos(lat)
  // cos(110) is 0: at 22.18 S; it reaches the pole, and ends on the rim.
  const double radian = 3.14159265358979323846 / 180;
  const double rimLatitude = std::atan(-std::cos(-40 * radian) * std::cos(110 * radian) / std::sin(-40 * radian)) / radian;
  ASSERT_NEAR(rimLatitude, -22.18, 0.01);
  int pieces = 0;
  for (const GraticuleLine& line : graticuleLines(frame, GraticuleSpacing{30, 30})) {
    if (!line.meridian || line.degrees != -180) continue;
    ++pieces;
    double northmost = -90, southmost = 90;
    for (const LegendPoint& p : line.points) {
      const auto at = pointOf(frame, p);
      ASSERT_TRUE(at);
      northmost = std::max(northmost, at->latitude);
      southmost = std::min(southmost, at->latitude);
    }
    // (A millionth of a pixel from the rim is some thousandths of a degree.)
    EXPECT_NEAR(northmost, rimLatitude, 0.01);
    EXPECT_LT(southmost, -89.9);
    const LegendPoint end = line.points.back();  // traced from the south
    EXPECT_NEAR(std::hypot(end.x - 500, end.y - 500), 500, 1e-3);
  }
  EXPECT_EQ(pieces, 1);
  // The rim is outlined; the labels sit wholly on the disc.
  EXPECT_EQ(layout.lines.size() - lines.size(), 1u);
  int onMap = 0;
  for (const LegendText& t : layout.texts) {
    if (!t.halo) continue;
    ++onMap;
    const Box box = boxOf(t, measure);
    for (const double x : {box.left, box.right}) {
      for (const double y : {box.top, box.bottom}) {
        EXPECT_TRUE(frame.pointAt(x - layout.mapX, y - layout.mapY)) << t.text;
      }
    }
  }
  EXPECT_GE(onMap, 10);
  const auto texts = textsOf(layout);
  EXPECT_TRUE(has(texts, "Equator"));
  EXPECT_TRUE(has(texts, "60\xC2\xB0" "E"));
}

TEST(LegendLayout, AProjectedMapsScaleIsTrueAtItsCentreAndItsProjectionNamed) {
  const FixedMeasure measure;
  const std::string deg = "\xC2\xB0";
  for (const ProjectedFrame& frame : {polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 3000),
                                      polarFrame(ProjectionKind::SouthPolar, GeoBounds{-90, 60, -55, -88}, 4330),
                                      globeFrame(GeoPoint{70, -40}, 1000)}) {
    SCOPED_TRACE(projectionName(frame.projection));
    const LegendLayout layout = layoutLegend(projectedInput(frame), measure);
    const auto texts = textsOf(layout);
    EXPECT_TRUE(has(texts, "Scale true at the centre of the map"));
    // The bar's length in pixels is its kilometres at the centre's scale.
    int bars = 0;
    for (const LegendText& t : layout.texts) {
      const auto km = t.text.find(kKm);
      if (km == std::string::npos || km + kKm.size() != t.text.size()) continue;
      ++bars;
      const double kilometres = std::stod(t.text.substr(0, km));
      const double end = t.x + measure.width(t.text.substr(0, km), t.font) / 2;
      double pixels = 0;
      for (const LegendBox& box : layout.boxes) {
        if (box.y < t.y - 30 || box.y > t.y || box.height != 1 || std::fabs(box.x + box.width - 1 - end) > 1) continue;
        pixels = std::max(pixels, box.width - 2);
      }
      EXPECT_NEAR(pixels, kilometres / frame.kilometresPerPixelAtCentre(), 0.5) << t.text;
      EXPECT_LE(pixels, 200);
    }
    EXPECT_EQ(bars, 1);
    // Neither simple cylindrical's note nor its degrees a pixel.
    std::string small;
    for (const LegendText& t : layout.texts) {
      if (t.font == LegendFont::Small) small += t.text + " ";
    }
    EXPECT_EQ(small.find("Simple cylindrical"), std::string::npos);
    EXPECT_NE(small.find("on the Mars 2000 sphere (radius 3396.19 km); heights above the MOLA areoid."),
              std::string::npos) << small;
    // Whether a pole lies on the map, and with it the tiles' end.
    const bool pole = frame.bounds.north == 90 || frame.projection.kind == ProjectionKind::Globe;
    EXPECT_EQ(small.find("No elevations poleward of 88" + deg + ", where the tiles end.") != std::string::npos, pole)
        << small;
  }
  const MapProjection north{ProjectionKind::NorthPolar, 0, 90};
  const MapProjection south{ProjectionKind::SouthPolar, 0, -90};
  EXPECT_EQ(projectionNote(north), "North polar stereographic projection, true scale at the pole, 0" + deg +
                                       " straight down from the pole, on the Mars 2000 sphere (radius 3396.19 km); "
                                       "heights above the MOLA areoid.");
  EXPECT_EQ(projectionNote(south).rfind("South polar stereographic projection, true scale at the pole, 0" + deg +
                                            " straight up from the pole, ",
                                        0),
            0u);
  EXPECT_EQ(projectionNote(MapProjection{ProjectionKind::Globe, 77.5, -12}),
            "Orthographic projection (the globe as seen from far out in space) centred on 77.5" + deg + "E, 12" + deg +
                "S, on the Mars 2000 sphere (radius 3396.19 km); heights above the MOLA areoid.");
  EXPECT_EQ(projectionTitle(MapProjection{ProjectionKind::Globe, -100, 30}),
            "Orthographic globe centred on 100" + deg + "W, 30" + deg + "N");
  // What the notes say of the 0 meridian is where the projection puts it.
  for (const auto& [projection, down] : {std::pair{north, true}, std::pair{south, false}}) {
    const ProjectedFrame frame =
        polarFrame(projection.kind, down ? GeoBounds{-180, 180, 90, 60} : GeoBounds{-180, 180, -60, -90}, 5000);
    const auto pole = *frame.pixelOf(0, down ? 90 : -90);
    const auto zero = *frame.pixelOf(0, down ? 70 : -70);
    EXPECT_NEAR(zero.first, pole.first, 1e-6);
    EXPECT_EQ(zero.second > pole.second, down);
  }
  // A simple cylindrical legend draws no lines over its map.
  EXPECT_TRUE(layoutLegend(legendCases()[1].input, measure).lines.empty());
}

TEST(LegendLayout, AProjectedMapsElevationsAreTheDrawsOwnAndItsAreaIsNamed) {
  MapViewState state;
  state.demFolder = "/nonexistent/tiles";  // nothing is read
  state.mapKind = 0;
  state.mapTitle = kCustomAreaName;
  state.altitudesFound = 1;
  state.altMin = -5120;
  state.altMax = 1830;
  const ProjectedFrame polar = polarFrame(ProjectionKind::NorthPolar, GeoBounds{-180, 180, 90, 60}, 5000);
  std::vector<int> asked;
  LegendInput input =
      legendInputFor(state, MapGeometry::ofProjection(polar), [&asked](int y) { asked.push_back(y); return true; });
  EXPECT_EQ(input.elevations, (ElevationRange{-5120, 1830}));
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(input.title, "User selection: north of 60\xC2\xB0N");
  state.altitudesFound = 0;
  input = legendInputFor(state, MapGeometry::ofProjection(globeFrame(GeoPoint{70, -40}, 400)), [](int) { return true; });
  EXPECT_FALSE(input.elevations);
  EXPECT_EQ(input.title, "User selection: the globe centred on 70\xC2\xB0" "E, 40\xC2\xB0S");
  const ProjectedFrame wedge = polarFrame(ProjectionKind::SouthPolar, GeoBounds{-90, 60, -55, -88}, 5000);
  input = legendInputFor(state, MapGeometry::ofProjection(wedge), [](int) { return true; });
  EXPECT_EQ(input.title, "User selection: 90\xC2\xB0W to 60\xC2\xB0" "E, 55\xC2\xB0S to 88\xC2\xB0S");
  // A named place keeps its title.
  state.mapKind = 2;
  state.mapTitle = "Korolev";
  EXPECT_EQ(legendInputFor(state, MapGeometry::ofProjection(polar), [](int) { return true; }).title, "Korolev");
  // Its samples show no tile line to measure.
  testing::ScratchDir dir;
  TileSetReader tiles(dir.str(), TileNames{});
  EXPECT_FALSE(measureElevations(MapGeometry::ofProjection(polar), [](int) { return true; }, tiles));
}

}  // namespace
}  // namespace tarvelon
