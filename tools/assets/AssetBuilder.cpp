// tarvelon-assets: makes the pictures that ship with the windows from the
// global 4-per-degree MOLA grid in assets/mola, so that anyone can rebuild
// them.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "tools/assets/Assets.h"
#include "tools/assets/Relief.h"

namespace tarvelon::assets {

namespace {

// The pictures, each built by a file of its own.
const Asset kAssets[] = {
    {"relief", "relief-preview.png: the shaded relief the pictures start from, 2 pixels per degree",
     buildReliefPreview, false},
    {"features", "help/features.html: the help page that lists the named features", buildFeaturePage, true},
    {"location", "locationmap.bmp: the location map window's picture, 480 x 240, 256 colours", buildLocationMap,
     true},
    {"annotated", "pictures/annotated-tiles.jpg: the annotated map of the sixteen tiles, 1440 x 720", buildAnnotatedMap,
     true},
    {"icon", "pictures/tarvelon-64.png: the program's icon, Mars as a globe, 64 x 64", buildProgramIcon, true},
    {"help", "help/pictures/*.png: the schemes, modes and user colours for the help pages", buildHelpPictures, true},
};

void usage(std::FILE* out) {
  std::fprintf(out,
               "Usage: tarvelon-assets [--grid GLOBAL.img] [--out DIR] [NAME ...]\n"
               "\n"
               "Makes the pictures that ship with Tarvelon's windows from the global MOLA\n"
               "grid (default: assets/mola/megt90n000cb.img) into DIR (default: assets).\n"
               "Without a NAME it makes every shipped picture. The pictures:\n");
  for (const Asset& asset : kAssets) {
    std::fprintf(out, "  %-12s %s%s\n", asset.name, asset.summary, asset.shipped ? "" : " (only when named)");
  }
}

}  // namespace

void buildReliefPreview(const AssetContext& context) {
  saveImage(reliefPicture(context.grid, 720, 360, ReliefStyle{}), context.out / "relief-preview.png");
}

}  // namespace tarvelon::assets

int main(int argc, char** argv) {
  using namespace tarvelon::assets;
  // Fonts and image formats need the Gui module, not a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  std::string gridPath = "assets/mola/megt90n000cb.img";
  std::filesystem::path out = "assets";
  std::vector<const Asset*> chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--help" || word == "-h") {
      usage(stdout);
      return 0;
    }
    if (word == "--grid" || word == "--out") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "tarvelon-assets: %s needs a value\n\n", word.c_str());
        usage(stderr);
        return 2;
      }
      if (word == "--grid") {
        gridPath = argv[++i];
      } else {
        out = argv[++i];
      }
      continue;
    }
    const Asset* found = nullptr;
    for (const Asset& asset : kAssets) {
      if (word == asset.name) found = &asset;
    }
    if (found == nullptr) {
      std::fprintf(stderr, "tarvelon-assets: no picture is called '%s'\n\n", word.c_str());
      usage(stderr);
      return 2;
    }
    chosen.push_back(found);
  }
  if (chosen.empty()) {
    for (const Asset& asset : kAssets) {
      if (asset.shipped) chosen.push_back(&asset);
    }
  }

  try {
    AssetContext context{tarvelon::demo::loadGlobalGrid(gridPath), out};
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    for (const Asset* asset : chosen) {
      std::printf("making %s\n", asset->name);
      std::fflush(stdout);
      asset->build(context);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvelon-assets: %s\n", error.what());
    return 1;
  }
  return 0;
}
