// A non-negative integer of up to a few thousand bits in a fixed array, for the exact
// arithmetic of reading decimal numbers. It takes no memory of its own: a console
// command may run when the host heap has nothing left to give.
#pragma once

#include <cstdint>

namespace commands {

class BigUnsigned {
 public:
  // 4096 bits: the largest value the decimal reader forms is below 2^3900 (see
  // decimal_to_double.cpp for the bound).
  static constexpr unsigned Capacity_Words = 128;

  BigUnsigned() = default;
  explicit BigUnsigned(std::uint64_t value);

  void Multiply_Add(std::uint32_t factor, std::uint32_t addend);
  void Multiply_By_Power_Of_Ten(std::uint32_t exponent);
  void Shift_Left(std::uint32_t bits);
  void Shift_Right_One();
  // this -= other; other must not be larger.
  void Subtract(const BigUnsigned& other);

  std::uint32_t Bit_Length() const;
  bool Is_Zero() const { return used_ == 0; }
  // Whether a value shifted left by `bits` still fits: the reader's bound, checked.
  bool Fits_Shifted(std::uint32_t bits) const;

  // Negative, zero or positive as left is below, equal to or above right.
  friend int Compare(const BigUnsigned& left, const BigUnsigned& right);

 private:
  void Trim();

  std::uint32_t words_[Capacity_Words] = {};  // least significant first
  std::uint32_t used_ = 0;                    // words below this index hold the value
};

}  // namespace commands
