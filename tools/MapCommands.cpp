// tarvelon-render tile and area: maps drawn to a BMP or PNG file.
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/Settings.h"
#include "dem/AtomicFile.h"
#include "dem/MessageText.h"
#include "dem/TileNames.h"
#include "render/AreaRenderer.h"
#include "render/BmpWriter.h"
#include "render/Resolution.h"
#include "render/TileRenderer.h"
#include "tools/BmpStream.h"
#include "tools/Commands.h"

namespace tarvelon::cli {

namespace {

#define MAP_OPTIONS_HELP                                                                              \
  "  --step S          sample step: 1, 2, 3, 4, 8, 10, 13 or 24 (100 %, 50 %, 33 %, 25 %,\n"          \
  "                    12.5 %, 10 %, 7.5 %, 5 %)\n"                                                  \
  "  --scheme S        colour scheme 0..5 (default 1):\n"                                            \
  "                      0 Brown Relief, 1 Blue/Green/Brown (pale),\n"                               \
  "                      2 Blue/Green/Brown (darker), 3 Blue/Green/Brown (histogram),\n"             \
  "                      4 Putative Northern Ocean (datum 3000 m), 5 MOLA Multicolour\n"             \
  "  --mode M          shading mode 0..3 (default 1): 0 Contoured Shading,\n"                        \
  "                      1 Blended Shading, 2 Square Root Enhancement, 3 Power 2 Enhanced\n"         \
  "  --user-colours TOP BOTTOM\n"                                                                    \
  "                    the user colours: sixteen altitude bands fitted between the\n"                \
  "                    upper limit TOP and the lower limit BOTTOM (metres); replaces --scheme\n"     \
  "  --data DIR        folder holding the sixteen MEGDR128 tiles (megt*.img); default: the\n"        \
  "                    folder named in megdr128.cfg in the current folder\n"                         \
  "  -o FILE           the map file, .bmp (24-bit Windows bitmap) or .png\n"

}  // namespace

const char* const kTileUsage =
    "Usage: tarvelon-render tile N [--step S] [--scheme S] [--mode M] [--user-colours TOP BOTTOM]\n"
    "                              [--data DIR] [-o FILE]\n"
    "\n"
    "Draws the whole tile N (1..16, numbered as in the File menu) and saves the map.\n"
    "Without --step the tile is drawn at 5 % (step 24), without -o it goes to\n"
    "tile_N_stepS.bmp in the current folder.\n"
    "\n" MAP_OPTIONS_HELP;

const char* const kAreaUsage =
    "Usage: tarvelon-render area WEST NORTH EAST SOUTH [--step S] [--scheme S] [--mode M]\n"
    "                           [--user-colours TOP BOTTOM] [--data DIR] [-o FILE]\n"
    "\n"
    "Draws the rectangle of whole degrees WEST..EAST (east-positive longitudes; EAST may\n"
    "pass 180) and NORTH..SOUTH and saves the map. Negative numbers are written as they\n"
    "are: tarvelon-render area -60 58 0 32. Without --step the step is chosen from the\n"
    "area's size, as the first area drawn after opening the Map Area menu; without -o\n"
    "the map goes to area_WEST_NORTH_EAST_SOUTH_stepS.bmp in the current folder.\n"
    "\n" MAP_OPTIONS_HELP;

namespace {

enum class FileKind { Bmp, Png };

struct MapOptions {
  std::optional<int> step;
  int scheme = 1;
  int mode = 1;
  BandLimits bands{};
  std::optional<std::string> data;
  std::optional<std::string> output;
  FileKind kind = FileKind::Bmp;
  std::vector<std::string> positional;
};

std::string lowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

MapOptions parseMapOptions(Args& args) {
  MapOptions options;
  const auto stepText = args.option("--step");
  const auto schemeText = args.option("--scheme");
  const auto modeText = args.option("--mode");
  const auto userColours = args.option("--user-colours", 2);
  options.data = args.option("--data");
  options.output = args.option("-o");
  options.positional = args.positional();

  if (stepText) {
    const int step = parseInteger(*stepText, "the step", 1, 24);
    if (std::find(kStepOfResolution.begin(), kStepOfResolution.end(), step) == kStepOfResolution.end()) {
      throw UsageError("the step must be 1, 2, 3, 4, 8, 10, 13 or 24, not " + *stepText);
    }
    options.step = step;
  }
  if (userColours && schemeText) throw UsageError("give either --scheme or --user-colours, not both");
  if (schemeText) options.scheme = parseInteger(*schemeText, "the scheme", 0, 5);
  if (modeText) options.mode = parseInteger(*modeText, "the mode", 0, 3);
  if (userColours) {
    const int top = parseInteger((*userColours)[0], "TOP", -100000, 100000);
    const int bottom = parseInteger((*userColours)[1], "BOTTOM", -100000, 100000);
    if (top < bottom) {
      throw UsageError("TOP (" + std::to_string(top) + ") lies below BOTTOM (" + std::to_string(bottom) + ")");
    }
    options.scheme = kUserColours;
    options.bands = buildBandLimits(top, bottom);
  }
  if (options.output) {
    // Before any drawing: a map that cannot be saved is not worth drawing.
    const std::filesystem::path folder = std::filesystem::path(*options.output).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
      throw CommandError("Cannot write " + *options.output + ": the folder " + folder.string() + " does not exist");
    }
    const std::string extension = lowerExtension(*options.output);
    if (extension == ".png") {
      options.kind = FileKind::Png;
    } else if (extension != ".bmp") {
      throw UsageError("the map file must end in .bmp or .png: " + *options.output);
    }
  }
  return options;
}

// The data folder and its tile names, from --data or the settings file.
void loadTileSet(const MapOptions& options, MapViewState& state) {
  std::string folder;
  if (options.data) {
    folder = *options.data;
  } else {
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    const std::string settings = settingsPath(here);
    const SettingsRead read = readSettings(settings);
    if (read.status == SettingsRead::Status::Missing) {
      throw CommandError("no data folder: give one with --data DIR (there is no " + std::string(kSettingsFileName) +
                         " in " + here + " to name it)");
    }
    if (read.status == SettingsRead::Status::Unusable) {
      throw CommandError(read.problem + " Give the data folder with --data DIR.");
    }
    folder = read.settings.demFolder;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    throw CommandError("the data folder " + quote(folder) + " does not exist or is not a folder");
  }
  state.tileNames = tileNamesOf(folder);
  state.demFolder = folder;
}

// Keeps the finished map and shows the progress on standard error. Given a
// bitmap to write, it writes each row as soon as the renderer finishes it,
// while the row is still in the cache, and the rest at the end.
class FileHost : public DrawHost {
 public:
  Raster map;
  std::string legend;

  explicit FileHost(std::optional<std::string> bitmapPath = std::nullopt) : bitmapPath_(std::move(bitmapPath)) {}

  // Writes the map to the bitmap named at construction.
  void saveBitmap() {
    if (!bitmap_ || bitmap_->width() != map.width || bitmap_->height() != map.height) {
      bitmap_ = std::make_unique<BmpStream>(*bitmapPath_, map.width, map.height);
    }
    bitmap_->finish(map);
    bitmap_.reset();
  }

  void processEvents() override {}
  void setLegend(const std::string& text) override {
    legend = text;
    if (!started_ && text.find("Progress:") != std::string::npos) {
      started_ = true;
      drawing_ = text;
      std::fputs(text.c_str(), stderr);
      std::fflush(stderr);
    }
  }
  // On a terminal the percentage counts up in place; elsewhere every tenth
  // is written once.
  void setPercent(const std::string& text) override {
    if (!started_) return;
    if (text.empty()) {
      std::fputs("\n", stderr);
      started_ = false;
      return;
    }
    const int percent = std::atoi(text.c_str());
    if (terminal_) {
      if (percent != shown_) std::fprintf(stderr, "\r%s %d%%", drawing_.c_str(), percent);
      shown_ = percent;
    } else if (shown_ < 0 || percent / 10 > shown_ / 10) {
      std::fprintf(stderr, " %d%%", percent / 10 * 10);
      shown_ = percent;
    }
    std::fflush(stderr);
  }
  void sizeMap(int width, int height) override {
    if (bitmapPath_) bitmap_ = std::make_unique<BmpStream>(*bitmapPath_, width, height);
  }
  void rowsFinished(const Raster& raster, int firstRow, int endRow) override {
    if (!bitmap_ || raster.width != bitmap_->width() || raster.height != bitmap_->height()) return;
    // Rows out of turn wait for the end.
    for (int y = firstRow; y < endRow && y == bitmap_->rowsTaken(); ++y) bitmap_->takeRow(raster, y);
  }
  void clearMap() override { map = Raster(); }
  void showRows(const Raster& raster, int firstRow, int endRow) override {
    if (map.width != raster.width || map.height != raster.height) map = Raster(raster.width, raster.height);
    std::copy(raster.row(firstRow), raster.row(firstRow) + raster.rowBytes() * (endRow - firstRow),
              map.row(firstRow));
  }
  void showRaster(const Raster& raster) override { map = raster; }
  void takeRaster(Raster&& raster) override { map = std::move(raster); }
  void setBusy(bool) override {}
  void setAltitudeLabels(const std::string&, const std::string&) override {}
  void checkResolution(int) override {}
  void areaDrawCompleted() override {}
  void inform(const std::string& text) override {
    if (started_) std::fputs("\n", stderr);
    shown_ = -1;
    std::fprintf(stderr, "tarvelon-render: %s\n", text.c_str());
  }

 private:
  std::optional<std::string> bitmapPath_;
  std::unique_ptr<BmpStream> bitmap_;
  bool terminal_ = ::isatty(STDERR_FILENO) == 1;
  bool started_ = false;
  std::string drawing_;
  int shown_ = -1;
};

void writePng(const Raster& raster, const std::string& path) {
  const QImage image(raster.pixels.data(), raster.width, raster.height, static_cast<qsizetype>(raster.rowBytes()),
                     QImage::Format_BGR888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw CommandError("cannot encode the map as PNG");
  AtomicFile file(path);
  file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  file.commit(false);
}

std::string outputPath(const MapOptions& options, const std::string& fallback) {
  return options.output ? *options.output : fallback;
}

// Saves the map and prints what the draw reported.
int finish(FileHost& host, const MapViewState& state, const MapOptions& options, const std::string& fallback) {
  if (host.map.empty()) throw CommandError("nothing was drawn");
  const std::string path = outputPath(options, fallback);
  if (options.kind == FileKind::Png) {
    writePng(host.map, path);
  } else {
    host.saveBitmap();
  }
  std::error_code ec;
  const std::string shown = std::filesystem::absolute(path, ec).string();
  std::printf("%s\n", host.legend.c_str());
  std::printf("%d x %d pixels, highest %d m, lowest %d m\n", host.map.width, host.map.height, state.altMax,
              state.altMin);
  std::printf("written to %s\n", ec ? path.c_str() : shown.c_str());
  std::fflush(stdout);
  return 0;
}

MapViewState baseState(const MapOptions& options) {
  MapViewState state;
  state.colourScheme = options.scheme;
  state.shadingMode = options.mode;
  state.bandLimits = options.bands;
  state.drawInBackground = 1;  // nothing to show until the map is done
  return state;
}

}  // namespace

int runTile(Args& args) {
  MapOptions options = parseMapOptions(args);
  if (options.positional.size() != 1) throw UsageError("give one tile number, 1 to 16");
  const int number = parseInteger(options.positional[0], "the tile number", 1, kTileCount);

  MapViewState state = baseState(options);
  loadTileSet(options, state);
  state.mapKind = 1;
  state.sampleStep = options.step.value_or(24);
  state.resolutionIndex = resolutionIndexOfStep(state.sampleStep, 0);
  state.tilePath = tilePath(state.demFolder, state.tileNames[number - 1]);
  state.mapTitle = "Tile: " + state.tileNames[number - 1];

  const std::string fallback = "tile_" + std::to_string(number) + "_step" + std::to_string(state.sampleStep) + ".bmp";
  FileHost host(options.kind == FileKind::Bmp ? std::optional(outputPath(options, fallback)) : std::nullopt);
  drawTile(state, host);
  return finish(host, state, options, fallback);
}

int drawAreaMap(Args& args, const std::function<AreaMapRequest(const std::vector<std::string>&)>& choose) {
  MapOptions options = parseMapOptions(args);
  const AreaMapRequest request = choose(options.positional);

  const FittedArea fitted = fitArea(request.west, request.north, request.east, request.south);
  if (!fitted.drawable) throw CommandError(fitted.refusal);
  const AreaBounds& area = fitted.bounds;
  const int step = options.step.value_or(chooseStep(area.west, area.north, area.east, area.south));
  const AreaLayout layout = layoutArea(area, step);
  if (layout.pixels() > kMaxAreaPixels) {
    throw CommandError("the map would be " + std::to_string(layout.rasterWidth) + " x " +
                       std::to_string(layout.rasterHeight) + " pixels, more than " +
                       std::to_string(kMaxAreaPixels / 1000000) + " million: choose a larger --step");
  }

  MapViewState state = baseState(options);
  loadTileSet(options, state);
  state.mapKind = 0;
  if (options.step) {
    state.sampleStep = *options.step;
    state.autoResolution = 0;
  } else {
    // As after opening the Map Area menu: the draw chooses its own step.
    state.sampleStep = 4;
    state.autoResolution = 1;
  }
  state.mapTitle = request.title;
  state.mapName = request.name;

  const std::string fallback = request.fallbackName(area, step);
  FileHost host(options.kind == FileKind::Bmp ? std::optional(outputPath(options, fallback)) : std::nullopt);
  if (drawArea(request.west, request.north, request.east, request.south, state, host) != AreaDrawResult::Completed) {
    throw CommandError("nothing was drawn");
  }
  return finish(host, state, options, fallback);
}

int runArea(Args& args) {
  return drawAreaMap(args, [](const std::vector<std::string>& positional) {
    if (positional.size() != 4) throw UsageError("give the area as four numbers: WEST NORTH EAST SOUTH");
    int bounds[4];
    const char* names[4] = {"WEST", "NORTH", "EAST", "SOUTH"};
    for (int i = 0; i < 4; ++i) bounds[i] = parseInteger(positional[i], names[i], -100000, 100000);
    auto fallback = [](const AreaBounds& area, int step) {
      auto number = [](int value) { return std::to_string(value); };
      return "area_" + number(area.west) + "_" + number(area.north) + "_" + number(area.east) + "_" +
             number(area.south) + "_step" + number(step) + ".bmp";
    };
    return AreaMapRequest{bounds[0], bounds[1], bounds[2], bounds[3], "User selection", "User selection", fallback};
  });
}

}  // namespace tarvelon::cli
