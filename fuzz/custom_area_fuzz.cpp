// The custom area's two integer readers agree with a plain reference parse
// of their rule on every input, and no sequence of typed texts leaves the
// panel's state out of its bounds or asks for a rectangle it cannot mean.
//
// Input: lines; a line's first byte picks the edit (longitude, latitude,
// width, height, or Draw), the rest is the edit's new text. The whole
// input is also read as one text.
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "select/CustomArea.h"
#include "select/IntegerText.h"

namespace {

using namespace tarvelon;

struct Reference {
  bool whole = false;
  bool outOfRange = false;
  long long value = 0;  // whole: signed; partial: the digits' magnitude
  int digits = 0;
};

// Spaces, one sign, "$", "x", "X", "0x" or "0X" for hex, then digits; the
// magnitude is held at 2^40 once it is past any int.
Reference reference(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (text.substr(i, 2) == "0x" || text.substr(i, 2) == "0X") {
    base = 16;
    i += 2;
  }
  Reference r;
  long long magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) break;
    ++r.digits;
    magnitude = std::min(magnitude * base + d, 1LL << 40);
  }
  r.whole = i == text.size();
  r.value = r.whole && negative ? -magnitude : magnitude;
  r.outOfRange = r.value < INT_MIN || r.value > INT_MAX;
  return r;
}

void checkReaders(std::string_view text) {
  const Reference expected = reference(text);
  const IntegerRead lenient = readLenientInteger(text);
  if (expected.outOfRange) {
    FUZZ_CHECK(lenient.status == IntegerStatus::OutOfRange && lenient.value == 0);
  } else {
    FUZZ_CHECK(lenient.status == (expected.whole ? IntegerStatus::Whole : IntegerStatus::Partial));
    FUZZ_CHECK(lenient.value == expected.value);
  }
  const auto strict = readStrictInteger(text);
  const bool valid = expected.whole && expected.digits > 0 && !expected.outOfRange;
  FUZZ_CHECK(strict.has_value() == valid);
  if (valid) FUZZ_CHECK(*strict == expected.value);
}

void checkEntry(const CustomAreaEntry& entry) {
  FUZZ_CHECK(entry.halfWidth >= 1 && entry.halfWidth <= 25);
  FUZZ_CHECK(entry.halfHeight >= 1 && entry.halfHeight <= 25);
  FUZZ_CHECK(entry.enteredLatitude >= -85 && entry.enteredLatitude <= 85);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  checkReaders(input);

  CustomAreaEntry entry;
  CustomAreaTexts texts;
  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    const std::string line = input.substr(at, end - at);
    at = end + 1;
    if (line.empty()) continue;
    const std::string text = line.substr(1);
    checkReaders(text);
    std::string* edit = nullptr;
    EditOutcome outcome;
    switch (static_cast<unsigned char>(line[0]) % 5) {
      case 0:
        edit = &texts.longitude;
        *edit = text;
        outcome = longitudeChanged(entry, text);
        break;
      case 1:
        edit = &texts.latitude;
        *edit = text;
        outcome = latitudeChanged(entry, text);
        break;
      case 2:
        edit = &texts.width;
        *edit = text;
        outcome = widthChanged(entry, text);
        break;
      case 3:
        edit = &texts.height;
        *edit = text;
        outcome = heightChanged(entry, text);
        break;
      default: {
        const DrawRequest request = customAreaDraw(entry, texts);
        if (request.kind == DrawRequest::Kind::Draw) {
          const AreaBounds& a = request.area;
          FUZZ_CHECK(a.west < a.east && a.east - a.west <= 50);
          FUZZ_CHECK(a.south < a.north && a.north - a.south <= 50);
          FUZZ_CHECK(a.west >= -180 && a.west <= 179);
        }
        if (request.kind == DrawRequest::Kind::NotAnInteger) FUZZ_CHECK(!request.error.empty());
        break;
      }
    }
    // A handler writes at most a few messages and never a height below 1.
    FUZZ_CHECK(outcome.messages.size() <= 4);
    if (edit != nullptr && outcome.newText) {
      *edit = *outcome.newText;
      if (edit == &texts.height && !edit->empty()) FUZZ_CHECK(std::stoi(*edit) >= 1 && std::stoi(*edit) <= 50);
    }
    checkEntry(entry);
  }
  return 0;
}
