#include "dem/DemoSet.h"

#include <sys/stat.h>

#include <fstream>
#include <string_view>

#include "dem/TileSet.h"

namespace tarvelon {

namespace {

constexpr std::string_view kMarkerHeading = "Tarvelon demo tile set";
constexpr std::string_view kMarkerKey = "grid-samples-per-degree ";
// What make-data's README.txt said before the marker was written.
constexpr std::string_view kReadmeHeading = "Demo MEGDR128 tile set for Tarvelon";
constexpr std::string_view kReadmeResolution = " samples per degree";
constexpr std::size_t kLargestRead = 4096;

// The start of a regular file, or nothing.
std::optional<std::string> fileStart(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kLargestRead, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// A grid resolution written in decimal digits, coarser than the tiles.
std::optional<int> resolutionFrom(std::string_view digits) {
  if (digits.empty() || digits.size() > 3) return std::nullopt;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value >= kSamplesPerDegree) return std::nullopt;
  return value;
}

std::string_view firstLine(std::string_view text) { return text.substr(0, text.find('\n')); }

}  // namespace

std::string demoSetMarkerText(int perDegree) {
  return std::string(kMarkerHeading) + "\n" + std::string(kMarkerKey) + std::to_string(perDegree) + "\n";
}

std::optional<int> demoSetGridResolution(const std::string& folder) {
  if (const auto marker = fileStart(folder + "/" + kDemoSetMarkerName)) {
    const std::string_view text = *marker;
    if (firstLine(text) != kMarkerHeading) return std::nullopt;
    const std::size_t key = text.find("\n" + std::string(kMarkerKey));
    if (key == std::string_view::npos) return std::nullopt;
    return resolutionFrom(firstLine(text.substr(key + 1 + kMarkerKey.size())));
  }
  const auto readme = fileStart(folder + "/README.txt");
  if (!readme || firstLine(*readme) != kReadmeHeading) return std::nullopt;
  const std::string_view text = *readme;
  const std::size_t end = text.find(kReadmeResolution);
  if (end == std::string_view::npos) return std::nullopt;
  std::size_t start = end;
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  return resolutionFrom(text.substr(start, end - start));
}

}  // namespace tarvelon
