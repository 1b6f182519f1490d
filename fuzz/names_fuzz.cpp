// What a user types into Find a Feature or after `feature` and `names`, and
// a names file of any bytes: the search and the reader never fail on them,
// and what they answer holds together.
//
// Input: the whole input is a search text (folded, searched, looked up by
// name); read as a names file after a valid header, it must parse or be
// refused with PlaceNamesError, and every place it gives is sound.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "select/NameSearch.h"
#include "select/PlaceNames.h"

namespace {

using namespace tarvelon;

const NameSearch& search() {
  static const NameSearch names;
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Folding is idempotent and never grows an ASCII text.
  const std::string folded = foldName(text);
  FUZZ_CHECK(foldName(folded) == folded);

  if (size <= 64) {  // as long as a name typed
    for (const NameMatch& match : search().find(text)) {
      FUZZ_CHECK((match.feature == nullptr) != (match.place == nullptr));
      FUZZ_CHECK(!match.name.empty());
    }
    for (const NamedPlace* place : PlaceNames::builtIn().named(text)) FUZZ_CHECK(foldName(place->name) == folded);
  }

  try {
    const PlaceNames places = PlaceNames::parse("feature_id,name,diameter_km,latitude,longitude\n" + std::string(text));
    for (const NamedPlace& place : places.all()) {
      FUZZ_CHECK(!place.name.empty() && !place.kind.empty());
      FUZZ_CHECK(place.diameterKm >= 0 && std::isfinite(place.diameterKm));
      FUZZ_CHECK(std::abs(place.latitude) <= 90 && std::abs(place.longitude) <= 180);
    }
    if (places.size() > 0) {
      const NamedPlace& first = places.all().front();
      (void)places.containing(first.latitude, first.longitude);
      FUZZ_CHECK(places.nearest(first.latitude, first.longitude) != nullptr);
    }
  } catch (const PlaceNamesError&) {
    // Refused, with its line.
  }
  return 0;
}
