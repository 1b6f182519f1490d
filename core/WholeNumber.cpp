#include "core/WholeNumber.h"

#include <climits>
#include <cstdint>

namespace tarvelon {

WholeNumber readWholeNumber(std::string_view text, int& value) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  if (at == text.size()) return WholeNumber::NotANumber;
  for (std::size_t i = at; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return WholeNumber::NotANumber;
  }
  while (at + 1 < text.size() && text[at] == '0') ++at;
  // Eleven digits or more lie beyond any int; ten fit an int64 at once.
  if (text.size() - at > 10) return WholeNumber::OutOfRange;
  std::int64_t magnitude = 0;
  for (; at < text.size(); ++at) magnitude = magnitude * 10 + (text[at] - '0');
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < INT_MIN || signedValue > INT_MAX) return WholeNumber::OutOfRange;
  value = static_cast<int>(signedValue);
  return WholeNumber::Ok;
}

}  // namespace tarvelon
