#include "core/MessageText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tarvelon {

namespace {

// One character of a text as shown: what to show and how many of the
// text's bytes it stands for.
struct Shown {
  char text[8];
  unsigned char length = 0;  // characters of `text` in use
  unsigned char width = 0;   // characters on screen
  unsigned char bytes = 0;   // bytes of the source text
};

constexpr char kHex[] = "0123456789abcdef";

Shown escapedByte(unsigned char byte) {
  Shown s;
  s.text[0] = '\\';
  s.text[1] = 'x';
  s.text[2] = kHex[byte >> 4];
  s.text[3] = kHex[byte & 15];
  s.length = s.width = 4;
  s.bytes = 1;
  return s;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Characters that show nothing, or turn the text around them.
bool isInvisible(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || (c >= 0xFFF9 && c <= 0xFFFB);
}

// The character at `at`: a valid UTF-8 sequence whole, anything else one
// byte at a time.
Shown shownAt(std::string_view text, std::size_t at, bool keepLineFeeds) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) {
    if (byte < 0x20 || byte == 0x7F) {
      if (!(keepLineFeeds && byte == '\n')) return escapedByte(byte);
    }
    Shown s;
    s.text[0] = static_cast<char>(byte);
    s.length = s.width = s.bytes = 1;
    return s;
  }
  // Length and the range of the second byte, by the first (RFC 3629).
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (byte >= 0xC2 && byte <= 0xDF) {
    length = 2;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    length = 3;
    if (byte == 0xE0) low = 0xA0;
    if (byte == 0xED) high = 0x9F;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    length = 4;
    if (byte == 0xF0) low = 0x90;
    if (byte == 0xF4) high = 0x8F;
  } else {
    return escapedByte(byte);
  }
  if (at + length > text.size()) return escapedByte(byte);
  const auto second = static_cast<unsigned char>(text[at + 1]);
  if (second < low || second > high) return escapedByte(byte);
  char32_t c = byte & (0xFF >> (length + 1));
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if (!isContinuation(next)) return escapedByte(byte);
    c = (c << 6) | (next & 0x3F);
  }
  Shown s;
  s.bytes = static_cast<unsigned char>(length);
  if (c == 0xFEFF) {
    for (char ch : std::string_view("<BOM>")) s.text[s.length++] = ch;
    s.width = 5;
  } else if (isInvisible(c)) {
    s.text[0] = '\\';
    s.text[1] = 'u';
    for (int i = 0; i < 4; ++i) s.text[2 + i] = kHex[(c >> (12 - 4 * i)) & 15];
    s.length = s.width = 6;
  } else {
    for (int i = 0; i < length; ++i) s.text[i] = text[at + i];
    s.length = static_cast<unsigned char>(length);
    s.width = 1;
  }
  return s;
}

void append(std::string& out, const Shown& s) { out.append(s.text, s.length); }

// `text` as shown, at most `limit` characters wide: when longer, its first
// `head` characters, "..." and as much of its end as fits.
void appendShown(std::string& out, std::string_view text, std::size_t limit, std::size_t head, bool keepLineFeeds) {
  std::size_t width = 0;
  for (std::size_t at = 0; at < text.size() && width <= limit;) {
    const Shown s = shownAt(text, at, keepLineFeeds);
    width += s.width;
    at += s.bytes;
  }
  if (width <= limit) {
    for (std::size_t at = 0; at < text.size();) {
      const Shown s = shownAt(text, at, keepLineFeeds);
      append(out, s);
      at += s.bytes;
    }
    return;
  }
  std::size_t at = 0;
  width = 0;
  while (at < text.size()) {
    const Shown s = shownAt(text, at, keepLineFeeds);
    if (width + s.width > head) break;
    append(out, s);
    width += s.width;
    at += s.bytes;
  }
  out += "...";
  const std::size_t tail = limit - head - 3;
  // No character is shown wider than 6 nor stands for more than 4 bytes:
  // the end that fits lies within the last 4 * tail bytes. Start there on
  // a character's first byte.
  std::size_t from = text.size() > 4 * tail + 4 ? text.size() - 4 * tail - 4 : 0;
  if (from < at) from = at;
  for (int i = 0; i < 3 && from < text.size() && isContinuation(static_cast<unsigned char>(text[from])); ++i) ++from;
  std::vector<Shown> end;
  for (std::size_t p = from; p < text.size();) {
    end.push_back(shownAt(text, p, keepLineFeeds));
    p += end.back().bytes;
  }
  std::size_t first = end.size();
  width = 0;
  while (first > 0 && width + end[first - 1].width <= tail) width += end[--first].width;
  for (std::size_t i = first; i < end.size(); ++i) append(out, end[i]);
}

}  // namespace

std::string quote(std::string_view text) {
  std::string out = "\"";
  appendShown(out, text, kQuoteLimit - 2, 48, false);
  out += '"';
  return out;
}

std::string displaySafe(std::string_view message) {
  constexpr std::size_t kLineLimit = 1000;
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = message.find('\n', start);
    const std::string_view line = message.substr(start, end == std::string_view::npos ? end : end - start);
    appendShown(out, line, kLineLimit, 600, false);
    if (end == std::string_view::npos) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

std::string countOf(long long count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

namespace {

constexpr const char* kDegree = "\xC2\xB0";  // UTF-8

// A value to a hundredth, with its hemisphere letter; no "-0.00".
std::string hemisphereText(double value, char positive, char negative) {
  const long long hundredths = std::llround(value * 100);
  char text[48];
  std::snprintf(text, sizeof text, "%lld.%02lld%s%c", std::llabs(hundredths) / 100, std::llabs(hundredths) % 100,
                kDegree, hundredths < 0 ? negative : positive);
  return text;
}

}  // namespace

std::string positionText(double latitude, double longitude) {
  return hemisphereText(latitude, 'N', 'S') + "  " + hemisphereText(longitude, 'E', 'W');
}

std::string metresText(int metres) {
  std::string digits = std::to_string(std::abs(static_cast<long long>(metres)));
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), " ");
  return (metres < 0 ? "-" : "") + digits + " m";
}

}  // namespace tarvelon
