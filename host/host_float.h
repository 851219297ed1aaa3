// Floats on their way to the host, carried by their bits. The host's threads may run
// the FPU at any precision, in any rounding mode and with traps unmasked, so the
// plug-in never loads an amount into the FPU: it reads amounts into float bits with
// integers, hands the host those bits where the host's function takes a float, and
// widens them to double bits, again with integers, where a printf-style "%f" takes a
// double. On the stack both forms are exactly the float and the double they stand
// for: 4 and 8 bytes, in the same place.
#pragma once

#include <cstdint>

namespace host {

// A 32-bit float argument of a host function.
struct HostFloat {
  std::uint32_t bits;
};

// The double that a "%f" of the host's console print reads.
struct HostDouble {
  std::uint64_t bits;
};

static_assert(sizeof(HostFloat) == sizeof(float), "a HostFloat takes a float's place");
static_assert(sizeof(HostDouble) == sizeof(double), "a HostDouble takes a double's place");

// A constant amount, turned into bits when the plug-in is compiled.
constexpr HostFloat Host_Float(float value) {
  return HostFloat{__builtin_bit_cast(std::uint32_t, value)};
}

}  // namespace host
