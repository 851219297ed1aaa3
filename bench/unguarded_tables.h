// The vector math tables as they were before the slots guarded the floating-point
// state: the same kernels as the plug-in's slots (math/vector_kernels.h,
// math/vector_kernels_sse.h), each override just its kernel, compiled with the same
// options as the plug-in's math. The benchmark times them beside the guarded tables.
#pragma once

#include "math/vector_math.h"

namespace bench {

const math::_Vector3MathFunctions* Unguarded_Vector3_Table();
const math::_Vector4MathFunctions* Unguarded_Plain_Table();
const math::_Vector4MathFunctions* Unguarded_Packed_Table();

}  // namespace bench
