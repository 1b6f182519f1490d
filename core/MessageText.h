// Texts for the user that carry the user's own data: paths, lines of the
// settings file, arguments. Whatever those hold, a message stays short and
// shows every byte for what it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelon {

// The longest quotation, in characters shown.
inline constexpr std::size_t kQuoteLimit = 80;

// `text` between double quotes, for a message. Control bytes and bytes
// that are not UTF-8 show as \xNN, a byte order mark as <BOM>, invisible
// or direction-changing characters as \uNNNN; blanks at either end are
// visible between the quotes. A text that would show longer than
// kQuoteLimit characters keeps its beginning and its end around "...".
std::string quote(std::string_view text);

// A whole message, as the window or the terminal is to show it: the same
// escapes as quote() except that line feeds stay, no quotes are added, and
// a line longer than 1000 characters is cut in its middle.
std::string displaySafe(std::string_view message);

// "1 line", "2 lines", "0 lines".
std::string countOf(long long count, std::string_view one, std::string_view many);

// "18.40°N  133.80°W": latitude and longitude to a hundredth of a degree,
// by hemisphere.
std::string positionText(double latitude, double longitude);
// "21 130 m", "-3 000 m": metres with the thousands set apart.
std::string metresText(int metres);

}  // namespace tarvelon
