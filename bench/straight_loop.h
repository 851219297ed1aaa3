// The limit for the vector math tables: the same work done by packed instructions in
// one straight loop over the arrays, with no call per vector.
#pragma once

#include <cstddef>

#include "math/vectors.h"

namespace bench {

using math::Vector4;

void Straight_Add(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count);
void Straight_Subtract(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count);
void Straight_Scale(const Vector4* v, const float& s, Vector4* out, std::size_t count);
void Straight_Multiply(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count);
void Straight_Divide_By_Scalar(const Vector4* v, const float& s, Vector4* out, std::size_t count);
void Straight_Divide(const Vector4* a, const Vector4* b, Vector4* out, std::size_t count);

}  // namespace bench
