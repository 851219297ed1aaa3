#include "commands/float_bits.h"

namespace commands {

namespace {

constexpr int Double_Fraction_Bits = 52;
constexpr int Float_Fraction_Bits = 23;
constexpr int Dropped_Bits = Double_Fraction_Bits - Float_Fraction_Bits;  // 29
constexpr int Double_Bias = 1023;
constexpr int Float_Bias = 127;
constexpr std::uint32_t Double_Exponent_All_Ones = 0x7FF;
constexpr std::uint32_t Float_Exponent_All_Ones = 0xFF;
constexpr std::uint64_t Double_Fraction_Mask = (1ull << Double_Fraction_Bits) - 1;
constexpr std::uint32_t Float_Fraction_Mask = (1u << Float_Fraction_Bits) - 1;
constexpr std::uint32_t Float_Infinity = 0x7F800000u;
constexpr std::uint32_t Float_Quiet_Bit = 1u << (Float_Fraction_Bits - 1);
constexpr std::uint64_t Double_Quiet_Bit = 1ull << (Double_Fraction_Bits - 1);

// `significand` shifted right by `shift` (1 to 63) and rounded to nearest, ties to even.
std::uint64_t Shift_Rounding_To_Nearest(std::uint64_t significand, int shift) {
  const std::uint64_t kept = significand >> shift;
  const std::uint64_t rest = significand & ((1ull << shift) - 1);
  const std::uint64_t half = 1ull << (shift - 1);
  const bool up = rest > half || (rest == half && (kept & 1) != 0);
  return kept + (up ? 1 : 0);
}

// A finite, non-zero double of biased exponent 1 to 2046, narrowed without its sign.
std::uint32_t Narrow_Normal(std::uint32_t exponent, std::uint64_t fraction) {
  const std::uint64_t significand = (1ull << Double_Fraction_Bits) | fraction;  // 53 bits
  const int float_exponent = static_cast<int>(exponent) - Double_Bias + Float_Bias;
  if (float_exponent >= static_cast<int>(Float_Exponent_All_Ones)) return Float_Infinity;
  if (float_exponent >= 1) {
    // 24 bits kept; a carry out of them moves into the exponent field by itself, up to
    // the infinity's bits.
    const std::uint64_t kept = Shift_Rounding_To_Nearest(significand, Dropped_Bits);
    return (static_cast<std::uint32_t>(float_exponent) << Float_Fraction_Bits) +
           static_cast<std::uint32_t>(kept - (1ull << Float_Fraction_Bits));
  }
  // A denormal float, or zero: the last bit kept is worth 2^-149. Past 63 bits the value
  // is below a quarter of that and rounds to zero.
  const int shift = Dropped_Bits + 1 - float_exponent;
  if (shift > 63) return 0;
  // Rounding up to 2^23 gives the smallest normal float's bits, as it should.
  return static_cast<std::uint32_t>(Shift_Rounding_To_Nearest(significand, shift));
}

}  // namespace

std::uint32_t Nearest_Float_Bits(std::uint64_t double_bits) {
  const std::uint32_t sign = static_cast<std::uint32_t>(double_bits >> 63) << 31;
  const auto exponent =
      static_cast<std::uint32_t>(double_bits >> Double_Fraction_Bits) & Double_Exponent_All_Ones;
  const std::uint64_t fraction = double_bits & Double_Fraction_Mask;
  if (exponent == Double_Exponent_All_Ones) {
    if (fraction == 0) return sign | Float_Infinity;
    return sign | Float_Infinity | Float_Quiet_Bit |
           static_cast<std::uint32_t>(fraction >> Dropped_Bits);
  }
  // Zeros, and denormal doubles: all of them far below half the smallest float.
  if (exponent == 0) return sign;
  return sign | Narrow_Normal(exponent, fraction);
}

std::uint64_t Double_Bits_Of_Float(std::uint32_t float_bits) {
  const std::uint64_t sign = static_cast<std::uint64_t>(float_bits >> 31) << 63;
  int exponent = static_cast<int>((float_bits >> Float_Fraction_Bits) & Float_Exponent_All_Ones);
  std::uint32_t fraction = float_bits & Float_Fraction_Mask;
  if (exponent == static_cast<int>(Float_Exponent_All_Ones)) {
    const std::uint64_t nan_fraction =
        fraction == 0 ? 0 : Double_Quiet_Bit | (std::uint64_t{fraction} << Dropped_Bits);
    return sign | (std::uint64_t{Double_Exponent_All_Ones} << Double_Fraction_Bits) | nan_fraction;
  }
  if (exponent == 0) {
    if (fraction == 0) return sign;
    // A denormal float is a normal double: move its leading bit to the hidden place.
    exponent = 1;
    while ((fraction & (1u << Float_Fraction_Bits)) == 0) {
      fraction <<= 1;
      --exponent;
    }
    fraction &= Float_Fraction_Mask;
  }
  const auto double_exponent = static_cast<std::uint32_t>(exponent - Float_Bias + Double_Bias);
  return sign | (std::uint64_t{double_exponent} << Double_Fraction_Bits) |
         (std::uint64_t{fraction} << Dropped_Bits);
}

}  // namespace commands
