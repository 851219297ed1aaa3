// The packed table without the guard. Built with the options of
// math/vector_math_sse.cpp.
#include "bench/unguarded_tables.h"
#include "math/vector_kernels_sse.h"

namespace bench {

namespace {

using math::Vector4;
namespace packed = math::packed;

class UnguardedPacked : public math::_Vector4MathFunctions {
 public:
  using _Vector4MathFunctions::Add;
  using _Vector4MathFunctions::Divide;
  using _Vector4MathFunctions::Multiply;
  using _Vector4MathFunctions::Subtract;

  void MATH_THISCALL Add(const Vector4& a, const Vector4& b, Vector4& out) const override {
    packed::Add(a, b, out);
  }
  void MATH_THISCALL Subtract(const Vector4& a, const Vector4& b, Vector4& out) const override {
    packed::Subtract(a, b, out);
  }
  void MATH_THISCALL Multiply(const Vector4& v, const float& s, Vector4& out) const override {
    packed::Scale(v, s, out);
  }
  void MATH_THISCALL Multiply(const Vector4& a, const Vector4& b, Vector4& out) const override {
    packed::Multiply(a, b, out);
  }
  void MATH_THISCALL Divide(const Vector4& v, const float& s, Vector4& out) const override {
    packed::Divide_By(v, s, out);
  }
  void MATH_THISCALL Divide(const Vector4& a, const Vector4& b, Vector4& out) const override {
    packed::Divide(a, b, out);
  }
};

}  // namespace

const math::_Vector4MathFunctions* Unguarded_Packed_Table() {
  static const UnguardedPacked table{};
  return &table;
}

}  // namespace bench
