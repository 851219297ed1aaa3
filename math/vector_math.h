// Vector arithmetic behind virtual tables. Callers hold a pointer to the base class
// and never test the processor: the kind of object behind Vector4_Math decides
// whether the packed-instruction form runs.
//
// Every out-parameter form reads all of its inputs before it writes, so out may be
// the same object as any input. The by-value forms only call their out-parameter
// form through the object's own table, so a derived table overrides just those.
//
// The tables hold no state, are never destroyed and have no virtual destructor.
// The order of the virtual functions is the slot order and must not change.
#pragma once

#include "math/vectors.h"

class _Vector3MathFunctions {
 public:
  virtual Vector3 Add(const Vector3& a, const Vector3& b) const;                       // slot 0
  virtual void Add(const Vector3& a, const Vector3& b, Vector3& out) const;            // slot 1
  virtual Vector3 Subtract(const Vector3& a, const Vector3& b) const;                  // slot 2
  virtual void Subtract(const Vector3& a, const Vector3& b, Vector3& out) const;       // slot 3
  virtual Vector3 Multiply(const Vector3& v, const float& s) const;                    // slot 4
  virtual Vector3 Multiply(const Vector3& a, const Vector3& b) const;                  // slot 5
  virtual void Multiply(const Vector3& v, const float& s, Vector3& out) const;         // slot 6
  virtual void Multiply(const Vector3& a, const Vector3& b, Vector3& out) const;       // slot 7
  virtual Vector3 Divide(const Vector3& v, const float& s) const;                      // slot 8
  virtual Vector3 Divide(const Vector3& a, const Vector3& b) const;                    // slot 9
  virtual void Divide(const Vector3& v, const float& s, Vector3& out) const;           // slot 10
  virtual void Divide(const Vector3& a, const Vector3& b, Vector3& out) const;         // slot 11
  virtual Vector3 Cross_Product(const Vector3& a, const Vector3& b) const;             // slot 12
  virtual void Cross_Product(const Vector3& a, const Vector3& b, Vector3& out) const;  // slot 13
  virtual Vector3 Normalize(const Vector3& v) const;                                   // slot 14
  virtual void Normalize(const Vector3& v, Vector3& out) const;                        // slot 15
  virtual float Dot_Product(const Vector3& a, const Vector3& b) const;                 // slot 16
  virtual void Dot_Product(const Vector3& a, const Vector3& b, float& out) const;      // slot 17
};

class _Vector4MathFunctions {
 public:
  virtual Vector4 Add(const Vector4& a, const Vector4& b) const;                  // slot 0
  virtual void Add(const Vector4& a, const Vector4& b, Vector4& out) const;       // slot 1
  virtual Vector4 Subtract(const Vector4& a, const Vector4& b) const;             // slot 2
  virtual void Subtract(const Vector4& a, const Vector4& b, Vector4& out) const;  // slot 3
  virtual Vector4 Multiply(const Vector4& v, const float& s) const;               // slot 4
  virtual Vector4 Multiply(const Vector4& a, const Vector4& b) const;             // slot 5
  virtual void Multiply(const Vector4& v, const float& s, Vector4& out) const;    // slot 6
  virtual void Multiply(const Vector4& a, const Vector4& b, Vector4& out) const;  // slot 7
  virtual Vector4 Divide(const Vector4& v, const float& s) const;                 // slot 8
  virtual Vector4 Divide(const Vector4& a, const Vector4& b) const;               // slot 9
  virtual void Divide(const Vector4& v, const float& s, Vector4& out) const;      // slot 10
  virtual void Divide(const Vector4& a, const Vector4& b, Vector4& out) const;    // slot 11
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

  void Add(const Vector4& a, const Vector4& b, Vector4& out) const override;
  void Subtract(const Vector4& a, const Vector4& b, Vector4& out) const override;
  void Multiply(const Vector4& v, const float& s, Vector4& out) const override;
  void Multiply(const Vector4& a, const Vector4& b, Vector4& out) const override;
  void Divide(const Vector4& v, const float& s, Vector4& out) const override;
  void Divide(const Vector4& a, const Vector4& b, Vector4& out) const override;
};
