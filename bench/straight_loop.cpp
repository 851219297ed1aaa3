// Built with SSE enabled, like the packed table itself.
#include "bench/straight_loop.h"

#include <xmmintrin.h>

namespace bench {

namespace {

__attribute__((always_inline)) inline __m128 Load(const Vector4& v) { return _mm_loadu_ps(&v.x); }

template <typename Operation>
void Each(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count,
          Operation operation) {
  for (std::size_t i = 0; i < count; ++i) {
    _mm_storeu_ps(&out[i].x, operation(Load(a[i]), Load(b[i])));
  }
}

void Each_Scaled(const Vector4* v, __m128 factor, Vector4* out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    _mm_storeu_ps(&out[i].x, _mm_mul_ps(Load(v[i]), factor));
  }
}

}  // namespace

void Straight_Add(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count) {
  Each(a, b, out, count, [](__m128 p, __m128 q) { return _mm_add_ps(p, q); });
}

void Straight_Subtract(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count) {
  Each(a, b, out, count, [](__m128 p, __m128 q) { return _mm_sub_ps(p, q); });
}

void Straight_Multiply(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count) {
  Each(a, b, out, count, [](__m128 p, __m128 q) { return _mm_mul_ps(p, q); });
}

void Straight_Divide(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count) {
  Each(a, b, out, count, [](__m128 p, __m128 q) { return _mm_div_ps(p, q); });
}

void Straight_Scale(const Vector4* v, const float& s, Vector4* out, std::size_t count) {
  Each_Scaled(v, _mm_load1_ps(&s), out, count);
}

// The reciprocal is formed once for the whole array, not once per vector.
void Straight_Divide_By_Scalar(const Vector4* v, const float& s, Vector4* out, std::size_t count) {
  const __m128 reciprocal = _mm_div_ss(_mm_set_ss(1.0f), _mm_load_ss(&s));
  Each_Scaled(v, _mm_shuffle_ps(reciprocal, reciprocal, 0), out, count);
}

}  // namespace bench
