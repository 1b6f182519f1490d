#include "dem/TileNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/MessageText.h"

namespace tarvelon {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// What a directory entry named like a tile is, when it is not an ordinary
// file; empty for an ordinary file.
std::string oddKind(const std::string& path) {
  struct stat target {};
  if (::stat(path.c_str(), &target) == 0) {
    if (S_ISREG(target.st_mode)) return {};
    if (S_ISDIR(target.st_mode)) return "a folder";
    return "not an ordinary file";
  }
  const int error = errno;
  if (error == ELOOP) return "a loop of symbolic links";
  struct stat link {};
  if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    return "a symbolic link to nothing";
  }
  return std::string("impossible to examine (") + std::strerror(error) + ")";
}

// "a", "b" and "c", with at most `limit` names and "and N more".
std::string nameList(const std::vector<std::string>& names, bool quoted, std::size_t limit = 6) {
  std::string text;
  const std::size_t shown = std::min(names.size(), limit);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) text += ", ";
    text += quoted ? quote(names[i]) : names[i];
  }
  if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

}  // namespace

std::string publishedTileName(int tile) {
  static const char* const kLatitude[] = {"88n", "44n", "00n", "44s"};
  static const char* const kLongitude[] = {"180", "270", "000", "090"};
  if (tile < 0 || tile >= kTileCount) return {};
  return std::string("megt") + kLatitude[tileRowOf(tile)] + kLongitude[tileColumnOf(tile)] + "hb.img";
}

int tileOfName(std::string_view name) {
  if (name.size() != 16) return -1;
  for (int t = 0; t < kTileCount; ++t) {
    if (equalsIgnoringCase(name, publishedTileName(t))) return t;
  }
  return -1;
}

bool matchesTilePattern(std::string_view name) {
  return name.size() >= 8 && equalsIgnoringCase(name.substr(0, 4), "megt") &&
         equalsIgnoringCase(name.substr(name.size() - 4), ".img");
}

int TileListing::found() const {
  return static_cast<int>(std::count_if(tiles.begin(), tiles.end(), [](const std::string& n) { return !n.empty(); }));
}

std::vector<std::string> TileListing::missing() const {
  std::vector<std::string> names;
  for (int t = 0; t < kTileCount; ++t) {
    if (tiles[t].empty()) names.push_back(publishedTileName(t));
  }
  return names;
}

std::vector<std::string> TileListing::tileFiles() const {
  std::vector<std::string> names;
  for (const std::string& name : tiles) {
    if (!name.empty()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TileListing assignTileNames(std::vector<std::string> fileNames) {
  TileListing listing;
  std::sort(fileNames.begin(), fileNames.end());
  fileNames.erase(std::unique(fileNames.begin(), fileNames.end()), fileNames.end());
  for (std::string& name : fileNames) {
    if (!matchesTilePattern(name)) continue;
    listing.matching.push_back(name);
    const int t = tileOfName(name);
    if (t < 0) {
      listing.ignored.push_back(name);
      continue;
    }
    std::string& slot = listing.tiles[t];
    if (slot.empty()) {
      slot = name;
    } else if (name == publishedTileName(t)) {
      // The published spelling takes the place of one in other letters.
      listing.duplicates.push_back(slot);
      slot = name;
    } else {
      listing.duplicates.push_back(name);
    }
  }
  std::sort(listing.duplicates.begin(), listing.duplicates.end());
  return listing;
}

TileListing listTileFolder(const std::string& folder) {
  std::vector<std::string> files;
  std::vector<OddEntry> odd;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    TileListing unreadable;
    unreadable.readable = false;
    unreadable.problem = std::strerror(errno);
    return unreadable;
  }
  // A folder that may be listed but not searched shows the names of files
  // that cannot be opened: not a folder missing its tiles.
  if (::faccessat(AT_FDCWD, folder.c_str(), X_OK, AT_EACCESS) != 0 && errno == EACCES) {
    ::closedir(dir);
    TileListing unsearchable;
    unsearchable.readable = false;
    unsearchable.problem = "it can be listed but not searched (no search permission), so its files cannot be opened";
    return unsearchable;
  }
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    const std::string name = entry->d_name;
    if (!matchesTilePattern(name)) continue;
    std::string what = oddKind(folder + "/" + name);
    if (what.empty()) {
      files.push_back(name);
    } else {
      odd.push_back(OddEntry{name, std::move(what)});
    }
  }
  ::closedir(dir);
  TileListing listing = assignTileNames(std::move(files));
  if (error != 0) {
    listing.readable = false;
    listing.problem = std::strerror(error);
  }
  std::sort(odd.begin(), odd.end(), [](const OddEntry& a, const OddEntry& b) { return a.name < b.name; });
  listing.odd = std::move(odd);
  return listing;
}

std::vector<std::string> listingNotes(const TileListing& listing, bool withMissing) {
  std::vector<std::string> lines;
  std::vector<std::string> missing;
  for (int t = 0; t < kTileCount; ++t) {
    if (listing.tiles[t].empty()) missing.push_back(publishedTileName(t) + " (tile " + std::to_string(t + 1) + ")");
  }
  if (withMissing && !missing.empty()) lines.push_back("Missing: " + nameList(missing, false, kTileCount) + ".");
  constexpr std::size_t kOddShown = 4;
  for (std::size_t i = 0; i < listing.odd.size() && i < kOddShown; ++i) {
    lines.push_back(quote(listing.odd[i].name) + " is " + listing.odd[i].what + ", not a tile file.");
  }
  if (listing.odd.size() > kOddShown) {
    const std::size_t more = listing.odd.size() - kOddShown;
    lines.push_back(more == 1 ? std::string("1 more entry named like a tile file is no ordinary file either.")
                              : std::to_string(more) + " more entries named like tile files are no ordinary files either.");
  }
  if (!listing.duplicates.empty()) {
    lines.push_back("Ignored, another spelling of a tile's name already in use: " +
                    nameList(listing.duplicates, true) + ".");
  }
  if (!listing.ignored.empty()) {
    lines.push_back("Ignored, not one of the sixteen MEGDR128 tile names: " + nameList(listing.ignored, true) + ".");
  }
  return lines;
}

std::string tilePath(const std::string& demFolder, const std::string& name) {
  return demFolder + "/" + name;
}

}  // namespace tarvelon
