// A float slot's result, handed back in ST0 as the host's compiler returns a float.
//
// The slot loads its result after the caller's control word is back. Loading a float
// onto the x87 stack (fld m32) raises the denormal-operand exception for a denormal
// and the invalid-operation exception for a signalling NaN; under a caller that
// unmasked either, the load leaves that exception pending and the caller's next x87
// instruction traps, in the server's own code. Loading 80 bits (fld m80) raises
// nothing. So those two kinds of value are widened bit by bit, an exact conversion,
// and loaded at 80 bits: ST0 then holds the same value the plain load would give,
// without the exception. Every other float loads as usual.
#pragma once

#include <cstdint>
#include <cstring>

namespace math::x87 {

// The x87 register format in memory: a 64-bit significand with its integer bit, then
// the sign and a 15-bit exponent biased by 16383.
struct Extended {
  std::uint64_t significand;
  std::uint16_t sign_exponent;
};

constexpr std::uint32_t Float_Exponent = 0x7F800000u;
constexpr std::uint32_t Float_Fraction = 0x007FFFFFu;
constexpr std::uint32_t Float_Quiet_Bit = 0x00400000u;

constexpr bool Raises_On_Load(std::uint32_t bits) {
  const std::uint32_t exponent = bits & Float_Exponent;
  const std::uint32_t fraction = bits & Float_Fraction;
  const bool denormal = exponent == 0 && fraction != 0;
  const bool signalling =
      exponent == Float_Exponent && fraction != 0 && (fraction & Float_Quiet_Bit) == 0;
  return denormal || signalling;
}

// The float with these bits as an 80-bit value, exactly. A denormal float is a normal
// number at 80 bits: its leading one moves to the integer bit. A NaN keeps its payload
// and stays signalling, as an 80-bit load keeps it.
constexpr Extended Widened(std::uint32_t bits) {
  const auto sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
  const std::uint32_t exponent = (bits & Float_Exponent) >> 23;
  const std::uint64_t fraction = bits & Float_Fraction;
  if (exponent == 0xFF) {
    return {(std::uint64_t{1} << 63) | (fraction << 40), static_cast<std::uint16_t>(sign | 0x7FFF)};
  }
  if (exponent != 0) {
    return {(std::uint64_t{1} << 63) | (fraction << 40),
            static_cast<std::uint16_t>(sign | (exponent - 127 + 16383))};
  }
  if (fraction == 0) return {0, sign};
  // A denormal: fraction times 2 to the -149. Its highest set bit, at `top`, becomes
  // the integer bit.
  int top = 22;
  while ((fraction >> top) == 0) --top;
  return {fraction << (63 - top), static_cast<std::uint16_t>(sign | (16383 - 149 + top))};
}

// The result to return: `return Returned_In_St0(result);` in a slot that returns a
// float. The result is read from memory as bits, so nothing loads it twice.
__attribute__((always_inline)) inline float Returned_In_St0(const float& result) {
  std::uint32_t bits;
  std::memcpy(&bits, &result, sizeof bits);
  if (__builtin_expect(!Raises_On_Load(bits), 1)) return result;
  const Extended wide = Widened(bits);
  float value;
  __asm__ __volatile__("fldt %1" : "=t"(value) : "m"(wide));
  return value;
}

}  // namespace math::x87
