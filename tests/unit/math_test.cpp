// Vector math tables: results of both Vector4 forms and the Vector3 table, aliasing,
// the by-value shims, and the choice of table at start-up. Every slot is called the
// way the host calls it, by code compiled for the host's ABI, from every
// floating-point state a host thread may be in, and must give the caller that state
// back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "host/math_tables.h"
#include "math/vector_math.h"
#include "math/x87_return.h"
#include "standin/loader/math_table_caller.h"
#include "standin/platform/command_caller.h"
#include "standin/platform/fpu_control.h"
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

// ---------------------------------------------------------------------------
// The floating-point state of the calling thread
// ---------------------------------------------------------------------------

namespace x87 = standin::x87;
namespace sse = standin::sse;

// The state the slots are called in while a test body runs in one of them. Only the
// slot call itself runs in it: the test's own arithmetic stays in the program's state.
const standin::NamedFpuState* calling_state = &standin::Host_Thread_States[0];
standin::FpuState test_state = standin::Current_Fpu_State();

// A thread at 64 bits, rounding to nearest, every exception masked, has the plain
// slots compute in its own state, as at 53 bits: a sum or a root may round apart from
// the host state's (both are double precision or wider).
bool Plain_Slots_Compute_At_64_Bits(std::uint16_t control) {
  return (control & (x87::Exceptions | x87::Precision_Field | x87::Rounding_Field)) ==
         (x87::Exceptions | x87::Precision_Field);
}

// Where the caller unmasked an x87 trap, a plain slot gives the status flags back
// exactly. In a masked state they may keep what the work raised, as any arithmetic
// leaves them.
bool Unmasks_An_X87_Trap(std::uint16_t control) {
  return (control & x87::Exceptions) != x87::Exceptions;
}

// Likewise the packed slots in any MXCSR but the default (whatever its flags).
bool Packed_Slots_Change_Mxcsr(std::uint32_t mxcsr) {
  return (mxcsr & ~sse::Flags) != sse::Default;
}

// What a slot must give back: both control words as they were, every flag that was
// set still set, no flag set under a trap the caller unmasked. The unit a table does
// not compute with is left exactly alone (the plain tables never touch MXCSR, the
// packed one never the x87 unit), and the one it computes with exactly as well where
// the slot gives it back exactly: any MXCSR but the default, an x87 trap unmasked.
void Expect_State_Given_Back(const standin::FpuAfterCall& after, bool packed) {
  const standin::FpuState state = calling_state->state;
  const std::uint16_t preset_x87 = standin::Preset_X87_Flags(state);
  const std::uint32_t preset_sse = standin::Preset_Sse_Flags(state);
  const std::uint16_t x87_flags = after.x87_status & x87::Exceptions;
  const std::uint32_t sse_flags = after.mxcsr & sse::Flags;
  const std::uint32_t sse_masks = (state.mxcsr & sse::Masks) >> 7;
  EXPECT_EQ(state.x87_control, after.x87_control) << "x87 control word";
  EXPECT_EQ(state.mxcsr & ~sse::Flags, after.mxcsr & ~sse::Flags) << "MXCSR";
  EXPECT_EQ(preset_x87, x87_flags & preset_x87) << "x87 flags set before the call";
  EXPECT_EQ(preset_sse, sse_flags & preset_sse) << "MXCSR flags set before the call";
  EXPECT_EQ(0, x87_flags & ~state.x87_control) << "x87 flag pending under an unmasked trap";
  EXPECT_EQ(0, after.x87_status & x87::Error_Summary) << "x87 exception pending";
  EXPECT_EQ(0u, sse_flags & ~sse_masks) << "MXCSR flag under an unmasked trap";
  if (packed || Unmasks_An_X87_Trap(state.x87_control)) {
    EXPECT_EQ(preset_x87, x87_flags) << "x87 status flags";
  }
  if (!packed || Packed_Slots_Change_Mxcsr(state.mxcsr)) {
    EXPECT_EQ(state.mxcsr | preset_sse, after.mxcsr) << "MXCSR";
  }
}

template <typename V>
bool Is_Packed(const void* table) {
  if constexpr (std::is_same_v<V, Vector4>) {
    return typeid(*static_cast<const V4*>(table)) == typeid(V4SSE);
  } else {
    return false;
  }
}

// `call`, one call of a slot by host code on a host thread in the calling state; the
// state is checked as the slot left it (the stand-in puts the program's own back).
template <typename V, typename Call>
std::int32_t In_Calling_State(const void* table, Call call) {
  const standin::HostThread thread{standin::Host_Stack_Skew, calling_state->state};
  const standin::HostCodeRun run = call(thread);
  EXPECT_EQ(run.fpu_fault, "");
  Expect_State_Given_Back(run.fpu_after, Is_Packed<V>(table));
  return run.stack_error;
}

bool Unmasks_A_Trap(const standin::FpuState& state) {
  return (state.x87_control & x87::Exceptions) != x87::Exceptions ||
         (state.mxcsr & sse::Masks) != sse::Masks;
}

// A trap would end the test program. The body runs in a child process first, and
// here only if it ran to its end there.
template <typename Body>
bool Survives_Traps(Body& body) {
  const ::testing::TestResult& result =
      *::testing::UnitTest::GetInstance()->current_test_info()->result();
  const int failures = result.total_part_count();
  EXPECT_EXIT(
      {
        body();
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "")
      << "a slot trapped";
  return result.total_part_count() == failures;
}

// Runs `body` with the slots called in every state a host thread may call them in
// (standin::Host_Thread_States): every result below must hold in each, and each call
// must give its state back.
template <typename Body>
void In_Every_Host_Thread_State(Body body, bool with_extended = true) {
  test_state = standin::Current_Fpu_State();
  for (const standin::NamedFpuState& named : standin::Host_Thread_States) {
    if (!with_extended && Plain_Slots_Compute_At_64_Bits(named.state.x87_control)) continue;
    SCOPED_TRACE(::testing::Message()
                 << "host thread state " << named.name << " (" << named.meaning << ")");
    calling_state = &named;
    if (!Unmasks_A_Trap(named.state) || Survives_Traps(body)) body();
  }
  calling_state = &standin::Host_Thread_States[0];
}

// One slot called by host-compiled code. The stack must balance, and the table object
// must keep its dispatch pointer: a by-value slot that took `this` for the result's
// address would write over it.
template <typename V>
V Call(const void* table, unsigned slot, const V& a, const V& b = {}, const float& s = 0,
       V out = {}) {
  SCOPED_TRACE(::testing::Message() << "slot " << slot);
  void* const* const dispatch = Table_Entries(table);
  EXPECT_EQ(0, In_Calling_State<V>(table,
                                   [&](const standin::HostThread& thread) {
                                     return standin::Call_Math_Slot(table, slot, a, b, s, out,
                                                                    thread);
                                   }))
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
  SCOPED_TRACE(::testing::Message() << "slot " << operation.out_slot);
  EXPECT_EQ(0, In_Calling_State<V>(table, [&](const standin::HostThread& thread) {
              return standin::Call_Math_Slot(table, operation.out_slot, a, b, b.y, out, thread);
            }));
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
  In_Every_Host_Thread_State([&] {
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
  In_Every_Host_Thread_State([&] {
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
  In_Every_Host_Thread_State([&] {
    for (unsigned slot = 0; slot < 12; ++slot) {
      Vector4 expected = {};
      for (unsigned skew : {0u, 4u, 8u, 12u}) {
        SCOPED_TRACE(::testing::Message() << "slot " << slot << ", " << skew << " bytes off");
        Vector4 out = {};
        EXPECT_EQ(0, In_Calling_State<Vector4>(table(), [&](const standin::HostThread& thread) {
                    return standin::Run_Host_Code(&Host_Call_Vector4_Slot, {skew, thread.fpu},
                                                  table(), slot, &a.x, &b.x, &b.y, &out.x);
                  }));
        if (skew == 0) expected = out;
        EXPECT_TRUE(Same(expected, out));
      }
    }
  });
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

// A thread that turned on denormals-are-zero and has raised no flag yet, as at its
// start: its MXCSR differs from the default in that bit alone. The packed slots must
// still see it, or they read denormal inputs as zero. (The host thread states above
// all carry flags, which take the slow path whatever the compare looks at.)
TEST(Vector4SSETest, DenormalsAreZeroOnAThreadWithNoFlagsYet) {
  constexpr float tiny = 1e-40f;  // a denormal
  const Vector4 a = {tiny, tiny, -tiny, 1}, b = {tiny, 0, tiny, 1};
  const Vector4 expected = {2 * tiny, tiny, 0, 2};
  Vector4 out = {};
  const std::uint32_t daz = standin::sse::Default | standin::sse::Denormals_Are_Zero;
  const std::uint32_t own = standin::Mxcsr();
  standin::Set_Mxcsr(daz);
  sse_table.Add(a, b, out);
  const std::uint32_t left = standin::Mxcsr();
  standin::Set_Mxcsr(own);
  EXPECT_EQ(daz, left);
  EXPECT_TRUE(Same(expected, out));
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
  In_Every_Host_Thread_State([] {
    // A zero vector gives +0s even where the result held something before: a result
    // left as it was would hand the caller its old values as a direction.
    const Vector3 before = {7, -7, 7};
    for (const Vector3& zero :
         {Vector3{0, 0, 0}, Vector3{-0.0f, 0, 0}, Vector3{-0.0f, -0.0f, -0.0f}}) {
      EXPECT_TRUE(Same({0, 0, 0}, Call(&vector3_table, standin::math_slot::Normalize_Into, zero, {},
                                       0, before)));
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
  In_Every_Host_Thread_State([&] {
    EXPECT_EQ(32.0f, Call(&vector3_table, standin::math_slot::Dot_Product_Into, a, b).x);
    EXPECT_EQ(32.0f, Dot(a, b));
    // 2^24 + 1 - 2^24: a float sum loses the 1.
    EXPECT_EQ(1.0f, Dot(Vector3{1, 1, 1}, Vector3{-16777216, 1, 16777216}));
    // 1 + 1e-8 - 1: so does a sum at 24-bit precision, as Direct3D leaves a thread.
    const Vector3 small_term = {-1, 1e-8f, 1};
    EXPECT_EQ(1e-8f, Dot(Vector3{1, 1, 1}, small_term));
    EXPECT_EQ(1e-8f,
              Call(&vector3_table, standin::math_slot::Dot_Product_Into, {1, 1, 1}, small_term).x);
  });
  // The result lands on an input, after all inputs are read.
  Vector3 in_a = a;
  vector3_table.Dot_Product(in_a, b, in_a.x);
  EXPECT_EQ(32.0f, in_a.x);
}

TEST(Vector3MathTest, CrossProductIsRightHanded) {
  const Vector3 x = {1, 0, 0}, y = {0, 1, 0}, z = {0, 0, 1};
  In_Every_Host_Thread_State([&] {
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
  In_Every_Host_Thread_State([&] {
    EXPECT_TRUE(Same({inf, inf, inf}, Call(&vector3_table, Divide_By, Vector3{1, 2, 3}, {}, zero)));
    EXPECT_TRUE(Same({nan, inf, inf}, Call(&vector3_table, Divide_By, Vector3{0, 1, 1}, {}, zero)));
    EXPECT_TRUE(Same({3, 6, 7}, Call(&vector3_table, Divide_By, Vector3{21, 42, 49}, {}, seven)));
    EXPECT_TRUE(
        Same({3, 6, 7, 1}, Call(&plain_table, Divide_By, Vector4{21, 42, 49, 7}, {}, seven)));
  });
}

TEST(Vector3MathTest, FormsAgreeAndOutMayBeAnInput) {
  In_Every_Host_Thread_State([] {
    Expect_Forms_Agree<Vector3>(&vector3_table, {{1, 2, 3},
                                                 {-7.5f, 0.1f, 1e20f},
                                                 {0, -0.0f, inf},
                                                 {nan, 1e-42f, -2},
                                                 {3e38f, -3e38f, 1e-38f}});
  });
}

// ---------------------------------------------------------------------------
// Whatever the floating-point state of the calling thread
// ---------------------------------------------------------------------------

constexpr float largest = std::numeric_limits<float>::max();
constexpr float smallest_normal = std::numeric_limits<float>::min();
constexpr float smallest_denormal = std::numeric_limits<float>::denorm_min();

// Ordinary and inexact values, denormal inputs, products and quotients that are
// denormal or overflow, signed zeros, infinities, NaN.
std::vector<Vector4> Spread() {
  const float largest_denormal = std::nextafter(smallest_normal, 0.0f);
  return {{1, 2, 3, 4},
          {0.1f, 1.0f / 3, 7, -1e-3f},
          {1e-40f, -1e-42f, smallest_denormal, largest_denormal},
          {1e-20f, -1e-25f, smallest_normal, 3e-39f},
          {1e20f, -3e38f, largest, 0.5f},
          {0, -0.0f, inf, -inf},
          {nan, -1.5f, 5, 1e-30f}};
}

std::vector<Vector3> Spread_Of_Vector3s() {
  std::vector<Vector3> vectors;
  for (const Vector4& v : Spread()) {
    vectors.push_back({v.x, v.y, v.z});
    vectors.push_back({v.w, v.x, v.y});
  }
  return vectors;
}

template <typename V>
struct Result {
  std::string what;
  V value;
};

// Every out-parameter slot of `table` for every pair of inputs.
template <typename V>
std::vector<Result<V>> All_Results(const void* table, const std::vector<V>& inputs) {
  std::vector<Result<V>> results;
  auto what = [](const char* operation, std::size_t i, std::size_t j) {
    return ::testing::PrintToString(operation) + " of inputs " + std::to_string(i) + " and " +
           std::to_string(j);
  };
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    for (std::size_t j = 0; j < inputs.size(); ++j) {
      for (const Operation& operation : Operations<V>()) {
        V out = {};
        Out_Form(table, operation, inputs[i], inputs[j], out);
        results.push_back({what(operation.name, i, j), out});
      }
      if constexpr (std::is_same_v<V, Vector3>) {
        results.push_back(
            {what("Dot_Product", i, j),
             Call(table, standin::math_slot::Dot_Product_Into, inputs[i], inputs[j])});
      }
    }
  }
  return results;
}

// The host's own state is the reference: in every other state each result must have
// the same bits, NaNs included.
template <typename V>
void Expect_The_Host_States_Results(const void* table, const std::vector<V>& inputs) {
  const std::vector<Result<V>> host = All_Results(table, inputs);
  In_Every_Host_Thread_State(
      [&] {
        const std::vector<Result<V>> results = All_Results(table, inputs);
        ASSERT_EQ(host.size(), results.size());
        int differing = 0;
        for (std::size_t i = 0; i < host.size(); ++i) {
          if (std::memcmp(&host[i].value, &results[i].value, sizeof(V)) == 0) continue;
          if (++differing <= 4) {
            ADD_FAILURE() << host[i].what << ": the host's state gives "
                          << ::testing::PrintToString(host[i].value) << ", this one "
                          << ::testing::PrintToString(results[i].value);
          }
        }
        EXPECT_EQ(0, differing) << "results that differ from the host state's";
      },
      false);  // 64-bit precision computes directly, and may round a sum or a root apart
}

TEST(HostThreadStateTest, ResultsAreTheHostStatesBitForBit) {
  Expect_The_Host_States_Results<Vector4>(&plain_table, Spread());
  Expect_The_Host_States_Results<Vector4>(&sse_table, Spread());
  Expect_The_Host_States_Results<Vector3>(&vector3_table, Spread_Of_Vector3s());
}

// Flush-to-zero and denormals-are-zero would make these sums and differences 0.
TEST(HostThreadStateTest, DenormalSumsAreExact) {
  using namespace standin::math_slot;
  const Vector4 a = {1e-40f, -3e-39f, smallest_denormal, 5e-39f};
  const Vector4 b = {2e-40f, 1e-39f, smallest_denormal, 6e-39f};
  // Multiples of the smallest denormal: the test's own sums are exact.
  const Vector4 sum = {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
  const Vector4 difference = {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
  ASSERT_EQ(FP_SUBNORMAL, std::fpclassify(sum.x));
  ASSERT_EQ(FP_SUBNORMAL, std::fpclassify(difference.x));
  In_Every_Host_Thread_State([&] {
    for (const V4* table : {&plain_table, static_cast<const V4*>(&sse_table)}) {
      EXPECT_TRUE(Same(sum, Call(table, Add_Into, a, b)));
      EXPECT_TRUE(Same(sum, Call(table, Add, a, b)));
      EXPECT_TRUE(Same(difference, Call(table, Subtract_Into, a, b)));
    }
  });
}

// Inputs that raise every exception in some slot: 0 / 0, inf - inf and 0 x inf
// (invalid), 1 / 0 (zero divide), 3e38 x 3e38 (overflow), 1e-30 x 1e-30 (underflow),
// 1 / 3 (precision), and denormal operands. Every slot of the three tables is called
// with each pair, the scalars among them, and each call must give its state back
// (In_Calling_State); where a trap is unmasked, none may fire.
TEST(HostThreadStateTest, EverySlotGivesTheCallerItsStateBack) {
  const std::vector<Vector4> inputs = {
      {0, 1, 3e38f, 1e-30f}, {0, 0, 3e38f, 1e-30f}, {inf, 1e-40f, 3, -inf}, {1, 3, 0, 1e-40f}};
  In_Every_Host_Thread_State([&] {
    for (const Vector4& a : inputs) {
      for (const Vector4& b : inputs) {
        const Vector3 a3 = {a.x, a.y, a.z}, b3 = {b.x, b.y, b.z};
        for (unsigned slot = 0; slot < 12; ++slot) {
          Call(&plain_table, slot, a, b, b.y);
          Call(&sse_table, slot, a, b, b.y);
        }
        for (unsigned slot = 0; slot < 18; ++slot) Call(&vector3_table, slot, a3, b3, b.y);
      }
    }
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

// A float slot's result loads at 80 bits where the plain load would raise an
// exception: the widened value must be the one the FPU's own widening gives.
TEST(FloatResultInSt0, WidenedBitByBitAsTheFpuWidensIt) {
  namespace r = math::x87;
  for (std::uint32_t bits : {0x00000000u, 0x80000000u, 0x00000001u, 0x80000001u, 0x00400000u,
                             0x007FFFFFu, 0x00000300u, 0x00800000u, 0x3F800000u, 0xC2F6E979u,
                             0x7F7FFFFFu, 0x7F800000u, 0xFF800000u, 0x7FC00001u, 0xFFC12345u}) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    r::Extended by_fpu = {};
    __asm__ __volatile__("flds %1\n\tfstpt %0\n\tfnclex" : "=m"(by_fpu) : "m"(value));
    const r::Extended widened = r::Widened(bits);
    EXPECT_EQ(widened.significand, by_fpu.significand) << std::hex << bits;
    EXPECT_EQ(widened.sign_exponent, by_fpu.sign_exponent) << std::hex << bits;
  }
  // A signalling NaN stays signalling: only an arithmetic load would quiet it.
  EXPECT_TRUE(r::Raises_On_Load(0x7F800001u));
  EXPECT_EQ(r::Widened(0x7F800001u).significand,
            (std::uint64_t{1} << 63) | (std::uint64_t{1} << 40));
  EXPECT_FALSE(r::Raises_On_Load(0x7FC00000u));
  EXPECT_FALSE(r::Raises_On_Load(0x00800000u));
  EXPECT_TRUE(r::Raises_On_Load(0x807FFFFFu));
}
