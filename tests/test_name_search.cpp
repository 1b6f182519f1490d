// One search over the menu features and the IAU names: what matches, how
// well, in which order, and the misspellings that still find a name.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "select/NameSearch.h"

namespace tarvelon {
namespace {

const NameSearch& search() {
  static const NameSearch names;
  return names;
}

std::vector<std::string> namesOf(const std::vector<NameMatch>& found, std::size_t count = 1000) {
  std::vector<std::string> names;
  for (const NameMatch& match : found) {
    if (names.size() == count) break;
    names.emplace_back(match.name);
  }
  return names;
}

bool ranksNeverGetBetter(const std::vector<NameMatch>& found) {
  for (std::size_t i = 1; i < found.size(); ++i) {
    if (found[i].rank < found[i - 1].rank) return false;
  }
  return true;
}

TEST(NameSearch, IgnoresCaseDiacriticsAndBlanks) {
  for (const char* text : {"nordenskiold", "  NORDENSKIOLD ", "Nordenski\xC3\xB6ld", "NORDENSKI\xC3\x96LD"}) {
    const auto found = search().find(text);
    ASSERT_FALSE(found.empty()) << text;
    EXPECT_EQ(found[0].name, "Nordenski\xC3\xB6ld") << text;
    EXPECT_EQ(found[0].rank, NameRank::Equal);
    ASSERT_TRUE(found[0].isPlace());
    EXPECT_EQ(found[0].place->id, 4332);
    EXPECT_EQ(found[0].feature, nullptr);
  }
  // "valles   mar": the blanks of the text fold as the names' do.
  const auto valles = search().find("valles   MAR");
  ASSERT_EQ(valles.size(), 2u);
  EXPECT_STREQ(valles[0].feature->component, "m_v034");
  EXPECT_EQ(valles[1].name, "Valles Marineris");
  EXPECT_EQ(valles[1].place->id, 6288);
}

TEST(NameSearch, RanksWholeNameThenStartThenWordThenWithin) {
  // Both lists hold a Gale: the menu feature first, then the IAU name.
  const auto gale = search().find("gale");
  ASSERT_GE(gale.size(), 3u);
  EXPECT_TRUE(ranksNeverGetBetter(gale));
  EXPECT_EQ(gale[0].rank, NameRank::Equal);
  ASSERT_NE(gale[0].feature, nullptr);
  EXPECT_STREQ(gale[0].feature->component, "m_c052");
  EXPECT_EQ(gale[1].rank, NameRank::Equal);
  ASSERT_TRUE(gale[1].isPlace());
  EXPECT_EQ(gale[1].place->id, 2071);

  // Each name in the rank its text earns, worked out here from the folded
  // name: "ar" starts names (Arabia Terra), later words (Arcadia in "...
  // Arcadia ...") and sits inside others (Mars, Barnard).
  for (const char* text : {"ar", "mons", "al-"}) {
    const auto found = search().find(text);
    EXPECT_TRUE(ranksNeverGetBetter(found));
    for (const NameMatch& match : found) {
      if (match.rank == NameRank::Close) continue;  // guesses after few matches ("al-")
      const std::string folded = foldName(match.name);
      const std::size_t at = folded.find(text);
      ASSERT_NE(at, std::string::npos) << folded;
      const bool afterWord = folded.find(std::string(" ") + text) != std::string::npos ||
                             folded.find(std::string("-") + text) != std::string::npos ||
                             folded.find(std::string("(") + text) != std::string::npos;
      const NameRank expected = folded == text ? NameRank::Equal
                                : at == 0      ? NameRank::Start
                                : afterWord    ? NameRank::WordStart
                                               : NameRank::Within;
      EXPECT_EQ(match.rank, expected) << folded << " for " << text;
    }
  }
  const auto ar = search().find("ar");
  const auto count = [&](NameRank rank) {
    return std::count_if(ar.begin(), ar.end(), [&](const NameMatch& m) { return m.rank == rank; });
  };
  EXPECT_GT(count(NameRank::Start), 0);
  EXPECT_GT(count(NameRank::WordStart), 0);
  EXPECT_GT(count(NameRank::Within), 0);
}

TEST(NameSearch, WithinARankMenuFeaturesComeFirstThenLargerPlaces) {
  // Every Aeolis of the IAU list: the bare name, then by size.
  EXPECT_EQ(namesOf(search().find("AEOLIS"), 8),
            (std::vector<std::string>{"Aeolis", "Aeolis Planum", "Aeolis Mensae", "Aeolis Serpens", "Aeolis Dorsa",
                                      "Aeolis Chaos", "Aeolis Palus", "Aeolis Mons"}));

  // The menu's Olympus features keep their menu order ahead of the IAU names,
  // so the second row is still the summit.
  const auto olympus = search().find("olympus");
  ASSERT_GE(olympus.size(), 6u);
  EXPECT_STREQ(olympus[0].feature->component, "m_m011");
  EXPECT_STREQ(olympus[1].feature->component, "m_m012");
  EXPECT_STREQ(olympus[2].feature->component, "m_m013");
  EXPECT_EQ(namesOf(olympus, 7)[3], "Olympus Rupes");  // 1 915 km, the largest

  // Same size: alphabetical (folded); albedo features, with no size, last.
  const PlaceNames places = PlaceNames::parse(
      "feature_id,name,diameter_km,latitude,longitude\n"
      "1,Zed Crater,10,0,0\n2,Zeta,0,1,1\n3,\xC3\x84zed,10,2,2\n4,Zed Mons,30,3,3\n5,Azed,10,4,4\n");
  const NameSearch small({}, places);
  // Four match; one letter off, Zeta is offered after them.
  EXPECT_EQ(namesOf(small.find("zed")),
            (std::vector<std::string>{"Zed Mons", "Zed Crater", "\xC3\x84zed", "Azed", "Zeta"}));
  EXPECT_EQ(namesOf(small.find("ze")), (std::vector<std::string>{"Zed Mons", "Zed Crater", "Zeta", "\xC3\x84zed",
                                                                  "Azed"}));
}

TEST(NameSearch, AnEmptyTextListsTheMenuThenEveryNameAlphabetically) {
  const auto all = search().find("   ");
  ASSERT_EQ(all.size(), 212u + 1903u);
  EXPECT_EQ(search().size(), all.size());
  const auto rows = featureRows();
  for (std::size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(all[i].feature, &rows[i]) << i;
  for (std::size_t i = rows.size(); i < all.size(); ++i) {
    ASSERT_TRUE(all[i].isPlace());
    if (i > rows.size()) {
      ASSERT_LE(foldName(all[i - 1].name), foldName(all[i].name));
    }
  }
  EXPECT_EQ(all[212].name, "Abalos Colles");
}

TEST(NameSearch, MisspellingsOfferTheClosestWhenLittleMatches) {
  const auto jezero = search().find("jezzero");
  ASSERT_FALSE(jezero.empty());
  EXPECT_EQ(jezero[0].name, "Jezero");
  EXPECT_EQ(jezero[0].rank, NameRank::Close);
  EXPECT_EQ(jezero[0].distance, 1);

  // A misspelt first word; both lists answer, menu feature first at the
  // same distance.
  const auto olympis = search().find("olympis mons");
  ASSERT_GE(olympis.size(), 4u);
  EXPECT_STREQ(olympis[0].feature->component, "m_m011");
  EXPECT_STREQ(olympis[1].feature->component, "m_m012");
  EXPECT_STREQ(olympis[2].feature->component, "m_m013");
  EXPECT_EQ(olympis[3].name, "Olympus Mons");
  EXPECT_TRUE(olympis[3].isPlace());
  EXPECT_LE(olympis.size(), NameSearch::kMostClose);
  for (std::size_t i = 1; i < olympis.size(); ++i) EXPECT_LE(olympis[i - 1].distance, olympis[i].distance);

  // A misspelt later word finds it too.
  EXPECT_EQ(namesOf(search().find("marinaris"), 1), (std::vector<std::string>{"Valles Marineris"}));
  // Not too far off, and not for one or two letters.
  EXPECT_TRUE(search().find("qqqqqqqqqqqq").empty());
  EXPECT_TRUE(search().find("qx").empty());

  // When enough match the text itself, no guesses are added.
  for (const NameMatch& match : search().find("chaos")) EXPECT_NE(match.rank, NameRank::Close);
}

TEST(NameSearch, EditsToTheStartOfAName) {
  EXPECT_EQ(editsToStart("jezzero", "jezero", 3), 1);
  EXPECT_EQ(editsToStart("valles mar", "valles marineris", 3), 0);
  EXPECT_EQ(editsToStart("olympis", "olympus mons", 3), 1);
  EXPECT_EQ(editsToStart("tyrass", "tyras vallis", 2), 1);
  EXPECT_EQ(editsToStart("abc", "", 5), 3);
  // A start that stops inside a word counts only as long as the text.
  EXPECT_EQ(editsToStart("valles mar", "valles region", 3), 3);
  EXPECT_EQ(editsToStart("valles mar", "valles", 5), 4);
  EXPECT_EQ(editsToStart("gal", "galaxias", 3), 0);
  EXPECT_EQ(editsToStart("galaxias", "gal", 9), 5);
  // Beyond the bound, one more than it.
  EXPECT_EQ(editsToStart("qqqqqqqq", "olympus mons", 2), 3);
}

}  // namespace
}  // namespace tarvelon
