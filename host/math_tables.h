// The two vector math tables the plug-in creates at start-up, chosen once by the
// host's SSE flag.
#pragma once

namespace math {
class _Vector3MathFunctions;
class _Vector4MathFunctions;
}  // namespace math

extern math::_Vector3MathFunctions* Vector3_Math;
extern math::_Vector4MathFunctions* Vector4_Math;

// Creates both tables in the host heap; a table whose allocation fails stays null.
void Create_Math_Tables();
