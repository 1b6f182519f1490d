// Map files: the streamed map against the whole raster written at once,
// world files, the formats' limits, grey maps, elevations, failures.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <cstring>
#include <map>
#include <set>

#include "dem/TileFile.h"
#include "dem/TileNames.h"
#include "export/MapFile.h"
#include "render/AreaRenderer.h"
#include "render/BmpWriter.h"
#include "render/TileRenderer.h"
#include "tests/ImageFiles.h"
#include "tests/RecordingHost.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::RecordingHost;
using testing::ScratchDir;
using testing::SinkHost;
namespace fs = std::filesystem;

std::uint32_t le32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::size_t filesIn(const ScratchDir& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
}

// Every written sample depends on its tile, line and column; most are in
// the colour range, a few not (they repeat the colour before them).
int sampleOf(int tile, int line, int column) {
  if ((line + column) % 97 == 0) return -32768;
  return -8000 + static_cast<int>((std::int64_t(tile) * 1000003 + std::int64_t(line) * 7919 +
                                   std::int64_t(column) * 13) %
                                  28000);
}

class MapFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    state.demFolder = tiles.str();
    state.tileNames = tiles.names();
    state.colourScheme = 5;
    state.shadingMode = 2;
    state.mapTitle = "User selection";
    state.drawInBackground = 1;
  }
  void writeLine(int tile, int line) {
    if (!written.insert({tile, line}).second) return;
    tiles.writeLine(tile, line, [=](int column) { return sampleOf(tile, line, column); });
  }

  ScratchDir dir;
  const testing::SparseTiles tiles{dir.file("data")};
  MapViewState state;
  std::set<std::pair<int, int>> written;
};

TEST_F(MapFiles, StreamedMapsEqualTheWholeRasterWrittenAtOnceInEveryFormat) {
  struct Case {
    bool tile;
    AreaBounds area;  // or the tile's number in area.west
    int step;
    int shaded;
  };
  // A whole tile, and an area across the 180 degree meridian and a tile row;
  // plain and with relief shading (whose rows wait for the row below).
  const Case cases[] = {{true, {6}, 8, 0}, {true, {6}, 13, 1}, {false, {160, 54, 220, 20}, 10, 0},
                        {false, {160, 54, 220, 20}, 10, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.tile ? "tile" : "area") << " step " << c.step << " shaded " << c.shaded);
    state.sampleStep = c.step;
    state.reliefShading = c.shaded;
    std::optional<MapGeometry> geometry;
    if (c.tile) {
      for (int line = 0; line < kLinesPerTile; line += c.step) writeLine(c.area.west, line);
      state.tilePath = tilePath(state.demFolder, state.tileNames[c.area.west]);
      state.tileBox = tileBox(c.area.west);
      geometry = MapGeometry::ofTile(c.area.west, c.step);
    } else {
      const AreaLayout layout = layoutArea(c.area, c.step);
      for (const RowSource& row : layout.rows) {
        for (const ColumnRun& run : layout.columns) writeLine(layout.tileOf(row.tileRow, run.tileColumn), row.line);
      }
      geometry = MapGeometry::ofArea(layout, c.step);
    }
    auto draw = [&](DrawHost& host) {
      state.pixel = PixelColour{};
      if (c.tile) {
        drawTile(state, host);
      } else {
        ASSERT_EQ(drawArea(c.area.west, c.area.north, c.area.east, c.area.south, state, host),
                  AreaDrawResult::Completed);
      }
    };
    RecordingHost window;
    draw(window);
    const Raster& raster = window.picture;
    ASSERT_EQ(raster.width, geometry->width());
    ASSERT_EQ(raster.height, geometry->height());
    const int highest = state.altMax;

    for (MapFormat format : {MapFormat::Bmp, MapFormat::Png, MapFormat::GeoTiff}) {
      const std::string ext = format == MapFormat::Bmp ? ".bmp" : format == MapFormat::Png ? ".png" : ".tif";
      MapFileSpec spec{dir.file("streamed" + ext), format, raster.width, raster.height, RowSink::Content::Colour,
                       geometry->transform()};
      {
        MapFile file(spec);
        SinkHost host(file);
        draw(host);
        EXPECT_EQ(host.count("rows"), 0);
        EXPECT_EQ(host.count("raster"), 0);
        EXPECT_EQ(state.altMax, highest);
        file.commit();
      }
      spec.path = dir.file("whole" + ext);
      writeMapFile(raster, spec);
      const std::string streamed = testing::readText(dir.file("streamed" + ext));
      EXPECT_EQ(streamed, testing::readText(spec.path)) << ext;

      // Each holds the raster's pixels.
      if (format == MapFormat::Bmp) {
        writeBmp(raster, dir.file("old.bmp"));  // the writer Save Map used before
        EXPECT_EQ(streamed, testing::readText(dir.file("old.bmp")));
      } else {
        const auto image = format == MapFormat::Png ? testing::readPng(spec.path) : testing::readTiff(spec.path);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, raster.width);
        ASSERT_EQ(image->height, raster.height);
        for (int y = 0; y < raster.height; ++y) {
          std::vector<std::uint8_t> expected(raster.row(y), raster.row(y) + raster.rowBytes());
          if (format == MapFormat::GeoTiff) {
            for (std::size_t i = 0; i < expected.size(); i += 3) std::swap(expected[i], expected[i + 2]);
          }
          ASSERT_TRUE(std::equal(expected.begin(), expected.end(), image->row(y))) << ext << " row " << y;
        }
      }
    }
  }
}

TEST(WorldFile, IsExactForTheMapsCornersAndStep) {
  // Tile 7 (0 .. 90 E, 44 .. 0 N) at step 24: pixel (0, 0) is centred on
  // sample 0, half a sample inside the corner, 24 samples a side.
  EXPECT_EQ(worldFileText(MapGeometry::ofTile(6, 24).transform()),
            "0.1875\n0\n0\n-0.1875\n0.00390625\n43.99609375\n");
  // Arcadia, 160 .. 220: column 8959 of the tile from 90 E, line 4352 of
  // the tile from 88 N; east of 180 the longitudes go on past 180.
  const MapGeometry arcadia = MapGeometry::ofArea(layoutArea({160, 54, 220, 20}, 10), 10);
  EXPECT_EQ(worldFileText(arcadia.transform()), "0.078125\n0\n0\n-0.078125\n159.99609375\n53.99609375\n");
  EXPECT_GT(arcadia.transform().west + arcadia.width() * arcadia.transform().pixelWidth, 219.5);

  MapFileSpec spec{"maps/Olympus Mons.png", MapFormat::Png, 10, 10, RowSink::Content::Colour, GeoTransform{}};
  EXPECT_EQ(sidecarPaths(spec), (std::vector<std::string>{"maps/Olympus Mons.pgw", "maps/Olympus Mons.prj",
                                                           "maps/Olympus Mons.png.aux.xml"}));
  spec.path = "a.BMP";
  spec.format = MapFormat::Bmp;
  EXPECT_EQ(sidecarPaths(spec), (std::vector<std::string>{"a.bpw", "a.prj", "a.BMP.aux.xml"}));
  spec.format = MapFormat::GeoTiff;
  EXPECT_TRUE(sidecarPaths(spec).empty());
  // GDAL's own reading of these texts is tested with GDAL (RenderCliMaps).
  EXPECT_EQ(marsPrjText().rfind("GEOGCS[\"Mars_2000_(Sphere)\",DATUM[\"Mars_2000_(Sphere)\",SPHEROID[\"Mars_2000_(Sphere)\","
                                "3396190,0,",
                                0),
            0u);
  EXPECT_NE(marsAuxXmlText().find(">" + marsPrjText() + "</SRS>"), std::string::npos);

  EXPECT_EQ(mapFormatOf("x.PNG"), MapFormat::Png);
  EXPECT_EQ(mapFormatOf("x.tiff"), MapFormat::GeoTiff);
  EXPECT_EQ(mapFormatOf("x.jpg"), std::nullopt);
  EXPECT_EQ(mapFormatOf("bmp"), std::nullopt);
}

// The GeoTIFF tags of a little-endian classic TIFF, read from its first
// directory byte by byte: tag -> its values' bytes.
std::map<int, std::string> tiffTags(const std::string& file) {
  auto u16 = [&](std::size_t at) { return int(std::uint8_t(file[at])) | int(std::uint8_t(file[at + 1])) << 8; };
  auto u32 = [&](std::size_t at) { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; };
  std::map<int, std::string> tags;
  if (file.size() < 8 || file.compare(0, 4, std::string("II*\0", 4)) != 0) return tags;
  const std::size_t directory = u32(4);
  const int entries = u16(directory);
  for (int i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + 12 * std::size_t(i);
    const int type = u16(entry + 2);
    const std::size_t count = u32(entry + 4);
    const std::size_t size = count * (type == 3 ? 2 : type == 4 ? 4 : type == 12 ? 8 : 1);
    const std::size_t at = size <= 4 ? entry + 8 : u32(entry + 8);
    tags[u16(entry)] = file.substr(at, size);
  }
  return tags;
}

template <typename T>
std::vector<T> valuesOf(const std::string& bytes) {
  std::vector<T> values(bytes.size() / sizeof(T));
  std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
  return values;
}

TEST(GeoTiff, KeysPlaceThePixelsOnANamedMarsSphere) {
  ScratchDir dir;
  const MapGeometry arcadia = MapGeometry::ofArea(layoutArea({160, 54, 220, 20}, 10), 10);
  const GeoTransform t = arcadia.transform();
  for (RowSink::Content content : {RowSink::Content::Colour, RowSink::Content::Elevation}) {
    MapFile file({dir.file("a.tif"), MapFormat::GeoTiff, arcadia.width(), arcadia.height(), content, t});
    for (int y = 0; y < arcadia.height(); ++y) {
      std::memset(file.rowBuffer(y), 0, std::size_t(arcadia.width()) * RowSink::bytesPerPixel(content));
      file.rowDone(y);
    }
    file.commit();
    const auto tags = tiffTags(testing::readText(dir.file("a.tif")));
    // Pixel scale and the tie point of pixel (0, 0)'s corner: half a pixel
    // west and north of the centre of its sample, tile 3's column 8959 on
    // line 4352.
    EXPECT_EQ(valuesOf<double>(tags.at(33550)), (std::vector<double>{10.0 / 128, 10.0 / 128, 0}));
    const std::vector<double> tie = valuesOf<double>(tags.at(33922));
    ASSERT_EQ(tie.size(), 6u);
    EXPECT_DOUBLE_EQ(tie[3], 90 + 8959.5 / 128 - 5.0 / 128);
    EXPECT_DOUBLE_EQ(tie[4], 88 - 4352.5 / 128 + 5.0 / 128);
    // Geographic, pixels are areas, user-defined CRS, datum and ellipsoid
    // named by the citation, degrees, the sphere's axes.
    const std::vector<std::uint16_t> keys = valuesOf<std::uint16_t>(tags.at(34735));
    std::map<int, std::vector<std::uint16_t>> key;
    for (std::size_t k = 4; k + 3 < keys.size(); k += 4) key[keys[k]] = {keys[k + 1], keys[k + 2], keys[k + 3]};
    EXPECT_EQ(key.at(1024)[2], 2);
    EXPECT_EQ(key.at(1025)[2], 1);
    EXPECT_EQ(key.at(2048)[2], 32767);
    EXPECT_EQ(key.at(2050)[2], 32767);
    EXPECT_EQ(key.at(2054)[2], 9102);
    const std::vector<double> doubles = valuesOf<double>(tags.at(34736));
    EXPECT_EQ(doubles.at(key.at(2057)[2]), 3396190.0);
    EXPECT_EQ(doubles.at(key.at(2058)[2]), 3396190.0);
    const std::string citation = tags.at(34737).substr(key.at(2049)[2], key.at(2049)[1]);
    EXPECT_EQ(citation.rfind("GCS Name = Mars_2000_(Sphere)|Datum = Mars_2000_(Sphere)|Ellipsoid = Mars_2000_(Sphere)|", 0),
              0u)
        << citation;
    // Elevations say their nodata value; colour has an alpha channel only
    // when asked to.
    EXPECT_EQ(tags.count(42113), content == RowSink::Content::Elevation ? 1u : 0u);
    EXPECT_EQ(valuesOf<std::uint16_t>(tags.at(277)), (std::vector<std::uint16_t>{std::uint16_t(content == RowSink::Content::Colour ? 3 : 1)}));
  }
}

TEST(MapFile, RefusesWhatItsFormatCannotHoldBeforeMakingAnyFile) {
  ScratchDir dir;
  // 38000 x 38000 at 3 bytes a pixel is 4.3 GB; as grey, 1.4 GB.
  MapFileSpec big{dir.file("big.bmp"), MapFormat::Bmp, 38000, 38000, RowSink::Content::Colour, std::nullopt};
  EXPECT_NE(mapFileProblem(big).find("4 GB"), std::string::npos) << mapFileProblem(big);
  try {
    MapFile file(big);
    FAIL() << "no error";
  } catch (const WriteError& e) {
    EXPECT_NE(std::string(e.what()).find("4 GB"), std::string::npos) << e.what();
  }
  big.content = RowSink::Content::Light;
  EXPECT_EQ(mapFileProblem(big), "");
  big.format = MapFormat::Png;
  big.content = RowSink::Content::Colour;
  EXPECT_EQ(mapFileProblem(big), "");  // PNG and GeoTIFF go past 4 GB
  big.format = MapFormat::GeoTiff;
  EXPECT_EQ(mapFileProblem(big), "");
  // The whole planet at 100 %: 3.1 GB, within a bitmap's limit.
  big.format = MapFormat::Bmp;
  big.width = 46076;
  big.height = 22528;
  EXPECT_EQ(mapFileProblem(big), "");

  MapFileSpec elevation{dir.file("e.png"), MapFormat::Png, 5, 5, RowSink::Content::Elevation, std::nullopt};
  EXPECT_NE(mapFileProblem(elevation).find("GeoTIFF"), std::string::npos);
  EXPECT_THROW(MapFile{elevation}, WriteError);
  EXPECT_EQ(filesIn(dir), 0u);
}

TEST(MapFile, AGreyMapIsAnEightBitBitmapWithAGreyPalette) {
  ScratchDir dir;
  MapFile file({dir.file("grey.bmp"), MapFormat::Bmp, 3, 2, RowSink::Content::Light, std::nullopt});
  const std::uint8_t rows[2][3] = {{1, 128, 255}, {7, 8, 9}};
  for (int y = 0; y < 2; ++y) {
    std::memcpy(file.rowBuffer(y), rows[y], 3);
    file.rowDone(y);
  }
  file.commit();
  const std::string bmp = testing::readText(dir.file("grey.bmp"));
  ASSERT_EQ(bmp.size(), 54u + 1024u + 2 * 4);
  EXPECT_EQ(le32(bmp, 10), 1078u);  // pixels after the palette
  EXPECT_EQ(bmp[28], 8);
  EXPECT_EQ(le32(bmp, 46), 256u);  // colours used
  EXPECT_EQ(bmp.substr(54 + 4 * 128, 4), std::string("\x80\x80\x80\0", 4));
  EXPECT_EQ(bmp.substr(1078), std::string("\x07\x08\x09\0\x01\x80\xFF\0", 8));  // bottom row first
}

TEST(MapFile, ElevationsOutsideTheColourRangeAreNodata) {
  ScratchDir dir;
  const std::int16_t samples[] = {-8200, 21250, -8201, 21251, -32768, 32767, 0, -2721};
  MapFile file({dir.file("e.tif"), MapFormat::GeoTiff, 4, 2, RowSink::Content::Elevation,
                GeoTransform{10, 5, 0.5, 0.25}});
  for (int y = 0; y < 2; ++y) {
    std::memcpy(file.rowBuffer(y), samples + 4 * y, 8);
    file.rowDone(y);
  }
  file.commit();
  const auto image = testing::readTiff(dir.file("e.tif"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bitsPerSample, 16);
  const std::int16_t expected[] = {-8200, 21250, -32768, -32768, -32768, -32768, 0, -2721};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(image->sample(i % 4, i / 4), expected[i]) << i;
  TIFF* tif = TIFFOpen(dir.file("e.tif").c_str(), "r");
  ASSERT_NE(tif, nullptr);
  // The nodata tag is unknown to libtiff: read as it stands.
  std::uint32_t count = 0;
  const char* nodata = nullptr;
  std::uint16_t format = 0;
  EXPECT_EQ(TIFFGetField(tif, TIFFTAG_GDAL_NODATA, &count, &nodata), 1);
  EXPECT_EQ(std::string(nodata != nullptr ? nodata : ""), "-32768");
  TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &format);
  EXPECT_EQ(format, SAMPLEFORMAT_INT);
  TIFFClose(tif);
}

TEST(MapFile, AFullDiskShowsWhenTheFileIsMadeAndTheOldFileStays) {
  ScratchDir dir;
  for (const char* name : {"map.bmp", "map.tif"}) testing::writeText(dir.file(name), "old map");
  // A full disk, played by a limit on file sizes: the whole size is
  // reserved when the file is made, before a row is drawn.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1 << 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int refused = 0;
  for (auto [name, format] : {std::pair{"map.bmp", MapFormat::Bmp}, {"map.tif", MapFormat::GeoTiff}}) {
    try {
      MapFile file({dir.file(name), format, 1000, 1000, RowSink::Content::Colour, GeoTransform{0, 0, 1, 1}});
    } catch (const WriteError& e) {
      ++refused;
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(refused, 2);
  EXPECT_EQ(testing::readText(dir.file("map.bmp")), "old map");
  EXPECT_EQ(testing::readText(dir.file("map.tif")), "old map");
  EXPECT_EQ(filesIn(dir), 2u);
}

TEST(MapFile, AMapLeftUnfinishedLeavesNothing) {
  ScratchDir dir;
  for (MapFormat format : {MapFormat::Bmp, MapFormat::Png, MapFormat::GeoTiff}) {
    MapFile file({dir.file("map"), format, 300, 400, RowSink::Content::Colour, GeoTransform{0, 0, 1, 1}});
    for (int y = 0; y < 390; ++y) {
      std::memset(file.rowBuffer(y), y, 900);
      file.rowDone(y);
    }
    EXPECT_THROW(file.rowBuffer(391), WriteError);  // out of turn
    EXPECT_THROW(file.commit(), WriteError);        // 10 rows short
  }
  EXPECT_EQ(filesIn(dir), 0u);
}

// A map written over an old one, watched from the folder: the old map
// leaves before any new file arrives, the new map arrives after its
// sidecars, and nothing else is left.
TEST(MapFile, AMapAppearsOnlyAfterItsSidecarsAndReplacesTheOldSetAsOne) {
  ScratchDir dir;
  const MapFileSpec spec{dir.file("m.png"), MapFormat::Png, 30, 20, RowSink::Content::Colour, GeoTransform{0, 0, 1, 1}};
  const std::vector<std::string> sidecarNames = {"m.pgw", "m.prj", "m.png.aux.xml"};
  ASSERT_EQ(sidecarPaths(spec),
            (std::vector<std::string>{dir.file("m.pgw"), dir.file("m.prj"), dir.file("m.png.aux.xml")}));
  writeMapFile(Raster(30, 20), spec);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir.str().c_str(), IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE), 0);
  MapFileSpec moved = spec;
  moved.georeference = GeoTransform{10, 5, 1, 1};
  writeMapFile(Raster(30, 20), moved);
  std::vector<std::pair<std::uint32_t, std::string>> events;
  alignas(inotify_event) char buffer[8192];
  for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      events.emplace_back(event->mask, event->len > 0 ? std::string(event->name) : std::string());
      at += ssize_t(sizeof(inotify_event) + event->len);
    }
  }
  ::close(watch);
  auto first = [&](std::uint32_t mask, const std::string& name) {
    for (std::size_t i = 0; i < events.size(); ++i) {
      if ((events[i].first & mask) != 0 && events[i].second == name) return static_cast<long>(i);
    }
    return -1L;
  };
  const long mapLeaves = first(IN_MOVED_FROM, "m.png");
  const long mapArrives = first(IN_CREATE | IN_MOVED_TO, "m.png");
  ASSERT_GE(mapLeaves, 0);
  ASSERT_GT(mapArrives, mapLeaves);
  for (const std::string& name : sidecarNames) {
    const long arrives = first(IN_CREATE | IN_MOVED_TO, name);
    EXPECT_GT(arrives, mapLeaves) << name;
    EXPECT_LT(arrives, mapArrives) << name;
  }
  EXPECT_EQ(testing::readText(dir.file("m.pgw")), worldFileText(*moved.georeference));
  EXPECT_EQ(filesIn(dir), 4u);
}

// What a writer killed while publishing leaves: the old set aside under
// its backup names, part of the new set in place. The next write of the
// set under those names puts the old set back (its map never appeared)
// or drops the backups (it did), and removes the dead writer's temporary
// files.
TEST(MapFile, AWriterKilledWhilePublishingLeavesNothingForTheNext) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  ScratchDir dir;
  const MapFileSpec spec{dir.file("m.bmp"), MapFormat::Bmp, 8, 4, RowSink::Content::Colour, GeoTransform{0, 0, 1, 1}};
  for (bool mapPublished : {false, true}) {
    testing::writeText(dir.file("m.bmp.old-" + dead), "old map");
    testing::writeText(dir.file("m.bpw.old-" + dead), "old world file");
    testing::writeText(dir.file("m.prj.old-" + dead), "old prj");
    testing::writeText(dir.file("m.bpw"), "new world file");
    testing::writeText(dir.file("m.bmp.tmp-" + dead + "-7"), "new map, not yet renamed");
    if (mapPublished) testing::writeText(dir.file("m.bmp"), "new map");
    writeMapFile(Raster(8, 4), spec);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"m.bmp", "m.bpw", "m.prj", "m.bmp.aux.xml"})) << mapPublished;
    EXPECT_EQ(testing::readText(dir.file("m.bpw")), worldFileText(*spec.georeference));
  }
  // A live writer's files are its own.
  testing::writeText(dir.file("m.bmp.old-1"), "init's");
  writeMapFile(Raster(8, 4), spec);
  EXPECT_TRUE(fs::exists(dir.file("m.bmp.old-1")));
}

}  // namespace
}  // namespace tarvelon
