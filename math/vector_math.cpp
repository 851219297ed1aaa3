#include "math/vector_math.h"

#include <cmath>

namespace math {

namespace {

// The plain tables form every product, sum, square root and reciprocal in double
// precision, so a sum of products neither loses the small terms nor overflows or
// underflows where the float result is representable. Each component is rounded to
// float exactly once, as it is stored.
float Narrow(double value) { return static_cast<float>(value); }

// Every input component is read into a local before anything is returned, which is
// what lets out be the same object as an input.
template <typename Operation>
Vector3 Combine(const Vector3& a, const Vector3& b, Operation operation) {
  const double x = operation(a.x, b.x);
  const double y = operation(a.y, b.y);
  const double z = operation(a.z, b.z);
  return {Narrow(x), Narrow(y), Narrow(z)};
}

template <typename Operation>
Vector4 Combine(const Vector4& a, const Vector4& b, Operation operation) {
  const double x = operation(a.x, b.x);
  const double y = operation(a.y, b.y);
  const double z = operation(a.z, b.z);
  const double w = operation(a.w, b.w);
  return {Narrow(x), Narrow(y), Narrow(z), Narrow(w)};
}

Vector3 Scale(const Vector3& v, double factor) {
  return {Narrow(v.x * factor), Narrow(v.y * factor), Narrow(v.z * factor)};
}

Vector4 Scale(const Vector4& v, double factor) {
  return {Narrow(v.x * factor), Narrow(v.y * factor), Narrow(v.z * factor), Narrow(v.w * factor)};
}

double Plus(double p, double q) { return p + q; }
double Minus(double p, double q) { return p - q; }
double Times(double p, double q) { return p * q; }
double Over(double p, double q) { return p / q; }

// One reciprocal, then a multiply per component: a zero divisor gives an infinite
// factor, and so infinities, or NaN for a zero component.
double Reciprocal(float s) { return 1.0 / static_cast<double>(s); }

// A by-value slot fills the caller's result through the out-parameter form that `fill`
// calls through the table, and hands the result's address back. The result starts as
// the zero vector; every out-parameter form of these tables then writes each component,
// and reads all of its inputs first, so the caller's result may be one of the inputs.
// Zeroing it in place would destroy such an input, so the zero vector is not stored.
template <typename Vector, typename Fill>
Vector* Returned(Vector* result, Fill fill) {
  fill(*result);
  return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// _Vector3MathFunctions: the by-value forms go through the table, so that an
// override of the out-parameter form is what runs.
// ---------------------------------------------------------------------------

Vector3* MATH_THISCALL _Vector3MathFunctions::Add(Vector3* result, const Vector3& a,
                                                  const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Add(a, b, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Add(const Vector3& a, const Vector3& b,
                                              Vector3& out) const {
  out = Combine(a, b, Plus);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Subtract(Vector3* result, const Vector3& a,
                                                       const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Subtract(a, b, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Subtract(const Vector3& a, const Vector3& b,
                                                   Vector3& out) const {
  out = Combine(a, b, Minus);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Multiply(Vector3* result, const Vector3& v,
                                                       const float& s) const {
  return Returned(result, [&](Vector3& out) { Multiply(v, s, out); });
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Multiply(Vector3* result, const Vector3& a,
                                                       const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Multiply(a, b, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Multiply(const Vector3& v, const float& s,
                                                   Vector3& out) const {
  out = Scale(v, s);
}

void MATH_THISCALL _Vector3MathFunctions::Multiply(const Vector3& a, const Vector3& b,
                                                   Vector3& out) const {
  out = Combine(a, b, Times);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Divide(Vector3* result, const Vector3& v,
                                                     const float& s) const {
  return Returned(result, [&](Vector3& out) { Divide(v, s, out); });
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Divide(Vector3* result, const Vector3& a,
                                                     const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Divide(a, b, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Divide(const Vector3& v, const float& s,
                                                 Vector3& out) const {
  out = Scale(v, Reciprocal(s));
}

void MATH_THISCALL _Vector3MathFunctions::Divide(const Vector3& a, const Vector3& b,
                                                 Vector3& out) const {
  out = Combine(a, b, Over);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Cross_Product(Vector3* result, const Vector3& a,
                                                            const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Cross_Product(a, b, out); });
}

// The right-handed cross product a × b. A product of two floats is exact in double,
// so each component is the difference of two exact products, rounded once to float.
void MATH_THISCALL _Vector3MathFunctions::Cross_Product(const Vector3& a, const Vector3& b,
                                                        Vector3& out) const {
  const double ax = a.x, ay = a.y, az = a.z;
  const double bx = b.x, by = b.y, bz = b.z;
  const double x = ay * bz - az * by;
  const double y = az * bx - ax * bz;
  const double z = ax * by - ay * bx;
  out = {Narrow(x), Narrow(y), Narrow(z)};
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Normalize(Vector3* result, const Vector3& v) const {
  return Returned(result, [&](Vector3& out) { Normalize(v, out); });
}

// A zero vector (either sign) has no direction and yields +0 in every component. A
// NaN length does not compare equal to zero and carries through as NaN components.
void MATH_THISCALL _Vector3MathFunctions::Normalize(const Vector3& v, Vector3& out) const {
  const double x = v.x, y = v.y, z = v.z;
  const double length_squared = x * x + y * y + z * z;
  if (length_squared == 0.0) {
    out = {0.0f, 0.0f, 0.0f};
    return;
  }
  out = Scale(v, 1.0 / std::sqrt(length_squared));
}

float MATH_THISCALL _Vector3MathFunctions::Dot_Product(const Vector3& a, const Vector3& b) const {
  float result = 0.0f;
  Dot_Product(a, b, result);
  return result;
}

void MATH_THISCALL _Vector3MathFunctions::Dot_Product(const Vector3& a, const Vector3& b,
                                                      float& out) const {
  const double zz = static_cast<double>(a.z) * b.z;
  const double yy = static_cast<double>(a.y) * b.y;
  const double xx = static_cast<double>(a.x) * b.x;
  out = Narrow((zz + yy) + xx);
}

// ---------------------------------------------------------------------------
// _Vector4MathFunctions
// ---------------------------------------------------------------------------

Vector4* MATH_THISCALL _Vector4MathFunctions::Add(Vector4* result, const Vector4& a,
                                                  const Vector4& b) const {
  return Returned(result, [&](Vector4& out) { Add(a, b, out); });
}

void MATH_THISCALL _Vector4MathFunctions::Add(const Vector4& a, const Vector4& b,
                                              Vector4& out) const {
  out = Combine(a, b, Plus);
}

Vector4* MATH_THISCALL _Vector4MathFunctions::Subtract(Vector4* result, const Vector4& a,
                                                       const Vector4& b) const {
  return Returned(result, [&](Vector4& out) { Subtract(a, b, out); });
}

void MATH_THISCALL _Vector4MathFunctions::Subtract(const Vector4& a, const Vector4& b,
                                                   Vector4& out) const {
  out = Combine(a, b, Minus);
}

Vector4* MATH_THISCALL _Vector4MathFunctions::Multiply(Vector4* result, const Vector4& v,
                                                       const float& s) const {
  return Returned(result, [&](Vector4& out) { Multiply(v, s, out); });
}

Vector4* MATH_THISCALL _Vector4MathFunctions::Multiply(Vector4* result, const Vector4& a,
                                                       const Vector4& b) const {
  return Returned(result, [&](Vector4& out) { Multiply(a, b, out); });
}

void MATH_THISCALL _Vector4MathFunctions::Multiply(const Vector4& v, const float& s,
                                                   Vector4& out) const {
  out = Scale(v, s);
}

void MATH_THISCALL _Vector4MathFunctions::Multiply(const Vector4& a, const Vector4& b,
                                                   Vector4& out) const {
  out = Combine(a, b, Times);
}

Vector4* MATH_THISCALL _Vector4MathFunctions::Divide(Vector4* result, const Vector4& v,
                                                     const float& s) const {
  return Returned(result, [&](Vector4& out) { Divide(v, s, out); });
}

Vector4* MATH_THISCALL _Vector4MathFunctions::Divide(Vector4* result, const Vector4& a,
                                                     const Vector4& b) const {
  return Returned(result, [&](Vector4& out) { Divide(a, b, out); });
}

void MATH_THISCALL _Vector4MathFunctions::Divide(const Vector4& v, const float& s,
                                                 Vector4& out) const {
  out = Scale(v, Reciprocal(s));
}

void MATH_THISCALL _Vector4MathFunctions::Divide(const Vector4& a, const Vector4& b,
                                                 Vector4& out) const {
  out = Combine(a, b, Over);
}

}  // namespace math
