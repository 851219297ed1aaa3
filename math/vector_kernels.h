// The arithmetic of the plain tables, one kernel per out-parameter slot, apart from
// the guard that gives each slot its floating-point state (math/fpu_guard.h). The
// slots run these in a defined x87 state; the benchmark runs them unguarded as well,
// to measure what the guard costs.
//
// Every product, sum, square root and reciprocal is formed in double precision, so a
// sum of products neither loses the small terms nor overflows or underflows where the
// float result is representable. Each component is rounded to float exactly once, as
// it is stored. That holds when the x87 unit computes at 53 or 64 bits and rounds to
// nearest; in any other state the results differ, which is why the slots guard them.
//
// The intermediates are typed Wide, the x87 register's own format: the unit computes
// every value in its 80-bit registers at the precision the control word sets (53 bits
// in the guard's state) whatever the C++ type, so the type changes no result. It
// changes the stack: a long double needs 4-byte alignment, where GCC wants 8 for a
// double and, as the host gives us only 4, prepares to realign the stack in every
// slot that holds one.
//
// Every kernel reads all of its inputs into locals before it writes, so out may be
// the same object as any input.
//
// Always inlined: a kernel is the body of its slot, with no call of its own.
#pragma once

#include <cmath>

#include "math/vectors.h"

#define MATH_KERNEL __attribute__((always_inline)) inline

namespace math::kernels {

using Wide = long double;

MATH_KERNEL float Narrow(Wide value) { return static_cast<float>(value); }

template <typename Operation>
MATH_KERNEL Vector3 Combine(const Vector3& a, const Vector3& b, Operation operation) {
  const Wide x = operation(a.x, b.x);
  const Wide y = operation(a.y, b.y);
  const Wide z = operation(a.z, b.z);
  return {Narrow(x), Narrow(y), Narrow(z)};
}

template <typename Operation>
MATH_KERNEL Vector4 Combine(const Vector4& a, const Vector4& b, Operation operation) {
  const Wide x = operation(a.x, b.x);
  const Wide y = operation(a.y, b.y);
  const Wide z = operation(a.z, b.z);
  const Wide w = operation(a.w, b.w);
  return {Narrow(x), Narrow(y), Narrow(z), Narrow(w)};
}

MATH_KERNEL Vector3 Times(const Vector3& v, Wide factor) {
  return {Narrow(v.x * factor), Narrow(v.y * factor), Narrow(v.z * factor)};
}

MATH_KERNEL Vector4 Times(const Vector4& v, Wide factor) {
  return {Narrow(v.x * factor), Narrow(v.y * factor), Narrow(v.z * factor), Narrow(v.w * factor)};
}

MATH_KERNEL Wide Plus(Wide p, Wide q) { return p + q; }
MATH_KERNEL Wide Minus(Wide p, Wide q) { return p - q; }
MATH_KERNEL Wide Product(Wide p, Wide q) { return p * q; }
MATH_KERNEL Wide Quotient(Wide p, Wide q) { return p / q; }

// One reciprocal, then a multiply per component: a zero divisor gives an infinite
// factor, and so infinities, or NaN for a zero component.
MATH_KERNEL Wide Reciprocal(float s) { return 1.0L / static_cast<Wide>(s); }

// ---------------------------------------------------------------------------
// The kernels, for Vector3 and Vector4 alike where both tables have the slot.
// ---------------------------------------------------------------------------

template <typename Vector>
MATH_KERNEL void Add(const Vector& a, const Vector& b, Vector& out) {
  out = Combine(a, b, Plus);
}

template <typename Vector>
MATH_KERNEL void Subtract(const Vector& a, const Vector& b, Vector& out) {
  out = Combine(a, b, Minus);
}

template <typename Vector>
MATH_KERNEL void Scale(const Vector& v, const float& s, Vector& out) {
  out = Times(v, s);
}

template <typename Vector>
MATH_KERNEL void Multiply(const Vector& a, const Vector& b, Vector& out) {
  out = Combine(a, b, Product);
}

template <typename Vector>
MATH_KERNEL void Divide_By(const Vector& v, const float& s, Vector& out) {
  out = Times(v, Reciprocal(s));
}

template <typename Vector>
MATH_KERNEL void Divide(const Vector& a, const Vector& b, Vector& out) {
  out = Combine(a, b, Quotient);
}

// The right-handed cross product a × b. A product of two floats is exact in double,
// so each component is the difference of two exact products, rounded once to float.
MATH_KERNEL void Cross_Product(const Vector3& a, const Vector3& b, Vector3& out) {
  const Wide ax = a.x, ay = a.y, az = a.z;
  const Wide bx = b.x, by = b.y, bz = b.z;
  const Wide x = ay * bz - az * by;
  const Wide y = az * bx - ax * bz;
  const Wide z = ax * by - ay * bx;
  out = {Narrow(x), Narrow(y), Narrow(z)};
}

// A zero vector (either sign) has no direction and yields +0 in every component. A
// NaN length does not compare equal to zero and carries through as NaN components.
MATH_KERNEL void Normalize(const Vector3& v, Vector3& out) {
  const Wide x = v.x, y = v.y, z = v.z;
  const Wide length_squared = x * x + y * y + z * z;
  if (length_squared == 0.0L) {
    out = {0.0f, 0.0f, 0.0f};
    return;
  }
  out = Times(v, 1.0L / std::sqrt(length_squared));
}

MATH_KERNEL void Dot_Product(const Vector3& a, const Vector3& b, float& out) {
  const Wide zz = static_cast<Wide>(a.z) * b.z;
  const Wide yy = static_cast<Wide>(a.y) * b.y;
  const Wide xx = static_cast<Wide>(a.x) * b.x;
  out = Narrow((zz + yy) + xx);
}

}  // namespace math::kernels

#undef MATH_KERNEL
