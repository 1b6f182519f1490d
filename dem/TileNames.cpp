#include "dem/TileNames.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace tarvelon {

bool matchesTilePattern(const std::string& name) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  if (name.size() < 8) return false;  // "megt" + ".img"
  for (int i = 0; i < 4; ++i) {
    if (lower(name[i]) != "megt"[i]) return false;
  }
  const std::size_t tail = name.size() - 4;
  for (int i = 0; i < 4; ++i) {
    if (lower(name[tail + i]) != ".img"[i]) return false;
  }
  return true;
}

std::vector<std::string> listTileFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder), ec);
  if (ec) return names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (!it->is_regular_file(typeError) || typeError) continue;
    std::string name = it->path().filename().string();
    if (matchesTilePattern(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<TileNames> buildTileNames(const std::vector<std::string>& listing) {
  if (listing.size() < static_cast<std::size_t>(kTileCount)) return std::nullopt;
  TileNames names;
  for (int t = 0; t < kTileCount; ++t) names[t] = listing[kListingIndexOfTile[t]];
  return names;
}

std::string tilePath(const std::string& demFolder, const std::string& name) {
  return demFolder + "/" + name;
}

}  // namespace tarvelon
