// The integer conversions between double and float against the FPU's own, in the
// test program's default state (round to nearest, every trap masked), where the
// hardware is the reference: every exponent, the rounding boundaries, the specials.
#include "commands/float_bits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "tests/unit/bit_patterns.h"

namespace {

using commands::Double_Bits_Of_Float;
using commands::Nearest_Float_Bits;

using quillon_test::Bits;
using quillon_test::Double_Of;
using quillon_test::Float_Of;

// What the FPU makes of the double; volatile so that the compiler leaves it to the FPU.
std::uint32_t Hardware_Narrowed(std::uint64_t bits) {
  volatile double wide = Double_Of(bits);
  volatile float narrow = static_cast<float>(wide);
  return Bits(static_cast<float>(narrow));
}

std::uint64_t Hardware_Widened(std::uint32_t bits) {
  volatile float narrow = Float_Of(bits);
  volatile double wide = narrow;
  return Bits(static_cast<double>(wide));
}

void Expect_Narrowed_As_Hardware(std::uint64_t bits) {
  EXPECT_EQ(Nearest_Float_Bits(bits), Hardware_Narrowed(bits))
      << std::hex << "double bits 0x" << bits << " (" << Double_Of(bits) << ")";
}

TEST(FloatBitsTest, NarrowsEveryDoubleExponentAsTheFpuDoes) {
  std::mt19937_64 random(11);
  for (std::uint64_t exponent = 0; exponent <= 0x7FE; ++exponent) {
    for (int i = 0; i < 64; ++i) {
      const std::uint64_t sign = static_cast<std::uint64_t>(i & 1) << 63;
      const std::uint64_t fraction = random() & ((1ull << 52) - 1);
      Expect_Narrowed_As_Hardware(sign | exponent << 52 | fraction);
    }
  }
}

// Below the 29 bits a float drops: exactly half (a tie, to even either way), just
// under and just over half, nothing, everything; around the largest float, where a
// carry reaches the infinity, and at the denormal boundary, where one carries into the
// smallest normal.
TEST(FloatBitsTest, RoundsTiesToEvenAndCarriesAcrossBoundaries) {
  const std::uint64_t half = 1ull << 28;
  const std::uint64_t lows[] = {0, 1, half - 1, half, half + 1, (1ull << 29) - 1};
  const double anchors[] = {1.0,
                            1.5,
                            static_cast<double>(std::numeric_limits<float>::max()),
                            static_cast<double>(std::numeric_limits<float>::min()),
                            static_cast<double>(std::numeric_limits<float>::denorm_min()),
                            std::ldexp(1.0, -149) * 3,
                            std::ldexp(1.0, -150),
                            std::ldexp(1.0, -151),
                            std::ldexp(1.0, 128) - std::ldexp(1.0, 103)};
  for (double anchor : anchors) {
    for (std::uint64_t even_or_odd : {0ull, 1ull << 29}) {
      for (std::uint64_t low : lows) {
        const std::uint64_t bits = (Bits(anchor) & ~((1ull << 30) - 1)) | even_or_odd | low;
        Expect_Narrowed_As_Hardware(bits);
        Expect_Narrowed_As_Hardware(bits | 1ull << 63);
      }
    }
  }
}

TEST(FloatBitsTest, NarrowsSpecialValues) {
  const double specials[] = {0.0,
                             -0.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             1e39,
                             -1e-46};
  for (double value : specials) Expect_Narrowed_As_Hardware(Bits(value));
  // A NaN stays a NaN with its sign and the top of its payload, and is quiet.
  EXPECT_EQ(Nearest_Float_Bits(0x7FF8000000000000ull), 0x7FC00000u);
  EXPECT_EQ(Nearest_Float_Bits(0xFFF0000020000000ull), 0xFFC00001u);
}

TEST(FloatBitsTest, WidensEveryFloatExactly) {
  // Every float whose low 12 fraction bits are a pattern of a few: all exponents, all
  // denormal lengths, both signs; NaNs are left to the case below.
  for (std::uint32_t high = 0; high < (1u << 20); ++high) {
    for (std::uint32_t low : {0x000u, 0x001u, 0x800u, 0xFFFu}) {
      const std::uint32_t bits = high << 12 | low;
      if ((bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0) continue;
      ASSERT_EQ(Double_Bits_Of_Float(bits), Hardware_Widened(bits)) << std::hex << bits;
    }
  }
  EXPECT_EQ(Double_Bits_Of_Float(0x7FC00000u), 0x7FF8000000000000ull);
  EXPECT_EQ(Double_Bits_Of_Float(0xFF800001u), 0xFFF8000020000000ull) << "made quiet";
}

}  // namespace
