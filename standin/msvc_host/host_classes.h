// The plug-in's classes as the host's programmers declare them, for the host's
// compiler. Only the host side of this folder includes it.
//
// That compiler groups the overloads of one name together in a class's table, not in
// the order they were declared, so every slot here has a name of its own and the
// declaration order is the slot order.
#pragma once

struct Vector3 {
  float x, y, z;
};

struct Vector4 {
  float x, y, z, w;
};

class ConsoleCommand {
 public:
  virtual const char* Get_Name() = 0;                // 0
  virtual const char* Get_Alias() = 0;               // 1
  virtual const char* Get_Help() = 0;                // 2
  virtual void Activate(const char* arguments) = 0;  // 3
  virtual ~ConsoleCommand() {}                       // 4: the deleting destructor
};

// Slots 0 to 11, the same for both vector sizes. A Vector3 table adds six more: the
// host's compiler places a derived class's new slots after its base's.
template <typename Vector>
class VectorMathTable {
 public:
  virtual Vector Add(const Vector& a, const Vector& b) const = 0;                       // 0
  virtual void Add_Into(const Vector& a, const Vector& b, Vector& out) const = 0;       // 1
  virtual Vector Subtract(const Vector& a, const Vector& b) const = 0;                  // 2
  virtual void Subtract_Into(const Vector& a, const Vector& b, Vector& out) const = 0;  // 3
  virtual Vector Scale(const Vector& v, const float& s) const = 0;                      // 4
  virtual Vector Multiply(const Vector& a, const Vector& b) const = 0;                  // 5
  virtual void Scale_Into(const Vector& v, const float& s, Vector& out) const = 0;      // 6
  virtual void Multiply_Into(const Vector& a, const Vector& b, Vector& out) const = 0;  // 7
  virtual Vector Divide_By(const Vector& v, const float& s) const = 0;                  // 8
  virtual Vector Divide(const Vector& a, const Vector& b) const = 0;                    // 9
  virtual void Divide_By_Into(const Vector& v, const float& s, Vector& out) const = 0;  // 10
  virtual void Divide_Into(const Vector& a, const Vector& b, Vector& out) const = 0;    // 11
};

using Vector4MathTable = VectorMathTable<Vector4>;

class Vector3MathTable : public VectorMathTable<Vector3> {
 public:
  virtual Vector3 Cross_Product(const Vector3& a, const Vector3& b) const = 0;  // 12
  virtual void Cross_Product_Into(const Vector3& a, const Vector3& b,
                                  Vector3& out) const = 0;                // 13
  virtual Vector3 Normalize(const Vector3& v) const = 0;                  // 14
  virtual void Normalize_Into(const Vector3& v, Vector3& out) const = 0;  // 15
  // The slot returns a float in ST0. Declared double, the same return in the same
  // register, so the caller stores it at double width: stored at a float's width a
  // denormal result would trap under an unmasked underflow, in this stand-in's code,
  // where the state of the host's thread is the test's.
  virtual double Dot_Product(const Vector3& a, const Vector3& b) const = 0;                 // 16
  virtual void Dot_Product_Into(const Vector3& a, const Vector3& b, float& out) const = 0;  // 17
};
