// Vectors as the host lays them out: consecutive 32-bit floats and nothing else, so
// a vector embedded in a host record can be passed by reference without copying.
#pragma once

namespace math {

struct Vector3 {
  float x;
  float y;
  float z;
};

struct Vector4 {
  float x;
  float y;
  float z;
  float w;
};

static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 must be three packed floats");
static_assert(sizeof(Vector4) == 4 * sizeof(float), "Vector4 must be four packed floats");
static_assert(alignof(Vector4) == alignof(float), "a Vector4 may sit on any float boundary");

}  // namespace math
