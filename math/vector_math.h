// Vector arithmetic behind virtual tables. Callers hold a pointer to the base class
// and never test the processor: the kind of object behind Vector4_Math decides
// whether the packed-instruction form runs.
//
// The host calls every slot the way its own compiler calls a member function: `this`
// in ECX, the arguments on the stack, removed by the callee (thiscall). A slot that
// returns a vector by value takes, in that compiler's form, the address of the
// caller's result as its first stack argument and hands the same address back in
// EAX. GCC would put that address in ECX and `this` on the stack instead, so each
// by-value slot is declared here in its binary form: the result address first, the
// address returned. Dot_Product returns its float on the x87 stack in both.
//
// Every out-parameter form reads all of its inputs before it writes, so out may be
// the same object as any input. The by-value forms only call their out-parameter
// form through the object's own table, so a derived table overrides just those.
//
// The tables hold no state, are never destroyed and have no virtual destructor.
// The order of the virtual functions is the slot order and must not change.
#pragma once

#include "math/vectors.h"

#if !defined(__i386__)
#error "the vector math tables follow the 32-bit x86 calling conventions of the host"
#endif

// How the host calls a member function: `this` in ECX, the callee pops (thiscall).
#define MATH_THISCALL __attribute__((thiscall))
#define QUILLON_SLOT virtual MATH_THISCALL

namespace math {

class _Vector3MathFunctions {
 public:
  QUILLON_SLOT Vector3* Add(Vector3* result, const Vector3& a, const Vector3& b) const;       // 0
  QUILLON_SLOT void Add(const Vector3& a, const Vector3& b, Vector3& out) const;              // 1
  QUILLON_SLOT Vector3* Subtract(Vector3* result, const Vector3& a, const Vector3& b) const;  // 2
  QUILLON_SLOT void Subtract(const Vector3& a, const Vector3& b, Vector3& out) const;         // 3
  QUILLON_SLOT Vector3* Multiply(Vector3* result, const Vector3& v, const float& s) const;    // 4
  QUILLON_SLOT Vector3* Multiply(Vector3* result, const Vector3& a, const Vector3& b) const;  // 5
  QUILLON_SLOT void Multiply(const Vector3& v, const float& s, Vector3& out) const;           // 6
  QUILLON_SLOT void Multiply(const Vector3& a, const Vector3& b, Vector3& out) const;         // 7
  QUILLON_SLOT Vector3* Divide(Vector3* result, const Vector3& v, const float& s) const;      // 8
  QUILLON_SLOT Vector3* Divide(Vector3* result, const Vector3& a, const Vector3& b) const;    // 9
  QUILLON_SLOT void Divide(const Vector3& v, const float& s, Vector3& out) const;             // 10
  QUILLON_SLOT void Divide(const Vector3& a, const Vector3& b, Vector3& out) const;           // 11
  QUILLON_SLOT Vector3* Cross_Product(Vector3* result, const Vector3& a,
                                      const Vector3& b) const;                              // 12
  QUILLON_SLOT void Cross_Product(const Vector3& a, const Vector3& b, Vector3& out) const;  // 13
  QUILLON_SLOT Vector3* Normalize(Vector3* result, const Vector3& v) const;                 // 14
  QUILLON_SLOT void Normalize(const Vector3& v, Vector3& out) const;                        // 15
  QUILLON_SLOT float Dot_Product(const Vector3& a, const Vector3& b) const;                 // 16
  QUILLON_SLOT void Dot_Product(const Vector3& a, const Vector3& b, float& out) const;      // 17
};

class _Vector4MathFunctions {
 public:
  QUILLON_SLOT Vector4* Add(Vector4* result, const Vector4& a, const Vector4& b) const;       // 0
  QUILLON_SLOT void Add(const Vector4& a, const Vector4& b, Vector4& out) const;              // 1
  QUILLON_SLOT Vector4* Subtract(Vector4* result, const Vector4& a, const Vector4& b) const;  // 2
  QUILLON_SLOT void Subtract(const Vector4& a, const Vector4& b, Vector4& out) const;         // 3
  QUILLON_SLOT Vector4* Multiply(Vector4* result, const Vector4& v, const float& s) const;    // 4
  QUILLON_SLOT Vector4* Multiply(Vector4* result, const Vector4& a, const Vector4& b) const;  // 5
  QUILLON_SLOT void Multiply(const Vector4& v, const float& s, Vector4& out) const;           // 6
  QUILLON_SLOT void Multiply(const Vector4& a, const Vector4& b, Vector4& out) const;         // 7
  QUILLON_SLOT Vector4* Divide(Vector4* result, const Vector4& v, const float& s) const;      // 8
  QUILLON_SLOT Vector4* Divide(Vector4* result, const Vector4& a, const Vector4& b) const;    // 9
  QUILLON_SLOT void Divide(const Vector4& v, const float& s, Vector4& out) const;             // 10
  QUILLON_SLOT void Divide(const Vector4& a, const Vector4& b, Vector4& out) const;           // 11
};

// All four lanes in one packed instruction, with unaligned loads and stores. Only the
// out-parameter forms are replaced; the inherited by-value forms reach them through
// the table. Create one only when the host reports that the processor has SSE.
class _Vector4MathFunctionsSSE : public _Vector4MathFunctions {
 public:
  using _Vector4MathFunctions::Add;
  using _Vector4MathFunctions::Divide;
  using _Vector4MathFunctions::Multiply;
  using _Vector4MathFunctions::Subtract;

  void MATH_THISCALL Add(const Vector4& a, const Vector4& b, Vector4& out) const override;
  void MATH_THISCALL Subtract(const Vector4& a, const Vector4& b, Vector4& out) const override;
  void MATH_THISCALL Multiply(const Vector4& v, const float& s, Vector4& out) const override;
  void MATH_THISCALL Multiply(const Vector4& a, const Vector4& b, Vector4& out) const override;
  void MATH_THISCALL Divide(const Vector4& v, const float& s, Vector4& out) const override;
  void MATH_THISCALL Divide(const Vector4& a, const Vector4& b, Vector4& out) const override;
};

}  // namespace math

#undef QUILLON_SLOT
