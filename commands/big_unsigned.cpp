#include "commands/big_unsigned.h"

namespace commands {

namespace {

constexpr std::uint32_t Word_Bits = 32;
constexpr std::uint32_t Largest_Ten_Power_In_Word = 1000000000u;  // 10^9
constexpr std::uint32_t Digits_In_Largest_Power = 9;

}  // namespace

BigUnsigned::BigUnsigned(std::uint64_t value) {
  words_[0] = static_cast<std::uint32_t>(value);
  words_[1] = static_cast<std::uint32_t>(value >> Word_Bits);
  used_ = 2;
  Trim();
}

void BigUnsigned::Trim() {
  while (used_ > 0 && words_[used_ - 1] == 0) --used_;
}

void BigUnsigned::Multiply_Add(std::uint32_t factor, std::uint32_t addend) {
  std::uint64_t carry = addend;
  for (std::uint32_t i = 0; i < used_; ++i) {
    const std::uint64_t product = static_cast<std::uint64_t>(words_[i]) * factor + carry;
    words_[i] = static_cast<std::uint32_t>(product);
    carry = product >> Word_Bits;
  }
  // A carry past the capacity is dropped; the reader's bound keeps it from happening.
  if (carry != 0 && used_ < Capacity_Words) words_[used_++] = static_cast<std::uint32_t>(carry);
  Trim();
}

void BigUnsigned::Multiply_By_Power_Of_Ten(std::uint32_t exponent) {
  for (; exponent >= Digits_In_Largest_Power; exponent -= Digits_In_Largest_Power) {
    Multiply_Add(Largest_Ten_Power_In_Word, 0);
  }
  std::uint32_t rest = 1;
  for (; exponent > 0; --exponent) rest *= 10;
  Multiply_Add(rest, 0);
}

bool BigUnsigned::Fits_Shifted(std::uint32_t bits) const {
  return Bit_Length() + bits <= Capacity_Words * Word_Bits;
}

void BigUnsigned::Shift_Left(std::uint32_t bits) {
  if (used_ == 0 || !Fits_Shifted(bits)) return;
  const std::uint32_t whole = bits / Word_Bits;
  const std::uint32_t part = bits % Word_Bits;
  std::uint32_t top = used_ + whole + 1;
  if (top > Capacity_Words) top = Capacity_Words;
  for (std::uint32_t i = top; i-- > 0;) {
    const std::uint32_t from = i - whole;  // wraps below zero for the vacated words
    std::uint32_t value = 0;
    if (i >= whole && from < used_) value = words_[from] << part;
    if (part != 0 && i >= whole + 1 && from - 1 < used_) {
      value |= words_[from - 1] >> (Word_Bits - part);
    }
    words_[i] = value;
  }
  used_ = top;
  Trim();
}

void BigUnsigned::Shift_Right_One() {
  for (std::uint32_t i = 0; i < used_; ++i) {
    const std::uint32_t high = i + 1 < used_ ? words_[i + 1] << (Word_Bits - 1) : 0;
    words_[i] = (words_[i] >> 1) | high;
  }
  Trim();
}

void BigUnsigned::Subtract(const BigUnsigned& other) {
  std::uint32_t borrow = 0;
  for (std::uint32_t i = 0; i < used_; ++i) {
    const std::uint64_t taken =
        static_cast<std::uint64_t>(i < other.used_ ? other.words_[i] : 0) + borrow;
    borrow = words_[i] < taken ? 1 : 0;
    words_[i] = static_cast<std::uint32_t>(words_[i] - taken);
  }
  Trim();
}

std::uint32_t BigUnsigned::Bit_Length() const {
  if (used_ == 0) return 0;
  return (used_ - 1) * Word_Bits +
         (Word_Bits - static_cast<std::uint32_t>(__builtin_clz(words_[used_ - 1])));
}

int Compare(const BigUnsigned& left, const BigUnsigned& right) {
  if (left.used_ != right.used_) return left.used_ < right.used_ ? -1 : 1;
  for (std::uint32_t i = left.used_; i-- > 0;) {
    if (left.words_[i] != right.words_[i]) return left.words_[i] < right.words_[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace commands
