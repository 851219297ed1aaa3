#include "math/vector_math.h"

#include "math/fpu_guard.h"
#include "math/vector_kernels.h"
#include "math/x87_return.h"

// Every out-parameter slot runs its kernel (math/vector_kernels.h) under the x87
// guard (math/fpu_guard.h): the host may call us in any x87 state, and the results,
// and the state the caller gets back, must not depend on it. The by-value slots do no
// arithmetic of their own; they call their out form through the table.

namespace math {

namespace {

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
  x87::Guarded<kernels::Add<Vector3>>(a, b, out);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Subtract(Vector3* result, const Vector3& a,
                                                       const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Subtract(a, b, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Subtract(const Vector3& a, const Vector3& b,
                                                   Vector3& out) const {
  x87::Guarded<kernels::Subtract<Vector3>>(a, b, out);
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
  x87::Guarded<kernels::Scale<Vector3>>(v, s, out);
}

void MATH_THISCALL _Vector3MathFunctions::Multiply(const Vector3& a, const Vector3& b,
                                                   Vector3& out) const {
  x87::Guarded<kernels::Multiply<Vector3>>(a, b, out);
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
  x87::Guarded<kernels::Divide_By<Vector3>>(v, s, out);
}

void MATH_THISCALL _Vector3MathFunctions::Divide(const Vector3& a, const Vector3& b,
                                                 Vector3& out) const {
  x87::Guarded<kernels::Divide<Vector3>>(a, b, out);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Cross_Product(Vector3* result, const Vector3& a,
                                                            const Vector3& b) const {
  return Returned(result, [&](Vector3& out) { Cross_Product(a, b, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Cross_Product(const Vector3& a, const Vector3& b,
                                                        Vector3& out) const {
  x87::Guarded<kernels::Cross_Product>(a, b, out);
}

Vector3* MATH_THISCALL _Vector3MathFunctions::Normalize(Vector3* result, const Vector3& v) const {
  return Returned(result, [&](Vector3& out) { Normalize(v, out); });
}

void MATH_THISCALL _Vector3MathFunctions::Normalize(const Vector3& v, Vector3& out) const {
  x87::Guarded<kernels::Normalize>(v, out);
}

float MATH_THISCALL _Vector3MathFunctions::Dot_Product(const Vector3& a, const Vector3& b) const {
  float result = 0.0f;
  Dot_Product(a, b, result);
  return x87::Returned_In_St0(result);
}

void MATH_THISCALL _Vector3MathFunctions::Dot_Product(const Vector3& a, const Vector3& b,
                                                      float& out) const {
  x87::Guarded<kernels::Dot_Product>(a, b, out);
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
  x87::Guarded<kernels::Add<Vector4>>(a, b, out);
}

Vector4* MATH_THISCALL _Vector4MathFunctions::Subtract(Vector4* result, const Vector4& a,
                                                       const Vector4& b) const {
  return Returned(result, [&](Vector4& out) { Subtract(a, b, out); });
}

void MATH_THISCALL _Vector4MathFunctions::Subtract(const Vector4& a, const Vector4& b,
                                                   Vector4& out) const {
  x87::Guarded<kernels::Subtract<Vector4>>(a, b, out);
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
  x87::Guarded<kernels::Scale<Vector4>>(v, s, out);
}

void MATH_THISCALL _Vector4MathFunctions::Multiply(const Vector4& a, const Vector4& b,
                                                   Vector4& out) const {
  x87::Guarded<kernels::Multiply<Vector4>>(a, b, out);
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
  x87::Guarded<kernels::Divide_By<Vector4>>(v, s, out);
}

void MATH_THISCALL _Vector4MathFunctions::Divide(const Vector4& a, const Vector4& b,
                                                 Vector4& out) const {
  x87::Guarded<kernels::Divide<Vector4>>(a, b, out);
}

}  // namespace math
