// tarvelon-render tile and area, run as a user would run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <sstream>

#include "dem/TileNames.h"
#include "dem/TileSet.h"
#include "export/MapFile.h"
#include "render/AreaRenderer.h"
#include "render/BmpWriter.h"
#include "render/ColourFunction.h"
#include "render/MapGeometry.h"
#include "render/TileRenderer.h"
#include "select/NameLabels.h"
#include "tests/ImageFiles.h"
#include "select/PlaceFrame.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"
#include "tests/ToolRuns.h"
#include "tools/Progress.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

using Outcome = testing::CommandOutcome;
using testing::shellQuote;

std::uint32_t le32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// A folder of sixteen sparse full-size tiles, a folder to run in, and the
// tool.
class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(dir.file("work")); }

  std::string data(const std::string& name = "") const { return (dir.path() / "data" / name).string(); }
  std::string work(const std::string& name = "") const { return (dir.path() / "work" / name).string(); }

  // The shell command that runs the tool in the work folder.
  std::string toolCommand(const std::vector<std::string>& args) const {
    std::string command = "cd " + shellQuote(work()) + " && " + shellQuote(TARVELON_RENDER_PATH);
    for (const auto& arg : args) command += " " + shellQuote(arg);
    return command;
  }
  // Runs the tool in the work folder.
  Outcome run(const std::vector<std::string>& args) const { return runCommand(toolCommand(args)); }
  // Runs a shell command, its output and errors kept.
  Outcome runCommand(const std::string& command) const { return testing::runShell(command, dir); }

  std::vector<std::string> workFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work())) names.push_back(entry.path().filename().string());
    return names;
  }

  ScratchDir dir;
  const testing::SparseTiles tiles{dir.file("data")};
};

TEST_F(RenderCli, DrawsATileToABitmapAndSaysWhatItDrew) {
  // Menu tile 3 (0..90 E, 88..44 N) is the 13th name in sorted order.
  const auto tile = data("megt88n000hb.img");
  testing::writeTileLine(tile, 0, [](int column) { return column == 0 ? 1234 : 10; });
  testing::writeTileLine(tile, 24, [](int column) { return column == 24 ? -555 : 10; });
  testing::writeTileLine(tile, 25, [](int) { return 9999; });  // between drawn lines: never taken

  const Outcome r = run({"tile", "3", "--data", data(), "-o", "map.bmp"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string timing = "Tile: megt88n000hb.img processed in ";
  ASSERT_EQ(r.out.compare(0, timing.size(), timing), 0) << r.out;
  const std::size_t digits = r.out.find_first_not_of("0123456789", timing.size());
  EXPECT_GT(digits, timing.size()) << r.out;
  const std::string unit = r.out.substr(timing.size(), digits - timing.size()) == "1" ? " second\n" : " seconds\n";
  EXPECT_EQ(r.out.compare(digits, unit.size(), unit), 0) << r.out;
  EXPECT_NE(r.out.find("\n480 x 235 pixels, highest 1234 m, lowest -555 m\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("written to " + work("map.bmp") + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Drawing Tile in background  .... Progress: 0%"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("100%"), std::string::npos) << r.err;

  const std::string bmp = testing::readText(work("map.bmp"));
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(le32(bmp, 18), 480u);
  EXPECT_EQ(le32(bmp, 22), 235u);
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(bmp.size(), 54u + 1440u * 235u);
  // Placed on Mars: tile 3 spans 0 .. 90 E, 88 .. 44 N; pixel (0, 0) is
  // centred on sample 0, half a sample inside the corner, and is 24 samples
  // a side.
  std::vector<std::string> files = workFiles();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"map.bmp", "map.bmp.aux.xml", "map.bpw", "map.prj"}));
  EXPECT_EQ(testing::readText(work("map.bpw")), "0.1875\n0\n0\n-0.1875\n0.00390625\n87.99609375\n");
  EXPECT_NE(testing::readText(work("map.prj")).find("SPHEROID[\"Mars_2000_(Sphere)\",3396190,0,"), std::string::npos);
  EXPECT_NE(testing::readText(work("map.bmp.aux.xml")).find("<SRS dataAxisToSRSAxisMapping=\"2,1\">GEOGCS["),
            std::string::npos);
  EXPECT_NE(r.out.find("placed on Mars by " + work("map.bpw") + ", " + work("map.prj") + " and " +
                       work("map.bmp.aux.xml") + "\n"),
            std::string::npos)
      << r.out;

  // Raster row y is file row 234 - y; the last raster row is never drawn.
  auto pixel = [&](int x, int y) {
    const std::size_t at = 54 + std::size_t(234 - y) * 1440 + 3 * std::size_t(x);
    return std::vector<int>{static_cast<std::uint8_t>(bmp[at + 2]), static_cast<std::uint8_t>(bmp[at + 1]),
                            static_cast<std::uint8_t>(bmp[at])};
  };
  auto colourOf = [](int elevation) {
    PixelColour c;
    elevationColour(1, elevation, 1, BandLimits{}, c);
    return std::vector<int>{c.pixelRed, c.pixelGreen, c.pixelBlue};
  };
  EXPECT_EQ(pixel(0, 0), colourOf(1234));
  EXPECT_EQ(pixel(1, 0), colourOf(10));
  EXPECT_EQ(pixel(1, 1), colourOf(-555));
  EXPECT_EQ(pixel(479, 1), colourOf(10));
  EXPECT_EQ(pixel(7, 2), colourOf(0));  // sparse lines read as 0 m
  // The last row is never drawn: it repeats the row above it.
  EXPECT_EQ(pixel(300, 234), pixel(300, 233));
  EXPECT_EQ(pixel(0, 234), pixel(0, 233));
}

TEST_F(RenderCli, DrawsAnAreaAtItsOwnStepOrTheOneGiven) {
  testing::writeTileLine(data("megt88n270hb.img"), 3840, [](int column) { return column == 3839 ? 2000 : 0; });
  const Outcome chosen = run({"area", "-60", "58", "0", "32", "--data", data(), "-o", "acidalia.png"});
  ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
  EXPECT_NE(chosen.out.find("User selection processed in "), std::string::npos) << chosen.out;
  EXPECT_NE(chosen.out.find("768 x 332 pixels, highest 2000 m, lowest 0 m"), std::string::npos) << chosen.out;
  EXPECT_EQ(testing::readText(work("acidalia.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");

  const Outcome given = run({"area", "-60", "58", "0", "32", "--step", "24", "--scheme", "5", "--mode", "0", "--data",
                         data(), "-o", "acidalia.bmp"});
  ASSERT_EQ(given.exitCode, 0) << given.err;
  EXPECT_NE(given.out.find("320 x 138 pixels"), std::string::npos) << given.out;

  const Outcome user = run({"area", "160", "54", "220", "20", "--step", "24", "--user-colours", "3000", "-2000",
                        "--data", data(), "-o", "arcadia.bmp"});
  ASSERT_EQ(user.exitCode, 0) << user.err;
  EXPECT_NE(user.out.find("319 x 181 pixels"), std::string::npos) << user.out;
}

TEST_F(RenderCli, FindsItsDataThroughTheSettingsFileAndNamesTheMapItself) {
  testing::writeText(work("megdr128.cfg"), data() + "\r\n1\r\n1\r\n");
  const Outcome tile = run({"tile", "3"});
  ASSERT_EQ(tile.exitCode, 0) << tile.err;
  EXPECT_NE(tile.out.find("written to " + work("tile_3_step24.bmp")), std::string::npos) << tile.out;
  EXPECT_TRUE(fs::exists(work("tile_3_step24.bmp")));

  const Outcome area = run({"area", "-10", "97", "40", "47", "--step", "24"});
  ASSERT_EQ(area.exitCode, 0) << area.err;
  EXPECT_NE(area.err.find("the map shows latitudes 88\xC2\xB0 to 47\xC2\xB0"), std::string::npos) << area.err;
  EXPECT_TRUE(fs::exists(work("area_-10_88_40_47_step24.bmp")));
}

TEST_F(RenderCli, RefusesBadArgumentsWithUsageAndNoFile) {
  const std::vector<std::vector<std::string>> cases = {
      {"tile", "0"},
      {"tile", "17"},
      {"tile", "three"},
      {"tile"},
      {"tile", "3", "4"},
      {"tile", "3", "--step", "5"},
      {"tile", "3", "--step"},
      {"tile", "3", "--scheme", "6"},
      {"tile", "3", "--mode", "-1"},
      {"tile", "3", "--scheme", "1", "--user-colours", "3000", "-2000"},
      {"tile", "3", "--user-colours", "-2000", "3000"},
      {"tile", "3", "-o", "map.jpg"},
      {"tile", "3", "--bogus"},
      {"area", "-60", "58", "0"},
      {"area", "-60", "58", "0", "north"},
      {"tile", "3", "--legend", "--elevation"},
      {"tile", "3", "--legend", "--shade-only"},
      {"tile", "3", "--legend", "-o", "map.tif"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> full = args;
    full.insert(full.end(), {"--data", data()});
    const Outcome r = run(full);
    EXPECT_EQ(r.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "") << ": " << r.err;
    EXPECT_NE(r.err.find("Usage: tarvelon-render " + args[0]), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_TRUE(workFiles().empty());
}

// A projection is asked for by name, sized one way at a time, and refused
// for an area it cannot show; simple cylindrical, asked for or picked by
// auto, is the map drawn without it, byte for byte.
TEST_F(RenderCli, ProjectionsAreAskedForPlainlyAndSimpleCylindricalStaysAsItWas) {
  const std::vector<std::vector<std::string>> refused = {
      {"area", "0", "90", "10", "80", "--projection", "mercator"},
      {"area", "0", "90", "10", "80", "--projection", "north-polar", "--centre", "10,80"},
      {"area", "0", "90", "10", "80", "--projection", "globe", "--centre", "10"},
      {"area", "0", "90", "10", "80", "--projection", "globe", "--centre", "10,91"},
      {"area", "0", "90", "10", "80", "--projection", "globe", "--size", "100", "--scale", "2"},
      {"area", "0", "90", "10", "80", "--projection", "globe", "--step", "4"},
      {"area", "0", "90", "10", "80", "--size", "100"},
      {"area", "0", "90", "10", "80", "--projection", "equirectangular", "--scale", "2"},
      {"area", "0", "90", "10", "80", "--projection", "north-polar", "--size", "8"},
      {"area", "0", "90", "10", "80", "--projection", "north-polar", "--scale", "0"},
  };
  for (const auto& args : refused) {
    std::vector<std::string> full = args;
    full.insert(full.end(), {"--data", data()});
    const Outcome r = run(full);
    EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
    EXPECT_NE(r.err.find("Usage: tarvelon-render area"), std::string::npos) << r.err;
  }
  const Outcome south = run({"area", "0", "10", "10", "-10", "--projection", "north-polar", "--data", data()});
  EXPECT_EQ(south.exitCode, 1);
  EXPECT_NE(south.err.find("north of the equator; this area reaches 10°S"), std::string::npos) << south.err;
  EXPECT_TRUE(workFiles().empty());

  // The cap from 60 N, its longer side as asked, named for its projection.
  const Outcome cap = run({"area", "-180", "90", "180", "60", "--projection", "north-polar", "--size", "64",
                           "--data", data()});
  ASSERT_EQ(cap.exitCode, 0) << cap.err;
  EXPECT_NE(cap.out.find("64 x 64 pixels"), std::string::npos) << cap.out;
  const std::vector<std::string> files = workFiles();
  const auto map = std::find_if(files.begin(), files.end(), [](const std::string& name) {
    return name.size() > 16 && name.substr(name.size() - 16) == "_north-polar.bmp";
  });
  ASSERT_NE(map, files.end());
  EXPECT_TRUE(fs::exists(work(map->substr(0, map->size() - 4) + ".prj")));
  // auto: polar for an area wholly north of 60 N, in metres a pixel.
  const Outcome automatic = run({"area", "0", "88", "10", "80", "--projection", "auto", "--scale", "20",
                                 "--data", data(), "-o", "auto.bmp"});
  ASSERT_EQ(automatic.exitCode, 0) << automatic.err;
  EXPECT_NE(testing::readText(work("auto.prj")).find("Stereographic"), std::string::npos);
  // --scale: the pixel's size on the ground at the map's centre, larger on
  // the plane by the scale of the projection there.
  const Outcome scaled = run({"area", "0", "70", "60", "60", "--projection", "north-polar", "--scale", "2", "--data",
                              data(), "-o", "scaled.png"});
  ASSERT_EQ(scaled.exitCode, 0) << scaled.err;
  int width = 0, height = 0;
  ASSERT_EQ(std::sscanf(scaled.out.substr(scaled.out.find('\n') + 1).c_str(), "%d x %d", &width, &height), 2)
      << scaled.out;
  double world[6] = {};
  std::istringstream pgw(testing::readText(work("scaled.pgw")));
  for (double& value : world) pgw >> value;
  const double centreX = world[4] + (width / 2.0 - 0.5) * world[0];
  const double centreY = world[5] + (height / 2.0 - 0.5) * world[3];
  const double latitude = 90 - 2 * std::atan(std::hypot(centreX, centreY) / (2 * 3396190.0)) * 180 / M_PI;
  const double k = 2 / (1 + std::sin(latitude * M_PI / 180));
  EXPECT_NEAR(world[0] / k, 2000, 1);
  EXPECT_GT(world[0], 2050);
  // A globe of a tile, centred where asked.
  const Outcome globe = run({"tile", "1", "--projection", "globe", "--centre", "-135,66", "--size", "100", "--data",
                             data()});
  ASSERT_EQ(globe.exitCode, 0) << globe.err;
  EXPECT_NE(globe.out.find("100 x 100 pixels"), std::string::npos) << globe.out;
  EXPECT_TRUE(fs::exists(work("tile_1_step24_globe.bmp")));
  EXPECT_NE(testing::readText(work("tile_1_step24_globe.prj")).find("Orthographic"), std::string::npos);

  for (const std::vector<std::string>& asked : {std::vector<std::string>{"--projection", "equirectangular"},
                                                std::vector<std::string>{"--projection", "auto"}}) {
    std::vector<std::string> plain = {"area", "0", "10", "10", "0", "--step", "24", "--data", data(), "-o", "plain.bmp"};
    std::vector<std::string> projected = plain;
    projected.back() = "asked.bmp";
    projected.insert(projected.end(), asked.begin(), asked.end());
    ASSERT_EQ(run(plain).exitCode, 0);
    ASSERT_EQ(run(projected).exitCode, 0);
    EXPECT_EQ(testing::readText(work("plain.bmp")), testing::readText(work("asked.bmp")));
    EXPECT_EQ(testing::readText(work("plain.prj")), testing::readText(work("asked.prj")));
  }
}

TEST_F(RenderCli, FailsClearlyAndLeavesNoFile) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  fs::create_directory(dir.file("fifteen"));
  for (const auto& name : testing::publishedTileNames()) {
    if (name != "megt00n000hb.img") testing::makeSparseFile((dir.path() / "fifteen" / name).string(), 0);
  }
  // Menu tile 11 (0..90 E, 0..44 S) is the first name: cut it short.
  fs::resize_file(data("megt00n000hb.img"), std::int64_t(100) * kBytesPerLine);
  const std::vector<Case> cases = {
      {{"tile", "3", "--data", dir.file("missing"), "-o", "a.bmp"}, "does not exist"},
      {{"tile", "3", "--data", dir.file("fifteen"), "-o", "a.bmp"},
       "fifteen\" holds 15 of the 16 MEGDR128 tiles (megt*.img):\n  Missing: megt00n000hb.img (tile 11).\n"},
      {{"tile", "3", "-o", "a.bmp"}, "no data folder: give one with --data DIR"},
      {{"tile", "11", "--data", data(), "-o", "a.bmp"}, "megt00n000hb.img\" ends before line 100"},
      {{"area", "10", "-10", "20", "-20", "--data", data(), "-o", "a.bmp"}, "megt00n000hb.img\" ends before line"},
      {{"area", "10", "20", "10", "0", "--data", data(), "-o", "a.bmp"}, "west edge must lie west of its east edge"},
      {{"area", "0", "95", "10", "89", "--data", data(), "-o", "a.bmp"}, "lies outside the elevation data"},
      {{"area", "170", "10", "-170", "0", "--data", data(), "-o", "a.bmp"}, "write the east edge as 190"},
      {{"tile", "3", "--data", data(), "-o", dir.file("gone/a.bmp")}, "Cannot write"},
  };
  for (const Case& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.exitCode, 1) << c.message << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Usage:"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_TRUE(workFiles().empty());
}

TEST_F(RenderCli, NumbersTakeOneSignAndHugeOnesAreOutOfRange) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"area", "+-60", "58", "0", "32"}, "WEST must be a whole number, not \"+-60\"\n"},
      {{"area", "-60", "58", "+-0", "32"}, "EAST must be a whole number, not \"+-0\"\n"},
      {{"tile", "99999999999"}, "the tile number \"99999999999\" is out of range: it must lie between 1 and 16\n"},
      {{"tile", "17"}, "the tile number \"17\" is out of range: it must lie between 1 and 16\n"},
      {{"tile", "3", "--step", "-99999999999"}, "the step \"-99999999999\" is out of range"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> full = c.args;
    full.insert(full.end(), {"--data", data()});
    const Outcome r = run(full);
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // "+60" and "-60" are numbers.
  const Outcome r = run({"area", "+170", "+10", "190", "-0", "--step", "24", "--data", data(), "-o", "a.bmp"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

// An option given last without its value; negative numbers, -9 and below
// among them, that are values and not options; a number past 2^64 that
// must not wrap round to a small one.
TEST_F(RenderCli, OptionsLastWithoutValuesAndNumbersThatLookLikeOptions) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"tile", "3", "--data", data(), "--step"}, "--step needs a value\n"},
      {{"area", "1", "2", "3", "4", "--data", data(), "-o"}, "-o needs a value\n"},
      {{"tile", "3", "--data", data(), "--user-colours", "100"}, "--user-colours needs 2 values\n"},
      {{"tile", "18446744073709551626", "--data", data()}, "the tile number \"18446744073709551626\" is out of range"},
      {{"tile", "3", "--data", data(), "--hillshade", "--sun", "315,1e400"},
       "the sun's altitude \"1e400\" is out of range: it must lie between 0 and 90\n"},
  };
  for (const Case& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  for (const std::vector<std::string>& area : {std::vector<std::string>{"-95", "-40", "-40", "-60"},
                                               std::vector<std::string>{"-10", "0", "0", "-9"}}) {
    std::vector<std::string> args = {"area"};
    args.insert(args.end(), area.begin(), area.end());
    args.insert(args.end(), {"--step", "24", "--data", data(), "-o", "a.bmp"});
    const Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 0) << area[0] << " " << area[3] << ": " << r.err;
    EXPECT_TRUE(fs::exists(work("a.bmp")));
    fs::remove(work("a.bmp"));
  }
}

// Output that cannot be written is a failure, whichever command printed it.
TEST_F(RenderCli, StandardOutputThatCannotBeWrittenFails) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"features"}, std::vector<std::string>{"--help"},
        std::vector<std::string>{"tile", "--help"}, std::vector<std::string>{"palette"}}) {
    const Outcome r = runCommand(toolCommand(args) + " > /dev/full");
    EXPECT_EQ(r.exitCode, 1) << args[0] << ": " << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << args[0] << ": " << r.err;
  }
}

TEST_F(RenderCli, MessagesQuoteUserDataShortAndVisibly) {
  // An argument of 100 kB, one with terminal controls, and a command that
  // does not exist.
  Outcome r = run({"tile", std::string(100'000, '7'), "--data", data()});
  EXPECT_EQ(r.exitCode, 2);
  const std::string first = r.err.substr(0, r.err.find('\n'));
  EXPECT_LT(first.size(), 200u) << first;
  EXPECT_NE(first.find("\"7777"), std::string::npos) << first;
  EXPECT_NE(first.find("777...777"), std::string::npos) << first;
  r = run({"tile", "3\x1b[2J", "--data", data()});
  EXPECT_NE(r.err.find("not \"3\\x1b[2J\""), std::string::npos) << r.err;
  r = run({"bogus\x07 "});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "tarvelon-render: unknown command \"bogus\\x07 \"");

  // A settings file of random bytes: a short message of printable text.
  std::string noise;
  for (int i = 0; i < 300'000; ++i) noise += static_cast<char>((i * 2654435761u) >> 24);
  testing::writeText(work("megdr128.cfg"), noise);
  r = run({"tile", "3"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_LT(r.err.size(), 400u) << r.err.size();
  for (unsigned char c : r.err) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c != 0x7F)) << int(c);
  EXPECT_EQ(r.err.rfind("tarvelon-render tile: The settings file \"" + work("megdr128.cfg") + "\" holds ", 0), 0u)
      << r.err;
}

TEST_F(RenderCli, TilesAreFoundByNameWhateverElseTheFolderHolds) {
  // Menu tile 12 (90..180 E, 0..44 S) spelled in capitals, which sort
  // first, and a copy of menu tile 11's file, which sorts before it.
  fs::rename(data("megt00n090hb.img"), data("MEGT00N090HB.IMG"));
  testing::makeSparseFile(data("megt00n000hb (copy).img"));
  const Outcome r = run({"tile", "12", "--data", data(), "-o", "map.bmp"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.compare(0, 33, "Tile: MEGT00N090HB.IMG processed "), 0) << r.out;
  EXPECT_NE(r.err.find("tarvelon-render: in the data folder \"" + data() + "\":\n"
                       "  Ignored, not one of the sixteen MEGDR128 tile names: \"megt00n000hb (copy).img\".\n"),
            std::string::npos)
      << r.err;
  const Outcome eleven = run({"tile", "11", "--data", data(), "-o", "map.bmp"});
  EXPECT_EQ(eleven.out.compare(0, 33, "Tile: megt00n000hb.img processed "), 0) << eleven.out;

  // A folder in a tile's place is named as what it is.
  fs::remove(data("megt44s180hb.img"));
  fs::create_directory(data("megt44s180hb.img"));
  const Outcome folder = run({"tile", "12", "--data", data(), "-o", "map.bmp"});
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_NE(folder.err.find(" holds 15 of the 16 MEGDR128 tiles (megt*.img):\n"
                            "  Missing: megt44s180hb.img (tile 13).\n"
                            "  \"megt44s180hb.img\" is a folder, not a tile file.\n"),
            std::string::npos)
      << folder.err;
}

// The colour of every elevation, in the three formats.
TEST_F(RenderCli, PaletteListsEveryElevationInEachFormat) {
  Outcome r = run({"palette", "--scheme", "0", "--mode", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(r.out.substr(at, end - at));
  }
  ASSERT_EQ(lines.size(), 1u + 29451u);
  EXPECT_EQ(lines[0], "elevation,red,green,blue");
  EXPECT_EQ(lines[1], "-8200,64,64,48");
  EXPECT_EQ(lines[1 + 6334 + 8200], "6334,135,111,144");  // the extended-precision case
  EXPECT_EQ(lines.back(), "21250,224,224,252");

  // User colours from the default limits: band 0 is -8200 alone, at f = 1.
  r = run({"palette", "--user-colours", "21250", "-8200", "--mode", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.compare(0, 40, "elevation,red,green,blue\n-8200,41,57,140"), 0) << r.out.substr(0, 60);

  r = run({"palette", "--scheme", "5", "--mode", "0", "--format", "gdal", "-o", "colours.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string gdal = testing::readText(work("colours.txt"));
  EXPECT_NE(gdal.find("\n-8200 56 49 67\n"), std::string::npos);
  EXPECT_NE(gdal.find("\n1500 255 173 0\n"), std::string::npos);
  EXPECT_NE(gdal.find("\n21250 208 208 208\nnv 0 0 0 0\n"), std::string::npos);

  // GMT slices: constant colours from z - 0.5 to z + 0.5, runs merged.
  r = run({"palette", "--scheme", "5", "--mode", "0", "--format", "cpt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\n-8200.5\t56\t49\t67\t-5999.5\t56\t49\t67\n"), std::string::npos) << r.out.substr(0, 300);
  EXPECT_NE(r.out.find("\t21250.5\t208\t208\t208\nB\t56\t49\t67\nF\t208\t208\t208\nN\t-\n"), std::string::npos);

  for (const auto& bad : std::vector<std::vector<std::string>>{{"palette", "--scheme", "6"},
                                                                {"palette", "--mode", "x"},
                                                                {"palette", "--format", "svg"},
                                                                {"palette", "--scheme", "1", "--user-colours", "1", "0"},
                                                                {"palette", "--user-colours", "0", "100"},
                                                                {"palette", "--scheme", "1", "-o", "c.txt", "extra"}}) {
    r = run(bad);
    EXPECT_EQ(r.exitCode, 2) << bad.back();
    EXPECT_NE(r.err.find("Usage: tarvelon-render palette"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(work("c.txt")));
}

// make-data checks everything before it writes anything.
TEST_F(RenderCli, MakeDataRefusesBadInputAndWritesNothing) {
  Outcome r = run({"make-data"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--out DIR is required"), std::string::npos) << r.err;

  testing::makeSparseFile(work("wrong.img"), 12345);
  r = run({"make-data", "--out", "tiles", "--from", "wrong.img"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("12345 bytes"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(work("tiles")));

  // A folder with tile files under other names would give a mixed set.
  fs::create_directory(work("busy"));
  testing::writeText(work("busy/megt_other.img"), "");
  r = run({"make-data", "--out", "busy"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("megt_other.img"), std::string::npos) << r.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(work("busy")), {}), 1);

  r = run({"make-data", "--out", "x", "--bogus"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("unknown option \"--bogus\""), std::string::npos) << r.err;

  r = run({"make-data", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("default: the 4-per-degree\n                     grid that ships with Tarvelon"),
            std::string::npos);
}

TEST_F(RenderCli, ListsTheGazetteer) {
  const Outcome r = run({"features"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(r.out.substr(at, end - at));
  }
  ASSERT_EQ(lines.size(), 212u);
  EXPECT_EQ(lines.front(), "planitiae\tm_p000\tAcidalia\t-60\t58\t0\t32");
  EXPECT_EQ(lines[12], "Plateau\tmen000\tAoelus Mensae\t134\t3\t149\t-11");
  EXPECT_EQ(lines.back(), "Valleys\tm_v074\tWarrego Valles\t-95\t-40\t-91\t-44");
  EXPECT_NE(r.out.find("\nCrater\tm_c052\tGale\t136\t-3\t140\t-7\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nMountains\tm_m007\tCydonia 'Face'\t-11\t40\t-8\t37\n"), std::string::npos);
}

TEST_F(RenderCli, DrawsAFeatureAsAreaDrawsItsRectangle) {
  // Gale lies in menu tile 12 (90..180 E, 0..44 S): lines 384 .. 896 at
  // step 2, columns 5887 .. 6399.
  const auto tile = data("megt00n090hb.img");
  for (int line = 384; line < 900; line += 6) {
    testing::writeTileLine(tile, line, [line](int column) { return (column * 7 + line * 3) % 6000 - 3000; });
  }
  const Outcome feature = run({"feature", "gale", "--data", data()});
  ASSERT_EQ(feature.exitCode, 0) << feature.err;
  EXPECT_NE(feature.out.find("Gale (Individual Craters) processed in "), std::string::npos) << feature.out;
  EXPECT_NE(feature.out.find("256 x 256 pixels"), std::string::npos) << feature.out;
  EXPECT_NE(feature.err.find("long: 136\xC2\xB0 to 140\xC2\xB0 .... lat: -3\xC2\xB0 to -7\xC2\xB0"), std::string::npos);
  const Outcome area = run({"area", "136", "-3", "140", "-7", "--data", data(), "-o", "area.bmp"});
  ASSERT_EQ(area.exitCode, 0) << area.err;
  const std::string map = testing::readText(work("Gale.bmp"));
  EXPECT_EQ(map, testing::readText(work("area.bmp")));
  EXPECT_EQ(map.size(), 54u + 768u * 256u);

  // The same options, the same map; a component name; words one after another.
  ASSERT_EQ(run({"feature", "m_c052", "--step", "4", "--scheme", "5", "--data", data(), "-o", "f.bmp"}).exitCode, 0);
  ASSERT_EQ(run({"area", "136", "-3", "140", "-7", "--step", "4", "--scheme", "5", "--data", data(), "-o", "a.bmp"})
                .exitCode,
            0);
  EXPECT_EQ(testing::readText(work("f.bmp")), testing::readText(work("a.bmp")));
  const Outcome words = run({"feature", "Olympus", "mons", "--step", "24", "--data", data(), "-o", "o.png"});
  ASSERT_EQ(words.exitCode, 0) << words.err;
  EXPECT_NE(words.out.find("Olympus Mons (Mountains and Uplands) processed in "), std::string::npos);
}

TEST_F(RenderCli, DrawsAnIauNamedPlaceCentredInItsFrame) {
  // Jezero, 18.41 N 77.69 E: the world file's pixels put the map's middle on it.
  const Outcome jezero = run({"feature", "JEZERO", "--data", data(), "-o", "j.bmp"});
  ASSERT_EQ(jezero.exitCode, 0) << jezero.err;
  EXPECT_NE(jezero.out.find("Jezero (crater, 48 km) processed in "), std::string::npos) << jezero.out;
  EXPECT_NE(jezero.err.find("Mapping in background .... Jezero (crater, 48 km) .... Progress:"), std::string::npos);
  const GridWindow window = placeWindow(*PlaceNames::builtIn().byId(14300));
  EXPECT_NE(jezero.out.find(std::to_string(window.width) + " x " + std::to_string(window.height) + " pixels"),
            std::string::npos);
  std::istringstream world(testing::readText(work("j.bpw")));
  double pixelWidth = 0, skew1 = 0, skew2 = 0, pixelHeight = 0, west = 0, north = 0;
  world >> pixelWidth >> skew1 >> skew2 >> pixelHeight >> west >> north;
  EXPECT_NEAR(west + (window.width - 1) / 2.0 * pixelWidth, 77.69, 1.0 / 128);
  EXPECT_NEAR(north + (window.height - 1) / 2.0 * pixelHeight, 18.41, 1.0 / 128);
  EXPECT_DOUBLE_EQ(pixelWidth, 1.0 / 128 / window.zoom);

  // By id the same map; --iau takes the IAU's Gale over the menu's.
  ASSERT_EQ(run({"feature", "iau:14300", "--data", data(), "-o", "k.bmp"}).exitCode, 0);
  EXPECT_EQ(testing::readText(work("j.bmp")), testing::readText(work("k.bmp")));
  const Outcome gale = run({"feature", "--iau", "gale", "--step", "4", "--data", data()});
  ASSERT_EQ(gale.exitCode, 0) << gale.err;
  EXPECT_NE(gale.out.find("Gale (crater, 154 km) processed in "), std::string::npos) << gale.out;
  EXPECT_TRUE(fs::exists(work("Gale.bmp")));
  // A name with its accents, and one typed without; a tiny crater magnified.
  const Outcome accents = run({"feature", "nordenskiold", "--data", data(), "--elevation", "-o", "n.tif"});
  ASSERT_EQ(accents.exitCode, 0) << accents.err;
  EXPECT_NE(accents.out.find("Nordenski\xC3\xB6ld (crater, 86 km) processed in "), std::string::npos);
  const Outcome victoria = run({"feature", "victoria", "--iau", "--data", data(), "--legend", "-o", "v.png"});
  ASSERT_EQ(victoria.exitCode, 0) << victoria.err;
  EXPECT_NE(victoria.out.find("Victoria (crater, 0.9 km) processed in "), std::string::npos);
  EXPECT_NE(victoria.out.find("392 x 392 pixels"), std::string::npos) << victoria.out;

  const Outcome badId = run({"feature", "iau:99999", "--data", data()});
  EXPECT_EQ(badId.exitCode, 1);
  EXPECT_NE(badId.err.find("no IAU feature has the id \"99999\""), std::string::npos) << badId.err;
  const Outcome misspelt = run({"feature", "Jezzero", "--data", data()});
  EXPECT_EQ(misspelt.exitCode, 1);
  EXPECT_NE(misspelt.err.find("no feature is called \"Jezzero\". Of the IAU's names: \"Jezero\"."), std::string::npos)
      << misspelt.err;
  const Outcome notIau = run({"feature", "--iau", "Olympia (N Pole)", "--data", data()});
  EXPECT_EQ(notIau.exitCode, 1);
  EXPECT_NE(notIau.err.find("no IAU feature is called"), std::string::npos) << notIau.err;
}

TEST_F(RenderCli, AFeatureNameThatIsNotOneSaysWhatItCouldBe) {
  const Outcome twice = run({"feature", "Hectates Tholus", "--data", data()});
  EXPECT_EQ(twice.exitCode, 1);
  EXPECT_NE(twice.err.find("\"Hectates Tholus\" names 2 features"), std::string::npos) << twice.err;
  EXPECT_NE(twice.err.find("m_m010  Hectates Tholus (Mountains and Uplands), 148 34 152 30"), std::string::npos);
  EXPECT_NE(twice.err.find("m_m031  Hectates Tholus (Mountains and Uplands), 148 34 153 30"), std::string::npos);
  const Outcome eos = run({"feature", "EOS CHASMA", "--data", data()});
  EXPECT_NE(eos.err.find("m_v080  Eos Chasma (Channels and Valleys), -110 50 -101 43"), std::string::npos);
  EXPECT_NE(eos.err.find("m_v011  Eos Chasma (Channels and Valleys), -41 -9 -34 -12"), std::string::npos);

  const Outcome unknown = run({"feature", "Olympus", "--data", data()});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("no feature is called \"Olympus\"; the closest: \"Olympus Mons\", "
                             "\"Olympus Mons Summit\", \"Olympus Mons Caldera\"."),
            std::string::npos)
      << unknown.err;
  const Outcome none = run({"feature"});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("Usage: tarvelon-render feature NAME"), std::string::npos);
  EXPECT_TRUE(workFiles().empty());
}

// ---------------------------------------------------------------------------
// Maps streamed to their files and placed on Mars.

// Samples that depend on tile, line and column, a few outside the colour
// range.
int sampleOf(int tile, int line, int column) {
  if ((line * 3 + column) % 89 == 0) return 32767;
  return -8000 + static_cast<int>((std::int64_t(tile) * 1000003 + std::int64_t(line) * 7919 +
                                   std::int64_t(column) * 13) %
                                  28000);
}

class RenderCliMaps : public RenderCli {
 protected:
  void SetUp() override {
    RenderCli::SetUp();
    state.demFolder = data();
    state.tileNames = tiles.names();
  }
  std::string tileFile(int tile) const { return tilePath(state.demFolder, state.tileNames[tile]); }
  void writeLine(int tile, int line, const std::function<int(int)>& sample) { tiles.writeLine(tile, line, sample); }
  // Writes every line an area reads at a step.
  void writeArea(const AreaBounds& area, int step) {
    const AreaLayout layout = layoutArea(area, step);
    for (const RowSource& row : layout.rows) {
      for (const ColumnRun& run : layout.columns) {
        const int tile = layout.tileOf(row.tileRow, run.tileColumn);
        writeLine(tile, row.line, [&](int column) { return sampleOf(tile, row.line, column); });
      }
    }
  }
  // A corner of a map as `gdalinfo -json` gives it: "lowerRight":[ x, y ]
  // (to 3 decimals only past 180 degrees).
  static std::pair<double, double> corner(const std::string& json, const std::string& name) {
    const std::size_t at = json.find("\"" + name + "\":");
    const std::size_t open = at == std::string::npos ? at : json.find('[', at);
    if (open == std::string::npos) return {NAN, NAN};
    double x = NAN, y = NAN;
    std::sscanf(json.c_str() + open + 1, " %lf , %lf", &x, &y);
    return {x, y};
  }
  // The affine georeference GDAL reads: west edge, pixel width, rotation,
  // north edge, rotation, minus the pixel height.
  static std::vector<double> geoTransform(const std::string& json) {
    std::vector<double> t(6, NAN);
    const std::size_t at = json.find("\"geoTransform\":");
    const std::size_t open = at == std::string::npos ? at : json.find('[', at);
    if (open == std::string::npos) return t;
    std::sscanf(json.c_str() + open + 1, " %lf , %lf , %lf , %lf , %lf , %lf", &t[0], &t[1], &t[2], &t[3], &t[4],
                &t[5]);
    return t;
  }

  MapViewState state;
};

TEST_F(RenderCliMaps, StreamedMapsHoldTheBytesOfTheWholeRasterWrittenAtOnce) {
  // Tile 7 (0 .. 90 E, 44 .. 0 N) at step 8, relief shading on: what the
  // tool streams row by row is what Save Map writes from the whole picture.
  for (int line = 0; line < kLinesPerTile; line += 8) {
    writeLine(6, line, [line](int column) { return sampleOf(6, line, column); });
  }
  state.tilePath = tileFile(6);
  state.tileBox = tileBox(6);
  state.sampleStep = 8;
  state.colourScheme = 5;
  state.shadingMode = 2;
  state.reliefShading = 1;
  state.drawInBackground = 1;
  testing::RecordingHost window;
  drawTile(state, window);
  const MapGeometry geometry = MapGeometry::ofTile(6, 8);
  for (const std::string& name : {std::string("map.bmp"), std::string("map.png"), std::string("map.tif")}) {
    const Outcome r = run({"tile", "7", "--step", "8", "--scheme", "5", "--mode", "2", "--hillshade", "--data",
                           data(), "-o", name});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    MapFileSpec spec{dir.file(name), *mapFormatOf(name), 0, 0, RowSink::Content::Colour, geometry.transform(), true};
    writeMapFile(window.picture, spec);
    EXPECT_EQ(testing::readText(work(name)), testing::readText(dir.file(name))) << name;
  }
  writeBmp(window.picture, dir.file("old.bmp"));
  EXPECT_EQ(testing::readText(work("map.bmp")), testing::readText(dir.file("old.bmp")));
  EXPECT_EQ(testing::readText(work("map.pgw")), testing::readText(dir.file("map.pgw")));
}

TEST_F(RenderCliMaps, ALegendFramesTheMapPixelForPixel) {
  for (int line = 0; line < kLinesPerTile; line += 8) {
    writeLine(6, line, [line](int column) { return sampleOf(6, line, column); });
  }
  const std::vector<std::string> options = {"tile", "7", "--step", "8", "--scheme", "5", "--data", data()};
  auto with = [&options](std::vector<std::string> more) {
    more.insert(more.begin(), options.begin(), options.end());
    return more;
  };
  const Outcome plain = run(with({"-o", "map.png"}));
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const Outcome framed = run(with({"--legend", "-o", "legend.png"}));
  ASSERT_EQ(framed.exitCode, 0) << framed.err;
  EXPECT_NE(framed.out.find("1440 x 704 pixels, highest "), std::string::npos) << framed.out;
  EXPECT_NE(framed.out.find("written to " + work("legend.png") + "\n"), std::string::npos) << framed.out;
  EXPECT_NE(framed.err.find("100%"), std::string::npos) << framed.err;

  const auto map = testing::readPng(work("map.png"));
  const auto legend = testing::readPng(work("legend.png"));
  ASSERT_TRUE(map && legend);
  ASSERT_EQ(map->width, 1440);
  ASSERT_GT(legend->width, map->width);
  ASSERT_GT(legend->height, map->height);
  // The map's first row, found in the framed picture; every other row of
  // the map lies below it, at the same place.
  const std::string first(reinterpret_cast<const char*>(map->row(0)), map->rowBytes());
  int top = -1;
  std::size_t left = std::string::npos;
  for (int y = 0; y + map->height <= legend->height && top < 0; ++y) {
    const std::string row(reinterpret_cast<const char*>(legend->row(y)), legend->rowBytes());
    left = row.find(first);
    if (left != std::string::npos && left % 3 == 0) top = y;
  }
  ASSERT_GE(top, 0) << "the map's first row is not in the legend picture";
  for (int y = 0; y < map->height; ++y) {
    ASSERT_EQ(std::memcmp(legend->row(top + y) + left, map->row(y), map->rowBytes()), 0) << "row " << y;
  }
  // A framed picture is not a georeferenced raster: no world file.
  std::vector<std::string> files = workFiles();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"legend.png", "map.pgw", "map.png", "map.png.aux.xml", "map.prj"}));

  // Without -o it is named for the tile; an unwritable place is refused
  // before anything is drawn.
  const Outcome named = run(with({"--legend"}));
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_TRUE(fs::exists(work("tile_7_step8_legend.bmp")));
  testing::writeText(work("plain.txt"), "a file, not a folder");
  const Outcome refused = run(with({"--legend", "-o", "plain.txt/legend.png"}));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("Cannot write \"plain.txt/legend.png\": "), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find("Progress"), std::string::npos) << "drawn first: " << refused.err;
  // The whole planet at 100 % is too big to hold for a legend.
  const Outcome huge = run({"area", "-180", "88", "180", "-88", "--step", "1", "--legend", "--data", data()});
  EXPECT_EQ(huge.exitCode, 1);
  EXPECT_NE(huge.err.find("at most 500 million pixels; this one would be 46076 x 22528"), std::string::npos)
      << huge.err;
}

TEST_F(RenderCliMaps, AnInstalledToolFindsItsLegendModule) {
  // Installed, the module is no longer beside the tool but in the library
  // folder.
  const std::string prefix = dir.file("installed");
  const Outcome installed = runCommand(shellQuote(TARVELON_CMAKE) + " --install " + shellQuote(TARVELON_BUILD_DIR) +
                                       " --prefix " + shellQuote(prefix));
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  const std::string tool = prefix + "/bin/tarvelon-render";
  ASSERT_TRUE(fs::exists(tool));
  EXPECT_FALSE(fs::exists(prefix + "/bin/tarvelon-legend.so"));
  const Outcome r = runCommand("cd " + shellQuote(work()) + " && " + shellQuote(tool) + " tile 7 --step 24 --legend --data " +
                               shellQuote(data()) + " -o legend.png");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(testing::readPng(work("legend.png")));
}

TEST_F(RenderCliMaps, GdalReadsTheGeoTiffsCornersAndTheMarsSphere) {
  // Across the 180 degree meridian and the tile row at 44 N.
  const AreaBounds area{170, 46, 190, 42};
  writeArea(area, 24);
  const MapGeometry geometry = MapGeometry::ofArea(layoutArea(area, 24), 24);
  const GeoTransform t = geometry.transform();
  for (const std::vector<std::string>& extra : {std::vector<std::string>{}, {"--elevation"}}) {
    std::vector<std::string> args = {"area", "170", "46", "190", "42", "--step", "24", "--data", data(), "-o", "a.tif"};
    args.insert(args.end(), extra.begin(), extra.end());
    const Outcome r = run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Outcome info = runCommand("gdalinfo " + shellQuote(work("a.tif")));
    ASSERT_EQ(info.exitCode, 0) << "gdalinfo (Debian gdal-bin, scripts/setup.sh installs it): " << info.err;
    const std::string json = runCommand("gdalinfo -json " + shellQuote(work("a.tif"))).out;
    EXPECT_EQ(geoTransform(json), (std::vector<double>{t.west, t.pixelWidth, 0, t.north, 0, -t.pixelHeight}));
    const auto [west, north] = corner(json, "upperLeft");
    const auto [east, south] = corner(json, "lowerRight");
    EXPECT_NEAR(west, t.west, 1e-7) << info.out;
    EXPECT_NEAR(north, t.north, 1e-7);
    EXPECT_NEAR(east, t.west + geometry.width() * t.pixelWidth, 1e-3);
    EXPECT_NEAR(south, t.north - geometry.height() * t.pixelHeight, 1e-3);
    EXPECT_GT(east, 189);  // east of 180 the longitudes go on
    EXPECT_NE(info.out.find("Size is " + std::to_string(geometry.width()) + ", " + std::to_string(geometry.height())),
              std::string::npos);
    // A named Mars sphere: CRS, datum and ellipsoid.
    EXPECT_NE(info.out.find("GEOGCRS[\"Mars_2000_(Sphere)\""), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("DATUM[\"Mars_2000_(Sphere)\""), std::string::npos);
    EXPECT_NE(info.out.find("ELLIPSOID[\"Mars_2000_(Sphere)\",3396190,0,"), std::string::npos);
    if (!extra.empty()) {
      EXPECT_NE(info.out.find("Type=Int16"), std::string::npos);
      EXPECT_NE(info.out.find("NoData Value=-32768"), std::string::npos);
    }
  }
  // GDAL places the PNG by its world file alike.
  ASSERT_EQ(run({"area", "170", "46", "190", "42", "--step", "24", "--data", data(), "-o", "a.png"}).exitCode, 0);
  const Outcome png = runCommand("gdalinfo -json " + shellQuote(work("a.png")));
  EXPECT_NE(png.out.find("a.pgw"), std::string::npos) << png.out;
  EXPECT_EQ(geoTransform(png.out), (std::vector<double>{t.west, t.pixelWidth, 0, t.north, 0, -t.pixelHeight}));
  // And finds its CRS in the .aux.xml.
  EXPECT_NE(png.out.find("ELLIPSOID[\\\"Mars_2000_(Sphere)\\\",3396190,0,"), std::string::npos) << png.out;
}

// GDAL, as a reader no one here wrote, runs these scripts.
std::string gdalScript(const char* name) {
  return "/usr/bin/python3 " + shellQuote(std::string(TARVELON_GDAL_SCRIPTS) + "/" + name);
}

TEST_F(RenderCliMaps, EveryElevationLiesWhereGdalPlacesItAcrossEveryJoin) {
  // Across 180 degrees and the equator, 90 W and 44 N, 90 E and 44 S, and
  // 0 degrees and the equator, at steps that do and do not divide a tile.
  const std::vector<AreaBounds> areas = {{176, 4, 184, -4}, {-94, 47, -86, 41}, {86, -41, 94, -47}, {-3, 3, 3, -3}};
  for (const AreaBounds& area : areas) {
    for (int step : {3, 10, 13}) {
      SCOPED_TRACE(::testing::Message() << area.west << " " << area.north << " " << area.east << " " << area.south
                                        << " step " << step);
      writeArea(area, step);
      const Outcome r = run({"area", std::to_string(area.west), std::to_string(area.north), std::to_string(area.east),
                             std::to_string(area.south), "--step", std::to_string(step), "--elevation", "--data",
                             data(), "-o", "e.tif"});
      ASSERT_EQ(r.exitCode, 0) << r.err;
      const Outcome pixels = runCommand(gdalScript("pixels.py") + " " + shellQuote(work("e.tif")));
      ASSERT_EQ(pixels.exitCode, 0) << "GDAL's Python bindings (Debian python3-gdal): " << pixels.err;
      // Each pixel holds the sample whose cell holds the pixel's centre,
      // found from the longitude and latitude alone.
      std::istringstream lines(pixels.out);
      double lon = 0, lat = 0;
      int value = 0, count = 0;
      std::set<int> tiles;
      while (lines >> lon >> lat >> value) {
        if (lon >= 180) lon -= 360;
        const int column = static_cast<int>(std::floor((lon + 180) * 128));
        const int line = static_cast<int>(std::floor((88 - lat) * 128));
        const int tile = line / 5632 * 4 + column / 11520;
        tiles.insert(tile);
        const int v = sampleOf(tile, line % 5632, column % 11520);
        ASSERT_EQ(value, v >= kMinElevation && v <= kMaxElevation ? v : -32768) << lon << ", " << lat;
        ++count;
      }
      const MapGeometry geometry = MapGeometry::ofArea(layoutArea(area, step), step);
      EXPECT_EQ(count, geometry.width() * geometry.height());
      EXPECT_EQ(tiles.size(), 4u);
    }
  }
}

TEST_F(RenderCliMaps, GdalNamesTheMarsSphereOfEveryKindOfMap) {
  const AreaBounds area{170, 46, 190, 42};
  writeArea(area, 24);
  const std::vector<std::string> draw = {"area", "170", "46", "190", "42", "--step", "24", "--data", data()};
  auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), draw.begin(), draw.end());
    return run(more);
  };
  ASSERT_EQ(with({"-o", "m.png"}).exitCode, 0);
  ASSERT_EQ(with({"-o", "m.bmp"}).exitCode, 0);
  ASSERT_EQ(with({"-o", "m.tif"}).exitCode, 0);
  ASSERT_EQ(with({"--elevation", "-o", "e.tif"}).exitCode, 0);
  // One CRS, named to its ellipsoid, equal to the .prj's and to ESRI:104971.
  for (const char* map : {"m.png", "m.bmp", "m.tif", "e.tif"}) {
    const Outcome crs = runCommand(gdalScript("crs.py") + " " + shellQuote(work(map)) + " " + shellQuote(work("m.prj")));
    ASSERT_EQ(crs.exitCode, 0) << crs.err;
    EXPECT_EQ(crs.out, "Mars_2000_(Sphere)|Mars_2000_(Sphere)|Mars_2000_(Sphere)|3396190.0|0.0|1|1\n") << map;
  }
  EXPECT_EQ(testing::readText(work("m.prj")), marsPrjText());
}

TEST_F(RenderCliMaps, PixelsWithNoSampleAreNodataOrTransparentNeverCopies) {
  // Tile 7 at the thumbnail's step: its last row is never drawn.
  for (int line = 0; line < kLinesPerTile; line += 24) {
    writeLine(6, line, [line](int column) { return column == 48 ? 32767 : 100 + line % 1000; });
  }
  const std::vector<std::string> tile = {"tile", "7", "--step", "24", "--data", data()};
  auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), tile.begin(), tile.end());
    return run(more);
  };
  ASSERT_EQ(with({"--elevation", "-o", "e.tif"}).exitCode, 0);
  const auto elevations = testing::readTiff(work("e.tif"));
  ASSERT_TRUE(elevations);
  ASSERT_EQ(elevations->height, 235);
  for (int x = 0; x < elevations->width; x += 37) {
    EXPECT_EQ(elevations->sample(x, 234), -32768) << x;
    EXPECT_EQ(elevations->sample(x, 233), x == 2 ? -32768 : 100 + 233 * 24 % 1000) << x;
  }

  // The colour map shows the row above and the sample before, but marks
  // them transparent: a PNG's alpha, a GeoTIFF's alpha band.
  ASSERT_EQ(with({"-o", "m.png"}).exitCode, 0);
  ASSERT_EQ(with({"-o", "m.tif"}).exitCode, 0);
  const auto png = testing::readPng(work("m.png"));
  const auto tif = testing::readTiff(work("m.tif"));
  ASSERT_TRUE(png && tif);
  ASSERT_EQ(png->alpha.size(), std::size_t(480) * 235);
  ASSERT_EQ(tif->channels, 4);
  for (int y : {0, 233, 234}) {
    for (int x : {0, 1, 2, 3, 479}) {
      const int alpha = y == 234 || x == 2 ? 0 : 255;
      EXPECT_EQ(png->alpha[std::size_t(y) * 480 + std::size_t(x)], alpha) << x << ", " << y;
      EXPECT_EQ(tif->row(y)[4 * x + 3], alpha) << x << ", " << y;
      // The colour under it is what the window shows.
      EXPECT_EQ(std::memcmp(png->row(y) + 3 * x, png->row(std::min(y, 233)) + 3 * (x == 2 ? 1 : x), 3), 0);
    }
  }
  // At 100 % too, where a row's colours come sixteen samples at a time.
  ASSERT_EQ(run({"area", "0", "44", "1", "43", "--step", "1", "--data", data(), "-o", "full.png"}).exitCode, 0);
  const auto full = testing::readPng(work("full.png"));
  ASSERT_TRUE(full);
  ASSERT_EQ(full->alpha.size(), std::size_t(127) * 128);
  for (int x = 0; x < 127; ++x) {
    ASSERT_EQ(full->alpha[std::size_t(x)], x == 48 ? 0 : 255) << x;
    ASSERT_EQ(full->alpha[127 + std::size_t(x)], 255) << x;
  }

  // gdaldem, with Tarvelon's palette, colours the elevations as the map and
  // leaves the same holes.
  ASSERT_EQ(run({"palette", "--format", "gdal", "-o", "p.txt"}).exitCode, 0);
  const Outcome gdal = runCommand("gdaldem color-relief -q -alpha " + shellQuote(work("e.tif")) + " " +
                                  shellQuote(work("p.txt")) + " " + shellQuote(work("g.tif")));
  ASSERT_EQ(gdal.exitCode, 0) << gdal.err;
  const auto theirs = testing::readTiff(work("g.tif"));
  ASSERT_TRUE(theirs);
  ASSERT_EQ(theirs->channels, 4);
  for (int y = 0; y < 235; ++y) {
    for (int x = 0; x < 480; ++x) {
      const std::uint8_t* ours = tif->row(y) + 4 * x;
      const std::uint8_t* other = theirs->row(y) + 4 * x;
      ASSERT_EQ(ours[3], other[3]) << x << ", " << y;
      if (ours[3] != 0) {
        ASSERT_EQ(std::memcmp(ours, other, 3), 0) << x << ", " << y;
      }
    }
  }
}

TEST_F(RenderCliMaps, ElevationsAreTheSamplesAcrossTilesAndTheMeridian) {
  const AreaBounds area{170, 46, 190, 42};
  writeArea(area, 13);
  const Outcome r =
      run({"area", "170", "46", "190", "42", "--step", "13", "--elevation", "--data", data(), "-o", "e.tif"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const MapGeometry geometry = MapGeometry::ofArea(layoutArea(area, 13), 13);
  const auto image = testing::readTiff(work("e.tif"));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, geometry.width());
  ASSERT_EQ(image->height, geometry.height());
  int nodata = 0;
  std::set<int> tiles;
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const auto sample = geometry.sampleAt(x, y);
      ASSERT_TRUE(sample);
      tiles.insert(sample->tile);
      const int v = sampleOf(sample->tile, sample->line, sample->column);
      const int expected = v >= kMinElevation && v <= kMaxElevation ? v : -32768;
      nodata += expected == -32768 ? 1 : 0;
      ASSERT_EQ(image->sample(x, y), expected) << x << ", " << y;
    }
  }
  EXPECT_EQ(tiles, (std::set<int>{3, 0, 7, 4}));
  EXPECT_GT(nodata, 0);
  EXPECT_NE(r.out.find("written to " + work("e.tif")), std::string::npos);
}

TEST_F(RenderCliMaps, TheShadeAgreesWithGdaldemHillshadeOnTheEquator) {
  // Smooth hills on 0 .. 4 E, 0 .. 2 S, drawn at 100 %.
  auto height = [](int line, int column) {
    return static_cast<int>(2000 * std::sin(column / 17.0) * std::cos(line / 23.0) + 5.0 * column);
  };
  for (int line = 0; line < 256; ++line) writeLine(10, line, [&](int column) { return height(line, column); });
  const std::vector<std::string> area = {"area", "0", "0", "4", "-2", "--step", "1", "--data", data()};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = area;
    args.insert(args.end(), extra.begin(), extra.end());
    return run(args);
  };
  ASSERT_EQ(with({"--elevation", "-o", "e.tif"}).exitCode, 0);
  // The heights as they are, as gdaldem takes them (at step 1 that is also
  // the default).
  const Outcome shade = with({"--shade-only", "--exaggeration", "1", "-o", "s.tif"});
  ASSERT_EQ(shade.exitCode, 0) << shade.err;
  // gdaldem takes the spacing as degrees times its scale: metres per
  // degree on the Mars sphere.
  const Outcome gdal = runCommand("gdaldem hillshade -q -s 59274.6996 -az 315 -alt 45 " + shellQuote(work("e.tif")) +
                                  " " + shellQuote(work("g.tif")));
  ASSERT_EQ(gdal.exitCode, 0) << "gdaldem (Debian gdal-bin, scripts/setup.sh installs it): " << gdal.err;
  const auto ours = testing::readTiff(work("s.tif"));
  const auto theirs = testing::readTiff(work("g.tif"));
  ASSERT_TRUE(ours && theirs);
  ASSERT_EQ(ours->width, theirs->width);
  ASSERT_EQ(ours->height, theirs->height);
  int largest = 0;
  std::set<int> levels;
  for (int y = 2; y < ours->height - 2; ++y) {
    for (int x = 2; x < ours->width - 2; ++x) {
      largest = std::max(largest, std::abs(int(ours->row(y)[x]) - int(theirs->row(y)[x])));
      levels.insert(ours->row(y)[x]);
    }
  }
  EXPECT_LE(largest, 2);
  EXPECT_GT(levels.size(), 40u);  // hills lit and in shadow, not a flat grey
}

TEST_F(RenderCliMaps, AnUnwritableTargetIsRefusedBeforeDrawingInEveryFormat) {
  testing::writeText(work("plain.txt"), "a file, not a folder");
  std::vector<std::string> targets = {"plain.txt/map.bmp", "plain.txt/map.png", "plain.txt/map.tif"};
  if (::geteuid() != 0) {  // permissions do not hold for root
    fs::create_directory(work("locked"));
    fs::permissions(work("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    targets.insert(targets.end(), {"locked/map.bmp", "locked/map.png", "locked/map.tif"});
  }
  for (const std::string& target : targets) {
    const Outcome r = run({"area", "-60", "58", "0", "32", "--data", data(), "-o", target});
    EXPECT_EQ(r.exitCode, 1) << target;
    EXPECT_NE(r.err.find("Cannot write \"" + target + "\": "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Progress"), std::string::npos) << "drawn first: " << r.err;
  }
  std::vector<std::string> files = workFiles();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files.front(), targets.size() > 3 ? "locked" : "plain.txt");
  EXPECT_LE(files.size(), 2u);
}

TEST_F(RenderCliMaps, AFullDiskIsFoundBeforeDrawingAndLeavesNothing) {
  // A small file system of its own where the system allows one (a user and
  // mount namespace), else a limit on file sizes in its place.
  fs::create_directory(work("small"));
  const std::string draw = toolCommand({"tile", "3", "--step", "1", "--data", data(), "-o", "small/map.bmp"});
  const bool ownMount = runCommand("unshare -r -m true").exitCode == 0;
  const Outcome r = ownMount ? runCommand("unshare -r -m sh -c " +
                                          shellQuote("mount -t tmpfs -o size=1m none " + shellQuote(work("small")) + " && " +
                                                draw + " && ls -A " + shellQuote(work("small")) + " >&2"))
                             : runCommand("ulimit -f 2048 && " + draw);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("Cannot write \"small/map.bmp\": "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(ownMount ? "No space left on device" : "File too large"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Progress"), std::string::npos) << "drawn first: " << r.err;
  EXPECT_TRUE(fs::is_empty(work("small")));
}

TEST_F(RenderCliMaps, CtrlCStopsTheRenderAndLeavesNothingBehind) {
  // The whole planet at 50 % to PNG takes seconds: interrupted once a tenth
  // of it is drawn, the old map stays and no temporary file is left.
  testing::writeText(work("mars.png"), "old map");
  const std::string err = dir.file("render.err");
  const std::vector<std::string> args = {TARVELON_RENDER_PATH, "area", "-180", "88", "180", "-88", "--step", "2",
                                         "--data", data(), "-o", "mars.png"};
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // As a terminal would start it: SIGINT at its default.
    std::signal(SIGINT, SIG_DFL);
    const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nullFd = ::open("/dev/null", O_RDWR);
    if (errFd < 0 || nullFd < 0 || ::chdir(work().c_str()) != 0) ::_exit(127);
    ::dup2(nullFd, 0);
    ::dup2(nullFd, 1);
    ::dup2(errFd, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  for (int wait = 0; wait < 600 && testing::readText(err).find("Progress: 10%") == std::string::npos; ++wait) {
    ::usleep(50000);
  }
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  const std::string progress = testing::readText(err);
  ASSERT_NE(progress.find("Progress: 10%"), std::string::npos) << progress;
  EXPECT_EQ(progress.find("Progress: 100%"), std::string::npos) << "finished before the signal: " << progress;
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_EQ(workFiles(), std::vector<std::string>{"mars.png"});
  EXPECT_EQ(testing::readText(work("mars.png")), "old map");
}

TEST(ProgressLine, TellsRowsDoneTimeSpentAndTimeLeft) {
  using cli::progressText;
  EXPECT_EQ(progressText(0, 5632, 0), "0% (0 of 5632 rows, 0.0 s)");
  EXPECT_EQ(progressText(1408, 5632, 0.4), "25% (1408 of 5632 rows, 0.4 s)");  // too soon to tell
  EXPECT_EQ(progressText(1408, 5632, 3.0), "25% (1408 of 5632 rows, 3.0 s, about 9.0 s left)");
  EXPECT_EQ(progressText(2253, 22528, 125), "10% (2253 of 22528 rows, 2 min 05 s, about 18 min 45 s left)");
  EXPECT_EQ(progressText(22528, 22528, 3725), "100% (22528 of 22528 rows, 1 h 02 min)");
  EXPECT_EQ(progressText(1, 1, 0), "100% (1 of 1 row, 0.0 s)");
  EXPECT_EQ(cli::durationText(59.96), "1 min 00 s");
}

TEST_F(RenderCli, LabelsAreWrittenOnTheMapAndNowhereElse) {
  // Gale and its neighbours at 10 %, on flat ground.
  const std::vector<std::string> area = {"area", "130", "0", "145", "-12", "--step", "10", "--data", data()};
  auto with = [&area](std::vector<std::string> more) {
    more.insert(more.begin(), area.begin(), area.end());
    return more;
  };
  const Outcome plain = run(with({"-o", "plain.png"}));
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const Outcome named = run(with({"--labels", "-o", "named.png"}));
  ASSERT_EQ(named.exitCode, 0) << named.err;
  const auto before = testing::readPng(work("plain.png"));
  const auto after = testing::readPng(work("named.png"));
  ASSERT_TRUE(before && after);
  ASSERT_EQ(after->width, before->width);
  ASSERT_EQ(after->height, before->height);
  // The same place on Mars.
  EXPECT_EQ(testing::readText(work("named.pgw")), testing::readText(work("plain.pgw")));

  // Where the two differ there are names: every changed pixel lies within
  // a label's reach of a feature big enough to be named at this scale.
  // The map's place from its world file: pixel size, then the centre of
  // the top-left pixel.
  std::istringstream world(testing::readText(work("named.pgw")));
  double a = 0, d = 0, b = 0, e = 0, x0 = 0, y0 = 0;
  world >> a >> d >> b >> e >> x0 >> y0;
  const GeoTransform transform{x0 - a / 2, y0 - e / 2, a, -e};
  ASSERT_NEAR(a, 10.0 / 128, 1e-9);
  std::vector<const NamedPlace*> namedPlaces;
  for (const NamedPlace& place : PlaceNames::builtIn().all()) {
    FeatureOnMap shown;
    if (featureOnMap(place, transform, after->width, after->height, shown) && shown.diameterPixels >= 24) {
      namedPlaces.push_back(&place);
    }
  }
  ASSERT_FALSE(namedPlaces.empty());
  int changed = 0, nearGale = 0;
  for (int y = 0; y < after->height; ++y) {
    for (int x = 0; x < after->width; ++x) {
      if (std::memcmp(after->row(y) + 3 * x, before->row(y) + 3 * x, 3) == 0) continue;
      ++changed;
      bool near = false;
      for (const NamedPlace* place : namedPlaces) {
        FeatureOnMap shown;
        featureOnMap(*place, transform, after->width, after->height, shown);
        if (std::abs(x - shown.centreX) < 160 && std::abs(y - shown.centreY) < 50) {
          near = true;
          if (place->name == "Gale") ++nearGale;
        }
      }
      EXPECT_TRUE(near) << x << ", " << y;
      if (!near) return;
    }
  }
  EXPECT_GT(changed, 200);
  EXPECT_GT(nearGale, 20);
  // Opaque where the map was.
  EXPECT_EQ(after->alpha, before->alpha);

  // The legend's map carries the names too.
  ASSERT_EQ(run(with({"--legend", "-o", "plain_legend.png"})).exitCode, 0);
  const Outcome framed = run(with({"--legend", "--labels", "-o", "named_legend.png"}));
  ASSERT_EQ(framed.exitCode, 0) << framed.err;
  const auto plainLegend = testing::readPng(work("plain_legend.png"));
  const auto namedLegend = testing::readPng(work("named_legend.png"));
  ASSERT_TRUE(plainLegend && namedLegend);
  EXPECT_EQ(namedLegend->width, plainLegend->width);
  EXPECT_NE(namedLegend->bytes, plainLegend->bytes);

  // Names go on coloured maps only.
  for (const char* other : {"--elevation", "--shade-only"}) {
    const Outcome refused = run({"tile", "3", "--labels", other, "--data", data()});
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    EXPECT_NE(refused.err.find("--labels writes names on a coloured map: it does not go with " + std::string(other)),
              std::string::npos)
        << refused.err;
  }
  const Outcome help = run({"area", "--help"});
  EXPECT_NE(help.out.find("--labels"), std::string::npos) << help.out;
}

TEST_F(RenderCli, APolarMapTakesItsNamesAndItsLegend) {
  // North of 60 degrees on the sparse tiles (all 0 m), 400 pixels across.
  const std::vector<std::string> cap = {"area", "-180", "90", "180", "60", "--projection", "north-polar",
                                        "--size", "400", "--data", data()};
  auto with = [&cap](std::vector<std::string> more) {
    more.insert(more.begin(), cap.begin(), cap.end());
    return more;
  };
  const Outcome plain = run(with({"-o", "plain.png"}));
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const Outcome named = run(with({"--labels", "-o", "named.png"}));
  ASSERT_EQ(named.exitCode, 0) << named.err;
  const auto before = testing::readPng(work("plain.png"));
  const auto after = testing::readPng(work("named.png"));
  ASSERT_TRUE(before && after);
  ASSERT_EQ(after->width, 400);
  ASSERT_EQ(after->height, 400);
  EXPECT_NE(after->bytes, before->bytes);  // names were written
  EXPECT_EQ(testing::readText(work("named.pgw")), testing::readText(work("plain.pgw")));

  for (const bool labels : {false, true}) {
    SCOPED_TRACE(labels ? "with names" : "without names");
    const std::string file = labels ? "named_legend.png" : "legend.png";
    std::vector<std::string> args = with({"--legend", "-o", file});
    if (labels) args.push_back("--labels");
    const Outcome framed = run(args);
    ASSERT_EQ(framed.exitCode, 0) << framed.err;
    EXPECT_NE(framed.out.find("written to " + work(file) + "\n"), std::string::npos) << framed.out;
    const auto legend = testing::readPng(work(file));
    ASSERT_TRUE(legend);
    ASSERT_EQ(legend->channels, 3);
    ASSERT_GT(legend->width, 400);
    ASSERT_GT(legend->height, 400);
    // The frame: the first row with a black run 402 pixels long.
    auto black = [&](int x, int y) {
      const std::uint8_t* p = legend->row(y) + 3 * x;
      return p[0] == 0 && p[1] == 0 && p[2] == 0;
    };
    int top = -1, left = -1;
    for (int y = 0; y < legend->height && top < 0; ++y) {
      int run = 0;
      for (int x = 0; x < legend->width; ++x) {
        run = black(x, y) ? run + 1 : 0;
        if (run == 402) {
          top = y;
          left = x - 401;
          break;
        }
      }
    }
    ASSERT_GE(top, 0) << "no frame";
    auto pixel = [&](int mapX, int mapY) {
      const std::uint8_t* p = legend->row(top + 1 + mapY) + 3 * (left + 1 + mapX);
      return std::vector<int>{p[0], p[1], p[2]};
    };
    // The square's corners show no sample: white as the sheet, not black.
    EXPECT_EQ(pixel(3, 3), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(pixel(396, 396), (std::vector<int>{255, 255, 255}));
    // Between the meridians, away from the names, the map's own colour.
    EXPECT_EQ(pixel(120, 300), std::vector<int>(before->row(300) + 3 * 120, before->row(300) + 3 * 120 + 3));
  }
  const auto plainLegend = testing::readPng(work("legend.png"));
  const auto namedLegend = testing::readPng(work("named_legend.png"));
  ASSERT_TRUE(plainLegend && namedLegend);
  EXPECT_NE(namedLegend->bytes, plainLegend->bytes);
  // A legend's picture has no world file.
  EXPECT_FALSE(fs::exists(work("legend.pgw")));

  // The globe takes them too.
  const Outcome globe = run({"area", "-180", "88", "180", "-88", "--projection", "globe", "--centre", "70,-40", "--size",
                             "300", "--legend", "--labels", "--data", data(), "-o", "globe.png"});
  ASSERT_EQ(globe.exitCode, 0) << globe.err;
  EXPECT_TRUE(testing::readPng(work("globe.png")));
}

}  // namespace
}  // namespace tarvelon
