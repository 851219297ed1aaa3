// How the commands read numbers from the words an operator typed. The same in every
// build and every server process: no C runtime conversion, so neither the runtime's
// own extensions nor the process's locale can change what a word means.
#pragma once

#include <cstdint>

#include "host/host_float.h"

namespace commands {

// A player id: white space (space, tab, line feed, vertical tab, form feed, carriage
// return) skipped, an optional sign, then decimal digits up to the first other
// character. No digits give 0. No range check: the number wraps modulo 2^32.
std::int32_t Read_Id(const char* text);

// An amount or coordinate: white space skipped, an optional sign, decimal digits with
// an optional fraction (".5" and "5." both count), then an optional exponent: e or E,
// an optional sign and at least one digit ("1e" and "1e+" read as 1). Nothing else is
// a number: no hexadecimal, no "inf" or "nan", no d exponent, the decimal point is
// always '.'. No number gives 0. The value is the double nearest to the decimal,
// narrowed to the nearest float: too large gives an infinity, too small a zero, each
// with the sign typed. Integers only, whatever the thread's FPU state.
host::HostFloat Read_Amount(const char* text);

// The same reading before the narrowing: the bits of the double nearest to the
// decimal typed.
std::uint64_t Read_Decimal_Bits(const char* text);

}  // namespace commands
