// The two vector math tables the plug-in creates at start-up, chosen once by the
// host's SSE flag.
#pragma once

class _Vector3MathFunctions;
class _Vector4MathFunctions;

extern _Vector3MathFunctions* Vector3_Math;
extern _Vector4MathFunctions* Vector4_Math;

// Creates both tables in the host heap; a table whose allocation fails stays null.
void Create_Math_Tables();
