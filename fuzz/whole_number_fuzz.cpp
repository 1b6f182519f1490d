// The one reader of whole numbers, and the command line's use of it, agree
// with a plain reference parse on every input: one optional sign, then
// decimal digits only, the value exact or out of range.
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/WholeNumber.h"
#include "fuzz/FuzzCheck.h"
#include "tools/Cli.h"

namespace {

using namespace tarvelon;

struct Reference {
  WholeNumber verdict;
  long long value = 0;
};

// Digit by digit, the magnitude held below 2^40 once it is past any int.
Reference reference(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return {WholeNumber::NotANumber};
  long long magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return {WholeNumber::NotANumber};
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > (1LL << 40)) magnitude = 1LL << 40;
  }
  const long long value = negative ? -magnitude : magnitude;
  if (value < INT_MIN || value > INT_MAX) return {WholeNumber::OutOfRange};
  return {WholeNumber::Ok, value};
}

bool visible(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Reference expected = reference(text);
  int value = 12345;
  const WholeNumber verdict = readWholeNumber(text, value);
  FUZZ_CHECK(verdict == expected.verdict);
  FUZZ_CHECK(value == (verdict == WholeNumber::Ok ? expected.value : 12345));

  // The command line's bounds: the tile number, an area's edges, any int.
  const struct {
    int min, max;
  } bounds[] = {{1, 16}, {-100000, 100000}, {INT_MIN, INT_MAX}};
  for (const auto& b : bounds) {
    const bool accepted = expected.verdict == WholeNumber::Ok && expected.value >= b.min && expected.value <= b.max;
    try {
      const int parsed = cli::parseInteger(text, "the number", b.min, b.max);
      FUZZ_CHECK(accepted && parsed == expected.value);
    } catch (const cli::UsageError& error) {
      FUZZ_CHECK(!accepted);
      const std::string message = error.what();
      FUZZ_CHECK(visible(message));
      FUZZ_CHECK(shownLength(message) < 200);
      if (expected.verdict == WholeNumber::NotANumber) {
        FUZZ_CHECK(message.rfind("the number must be a whole number, not \"", 0) == 0);
      } else {
        FUZZ_CHECK(message.find("\" is out of range: it must lie between ") != std::string::npos);
      }
    }
  }
  return 0;
}
