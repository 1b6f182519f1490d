#include "export/ProfileFile.h"

#include <algorithm>
#include <charconv>

namespace tarvelon {

namespace {

// `value` to `decimals` places, in any locale (to_chars knows none); a
// value that rounds to nothing is 0, not -0.
void appendFixed(std::string& text, double value, int decimals) {
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  const char* begin = digits;
  if (*begin == '-' &&
      std::all_of(begin + 1, static_cast<const char*>(result.ptr), [](char c) { return c == '0' || c == '.'; })) {
    ++begin;
  }
  text.append(begin, static_cast<std::size_t>(result.ptr - begin));
}

}  // namespace

std::string profileCsv(const ElevationProfile& profile) {
  std::string text = kProfileCsvHeader;
  text += '\n';
  text.reserve(text.size() + profile.points.size() * 40);
  for (const ProfilePoint& point : profile.points) {
    appendFixed(text, point.distance / 1000, 3);
    text += ',';
    appendFixed(text, point.place.longitude, 6);
    text += ',';
    appendFixed(text, point.place.latitude, 6);
    text += ',';
    if (point.elevation != ElevationSource::kNoData) {
      char digits[8];
      const auto end = std::to_chars(digits, digits + sizeof digits, int(point.elevation)).ptr;
      text.append(digits, static_cast<std::size_t>(end - digits));
    }
    text += '\n';
  }
  return text;
}

}  // namespace tarvelon
