// The only translation unit built with SSE enabled. It must define nothing but the
// packed overrides: any inline function shared with other files could be emitted
// here with SSE instructions and then picked by the linker for the whole plug-in,
// which has to run on processors without SSE.
#include <xmmintrin.h>

#include "math/vector_math.h"

namespace math {

namespace {

// Unaligned accesses: a Vector4 is only float-aligned, and may sit inside a host record.
// Always inlined, so that packed instructions appear in the overrides and nowhere else
// even in an unoptimised build.
__attribute__((always_inline)) inline __m128 Load(const Vector4& v) { return _mm_loadu_ps(&v.x); }
__attribute__((always_inline)) inline void Store(Vector4& v, __m128 value) {
  _mm_storeu_ps(&v.x, value);
}

}  // namespace

// Both operands are loaded before the single store, so out may alias either of them.

void MATH_THISCALL _Vector4MathFunctionsSSE::Add(const Vector4& a, const Vector4& b,
                                                 Vector4& out) const {
  Store(out, _mm_add_ps(Load(a), Load(b)));
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Subtract(const Vector4& a, const Vector4& b,
                                                      Vector4& out) const {
  Store(out, _mm_sub_ps(Load(a), Load(b)));
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Multiply(const Vector4& v, const float& s,
                                                      Vector4& out) const {
  Store(out, _mm_mul_ps(Load(v), _mm_load1_ps(&s)));
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Multiply(const Vector4& a, const Vector4& b,
                                                      Vector4& out) const {
  Store(out, _mm_mul_ps(Load(a), Load(b)));
}

// One scalar reciprocal, kept in an SSE register (the x87 unit would round it
// differently), broadcast to the four lanes.
void MATH_THISCALL _Vector4MathFunctionsSSE::Divide(const Vector4& v, const float& s,
                                                    Vector4& out) const {
  const __m128 reciprocal = _mm_div_ss(_mm_set_ss(1.0f), _mm_load_ss(&s));
  Store(out, _mm_mul_ps(Load(v), _mm_shuffle_ps(reciprocal, reciprocal, 0)));
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Divide(const Vector4& a, const Vector4& b,
                                                    Vector4& out) const {
  Store(out, _mm_div_ps(Load(a), Load(b)));
}

}  // namespace math
