// tarvelon-render tile and area: maps drawn to a BMP, PNG or GeoTIFF file,
// streamed to it row by row, with their place on Mars; or held, and saved
// framed with a legend.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Settings.h"
#include "core/AtomicFile.h"
#include "core/MessageText.h"
#include "dem/GridSampler.h"
#include "dem/TileNames.h"
#include "export/MapFile.h"
#include "render/AreaRenderer.h"
#include "render/BmpWriter.h"
#include "render/Hillshade.h"
#include "render/MapPlan.h"
#include "render/Resolution.h"
#include "render/Projection.h"
#include "render/TileRenderer.h"
#include "render/WindowRenderer.h"
#include "select/PlaceFrame.h"
#include "tools/Commands.h"
#include "tools/LegendModule.h"
#include "tools/Progress.h"

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
  "  --hillshade       relief shading: the colours lit by a sun over the terrain (Horn's\n"          \
  "                    slope on the drawn samples, on the Mars sphere)\n"                            \
  "  --sun AZ,ALT      the sun's azimuth (degrees clockwise from north) and altitude\n"              \
  "                    (degrees above the horizon); default 315,45\n"                                \
  "  --exaggeration Z  heights multiplied by Z for the shading (default: the pixel's\n"              \
  "                    size in samples to the power 0.6, 1 at --step 1, 4 at 10)\n"                  \
  "  --shade-only      the relief shading alone, as an 8-bit grey map\n"                             \
  "  --elevation       the samples themselves (metres) as a 16-bit signed GeoTIFF;\n"                \
  "                    samples outside -8200 .. 21250 m and pixels with no sample\n"                 \
  "                    behind them are nodata (-32768)\n"                                            \
  "  --data DIR        folder holding the sixteen MEGDR128 tiles (megt*.img); default: the\n"        \
  "                    folder named in megdr128.cfg in the current folder\n"                         \
  "  --legend          the map framed with its title, latitudes and longitudes, a colour\n"          \
  "                    bar marked with its highest and lowest elevation, a scale bar and\n"          \
  "                    the data's credit, as a .bmp or .png picture (no world file); the\n"          \
  "                    map is then held in memory, up to 500 million pixels. A projected\n"       \
  "                    map gets its meridians and parallels drawn as the curves they\n"        \
  "                    become and a scale bar true at its centre\n"                              \
  "  --labels          the IAU names of Mars written on the map: each feature at least\n"          \
  "                    24 pixels across (albedo features counted as 500 km), the largest\n"       \
  "                    first, never overlapping; regions in spaced capitals, mountains\n"        \
  "                    bold, valleys and troughs italic in blue, craters upright; dark\n"         \
  "                    text in a pale halo. Not with --shade-only or --elevation\n"               \
  "  --projection P    equirectangular (simple cylindrical, the default), north-polar or\n"         \
  "                    south-polar (polar stereographic, true to scale at the pole), globe\n"    \
  "                    (orthographic: the planet seen from space), or auto (polar for an\n"     \
  "                    area wholly poleward of 60 degrees, simple cylindrical otherwise).\n"    \
  "                    A polar map shows the area and nothing outside it; each pixel of a\n"   \
  "                    projected map shows the sample of the tiles under its centre\n"          \
  "  --centre LON,LAT  the point the globe is centred on (default: the map's centre)\n"          \
  "  --size PIXELS     a projected map's longer side (the globe's diameter, default 1024)\n"    \
  "  --scale KM        a projected map's pixel size in km, true at the map's centre\n"         \
  "                    (default for a polar map: the step's, 0.463 km at --step 1)\n"          \
  "  -o FILE           the map file: .bmp (Windows bitmap, up to 4 GB), .png or .tif\n"              \
  "                    (GeoTIFF). A BMP or PNG gets a world file (.bpw, .pgw), a .prj and\n"         \
  "                    a NAME.aux.xml beside it, which place the map in longitude and\n"            \
  "                    latitude on the Mars 2000 sphere (ESRI:104971), or in metres in its\n"     \
  "                    projection; a GeoTIFF holds the same. A colour PNG or GeoTIFF is\n"     \
  "                    transparent where no sample lies behind a pixel; a projected map\n"    \
  "                    is white there. The map is written as it is drawn.\n"

}  // namespace

const char* const kTileUsage =
    "Usage: tarvelon-render tile N [--step S] [--scheme S] [--mode M] [--user-colours TOP BOTTOM]\n"
    "                              [--hillshade] [--sun AZ,ALT] [--exaggeration Z] [--shade-only]\n"
    "                              [--elevation] [--legend] [--labels] [--data DIR] [-o FILE]\n"
    "                              [--projection P] [--centre LON,LAT] [--size PIXELS | --scale KM]\n"
    "\n"
    "Draws the whole tile N (1..16, numbered as in the File menu) and saves the map.\n"
    "Without --step the tile is drawn at 5 % (step 24), without -o it goes to\n"
    "tile_N_stepS.bmp in the current folder (tile_N_stepS_elevation.tif with\n"
    "--elevation, _shade.bmp with --shade-only, _legend.bmp with --legend).\n"
    "\n" MAP_OPTIONS_HELP;

const char* const kAreaUsage =
    "Usage: tarvelon-render area WEST NORTH EAST SOUTH [--step S] [--scheme S] [--mode M]\n"
    "                           [--user-colours TOP BOTTOM] [--hillshade] [--sun AZ,ALT]\n"
    "                           [--exaggeration Z] [--shade-only] [--elevation] [--legend]\n"
    "                           [--labels] [--data DIR] [-o FILE] [--projection P]\n"
    "                           [--centre LON,LAT] [--size PIXELS | --scale KM]\n"
    "\n"
    "Draws the rectangle of whole degrees WEST..EAST (east-positive longitudes; EAST may\n"
    "pass 180) and NORTH..SOUTH and saves the map. Negative numbers are written as they\n"
    "are: tarvelon-render area -60 58 0 32. Without --step the step is chosen from the\n"
    "area's size, as the first area drawn after opening the Map Area menu; without -o\n"
    "the map goes to area_WEST_NORTH_EAST_SOUTH_stepS.bmp in the current folder\n"
    "(with _elevation.tif, _shade.bmp or _legend.bmp in place of .bmp for --elevation,\n"
    "--shade-only or --legend). Any area fits: the whole planet at 100 % is\n"
    "tarvelon-render area -180 88 180 -88 --step 1 -o mars.png\n"
    "\n" MAP_OPTIONS_HELP;

namespace {

struct MapOptions {
  std::optional<int> step;
  std::optional<std::string> projection;  // a keyword of projectionOfKeyword, or "auto"
  std::optional<GeoPoint> centre;
  std::optional<int> size;
  std::optional<double> scale;  // km a pixel
  Colouring colouring;  // relief shading for --hillshade; the exaggeration 0 by the pixel size
  RowSink::Content content = RowSink::Content::Colour;
  bool legend = false;
  bool labels = false;
  std::optional<std::string> data;
  std::optional<std::string> output;
  std::vector<std::string> positional;
};

// The longest side of a projected map, in pixels.
constexpr int kMaxProjectedSide = 200000;

MapOptions parseMapOptions(Args& args) {
  MapOptions options;
  const auto stepText = args.option("--step");
  const auto schemeText = args.option("--scheme");
  const auto modeText = args.option("--mode");
  const auto userColours = args.option("--user-colours", 2);
  const auto sunText = args.option("--sun");
  const auto exaggerationText = args.option("--exaggeration");
  options.colouring.reliefShading = args.flag("--hillshade") ? 1 : 0;
  const bool shadeOnly = args.flag("--shade-only");
  const bool elevation = args.flag("--elevation");
  options.legend = args.flag("--legend");
  options.labels = args.flag("--labels");
  options.data = args.option("--data");
  options.output = args.option("-o");
  options.projection = args.option("--projection");
  const auto centreText = args.option("--centre");
  const auto sizeText = args.option("--size");
  const auto scaleText = args.option("--scale");
  options.positional = args.positional();

  if (stepText) {
    const int step = parseInteger(*stepText, "the step", 1, 24);
    if (std::find(kStepOfResolution.begin(), kStepOfResolution.end(), step) == kStepOfResolution.end()) {
      throw UsageError("the step must be 1, 2, 3, 4, 8, 10, 13 or 24, not " + *stepText);
    }
    options.step = step;
  }
  if (options.projection && *options.projection != "auto" && !projectionOfKeyword(*options.projection)) {
    throw UsageError("the projection must be equirectangular, north-polar, south-polar, globe or auto, not " +
                     quote(*options.projection));
  }
  const bool globe = options.projection && *options.projection == "globe";
  const bool projectable = options.projection && *options.projection != "equirectangular";
  if (centreText) {
    if (!globe) throw UsageError("--centre places the globe: add --projection globe");
    const std::size_t comma = centreText->find(',');
    if (comma == std::string::npos) throw UsageError("--centre takes LONGITUDE,LATITUDE, for example 70,-40");
    options.centre = GeoPoint{parseDecimal(centreText->substr(0, comma), "the centre's longitude", -360, 360),
                              parseDecimal(centreText->substr(comma + 1), "the centre's latitude", -90, 90)};
  }
  if (sizeText && scaleText) throw UsageError("give either --size or --scale, not both");
  if (globe && stepText) throw UsageError("--step does not size a globe: give --size PIXELS or --scale KM");
  if ((sizeText || scaleText) && !projectable) {
    throw UsageError(std::string(sizeText ? "--size" : "--scale") +
                     " sizes a projected map: add --projection north-polar, south-polar, globe or auto");
  }
  if (sizeText) options.size = parseInteger(*sizeText, "the size", 16, kMaxProjectedSide);
  if (scaleText) {
    options.scale = parseDecimal(*scaleText, "the scale", 0, 100000);
    if (*options.scale < 0.01) throw UsageError("the scale must be at least 0.01 km a pixel");
  }
  if (userColours && schemeText) throw UsageError("give either --scheme or --user-colours, not both");
  Colouring& colouring = options.colouring;
  if (schemeText) colouring.colourScheme = parseInteger(*schemeText, "the scheme", 0, 5);
  if (modeText) colouring.shadingMode = parseInteger(*modeText, "the mode", 0, 3);
  if (userColours) {
    const int top = parseInteger((*userColours)[0], "TOP", -100000, 100000);
    const int bottom = parseInteger((*userColours)[1], "BOTTOM", -100000, 100000);
    if (top < bottom) {
      throw UsageError("TOP (" + std::to_string(top) + ") lies below BOTTOM (" + std::to_string(bottom) + ")");
    }
    colouring.colourScheme = kUserColours;
    colouring.bandLimits = buildBandLimits(top, bottom);
  }
  if (sunText) {
    const std::size_t comma = sunText->find(',');
    if (comma == std::string::npos) throw UsageError("--sun takes AZIMUTH,ALTITUDE, for example 315,45");
    colouring.sunAzimuth = parseDecimal(sunText->substr(0, comma), "the sun's azimuth", 0, 360);
    colouring.sunAltitude = parseDecimal(sunText->substr(comma + 1), "the sun's altitude", 0, 90);
    if (colouring.sunAltitude <= 0) throw UsageError("the sun's altitude must lie above 0 (the horizon)");
  }
  if (exaggerationText) {
    colouring.reliefExaggeration = parseDecimal(*exaggerationText, "the exaggeration", 0, 1000);
    if (colouring.reliefExaggeration <= 0) throw UsageError("the exaggeration must be more than 0");
  }
  if (shadeOnly && elevation) throw UsageError("give either --shade-only or --elevation, not both");
  if (elevation && (colouring.reliefShading == 1 || sunText || exaggerationText)) {
    throw UsageError("--elevation writes the samples themselves: the shading options do not apply");
  }
  if ((shadeOnly || elevation) && (schemeText || modeText || userColours)) {
    throw UsageError(std::string(shadeOnly ? "--shade-only" : "--elevation") +
                     " draws no colours: --scheme, --mode and --user-colours do not apply");
  }
  if (options.legend && (shadeOnly || elevation)) {
    throw UsageError(std::string("--legend frames a coloured map: it does not go with ") +
                     (shadeOnly ? "--shade-only" : "--elevation"));
  }
  if (options.labels && (shadeOnly || elevation)) {
    throw UsageError(std::string("--labels writes names on a coloured map: it does not go with ") +
                     (shadeOnly ? "--shade-only" : "--elevation"));
  }
  if (shadeOnly) {
    options.content = RowSink::Content::Light;
    colouring.reliefShading = 1;
  }
  if (elevation) options.content = RowSink::Content::Elevation;
  if ((sunText || exaggerationText) && colouring.reliefShading != 1) {
    throw UsageError("--sun and --exaggeration shape the relief shading: add --hillshade or --shade-only");
  }
  if (options.output) {
    const auto format = mapFormatOf(*options.output);
    if (!format) throw UsageError("the map file must end in .bmp, .png or .tif: " + *options.output);
    if (elevation && *format != MapFormat::GeoTiff) {
      throw UsageError("--elevation writes a 16-bit GeoTIFF: the file must end in .tif, not " + *options.output);
    }
    if (options.legend && *format == MapFormat::GeoTiff) {
      throw UsageError("a map with its legend is a picture, not a GeoTIFF: the file must end in .bmp or .png, not " +
                       *options.output);
    }
  }
  return options;
}

// The data folder and its tile names, from --data or the settings file.
void loadTileSet(const MapOptions& options, MapViewState& state) {
  const std::string folder = dataFolderOf(options.data);
  state.tileNames = tileNamesOf(folder);
  state.demFolder = folder;
}

// Where the rows of a map go: its file, or a raster held for the legend.
struct MapRows {
  RowSink& sink;
  int width;
  int height;
  std::function<int()> rowsDone;  // rows 0 .. rowsDone() - 1 are done
};

// Hands the map's rows to their sink as the renderer finishes each row,
// and shows the progress on standard error from the start of the draw to
// its end.
class FileHost : public DrawHost {
 public:
  std::string legend;
  bool sized = false;

  explicit FileHost(MapRows rows) : rows_(std::move(rows)) {}

  RowSink* rowSink() override { return &rows_.sink; }
  void processEvents() override {}
  void setLegend(const std::string& text) override { legend = text; }
  void drawStarted() override { progress_.start(legend, rows_.height); }
  void drawFinished() override {
    if (rows_.rowsDone() == rows_.height) {
      progress_.finish(rows_.height);
    } else {
      progress_.interrupt();
    }
  }
  void setPercent(const std::string& text) override {
    if (text.empty()) {
      // The end of a draw that failed part way (a finished one ended the line).
      progress_.interrupt();
    } else {
      progress_.update(rows_.rowsDone());
    }
  }
  // The file was made from the draw's plan: the renderer sizes the same map.
  void sizeMap(int width, int height) override {
    if (width != rows_.width || height != rows_.height) {
      throw CommandError("the map came out " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels, not the " + std::to_string(rows_.width) + " x " + std::to_string(rows_.height) +
                         " its file was made for");
    }
    sized = true;
  }
  void clearMap() override {}
  void showRows(const Raster&, int, int) override {}
  void showRaster(const Raster&) override {}
  void setBusy(bool) override {}
  void setAltitudeLabels(const std::string&, const std::string&) override {}
  void checkResolution(int) override {}
  void areaDrawCompleted() override {}
  void inform(const std::string& text) override {
    progress_.interrupt();
    std::fprintf(stderr, "tarvelon-render: %s\n", text.c_str());
  }

 private:
  MapRows rows_;
  ProgressLine progress_{stderr, ::isatty(STDERR_FILENO) == 1};
};

std::string outputPath(const MapOptions& options, const std::string& stem) {
  if (options.output) return *options.output;
  if (options.legend) return stem + "_legend.bmp";
  switch (options.content) {
    case RowSink::Content::Elevation: return stem + "_elevation.tif";
    case RowSink::Content::Light: return stem + "_shade.bmp";
    case RowSink::Content::Colour: break;
  }
  return stem + ".bmp";
}

// Prints what the draw reported, for a map written to `path`.
void report(const FileHost& host, const MapViewState& state, int width, int height, const std::string& path) {
  std::printf("%s\n", host.legend.c_str());
  if (state.altitudesFound == 1) {
    std::printf("%d x %d pixels, highest %d m, lowest %d m\n", width, height, state.altMax, state.altMin);
  } else {
    std::printf("%d x %d pixels, no sample within -8200 .. 21250 m\n", width, height);
  }
  std::printf("written to %s\n", shownPath(path).c_str());
}

// Holds the map's rows in memory, for a map saved with its legend; with
// `withMask`, also which pixels show a sample (a projected map's legend
// leaves the others white).
class RasterRows : public RowSink {
 public:
  RasterRows(int width, int height, bool withMask) : raster(width, height), withMask_(withMask) {}
  Content content() const override { return Content::Colour; }
  std::uint8_t* rowBuffer(int y) override { return raster.row(y); }
  std::uint8_t* maskBuffer(int y) override { return withMask_ ? raster.maskRow(y) : nullptr; }
  void rowDone(int y) override { done_ = y + 1; }
  int done() const { return done_; }

  Raster raster;

 private:
  bool withMask_ = false;
  int done_ = 0;
};

}  // namespace

namespace {

// The legend module's entry point `symbol`, for `option`.
void* legendModuleSymbol(const char* symbol, const char* option) {
  // Beside the tool in the build tree, in the library folder once installed.
  std::string path = besideTool(kLegendModuleName);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    path = besideTool(std::string(TARVELON_INSTALLED_MODULE_DIR) + "/" + kLegendModuleName);
  }
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  const char* problem = module == nullptr ? ::dlerror() : nullptr;
  void* entry = module != nullptr ? ::dlsym(module, symbol) : nullptr;
  if (entry == nullptr) {
    throw CommandError(std::string(option) + " needs the legend module " + quote(path) +
                       (problem != nullptr ? " (" + displaySafe(problem) + ")" : std::string(", which is not one")));
  }
  return entry;
}

}  // namespace

// A decimal number within [min, max].
double parseDecimal(const std::string& text, const std::string& what, double min, double max) {
  double value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  const bool whole = !text.empty() && begin != end && result.ptr == end;
  if (!whole || (result.ec != std::errc() && result.ec != std::errc::result_out_of_range) || std::isnan(value)) {
    throw UsageError(what + " must be a number, not " + quote(text));
  }
  // Beyond a double: infinite (1e400, out of range like any large number)
  // or as good as 0 (1e-400).
  if (result.ec == std::errc::result_out_of_range) value = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(value) || value < min || value > max) {
    throw UsageError(what + " " + quote(text) + " is out of range: it must lie between " +
                     std::to_string(static_cast<int>(min)) + " and " + std::to_string(static_cast<int>(max)));
  }
  return value;
}

std::string dataFolderOf(const std::optional<std::string>& data) {
  std::string folder;
  if (data) {
    folder = *data;
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
  return folder;
}

std::string shownPath(const std::string& path) {
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(path, ec).string();
  return ec ? path : absolute;
}

SaveProfilePicture loadProfilePictureModule() {
  return reinterpret_cast<SaveProfilePicture>(legendModuleSymbol("tarvelonSaveProfilePicture", "a PNG profile"));
}

SaveRasterWithLegend loadLegendModule() {
  return reinterpret_cast<SaveRasterWithLegend>(legendModuleSymbol("tarvelonSaveRasterWithLegend", "--legend"));
}

LabelSprites loadLabelModule() {
  return reinterpret_cast<LabelSprites>(legendModuleSymbol("tarvelonLabelSprites", "--labels"));
}

namespace {

// Draws the map of `geometry` with `draw` and saves it to `path`: streamed
// into its file, or held and framed with its legend.
int drawAndSave(const MapOptions& options, MapViewState& state, const MapGeometry& geometry, const std::string& path,
                const std::function<bool(MapViewState&, DrawHost&)>& draw) {
  const int width = geometry.width();
  const int height = geometry.height();
  // The names are placed from the map's plan, before a sample is read.
  LabelOverlay labels;
  if (options.labels) loadLabelModule()(geometry, labels);
  if (options.legend) {
    if (std::int64_t(width) * height > kMaxAreaPixels) {
      throw CommandError("a map with its legend is held in memory, at most " +
                         std::to_string(kMaxAreaPixels / 1000000) + " million pixels; this one would be " +
                         std::to_string(width) + " x " + std::to_string(height) + ". Choose a larger --step.");
    }
    // Found missing or unwritable now rather than after the draw.
    const SaveRasterWithLegend saveWithLegend = loadLegendModule();
    { const AtomicFile probe(path); }
    RasterRows rows(width, height, geometry.projection() != nullptr);
    FileHost host(MapRows{rows, width, height, [&rows] { return rows.done(); }});
    if (!draw(state, host)) throw CommandError("nothing was drawn");
    // A projected map's names go over its graticule, which the legend
    // draws; a simple cylindrical map has none and takes them now.
    const bool projected = geometry.projection() != nullptr;
    if (!projected) labels.blendRaster(rows.raster);
    saveWithLegend(rows.raster, geometry, state, projected ? labels : LabelOverlay(), path);
    report(host, state, width, height, path);
    flushStandardOutput();
    return 0;
  }
  MapFileSpec spec;
  spec.path = path;
  spec.format = *mapFormatOf(path);
  spec.width = width;
  spec.height = height;
  spec.content = options.content;
  spec.georeference = geometry.transform();
  spec.transparency = true;
  if (geometry.projection() != nullptr) spec.projection = geometry.projection()->projection;
  // A map that cannot be saved (past its format's limit, an unwritable
  // folder, a full disk) is refused before anything is drawn.
  const std::string problem = mapFileProblem(spec);
  if (!problem.empty()) throw CommandError("cannot write " + quote(path) + ": " + problem);
  MapFile file(spec);
  // Each row is labelled just before it goes to the file.
  LabelledRows labelled(file, labels, width);
  RowSink& sink = labels.empty() ? static_cast<RowSink&>(file) : labelled;
  FileHost host(MapRows{sink, width, height, [&file] { return file.rowsDone(); }});
  if (!draw(state, host)) throw CommandError("nothing was drawn");
  file.commit();
  report(host, state, width, height, path);
  const std::vector<std::string> sidecars = sidecarPaths(spec);
  if (!sidecars.empty()) {
    std::printf("placed on Mars by %s, %s and %s\n", shownPath(sidecars[0]).c_str(), shownPath(sidecars[1]).c_str(),
                shownPath(sidecars[2]).c_str());
  }
  flushStandardOutput();
  return 0;
}

// The projected frame the options ask for, for a map of `bounds` whose
// simple cylindrical form is drawn at `step`; nothing for simple
// cylindrical, which is drawn as it always has been.
std::optional<ProjectedFrame> projectedFrameFor(const MapOptions& options, GeoBounds bounds, int step) {
  if (!options.projection || *options.projection == "equirectangular") return std::nullopt;
  bounds.north = std::min(bounds.north, 90.0);
  bounds.south = std::max(bounds.south, -90.0);
  const ProjectionKind kind =
      *options.projection == "auto" ? automaticProjection(bounds) : *projectionOfKeyword(*options.projection);
  if (kind == ProjectionKind::Equirectangular) return std::nullopt;
  ProjectedFrame frame;
  if (kind == ProjectionKind::Globe) {
    GeoPoint centre{(bounds.west + bounds.east) / 2, (bounds.north + bounds.south) / 2};
    if (options.centre) centre = *options.centre;
    int size = options.size.value_or(1024);
    if (options.scale) {
      const double pixels = std::ceil(2 * kMarsRadius / (*options.scale * 1000) - 1e-9);
      if (pixels > kMaxProjectedSide) {
        char scale[32];
        std::snprintf(scale, sizeof scale, "%g", *options.scale);
        throw CommandError(std::string("a globe at ") + scale + " km a pixel would be more than " +
                           std::to_string(kMaxProjectedSide) + " pixels across: choose a larger --scale");
      }
      size = std::max(16, static_cast<int>(pixels));
    }
    return globeFrame(centre, size);
  }
  const std::string problem = projectionProblem(kind, bounds);
  if (!problem.empty()) throw CommandError(problem);
  double pixel = step * kMetresPerDegree / kSamplesPerDegree;
  if (options.scale) {
    // Pixels of that size on the ground at the map's centre, larger on the
    // plane by the projection's scale there.
    const std::optional<GeoPoint> centre = polarFrame(kind, bounds, 1000).centre();
    pixel = *options.scale * 1000 * projectionScale(MapProjection{kind}, centre ? centre->latitude : 0);
  }
  if (options.size) {
    const std::vector<double> e = polarExtent(kind, bounds);
    pixel = std::max(e[2] - e[0], e[1] - e[3]) / *options.size;
  }
  frame = polarFrame(kind, bounds, pixel);
  if (std::max(frame.width, frame.height) > kMaxProjectedSide) {
    throw CommandError("the map would be " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                       " pixels, more than " + std::to_string(kMaxProjectedSide) +
                       " across: choose a larger --scale or --step");
  }
  return frame;
}

// The area a simple cylindrical map of `geometry` shows.
GeoBounds boundsOf(const MapGeometry& geometry) {
  const GeoTransform t = geometry.transform();
  return GeoBounds{t.west, t.west + geometry.width() * t.pixelWidth, t.north, t.north - geometry.height() * t.pixelHeight};
}

std::string projectedStem(const std::string& stem, const ProjectedFrame& frame) {
  return stem + "_" + projectionKeyword(frame.projection.kind);
}

MapViewState baseState(const MapOptions& options) {
  MapViewState state;
  static_cast<Colouring&>(state) = options.colouring;
  state.drawInBackground = 1;  // nothing to show until the map is done
  return state;
}

// Draws the projected map of `frame` and saves it as drawAndSave does.
int drawProjected(const MapOptions& options, MapViewState& state, const ProjectedFrame& frame,
                  const std::string& path) {
  const auto openSource = [folder = state.demFolder, names = state.tileNames] {
    return std::make_unique<GridSampler>(folder, names);
  };
  return drawAndSave(options, state, MapGeometry::ofProjection(frame), path,
                     [&frame, &openSource](MapViewState& drawn, DrawHost& host) {
                       return drawProjectedFrame(frame, drawn, host, openSource) == WindowDrawResult::Completed;
                     });
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
  state.tileBox = tileBox(number - 1);
  state.mapTitle = "Tile: " + state.tileNames[number - 1];

  const MapPlan plan = planTile(number - 1, state.sampleStep);
  const std::string stem = "tile_" + std::to_string(number) + "_step" + std::to_string(state.sampleStep);
  if (const auto frame = projectedFrameFor(options, boundsOf(plan.geometry), state.sampleStep)) {
    return drawProjected(options, state, *frame, outputPath(options, projectedStem(stem, *frame)));
  }
  const std::string path = outputPath(options, stem);
  return drawAndSave(options, state, plan.geometry, path, [](MapViewState& drawn, DrawHost& host) {
    drawTile(drawn, host);
    return true;
  });
}

namespace {

// The map of a named place: its frame, drawn from the tiles' even grid.
int drawPlaceMap(const MapOptions& options, const NamedPlace& place) {
  const GridWindow window = placeWindow(place, options.step);
  MapViewState state = baseState(options);
  loadTileSet(options, state);
  state.mapKind = 2;
  state.sampleStep = window.step;
  state.resolutionIndex = resolutionIndexOfStep(window.step, 0);
  state.mapTitle = placeTitle(place);
  state.mapName = place.name;

  std::string stem = defaultMapFileName(place.name);
  stem = stem.substr(0, stem.size() - 4);
  const MapGeometry geometry = MapGeometry::ofWindow(window);
  if (auto frame = projectedFrameFor(options, boundsOf(geometry), window.step)) {
    if (frame->projection.kind != ProjectionKind::Globe) {
      // A polar map of a place is centred on it, as its simple cylindrical
      // frame is, and as tall on the ground.
      const double stepPixel = window.step * kMetresPerDegree / kSamplesPerDegree / window.zoom;
      const double ground = geometry.height() * stepPixel;
      const double scale = projectionScale(frame->projection, place.latitude);
      const double pixel = options.scale ? *options.scale * 1000 * scale : options.size ? ground / *options.size
                                                                                        : stepPixel;
      *frame = polarFrameAround(frame->projection.kind, GeoPoint{place.longitude, place.latitude}, ground, ground,
                                pixel);
    }
    return drawProjected(options, state, *frame, outputPath(options, projectedStem(stem, *frame)));
  }
  const std::string path = outputPath(options, stem);
  const auto openSource = [folder = state.demFolder, names = state.tileNames] {
    return std::make_unique<GridSampler>(folder, names);
  };
  return drawAndSave(options, state, MapGeometry::ofWindow(window), path,
                     [&window, &openSource](MapViewState& drawn, DrawHost& host) {
                       return drawGridWindow(window, drawn, host, openSource) == WindowDrawResult::Completed;
                     });
}

}  // namespace

int drawFeatureMap(Args& args, const std::function<FeatureMapRequest(const std::vector<std::string>&)>& choose) {
  MapOptions options = parseMapOptions(args);
  const FeatureMapRequest request = choose(options.positional);
  if (request.place != nullptr) return drawPlaceMap(options, *request.place);
  const AreaMapRequest& area = *request.area;

  // The map the draw will make: its file is made for it before the draw.
  // A file host keeps no raster: no area is too large for it.
  const MapPlan plan = planArea(area.west, area.north, area.east, area.south, options.step, false);
  if (plan.refusal == MapPlan::Refusal::TooSmall) {
    throw CommandError("the area is too small to draw at step " + std::to_string(plan.step));
  }
  if (!plan.drawable()) throw CommandError(plan.refusalText);

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
  state.mapTitle = area.title;
  state.mapName = area.name;

  const std::string stem = area.fallbackStem(plan.bounds, plan.step);
  const GeoBounds asked{double(area.west), double(area.east), double(area.north), double(area.south)};
  if (const auto frame = projectedFrameFor(options, asked, plan.step)) {
    return drawProjected(options, state, *frame, outputPath(options, projectedStem(stem, *frame)));
  }
  const std::string path = outputPath(options, stem);
  return drawAndSave(options, state, plan.geometry, path, [&area](MapViewState& drawn, DrawHost& host) {
    return drawArea(area.west, area.north, area.east, area.south, drawn, host) == AreaDrawResult::Completed;
  });
}

int drawAreaMap(Args& args, const std::function<AreaMapRequest(const std::vector<std::string>&)>& choose) {
  return drawFeatureMap(args, [&choose](const std::vector<std::string>& positional) {
    return FeatureMapRequest{choose(positional), nullptr};
  });
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
             number(area.south) + "_step" + number(step);
    };
    return AreaMapRequest{bounds[0], bounds[1], bounds[2], bounds[3], kCustomAreaName, kCustomAreaName, fallback};
  });
}

}  // namespace tarvelon::cli
