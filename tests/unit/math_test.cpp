// Vector math tables: results of both Vector4 forms and the Vector3 table, aliasing,
// the by-value shims, slot order, and the choice of table at start-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <typeinfo>
#include <vector>

#include "host/calling_convention.h"
#include "host/engine_addresses.h"
#include "math/math_tables.h"
#include "math/vector_math.h"

void PrintTo(const Vector3& v, std::ostream* os) {
  *os << '(' << v.x << ", " << v.y << ", " << v.z << ')';
}

void PrintTo(const Vector4& v, std::ostream* os) {
  *os << '(' << v.x << ", " << v.y << ", " << v.z << ", " << v.w << ')';
}

namespace {

using V3 = _Vector3MathFunctions;
using V4 = _Vector4MathFunctions;
using V4_SSE = _Vector4MathFunctionsSSE;

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

bool Same_Float(float p, float q) {
  if (std::isnan(p) || std::isnan(q)) return std::isnan(p) && std::isnan(q);
  return std::memcmp(&p, &q, sizeof p) == 0;
}

// Component by component, telling -0 from +0; any NaN matches any NaN, as the sign
// and payload of a NaN made from 0 x inf are the processor's.
template <typename Vector>
::testing::AssertionResult Same_Values(const Vector& expected, const Vector& actual) {
  const float* p = &expected.x;
  const float* q = &actual.x;
  for (std::size_t i = 0; i < sizeof expected / sizeof(float); ++i) {
    if (!Same_Float(p[i], q[i])) {
      return ::testing::AssertionFailure() << "expected " << ::testing::PrintToString(expected)
                                           << ", got " << ::testing::PrintToString(actual);
    }
  }
  return ::testing::AssertionSuccess();
}

// Bit for bit, NaN payloads included: for two paths through the same arithmetic.
template <typename Vector>
::testing::AssertionResult Bits_Equal(const Vector& expected, const Vector& actual) {
  if (std::memcmp(&expected, &actual, sizeof expected) == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "expected " << ::testing::PrintToString(expected)
                                       << ", got " << ::testing::PrintToString(actual);
}

const V3& Vector3_Table() {
  static const V3 table{};
  return table;
}

const V4& Plain_Table() {
  static const V4 table{};
  return table;
}

const V4& SSE_Table() {
  static const V4_SSE table{};
  return table;
}

// ---------------------------------------------------------------------------
// Every Vector4 operation, as an out-parameter call and as a by-value call. The
// scalar forms take their scalar from b.y, so that out = b also aliases the scalar.
// ---------------------------------------------------------------------------

struct Vector4_Operation {
  const char* name;
  std::function<void(const V4&, const Vector4&, const Vector4&, Vector4&)> out_form;
  std::function<Vector4(const V4&, const Vector4&, const Vector4&)> by_value;
};

const std::vector<Vector4_Operation>& Vector4_Operations() {
  static const std::vector<Vector4_Operation> operations = {
      {"Add", [](auto& t, auto& a, auto& b, auto& out) { t.Add(a, b, out); },
       [](auto& t, auto& a, auto& b) { return t.Add(a, b); }},
      {"Subtract", [](auto& t, auto& a, auto& b, auto& out) { t.Subtract(a, b, out); },
       [](auto& t, auto& a, auto& b) { return t.Subtract(a, b); }},
      {"Scale", [](auto& t, auto& a, auto& b, auto& out) { t.Multiply(a, b.y, out); },
       [](auto& t, auto& a, auto& b) { return t.Multiply(a, b.y); }},
      {"Multiply", [](auto& t, auto& a, auto& b, auto& out) { t.Multiply(a, b, out); },
       [](auto& t, auto& a, auto& b) { return t.Multiply(a, b); }},
      {"Divide by scalar", [](auto& t, auto& a, auto& b, auto& out) { t.Divide(a, b.y, out); },
       [](auto& t, auto& a, auto& b) { return t.Divide(a, b.y); }},
      {"Divide", [](auto& t, auto& a, auto& b, auto& out) { t.Divide(a, b, out); },
       [](auto& t, auto& a, auto& b) { return t.Divide(a, b); }},
  };
  return operations;
}

// Ordinary values, signed zeros, infinities, NaN and subnormals.
const std::vector<Vector4>& Vector4_Inputs() {
  static const std::vector<Vector4> inputs = {
      {1.0f, 2.0f, 3.0f, 4.0f}, {-7.5f, 0.1f, 1e20f, -3e-5f},
      {0.0f, -0.0f, inf, -inf}, {nan, 1e-42f, -2.0f, 3.0e38f},
      {0.0f, 0.0f, 0.0f, 0.0f}, {1.0f / 3.0f, 5.0f, -0.25f, 1e-38f},
  };
  return inputs;
}

class Vector4TableTest : public ::testing::TestWithParam<const V4*> {
 protected:
  const V4& table() const { return *GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(BothForms, Vector4TableTest,
                         ::testing::Values(&Plain_Table(), &SSE_Table()), [](const auto& info) {
                           return info.param == &Plain_Table() ? "Plain" : "SSE";
                         });

TEST_P(Vector4TableTest, ExamplesGiveExactResults) {
  const Vector4 a = {1, 2, 3, 4}, b = {10, 20, 30, 40}, v = {2, 4, 6, 8};
  const float two = 2.0f;
  EXPECT_TRUE(Same_Values({11, 22, 33, 44}, table().Add(a, b)));
  EXPECT_TRUE(Same_Values({-9, -18, -27, -36}, table().Subtract(a, b)));
  EXPECT_TRUE(Same_Values({1, 2, 3, 4}, table().Divide(v, two)));
  EXPECT_TRUE(Same_Values({4, 8, 12, 16}, table().Multiply(v, two)));
  EXPECT_TRUE(Same_Values({10, 40, 90, 160}, table().Multiply(a, b)));
  EXPECT_TRUE(Same_Values({10, 10, 10, 10}, table().Divide(b, a)));

  Vector4 out = {};
  table().Subtract(a, b, out);
  EXPECT_TRUE(Same_Values({-9, -18, -27, -36}, out));
  table().Divide(v, two, out);
  EXPECT_TRUE(Same_Values({1, 2, 3, 4}, out));
}

TEST_P(Vector4TableTest, DivisionByZeroGivesInfinitiesAndNaN) {
  const float zero = 0.0f, minus_zero = -0.0f;
  EXPECT_TRUE(Same_Values({inf, inf, inf, inf}, table().Divide(Vector4{1, 2, 3, 4}, zero)));
  EXPECT_TRUE(Same_Values({nan, inf, inf, inf}, table().Divide(Vector4{0, 1, 1, 1}, zero)));
  EXPECT_TRUE(
      Same_Values({-inf, inf, -inf, -inf}, table().Divide(Vector4{1, -1, 2, 3}, minus_zero)));

  EXPECT_TRUE(Same_Values({inf, -inf, nan, 1},
                          table().Divide(Vector4{1, 1, 0, 2}, Vector4{0, -0.0f, 0, 2})));
}

TEST_P(Vector4TableTest, OutMayBeTheSameObjectAsAnInput) {
  const Vector4 a = {1.5f, -2.0f, 3.25f, 8.0f}, b = {0.5f, 4.0f, -1.0f, 2.0f};
  for (const Vector4_Operation& operation : Vector4_Operations()) {
    SCOPED_TRACE(operation.name);
    Vector4 separate = {};
    operation.out_form(table(), a, b, separate);

    Vector4 in_a = a;
    operation.out_form(table(), in_a, b, in_a);
    EXPECT_TRUE(Bits_Equal(separate, in_a));

    Vector4 in_b = b;
    operation.out_form(table(), a, in_b, in_b);
    EXPECT_TRUE(Bits_Equal(separate, in_b));
  }
}

TEST_P(Vector4TableTest, ByValueFormsReturnWhatTheOutFormsWrite) {
  for (const Vector4_Operation& operation : Vector4_Operations()) {
    SCOPED_TRACE(operation.name);
    for (const Vector4& a : Vector4_Inputs()) {
      for (const Vector4& b : Vector4_Inputs()) {
        Vector4 out = {};
        operation.out_form(table(), a, b, out);
        EXPECT_TRUE(Bits_Equal(out, operation.by_value(table(), a, b)));
      }
    }
  }
}

// Vectors inside a host record sit on any float boundary; only they may be written.
TEST_P(Vector4TableTest, VectorsNeedOnlyFloatAlignment) {
  struct alignas(16) Record {
    float before_a;
    Vector4 a;  // 4 bytes past a 16-byte boundary
    float before_b;
    Vector4 b;  // 8 past
    float before_out;
    Vector4 out;  // 12 past
    float after_out;
  };
  for (const Vector4_Operation& operation : Vector4_Operations()) {
    SCOPED_TRACE(operation.name);
    Record record = {-1, {1, 2, 3, 4}, -2, {5, 4, 2, 8}, -3, {}, -4};
    Vector4 expected = {};
    operation.out_form(table(), Vector4{1, 2, 3, 4}, Vector4{5, 4, 2, 8}, expected);
    operation.out_form(table(), record.a, record.b, record.out);
    EXPECT_TRUE(Bits_Equal(expected, record.out));
    EXPECT_EQ(-3.0f, record.before_out);
    EXPECT_EQ(-4.0f, record.after_out);
  }
}

// The two forms must agree wherever both round once: every operation but the scalar
// divide, which the packed form does through a float reciprocal.
TEST(Vector4SSETest, AgreesWithThePlainFormBitForBit) {
  std::mt19937 generator(20240611);
  std::uniform_real_distribution<float> mantissa(-2.0f, 2.0f);
  std::uniform_int_distribution<int> exponent(-30, 30);
  auto random_vector = [&] {
    Vector4 v;
    for (float* c : {&v.x, &v.y, &v.z, &v.w})
      *c = std::ldexp(mantissa(generator), exponent(generator));
    return v;
  };
  for (int round = 0; round < 2000; ++round) {
    const Vector4 a = random_vector(), b = random_vector();
    for (const Vector4_Operation& operation : Vector4_Operations()) {
      Vector4 plain = {}, packed = {};
      operation.out_form(Plain_Table(), a, b, plain);
      operation.out_form(SSE_Table(), a, b, packed);
      if (std::strcmp(operation.name, "Divide by scalar") == 0) {
        for (int i = 0; i < 4; ++i) {
          const float p = (&plain.x)[i], q = (&packed.x)[i];
          EXPECT_NEAR(p, q, std::fabs(p) * 2.5e-7f) << "component " << i;
        }
      } else {
        ASSERT_TRUE(Bits_Equal(plain, packed)) << operation.name;
      }
    }
  }
}

// The plain form multiplies by a double reciprocal: a float one (1/7 rounded to
// float) would give 3.00000024 for 21 / 7.
TEST(Vector4PlainTest, ScalarDivideUsesADoubleReciprocal) {
  const float seven = 7.0f;
  EXPECT_TRUE(Same_Values({3, 6, 7, 1}, Plain_Table().Divide(Vector4{21, 42, 49, 7}, seven)));
}

// ---------------------------------------------------------------------------
// The host keeps only a 4-byte aligned stack. Calls the out-parameter forms with the
// stack at each 4-byte offset from a 16-byte boundary, the way the host may.
// ---------------------------------------------------------------------------

void* const* Table_Entries(const void* object) {
  void* const* entries;
  std::memcpy(&entries, object, sizeof entries);
  return entries;
}

#if defined(__linux__) && defined(__i386__)
struct Misaligned_Call {
  void* function;
  const void* self;
  const void* first;
  const void* second;
  void* out;
  std::uint32_t misalignment;
};

// Member functions are cdecl with `this` first on Linux. EDI and ESI are callee-saved,
// so they hold the caller's stack pointer and the call record across the call.
void Call_With_Misaligned_Stack(const Misaligned_Call& call) {
  asm volatile(
      "movl %%esp, %%edi\n\t"
      "andl $-16, %%esp\n\t"
      "subl 20(%%esi), %%esp\n\t"
      "pushl 16(%%esi)\n\t"
      "pushl 12(%%esi)\n\t"
      "pushl 8(%%esi)\n\t"
      "pushl 4(%%esi)\n\t"
      "calll *(%%esi)\n\t"
      "movl %%edi, %%esp\n\t"
      :
      : "S"(&call)
      : "eax", "ecx", "edx", "edi", "memory", "cc"
#if defined(__SSE__)
        ,
        "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"
#endif
  );
}

TEST_P(Vector4TableTest, OutFormsWorkOnAFourByteAlignedStack) {
  const unsigned out_slots[] = {1, 3, 6, 7, 10, 11};
  const Vector4 a = {1, 2, 3, 4}, b = {8, 4, 2, 0.5f};
  const float scalar = b.x;
  for (unsigned slot : out_slots) {
    const bool scalar_form = slot == 6 || slot == 10;
    const void* second = scalar_form ? static_cast<const void*>(&scalar) : &b;
    Vector4 expected = {};
    Misaligned_Call call = {Table_Entries(&table())[slot], &table(), &a, second, &expected, 0};
    Call_With_Misaligned_Stack(call);
    for (std::uint32_t misalignment : {4u, 8u, 12u}) {
      SCOPED_TRACE(::testing::Message() << "slot " << slot << ", misalignment " << misalignment);
      Vector4 out = {};
      call.out = &out;
      call.misalignment = misalignment;
      Call_With_Misaligned_Stack(call);
      EXPECT_TRUE(Bits_Equal(expected, out));
    }
  }
}
#endif

// ---------------------------------------------------------------------------
// Slot order, which callers compiled against the same layout rely on.
// ---------------------------------------------------------------------------

// In the Itanium C++ ABI (used by both compilers, also for Windows targets) a pointer
// to a virtual member holds 1 + the byte offset of its slot.
template <typename Method>
unsigned Slot_Of(Method method) {
  struct {
    std::uintptr_t pointer;
    std::ptrdiff_t adjustment;
  } raw;
  static_assert(sizeof raw == sizeof method, "unexpected member pointer layout");
  std::memcpy(&raw, &method, sizeof raw);
  return static_cast<unsigned>((raw.pointer - 1) / sizeof(void*));
}

template <typename Table, typename Vector>
struct Forms {
  using Pair = Vector (Table::*)(const Vector&, const Vector&) const;
  using Pair_Out = void (Table::*)(const Vector&, const Vector&, Vector&) const;
  using Scalar = Vector (Table::*)(const Vector&, const float&) const;
  using Scalar_Out = void (Table::*)(const Vector&, const float&, Vector&) const;
  using Single = Vector (Table::*)(const Vector&) const;
  using Single_Out = void (Table::*)(const Vector&, Vector&) const;
  using Dot = float (Table::*)(const Vector&, const Vector&) const;
  using Dot_Out = void (Table::*)(const Vector&, const Vector&, float&) const;
};

TEST(VectorMathSlotsTest, VirtualFunctionsAreInSlotOrder) {
  using F3 = Forms<V3, Vector3>;
  const unsigned vector3_slots[] = {
      Slot_Of<F3::Pair>(&V3::Add),
      Slot_Of<F3::Pair_Out>(&V3::Add),
      Slot_Of<F3::Pair>(&V3::Subtract),
      Slot_Of<F3::Pair_Out>(&V3::Subtract),
      Slot_Of<F3::Scalar>(&V3::Multiply),
      Slot_Of<F3::Pair>(&V3::Multiply),
      Slot_Of<F3::Scalar_Out>(&V3::Multiply),
      Slot_Of<F3::Pair_Out>(&V3::Multiply),
      Slot_Of<F3::Scalar>(&V3::Divide),
      Slot_Of<F3::Pair>(&V3::Divide),
      Slot_Of<F3::Scalar_Out>(&V3::Divide),
      Slot_Of<F3::Pair_Out>(&V3::Divide),
      Slot_Of<F3::Pair>(&V3::Cross_Product),
      Slot_Of<F3::Pair_Out>(&V3::Cross_Product),
      Slot_Of<F3::Single>(&V3::Normalize),
      Slot_Of<F3::Single_Out>(&V3::Normalize),
      Slot_Of<F3::Dot>(&V3::Dot_Product),
      Slot_Of<F3::Dot_Out>(&V3::Dot_Product),
  };
  for (unsigned slot = 0; slot < 18; ++slot) EXPECT_EQ(slot, vector3_slots[slot]);

  using F4 = Forms<V4, Vector4>;
  const unsigned vector4_slots[] = {
      Slot_Of<F4::Pair>(&V4::Add),
      Slot_Of<F4::Pair_Out>(&V4::Add),
      Slot_Of<F4::Pair>(&V4::Subtract),
      Slot_Of<F4::Pair_Out>(&V4::Subtract),
      Slot_Of<F4::Scalar>(&V4::Multiply),
      Slot_Of<F4::Pair>(&V4::Multiply),
      Slot_Of<F4::Scalar_Out>(&V4::Multiply),
      Slot_Of<F4::Pair_Out>(&V4::Multiply),
      Slot_Of<F4::Scalar>(&V4::Divide),
      Slot_Of<F4::Pair>(&V4::Divide),
      Slot_Of<F4::Scalar_Out>(&V4::Divide),
      Slot_Of<F4::Pair_Out>(&V4::Divide),
  };
  for (unsigned slot = 0; slot < 12; ++slot) EXPECT_EQ(slot, vector4_slots[slot]);
}

TEST(VectorMathSlotsTest, SSEFormReplacesExactlyTheOutParameterSlots) {
  void* const* plain = Table_Entries(&Plain_Table());
  void* const* packed = Table_Entries(&SSE_Table());
  for (unsigned slot = 0; slot < 12; ++slot) {
    const bool out_form = slot == 1 || slot == 3 || slot == 6 || slot == 7 || slot >= 10;
    EXPECT_EQ(out_form, plain[slot] != packed[slot]) << "slot " << slot;
  }
}

// ---------------------------------------------------------------------------
// Vector3
// ---------------------------------------------------------------------------

TEST(Vector3MathTest, NormalizeOfAZeroVectorIsPositiveZero) {
  const Vector3 zero = {0, 0, 0};
  for (const Vector3& v : {Vector3{0, 0, 0}, Vector3{-0.0f, 0, 0}, Vector3{-0.0f, -0.0f, -0.0f}}) {
    EXPECT_TRUE(Same_Values(zero, Vector3_Table().Normalize(v)));
    Vector3 out = {5, 5, 5};
    Vector3_Table().Normalize(v, out);
    EXPECT_TRUE(Same_Values(zero, out));
  }
}

// The squared length would underflow or overflow as a float.
TEST(Vector3MathTest, NormalizeCoversTheWholeFloatRange) {
  const float largest = std::numeric_limits<float>::max();
  const float smallest = std::numeric_limits<float>::denorm_min();
  EXPECT_TRUE(Same_Values({1, 0, 0}, Vector3_Table().Normalize(Vector3{1e-30f, 0, 0})));
  EXPECT_TRUE(Same_Values({1, 0, 0}, Vector3_Table().Normalize(Vector3{1e30f, 0, 0})));
  EXPECT_TRUE(Same_Values({0, -1, 0}, Vector3_Table().Normalize(Vector3{0, -smallest, 0})));

  const Vector3 diagonal = Vector3_Table().Normalize(Vector3{largest, largest, -largest});
  const float third = static_cast<float>(1.0 / std::sqrt(3.0));
  EXPECT_FLOAT_EQ(third, diagonal.x);
  EXPECT_FLOAT_EQ(third, diagonal.y);
  EXPECT_FLOAT_EQ(-third, diagonal.z);

  const Vector3 unit = Vector3_Table().Normalize(Vector3{3, 0, -4});
  EXPECT_FLOAT_EQ(0.6f, unit.x);
  EXPECT_FLOAT_EQ(-0.8f, unit.z);
}

TEST(Vector3MathTest, NormalizeOfNaNGivesNaN) {
  const Vector3 unit = Vector3_Table().Normalize(Vector3{nan, 1, 2});
  EXPECT_TRUE(std::isnan(unit.x) && std::isnan(unit.y) && std::isnan(unit.z));
}

TEST(Vector3MathTest, DotProduct) {
  const Vector3 a = {1, 2, 3}, b = {4, 5, 6};
  EXPECT_EQ(32.0f, Vector3_Table().Dot_Product(a, b));
  float out = 0;
  Vector3_Table().Dot_Product(a, b, out);
  EXPECT_EQ(32.0f, out);

  // Written into a component of an input, after every input is read.
  Vector3 in_a = a;
  Vector3_Table().Dot_Product(in_a, b, in_a.x);
  EXPECT_EQ(32.0f, in_a.x);
}

// 2^24 + 1 - 2^24: float sums lose the 1, double sums keep it.
TEST(Vector3MathTest, DotProductSumsInDoublePrecision) {
  const Vector3 ones = {1, 1, 1}, b = {-16777216.0f, 1, 16777216.0f};
  EXPECT_EQ(1.0f, Vector3_Table().Dot_Product(ones, b));
}

TEST(Vector3MathTest, CrossProductIsRightHanded) {
  const Vector3 x = {1, 0, 0}, y = {0, 1, 0}, z = {0, 0, 1};
  EXPECT_TRUE(Same_Values(z, Vector3_Table().Cross_Product(x, y)));
  EXPECT_TRUE(Same_Values(x, Vector3_Table().Cross_Product(y, z)));
  EXPECT_TRUE(Same_Values(y, Vector3_Table().Cross_Product(z, x)));
  EXPECT_TRUE(
      Same_Values({-3, 6, -3}, Vector3_Table().Cross_Product(Vector3{1, 2, 3}, Vector3{4, 5, 6})));
}

// (1 + 2^-12)^2 - 1 = 2^-11 + 2^-24: a float product would round the 2^-24 away.
TEST(Vector3MathTest, CrossProductFormsProductsInDoublePrecision) {
  const float near_one = 1.0f + std::ldexp(1.0f, -12);
  const Vector3 cross =
      Vector3_Table().Cross_Product(Vector3{0, near_one, 1}, Vector3{0, 1, near_one});
  EXPECT_TRUE(Same_Values({std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24), 0, 0}, cross));
}

TEST(Vector3MathTest, ScalarDivide) {
  const float zero = 0.0f, seven = 7.0f;
  EXPECT_TRUE(Same_Values({inf, inf, inf}, Vector3_Table().Divide(Vector3{1, 2, 3}, zero)));
  EXPECT_TRUE(Same_Values({nan, inf, inf}, Vector3_Table().Divide(Vector3{0, 1, 1}, zero)));
  EXPECT_TRUE(Same_Values({3, 6, 7}, Vector3_Table().Divide(Vector3{21, 42, 49}, seven)));
}

struct Vector3_Operation {
  const char* name;
  std::function<void(const Vector3&, const Vector3&, Vector3&)> out_form;
  std::function<Vector3(const Vector3&, const Vector3&)> by_value;
};

// Dot_Product's float result is spread over a vector to compare it the same way.
std::vector<Vector3_Operation> Vector3_Operations() {
  const V3& t = Vector3_Table();
  return {
      {"Add", [&](auto& a, auto& b, auto& out) { t.Add(a, b, out); },
       [&](auto& a, auto& b) { return t.Add(a, b); }},
      {"Subtract", [&](auto& a, auto& b, auto& out) { t.Subtract(a, b, out); },
       [&](auto& a, auto& b) { return t.Subtract(a, b); }},
      {"Scale", [&](auto& a, auto& b, auto& out) { t.Multiply(a, b.y, out); },
       [&](auto& a, auto& b) { return t.Multiply(a, b.y); }},
      {"Multiply", [&](auto& a, auto& b, auto& out) { t.Multiply(a, b, out); },
       [&](auto& a, auto& b) { return t.Multiply(a, b); }},
      {"Divide by scalar", [&](auto& a, auto& b, auto& out) { t.Divide(a, b.y, out); },
       [&](auto& a, auto& b) { return t.Divide(a, b.y); }},
      {"Divide", [&](auto& a, auto& b, auto& out) { t.Divide(a, b, out); },
       [&](auto& a, auto& b) { return t.Divide(a, b); }},
      {"Cross_Product", [&](auto& a, auto& b, auto& out) { t.Cross_Product(a, b, out); },
       [&](auto& a, auto& b) { return t.Cross_Product(a, b); }},
      {"Normalize", [&](auto& a, auto&, auto& out) { t.Normalize(a, out); },
       [&](auto& a, auto&) { return t.Normalize(a); }},
      {"Dot_Product",
       [&](auto& a, auto& b, auto& out) {
         float dot = 0;
         t.Dot_Product(a, b, dot);
         out = {dot, dot, dot};
       },
       [&](auto& a, auto& b) {
         const float dot = t.Dot_Product(a, b);
         return Vector3{dot, dot, dot};
       }},
  };
}

TEST(Vector3MathTest, OutMayBeTheSameObjectAsAnInput) {
  const Vector3 a = {1.5f, -2.0f, 3.25f}, b = {0.5f, 4.0f, -1.0f};
  for (const Vector3_Operation& operation : Vector3_Operations()) {
    SCOPED_TRACE(operation.name);
    Vector3 separate = {};
    operation.out_form(a, b, separate);

    Vector3 in_a = a;
    operation.out_form(in_a, b, in_a);
    EXPECT_TRUE(Bits_Equal(separate, in_a));

    Vector3 in_b = b;
    operation.out_form(a, in_b, in_b);
    EXPECT_TRUE(Bits_Equal(separate, in_b));
  }
}

TEST(Vector3MathTest, ByValueFormsReturnWhatTheOutFormsWrite) {
  const Vector3 inputs[] = {{1, 2, 3}, {-7.5f, 0.1f, 1e20f},   {0, -0.0f, inf}, {nan, 1e-42f, -2},
                            {0, 0, 0}, {3e38f, -3e38f, 1e-38f}};
  for (const Vector3_Operation& operation : Vector3_Operations()) {
    SCOPED_TRACE(operation.name);
    for (const Vector3& a : inputs) {
      for (const Vector3& b : inputs) {
        Vector3 out = {};
        operation.out_form(a, b, out);
        EXPECT_TRUE(Bits_Equal(out, operation.by_value(a, b)));
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Creation at start-up, with the host allocator and SSE flag played by the test.
// ---------------------------------------------------------------------------

struct Test_Heap {
  std::vector<unsigned> requests;
  std::vector<void*> blocks;
  std::size_t refused_request = 0;  // 1-based; 0 refuses none
};

Test_Heap& Heap() {
  static Test_Heap heap;
  return heap;
}

void* HOST_CDECL Test_Host_Alloc(unsigned bytes) {
  Test_Heap& heap = Heap();
  heap.requests.push_back(bytes);
  if (heap.requests.size() == heap.refused_request) return nullptr;
  heap.blocks.push_back(std::malloc(bytes));
  return heap.blocks.back();
}

template <typename Pointer>
host::Address Address_Of(Pointer pointer) {
  return static_cast<host::Address>(reinterpret_cast<std::uintptr_t>(pointer));
}

class CreateMathTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = host::Engine_Addresses;
    host::Engine_Addresses = {};
    host::Engine_Addresses.Host_Alloc = Address_Of(&Test_Host_Alloc);
    Heap() = Test_Heap{};
    Vector3_Math = nullptr;
    Vector4_Math = nullptr;
  }

  void TearDown() override {
    for (void* block : Heap().blocks) std::free(block);
    Heap() = Test_Heap{};
    host::Engine_Addresses = saved_;
    Vector3_Math = nullptr;
    Vector4_Math = nullptr;
  }

  void Set_SSE_Flag(const volatile unsigned char* flag) {
    host::Engine_Addresses.Host_SSE_Flag = Address_Of(flag);
  }

 private:
  host::EngineAddressTable saved_ = {};
};

TEST_F(CreateMathTablesTest, WithoutAnSSEFlagBothPlainTablesLiveInTheHostHeap) {
  Create_Math_Tables();
  ASSERT_NE(nullptr, Vector3_Math);
  ASSERT_NE(nullptr, Vector4_Math);
  EXPECT_EQ(typeid(V4), typeid(*Vector4_Math));
  EXPECT_EQ((std::vector<unsigned>{sizeof(V3), sizeof(V4)}), Heap().requests);
  EXPECT_EQ((std::vector<void*>{Vector3_Math, Vector4_Math}), Heap().blocks);
  EXPECT_EQ(32.0f, Vector3_Math->Dot_Product(Vector3{1, 2, 3}, Vector3{4, 5, 6}));
}

TEST_F(CreateMathTablesTest, TheHostFlagByteChoosesTheVector4Form) {
  struct Case {
    unsigned char flag;
    const std::type_info& table;
  };
  for (const Case& c : {Case{0, typeid(V4)}, Case{1, typeid(V4_SSE)}, Case{0x80, typeid(V4_SSE)}}) {
    SCOPED_TRACE(static_cast<int>(c.flag));
    volatile unsigned char flag = c.flag;
    Set_SSE_Flag(&flag);
    Create_Math_Tables();
    ASSERT_NE(nullptr, Vector4_Math);
    EXPECT_EQ(c.table, typeid(*Vector4_Math));
    EXPECT_TRUE(Same_Values({11, 22, 33, 44},
                            Vector4_Math->Add(Vector4{1, 2, 3, 4}, Vector4{10, 20, 30, 40})));
  }
}

TEST_F(CreateMathTablesTest, ARefusedAllocationLeavesOnlyThatTableNull) {
  Heap().refused_request = 1;
  Create_Math_Tables();
  EXPECT_EQ(nullptr, Vector3_Math);
  ASSERT_NE(nullptr, Vector4_Math);

  Heap().requests.clear();
  Heap().refused_request = 2;
  volatile unsigned char flag = 1;
  Set_SSE_Flag(&flag);
  Create_Math_Tables();
  EXPECT_NE(nullptr, Vector3_Math);
  EXPECT_EQ(nullptr, Vector4_Math);
  EXPECT_EQ(sizeof(V4_SSE), Heap().requests.at(1));
}

}  // namespace
