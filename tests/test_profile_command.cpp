// tarvelon-render profile, run as a user would run it: the CSV line by
// line against the tiles and the sphere, the PNG plot, the file named
// without -o, and mistakes refused with a message naming them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "dem/TileSet.h"
#include "tests/ImageFiles.h"
#include "tests/TestFiles.h"
#include "tests/ToolRuns.h"

namespace tarvelon {
namespace {

namespace fs = std::filesystem;
using Outcome = testing::CommandOutcome;
using testing::shellQuote;

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
    fields.push_back(line.substr(start, comma - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

class ProfileCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.file("work"));
    // The grid's line 11264 (0 .. 1/128 degree south of the equator) is
    // line 0 of the tiles of row 2; 0 .. 90 E is tile column 2.
    tiles.writeLine(tileNumber(2, 2), 0, [](int column) { return 100 + column % 1000; });
  }
  std::string work(const std::string& name = "") const { return (dir.path() / "work" / name).string(); }
  Outcome run(const std::vector<std::string>& args) const {
    std::string command = "cd " + shellQuote(work()) + " && " + shellQuote(TARVELON_RENDER_PATH) + " profile";
    for (const auto& arg : args) command += " " + shellQuote(arg);
    return testing::runShell(command, dir);
  }

  testing::ScratchDir dir;
  const testing::SparseTiles tiles{dir.file("data")};
};

TEST_F(ProfileCommand, WritesTheCsvAPointALine) {
  const Outcome r = run({"10", "-0.004", "10.04", "-0.004", "--samples", "5", "--data", tiles.str(), "-o", "p.csv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = linesOf(testing::readText(work("p.csv")));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "distance_km,longitude,latitude,elevation_m");
  // 0.04 degrees along (all but) the equator, in four even steps.
  const double length = 0.04 * kRad * 3396190 * std::cos(0.004 * kRad);
  for (int i = 0; i < 5; ++i) {
    const std::vector<std::string> f = fieldsOf(lines[std::size_t(i) + 1]);
    ASSERT_EQ(f.size(), 4u) << lines[std::size_t(i) + 1];
    EXPECT_NEAR(std::stod(f[0]), length * i / 4 / 1000, 0.0006) << i;
    EXPECT_EQ(f[0].size() - f[0].find('.'), 4u) << f[0];  // three decimals
    const double longitude = 10 + 0.01 * i;
    EXPECT_EQ(f[1], std::to_string(longitude).substr(0, 9)) << i;
    EXPECT_EQ(f[2], "-0.004000");
    const int column = static_cast<int>(std::floor((longitude + 180) * 128)) - 2 * 11520;
    EXPECT_EQ(f[3], std::to_string(100 + column % 1000)) << i;
  }
  EXPECT_NE(r.out.find("2.37 km along the great circle, 5 points\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("written to " + work("p.csv") + "\n"), std::string::npos) << r.out;
}

TEST_F(ProfileCommand, PointsPastTheGridHaveAnEmptyElevationAndTheDefaultFileIsNamedByThePoints) {
  const Outcome r = run({"0", "87.9", "0", "88.1", "--samples", "3", "--data", tiles.str()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> lines = linesOf(testing::readText(work("profile_0_87.9_0_88.1.csv")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "0.000,0.000000,87.900000,0");  // the sparse tiles read 0 m
  EXPECT_EQ(lines[2].substr(lines[2].find(',')), ",0.000000,88.000000,0");  // the grid's edge is its own
  EXPECT_EQ(lines[3].substr(lines[3].find(',')), ",0.000000,88.100000,");
  EXPECT_NEAR(std::stod(lines[3]), 0.2 * kRad * 3396.19, 0.0006);
}

TEST_F(ProfileCommand, WritesThePlotAsAPng) {
  const Outcome r = run({"-150", "18", "-120", "18", "--data", tiles.str(), "-o", "olympus.PNG"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto png = testing::readPng(work("olympus.PNG"));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 1200);
  EXPECT_EQ(png->height, 600);
  EXPECT_EQ(fs::directory_iterator(work())->path().filename(), "olympus.PNG");  // nothing else left
}

TEST_F(ProfileCommand, RefusesMistakesNamingThem) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
    int status;
  };
  const std::string data = tiles.str();
  const std::vector<Case> cases = {
      {{"1", "2", "3", "4", "--data", data, "-o", "p.txt"}, "must end in .csv or .png, not \"p.txt\"", 2},
      {{"1", "2", "3", "4", "--data", data, "-o", "csv"}, "not \"csv\"", 2},
      {{"1", "north", "3", "4", "--data", data}, "LAT1 must be a number, not \"north\"", 2},
      {{"1", "2", "3", "91", "--data", data}, "LAT2 \"91\" is out of range", 2},
      {{"400", "2", "3", "4", "--data", data}, "LON1 \"400\" is out of range", 2},
      {{"1", "2", "3", "--data", data}, "give the two points as four numbers", 2},
      {{"1", "2", "3", "4", "--samples", "1", "--data", data}, "the number of samples \"1\" is out of range", 2},
      {{"1", "2", "3", "4", "--samples", "many", "--data", data}, "not \"many\"", 2},
      {{"1", "2", "3", "4", "--data", dir.file("nowhere")}, "does not exist", 1},
      {{"1", "2", "3", "4", "--data", data, "-o", "no/such/p.csv"}, "Cannot write \"no/such/p.csv\"", 1},
  };
  for (const Case& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.exitCode, c.status) << c.said << "\n" << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(fs::is_empty(work()));
}

TEST_F(ProfileCommand, IsListedAndDescribed) {
  const Outcome overview = testing::runShell(shellQuote(TARVELON_RENDER_PATH) + " --help", dir);
  EXPECT_NE(overview.out.find("  profile    "), std::string::npos) << overview.out;
  const Outcome help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: tarvelon-render profile LON1 LAT1 LON2 LAT2", 0), 0u) << help.out;
}

}  // namespace
}  // namespace tarvelon
