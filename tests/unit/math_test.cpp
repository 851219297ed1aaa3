// Vector math tables: results of both Vector4 forms and the Vector3 table, aliasing,
// the by-value shims, and the choice of table at start-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "host/calling_convention.h"
#include "host/engine_addresses.h"
#include "math/math_tables.h"
#include "math/vector_math.h"

namespace {

using V3 = _Vector3MathFunctions;
using V4 = _Vector4MathFunctions;
using V4_SSE = _Vector4MathFunctionsSSE;

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// Component by component, telling -0 from +0. Any NaN matches any NaN: the sign of the
// NaN that 0 x inf makes is the processor's.
template <typename Vector>
::testing::AssertionResult Same(const Vector& expected, const Vector& actual) {
  const std::vector<float> p(&expected.x, &expected.x + sizeof(Vector) / sizeof(float));
  const std::vector<float> q(&actual.x, &actual.x + p.size());
  for (std::size_t i = 0; i < p.size(); ++i) {
    if ((std::isnan(p[i]) && std::isnan(q[i])) || std::memcmp(&p[i], &q[i], 4) == 0) continue;
    return ::testing::AssertionFailure()
           << "expected " << ::testing::PrintToString(p) << ", got " << ::testing::PrintToString(q);
  }
  return ::testing::AssertionSuccess();
}

const V3 vector3_table{};
const V4 plain_table{};
const V4_SSE sse_table{};

// Each operation as an out-parameter call and as a by-value call. The scalar forms
// take b.y, so that out = b aliases the scalar too (as in v = v / v.w).
template <typename T, typename V>
struct Operation {
  const char* name;
  void (*out_form)(const T&, const V&, const V&, V&);
  V (*by_value)(const T&, const V&, const V&);
};

#define FORMS(name, method, ...)                                                                  \
  Operation<T, V> {                                                                               \
    name,                                                                                         \
        [](const T& t, const V& a, [[maybe_unused]] const V& b, V& out) {                         \
          t.method(__VA_ARGS__, out);                                                             \
        },                                                                                        \
        [](const T& t, const V& a, [[maybe_unused]] const V& b) { return t.method(__VA_ARGS__); } \
  }

template <typename T, typename V>
std::vector<Operation<T, V>> Operations() {
  std::vector<Operation<T, V>> operations = {FORMS("Add", Add, a, b),
                                             FORMS("Subtract", Subtract, a, b),
                                             FORMS("Scale", Multiply, a, b.y),
                                             FORMS("Multiply", Multiply, a, b),
                                             FORMS("Divide by scalar", Divide, a, b.y),
                                             FORMS("Divide", Divide, a, b)};
  if constexpr (std::is_same_v<V, Vector3>) {
    operations.push_back(FORMS("Cross_Product", Cross_Product, a, b));
    operations.push_back(FORMS("Normalize", Normalize, a));
  }
  return operations;
}

#undef FORMS

// For every pair of inputs the by-value form returns what the out form writes, and
// out may be the same object as a or b.
template <typename T, typename V>
void Expect_Forms_Agree(const T& table, const std::vector<V>& inputs) {
  for (const Operation<T, V>& operation : Operations<T, V>()) {
    SCOPED_TRACE(operation.name);
    for (const V& a : inputs) {
      for (const V& b : inputs) {
        V out = {}, in_a = a, in_b = b;
        operation.out_form(table, a, b, out);
        operation.out_form(table, in_a, b, in_a);
        operation.out_form(table, a, in_b, in_b);
        EXPECT_TRUE(Same(out, operation.by_value(table, a, b)));
        EXPECT_TRUE(Same(out, in_a));
        EXPECT_TRUE(Same(out, in_b));
      }
    }
  }
}

void* const* Table_Entries(const void* object) {
  void* const* entries;
  std::memcpy(&entries, object, sizeof entries);
  return entries;
}

// ---------------------------------------------------------------------------
// Vector4, both forms
// ---------------------------------------------------------------------------

class Vector4TableTest : public ::testing::TestWithParam<const V4*> {
 protected:
  const V4& table() const { return *GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(BothForms, Vector4TableTest, ::testing::Values(&plain_table, &sse_table),
                         [](const auto& info) { return info.index == 0 ? "Plain" : "SSE"; });

TEST_P(Vector4TableTest, ExactResults) {
  const Vector4 a = {1, 2, 3, 4}, b = {10, 20, 30, 40}, v = {2, 4, 6, 8};
  const float two = 2, zero = 0, minus_zero = -0.0f;
  EXPECT_TRUE(Same({11, 22, 33, 44}, table().Add(a, b)));
  EXPECT_TRUE(Same({-9, -18, -27, -36}, table().Subtract(a, b)));
  EXPECT_TRUE(Same({1, 2, 3, 4}, table().Divide(v, two)));
  EXPECT_TRUE(Same({4, 8, 12, 16}, table().Multiply(v, two)));
  EXPECT_TRUE(Same({10, 40, 90, 160}, table().Multiply(a, b)));
  EXPECT_TRUE(Same({10, 10, 10, 10}, table().Divide(b, a)));
  // Division by zero: infinities, and NaN for 0 / 0 or 0 x inf.
  EXPECT_TRUE(Same({inf, inf, inf, inf}, table().Divide(a, zero)));
  EXPECT_TRUE(Same({nan, inf, inf, inf}, table().Divide(Vector4{0, 1, 1, 1}, zero)));
  EXPECT_TRUE(Same({-inf, inf, -inf, -inf}, table().Divide(Vector4{1, -1, 2, 3}, minus_zero)));
  EXPECT_TRUE(Same({inf, -inf, nan, 1}, table().Divide(Vector4{1, 1, 0, 2}, {0, -0.0f, 0, 2})));
}

TEST_P(Vector4TableTest, FormsAgreeAndOutMayBeAnInput) {
  Expect_Forms_Agree<V4, Vector4>(table(), {{1, 2, 3, 4},
                                            {-7.5f, 0.1f, 1e20f, -3e-5f},
                                            {0, -0.0f, inf, -inf},
                                            {nan, 1e-42f, -2, 3e38f}});
}

// A vector inside a host record sits on any float boundary; nothing beside it is written.
TEST_P(Vector4TableTest, VectorsNeedOnlyFloatAlignment) {
  struct alignas(16) Record {  // a, b and out 4, 8 and 12 bytes past a 16-byte boundary
    float pad_a;
    Vector4 a;
    float pad_b[2];
    Vector4 b;
    float pad_out[3];
    Vector4 out;
    float after_out;
  };
  for (const auto& operation : Operations<V4, Vector4>()) {
    Record record = {-1, {1, 2, 3, 4}, {}, {5, 4, 2, 8}, {}, {}, -4};
    operation.out_form(table(), record.a, record.b, record.out);
    EXPECT_TRUE(Same(operation.by_value(table(), record.a, record.b), record.out));
    EXPECT_EQ(-4.0f, record.after_out) << operation.name;
  }
}

#if defined(__linux__) && defined(__i386__)
// The host keeps only 4-byte stack alignment. Calls an out-parameter slot (cdecl with
// `this` first on Linux) with ESP `call[5]` bytes off a 16-byte boundary; ESI and EDI,
// which hold the call record and the stack pointer, survive the call.
void Call_With_Misaligned_Stack(const void* const (&call)[6]) {
  asm volatile(
      "movl %%esp, %%edi\n\tandl $-16, %%esp\n\tsubl 20(%%esi), %%esp\n\t"
      "pushl 16(%%esi)\n\tpushl 12(%%esi)\n\tpushl 8(%%esi)\n\tpushl 4(%%esi)\n\t"
      "calll *(%%esi)\n\tmovl %%edi, %%esp"
      :
      : "S"(call)
      : "eax", "ecx", "edx", "edi", "memory", "cc");
}

TEST_P(Vector4TableTest, OutFormsWorkOnAFourByteAlignedStack) {
  const Vector4 a = {1, 2, 3, 4}, b = {8, 4, 2, 0.5f};
  for (unsigned slot : {1, 3, 6, 7, 10, 11}) {
    const void* second = slot == 6 || slot == 10 ? static_cast<const void*>(&b.y) : &b;
    Vector4 aligned = {};
    const void* slot_function = Table_Entries(&table())[slot];
    Call_With_Misaligned_Stack({slot_function, &table(), &a, second, &aligned, nullptr});
    for (std::uintptr_t misalignment : {4, 8, 12}) {
      Vector4 out = {};
      const void* offset = reinterpret_cast<const void*>(misalignment);
      Call_With_Misaligned_Stack({slot_function, &table(), &a, second, &out, offset});
      EXPECT_TRUE(Same(aligned, out)) << "slot " << slot << ", " << misalignment << " bytes off";
    }
  }
}
#endif

TEST(Vector4SSETest, ReplacesExactlyTheOutParameterSlots) {
  for (unsigned slot = 0; slot < 12; ++slot) {
    const bool out_form = slot == 1 || slot == 3 || slot == 6 || slot == 7 || slot >= 10;
    EXPECT_EQ(out_form, Table_Entries(&plain_table)[slot] != Table_Entries(&sse_table)[slot])
        << "slot " << slot;
  }
}

// ---------------------------------------------------------------------------
// Vector3, and the double precision of the plain forms
// ---------------------------------------------------------------------------

TEST(Vector3MathTest, Normalize) {
  for (const Vector3& zero :
       {Vector3{0, 0, 0}, Vector3{-0.0f, 0, 0}, Vector3{-0.0f, -0.0f, -0.0f}}) {
    EXPECT_TRUE(Same({0, 0, 0}, vector3_table.Normalize(zero)));
  }
  EXPECT_TRUE(Same({nan, nan, nan}, vector3_table.Normalize(Vector3{nan, 1, 2})));

  // The squared length would underflow or overflow as a float.
  const float largest = std::numeric_limits<float>::max();
  EXPECT_TRUE(Same({1, 0, 0}, vector3_table.Normalize(Vector3{1e-30f, 0, 0})));
  EXPECT_TRUE(Same({1, 0, 0}, vector3_table.Normalize(Vector3{1e30f, 0, 0})));
  EXPECT_TRUE(Same({0, -1, 0}, vector3_table.Normalize(Vector3{0, -1e-45f, 0})));
  const Vector3 diagonal = vector3_table.Normalize(Vector3{largest, largest, -largest});
  EXPECT_FLOAT_EQ(static_cast<float>(-1 / std::sqrt(3.0)), diagonal.z);
}

TEST(Vector3MathTest, DotProduct) {
  const Vector3 a = {1, 2, 3}, b = {4, 5, 6};
  float out = 0;
  vector3_table.Dot_Product(a, b, out);
  EXPECT_EQ(32.0f, out);
  EXPECT_EQ(32.0f, vector3_table.Dot_Product(a, b));
  Vector3 in_a = a;  // the result lands on an input, after all inputs are read
  vector3_table.Dot_Product(in_a, b, in_a.x);
  EXPECT_EQ(32.0f, in_a.x);
  // 2^24 + 1 - 2^24: a float sum loses the 1.
  EXPECT_EQ(1.0f, vector3_table.Dot_Product(Vector3{1, 1, 1}, Vector3{-16777216, 1, 16777216}));
}

TEST(Vector3MathTest, CrossProductIsRightHanded) {
  const Vector3 x = {1, 0, 0}, y = {0, 1, 0}, z = {0, 0, 1};
  EXPECT_TRUE(Same(z, vector3_table.Cross_Product(x, y)));
  EXPECT_TRUE(Same(x, vector3_table.Cross_Product(y, z)));
  EXPECT_TRUE(Same(y, vector3_table.Cross_Product(z, x)));
  EXPECT_TRUE(Same({-3, 6, -3}, vector3_table.Cross_Product(Vector3{1, 2, 3}, {4, 5, 6})));
  // (1 + 2^-12)^2 - 1 = 2^-11 + 2^-24: a float product would round the 2^-24 away.
  const float near_one = 1 + std::ldexp(1.0f, -12);
  EXPECT_TRUE(Same({std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24), 0, 0},
                   vector3_table.Cross_Product(Vector3{0, near_one, 1}, {0, 1, near_one})));
}

// A float reciprocal of 7 would make 21 / 7 come out as 3.00000024.
TEST(Vector3MathTest, ScalarDivideMultipliesByADoubleReciprocal) {
  const float zero = 0, seven = 7;
  EXPECT_TRUE(Same({inf, inf, inf}, vector3_table.Divide(Vector3{1, 2, 3}, zero)));
  EXPECT_TRUE(Same({nan, inf, inf}, vector3_table.Divide(Vector3{0, 1, 1}, zero)));
  EXPECT_TRUE(Same({3, 6, 7}, vector3_table.Divide(Vector3{21, 42, 49}, seven)));
  EXPECT_TRUE(Same({3, 6, 7, 1}, plain_table.Divide(Vector4{21, 42, 49, 7}, seven)));
}

TEST(Vector3MathTest, FormsAgreeAndOutMayBeAnInput) {
  Expect_Forms_Agree<V3, Vector3>(vector3_table, {{1, 2, 3},
                                                  {-7.5f, 0.1f, 1e20f},
                                                  {0, -0.0f, inf},
                                                  {nan, 1e-42f, -2},
                                                  {3e38f, -3e38f, 1e-38f}});
}

// ---------------------------------------------------------------------------
// Creation at start-up, with the host allocator and SSE flag played by the test
// ---------------------------------------------------------------------------

struct {
  std::vector<unsigned> requests;
  std::vector<void*> blocks;
  std::size_t refused_request = 0;  // 1-based; 0 refuses none
} heap;

void* HOST_CDECL Test_Host_Alloc(unsigned bytes) {
  heap.requests.push_back(bytes);
  if (heap.requests.size() == heap.refused_request) return nullptr;
  return heap.blocks.emplace_back(std::malloc(bytes));
}

template <typename Pointer>
host::Address Address_Of(Pointer pointer) {
  return static_cast<host::Address>(reinterpret_cast<std::uintptr_t>(pointer));
}

class CreateMathTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Engine_Addresses = {};
    host::Engine_Addresses.Host_Alloc = Address_Of(&Test_Host_Alloc);
  }
  void TearDown() override {
    for (void* block : heap.blocks) std::free(block);
    heap = {};
    host::Engine_Addresses = saved_;
    Vector3_Math = nullptr;
    Vector4_Math = nullptr;
  }
  void Set_SSE_Flag(const volatile unsigned char* flag) {
    host::Engine_Addresses.Host_SSE_Flag = Address_Of(flag);
  }

 private:
  const host::EngineAddressTable saved_ = host::Engine_Addresses;
};

TEST_F(CreateMathTablesTest, TheHostFlagByteChoosesTheVector4Form) {
  Create_Math_Tables();  // a build without the flag
  EXPECT_EQ((std::vector<unsigned>{sizeof(V3), sizeof(V4)}), heap.requests);
  EXPECT_EQ((std::vector<void*>{Vector3_Math, Vector4_Math}), heap.blocks);
  ASSERT_NE(nullptr, Vector4_Math);
  EXPECT_EQ(typeid(V4), typeid(*Vector4_Math));

  for (unsigned char byte : {0, 1, 0x80}) {
    volatile unsigned char flag = byte;
    Set_SSE_Flag(&flag);
    Create_Math_Tables();
    ASSERT_NE(nullptr, Vector4_Math);
    EXPECT_EQ(byte ? typeid(V4_SSE) : typeid(V4), typeid(*Vector4_Math)) << int{byte};
    EXPECT_TRUE(Same({11, 22, 33, 44}, Vector4_Math->Add(Vector4{1, 2, 3, 4}, {10, 20, 30, 40})));
  }
}

TEST_F(CreateMathTablesTest, ARefusedAllocationLeavesOnlyThatTableNull) {
  heap.refused_request = 1;
  Create_Math_Tables();
  EXPECT_EQ(nullptr, Vector3_Math);
  EXPECT_NE(nullptr, Vector4_Math);

  heap.requests.clear();
  heap.refused_request = 2;
  volatile unsigned char flag = 1;
  Set_SSE_Flag(&flag);
  Create_Math_Tables();
  EXPECT_NE(nullptr, Vector3_Math);
  EXPECT_EQ(nullptr, Vector4_Math);
  EXPECT_EQ(sizeof(V4_SSE), heap.requests.at(1));
}

}  // namespace
