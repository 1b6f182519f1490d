// The two ways the custom area reads an integer from an edit's text.
//
// Both follow one rule: leading spaces are skipped; then an optional "-" or
// "+"; then decimal digits, or hexadecimal digits after "$", "x" or "0x"
// (x and the hex digits in either case). Values beyond the 32-bit range are
// out of range, never wrapped.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvelon {

enum class IntegerStatus {
  Whole,       // the whole text read as a number
  Partial,     // reading stopped at a character that does not fit
  OutOfRange,  // the digits read exceed the 32-bit range
};

struct IntegerRead {
  IntegerStatus status = IntegerStatus::Whole;
  // Whole: the number, its sign applied. Partial: the digits read before
  // the stop, without the sign. OutOfRange: 0.
  std::int32_t value = 0;
};

// While typing: never fails. An empty text, a lone sign or a lone prefix
// reads as 0 (Whole).
IntegerRead readLenientInteger(std::string_view text);

// At Draw: the whole text must read as a number with at least one digit
// and nothing left over; otherwise (or out of range) nothing.
std::optional<std::int32_t> readStrictInteger(std::string_view text);

}  // namespace tarvelon
