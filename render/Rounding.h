// The program's one rounding rule: to the nearest integer, halves to even.
#pragma once

#include <cstdint>

namespace tarvelon {

// numerator / denominator rounded to the nearest integer, a half going to
// the even neighbour. The denominator must not be 0.
constexpr std::int64_t roundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  if (remainder < 0) {  // floor division
    quotient -= 1;
    remainder += denominator;
  }
  const std::int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && (quotient % 2 != 0))) quotient += 1;
  return quotient;
}

}  // namespace tarvelon
