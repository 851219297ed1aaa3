// The vector math tables the plug-in makes at start-up, seen from the host: two
// one-pointer blocks of the host heap, each holding its table's dispatch pointer. The
// Vector4 table is the packed SSE one exactly when the build has an SSE flag byte and
// it is set. Each boot loads a fresh copy of the module at its own address, so the
// dispatch pointers are compared by their distance from an export of the same copy.
#include <cstdint>
#include <cstring>
#include <vector>

#include "standin/command_caller.h"
#include "standin/math_table_caller.h"
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
  Tables Start(standin::HostBuild build, bool sse) {
    standin::ServerOptions options;
    options.build = build;
    options.sse = sse;
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

}  // namespace
}  // namespace quillon_test
