#include "select/IntegerText.h"

namespace tarvelon {

namespace {

constexpr std::int64_t kLargestMagnitude = std::int64_t(1) << 31;  // -2^31 is the lowest value

int digitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

struct Scan {
  bool negative = false;
  bool tooLarge = false;
  std::int64_t magnitude = 0;  // capped just above kLargestMagnitude
  int digits = 0;
  std::size_t end = 0;  // where reading stopped
};

Scan scan(std::string_view text) {
  Scan s;
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    s.negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  for (; i < text.size(); ++i) {
    const int d = digitValue(text[i], base);
    if (d < 0) break;
    ++s.digits;
    if (!s.tooLarge) {
      s.magnitude = s.magnitude * base + d;
      if (s.magnitude > kLargestMagnitude) s.tooLarge = true;
    }
  }
  s.end = i;
  return s;
}

// The signed value, or nothing when it does not fit 32 bits.
std::optional<std::int32_t> signedValue(const Scan& s) {
  if (s.tooLarge) return std::nullopt;
  const std::int64_t value = s.negative ? -s.magnitude : s.magnitude;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

IntegerRead readLenientInteger(std::string_view text) {
  const Scan s = scan(text);
  if (s.end == text.size()) {
    const auto value = signedValue(s);
    if (!value) return {IntegerStatus::OutOfRange, 0};
    return {IntegerStatus::Whole, *value};
  }
  if (s.tooLarge || s.magnitude > INT32_MAX) return {IntegerStatus::OutOfRange, 0};
  return {IntegerStatus::Partial, static_cast<std::int32_t>(s.magnitude)};
}

std::optional<std::int32_t> readStrictInteger(std::string_view text) {
  const Scan s = scan(text);
  if (s.end != text.size() || s.digits == 0) return std::nullopt;
  return signedValue(s);
}

}  // namespace tarvelon
