// tarvelon-render names, run as a user would run it: the columns, each
// filter and their combinations, the 180 degree meridian, and mistakes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestFiles.h"
#include "tests/ToolRuns.h"

namespace tarvelon {
namespace {

using Outcome = testing::CommandOutcome;
using testing::shellQuote;

// The rows printed, each split at its tabs.
using Rows = std::vector<std::vector<std::string>>;

class NamesCommand : public ::testing::Test {
 protected:
  Outcome run(const std::vector<std::string>& args) const {
    std::string command = shellQuote(TARVELON_RENDER_PATH) + " names";
    for (const auto& arg : args) command += " " + shellQuote(arg);
    return testing::runShell(command, dir);
  }

  Rows rows(const std::vector<std::string>& args) const {
    const Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Rows table;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> fields;
      std::size_t start = 0;
      for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
      }
      fields.push_back(line.substr(start));
      table.push_back(fields);
    }
    return table;
  }

  static std::set<std::string> namesIn(const Rows& table) {
    std::set<std::string> names;
    for (const auto& row : table) names.insert(row.at(1));
    return names;
  }

  testing::ScratchDir dir;
};

TEST_F(NamesCommand, ListsEveryNameInSixColumns) {
  const Rows all = rows({});
  ASSERT_EQ(all.size(), 1903u);
  for (const auto& row : all) ASSERT_EQ(row.size(), 6u);
  EXPECT_EQ(all.front(), (std::vector<std::string>{"4", "Abalos Colles", "colles", "235.83", "76.83", "-71.65"}));
  const Rows gale = rows({"GALE"});
  ASSERT_FALSE(gale.empty());
  EXPECT_EQ(gale.front(), (std::vector<std::string>{"2071", "Gale", "crater", "154.08", "-5.37", "137.81"}));
  // An albedo feature has no size; diacritics are kept in the name.
  EXPECT_EQ(rows({"aeolis"}).front(), (std::vector<std::string>{"65", "Aeolis", "albedo feature", "0", "-4.94", "145"}));
  EXPECT_EQ(rows({"nordenskiold"}).front().at(1), "Nordenski\xC3\xB6ld");
  // Words one after another are one text.
  EXPECT_EQ(rows({"valles", "marineris"}).front().at(0), "6288");
}

TEST_F(NamesCommand, FiltersByRectangleAcross180ByDistanceAndByKind) {
  // Across the 180 degree meridian: both sides, nothing beyond.
  const Rows across = rows({"--within", "170", "10", "190", "-10"});
  ASSERT_FALSE(across.empty());
  bool east = false, west = false;
  for (const auto& row : across) {
    const double lat = std::stod(row[4]), lon = std::stod(row[5]);
    EXPECT_TRUE(lat <= 10 && lat >= -10) << row[1];
    EXPECT_TRUE(lon >= 170 || lon <= -170) << row[1];
    east = east || lon > 0;
    west = west || lon < 0;
  }
  EXPECT_TRUE(east && west);
  EXPECT_TRUE(namesIn(across).count("Apollinaris Patera"));
  EXPECT_TRUE(namesIn(across).count("Lucus Planum"));  // -177.17

  // Near Gale: nearest first, the distance in a seventh column, within R.
  const Rows near = rows({"--near", "-5.37", "137.81", "--km", "60"});
  ASSERT_GE(near.size(), 3u);
  EXPECT_EQ(near[0][1], "Gale");
  EXPECT_EQ(near[0][6], "0.0");
  for (std::size_t i = 0; i < near.size(); ++i) {
    ASSERT_EQ(near[i].size(), 7u);
    EXPECT_LE(std::stod(near[i][6]), 60.0);
    if (i > 0) {
      EXPECT_LE(std::stod(near[i - 1][6]), std::stod(near[i][6]));
    }
  }
  // The default distance is 100 km.
  EXPECT_GT(rows({"--near", "-5.37", "137.81"}).size(), near.size());

  // A kind takes its plural along.
  const Rows valleys = rows({"--kind", "VALLIS"});
  std::set<std::string> kinds;
  for (const auto& row : valleys) kinds.insert(row[2]);
  EXPECT_EQ(kinds, (std::set<std::string>{"vallis", "valles"}));
  EXPECT_TRUE(namesIn(valleys).count("Valles Marineris"));
  EXPECT_EQ(rows({"--kind", "valles"}).size(), valleys.size());
}

TEST_F(NamesCommand, FiltersCombine) {
  // Craters near Gale: Gale itself and the small ones on its floor.
  const Rows craters = rows({"--near", "-5.37", "137.81", "--km", "60", "--kind", "crater"});
  ASSERT_FALSE(craters.empty());
  for (const auto& row : craters) EXPECT_EQ(row[2], "crater");
  EXPECT_FALSE(namesIn(craters).count("Aeolis Mons"));
  // A name and a rectangle: the Aeolis names in the east only.
  const Rows aeolis = rows({"aeolis", "--within", "140", "5", "160", "-10"});
  EXPECT_EQ(namesIn(aeolis), (std::set<std::string>{"Aeolis", "Aeolis Planum", "Aeolis Mensae", "Aeolis Dorsa",
                                                     "Aeolis Serpens", "Aeolis Chaos"}));
  // A name near a point: nearest first, not best match first.
  const Rows near = rows({"aeolis", "--near", "-5.37", "137.81", "--km", "500"});
  ASSERT_GE(near.size(), 2u);
  EXPECT_EQ(near[0][1], "Aeolis Mons");
}

TEST_F(NamesCommand, MistakesAreUsageErrorsAndNothingFoundFails) {
  const auto refused = [&](const std::vector<std::string>& args, const std::string& says) {
    const Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 2) << says;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Usage: tarvelon-render names"), std::string::npos);
  };
  refused({"--kind", "volcano"}, "there is no kind \"volcano\"; the kinds are albedo feature, catena");
  refused({"--kind", "volcano"}, " vallis, vastitas\n");
  refused({"--within", "10", "10", "5", "0"}, "EAST must lie east of WEST");
  refused({"--within", "10", "0", "20", "5"}, "NORTH must lie north of SOUTH");
  refused({"--within", "10", "0", "20"}, "--within needs 4 values");
  refused({"--near", "95", "0"}, "LAT \"95\" is out of range");
  refused({"--near", "north", "0"}, "LAT must be a number");
  refused({"--near", "0", "0", "--km", "-1"}, "out of range");
  refused({"--km", "10"}, "--km is the distance of --near");
  refused({"--bogus"}, "unknown option");

  const Outcome none = run({"gale", "--kind", "mons"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "tarvelon-render names: no IAU name is as asked\n");

  const Outcome help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: tarvelon-render names [NAME]", 0), 0u);
}

}  // namespace
}  // namespace tarvelon
