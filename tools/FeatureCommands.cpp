// tarvelon-render features and feature: the gazetteer from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "core/MessageText.h"
#include "render/BmpWriter.h"
#include "select/Gazetteer.h"
#include "select/NameSearch.h"
#include "select/PlaceNames.h"
#include "tools/Commands.h"

namespace tarvelon::cli {

namespace {

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

std::string rectangle(const FeatureRow& row) {
  return std::to_string(row.west) + " " + std::to_string(row.north) + " " + std::to_string(row.east) + " " +
         std::to_string(row.south);
}

// The IAU place that `name` names: "iau:ID", or its name without regard to
// case or diacritics; nullptr when it names none. Several of one name are
// refused with their ids.
const NamedPlace* placeNamed(const std::string& name) {
  const PlaceNames& places = PlaceNames::builtIn();
  if (name.rfind("iau:", 0) == 0) {
    const NamedPlace* place = nullptr;
    const std::string digits = name.substr(4);
    if (!digits.empty() && digits.size() < 10 && digits.find_first_not_of("0123456789") == std::string::npos) {
      place = places.byId(std::stoi(digits));
    }
    if (place == nullptr) throw CommandError("no IAU feature has the id " + quote(digits));
    return place;
  }
  const std::vector<const NamedPlace*> found = places.named(name);
  if (found.size() <= 1) return found.empty() ? nullptr : found.front();
  std::string message = quote(name) + " names " + std::to_string(found.size()) +
                        " IAU features; give the id of the one to draw:";
  for (const NamedPlace* place : found) {
    message += "\n  iau:" + std::to_string(place->id) + "  " + placeTitle(*place);
  }
  throw CommandError(message);
}

const FeatureRow& featureNamed(const std::string& name) {
  const std::vector<const FeatureRow*> rows = featuresNamed(name);
  if (rows.size() == 1) return *rows.front();
  if (rows.empty()) {
    std::string message = "no feature is called " + quote(name);
    const std::vector<std::string> closest = closestCaptions(name);
    if (!closest.empty()) {
      message += "; the closest:";
      for (std::size_t i = 0; i < closest.size(); ++i) message += (i == 0 ? " \"" : ", \"") + closest[i] + "\"";
    }
    message += ".";
    // The IAU's names that come nearest, as Find a Feature offers them.
    std::vector<std::string> places;
    for (const NameMatch& match : NameSearch().find(name)) {
      if (match.isPlace() && places.size() < 5) places.emplace_back(match.name);
    }
    if (!places.empty()) {
      message += " Of the IAU's names:";
      for (std::size_t i = 0; i < places.size(); ++i) message += (i == 0 ? " \"" : ", \"") + places[i] + "\"";
      message += ".";
    }
    throw CommandError(message + " 'tarvelon-render features' lists all " + std::to_string(kFeatureCount) +
                       ", 'tarvelon-render names' the IAU's.");
  }
  std::string message = quote(name) + " names " + std::to_string(rows.size()) +
                        " features; give the component name of the one to draw:";
  for (const FeatureRow* row : rows) {
    message += std::string("\n  ") + row->component + "  " + featureTitle(row->family, row->caption) + ", " +
               rectangle(*row) + " (west north east south)";
  }
  throw CommandError(message);
}

}  // namespace

const char* const kFeaturesUsage =
    "Usage: tarvelon-render features\n"
    "\n"
    "Prints the 212 features of the Map Area menu in menu order, one a line, as\n"
    "tab-separated columns: family, component name, caption, west, north, east,\n"
    "south (whole degrees, east-positive; an east bound above 180 continues across\n"
    "the 180 degree meridian). The family is the command that draws it: planitiae,\n"
    "CrateredTerrain, Crater, Mountains, Valleys or Plateau.\n";

const char* const kFeatureUsage =
    "Usage: tarvelon-render feature NAME [--iau] [--step S] [--scheme S] [--mode M]\n"
    "                              [--user-colours TOP BOTTOM] [--hillshade] [--sun AZ,ALT]\n"
    "                              [--exaggeration Z] [--shade-only] [--elevation] [--legend]\n"
    "                              [--labels] [--data DIR] [-o FILE]\n"
    "\n"
    "Draws a feature of the Map Area menu and saves the map: the same map as 'area'\n"
    "draws for the feature's rectangle. NAME is the feature's caption, in any case\n"
    "(quote it, or give its words one after another: feature Olympus Mons), or its\n"
    "component name such as m_m031 where a caption names more than one feature.\n"
    "'tarvelon-render features' lists them all.\n"
    "\n"
    "NAME may also be any of the 1,903 names of Mars approved by the IAU, without\n"
    "regard to case or accents (feature jezero, feature nordenskiold), or iau:ID\n"
    "with the id 'tarvelon-render names' lists. Such a place is drawn centred on\n"
    "its own sample and framed around it, about three times its diameter (1200 km\n"
    "for an albedo feature), square on the ground, at the step that keeps the map\n"
    "within 1200 pixels; a place too small to see at one pixel a sample, such as\n"
    "Victoria (0.9 km), is magnified up to 8 pixels a sample. Its title is its name\n"
    "and kind: Jezero (crater, 48 km). A name in both lists draws the menu's\n"
    "feature; --iau draws the IAU place.\n"
    "\n"
    "The options are those of 'area' (see 'tarvelon-render area --help'). Without\n"
    "--step the step is chosen from the feature's size, as in the window; without\n"
    "-o the map goes to NAME.bmp in the current folder, the name Save Map offers\n"
    "(NAME_legend.bmp with --legend, NAME_shade.bmp with --shade-only,\n"
    "NAME_elevation.tif with --elevation).\n";

int runFeatures(Args& args) {
  const auto extra = args.positional();
  if (!extra.empty()) throw UsageError("unexpected argument " + extra.front());
  for (const FeatureRow& row : featureRows()) {
    std::printf("%s\t%s\t%s\t%d\t%d\t%d\t%d\n", familyInfo(row.family).command, row.component, row.caption, row.west,
                row.north, row.east, row.south);
  }
  flushStandardOutput();
  return 0;
}

int runFeature(Args& args) {
  const bool iau = args.flag("--iau");
  return drawFeatureMap(args, [iau](const std::vector<std::string>& positional) -> FeatureMapRequest {
    if (positional.empty()) throw UsageError("give the name of a feature, e.g. Gale or \"Olympus Mons\"");
    const std::string name = joined(positional);
    // The menu's features first, as they always were; then the IAU's.
    if (iau || featuresNamed(name).empty()) {
      if (const NamedPlace* place = placeNamed(name)) return FeatureMapRequest{std::nullopt, place};
      if (iau) throw CommandError("no IAU feature is called " + quote(name) + ". 'tarvelon-render names' lists them.");
    }
    const FeatureRow& row = featureNamed(name);
    auto fallback = [name = std::string(row.caption)](const AreaBounds&, int) {
      // The name Save Map offers, the extension left to the map's format.
      std::string stem = defaultMapFileName(name);
      return stem.substr(0, stem.size() - 4);
    };
    return FeatureMapRequest{AreaMapRequest{row.west, row.north, row.east, row.south,
                                            featureTitle(row.family, row.caption), row.caption, fallback},
                             nullptr};
  });
}

}  // namespace tarvelon::cli
