// The one reader of whole numbers typed by users: the command line's
// arguments and the settings file's scheme and mode.
#pragma once

#include <string_view>

namespace tarvelon {

enum class WholeNumber {
  Ok,
  NotANumber,  // empty, or anything but decimal digits after one optional sign
  OutOfRange,  // a whole number that does not fit an int
};

// Decimal digits with at most one sign ('+' or '-') in front and nothing
// else, no blanks: "+7", "-60" and "007" are numbers, "+-60", "7 " and
// "0x10" are not. `value` is set only for WholeNumber::Ok.
WholeNumber readWholeNumber(std::string_view text, int& value);

}  // namespace tarvelon
