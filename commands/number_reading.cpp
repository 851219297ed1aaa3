#include "commands/number_reading.h"

#include "commands/decimal_to_double.h"
#include "commands/float_bits.h"

namespace commands {

namespace {

// An exponent beyond this says nothing more: the value is infinite or zero already.
constexpr std::int64_t Exponent_Limit = 1000000000000000;  // 10^15

bool Is_Space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

// Skips white space and reads an optional sign; true for a minus.
bool Skip_To_Number(const char** at) {
  while (Is_Space(**at)) ++*at;
  const bool negative = **at == '-';
  if (**at == '-' || **at == '+') ++*at;
  return negative;
}

// Collects the significant digits of a mantissa. Digits past the kept ones only count
// as "something non-zero was dropped".
class DigitCollector {
 public:
  explicit DigitCollector(DecimalDigits* decimal) : decimal_(decimal) {}

  void Integer_Digit(char c) {
    if (!Keep(c)) ++decimal_->exponent;
  }
  void Fraction_Digit(char c) {
    // A leading zero of the fraction only moves the point; it is not a digit to keep.
    const bool leading_zero = decimal_->count == 0 && c == '0';
    if (leading_zero || Keep(c)) --decimal_->exponent;
  }
  // Puts one non-zero digit in place of the dropped ones, then drops trailing zeros.
  // That digit may come after the most digits Keep stores.
  static_assert(sizeof(DecimalDigits{}.digits) > DecimalDigits::Max_Significant_Digits,
                "no room for the digit that stands for the dropped ones");
  void Finish() {
    if (dropped_non_zero_) {
      decimal_->digits[decimal_->count++] = '1';
      --decimal_->exponent;
    }
    while (decimal_->count > 0 && decimal_->digits[decimal_->count - 1] == '0') {
      --decimal_->count;
      ++decimal_->exponent;
    }
  }

 private:
  // False when the digit is past the kept ones (it is then only noted).
  bool Keep(char c) {
    if (decimal_->count == 0 && c == '0') return true;  // a leading zero: nothing to keep
    if (decimal_->count < DecimalDigits::Max_Significant_Digits) {
      decimal_->digits[decimal_->count++] = c;
      return true;
    }
    dropped_non_zero_ = dropped_non_zero_ || c != '0';
    return false;
  }

  DecimalDigits* decimal_;
  bool dropped_non_zero_ = false;
};

// Reads "digits [. digits]" or ". digits"; false when there is no digit at all.
bool Read_Mantissa(const char** at, DecimalDigits* decimal) {
  DigitCollector collector(decimal);
  bool any = false;
  for (; Is_Digit(**at); ++*at, any = true) collector.Integer_Digit(**at);
  if (**at == '.') {
    const char* fraction = *at + 1;
    for (; Is_Digit(*fraction); ++fraction, any = true) collector.Fraction_Digit(*fraction);
    if (any) *at = fraction;
  }
  collector.Finish();
  return any;
}

// "e" or "E", an optional sign, at least one digit; otherwise no exponent at all.
std::int64_t Read_Exponent(const char* at) {
  if (*at != 'e' && *at != 'E') return 0;
  ++at;
  const bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  std::int64_t value = 0;
  for (; Is_Digit(*at); ++at) {
    if (value < Exponent_Limit) value = value * 10 + (*at - '0');
  }
  return negative ? -value : value;
}

std::uint64_t With_Sign(std::uint64_t bits, bool negative) {
  return negative ? bits | 1ull << 63 : bits;
}

}  // namespace

std::int32_t Read_Id(const char* text) {
  const bool negative = Skip_To_Number(&text);
  std::uint32_t value = 0;
  for (; Is_Digit(*text); ++text) value = value * 10u + static_cast<std::uint32_t>(*text - '0');
  if (negative) value = 0u - value;
  std::int32_t id;
  __builtin_memcpy(&id, &value, sizeof id);
  return id;
}

std::uint64_t Read_Decimal_Bits(const char* text) {
  const bool negative = Skip_To_Number(&text);
  DecimalDigits decimal;
  if (!Read_Mantissa(&text, &decimal)) return 0;
  decimal.exponent += Read_Exponent(text);
  return With_Sign(Nearest_Double_Bits(decimal), negative);
}

host::HostFloat Read_Amount(const char* text) {
  return host::HostFloat{Nearest_Float_Bits(Read_Decimal_Bits(text))};
}

}  // namespace commands
