// IEEE 754 conversions between double and float done on the bits with integers only,
// so that no FPU state of the calling thread can change them: no precision control,
// rounding mode, flush-to-zero or trap reaches them.
#pragma once

#include <cstdint>

namespace commands {

// The float nearest to the double (ties to even), as the FPU narrows in its default
// mode: too large gives an infinity, too small a zero or a denormal, each with the
// double's sign; a NaN stays a NaN, made quiet, with the top of its payload.
std::uint32_t Nearest_Float_Bits(std::uint64_t double_bits);

// The same value as a double: exact for every float, denormals included; a NaN is
// made quiet and keeps its payload.
std::uint64_t Double_Bits_Of_Float(std::uint32_t float_bits);

}  // namespace commands
