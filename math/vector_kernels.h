// The arithmetic of the plain tables, one kernel per out-parameter slot, apart from
// the slots that run them.
//
// Every product, sum, square root and reciprocal is formed in double precision, so a
// sum of products neither loses the small terms nor overflows or underflows where the
// float result is representable. Each component is rounded to float exactly once, as
// it is stored.
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

MATH_KERNEL float Narrow(double value) { return static_cast<float>(value); }

template <typename Operation>
MATH_KERNEL Vector3 Combine(const Vector3& a, const Vector3& b, Operation operation) {
  const double x = operation(a.x, b.x);
  const double y = operation(a.y, b.y);
  const double z = operation(a.z, b.z);
  return {Narrow(x), Narrow(y), Narrow(z)};
}

template <typename Operation>
MATH_KERNEL Vector4 Combine(const Vector4& a, const Vector4& b, Operation operation) {
  const double x = operation(a.x, b.x);
  const double y = operation(a.y, b.y);
  const double z = operation(a.z, b.z);
  const double w = operation(a.w, b.w);
  return {Narrow(x), Narrow(y), Narrow(z), Narrow(w)};
}

MATH_KERNEL Vector3 Times(const Vector3& v, double factor) {
  return {Narrow(v.x * factor), Narrow(v.y * factor), Narrow(v.z * factor)};
}

MATH_KERNEL Vector4 Times(const Vector4& v, double factor) {
  return {Narrow(v.x * factor), Narrow(v.y * factor), Narrow(v.z * factor), Narrow(v.w * factor)};
}

MATH_KERNEL double Plus(double p, double q) { return p + q; }
MATH_KERNEL double Minus(double p, double q) { return p - q; }
MATH_KERNEL double Product(double p, double q) { return p * q; }
MATH_KERNEL double Quotient(double p, double q) { return p / q; }

// One reciprocal, then a multiply per component: a zero divisor gives an infinite
// factor, and so infinities, or NaN for a zero component.
MATH_KERNEL double Reciprocal(float s) { return 1.0 / static_cast<double>(s); }

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
  const double ax = a.x, ay = a.y, az = a.z;
  const double bx = b.x, by = b.y, bz = b.z;
  const double x = ay * bz - az * by;
  const double y = az * bx - ax * bz;
  const double z = ax * by - ay * bx;
  out = {Narrow(x), Narrow(y), Narrow(z)};
}

// A zero vector (either sign) has no direction and yields +0 in every component. A
// NaN length does not compare equal to zero and carries through as NaN components.
MATH_KERNEL void Normalize(const Vector3& v, Vector3& out) {
  const double x = v.x, y = v.y, z = v.z;
  const double length_squared = x * x + y * y + z * z;
  if (length_squared == 0.0) {
    out = {0.0f, 0.0f, 0.0f};
    return;
  }
  out = Times(v, 1.0 / std::sqrt(length_squared));
}

MATH_KERNEL void Dot_Product(const Vector3& a, const Vector3& b, float& out) {
  const double zz = static_cast<double>(a.z) * b.z;
  const double yy = static_cast<double>(a.y) * b.y;
  const double xx = static_cast<double>(a.x) * b.x;
  out = Narrow((zz + yy) + xx);
}

}  // namespace math::kernels

#undef MATH_KERNEL
