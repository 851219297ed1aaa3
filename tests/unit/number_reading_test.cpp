// How the commands read ids and amounts. The C library's strtod of this platform
// (glibc, correctly rounded in every case) is the reference for every text in the
// decimal grammar; the texts where the two differ on purpose are checked by hand.
#include "commands/number_reading.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "commands/big_unsigned.h"
#include "tests/unit/bit_patterns.h"

namespace {

using commands::Read_Id;

using quillon_test::Bits;
using quillon_test::Double_Of;
using quillon_test::Float_Of;

// The readings as values, for comparing with the C library's.
double Read_Decimal(const char* text) { return Double_Of(commands::Read_Decimal_Bits(text)); }

float Read_Amount(const char* text) { return Float_Of(commands::Read_Amount(text).bits); }

// 5^k in decimal digits: 2^-k is 5^k / 10^k, so it gives exact midpoints of doubles.
std::string Power_Of_Five(unsigned k) {
  std::string digits = "1";  // least significant first while multiplying
  for (unsigned i = 0; i < k; ++i) {
    int carry = 0;
    for (char& d : digits) {
      const int product = (d - '0') * 5 + carry;
      d = static_cast<char>('0' + product % 10);
      carry = product / 10;
    }
    if (carry != 0) digits.push_back(static_cast<char>('0' + carry));
  }
  return std::string(digits.rbegin(), digits.rend());
}

// 2^-k written out in full: "0." and k decimals.
std::string Two_To_Minus(unsigned k) {
  const std::string digits = Power_Of_Five(k);
  return "0." + std::string(k - digits.size(), '0') + digits;
}

// Reading must agree with the reference bit for bit, the sign of a zero included, and
// the amount must be that double narrowed to float.
void Expect_As_Reference(const std::string& text) {
  const double reference = std::strtod(text.c_str(), nullptr);
  EXPECT_EQ(Bits(Read_Decimal(text.c_str())), Bits(reference)) << "'" << text << "'";
  EXPECT_EQ(Bits(Read_Amount(text.c_str())), Bits(static_cast<float>(reference)))
      << "'" << text << "'";
}

TEST(ReadIdTest, WhiteSpaceSignDigitsAndWrapping) {
  const struct {
    const char* text;
    std::int32_t id;
  } cases[] = {
      {"7", 7},
      {" \t\n\v\f\r7", 7},
      {"+12abc", 12},
      {"-3", -3},
      {"0007", 7},
      {"", 0},
      {"-", 0},
      {"+-1", 0},
      {"abc", 0},
      {"0x10", 0},
      {"1e3", 1},
      {"12.9", 12},
      {"2147483647", 2147483647},
      {"2147483648", INT32_MIN},
      {"4294967297", 1},
      {"-4294967297", -1},
      {"4294967296", 0},
      {"\xA0"
       "5",
       0},
      {"99999999999999999999", 1661992959},  // 10^20 - 1 modulo 2^32
  };
  for (const auto& c : cases) EXPECT_EQ(Read_Id(c.text), c.id) << "'" << c.text << "'";
}

TEST(ReadAmountTest, OnlyTheDecimalGrammarIsANumber) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"12.5", 12.5},
      {"  -12.5xyz", -12.5},
      {"+.5", 0.5},
      {"5.", 5.0},
      {"5.e1", 50.0},
      {"1e", 1.0},
      {"1e+", 1.0},
      {"1E-", 1.0},
      {"2E+2", 200.0},
      {"1d3", 1.0},
      {"1D3", 1.0},
      {"12,5", 12.0},
      {"0x10", 0.0},
      {"0x1p3", 0.0},
      {"nan", 0.0},
      {"inf", 0.0},
      {"-infinity", 0.0},
      {".", 0.0},
      {"+", 0.0},
      {"e5", 0.0},
      {"-.e5", 0.0},
      {"", 0.0},
      {"\xA0"
       "1",
       0.0},
      {"1 2", 1.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Bits(Read_Decimal(c.text)), Bits(c.value)) << "'" << c.text << "'";
  }
}

TEST(ReadAmountTest, SignedZerosAndInfinitiesKeepTheirSign) {
  EXPECT_EQ(Bits(Read_Amount("-0")), Bits(-0.0f));
  EXPECT_EQ(Bits(Read_Amount("-0.000e7")), Bits(-0.0f));
  EXPECT_EQ(Bits(Read_Amount("-")), Bits(0.0f)) << "no number is a plain zero";
  EXPECT_EQ(Read_Decimal("1e999999999999"), HUGE_VAL);
  EXPECT_EQ(Read_Decimal("-1e999999999999999999999999"), -HUGE_VAL);
  EXPECT_EQ(Bits(Read_Decimal("1e-999999999999")), Bits(0.0));
  EXPECT_EQ(Bits(Read_Decimal("-1e-999999999999")), Bits(-0.0));
  EXPECT_EQ(Read_Amount("1e39"), HUGE_VALF) << "beyond the largest float";
  EXPECT_EQ(Bits(Read_Amount("-1e-46")), Bits(-0.0f)) << "below the smallest float";
  EXPECT_EQ(Read_Decimal("0e999999999999"), 0.0);
}

// The exact integers under the decimal reader, at their edges: zero, a value across two
// words, and a value in the top bit of the last word, where a carry, a shift or a
// word past the value must neither be lost nor written past the array.
TEST(BigUnsignedTest, ZeroTwoWordValuesAndTheFullCapacity) {
  using commands::BigUnsigned;
  const BigUnsigned zero;
  EXPECT_TRUE(zero.Is_Zero());
  EXPECT_EQ(zero.Bit_Length(), 0u);
  BigUnsigned cleared(5);
  cleared.Multiply_Add(0, 0);
  EXPECT_TRUE(cleared.Is_Zero()) << "a zero product keeps no word";
  EXPECT_EQ(Compare(cleared, zero), 0);

  // The high word of a 64-bit start, and the length counted from the top word.
  const BigUnsigned two_words(0x123456789ull);
  EXPECT_EQ(two_words.Bit_Length(), 33u);
  BigUnsigned built(0x12345678u);
  built.Multiply_Add(16, 9);
  EXPECT_EQ(Compare(built, two_words), 0);

  const std::uint32_t capacity_bits = BigUnsigned::Capacity_Words * 32;
  BigUnsigned top(1);
  top.Shift_Left(capacity_bits - 1);
  EXPECT_EQ(top.Bit_Length(), capacity_bits) << "a shift that exactly fits is made";
  BigUnsigned refused = top;
  refused.Shift_Left(1);
  EXPECT_EQ(Compare(refused, top), 0) << "a shift that does not fit leaves the value";
  BigUnsigned carried = top;
  carried.Multiply_Add(3, 0);  // 2^4096 + 2^4095: the carry past the top is dropped
  EXPECT_EQ(Compare(carried, top), 0);
  BigUnsigned halved = top;
  halved.Shift_Right_One();
  EXPECT_EQ(halved.Bit_Length(), capacity_bits - 1);
  halved.Shift_Left(1);
  EXPECT_EQ(Compare(halved, top), 0);
}

// Where rounding is hardest: ties to even, the edges of the double range, denormals,
// and digits far beyond the ones kept.
TEST(ReadAmountTest, HardRoundingCasesMatchTheReference) {
  const std::string max_halfway =
      "17976931348623158079372897140530341507993413271003782693617377898044496829276475094664"
      "90179775872070963302864166928879109465555478519404026306574886715058206819089020007083"
      "83676273854845817711531764475730270069855571366959622842914819860834936475292719074168"
      "444365510704342711559699508093042880177904174497792";  // 2^1024 - 2^970
  EXPECT_EQ(Read_Decimal(max_halfway.c_str()), HUGE_VAL) << "a tie at the top rounds to even";
  std::string below = max_halfway;
  below.back() = '1';
  EXPECT_EQ(Read_Decimal(below.c_str()), DBL_MAX);
  const std::string zeros(900, '0');
  // 1.00000000000000008 lies just above a power of two: the quotient's 54 bits are
  // exactly 2^53 and the remainder alone decides. 0.99999999999999999 and
  // 9007199254740991.9 round up out of their 53 bits into the next power of two.
  for (const std::string& text : {max_halfway,
                                  below,
                                  std::string("1.7976931348623157e308"),
                                  std::string("1.7976931348623158e308"),
                                  std::string("2e308"),  // past the top: infinity, not NaN
                                  std::string("2.4703282292062327e-324"),
                                  std::string("2.4703282292062328e-324"),
                                  std::string("4.9406564584124654e-324"),
                                  std::string("2.2250738585072011e-308"),
                                  std::string("2.2250738585072012e-308"),
                                  std::string("9007199254740993"),
                                  std::string("9007199254740995"),
                                  "9007199254740993." + zeros + "1",
                                  "9007199254740993" + zeros + "e-900",
                                  "0." + zeros + "1e900",
                                  std::string("2403593112448452e11"),
                                  std::string("8978445303103054e16"),
                                  std::string("0.1"),
                                  std::string("16777217"),
                                  std::string("1.00000000000000008"),
                                  std::string("0.99999999999999999"),
                                  std::string("9007199254740991.9"),
                                  std::string("3.4028235677973366e38"),
                                  std::string("1.4012984643248171e-45"),
                                  std::string("7.0064923216240854e-46"),
                                  std::string("7.0064923216240862e-46")}) {
    Expect_As_Reference(text);
  }
  EXPECT_EQ(Read_Decimal("2.4703282292062328e-324"), std::numeric_limits<double>::denorm_min());
}

// Exact midpoints written out in all their digits (752 significant ones for half the
// smallest denormal): a tie goes to the even neighbour, and one more digit past it, even
// far out, goes up. Only a reader that keeps enough digits gets both right.
TEST(ReadAmountTest, LongExactMidpointsTieToEvenAndAnyMoreGoesUp) {
  const std::string half_denormal = Two_To_Minus(1075);
  EXPECT_EQ(Bits(Read_Decimal(half_denormal.c_str())), Bits(0.0));
  EXPECT_EQ(Read_Decimal((half_denormal + "1").c_str()), std::numeric_limits<double>::denorm_min());
  const std::string one_and_half_ulp = "1" + Two_To_Minus(53).substr(1);
  EXPECT_EQ(Read_Decimal(one_and_half_ulp.c_str()), 1.0);
  EXPECT_EQ(Read_Decimal((one_and_half_ulp + "0000001").c_str()), std::nextafter(1.0, 2.0));
  for (const std::string& text : {half_denormal, half_denormal + "1", one_and_half_ulp,
                                  "3" + Two_To_Minus(52).substr(1) + "e-310"}) {
    Expect_As_Reference(text);
  }
}

// Random texts in every shape of the grammar: long digit strings, far exponents,
// denormals, junk after the number.
TEST(ReadAmountTest, RandomDecimalTextsMatchTheReference) {
  std::mt19937 random(20240611u);
  auto digits = [&](std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char>('0' + random() % 10));
    return text;
  };
  auto length = [&]() -> std::size_t {
    const unsigned pick = random() % 16;
    return pick < 12 ? random() % 20 : pick < 15 ? random() % 60 : 700 + random() % 400;
  };
  const char* junk[] = {"", "", "abc", "e", "e+", ".5", " 7", "d3", "x"};
  for (int i = 0; i < 40000; ++i) {
    std::string text = std::string(random() % 4, ' ') + std::string("+- ").substr(random() % 3, 1);
    text += digits(length());
    if (random() % 2) text += "." + digits(length());
    if (random() % 2) {
      text += "eE"[random() % 2];
      text += std::string("+- ").substr(random() % 3, 1);
      const int magnitude = random() % 8 == 0 ? 100000 : random() % 4 == 0 ? 400 : 40;
      text += std::to_string(random() % magnitude);
    }
    text += junk[random() % (sizeof junk / sizeof junk[0])];
    Expect_As_Reference(text);
    if (HasFailure()) break;
  }
}

}  // namespace
