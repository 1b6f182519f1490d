// Projected maps checked by GDAL, a reader and warper no one here wrote:
// tarvelon-render's polar and globe elevations against gdalwarp's
// nearest-neighbour warp of its own simple cylindrical elevations onto the
// same grid, and the CRS, sphere and extent GDAL finds in each projected
// export. Skipped, with the reason, where GDAL's tools or its Python
// bindings are missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dem/TileSet.h"
#include "render/Hillshade.h"
#include "tests/TestFiles.h"
#include "tests/ToolRuns.h"

namespace tarvelon {
namespace {

namespace fs = std::filesystem;
using Outcome = testing::CommandOutcome;
using testing::shellQuote;

constexpr int kGridColumnCount = 4 * kSamplesPerLine;  // 46080, all the way round
constexpr int kGridLineCount = 4 * kLinesPerTile;     // 22528, 88 N to 88 S

// The elevation written at line `line`, column `column` of the whole grid:
// smooth hills and a noise that makes nearly every sample differ from its
// neighbours, so that a pixel's value tells which sample it shows. Always
// 0 .. 12000 m, inside the range an elevation map keeps.
int patternAt(int line, int column) {
  std::uint32_t h = std::uint32_t(line) * 2654435761u ^ std::uint32_t(column) * 2246822519u;
  h ^= h >> 15;
  h *= 2246822519u;
  h ^= h >> 13;
  const double hills = 6000 + 4000 * std::sin(line / 41.0) * std::cos(column / 67.0);
  return static_cast<int>(hills) + static_cast<int>(h % 4001) - 2000;
}

// What a map's GeoTIFF or world file places it at, as `gdalinfo -json` says.
struct GdalGrid {
  std::vector<double> transform;  // west, pixel width, 0, north, 0, -pixel height
  int width = 0;
  int height = 0;
  std::string wkt;  // the CRS, with its quotes still escaped
  std::string json;
};

// The numbers of the first [...] after "name": in a JSON text.
std::vector<double> jsonNumbers(const std::string& json, const std::string& name) {
  std::vector<double> numbers;
  const std::size_t at = json.find("\"" + name + "\":");
  const std::size_t open = at == std::string::npos ? at : json.find('[', at);
  if (open == std::string::npos) return numbers;
  std::istringstream in(json.substr(open + 1, json.find(']', open) - open - 1));
  std::string item;
  while (std::getline(in, item, ',')) numbers.push_back(std::stod(item));
  return numbers;
}

class ProjectionGdal : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(work());
    // What is missing, a line each; nothing when all is there.
    const Outcome missing = runCommand(
        "for tool in gdalwarp gdalinfo; do command -v $tool > /dev/null || echo \"no $tool\"; done; "
        "/usr/bin/python3 -c 'import numpy; from osgeo import gdal' 2> /dev/null || "
        "echo 'no GDAL Python bindings with numpy at /usr/bin/python3'");
    if (!missing.out.empty()) {
      GTEST_SKIP() << "needs gdalwarp, gdalinfo and GDAL's Python bindings (Debian gdal-bin and python3-gdal; "
                      "scripts/setup.sh installs them):\n"
                   << missing.out;
    }
  }

  std::string data() const { return dir.file("data"); }
  std::string work(const std::string& name = "") const { return (dir.path() / "work" / name).string(); }
  Outcome runCommand(const std::string& command) const { return testing::runShell(command, dir); }
  Outcome run(const std::vector<std::string>& args) const {
    std::string command = "cd " + shellQuote(work()) + " && " + shellQuote(TARVELON_RENDER_PATH);
    for (const auto& arg : args) command += " " + shellQuote(arg);
    return runCommand(command + " --data " + shellQuote(data()));
  }
  static std::string script(const char* name) {
    return "/usr/bin/python3 " + shellQuote(std::string(TARVELON_GDAL_SCRIPTS) + "/" + name);
  }

  // Writes the pattern into every sample of the area of whole degrees (east
  // may pass 180), and two samples more on each side, within the grid.
  void writePattern(int west, int north, int east, int south) const {
    const int firstLine = std::max(0, (88 - north) * kSamplesPerDegree - 2);
    const int endLine = std::min(kGridLineCount, (88 - south) * kSamplesPerDegree + 2);
    const int firstColumn = (west + 180) * kSamplesPerDegree - 2;
    const int endColumn = (east + 180) * kSamplesPerDegree + 2;
    for (int line = firstLine; line < endLine; ++line) {
      int column = firstColumn;
      while (column < endColumn) {
        // One run a tile: from here to the tile's east edge or the end.
        const int wrapped = ((column % kGridColumnCount) + kGridColumnCount) % kGridColumnCount;
        const int tileColumn = wrapped / kSamplesPerLine;
        const int inTile = wrapped % kSamplesPerLine;
        const int count = std::min(endColumn - column, kSamplesPerLine - inTile);
        std::vector<std::uint8_t> bytes(std::size_t(count) * 2);
        for (int i = 0; i < count; ++i) {
          const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(patternAt(line, wrapped + i)));
          bytes[2 * std::size_t(i)] = static_cast<std::uint8_t>(v >> 8);
          bytes[2 * std::size_t(i) + 1] = static_cast<std::uint8_t>(v & 0xFF);
        }
        const int tile = line / kLinesPerTile * 4 + tileColumn;
        testing::writeBytes(tiles.tileFile(tile),
                            std::int64_t(line % kLinesPerTile) * kBytesPerLine + std::int64_t(inTile) * 2, bytes);
        column += count;
      }
    }
  }

  GdalGrid gdalGrid(const std::string& file) const {
    const Outcome info = runCommand("gdalinfo -json " + shellQuote(work(file)));
    EXPECT_EQ(info.exitCode, 0) << info.err;
    GdalGrid grid;
    grid.json = info.out;
    grid.transform = jsonNumbers(info.out, "geoTransform");
    const std::vector<double> size = jsonNumbers(info.out, "size");
    if (size.size() == 2) {
      grid.width = static_cast<int>(size[0]);
      grid.height = static_cast<int>(size[1]);
    }
    const std::size_t wkt = info.out.find("\"wkt\":");
    if (wkt != std::string::npos) grid.wkt = info.out.substr(wkt, info.out.find("\",\n", wkt) - wkt);
    return grid;
  }

  // The map `file` (its --elevation GeoTIFF made first by `draw`) against
  // gdalwarp's nearest-neighbour warp of `source` onto its grid in the CRS
  // `proj`: the counts warp_compare.py prints, and its notes of faults.
  std::map<std::string, long> compareWithWarp(const std::string& source, const std::string& file,
                                              const std::string& proj, bool clipped, std::string& notes) const {
    const GdalGrid grid = gdalGrid(file);
    EXPECT_EQ(grid.transform.size(), 6u) << grid.json;
    if (grid.transform.size() != 6) return {};
    char extent[160];
    std::snprintf(extent, sizeof extent, "%.17g %.17g %.17g %.17g", grid.transform[0],
                  grid.transform[3] + grid.height * grid.transform[5], grid.transform[0] + grid.width * grid.transform[1],
                  grid.transform[3]);
    const Outcome warp = runCommand("gdalwarp -q -overwrite -et 0 -t_srs " + shellQuote(proj) + " -te " + extent + " -ts " +
                                    std::to_string(grid.width) + " " + std::to_string(grid.height) + " -r near " +
                                    shellQuote(work(source)) + " " + shellQuote(work("warped.tif")));
    EXPECT_EQ(warp.exitCode, 0) << warp.err;
    const Outcome compared = runCommand(script("warp_compare.py") + " " + shellQuote(work(source)) + " " +
                                        shellQuote(work(file)) + " " + shellQuote(work("warped.tif")) +
                                        (clipped ? " --clipped" : ""));
    EXPECT_EQ(compared.exitCode, 0) << compared.err;
    notes = compared.out + compared.err;
    std::map<std::string, long> counts;
    std::istringstream lines(compared.out);
    std::string name;
    long count = 0;
    while (lines >> name >> count) counts[name] = count;
    return counts;
  }

  testing::ScratchDir dir;
  const testing::SparseTiles tiles{dir.file("data")};
};

// What every projected map must show against GDAL's warp: at least 99 % of
// the pixels both fill hold GDAL's sample, every other one a sample next to
// it, and a pixel one of them leaves empty lies at the edge of the area.
// The counts go to the test's output, failing or not.
void expectAgreement(std::map<std::string, long> counts, long atLeast, const std::string& notes) {
  std::printf("warp_compare.py:\n%s", notes.c_str());
  ASSERT_GE(counts["both"], atLeast) << "too few pixels to compare";
  EXPECT_EQ(counts["warped_off"], 0) << "GDAL's pixels are not where the comparison looks for them";
  EXPECT_GE(counts["equal"], counts["both"] * 99 / 100) << "pixels that hold GDAL's sample, of " << counts["both"];
  EXPECT_EQ(counts["far"], 0) << "pixels more than a sample from GDAL's";
  EXPECT_EQ(counts["map_hole"], 0) << "pixels empty inside the area";
  EXPECT_EQ(counts["map_extra"], 0) << "pixels filled where GDAL has no sample";
  EXPECT_EQ(counts["off_planet"], 0) << "pixels filled off the planet";
}

TEST_F(ProjectionGdal, NorthPolarPixelsHoldTheSamplesGdalWarpsThere) {
  // Near the pole at full resolution a pixel spans many samples east to
  // west, and the map's edge at 88 degrees is the grid's.
  writePattern(0, 88, 60, 80);
  const std::vector<std::string> area = {"area", "0", "88", "60", "80", "--step", "1", "--elevation"};
  auto with = [&area](std::vector<std::string> more) {
    more.insert(more.begin(), area.begin(), area.end());
    return more;
  };
  const Outcome flat = run(with({"-o", "flat.tif"}));
  ASSERT_EQ(flat.exitCode, 0) << flat.err;
  const Outcome polar = run(with({"--projection", "north-polar", "-o", "polar.tif"}));
  ASSERT_EQ(polar.exitCode, 0) << polar.err;
  std::string notes;
  const auto counts = compareWithWarp("flat.tif", "polar.tif",
                                      "+proj=stere +lat_0=90 +lon_0=0 +k=1 +R=3396190 +units=m +no_defs", true, notes);
  expectAgreement(counts, 800000, notes);
}

TEST_F(ProjectionGdal, SouthPolarPixelsHoldTheSamplesAcrossTheMeridianOf180AndATileJoin) {
  writePattern(160, -80, 200, -88);
  const std::vector<std::string> area = {"area", "160", "-80", "200", "-88", "--elevation"};
  auto with = [&area](std::vector<std::string> more) {
    more.insert(more.begin(), area.begin(), area.end());
    return more;
  };
  const Outcome flat = run(with({"--step", "1", "-o", "flat.tif"}));
  ASSERT_EQ(flat.exitCode, 0) << flat.err;
  // A coarser map: each pixel shows one of the many samples under it.
  const Outcome polar = run(with({"--projection", "south-polar", "--scale", "1.7", "-o", "polar.tif"}));
  ASSERT_EQ(polar.exitCode, 0) << polar.err;
  std::string notes;
  const auto counts = compareWithWarp(
      "flat.tif", "polar.tif", "+proj=stere +lat_0=-90 +lon_0=0 +k=1 +R=3396190 +units=m +no_defs", true, notes);
  expectAgreement(counts, 40000, notes);
}

TEST_F(ProjectionGdal, GlobePixelsHoldTheSamplesGdalWarpsThere) {
  // The globe shows the whole hemisphere; only the patterned area is
  // compared, and the pole past 88 degrees is empty in both.
  writePattern(0, 88, 60, 80);
  const Outcome flat = run({"area", "0", "88", "60", "80", "--step", "1", "--elevation", "-o", "flat.tif"});
  ASSERT_EQ(flat.exitCode, 0) << flat.err;
  const Outcome globe = run({"area", "0", "88", "60", "80", "--projection", "globe", "--centre", "30,84", "--size",
                             "1600", "--elevation", "-o", "globe.tif"});
  ASSERT_EQ(globe.exitCode, 0) << globe.err;
  std::string notes;
  const auto counts = compareWithWarp(
      "flat.tif", "globe.tif", "+proj=ortho +lat_0=84 +lon_0=30 +R=3396190 +units=m +no_defs", false, notes);
  expectAgreement(counts, 8000, notes);
}

TEST_F(ProjectionGdal, GdalFindsTheProjectionSphereAndFrameOfEveryProjectedExport) {
  struct Export {
    std::vector<std::string> draw;
    const char* method;  // as GDAL names the projection
    const char* latitude;
    const char* longitude;  // of the natural origin, as GDAL writes them
    std::vector<double> area;
  };
  const std::vector<Export> exports = {
      {{"area", "0", "88", "60", "80", "--step", "10", "--projection", "north-polar"},
       "Polar Stereographic",
       "90",
       "0",
       {0, 88, 60, 80}},
      {{"area", "160", "-80", "200", "-88", "--step", "10", "--projection", "south-polar"},
       "Polar Stereographic",
       "-90",
       "0",
       {160, -80, 200, -88}},
      {{"area", "0", "88", "60", "80", "--projection", "globe", "--centre", "30,84", "--size", "400"},
       "Orthographic",
       "84",
       "30",
       {}},
  };
  // A polar map at step 10: pixels ten samples along a meridian.
  const double polarPixel = 10 * kMetresPerDegree / kSamplesPerDegree;
  for (const Export& e : exports) {
    for (const std::string name : {"m.tif", "m.png", "m.bmp"}) {
      SCOPED_TRACE(e.draw[1] + " " + e.draw[2] + " " + e.method + " " + name);
      std::vector<std::string> args = e.draw;
      args.insert(args.end(), {"-o", name});
      const Outcome r = run(args);
      ASSERT_EQ(r.exitCode, 0) << r.err;
      const GdalGrid grid = gdalGrid(name);
      // The CRS from the GeoTIFF's keys, or from the .aux.xml beside a
      // picture.
      if (name != "m.tif") {
        EXPECT_NE(grid.json.find("/" + name + ".aux.xml\""), std::string::npos) << grid.json;
      }
      EXPECT_NE(grid.wkt.find(std::string("METHOD[\\\"") + e.method), std::string::npos) << grid.wkt;
      EXPECT_NE(grid.wkt.find("ELLIPSOID[\\\"Mars_2000_(Sphere)\\\",3396190,0,"), std::string::npos) << grid.wkt;
      EXPECT_NE(grid.wkt.find(std::string("\"Latitude of natural origin\\\",") + e.latitude + ","), std::string::npos)
          << grid.wkt;
      EXPECT_NE(grid.wkt.find(std::string("\"Longitude of natural origin\\\",") + e.longitude + ","),
                std::string::npos)
          << grid.wkt;
      ASSERT_EQ(grid.transform.size(), 6u) << grid.json;
      const std::vector<double>& t = grid.transform;
      EXPECT_EQ(t[2], 0);
      EXPECT_EQ(t[4], 0);
      EXPECT_NEAR(t[5], -t[1], 1e-9);
      if (e.area.empty()) {
        // The globe's disc fills its square.
        EXPECT_EQ(grid.width, 400);
        EXPECT_EQ(grid.height, 400);
        EXPECT_NEAR(t[0], -kMarsRadius, 1e-6);
        EXPECT_NEAR(t[3], kMarsRadius, 1e-6);
        EXPECT_NEAR(t[1], 2 * kMarsRadius / 400, 1e-9);
        continue;
      }
      // The area's outline, projected by GDAL in the CRS it read, lies
      // within the frame, which is centred on it and less than a pixel
      // larger each way.
      EXPECT_NEAR(t[1], polarPixel, 1e-9);
      char area[96];
      std::snprintf(area, sizeof area, " %g %g %g %g", e.area[0], e.area[1], e.area[2], e.area[3]);
      const Outcome outline = runCommand(script("outline.py") + " " + shellQuote(work(name)) + area);
      ASSERT_EQ(outline.exitCode, 0) << outline.err;
      double west = NAN, north = NAN, east = NAN, south = NAN;
      ASSERT_EQ(std::sscanf(outline.out.c_str(), "%lf %lf %lf %lf", &west, &north, &east, &south), 4) << outline.out;
      const double spareWest = west - t[0];
      const double spareEast = t[0] + grid.width * t[1] - east;
      const double spareNorth = t[3] - north;
      const double spareSouth = south - (t[3] + grid.height * t[5]);
      for (const double spare : {spareWest, spareEast, spareNorth, spareSouth}) {
        EXPECT_GE(spare, -0.01);
        EXPECT_LT(spare, t[1] / 2);
      }
      EXPECT_NEAR(spareWest, spareEast, 0.01);
      EXPECT_NEAR(spareNorth, spareSouth, 0.01);
    }
  }
}

}  // namespace
}  // namespace tarvelon
