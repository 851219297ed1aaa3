// The double nearest to a decimal number (ties to even), found with exact integer
// arithmetic only: the result is the same whatever precision the FPU is set to and
// whatever C runtime or locale the process has.
#pragma once

#include <cstdint>

namespace commands {

// Significant digits as read from the text, without leading zeros. Past
// Max_Significant_Digits the reader keeps a single non-zero digit standing for every
// digit it dropped (see decimal_to_double.cpp for why that is exact).
struct DecimalDigits {
  static constexpr unsigned Max_Significant_Digits = 800;

  char digits[Max_Significant_Digits + 1];  // '0' to '9'
  unsigned count = 0;
  // The value is digits x 10^exponent. The reader keeps it within about +-10^15, far
  // from where sums with the digit count could overflow.
  std::int64_t exponent = 0;
};

// The bits of the nearest double to the non-negative value; +infinity when it rounds
// beyond the largest double, +0 when it rounds below the smallest.
std::uint64_t Nearest_Double_Bits(const DecimalDigits& decimal);

}  // namespace commands
