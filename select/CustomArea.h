// The custom area entry without its window: what each edit does with the
// text typed into it, and the rectangle that "Draw" asks for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/AreaLayout.h"

namespace tarvelon {

inline constexpr int kLongitudeLimit = 180;
inline constexpr int kLatitudeLimit = 85;   // the centre latitude
inline constexpr int kLargestSpan = 50;     // width and height, degrees
inline constexpr int kDataLatitude = 88;    // the tile set's edge

// The state the four edits leave behind. The halves hold the last width
// and height accepted (1 .. 50), rounded up to whole degrees; the latitude
// is the last one accepted.
struct CustomAreaEntry {
  int halfWidth = 2;
  int halfHeight = 2;
  int enteredLatitude = 0;
};

// What a change of an edit's text leads to: the information messages to
// show, in order, and the edit's new text when the handler replaces it
// (an empty text when it empties the edit).
struct EditOutcome {
  std::vector<std::string> messages;
  std::optional<std::string> newText;
};

EditOutcome longitudeChanged(CustomAreaEntry& entry, std::string_view text);
EditOutcome latitudeChanged(CustomAreaEntry& entry, std::string_view text);
EditOutcome widthChanged(CustomAreaEntry& entry, std::string_view text);
// A height that would reach past 88 degrees from the entered latitude is
// replaced by the largest that fits, and that height is then taken as if
// typed.
EditOutcome heightChanged(CustomAreaEntry& entry, std::string_view text);

// The texts of the four edits when "Draw" is pressed.
struct CustomAreaTexts {
  std::string longitude;
  std::string latitude;
  std::string width;
  std::string height;
};

struct DrawRequest {
  enum class Kind {
    Refused,       // an edit is empty, or holds a value it does not accept (a width or height of 0): `error`
                   // says why, for an information box
    NotAnInteger,  // `error` says which text, for the general error report
    Draw,          // draw `area`
  };
  Kind kind = Kind::Refused;
  std::string error;
  AreaBounds area;
};

// West and east lie halfWidth either side of the longitude, north and south
// halfHeight either side of the latitude; a west edge below -180 moves both
// longitudes on by 360. Nothing is drawn without a reason given.
DrawRequest customAreaDraw(const CustomAreaEntry& entry, const CustomAreaTexts& texts);

// The conversion error for a text that is not an integer.
std::string notAnIntegerMessage(std::string_view text);


}  // namespace tarvelon
