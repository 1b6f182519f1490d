// The IAU names: the file read whole, the kinds read from the names, and
// the questions asked of the list (by name, in a rectangle, near a point,
// under a point).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "select/PlaceNames.h"

namespace tarvelon {
namespace {

const NamedPlace& only(const std::vector<const NamedPlace*>& found) {
  EXPECT_EQ(found.size(), 1u);
  return *found.at(0);
}

TEST(PlaceNames, TheShippedFileIsReadWholeAndMatchesTheBuiltInCopy) {
  const PlaceNames file = PlaceNames::read(TARVELON_SOURCE_DIR "/assets/names/mars-names.csv");
  const PlaceNames& built = PlaceNames::builtIn();
  ASSERT_EQ(file.size(), 1903u);
  ASSERT_EQ(built.size(), 1903u);
  EXPECT_EQ(built.all().front().name, "Abalos Colles");
  EXPECT_EQ(built.all().back().name, file.all().back().name);

  const NamedPlace& gale = only(built.named("Gale"));
  EXPECT_EQ(gale.id, 2071);
  EXPECT_DOUBLE_EQ(gale.diameterKm, 154.08);
  EXPECT_DOUBLE_EQ(gale.latitude, -5.37);
  EXPECT_DOUBLE_EQ(gale.longitude, 137.81);
  EXPECT_EQ(placeTitle(gale), "Gale (crater, 154 km)");
  EXPECT_EQ(placeTitle(only(built.named("Jezero"))), "Jezero (crater, 48 km)");
  EXPECT_EQ(placeTitle(only(built.named("Victoria"))), "Victoria (crater, 0.9 km)");
  EXPECT_DOUBLE_EQ(only(built.named("Olympus Rupes")).diameterKm, 1914.77);

  // Diacritics are kept in the name, and ignored when asked for.
  const NamedPlace& nordenskiold = only(built.named("nordenskiold"));
  EXPECT_EQ(nordenskiold.name, "Nordenski\xC3\xB6ld");
  EXPECT_EQ(only(built.named("  NORDENSKI\xC3\x96LD ")).id, nordenskiold.id);
  EXPECT_EQ(only(built.named("zulanka")).name, "\xC5\xBDulanka");
}

TEST(PlaceNames, KindsComeFromTheDescriptorWordWhereverItStands) {
  const PlaceNames& names = PlaceNames::builtIn();
  EXPECT_EQ(only(names.named("Olympus Mons")).kind, "mons");
  EXPECT_EQ(only(names.named("Valles Marineris")).kind, "valles");
  EXPECT_EQ(only(names.named("Planum Australe")).kind, "planum");
  EXPECT_EQ(only(names.named("Aeolis")).kind, "albedo feature");
  EXPECT_EQ(placeTitle(only(names.named("Aeolis"))), "Aeolis (albedo feature)");
  EXPECT_EQ(only(names.named("Le Verrier")).kind, "crater");
  EXPECT_EQ(singularKind("valles"), "vallis");
  EXPECT_EQ(singularKind("Montes"), "mons");
  EXPECT_EQ(singularKind("crater"), "crater");
  EXPECT_EQ(placeDescription(only(names.named("Valles Marineris"))).find("valles, "), 0u);
  // Every name has a kind, and no descriptor word is left to be a crater.
  for (const NamedPlace& place : names.all()) {
    ASSERT_FALSE(place.kind.empty()) << place.name;
  }
}

TEST(PlaceNames, RectanglesNeighboursAndTheFeatureUnderAPoint) {
  const PlaceNames& names = PlaceNames::builtIn();
  // A rectangle across 180 degrees holds places on both sides of it.
  bool west = false, east = false;
  for (const NamedPlace* place : names.within(170, 10, 190, -10)) {
    EXPECT_TRUE(place->longitude >= 170 || place->longitude <= -170) << place->name;
    EXPECT_LE(std::abs(place->latitude), 10);
    (place->longitude > 0 ? east : west) = true;
  }
  EXPECT_TRUE(west && east);

  const std::vector<const NamedPlace*> nearGale = names.near(-5.37, 137.81, 100);
  ASSERT_FALSE(nearGale.empty());
  EXPECT_EQ(nearGale.front()->name, "Gale");
  double last = 0;
  for (const NamedPlace* place : nearGale) {
    const double distance = surfaceDistanceKm(-5.37, 137.81, place->latitude, place->longitude);
    EXPECT_LE(distance, 100);
    EXPECT_GE(distance, last);
    last = distance;
  }
  EXPECT_EQ(names.nearest(-5.0, 137.9)->name, "Aeolis Mons");

  // The smallest circle holding the point: Aeolis Mons inside Gale.
  EXPECT_EQ(names.containing(-5.08, 137.85)->name, "Aeolis Mons");
  EXPECT_EQ(names.containing(-5.37, 136.9)->name, "Gale");
  EXPECT_EQ(names.containing(18.65, -131.5)->name, "Olympus Mons");
  EXPECT_EQ(names.containing(18.65, -133.8)->name, "Hera Patera");  // the caldera's own name
}

TEST(PlaceNames, DistancesOnTheMarsSphere) {
  // A quarter of the equator, and a degree of latitude.
  EXPECT_NEAR(surfaceDistanceKm(0, 0, 0, 90), 3396.19 * M_PI / 2, 1e-6);
  EXPECT_NEAR(surfaceDistanceKm(10, 179.5, 10, -179.5), surfaceDistanceKm(10, 0, 10, 1), 1e-9);
  EXPECT_NEAR(surfaceDistanceKm(0, 0, 1, 0), 59.2737, 1e-3);
}

TEST(PlaceNames, FilesThatAreNoNamesAreRefusedWithTheirLine) {
  EXPECT_THROW(PlaceNames::parse(""), PlaceNamesError);
  EXPECT_THROW(PlaceNames::parse("id,name\n1,A\n"), PlaceNamesError);
  const std::string header = "feature_id,name,diameter_km,latitude,longitude\n";
  try {
    PlaceNames::parse(header + "1,A,2,3,4\n2,B,x,3,4\n");
    FAIL();
  } catch (const PlaceNamesError& error) {
    EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
  }
  EXPECT_THROW(PlaceNames::parse(header + "1,A,2,95,4\n"), PlaceNamesError);
  EXPECT_THROW(PlaceNames::parse(header + "1,,2,5,4\n"), PlaceNamesError);
  EXPECT_THROW(PlaceNames::parse(header + "1,A,2\n"), PlaceNamesError);
  EXPECT_THROW(PlaceNames::read("/nonexistent/names.csv"), PlaceNamesError);
  // Longitudes from 0 to 360 are taken east-positive round to -180 .. 180;
  // CR LF endings and a byte order mark are read.
  const PlaceNames names = PlaceNames::parse("\xEF\xBB\xBF" + header + "7,Far,1,0,270\r\n");
  EXPECT_DOUBLE_EQ(names.all().front().longitude, -90);
  EXPECT_EQ(names.all().front().name, "Far");
}

TEST(PlaceNames, FoldingIgnoresCaseDiacriticsAndBlanks) {
  EXPECT_EQ(foldName("Nordenski\xC3\xB6ld"), "nordenskiold");
  EXPECT_EQ(foldName("  Ma'adim   Vallis "), "ma'adim vallis");
  EXPECT_EQ(foldName("Rup\xC4\x93s"), "rupes");
  EXPECT_EQ(foldName("S\xCC\xA6"), "s");  // a combining comma below
  EXPECT_EQ(foldName("\xC5\x8C"), "o");
  EXPECT_EQ(foldName("\xFF"), "\xFF");  // stray bytes stay themselves
  EXPECT_EQ(foldName("A\xC3"), "a\xC3");
  // Neither past Unicode nor an overlong "A" is a letter.
  EXPECT_EQ(foldName("\xF7\xBF\xBF\xBF"), "\xF7\xBF\xBF\xBF");
  EXPECT_EQ(foldName("\xC1\x81"), "\xC1\x81");
}

}  // namespace
}  // namespace tarvelon
