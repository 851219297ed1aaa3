// The plain tables without the guard. Built with the options of math/vector_math.cpp.
#include "bench/unguarded_tables.h"

#include "math/vector_kernels.h"

namespace bench {

namespace {

using math::Vector3;
using math::Vector4;
namespace kernels = math::kernels;

// Every out-parameter slot of the plain tables, overridden by its bare kernel.
template <typename Table, typename Vector>
class Unguarded : public Table {
 public:
  using Table::Add;
  using Table::Divide;
  using Table::Multiply;
  using Table::Subtract;

  void MATH_THISCALL Add(const Vector& a, const Vector& b, Vector& out) const override {
    kernels::Add(a, b, out);
  }
  void MATH_THISCALL Subtract(const Vector& a, const Vector& b, Vector& out) const override {
    kernels::Subtract(a, b, out);
  }
  void MATH_THISCALL Multiply(const Vector& v, const float& s, Vector& out) const override {
    kernels::Scale(v, s, out);
  }
  void MATH_THISCALL Multiply(const Vector& a, const Vector& b, Vector& out) const override {
    kernels::Multiply(a, b, out);
  }
  void MATH_THISCALL Divide(const Vector& v, const float& s, Vector& out) const override {
    kernels::Divide_By(v, s, out);
  }
  void MATH_THISCALL Divide(const Vector& a, const Vector& b, Vector& out) const override {
    kernels::Divide(a, b, out);
  }
};

class UnguardedVector3 : public Unguarded<math::_Vector3MathFunctions, Vector3> {
 public:
  using _Vector3MathFunctions::Cross_Product;
  using _Vector3MathFunctions::Dot_Product;
  using _Vector3MathFunctions::Normalize;

  void MATH_THISCALL Cross_Product(const Vector3& a, const Vector3& b,
                                   Vector3& out) const override {
    kernels::Cross_Product(a, b, out);
  }
  void MATH_THISCALL Normalize(const Vector3& v, Vector3& out) const override {
    kernels::Normalize(v, out);
  }
  void MATH_THISCALL Dot_Product(const Vector3& a, const Vector3& b, float& out) const override {
    kernels::Dot_Product(a, b, out);
  }
};

}  // namespace

const math::_Vector3MathFunctions* Unguarded_Vector3_Table() {
  static const UnguardedVector3 table{};
  return &table;
}

const math::_Vector4MathFunctions* Unguarded_Plain_Table() {
  static const Unguarded<math::_Vector4MathFunctions, Vector4> table{};
  return &table;
}

}  // namespace bench
