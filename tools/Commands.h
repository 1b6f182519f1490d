// The subcommands of tarvelon-render.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/AreaRenderer.h"
#include "select/PlaceNames.h"
#include "tools/Cli.h"

namespace tarvelon::cli {

struct Command {
  const char* name;
  const char* summary;
  const char* usage;  // full help text of the subcommand
  int (*run)(Args& args);
};

int runPalette(Args& args);
extern const char* const kPaletteUsage;

int runMakeData(Args& args);
extern const char* const kMakeDataUsage;

int runTile(Args& args);
extern const char* const kTileUsage;
int runArea(Args& args);
extern const char* const kAreaUsage;

// What `area` and `feature` draw: the rectangle as given, the map's title
// and name, and the file written without -o, from the rectangle fitted to
// the tile set and the step.
struct AreaMapRequest {
  int west;
  int north;
  int east;
  int south;
  std::string title;
  std::string name;
  // The file name without its extension, for a map saved without -o.
  std::function<std::string(const AreaBounds& area, int step)> fallbackStem;
};
// Takes the map options of `area`, has `choose` make the request from the
// remaining words, draws it and saves the map. The map is the same for the
// same rectangle and options, whatever the title.
int drawAreaMap(Args& args, const std::function<AreaMapRequest(const std::vector<std::string>& positional)>& choose);

// What `feature` draws: a menu feature's rectangle, or the frame around a
// named place of the IAU's list.
struct FeatureMapRequest {
  std::optional<AreaMapRequest> area;
  const NamedPlace* place = nullptr;
};
// As drawAreaMap, for a request that may be a named place: its frame drawn
// from the tiles' even grid (placeWindow; --step sets its step).
int drawFeatureMap(Args& args,
                   const std::function<FeatureMapRequest(const std::vector<std::string>& positional)>& choose);

int runFeatures(Args& args);
extern const char* const kFeaturesUsage;
int runFeature(Args& args);
extern const char* const kFeatureUsage;

int runNames(Args& args);
extern const char* const kNamesUsage;

int runProfile(Args& args);
extern const char* const kProfileUsage;

// A decimal number within [min, max]; otherwise a UsageError that names
// `what` and quotes the text.
double parseDecimal(const std::string& text, const std::string& what, double min, double max);
// The data folder: `data` (--data), else the one megdr128.cfg in the
// current folder names. A CommandError when there is none or it is no
// folder.
std::string dataFolderOf(const std::optional<std::string>& data);
// `path` as an absolute path, for telling the user where a file went.
std::string shownPath(const std::string& path);

}  // namespace tarvelon::cli
