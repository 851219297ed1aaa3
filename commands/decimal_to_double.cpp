// Why the reader may stop at 800 significant digits: every double, and every midpoint
// between two neighbouring doubles, has at most 767 significant decimal digits. A text
// cut after its 800th significant digit, with one non-zero digit put in place of all it
// dropped, lies strictly between the same two 800-digit neighbours as the full text, an
// interval in which no number of 767 digits lies: both round to the same double.
//
// The size of the numbers formed here: at most 801 digits (below 2^2661) times or
// divided by a power of ten whose total magnitude is kept within 10^-325 to 10^310 by
// the early checks, so neither numerator nor denominator passes 10^1126 (below 2^3741);
// the scaled numerator adds 54 bits to that. 4096 bits hold them all.
#include "commands/decimal_to_double.h"

#include "commands/big_unsigned.h"

namespace commands {

namespace {

constexpr std::uint64_t Infinity_Bits = 0x7FF0000000000000ull;
constexpr int Mantissa_Bits = 53;       // with the hidden bit
constexpr int Lowest_Exponent = -1074;  // of the last bit of the smallest denormal
constexpr int Highest_Exponent = 971;   // of the last bit of the largest double
constexpr int Exponent_Bias = 1075;     // field value = exponent of the last bit + bias
constexpr std::uint64_t Hidden_Bit = 1ull << (Mantissa_Bits - 1);
// Beyond these decimal magnitudes the result is infinity or zero without arithmetic:
// 10^309 is past the largest double, 10^-324 below half the smallest denormal.
constexpr std::int64_t Magnitude_Overflows = 310;
constexpr std::int64_t Magnitude_Underflows = -324;
// Integers of up to 15 digits are below 2^53: exact as doubles.
constexpr std::int64_t Exact_Integer_Digits = 15;

struct Quotient {
  std::uint64_t value;  // below 2^54
  int exponent;         // of its last bit
  int half;             // the remainder against half a unit of the last bit: -1, 0, 1
  bool inexact;         // a remainder at all
};

BigUnsigned Digits_Value(const DecimalDigits& decimal) {
  BigUnsigned value;
  for (unsigned i = 0; i < decimal.count; ++i) {
    value.Multiply_Add(10, static_cast<std::uint32_t>(decimal.digits[i] - '0'));
  }
  return value;
}

// numerator / (denominator * 2^exponent), which the caller has made lie below 2^54,
// by long division one bit at a time.
Quotient Divide(BigUnsigned numerator, BigUnsigned denominator, int exponent) {
  if (exponent >= 0) {
    denominator.Shift_Left(static_cast<std::uint32_t>(exponent));
  } else {
    numerator.Shift_Left(static_cast<std::uint32_t>(-exponent));
  }
  BigUnsigned step = denominator;
  step.Shift_Left(Mantissa_Bits);
  std::uint64_t value = 0;
  for (int bit = Mantissa_Bits; bit >= 0; --bit) {
    if (Compare(numerator, step) >= 0) {
      numerator.Subtract(step);
      value |= 1ull << bit;
    }
    step.Shift_Right_One();
  }
  const bool inexact = !numerator.Is_Zero();
  numerator.Shift_Left(1);  // twice the remainder, against the divisor
  return {value, exponent, Compare(numerator, denominator), inexact};
}

// Drops the quotient's last bit into the rounding information.
void Drop_Last_Bit(Quotient* q) {
  const bool dropped = (q->value & 1) != 0;
  q->half = !dropped ? -1 : (q->inexact ? 1 : 0);
  q->value >>= 1;
  ++q->exponent;
}

std::uint64_t Rounded_Bits(Quotient q) {
  if (q.value >= (1ull << Mantissa_Bits)) Drop_Last_Bit(&q);
  if (q.half > 0 || (q.half == 0 && (q.value & 1) != 0)) ++q.value;
  // A mantissa rounded up to 2^53 carries into the exponent field by itself, up to the
  // infinity's bits.
  if (q.exponent > Highest_Exponent) return Infinity_Bits;
  if (q.value < Hidden_Bit) return q.value;  // a denormal: the exponent is the lowest
  return (static_cast<std::uint64_t>(q.exponent + Exponent_Bias) << (Mantissa_Bits - 1)) +
         (q.value - Hidden_Bit);
}

// Below 10^15 an integer fits the mantissa whole, so the common amounts skip the
// division: its bits are placed directly.
std::uint64_t Bits_Of_Small_Integer(const DecimalDigits& decimal) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < decimal.count; ++i) value = value * 10 + (decimal.digits[i] - '0');
  for (std::int64_t i = 0; i < decimal.exponent; ++i) value *= 10;
  const int length = 64 - __builtin_clzll(value);  // the digits start with a non-zero one
  const std::uint64_t mantissa = value << (Mantissa_Bits - length);
  return (static_cast<std::uint64_t>(length - 1 + Exponent_Bias - 52) << (Mantissa_Bits - 1)) +
         (mantissa - Hidden_Bit);
}

}  // namespace

std::uint64_t Nearest_Double_Bits(const DecimalDigits& decimal) {
  if (decimal.count == 0) return 0;
  const std::int64_t magnitude = static_cast<std::int64_t>(decimal.count) + decimal.exponent;
  if (magnitude >= Magnitude_Overflows) return Infinity_Bits;
  if (magnitude <= Magnitude_Underflows) return 0;
  if (decimal.exponent >= 0 && magnitude <= Exact_Integer_Digits) {
    return Bits_Of_Small_Integer(decimal);
  }
  BigUnsigned numerator = Digits_Value(decimal);
  BigUnsigned denominator(1);
  if (decimal.exponent >= 0) {
    numerator.Multiply_By_Power_Of_Ten(static_cast<std::uint32_t>(decimal.exponent));
  } else {
    denominator.Multiply_By_Power_Of_Ten(static_cast<std::uint32_t>(-decimal.exponent));
  }
  // The quotient at this exponent lies in [2^52, 2^54); a denormal takes fewer bits.
  int exponent = static_cast<int>(numerator.Bit_Length()) -
                 static_cast<int>(denominator.Bit_Length()) - Mantissa_Bits;
  if (exponent < Lowest_Exponent) exponent = Lowest_Exponent;
  return Rounded_Bits(Divide(numerator, denominator, exponent));
}

}  // namespace commands
