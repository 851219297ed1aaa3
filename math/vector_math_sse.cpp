// The only translation unit built with SSE enabled. It must define nothing but the
// packed overrides: any inline function shared with other files could be emitted
// here with SSE instructions and then picked by the linker for the whole plug-in,
// which has to run on processors without SSE. The kernels and the MXCSR guard are
// always inlined into the overrides.
#include "math/mxcsr_guard.h"
#include "math/vector_kernels_sse.h"
#include "math/vector_math.h"

namespace math {

void MATH_THISCALL _Vector4MathFunctionsSSE::Add(const Vector4& a, const Vector4& b,
                                                 Vector4& out) const {
  sse::Guarded<packed::Add>(a, b, out);
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Subtract(const Vector4& a, const Vector4& b,
                                                      Vector4& out) const {
  sse::Guarded<packed::Subtract>(a, b, out);
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Multiply(const Vector4& v, const float& s,
                                                      Vector4& out) const {
  sse::Guarded<packed::Scale>(v, s, out);
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Multiply(const Vector4& a, const Vector4& b,
                                                      Vector4& out) const {
  sse::Guarded<packed::Multiply>(a, b, out);
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Divide(const Vector4& v, const float& s,
                                                    Vector4& out) const {
  sse::Guarded<packed::Divide_By>(v, s, out);
}

void MATH_THISCALL _Vector4MathFunctionsSSE::Divide(const Vector4& a, const Vector4& b,
                                                    Vector4& out) const {
  sse::Guarded<packed::Divide>(a, b, out);
}

}  // namespace math
