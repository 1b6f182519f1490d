// tarvelon-render names: the IAU names of Mars from the command line, found
// by rectangle, by distance, by kind and by name.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/MessageText.h"
#include "select/NameSearch.h"
#include "select/PlaceNames.h"
#include "tools/Commands.h"

namespace tarvelon::cli {

namespace {

constexpr double kDefaultNearKm = 100;

// A decimal number within [min, max].
double decimal(const std::string& text, const std::string& what, double min, double max) {
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  double value = 0;
  const auto result = std::from_chars(begin, end, value);
  if (begin == end || result.ptr != end || result.ec == std::errc::invalid_argument || std::isnan(value)) {
    throw UsageError(what + " must be a number, not " + quote(text));
  }
  if (result.ec != std::errc() || !std::isfinite(value) || value < min || value > max) {
    char range[64];
    std::snprintf(range, sizeof range, "between %g and %g", min, max);
    throw UsageError(what + " " + quote(text) + " is out of range: it must lie " + range);
  }
  return value;
}

// The shortest text that reads back as the same number: the file's own
// figures ("47.52", "3505").
std::string number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// The singular kinds of the built-in names, as --kind takes them.
std::set<std::string> knownKinds() {
  std::set<std::string> kinds;
  for (const NamedPlace& place : PlaceNames::builtIn().all()) kinds.insert(singularKind(place.kind));
  return kinds;
}

struct Rectangle {
  double west, north, east, south;
};

struct Near {
  double latitude, longitude, km;
};

struct NamesQuery {
  std::optional<Rectangle> within;
  std::optional<Near> near;
  std::optional<std::string> kind;  // singular
  std::string text;                 // empty: every name
};

NamesQuery parseQuery(Args& args) {
  NamesQuery query;
  if (const auto words = args.option("--within", 4)) {
    Rectangle r{};
    r.west = decimal((*words)[0], "WEST", -180, 180);
    r.north = decimal((*words)[1], "NORTH", -90, 90);
    r.east = decimal((*words)[2], "EAST", -180, 540);
    r.south = decimal((*words)[3], "SOUTH", -90, 90);
    if (r.east <= r.west || r.east - r.west > 360) {
      throw UsageError("EAST must lie east of WEST by at most 360 degrees; across 180 it goes on past it "
                       "(170 190 for 170 E to 170 W)");
    }
    if (r.north <= r.south) throw UsageError("NORTH must lie north of SOUTH");
    query.within = r;
  }
  const auto nearWords = args.option("--near", 2);
  const auto kmText = args.option("--km");
  if (nearWords) {
    const double km = kmText ? decimal(*kmText, "the distance", 0, 1e5) : kDefaultNearKm;
    query.near = Near{decimal((*nearWords)[0], "LAT", -90, 90), decimal((*nearWords)[1], "LON", -360, 360), km};
  } else if (kmText) {
    throw UsageError("--km is the distance of --near: give --near LAT LON too");
  }
  if (const auto kind = args.option("--kind")) {
    const std::set<std::string> kinds = knownKinds();
    const std::string singular = singularKind(*kind);
    if (kinds.count(singular) == 0) {
      std::string known;
      for (const std::string& k : kinds) known += (known.empty() ? "" : ", ") + k;
      throw UsageError("there is no kind " + quote(*kind) + "; the kinds are " + known);
    }
    query.kind = singular;
  }
  for (const std::string& word : args.positional()) query.text += (query.text.empty() ? "" : " ") + word;
  return query;
}

}  // namespace

const char* const kNamesUsage =
    "Usage: tarvelon-render names [NAME] [--within WEST NORTH EAST SOUTH]\n"
    "                             [--near LAT LON [--km R]] [--kind KIND]\n"
    "\n"
    "Lists the IAU names of Mars, one a line, as tab-separated columns: feature_id,\n"
    "name, kind, diameter_km, latitude, longitude (degrees, planetocentric, east\n"
    "positive, -180 to 180; albedo features have diameter 0). The options choose\n"
    "which, and they combine:\n"
    "\n"
    "  NAME          names that match the text, in any case and without its\n"
    "                diacritics, whole, at the start, at a word or within; close\n"
    "                spellings when few match (names nordenskiold, names jezzero)\n"
    "  --within W N E S  centres in the rectangle (degrees; EAST may pass 180:\n"
    "                --within 170 10 190 -10 crosses the 180 degree meridian)\n"
    "  --near LAT LON  centres within R km of the point (--km R, default 100),\n"
    "                nearest first, with the distance in km as a seventh column\n"
    "  --kind KIND   names of one kind, singular or plural: --kind vallis lists\n"
    "                the Vallis and the Valles names, --kind crater the craters\n"
    "\n"
    "Without --near the rows come best match first for a NAME, else in the order\n"
    "of the names file. Nothing found is an error (exit status 1).\n";

int runNames(Args& args) {
  const NamesQuery query = parseQuery(args);
  const PlaceNames& names = PlaceNames::builtIn();

  std::vector<const NamedPlace*> chosen;
  if (!query.text.empty()) {
    const NameSearch search({}, names);
    for (const NameMatch& match : search.find(query.text)) chosen.push_back(match.place);
  } else if (query.near) {
    chosen = names.near(query.near->latitude, query.near->longitude, query.near->km);
  } else {
    for (const NamedPlace& place : names.all()) chosen.push_back(&place);
  }

  std::unordered_set<const NamedPlace*> inside;
  if (query.within) {
    const Rectangle& r = *query.within;
    for (const NamedPlace* place : names.within(r.west, r.north, r.east, r.south)) inside.insert(place);
  }
  std::vector<std::pair<const NamedPlace*, double>> rows;  // with the distance for --near
  for (const NamedPlace* place : chosen) {
    if (query.kind && singularKind(place->kind) != *query.kind) continue;
    if (query.within && inside.count(place) == 0) continue;
    double distance = 0;
    if (query.near) {
      distance = surfaceDistanceKm(query.near->latitude, query.near->longitude, place->latitude, place->longitude);
      if (distance > query.near->km) continue;
    }
    rows.emplace_back(place, distance);
  }
  if (query.near && !query.text.empty()) {
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  }
  if (rows.empty()) throw CommandError("no IAU name is as asked");

  for (const auto& [place, distance] : rows) {
    std::printf("%d\t%s\t%s\t%s\t%s\t%s", place->id, place->name.c_str(), place->kind.c_str(),
                number(place->diameterKm).c_str(), number(place->latitude).c_str(), number(place->longitude).c_str());
    if (query.near) std::printf("\t%.1f", distance);
    std::printf("\n");
  }
  flushStandardOutput();
  return 0;
}

}  // namespace tarvelon::cli
