// Matching tile names and listing a data folder. Whatever the names, in
// whatever order: a tile holds only its own published name, in some case;
// every name like "megt*.img" ends up in exactly one place; the published
// spelling wins; the order of the names changes nothing; and a real folder
// holding the names as files lists the same.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "dem/TileNames.h"
#include "fuzz/FuzzCheck.h"

namespace {

using namespace tarvelon;
namespace fs = std::filesystem;

// Made once under TMPDIR, removed at exit when libFuzzer exits normally
// (run_target.sh removes its TMPDIR however the run ends); never
// destroyed, so that the removal can still name it.
const std::string& scratchFolder() {
  static const std::string* folder = [] {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tarvelon-fuzz-names-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] { fs::remove_all(scratchFolder()); });
    return new std::string(pattern);
  }();
  return *folder;
}

bool visible(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

void checkListing(const TileListing& listing, const std::vector<std::string>& names) {
  const std::set<std::string> given(names.begin(), names.end());
  std::multiset<std::string> placed;
  for (int t = 0; t < kTileCount; ++t) {
    const std::string& name = listing.tiles[t];
    if (name.empty()) {
      for (const std::string& n : given) FUZZ_CHECK(tileOfName(n) != t);
      continue;
    }
    FUZZ_CHECK(tileOfName(name) == t);
    FUZZ_CHECK(given.count(name) == 1);
    if (given.count(publishedTileName(t)) == 1) FUZZ_CHECK(name == publishedTileName(t));
    placed.insert(name);
  }
  for (const std::string& name : listing.ignored) {
    FUZZ_CHECK(tileOfName(name) < 0);
    placed.insert(name);
  }
  for (const std::string& name : listing.duplicates) {
    FUZZ_CHECK(tileOfName(name) >= 0 && listing.tiles[tileOfName(name)] != name);
    placed.insert(name);
  }
  std::vector<std::string> matching;
  for (const std::string& name : given) {
    if (matchesTilePattern(name)) matching.push_back(name);
    FUZZ_CHECK(placed.count(name) == (matchesTilePattern(name) ? 1u : 0u));
  }
  FUZZ_CHECK(listing.matching == matching);
  FUZZ_CHECK(placed.size() == matching.size());
  FUZZ_CHECK(listing.found() + listing.missing().size() == static_cast<std::size_t>(kTileCount));
  for (const std::string& line : listingNotes(listing)) {
    FUZZ_CHECK(visible(line));
    FUZZ_CHECK(shownLength(line) < 1000);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // Names are the input split at '/' and NUL, as a folder's names are.
  std::vector<std::string> names;
  std::string name;
  for (std::size_t i = 1; i <= size && names.size() < 64; ++i) {
    const char c = i < size ? static_cast<char>(data[i]) : '/';
    if (c != '/' && c != '\0') {
      name += c;
      continue;
    }
    if (!name.empty() && name != "." && name != ".." && name.size() <= 255) names.push_back(name);
    name.clear();
  }
  const TileListing listing = assignTileNames(names);
  checkListing(listing, names);
  std::vector<std::string> reversed(names.rbegin(), names.rend());
  const TileListing again = assignTileNames(reversed);
  FUZZ_CHECK(again.tiles == listing.tiles && again.ignored == listing.ignored &&
             again.duplicates == listing.duplicates);

  // The same names as files of a folder; with the first bit set, the first
  // name like a tile is a folder instead.
  const std::string& folder = scratchFolder();
  for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
  std::vector<std::string> files;
  std::string madeFolder;
  std::set<std::string> made;
  for (const std::string& n : names) {
    if (!made.insert(n).second) continue;  // one entry of a name
    if ((data[0] & 1) != 0 && madeFolder.empty() && matchesTilePattern(n)) {
      madeFolder = n;
      fs::create_directory(folder + "/" + n);
      continue;
    }
    std::ofstream(folder + "/" + n).put('x');
    files.push_back(n);
  }
  const TileListing listed = listTileFolder(folder);
  FUZZ_CHECK(listed.readable);
  const TileListing expected = assignTileNames(files);
  FUZZ_CHECK(listed.tiles == expected.tiles && listed.matching == expected.matching &&
             listed.ignored == expected.ignored && listed.duplicates == expected.duplicates);
  FUZZ_CHECK(listed.odd.size() == (madeFolder.empty() ? 0u : 1u));
  if (!madeFolder.empty()) FUZZ_CHECK(listed.odd[0].name == madeFolder && listed.odd[0].what == "a folder");
  return 0;
}
