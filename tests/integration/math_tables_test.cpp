// The vector math tables the plug-in makes at start-up, seen from the host: two
// one-pointer blocks of the host heap, each holding its table's dispatch pointer. The
// Vector4 table is the packed SSE one exactly when the build has an SSE flag byte and
// it is set. Each boot loads a fresh copy of the module at its own address, so the
// dispatch pointers are compared by their distance from an export of the same copy.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "standin/loader/math_table_caller.h"
#include "standin/platform/command_caller.h"
#include "test_support.h"

namespace quillon_test {

using math::Vector3;
using math::Vector4;
namespace {

struct Tables {
  std::vector<std::intptr_t> dispatch;  // per one-pointer block of start-up, from the anchor
  std::vector<const void*> objects;     // the blocks themselves: the Vector3 table first
};

class MathTables : public PluginTest {
 protected:
  Tables Start(standin::HostBuild build, bool sse, const std::string& fpu = "host") {
    standin::ServerOptions options;
    options.build = build;
    options.sse = sse;
    options.fpu = fpu;
    standin::Server& server = Load_Only(options);
    Tables tables;
    const auto anchor = reinterpret_cast<std::intptr_t>(server.Exports().Create_Script_Entry());
    for (const standin::HeapEvent& event : server.Heap().Log()) {
      if (event.kind != standin::HeapEvent::Allocate || event.bytes != sizeof(void*)) continue;
      std::uint32_t dispatch = 0;
      std::memcpy(&dispatch, reinterpret_cast<const void*>(event.block), sizeof dispatch);
      tables.dispatch.push_back(static_cast<std::intptr_t>(dispatch) - anchor);
      tables.objects.push_back(reinterpret_cast<const void*>(event.block));
    }
    return tables;
  }
};

TEST_F(MathTables, TheSSEFlagOfTheBuildPicksThePackedVector4Table) {
  const Tables sse_0 = Start(standin::HostBuild::Build_0, true);
  const Tables plain_0 = Start(standin::HostBuild::Build_0, false);
  const Tables sse_1 = Start(standin::HostBuild::Build_1, true);
  const Tables plain_1 = Start(standin::HostBuild::Build_1, false);
  const Tables build_4 = Start(standin::HostBuild::Build_4, true);  // no flag byte at all
  for (const Tables* tables : {&sse_0, &plain_0, &sse_1, &plain_1, &build_4}) {
    ASSERT_EQ(tables->dispatch.size(), 2u) << "a Vector3 and a Vector4 table, nothing else";
    EXPECT_EQ(tables->dispatch[0], sse_0.dispatch[0]) << "the Vector3 table never changes";
  }
  EXPECT_NE(sse_0.dispatch[1], plain_0.dispatch[1]);
  EXPECT_EQ(sse_1.dispatch[1], sse_0.dispatch[1]);
  EXPECT_EQ(plain_1.dispatch[1], plain_0.dispatch[1]);
  EXPECT_EQ(build_4.dispatch[1], plain_0.dispatch[1]);
}

TEST_F(MathTables, AnUnknownBuildMakesNone) {
  EXPECT_TRUE(Start(standin::HostBuild::None, true).dispatch.empty());
}

// What every slot gives for a = (1, 2, 3[, 4]), b = (4, 8, 2[, 16]) and s = 2: exact in
// float, so the plain and the packed table must agree to the bit.
struct ExpectedSlot {
  unsigned slot;
  float v3[3];
  float v4[4];
};

constexpr ExpectedSlot Expected_Slots[] = {
    {0, {5, 10, 5}, {5, 10, 5, 20}},
    {1, {5, 10, 5}, {5, 10, 5, 20}},
    {2, {-3, -6, 1}, {-3, -6, 1, -12}},
    {3, {-3, -6, 1}, {-3, -6, 1, -12}},
    {4, {2, 4, 6}, {2, 4, 6, 8}},
    {5, {4, 16, 6}, {4, 16, 6, 64}},
    {6, {2, 4, 6}, {2, 4, 6, 8}},
    {7, {4, 16, 6}, {4, 16, 6, 64}},
    {8, {0.5f, 1, 1.5f}, {0.5f, 1, 1.5f, 2}},
    {9, {0.25f, 0.25f, 1.5f}, {0.25f, 0.25f, 1.5f, 0.25f}},
    {10, {0.5f, 1, 1.5f}, {0.5f, 1, 1.5f, 2}},
    {11, {0.25f, 0.25f, 1.5f}, {0.25f, 0.25f, 1.5f, 0.25f}},
    {12, {-20, 10, 0}, {}},
    {13, {-20, 10, 0}, {}},
    {14, {0.0f, 0.6f, 0.8f}, {}},
    {15, {0.0f, 0.6f, 0.8f}, {}},
    {16, {26, 0, 0}, {}},
    {17, {26, 0, 0}, {}},
};

std::uint32_t Dispatch_Of(const void* table) {
  std::uint32_t dispatch;
  std::memcpy(&dispatch, table, sizeof dispatch);
  return dispatch;
}

// Calls `slot` the way compiled host code does, from a stack as misaligned as the host
// leaves it, and checks what a host relies on: the stack balances and the table still
// dispatches. Normalize takes (0, 3, 4), whose unit vector rounds the same in float
// from double and from extended precision.
template <typename Vector>
Vector Make(float x, float y, float z, float w) {
  if constexpr (sizeof(Vector) == sizeof(Vector4)) {
    return {x, y, z, w};
  } else {
    return {x, y, z};
  }
}

template <typename Vector>
Vector Host_Calls_Slot(const void* table, unsigned slot, unsigned skew) {
  const Vector a = Make<Vector>(1, 2, 3, 4);
  const Vector b = Make<Vector>(4, 8, 2, 16);
  const Vector unit_input = Make<Vector>(0, 3, 4, 0);
  const bool normalize =
      slot == standin::math_slot::Normalize || slot == standin::math_slot::Normalize_Into;
  const float s = 2;
  Vector out = {};
  const std::uint32_t dispatch = Dispatch_Of(table);
  auto* call =
      sizeof(Vector) == sizeof(Vector4) ? &Host_Call_Vector4_Slot : &Host_Call_Vector3_Slot;
  const standin::HostCodeRun run = standin::Run_Host_Code(
      call, {skew}, table, slot, normalize ? &unit_input.x : &a.x, &b.x, &s, &out.x);
  EXPECT_EQ(0, run.stack_error) << "slot " << slot << " left the host's stack unbalanced";
  EXPECT_EQ("", run.fpu_fault) << "slot " << slot;
  EXPECT_EQ(dispatch, Dispatch_Of(table)) << "slot " << slot << " wrote over its table object";
  return out;
}

template <typename Vector>
::testing::AssertionResult Bits_Equal(const float* expected, const Vector& actual) {
  if (std::memcmp(expected, &actual, sizeof actual) == 0) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure() << "got";
  for (const float* c = &actual.x; c != &actual.x + sizeof actual / sizeof(float); ++c) {
    failure << ' ' << *c;
  }
  return failure;
}

// Host code calls every slot of both tables of the loaded module, twice in a row and
// from every stack alignment: a by-value slot that took the result's address for
// `this` would write the result over the table and the second call would jump into
// it. Builds 0 and 1 with and without the SSE flag, and build 4.
TEST_F(MathTables, HostCodeCallsEverySlotOfBothTables) {
  const struct {
    standin::HostBuild build;
    bool sse;
  } hosts[] = {{standin::HostBuild::Build_0, true},
               {standin::HostBuild::Build_0, false},
               {standin::HostBuild::Build_1, true},
               {standin::HostBuild::Build_4, true}};
  for (const auto& host : hosts) {
    const Tables tables = Start(host.build, host.sse);
    ASSERT_EQ(tables.objects.size(), 2u);
    for (const ExpectedSlot& expected : Expected_Slots) {
      for (unsigned skew : {0u, 4u, 8u, 12u, 4u}) {
        SCOPED_TRACE(::testing::Message()
                     << "build " << static_cast<int>(host.build) << ", SSE " << host.sse
                     << ", slot " << expected.slot << ", skew " << skew);
        EXPECT_TRUE(Bits_Equal(expected.v3,
                               Host_Calls_Slot<Vector3>(tables.objects[0], expected.slot, skew)));
        if (expected.slot < 12) {
          EXPECT_TRUE(Bits_Equal(expected.v4,
                                 Host_Calls_Slot<Vector4>(tables.objects[1], expected.slot, skew)));
        }
      }
    }
  }
}

// The binary form of a by-value slot, checked by hand against the module: `this` in
// ECX, the result's address as the first stack argument, removed by the callee with
// the others and handed back in EAX. The result may be one of the inputs.
TEST_F(MathTables, AByValueSlotReturnsTheResultAddressInEax) {
  const Tables tables = Start(standin::HostBuild::Build_0, true);
  ASSERT_EQ(tables.objects.size(), 2u);
  const Vector4 a = {1, 2, 3, 4}, b = {4, 8, 2, 16};
  for (const void* table : tables.objects) {
    const std::size_t bytes = table == tables.objects[0] ? sizeof(Vector3) : sizeof(Vector4);
    for (unsigned slot : {standin::math_slot::Add, standin::math_slot::Divide}) {
      Vector4 result = {};
      const void* function = reinterpret_cast<const void* const*>(Dispatch_Of(table))[slot];
      const standin::HostCall call = standin::Call_Host_Style(
          function, table, {standin::Word(&result), standin::Word(&a), standin::Word(&b)});
      EXPECT_EQ(call.popped, 12) << "slot " << slot;
      EXPECT_EQ(call.fpu_fault, "") << "slot " << slot;
      EXPECT_EQ(call.result, standin::Word(&result)) << "slot " << slot;
      EXPECT_EQ(result.x, slot == standin::math_slot::Add ? 5.0f : 0.25f) << "slot " << slot;
      // A host may hand over an input as the result's storage (a = t->Add(a, b)).
      Vector4 in_place = a;
      standin::Call_Host_Style(
          function, table, {standin::Word(&in_place), standin::Word(&in_place), standin::Word(&b)});
      EXPECT_EQ(std::memcmp(&in_place, &result, bytes), 0) << "slot " << slot;
    }
  }
}

// --- in every floating-point state of the host's threads ---------------------------

constexpr float Infinity = std::numeric_limits<float>::infinity();
constexpr float Quiet_Nan = std::numeric_limits<float>::quiet_NaN();

// Inputs that reach the corners of float arithmetic: rounding, denormals, huge values,
// signed zeros, infinities and NaN; the scalars of the scaling slots likewise.
const Vector4 Spread[] = {
    {1, 2, 3, 4},
    {-7.5f, 0.1f, 1e20f, -3e-5f},
    {0, -0.0f, Infinity, -Infinity},
    {Quiet_Nan, 1e-42f, -2, 3e38f},
    {1e-40f, -2.5e-39f, 1.4e-45f, 1.1754942e-38f},
    {3e38f, -3e38f, 1e30f, 1e-30f},
    {-1, 1e-8f, 1, 0.5f},
    {1, 1, 1, 3},
};
const float Scalars[] = {2, 0, -0.0f, 1e-40f, Infinity, Quiet_Nan, 3e38f, 0.1f};

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Every slot's results for every input, by their bits, and what any call did wrong.
struct SlotResults {
  std::vector<std::uint32_t> bits;
  std::vector<std::string> calls;  // the call behind each entry of `bits`
  std::vector<std::string> faults;
};

template <typename Vector>
Vector Shrink(const Vector4& v) {
  return Make<Vector>(v.x, v.y, v.z, v.w);
}

template <typename Vector>
void Call_Every_Slot(const void* table, unsigned slots, const standin::HostThread& thread,
                     SlotResults* results) {
  for (unsigned slot = 0; slot < slots; ++slot) {
    const bool scalar = standin::math_slot::Takes_Scalar(slot);
    for (std::size_t i = 0; i < std::size(Spread); ++i) {
      const std::size_t others = scalar ? std::size(Scalars) : std::size(Spread);
      for (std::size_t j = 0; j < others; ++j) {
        const Vector a = Shrink<Vector>(Spread[i]);
        const Vector b = scalar ? Vector{} : Shrink<Vector>(Spread[j]);
        const float s = scalar ? Scalars[j] : 0.0f;
        Vector out = {};
        const standin::HostCodeRun run = standin::Call_Math_Slot(table, slot, a, b, s, out, thread);
        const std::string call = "slot " + std::to_string(slot) + " of the " +
                                 std::to_string(sizeof(Vector) / sizeof(float)) +
                                 "-float table, inputs " + std::to_string(i) + " and " +
                                 std::to_string(j);
        if (run.stack_error != 0 || !run.fpu_fault.empty()) {
          results->faults.push_back(call + ": stack " + std::to_string(run.stack_error) + ", " +
                                    run.fpu_fault);
        }
        for (const float* c = &out.x; c != &out.x + sizeof out / sizeof(float); ++c) {
          results->bits.push_back(Bits(*c));
          results->calls.push_back(call);
        }
      }
    }
  }
}

class MathTablesInState : public MathTables, public ::testing::WithParamInterface<std::string> {
 protected:
  // Both tables of build 0, with the packed Vector4 table or the plain one.
  SlotResults Results_In(const std::string& fpu, bool sse) {
    const Tables tables = Start(standin::HostBuild::Build_0, sse, fpu);
    SlotResults results;
    if (tables.objects.size() != 2) {
      ADD_FAILURE() << "no math tables";
      return results;
    }
    const standin::HostThread& thread = server_->Host_Thread();
    Call_Every_Slot<Vector3>(tables.objects[0], 18, thread, &results);
    Call_Every_Slot<Vector4>(tables.objects[1], 12, thread, &results);
    return results;
  }

  // One slot on one pair of inputs, in the state of the test.
  template <typename Vector>
  Vector Call(const void* table, unsigned slot, const Vector& a, const Vector& b, float s = 0) {
    Vector out = {};
    const standin::HostCodeRun run =
        standin::Call_Math_Slot(table, slot, a, b, s, out, server_->Host_Thread());
    EXPECT_EQ(run.stack_error, 0) << "slot " << slot;
    EXPECT_EQ(run.fpu_fault, "") << "slot " << slot;
    return out;
  }
};

// Each slot's result is the one the host state gives, to the bit, and every call gives
// the host thread its state back.
TEST_P(MathTablesInState, EverySlotGivesTheHostStatesBits) {
  for (bool sse : {true, false}) {
    SCOPED_TRACE(sse ? "packed Vector4 table" : "plain Vector4 table");
    const SlotResults host = Results_In("host", sse);
    const SlotResults here = Results_In(GetParam(), sse);
    ASSERT_EQ(here.bits.size(), host.bits.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < here.bits.size(); ++i) {
      if (here.bits[i] == host.bits[i]) continue;
      if (++differing <= 5) {
        ADD_FAILURE() << here.calls[i] << ": 0x" << std::hex << here.bits[i]
                      << " where the host state gives 0x" << host.bits[i];
      }
    }
    EXPECT_EQ(differing, 0u) << "results that differ from the host state's";
    EXPECT_EQ(here.faults.size(), 0u) << ::testing::PrintToString(here.faults);
  }
}

// The cases a host mode used to change. (1, 1, 1) . (-1, 1e-8, 1) sums in double: 1e-8,
// not the 0 a 24-bit sum gives. Denormals add exactly, not flushed to zero. A division
// by zero gives infinities and NaN, and no trap.
TEST_P(MathTablesInState, TellingCases) {
  using namespace standin::math_slot;
  for (bool sse : {true, false}) {
    SCOPED_TRACE(sse ? "packed Vector4 table" : "plain Vector4 table");
    const Tables tables = Start(standin::HostBuild::Build_0, sse, GetParam());
    ASSERT_EQ(tables.objects.size(), 2u);
    const void* vector3 = tables.objects[0];
    const void* vector4 = tables.objects[1];

    const Vector3 ones = {1, 1, 1}, small = {-1, 1e-8f, 1};
    EXPECT_EQ(Bits(Call(vector3, Dot_Product, ones, small).x), Bits(1e-8f));
    EXPECT_EQ(Bits(Call(vector3, Dot_Product_Into, ones, small).x), Bits(1e-8f));

    // Positive denormals whose sums stay below the normal range: the bits add.
    const Vector4 a = {1e-40f, 2.5e-39f, 1.4e-45f, 5e-39f}, b = {2e-40f, 1e-39f, 1.4e-45f, 6e-39f};
    for (unsigned slot : {Add, Add_Into}) {
      const Vector4 sum = Call(vector4, slot, a, b);
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Bits((&sum.x)[i]), Bits((&a.x)[i]) + Bits((&b.x)[i])) << "slot " << slot;
      }
    }

    const Vector4 n = {1, -1, 0, 2}, d = {0, -0.0f, 0, 2};
    for (unsigned slot : {Divide, Divide_Into}) {
      const Vector4 q4 = Call(vector4, slot, n, d);
      const Vector3 q3 = Call(vector3, slot, Vector3{n.x, n.y, n.z}, Vector3{d.x, d.y, d.z});
      for (const float* q : {&q4.x, &q3.x}) {
        EXPECT_EQ(Bits(q[0]), Bits(Infinity)) << "1 / 0, slot " << slot;
        EXPECT_EQ(Bits(q[1]), Bits(Infinity)) << "-1 / -0, slot " << slot;
        EXPECT_TRUE(std::isnan(q[2])) << "0 / 0, slot " << slot;
      }
      EXPECT_EQ(q4.w, 1.0f);
    }
    for (unsigned slot : {Divide_By, Divide_By_Into}) {
      const Vector4 q = Call(vector4, slot, n, {}, 0.0f);
      EXPECT_EQ(Bits(q.x), Bits(Infinity)) << "slot " << slot;
      EXPECT_EQ(Bits(q.y), Bits(-Infinity)) << "slot " << slot;
      EXPECT_TRUE(std::isnan(q.z)) << "slot " << slot;
      EXPECT_EQ(Bits(q.w), Bits(Infinity)) << "slot " << slot;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFpuState, MathTablesInState, ::testing::ValuesIn(Fpu_State_Names()),
                         Fpu_State_Test_Name);

}  // namespace
}  // namespace quillon_test
