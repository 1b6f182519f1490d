// Map selection without a window: the gazetteer's rows, the integer
// readers, what the custom area's edits and "Draw" do, the location cross.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "select/CustomArea.h"
#include "select/Gazetteer.h"
#include "select/IntegerText.h"
#include "select/LocationCross.h"

namespace tarvelon {
namespace {

const FeatureRow& rowNamed(const std::string& component) {
  for (const FeatureRow& row : featureRows()) {
    if (row.component == component) return row;
  }
  throw std::runtime_error("no row " + component);
}

std::vector<int> rect(const FeatureRow& row) { return {row.west, row.north, row.east, row.south}; }

TEST(Gazetteer, MenusHoldTheirRowsInMenuOrder) {
  ASSERT_EQ(featureRows().size(), 212u);
  const std::vector<std::pair<std::string, std::size_t>> expected = {
      {"Planitiae (plains)", 12}, {"Mensae (plateaus)", 15},     {"Chaotic Terrain", 15}, {"Cratered Terrain", 9},
      {"Individual Craters", 55}, {"Mountains and Uplands", 34}, {"Channels", 26},        {"Valleys", 46}};
  std::size_t at = 0;
  for (std::size_t m = 0; m < expected.size(); ++m) {
    const FeatureMenu& menu = featureMenus()[m];
    EXPECT_EQ(menu.caption, expected[m].first);
    EXPECT_EQ(menu.rows.size(), expected[m].second) << menu.caption;
    EXPECT_EQ(menu.rows.data(), featureRows().data() + at);
    at += menu.rows.size();
    for (const FeatureRow& row : menu.rows) EXPECT_EQ(&menuOf(row), &menu);
  }
  // First, last and a few rows between, caption and bounds letter for letter.
  const std::vector<std::string> captions = {
      featureMenus()[0].rows.front().caption, featureMenus()[1].rows[2].caption,  featureMenus()[1].rows[3].caption,
      featureMenus()[2].rows[1].caption,      featureMenus()[4].rows.front().caption,
      featureMenus()[5].rows[29].caption,     featureMenus()[6].rows.back().caption,
      featureMenus()[7].rows[6].caption,      featureMenus()[7].rows.back().caption};
  EXPECT_EQ(captions, (std::vector<std::string>{"Acidalia", "Cydonia Mensae", "Dentronilus Mensae", "Aromatum Chaos",
                                                "Agassiz", "Albor Tholus", "Zephyrus Fossae", "Dao and Niger Valles",
                                                "Warrego Valles"}));
  EXPECT_EQ(rect(rowNamed("m_p002")), (std::vector<int>{160, 54, 220, 20}));     // Arcadia
  EXPECT_EQ(rect(rowNamed("m_ct006")), (std::vector<int>{-180, -28, -120, -60}));  // Terra Sirenium
  EXPECT_EQ(rect(rowNamed("m_ct004")), (std::vector<int>{125, -12, 180, -58}));    // Terra Cimmeria
  EXPECT_EQ(rect(rowNamed("m_m001")), (std::vector<int>{170, -5, 180, -12}));      // Apollinaris Patera
  EXPECT_EQ(rect(rowNamed("m_p009")), (std::vector<int>{-40, 88, 70, 76}));        // Olympia (N Pole)
  EXPECT_EQ(rect(rowNamed("m_m027")), (std::vector<int>{-16, -67, -10, -73}));     // Sysiphi Montes
  EXPECT_EQ(rect(rowNamed("m_c052")), (std::vector<int>{136, -3, 140, -7}));       // Gale
  EXPECT_EQ(rect(rowNamed("m_v057")), (std::vector<int>{170, -14, 185, -29}));     // Ma'Adim Vallis
  EXPECT_STREQ(rowNamed("m_m007").caption, "Cydonia 'Face'");
  EXPECT_STREQ(rowNamed("m_c033").caption, "Koval'sky");
  EXPECT_STREQ(rowNamed("m_v001").caption, "Acheron Fossae (faults and disrupted crater)");
}

TEST(Gazetteer, FamiliesNumberTheirItemsWithoutGaps) {
  const std::map<FeatureFamily, std::pair<std::string, int>> naming = {
      {FeatureFamily::Planitiae, {"m_p0", 2}}, {FeatureFamily::CrateredTerrain, {"m_ct00", 1}},
      {FeatureFamily::Craters, {"m_c0", 2}},   {FeatureFamily::Mountains, {"m_m0", 2}},
      {FeatureFamily::Valleys, {"m_v0", 2}},   {FeatureFamily::Plateaus, {"men0", 2}}};
  int base = 34;
  for (const FamilyInfo& family : featureFamilies()) {
    EXPECT_EQ(family.menuItemBase, base) << family.command;
    base += family.count;
    std::set<int> numbers;
    for (const FeatureRow& row : featureRows()) {
      if (row.family != family.family) continue;
      EXPECT_TRUE(numbers.insert(row.number).second) << row.component;
      std::string number = std::to_string(row.number);
      if (number.size() < std::size_t(naming.at(family.family).second)) number = "0" + number;
      EXPECT_EQ(row.component, naming.at(family.family).first + number);
      EXPECT_EQ(findFeature(family.family, row.number), &row);
    }
    EXPECT_EQ(numbers.size(), std::size_t(family.count));
    EXPECT_EQ(*numbers.rbegin(), family.count - 1);
    EXPECT_EQ(findFeature(family.family, family.count), nullptr);
  }
  EXPECT_EQ(base, 246);

  // The valleys family is spread over three submenus.
  std::set<int> chaos, channels;
  for (const FeatureRow& row : featureMenus()[2].rows) chaos.insert(row.number);
  for (const FeatureRow& row : featureMenus()[6].rows) channels.insert(row.number);
  EXPECT_EQ(chaos, (std::set<int>{2, 4, 5, 19, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85}));
  EXPECT_EQ(channels, (std::set<int>{0,  1,  6,  7,  10, 11, 13, 16, 18, 20, 21, 22, 23,
                                     26, 28, 32, 33, 35, 36, 38, 39, 40, 42, 43, 44, 45}));
  for (int m : {0, 1, 2, 3, 4, 5, 6, 7}) {
    const bool closes = featureMenus()[m].closesLocationMap;
    EXPECT_EQ(closes, m != 2 && m != 7) << featureMenus()[m].caption;
  }
}

TEST(Gazetteer, RectanglesStayWithinTheirStatedLimits) {
  int crossing = 0, widest = 0, tallest = 0, southmost = 0;
  std::vector<std::string> smallest;
  for (const FeatureRow& row : featureRows()) {
    EXPECT_LT(row.west, row.east) << row.caption;
    EXPECT_GT(row.north, row.south) << row.caption;
    EXPECT_GE(row.west, -180);
    EXPECT_LE(row.west, 175);
    EXPECT_GE(row.east, -174);  // Atlantis Chaos
    EXPECT_LE(row.east, 220);
    EXPECT_LE(row.north, 88);
    if (row.east > 180) ++crossing;
    widest = std::max(widest, row.east - row.west);
    tallest = std::max(tallest, row.north - row.south);
    southmost = std::min(southmost, row.south);
    if (row.east - row.west == 2 && row.north - row.south == 2) smallest.push_back(row.caption);
  }
  EXPECT_EQ(crossing, 4);
  EXPECT_EQ(widest, 110);
  EXPECT_EQ(tallest, 50);
  EXPECT_EQ(southmost, -73);
  EXPECT_EQ(smallest, (std::vector<std::string>{"Aromatum Chaos", "Victoria", "Mars Pathfinder", "Tyras Vallis"}));
}

TEST(Gazetteer, RectanglesHoldTheirFeaturesAndStayAsPublished) {
  // The centres the IAU gives for some of the features (planetocentric,
  // east-positive): each one's rectangle holds its centre.
  struct Centre {
    const char* caption;
    double latitude;
    double longitude;
  };
  const Centre centres[] = {{"Olympus Mons", 18.65, -133.8},  {"Gale", -5.37, 137.81},
                            {"Victoria", -2.05, -5.5},        {"Hellas", -42.43, 70.5},
                            {"Argyre", -49.84, -43.31},       {"Valles Marineris", -14.01, -58.59},
                            {"Arsia Mons", -8.26, -120.09},   {"Elysium Mons", 25.02, 147.21},
                            {"Acidalia", 49.76, -20.74},      {"Arcadia", 49.02, -171.85 + 360},
                            {"Kasei Valles", 25.14, -62.88},  {"Utopia", 46.74, 117.52},
                            {"Huygens", -13.88, 55.58},       {"Atlantis Chaos", -34.28, -177.31},
                            {"Tyras Vallis", 8.33, -50.15},   {"Aromatum Chaos", -1.03, -42.97}};
  for (const Centre& centre : centres) {
    const auto rows = featuresNamed(centre.caption);
    ASSERT_FALSE(rows.empty()) << centre.caption;
    for (const FeatureRow* row : rows) {
      EXPECT_TRUE(row->west < centre.longitude && centre.longitude < row->east && row->south < centre.latitude &&
                  centre.latitude < row->north)
          << centre.caption;
    }
  }
  // Every rectangle as published, in menu order: a change to any one of
  // them changes this sum.
  std::uint64_t sum = 1469598103934665603ull;
  for (const FeatureRow& row : featureRows()) {
    for (int value : {row.west, row.north, row.east, row.south}) {
      sum = (sum ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
    }
  }
  EXPECT_EQ(sum, 5971589674110847172u);
}

TEST(Gazetteer, TitlesNamesAndSuggestions) {
  EXPECT_EQ(featureTitle(FeatureFamily::Craters, "Gale"), "Gale (Individual Craters)");
  EXPECT_EQ(featureTitle(FeatureFamily::Valleys, "Aram Chaos"), "Aram Chaos (Channels and Valleys)");
  EXPECT_EQ(featureTitle(FeatureFamily::Plateaus, "Tempe Mensa"), "Tempe Mensa (Plateaus)");
  EXPECT_EQ(featureTitle(FeatureFamily::Mountains, "Sysiphi Montes"), "Sysiphi Montes (Mountains and Uplands)");
  // A caption with a note in brackets takes the family into the note.
  EXPECT_EQ(featureTitle(FeatureFamily::Planitiae, "Olympia (N Pole)"), "Olympia (N Pole; Planitiae)");
  EXPECT_EQ(featureTitle(FeatureFamily::Valleys, "Ma'adin Fossae (Gusev)"),
            "Ma'adin Fossae (Gusev; Channels and Valleys)");
  EXPECT_STREQ(familyInfo(FeatureFamily::Plateaus).categoryItem, "m_val");
  EXPECT_STREQ(familyInfo(FeatureFamily::Valleys).categoryItem, "m_val");

  auto components = [](std::string_view name) {
    std::vector<std::string> found;
    for (const FeatureRow* row : featuresNamed(name)) found.emplace_back(row->component);
    return found;
  };
  EXPECT_EQ(components("hectates THOLUS"), (std::vector<std::string>{"m_m010", "m_m031"}));
  EXPECT_EQ(components("Eos Chasma"), (std::vector<std::string>{"m_v080", "m_v011"}));
  EXPECT_EQ(components("  gale "), std::vector<std::string>{"m_c052"});
  EXPECT_EQ(components("M_M031"), std::vector<std::string>{"m_m031"});
  EXPECT_TRUE(components("Olympus").empty());
  EXPECT_TRUE(components("").empty());

  EXPECT_EQ(closestCaptions("olympus", 3),
            (std::vector<std::string>{"Olympus Mons", "Olympus Mons Summit", "Olympus Mons Caldera"}));
  EXPECT_EQ(closestCaptions("Olympis Mons", 1), std::vector<std::string>{"Olympus Mons"});
  EXPECT_EQ(closestCaptions("Hectates", 5), std::vector<std::string>{"Hectates Tholus"});  // once
  const auto gail = closestCaptions("Gail");
  EXPECT_NE(std::find(gail.begin(), gail.end(), "Gale"), gail.end());
  EXPECT_TRUE(closestCaptions("zzzzzzzzzz").empty());
}

TEST(IntegerText, LenientReadingStopsAtTheFirstMisfit) {
  struct Case {
    const char* text;
    IntegerStatus status;
    int value;
  };
  const Case cases[] = {
      {"", IntegerStatus::Whole, 0},          {"0", IntegerStatus::Whole, 0},
      {"-", IntegerStatus::Whole, 0},         {"+", IntegerStatus::Whole, 0},
      {"$", IntegerStatus::Whole, 0},         {"0x", IntegerStatus::Whole, 0},
      {"12", IntegerStatus::Whole, 12},       {"   -12", IntegerStatus::Whole, -12},
      {"+7", IntegerStatus::Whole, 7},        {"$1F", IntegerStatus::Whole, 31},
      {"x1f", IntegerStatus::Whole, 31},      {"X1F", IntegerStatus::Whole, 31},
      {"0x1F", IntegerStatus::Whole, 31},     {"-$10", IntegerStatus::Whole, -16},
      {"000000000000000000012", IntegerStatus::Whole, 12},
      {"12a", IntegerStatus::Partial, 12},    {"-12a", IntegerStatus::Partial, 12},
      {"12 ", IntegerStatus::Partial, 12},    {"1 2", IntegerStatus::Partial, 1},
      {"\t5", IntegerStatus::Partial, 0},     {"1fx", IntegerStatus::Partial, 1},
      {"--5", IntegerStatus::Partial, 0},     {"$1G", IntegerStatus::Partial, 1},
      {"2147483647", IntegerStatus::Whole, 2147483647},
      {"-2147483648", IntegerStatus::Whole, -2147483647 - 1},
      {"$7FFFFFFF", IntegerStatus::Whole, 2147483647},
      {"-$80000000", IntegerStatus::Whole, -2147483647 - 1},
      {"2147483648", IntegerStatus::OutOfRange, 0},
      {"-2147483649", IntegerStatus::OutOfRange, 0},
      {"$80000000", IntegerStatus::OutOfRange, 0},
      {"99999999999999999999999999999", IntegerStatus::OutOfRange, 0},
      {"18446744073709551626", IntegerStatus::OutOfRange, 0},  // 2^64 + 10, not 10
      {"$1000000000000000A", IntegerStatus::OutOfRange, 0},
      {"2147483648x", IntegerStatus::OutOfRange, 0},
      {"-2147483648x", IntegerStatus::OutOfRange, 0},  // the digits alone do not fit
  };
  for (const Case& c : cases) {
    const IntegerRead read = readLenientInteger(c.text);
    EXPECT_EQ(read.status, c.status) << '"' << c.text << '"';
    EXPECT_EQ(read.value, c.value) << '"' << c.text << '"';
  }
}

TEST(IntegerText, StrictReadingWantsTheWholeText) {
  EXPECT_EQ(readStrictInteger("12"), 12);
  EXPECT_EQ(readStrictInteger("  -12"), -12);
  EXPECT_EQ(readStrictInteger("+0"), 0);
  EXPECT_EQ(readStrictInteger("$ff"), 255);
  EXPECT_EQ(readStrictInteger("-0X10"), -16);
  EXPECT_EQ(readStrictInteger("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", " ", "-", "+", "$", "x", "0x", "12 ", "12a", "1 2", "\t5", "1.5", "2147483648",
                          "-2147483649", "$100000000", "123456789012345678901234567890"}) {
    EXPECT_EQ(readStrictInteger(bad), std::nullopt) << '"' << bad << '"';
  }
}

const std::string kLongitudeMessage = "INVALID ENTRY\nLongitude span must lie between -180\xC2\xB0 and +180\xC2\xB0.";
const std::string kLatitudeMessage = "INVALID ENTRY\nLatitude value must lie between +85\xC2\xB0 and -85\xC2\xB0.";
const std::string kWidthMessage = "INVALID ENTRY\nMap Width must lie between 1\xC2\xB0 and 50\xC2\xB0.";
const std::string kHeightMessage = "INVALID ENTRY\nMap Height must lie between 1\xC2\xB0 and 50\xC2\xB0.";
using Messages = std::vector<std::string>;

TEST(CustomArea, CentreEditsRejectValuesOutOfRange) {
  CustomAreaEntry entry;
  for (const char* good : {"-180", "180", "-", "0", "-17x"}) {
    const EditOutcome outcome = longitudeChanged(entry, good);
    EXPECT_TRUE(outcome.messages.empty()) << good;
    EXPECT_FALSE(outcome.newText) << good;
  }
  for (const char* bad : {"181", "-181", "99999999999"}) {
    const EditOutcome outcome = longitudeChanged(entry, bad);
    EXPECT_EQ(outcome.messages, Messages{kLongitudeMessage}) << bad;
    EXPECT_EQ(outcome.newText, std::string());
  }
  EXPECT_TRUE(latitudeChanged(entry, "-85").messages.empty());
  EXPECT_EQ(entry.enteredLatitude, -85);
  // A rejected latitude is not kept: the emptied edit reads as 0.
  const EditOutcome rejected = latitudeChanged(entry, "86");
  EXPECT_EQ(rejected.messages, Messages{kLatitudeMessage});
  EXPECT_EQ(rejected.newText, std::string());
  EXPECT_EQ(entry.enteredLatitude, 0);
}

TEST(CustomArea, WidthAndHeightKeepOnlyAcceptedHalves) {
  CustomAreaEntry entry;
  EXPECT_EQ(entry.halfWidth, 2);
  EXPECT_EQ(entry.halfHeight, 2);
  for (auto [typed, half] : std::vector<std::pair<const char*, int>>{{"1", 1}, {"3", 2}, {"49", 25}, {"50", 25}}) {
    EXPECT_TRUE(widthChanged(entry, typed).messages.empty());
    EXPECT_EQ(entry.halfWidth, half) << typed;
  }
  // Width 60, then 0: the 60 is refused and leaves no half behind.
  widthChanged(entry, "7");
  EditOutcome outcome = widthChanged(entry, "60");
  EXPECT_EQ(outcome.messages, Messages{kWidthMessage});
  EXPECT_EQ(outcome.newText, std::string());
  EXPECT_EQ(entry.halfWidth, 4);
  EXPECT_TRUE(widthChanged(entry, "0").messages.empty());
  EXPECT_EQ(widthChanged(entry, "-5").messages, Messages{kWidthMessage});
  EXPECT_EQ(widthChanged(entry, "99999999999").messages, Messages{kWidthMessage});
  EXPECT_EQ(entry.halfWidth, 4);

  outcome = heightChanged(entry, "500");
  EXPECT_EQ(outcome.messages, Messages{kHeightMessage});
  EXPECT_EQ(entry.halfHeight, 2);
  heightChanged(entry, "9");
  EXPECT_EQ(entry.halfHeight, 5);
  EXPECT_TRUE(heightChanged(entry, "").messages.empty());
  EXPECT_EQ(entry.halfHeight, 5);
}

TEST(CustomArea, HeightsAreCutBackToTheDataEdge) {
  {
    // Latitude 200, then height 5: once endless, now one message and done.
    CustomAreaEntry entry;
    EXPECT_EQ(latitudeChanged(entry, "200").messages, Messages{kLatitudeMessage});
    const EditOutcome outcome = heightChanged(entry, "5");
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_FALSE(outcome.newText);
    EXPECT_EQ(entry.halfHeight, 3);
  }
  {
    CustomAreaEntry entry;
    latitudeChanged(entry, "80");
    const EditOutcome outcome = heightChanged(entry, "30");
    EXPECT_EQ(outcome.messages, Messages{"Maximum height for a map centred on 80 is 16\xC2\xB0"});
    EXPECT_EQ(outcome.newText, "16");
    EXPECT_EQ(entry.halfHeight, 8);
    const DrawRequest draw = customAreaDraw(entry, {"10", "80", "4", "16"});
    ASSERT_EQ(draw.kind, DrawRequest::Kind::Draw);
    EXPECT_EQ(draw.area, (AreaBounds{8, 88, 12, 72}));
  }
  {
    CustomAreaEntry entry;
    latitudeChanged(entry, "-70");
    const EditOutcome outcome = heightChanged(entry, "50");
    EXPECT_EQ(outcome.messages, Messages{"Maximum height for a map centred on -70 is 36\xC2\xB0"});
    EXPECT_EQ(outcome.newText, "36");
    const DrawRequest draw = customAreaDraw(entry, {"0", "-70", "4", "36"});
    EXPECT_EQ(draw.area, (AreaBounds{-2, -52, 2, -88}));
  }
  {
    // A refused height still checks the half in force against a latitude
    // typed since.
    CustomAreaEntry entry;
    heightChanged(entry, "50");
    latitudeChanged(entry, "85");
    const EditOutcome outcome = heightChanged(entry, "60");
    EXPECT_EQ(outcome.messages, (Messages{kHeightMessage, "Maximum height for a map centred on 85 is 6\xC2\xB0"}));
    EXPECT_EQ(outcome.newText, "6");
    EXPECT_EQ(entry.halfHeight, 3);
  }
}

TEST(CustomArea, DrawFormsTheRectangleOrSaysWhyNot) {
  CustomAreaEntry entry;
  widthChanged(entry, "10");
  heightChanged(entry, "3");
  EXPECT_EQ(customAreaDraw(entry, {"-179", "0", "10", "3"}).area, (AreaBounds{176, 2, 186, -2}));
  EXPECT_EQ(customAreaDraw(entry, {"180", "0", "10", "3"}).area, (AreaBounds{175, 2, 185, -2}));
  EXPECT_EQ(customAreaDraw(entry, {"-175", "0", "10", "3"}).area, (AreaBounds{-180, 2, -170, -2}));
  EXPECT_EQ(customAreaDraw(entry, {" 20", "+5", "10", "3"}).area, (AreaBounds{15, 7, 25, 3}));

  // Nothing is drawn without a word: an empty edit is named, a width or
  // height of 0 (left after a rejected value) gets its range.
  for (auto [texts, why] : std::vector<std::pair<CustomAreaTexts, std::string>>{
           {{"", "0", "10", "3"}, "Please enter the map's Centre Longitude before drawing it."},
           {{"1", "", "10", "3"}, "Please enter the map's Centre Latitude before drawing it."},
           {{"1", "0", "", "3"}, "Please enter the map's Width before drawing it."},
           {{"1", "0", "10", ""}, "Please enter the map's Height before drawing it."},
           {{"1", "0", "0", "3"}, kWidthMessage},
           {{"1", "0", "10", "-0"}, kHeightMessage},
           {{"181", "0", "10", "3"}, "INVALID ENTRY\nLongitude span must lie between -180\xC2\xB0 and +180\xC2\xB0."},
           {{"1", "-86", "10", "3"}, "INVALID ENTRY\nLatitude value must lie between +85\xC2\xB0 and -85\xC2\xB0."}}) {
    const DrawRequest draw = customAreaDraw(entry, texts);
    EXPECT_EQ(draw.kind, DrawRequest::Kind::Refused);
    EXPECT_EQ(draw.error, why);
  }
  for (auto [texts, error] : std::vector<std::pair<CustomAreaTexts, std::string>>{
           {{"5x", "0", "10", "3"}, "'5x' is not a valid integer value"},
           {{"5", "-", "10", "3"}, "'-' is not a valid integer value"},
           {{"5", "1 ", "10", "3"}, "'1 ' is not a valid integer value"},
           {{"5", "1", "10a", "3"}, "'10a' is not a valid integer value"},
           {{"5", "1", "10", "99999999999"}, "'99999999999' is not a valid integer value"}}) {
    const DrawRequest draw = customAreaDraw(entry, texts);
    EXPECT_EQ(draw.kind, DrawRequest::Kind::NotAnInteger);
    EXPECT_EQ(draw.error, error);
  }
}

TEST(LocationCross, CentresOnThePicture) {
  EXPECT_EQ(locationCross({-150, 30, -120, 2}), (CrossPosition{60, 98}));   // Olympus Mons
  EXPECT_EQ(locationCross({40, -20, 100, -60}), (CrossPosition{332, 173}));  // Hellas: 332.5 to even
  EXPECT_EQ(locationCross({-6, -1, -4, -3}), (CrossPosition{233, 122}));     // Victoria
  EXPECT_EQ(locationCross({-10, 10, 10, -10}), (CrossPosition{239, 120}));   // centred on (0, 0)
  EXPECT_EQ(locationCross({170, 10, 190, -10}), (CrossPosition{479, 120}));  // centred on 180 E
  // Centres past 180 E are taken a turn west: Arcadia, and a custom area
  // at longitude -179.
  EXPECT_EQ(locationCross({160, 54, 220, 20}), (CrossPosition{13, 70}));
  EXPECT_EQ(locationCross({176, 2, 186, -2}), (CrossPosition{1, 120}));
  EXPECT_EQ(locationCross({-180, 88, -90, 44}), (CrossPosition{60, 32}));  // tile 1
  EXPECT_EQ(locationCross({0, -80, 0, -88}).y, 231);
}

TEST(LocationCross, APointIsPlacedAsTheCentreOfAnAreaAndStaysOnThePicture) {
  // The centres of areas above, as points, give the same crosses.
  EXPECT_EQ(locationCross(-135.0, 16.0), locationCross({-150, 30, -120, 2}));
  EXPECT_EQ(locationCross(70.0, -40.0), (CrossPosition{332, 173}));  // 332.5 to even, as for Hellas
  EXPECT_EQ(locationCross(0.0, 0.0), (CrossPosition{239, 120}));
  EXPECT_EQ(locationCross(180.0, 0.0), (CrossPosition{479, 120}));
  EXPECT_EQ(locationCross(-180.0, 0.0), (CrossPosition{479, 120}));
  EXPECT_EQ(locationCross(190.0, 37.0), locationCross({160, 54, 220, 20}));
  EXPECT_EQ(locationCross(-179.0 + 720, 0.0), (CrossPosition{1, 120}));
  // The poles: the top and bottom rows of the picture.
  EXPECT_EQ(locationCross(0.0, 90.0), (CrossPosition{239, 0}));
  EXPECT_EQ(locationCross(45.0, -90.0), (CrossPosition{299, kLocationMapHeight - 1}));
  EXPECT_EQ(locationCross(12.34, 45.67), (CrossPosition{256, 59}));
  EXPECT_EQ(locationCross(std::nan(""), 10.0), CrossPosition{});
}

}  // namespace
}  // namespace tarvelon
