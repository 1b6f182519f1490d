// The IAU names of Mars: 1,903 features with their centres and sizes, read
// from assets/names/mars-names.csv (built into the programs, so that the
// names never go missing). No Qt.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelon {

// One named feature.
struct NamedPlace {
  int id = 0;              // the gazetteer's feature_id
  std::string name;        // UTF-8, with its diacritics ("Nordenskiöld")
  double diameterKm = 0;   // 0 for albedo features, which have no outline
  double latitude = 0;     // centre, planetocentric, north positive
  double longitude = 0;    // centre, east positive, -180 .. 180
  // What it is, from its name: the descriptor term in lower case as the
  // name has it ("crater", "mons", "montes", "vallis", "valles", "planum",
  // "chaos", ...), "albedo feature" for a feature of diameter 0.
  std::string kind;

  bool isAlbedo() const { return diameterKm <= 0; }
};

// A file that is not a names file, with the line at fault.
class PlaceNamesError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The kind of a name with its diameter (see NamedPlace::kind).
std::string placeKind(std::string_view name, double diameterKm);
// The kind's singular term, which --kind and the label styles go by:
// "valles" -> "vallis", "montes" -> "mons", "fossae" -> "fossa".
std::string singularKind(std::string_view kind);

// "crater, 48 km", "valles, 3 769 km", "crater, 0.9 km", "albedo feature".
std::string placeDescription(const NamedPlace& place);
// The map title of a place: "Jezero (crater, 48 km)".
std::string placeTitle(const NamedPlace& place);

// Great-circle distance on the Mars 2000 sphere (3 396.19 km), in km.
double surfaceDistanceKm(double latitude1, double longitude1, double latitude2, double longitude2);

class PlaceNames {
 public:
  // Parses the CSV text: a header naming feature_id, name, diameter_km,
  // latitude, longitude, then a row per feature. Throws PlaceNamesError.
  static PlaceNames parse(std::string_view csv);
  // Reads and parses a file. Throws PlaceNamesError (also for a file that
  // cannot be read).
  static PlaceNames read(const std::string& path);
  // The names built into the program, parsed once.
  static const PlaceNames& builtIn();

  std::span<const NamedPlace> all() const { return places_; }
  std::size_t size() const { return places_.size(); }

  // Places whose name equals `name` without regard to case, diacritics or
  // blanks at either end.
  std::vector<const NamedPlace*> named(std::string_view name) const;
  // The place of a feature_id, or nullptr.
  const NamedPlace* byId(int id) const;
  // Places whose centre lies in the rectangle (degrees; west < east, which
  // may pass 180; north > south), in file order.
  std::vector<const NamedPlace*> within(double west, double north, double east, double south) const;
  // Places whose centre lies within `km` of the point, nearest first.
  std::vector<const NamedPlace*> near(double latitude, double longitude, double km) const;
  // The place whose centre is nearest the point (nullptr for no places).
  const NamedPlace* nearest(double latitude, double longitude) const;
  // The smallest place whose circle (its diameter about its centre, on the
  // sphere) holds the point; albedo features have none. nullptr if none.
  const NamedPlace* containing(double latitude, double longitude) const;

 private:
  std::vector<NamedPlace> places_;
};

// A name folded for comparison: lower case, diacritics removed ("ö" -> "o",
// "ē" -> "e"), apostrophes and hyphens kept, runs of blanks made one.
std::string foldName(std::string_view utf8);

}  // namespace tarvelon
