// The arithmetic of the packed table, one kernel per override, apart from the MXCSR
// guard (math/mxcsr_guard.h). The overrides run these in the default MXCSR state; the
// benchmark runs them unguarded as well, to measure what the guard costs.
//
// All four lanes in one packed instruction, with unaligned loads and stores: a
// Vector4 is only float-aligned, and may sit inside a host record. Both operands are
// loaded before the single store, so out may alias either of them.
//
// Only files compiled with SSE may include this, and every kernel is always inlined,
// so that packed instructions appear in the overrides and nowhere else, even in an
// unoptimised build (tests/binary/check_floating_point.sh).
#pragma once

#ifndef __SSE__
#error "math/vector_kernels_sse.h belongs to files compiled with SSE enabled"
#endif

#include <xmmintrin.h>

#include "math/vectors.h"

#define MATH_PACKED_KERNEL __attribute__((always_inline)) inline

namespace math::packed {

MATH_PACKED_KERNEL __m128 Load(const Vector4& v) { return _mm_loadu_ps(&v.x); }
MATH_PACKED_KERNEL void Store(Vector4& v, __m128 value) { _mm_storeu_ps(&v.x, value); }

MATH_PACKED_KERNEL void Add(const Vector4& a, const Vector4& b, Vector4& out) {
  Store(out, _mm_add_ps(Load(a), Load(b)));
}

MATH_PACKED_KERNEL void Subtract(const Vector4& a, const Vector4& b, Vector4& out) {
  Store(out, _mm_sub_ps(Load(a), Load(b)));
}

MATH_PACKED_KERNEL void Scale(const Vector4& v, const float& s, Vector4& out) {
  Store(out, _mm_mul_ps(Load(v), _mm_load1_ps(&s)));
}

MATH_PACKED_KERNEL void Multiply(const Vector4& a, const Vector4& b, Vector4& out) {
  Store(out, _mm_mul_ps(Load(a), Load(b)));
}

// One scalar reciprocal, kept in an SSE register (the x87 unit would round it
// differently), broadcast to the four lanes.
MATH_PACKED_KERNEL void Divide_By(const Vector4& v, const float& s, Vector4& out) {
  const __m128 reciprocal = _mm_div_ss(_mm_set_ss(1.0f), _mm_load_ss(&s));
  Store(out, _mm_mul_ps(Load(v), _mm_shuffle_ps(reciprocal, reciprocal, 0)));
}

MATH_PACKED_KERNEL void Divide(const Vector4& a, const Vector4& b, Vector4& out) {
  Store(out, _mm_div_ps(Load(a), Load(b)));
}

}  // namespace math::packed

#undef MATH_PACKED_KERNEL
