#include "select/PlaceNames.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "core/SmallFile.h"

// The CSV text of assets/names/mars-names.csv, built into the library.
extern const char kPlaceNamesCsv[];
extern const std::size_t kPlaceNamesCsvSize;

namespace tarvelon {

namespace {

constexpr double kMarsRadiusKm = 3396.19;
constexpr double kRadians = 3.14159265358979323846 / 180.0;

// Base letters of U+00C0 .. U+017F (Latin-1 Supplement and Latin
// Extended-A), lower case; 0 where the code point is no letter with a base.
constexpr std::string_view kLatinBase =
    // U+00C0 .. U+00FF
    "aaaaaaaceeeeiiii"
    "dnooooo\0ouuuuyts"
    "aaaaaaaceeeeiiii"
    "dnooooo\0ouuuuyty"
    // U+0100 .. U+017F
    "aaaaaaccccccccdd"
    "ddeeeeeeeeeegggg"
    "gggghhhhiiiiiiii"
    "iiiijjkkklllllll"
    "lllnnnnnnnnnoooo"
    "oooorrrrrrssssss"
    "ssttttttuuuuuuuu"
    "uuuuwwyyyzzzzzzs";

// A byte that begins no UTF-8 sequence, kept as it is: kStrayByte + byte.
constexpr char32_t kStrayByte = 0x110000;

// Decodes one UTF-8 sequence at text[i].
char32_t decodeAt(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  if (extra == 0 || i + extra >= text.size()) {
    ++i;
    return kStrayByte + lead;
  }
  char32_t code = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kStrayByte + lead;
    }
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  // Past Unicode, or an overlong form of a shorter sequence: not UTF-8.
  constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
  if (code > 0x10FFFF || code < kLeast[extra]) {
    ++i;
    return kStrayByte + lead;
  }
  i += extra + 1;
  return code;
}

void appendUtf8(std::string& out, char32_t code) {
  if (code >= kStrayByte) {
    out += static_cast<char>(code - kStrayByte);
  } else if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The descriptor terms of Martian names, singular then plural.
struct Term {
  const char* singular;
  const char* plural;
};
constexpr std::array<Term, 34> kTerms{{
    {"arcus", "arcus"},       {"catena", "catenae"},   {"cavus", "cavi"},         {"chaos", "chaos"},
    {"chasma", "chasmata"},   {"collis", "colles"},    {"crater", "craters"},     {"dorsum", "dorsa"},
    {"fluctus", "fluctus"},   {"fossa", "fossae"},     {"fretum", "freta"},       {"labes", "labes"},
    {"labyrinthus", "labyrinthi"}, {"lacus", "lacus"}, {"lingula", "lingulae"},   {"mare", "maria"},
    {"mensa", "mensae"},      {"mons", "montes"},      {"palus", "paludes"},      {"patera", "paterae"},
    {"planitia", "planitiae"}, {"planum", "plana"},    {"regio", "regiones"},     {"rupes", "rupes"},
    {"scopulus", "scopuli"},  {"serpens", "serpentes"}, {"sinus", "sinus"},       {"sulcus", "sulci"},
    {"terra", "terrae"},      {"tholus", "tholi"},     {"unda", "undae"},         {"vallis", "valles"},
    {"vastitas", "vastitates"}, {"astrum", "astra"},
}};

const Term* termOf(std::string_view folded) {
  for (const Term& term : kTerms) {
    if (folded == term.singular || folded == term.plural) return &term;
  }
  return nullptr;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(trimmed(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

bool readNumber(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value);
}

// Whole kilometres with a thin space between thousands ("3 769"), tenths
// below 10 km ("0.9", "4.3").
std::string kilometres(double km) {
  if (km < 9.95) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", km);
    return text;
  }
  const std::string digits = std::to_string(static_cast<long long>(std::lround(km)));
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ' ';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

std::string foldName(std::string_view utf8) {
  std::string folded;
  folded.reserve(utf8.size());
  bool blank = false;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t code = decodeAt(utf8, i);
    if (code == ' ' || code == '\t' || code == 0xA0) {
      blank = true;
      continue;
    }
    if (code >= 0x300 && code < 0x370) continue;  // combining marks
    if (blank && !folded.empty()) folded += ' ';
    blank = false;
    if (code < 0x80) {
      folded += static_cast<char>(code >= 'A' && code <= 'Z' ? code - 'A' + 'a' : code);
    } else if (code >= 0xC0 && code < 0x180 && kLatinBase[code - 0xC0] != '\0') {
      folded += kLatinBase[code - 0xC0];
    } else if (code == 0x2019 || code == 0x2018) {
      folded += '\'';
    } else {
      appendUtf8(folded, code);
    }
  }
  return folded;
}

std::string placeKind(std::string_view name, double diameterKm) {
  const std::string folded = foldName(name);
  const std::size_t lastBlank = folded.rfind(' ');
  if (lastBlank != std::string::npos) {
    const std::string_view last = std::string_view(folded).substr(lastBlank + 1);
    if (termOf(last) != nullptr) return std::string(last);
    const std::string_view first = std::string_view(folded).substr(0, folded.find(' '));
    if (termOf(first) != nullptr) return std::string(first);  // "Planum Australe", "Mare Sirenum"
  }
  return diameterKm > 0 ? "crater" : "albedo feature";
}

std::string singularKind(std::string_view kind) {
  const Term* term = termOf(foldName(kind));
  return term != nullptr ? term->singular : foldName(kind);
}

std::string placeDescription(const NamedPlace& place) {
  if (place.isAlbedo()) return place.kind;
  return place.kind + ", " + kilometres(place.diameterKm) + " km";
}

std::string placeTitle(const NamedPlace& place) { return place.name + " (" + placeDescription(place) + ")"; }

double surfaceDistanceKm(double latitude1, double longitude1, double latitude2, double longitude2) {
  // The haversine form: exact to the metre for short distances too.
  const double p1 = latitude1 * kRadians;
  const double p2 = latitude2 * kRadians;
  const double dp = p2 - p1;
  const double dl = (longitude2 - longitude1) * kRadians;
  const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
  return 2 * kMarsRadiusKm * std::asin(std::min(1.0, std::sqrt(h)));
}

PlaceNames PlaceNames::parse(std::string_view csv) {
  PlaceNames names;
  int lineNumber = 0;
  int columns[5] = {-1, -1, -1, -1, -1};  // feature_id, name, diameter_km, latitude, longitude
  std::size_t start = 0;
  if (csv.substr(0, 3) == "\xEF\xBB\xBF") start = 3;  // a byte order mark
  while (start < csv.size()) {
    const std::size_t end = csv.find('\n', start);
    const std::string_view line = csv.substr(start, end == csv.npos ? csv.npos : end - start);
    start = end == csv.npos ? csv.size() : end + 1;
    ++lineNumber;
    if (trimmed(line).empty()) continue;
    const std::vector<std::string_view> fields = fieldsOf(line);
    const auto fault = [&](const std::string& what) {
      return PlaceNamesError("line " + std::to_string(lineNumber) + " of the names: " + what);
    };
    if (columns[0] < 0) {
      const char* wanted[5] = {"feature_id", "name", "diameter_km", "latitude", "longitude"};
      for (int c = 0; c < 5; ++c) {
        const auto found = std::find(fields.begin(), fields.end(), wanted[c]);
        if (found == fields.end()) throw fault(std::string("the header has no column ") + wanted[c]);
        columns[c] = static_cast<int>(found - fields.begin());
      }
      continue;
    }
    const int needed = *std::max_element(std::begin(columns), std::end(columns)) + 1;
    if (static_cast<int>(fields.size()) < needed) {
      throw fault("it has " + std::to_string(fields.size()) + " columns, not " + std::to_string(needed));
    }
    NamedPlace place;
    double id = 0;
    if (!readNumber(fields[columns[0]], id) || id != std::floor(id) || id < 0 ||
        id > std::numeric_limits<int>::max()) {
      throw fault("the feature_id " + std::string(fields[columns[0]]) + " is no whole number");
    }
    place.id = static_cast<int>(id);
    place.name = std::string(fields[columns[1]]);
    if (place.name.empty()) throw fault("the name is empty");
    if (!readNumber(fields[columns[2]], place.diameterKm) || place.diameterKm < 0) {
      throw fault("the diameter " + std::string(fields[columns[2]]) + " is no size in km");
    }
    if (!readNumber(fields[columns[3]], place.latitude) || std::abs(place.latitude) > 90) {
      throw fault("the latitude " + std::string(fields[columns[3]]) + " is not one");
    }
    if (!readNumber(fields[columns[4]], place.longitude) || std::abs(place.longitude) > 360) {
      throw fault("the longitude " + std::string(fields[columns[4]]) + " is not one");
    }
    if (place.longitude > 180) place.longitude -= 360;
    if (place.longitude < -180) place.longitude += 360;
    place.kind = placeKind(place.name, place.diameterKm);
    names.places_.push_back(std::move(place));
  }
  if (columns[0] < 0) throw PlaceNamesError("the names file is empty");
  return names;
}

PlaceNames PlaceNames::read(const std::string& path) {
  std::string text;
  const SmallFileRead read = readSmallFile(path, 16u << 20, text);
  switch (read.status) {
    case SmallFileRead::Status::Ok: return parse(text);
    case SmallFileRead::Status::Missing: throw PlaceNamesError("there is no names file " + path);
    case SmallFileRead::Status::NotAFile: throw PlaceNamesError(path + " is not a file");
    case SmallFileRead::Status::TooLarge: throw PlaceNamesError(path + " is too large for a names file");
    case SmallFileRead::Status::Failed: break;
  }
  throw PlaceNamesError("cannot read " + path + ": " + std::strerror(read.error));
}

const PlaceNames& PlaceNames::builtIn() {
  static const PlaceNames names = parse(std::string_view(kPlaceNamesCsv, kPlaceNamesCsvSize));
  return names;
}

std::vector<const NamedPlace*> PlaceNames::named(std::string_view name) const {
  const std::string wanted = foldName(trimmed(name));
  std::vector<const NamedPlace*> found;
  if (wanted.empty()) return found;
  for (const NamedPlace& place : places_) {
    if (foldName(place.name) == wanted) found.push_back(&place);
  }
  return found;
}

const NamedPlace* PlaceNames::byId(int id) const {
  for (const NamedPlace& place : places_) {
    if (place.id == id) return &place;
  }
  return nullptr;
}

std::vector<const NamedPlace*> PlaceNames::within(double west, double north, double east, double south) const {
  std::vector<const NamedPlace*> found;
  for (const NamedPlace& place : places_) {
    if (place.latitude > north || place.latitude < south) continue;
    // The longitude, or the same meridian a turn further east, in the span.
    const double lon = place.longitude;
    const bool inside = (lon >= west && lon <= east) || (lon + 360 >= west && lon + 360 <= east) ||
                        (lon - 360 >= west && lon - 360 <= east);
    if (inside) found.push_back(&place);
  }
  return found;
}

std::vector<const NamedPlace*> PlaceNames::near(double latitude, double longitude, double km) const {
  std::vector<std::pair<double, const NamedPlace*>> ranked;
  for (const NamedPlace& place : places_) {
    const double distance = surfaceDistanceKm(latitude, longitude, place.latitude, place.longitude);
    if (distance <= km) ranked.emplace_back(distance, &place);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const NamedPlace*> found;
  for (const auto& [distance, place] : ranked) found.push_back(place);
  return found;
}

const NamedPlace* PlaceNames::nearest(double latitude, double longitude) const {
  const NamedPlace* best = nullptr;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (const NamedPlace& place : places_) {
    const double distance = surfaceDistanceKm(latitude, longitude, place.latitude, place.longitude);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = &place;
    }
  }
  return best;
}

const NamedPlace* PlaceNames::containing(double latitude, double longitude) const {
  const NamedPlace* best = nullptr;
  for (const NamedPlace& place : places_) {
    if (place.isAlbedo() || (best != nullptr && place.diameterKm >= best->diameterKm)) continue;
    // A cheap test of latitude first: most places are far away.
    const double radiusKm = place.diameterKm / 2;
    if (std::abs(place.latitude - latitude) * kRadians * kMarsRadiusKm > radiusKm) continue;
    if (surfaceDistanceKm(latitude, longitude, place.latitude, place.longitude) <= radiusKm) best = &place;
  }
  return best;
}

}  // namespace tarvelon
