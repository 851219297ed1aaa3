// Vector math tables: results of both Vector4 forms and the Vector3 table, aliasing,
// the by-value shims, and the choice of table at start-up. Every slot is called the
// way the host calls it, by code compiled for the host's ABI.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "host/math_tables.h"
#include "math/vector_math.h"
#include "standin/command_caller.h"
#include "standin/fpu_control.h"
#include "standin/math_table_caller.h"
#include "tests/support/direct_host.h"

namespace {

using math::Vector3;
using math::Vector4;
using V3 = math::_Vector3MathFunctions;
using V4 = math::_Vector4MathFunctions;
using V4SSE = math::_Vector4MathFunctionsSSE;

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

void* const* Table_Entries(const void* object) {
  void* const* entries;
  std::memcpy(&entries, object, sizeof entries);
  return entries;
}

const V3 vector3_table{};
const V4 plain_table{};
const V4SSE sse_table{};

// The host thread the calls below run on.
standin::HostThread host_thread;

// Host code runs with the x87 precision control at 53 bits, test programs start at 64:
// every result below must hold with host threads in both.
template <typename Body>
void In_Both_Fpu_Modes(Body body) {
  for (std::uint16_t control : {standin::Extended_Fpu_Control, standin::Host_Fpu_Control}) {
    SCOPED_TRACE(::testing::Message() << "x87 control word 0x" << std::hex << control);
    host_thread.fpu = {control, standin::sse::Default};
    body();
  }
  host_thread = {};
}

// The stack balanced and the thread's floating-point state came back as the host set it.
::testing::AssertionResult Called_Cleanly(const standin::HostCodeRun& run) {
  if (run.stack_error == 0 && run.fpu_fault.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "stack error " << run.stack_error << "; floating-point state: " << run.fpu_fault;
}

// One slot called by host-compiled code. The stack must balance, and the table object
// must keep its dispatch pointer: a by-value slot that took `this` for the result's
// address would write over it.
template <typename V>
V Call(const void* table, unsigned slot, const V& a, const V& b = {}, const float& s = 0,
       V out = {}) {
  void* const* const dispatch = Table_Entries(table);
  EXPECT_TRUE(Called_Cleanly(standin::Call_Math_Slot(table, slot, a, b, s, out, host_thread)))
      << "slot " << slot;
  EXPECT_EQ(dispatch, Table_Entries(table)) << "slot " << slot << " wrote over its table";
  return out;
}

// Each operation as an out-parameter slot and as its by-value slot. The scalar forms
// take b.y, so that out = b aliases the scalar too (as in v = v / v.w).
struct Operation {
  const char* name;
  unsigned out_slot;
  unsigned by_value_slot;
};

template <typename V>
std::vector<Operation> Operations() {
  using namespace standin::math_slot;
  std::vector<Operation> operations = {{"Add", Add_Into, Add},
                                       {"Subtract", Subtract_Into, Subtract},
                                       {"Scale", Scale_Into, Scale},
                                       {"Multiply", Multiply_Into, Multiply},
                                       {"Divide by scalar", Divide_By_Into, Divide_By},
                                       {"Divide", Divide_Into, Divide}};
  if constexpr (std::is_same_v<V, Vector3>) {
    operations.push_back({"Cross_Product", Cross_Product_Into, Cross_Product});
    operations.push_back({"Normalize", Normalize_Into, Normalize});
  }
  return operations;
}

// Out form of `operation` with out given by reference, so it may be an input.
template <typename V>
void Out_Form(const void* table, const Operation& operation, const V& a, const V& b, V& out) {
  EXPECT_TRUE(Called_Cleanly(
      standin::Call_Math_Slot(table, operation.out_slot, a, b, b.y, out, host_thread)));
}

template <typename V>
V By_Value(const void* table, const Operation& operation, const V& a, const V& b) {
  return Call(table, operation.by_value_slot, a, b, b.y);
}

// For every pair of inputs the by-value form returns what the out form writes, and
// out may be the same object as a or b.
template <typename V>
void Expect_Forms_Agree(const void* table, const std::vector<V>& inputs) {
  for (const Operation& operation : Operations<V>()) {
    SCOPED_TRACE(operation.name);
    for (const V& a : inputs) {
      for (const V& b : inputs) {
        V out = {}, in_a = a, in_b = b;
        Out_Form(table, operation, a, b, out);
        Out_Form(table, operation, in_a, b, in_a);
        Out_Form(table, operation, a, in_b, in_b);
        EXPECT_TRUE(Same(out, By_Value(table, operation, a, b)));
        EXPECT_TRUE(Same(out, in_a));
        EXPECT_TRUE(Same(out, in_b));
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Vector4, both forms
// ---------------------------------------------------------------------------

class Vector4TableTest : public ::testing::TestWithParam<const V4*> {
 protected:
  const void* table() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(BothForms, Vector4TableTest, ::testing::Values(&plain_table, &sse_table),
                         [](const auto& info) { return info.index == 0 ? "Plain" : "SSE"; });

TEST_P(Vector4TableTest, ExactResults) {
  using namespace standin::math_slot;
  const Vector4 a = {1, 2, 3, 4}, b = {10, 20, 30, 40}, v = {2, 4, 6, 8};
  const float two = 2, zero = 0, minus_zero = -0.0f;
  In_Both_Fpu_Modes([&] {
    EXPECT_TRUE(Same({11, 22, 33, 44}, Call(table(), Add, a, b)));
    EXPECT_TRUE(Same({-9, -18, -27, -36}, Call(table(), Subtract, a, b)));
    EXPECT_TRUE(Same({1, 2, 3, 4}, Call(table(), Divide_By, v, {}, two)));
    EXPECT_TRUE(Same({4, 8, 12, 16}, Call(table(), Scale, v, {}, two)));
    EXPECT_TRUE(Same({10, 40, 90, 160}, Call(table(), Multiply, a, b)));
    EXPECT_TRUE(Same({10, 10, 10, 10}, Call(table(), Divide, b, a)));
    // Division by zero: infinities, and NaN for 0 / 0 or 0 x inf.
    EXPECT_TRUE(Same({inf, inf, inf, inf}, Call(table(), Divide_By, a, {}, zero)));
    EXPECT_TRUE(
        Same({nan, inf, inf, inf}, Call(table(), Divide_By, Vector4{0, 1, 1, 1}, {}, zero)));
    EXPECT_TRUE(Same({-inf, inf, -inf, -inf},
                     Call(table(), Divide_By, Vector4{1, -1, 2, 3}, {}, minus_zero)));
    EXPECT_TRUE(Same({inf, -inf, nan, 1},
                     Call(table(), Divide, Vector4{1, 1, 0, 2}, Vector4{0, -0.0f, 0, 2})));
  });
}

TEST_P(Vector4TableTest, FormsAgreeAndOutMayBeAnInput) {
  In_Both_Fpu_Modes([&] {
    Expect_Forms_Agree<Vector4>(table(), {{1, 2, 3, 4},
                                          {-7.5f, 0.1f, 1e20f, -3e-5f},
                                          {0, -0.0f, inf, -inf},
                                          {nan, 1e-42f, -2, 3e38f}});
  });
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
  for (const Operation& operation : Operations<Vector4>()) {
    Record record = {-1, {1, 2, 3, 4}, {}, {5, 4, 2, 8}, {}, {}, -4};
    Out_Form(table(), operation, record.a, record.b, record.out);
    EXPECT_TRUE(Same(By_Value(table(), operation, record.a, record.b), record.out));
    EXPECT_EQ(-4.0f, record.after_out) << operation.name;
  }
}

// The host keeps only 4-byte stack alignment: every slot, called by host code from a
// stack 0, 4, 8 or 12 bytes off a 16-byte boundary, gives the same result.
TEST_P(Vector4TableTest, EverySlotWorksOnAFourByteAlignedStack) {
  const Vector4 a = {1, 2, 3, 4}, b = {8, 4, 2, 0.5f};
  for (unsigned slot = 0; slot < 12; ++slot) {
    Vector4 expected = {};
    for (unsigned skew : {0u, 4u, 8u, 12u}) {
      Vector4 out = {};
      EXPECT_TRUE(Called_Cleanly(standin::Run_Host_Code(&Host_Call_Vector4_Slot, {skew}, table(),
                                                        slot, &a.x, &b.x, &b.y, &out.x)));
      if (skew == 0) expected = out;
      EXPECT_TRUE(Same(expected, out)) << "slot " << slot << ", " << skew << " bytes off";
    }
  }
}

// A by-value slot in the host's binary form, called by hand: `this` in ECX, the
// result's address first on the stack and back in EAX, and the callee removes it with
// the other arguments. Dot_Product returns its float on the x87 stack instead.
TEST(MathTableBinaryForm, ByValueSlotsTakeTheResultAddressFirstAndReturnIt) {
  const Vector4 a4 = {1, 2, 3, 4}, b4 = {4, 3, 2, 1};
  const Vector3 a3 = {1, 2, 3}, b3 = {4, 5, 6};
  const float s = 2;
  struct Case {
    const void* table;
    unsigned slot;
    const void* a;
    const void* b;
    std::int32_t popped;
  };
  const std::vector<Case> cases = {
      {&plain_table, 0, &a4, &b4, 12},       {&sse_table, 4, &a4, &s, 12},
      {&sse_table, 9, &a4, &b4, 12},         {&vector3_table, 12, &a3, &b3, 12},
      {&vector3_table, 14, &a3, nullptr, 8},
  };
  for (const Case& c : cases) {
    float result[4] = {-1, -1, -1, -1};
    const std::uint32_t words[] = {standin::Word(result), standin::Word(c.a), standin::Word(c.b)};
    const unsigned count = c.b == nullptr ? 2 : 3;
    const void* function = Table_Entries(c.table)[c.slot];
    const standin::HostCall call =
        count == 3 ? standin::Call_Host_Style(function, c.table, {words[0], words[1], words[2]})
                   : standin::Call_Host_Style(function, c.table, {words[0], words[1]});
    EXPECT_EQ(c.popped, call.popped) << "slot " << c.slot;
    EXPECT_EQ("", call.fpu_fault) << "slot " << c.slot;
    EXPECT_EQ(standin::Word(result), call.result) << "slot " << c.slot;
    EXPECT_NE(-1.0f, result[0]) << "slot " << c.slot;
  }
}

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

Vector3 Normalize(const Vector3& v) {
  return Call(&vector3_table, standin::math_slot::Normalize, v);
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Call(&vector3_table, standin::math_slot::Cross_Product, a, b);
}

float Dot(const Vector3& a, const Vector3& b) {
  return Call(&vector3_table, standin::math_slot::Dot_Product, a, b).x;
}

TEST(Vector3MathTest, Normalize) {
  In_Both_Fpu_Modes([] {
    for (const Vector3& zero :
         {Vector3{0, 0, 0}, Vector3{-0.0f, 0, 0}, Vector3{-0.0f, -0.0f, -0.0f}}) {
      EXPECT_TRUE(Same({0, 0, 0}, Normalize(zero)));
    }
    EXPECT_TRUE(Same({nan, nan, nan}, Normalize(Vector3{nan, 1, 2})));

    // The squared length would underflow or overflow as a float.
    const float largest = std::numeric_limits<float>::max();
    EXPECT_TRUE(Same({1, 0, 0}, Normalize(Vector3{1e-30f, 0, 0})));
    EXPECT_TRUE(Same({1, 0, 0}, Normalize(Vector3{1e30f, 0, 0})));
    EXPECT_TRUE(Same({0, -1, 0}, Normalize(Vector3{0, -1e-45f, 0})));
    const Vector3 diagonal = Normalize(Vector3{largest, largest, -largest});
    EXPECT_FLOAT_EQ(static_cast<float>(-1 / std::sqrt(3.0)), diagonal.z);
  });
}

TEST(Vector3MathTest, DotProduct) {
  const Vector3 a = {1, 2, 3}, b = {4, 5, 6};
  In_Both_Fpu_Modes([&] {
    Vector3 out = {};
    EXPECT_TRUE(Called_Cleanly(standin::Call_Math_Slot(
        &vector3_table, standin::math_slot::Dot_Product_Into, a, b, 0.0f, out, host_thread)));
    EXPECT_EQ(32.0f, out.x);
    EXPECT_EQ(32.0f, Dot(a, b));
    // 2^24 + 1 - 2^24: a float sum loses the 1.
    EXPECT_EQ(1.0f, Dot(Vector3{1, 1, 1}, Vector3{-16777216, 1, 16777216}));
  });
  // The result lands on an input, after all inputs are read.
  Vector3 in_a = a;
  vector3_table.Dot_Product(in_a, b, in_a.x);
  EXPECT_EQ(32.0f, in_a.x);
}

TEST(Vector3MathTest, CrossProductIsRightHanded) {
  const Vector3 x = {1, 0, 0}, y = {0, 1, 0}, z = {0, 0, 1};
  In_Both_Fpu_Modes([&] {
    EXPECT_TRUE(Same(z, Cross(x, y)));
    EXPECT_TRUE(Same(x, Cross(y, z)));
    EXPECT_TRUE(Same(y, Cross(z, x)));
    EXPECT_TRUE(Same({-3, 6, -3}, Cross(Vector3{1, 2, 3}, {4, 5, 6})));
    // (1 + 2^-12)^2 - 1 = 2^-11 + 2^-24: a float product would round the 2^-24 away.
    const float near_one = 1 + std::ldexp(1.0f, -12);
    EXPECT_TRUE(Same({std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24), 0, 0},
                     Cross(Vector3{0, near_one, 1}, {0, 1, near_one})));
  });
}

// A float reciprocal of 7 would make 21 / 7 come out as 3.00000024.
TEST(Vector3MathTest, ScalarDivideMultipliesByADoubleReciprocal) {
  using standin::math_slot::Divide_By;
  const float zero = 0, seven = 7;
  In_Both_Fpu_Modes([&] {
    EXPECT_TRUE(Same({inf, inf, inf}, Call(&vector3_table, Divide_By, Vector3{1, 2, 3}, {}, zero)));
    EXPECT_TRUE(Same({nan, inf, inf}, Call(&vector3_table, Divide_By, Vector3{0, 1, 1}, {}, zero)));
    EXPECT_TRUE(Same({3, 6, 7}, Call(&vector3_table, Divide_By, Vector3{21, 42, 49}, {}, seven)));
    EXPECT_TRUE(
        Same({3, 6, 7, 1}, Call(&plain_table, Divide_By, Vector4{21, 42, 49, 7}, {}, seven)));
  });
}

TEST(Vector3MathTest, FormsAgreeAndOutMayBeAnInput) {
  In_Both_Fpu_Modes([] {
    Expect_Forms_Agree<Vector3>(&vector3_table, {{1, 2, 3},
                                                 {-7.5f, 0.1f, 1e20f},
                                                 {0, -0.0f, inf},
                                                 {nan, 1e-42f, -2},
                                                 {3e38f, -3e38f, 1e-38f}});
  });
}

// ---------------------------------------------------------------------------
// Creation at start-up, in the stand-in's heap, with the SSE flag played by the test
// ---------------------------------------------------------------------------

class CreateMathTablesTest : public ::testing::Test {
 protected:
  // The blocks the host handed out, in order.
  std::vector<void*> Blocks() const {
    std::vector<void*> blocks;
    for (const standin::HeapEvent& event : host_.Heap().Log()) {
      if (event.kind == standin::HeapEvent::Allocate) {
        blocks.push_back(reinterpret_cast<void*>(event.block));
      }
    }
    return blocks;
  }

  direct_host::BoundHost host_;
};

TEST_F(CreateMathTablesTest, TheHostFlagByteChoosesTheVector4Form) {
  Create_Math_Tables();  // a build without the flag
  EXPECT_EQ((std::vector<std::uint32_t>{sizeof(V3), sizeof(V4)}), host_.Requested_Sizes());
  EXPECT_EQ((std::vector<void*>{Vector3_Math, Vector4_Math}), Blocks());
  ASSERT_NE(nullptr, Vector4_Math);
  EXPECT_EQ(typeid(V4), typeid(*Vector4_Math));

  for (unsigned char byte : {0, 1, 0x80}) {
    volatile unsigned char flag = byte;
    host_.Bind_SSE_Flag(&flag);
    Create_Math_Tables();
    ASSERT_NE(nullptr, Vector4_Math);
    EXPECT_EQ(byte ? typeid(V4SSE) : typeid(V4), typeid(*Vector4_Math)) << int{byte};
    EXPECT_TRUE(Same({11, 22, 33, 44}, Call(Vector4_Math, standin::math_slot::Add,
                                            Vector4{1, 2, 3, 4}, {10, 20, 30, 40})));
  }
}

TEST_F(CreateMathTablesTest, ARefusedAllocationLeavesOnlyThatTableNull) {
  host_.Heap().Fail_Allocation(1);
  Create_Math_Tables();
  EXPECT_EQ(nullptr, Vector3_Math);
  EXPECT_NE(nullptr, Vector4_Math);

  host_.Renew_Heap();
  host_.Heap().Fail_Allocation(2);
  volatile unsigned char flag = 1;
  host_.Bind_SSE_Flag(&flag);
  Create_Math_Tables();
  EXPECT_NE(nullptr, Vector3_Math);
  EXPECT_EQ(nullptr, Vector4_Math);
  EXPECT_EQ((std::vector<std::uint32_t>{sizeof(V3), sizeof(V4SSE)}), host_.Requested_Sizes());
}

}  // namespace
