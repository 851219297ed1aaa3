// Checks of the stand-in itself, so a failure elsewhere points at the plug-in: the
// console formatter, the heap's books, the stack measurement of the hand-written caller
// and of the compiled host code, the floating-point state around calls in both
// directions, and the host image without any plug-in loaded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <utility>

#include "standin/console/console_format.h"
#include "standin/heap/host_heap.h"
#include "standin/msvc_host/host_abi.h"
#include "standin/platform/command_caller.h"
#include "standin/platform/fpu_control.h"
#include "standin/platform/host_entry.h"
#include "standin/platform/host_thread_fpu.h"
#include "standin/server.h"
#include "standin/world/world.h"
#include "standin/world/world_functions.h"
#include "standin/world/world_layout.h"

namespace quillon_test {
namespace {

std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = standin::Format_Console_Text(format, arguments);
  va_end(arguments);
  return text;
}

TEST(StandInFormatter, PrintsLikeTheHostConsole) {
  EXPECT_EQ(Format("%ls has been given %f points.\n", u"Zo\u00EB", static_cast<double>(50.0f)),
            "Zo\xC3\xAB has been given 50.000000 points.\n");
  EXPECT_EQ(Format("%ls|%ls", u"\U0001D11E", u"\xD800x"), "\xF0\x9D\x84\x9E|\xEF\xBF\xBDx");
  EXPECT_EQ(Format("%d %u %x %c %s %% %5.1f|%-4d|", -3, 7u, 255u, 'q', "t", 2.25, 9),
            "-3 7 ff q t %   2.2|9   |");
  EXPECT_EQ(
      Format("%s %ls", static_cast<const char*>(nullptr), static_cast<const char16_t*>(nullptr)),
      "(null) (null)");
  EXPECT_EQ(Format("100%y %d%", 4), "100%y 4%");
}

TEST(StandInHeap, KeepsBooksAndCatchesForeignReleases) {
  standin::HostHeap heap;
  heap.Fail_Allocation(2);
  void* first = heap.Allocate(8);
  EXPECT_EQ(heap.Allocate(8), nullptr);
  void* third = heap.Allocate(0);
  EXPECT_EQ(heap.Live_Blocks(), 2u);
  EXPECT_EQ(heap.Live_Bytes(), 8u);
  heap.Release(first);
  heap.Release(first);
  int on_the_stack = 0;
  heap.Release(&on_the_stack);
  heap.Release(nullptr);
  EXPECT_EQ(heap.Errors().size(), 2u);
  EXPECT_TRUE(heap.Owns(third));
  EXPECT_EQ(heap.Allocations(), 3u);
  EXPECT_EQ(heap.Releases(), 1u);
}

struct Probe {
  int value;
};

std::uintptr_t Last_Argument_Address = 0;

__attribute__((noinline, thiscall)) int Thiscall_Adds(Probe* self, int amount) {
  // The first stack argument lies above the return address and the saved frame pointer.
  // (Its own address may be a copy: clang and the sanitizers move address-taken ones.)
  Last_Argument_Address = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) + 8;
  return self->value + amount;
}

__attribute__((noinline, cdecl)) int Cdecl_Adds(Probe* self, int amount) {
  return self->value + amount;
}

TEST(StandInCaller, MeasuresWhatTheCalleeRemovesAndAlignsAsAsked) {
  Probe probe = {40};
  for (unsigned skew : {0u, 4u, 8u, 12u}) {
    const standin::HostCall member =
        standin::Call_Host_Style(reinterpret_cast<const void*>(&Thiscall_Adds), &probe, {2}, skew);
    EXPECT_EQ(member.result, 42u);
    EXPECT_EQ(member.popped, 4);
    // The stack argument sits where the stack pointer was at the call.
    EXPECT_EQ((Last_Argument_Address + skew) % 16, 0u) << skew;
  }
  const standin::HostCall plain = standin::Call_Host_Style(
      reinterpret_cast<const void*>(&Cdecl_Adds), standin::Cdecl_Ecx(), {standin::Word(&probe), 5});
  EXPECT_EQ(plain.result, 45u);
  EXPECT_EQ(plain.popped, 0);
}

__attribute__((noinline, cdecl)) void Cdecl_Activate(void*, const char*) {}
__attribute__((noinline, thiscall)) void Thiscall_Activate(void*, const char*) {}
__attribute__((noinline, stdcall)) void Pops_Too_Much(void*, const char*, int) {}

// The compiled host code measures the stack around its call: a slot that removes too
// few or too many bytes is reported and repaired, not absorbed by the caller's frame.
TEST(StandInHostCode, ReportsACalleeThatRemovesTheWrongBytes) {
  const void* table[5] = {};
  struct Object {
    const void* const* dispatch;
  } object = {table};
  const std::pair<const void*, std::int32_t> slots[] = {
      {reinterpret_cast<const void*>(&Thiscall_Activate), 0},
      {reinterpret_cast<const void*>(&Cdecl_Activate), -4},
      {reinterpret_cast<const void*>(&Pops_Too_Much), 8}};
  for (const auto& [activate, error] : slots) {
    table[3] = activate;
    for (unsigned skew : {0u, 4u, 8u, 12u}) {
      EXPECT_EQ(standin::Run_Host_Code(&Host_Call_Command_Activate, {skew},
                                       static_cast<void*>(&object), "1")
                    .stack_error,
                error);
    }
  }
}

TEST(StandInHost, PlaysTheHostFunctionsWithoutAPlugin) {
  const std::uint16_t outer_fpu_control = standin::Fpu_Control();
  standin::Server server;
  EXPECT_FALSE(server.Load_Module("no-such-plugin.module"));
  EXPECT_EQ(standin::Fpu_Control(), outer_fpu_control)
      << "between calls the stand-in keeps the process's own x87 mode";
  const standin::BridgeAddresses& bridge = standin::Bridge_Build_0;
  const auto* signature = reinterpret_cast<const std::uint8_t*>(bridge.signature);
  EXPECT_EQ(std::memcmp(signature, standin::Build_Signature, standin::Signature_Length), 0);
  EXPECT_EQ(*reinterpret_cast<const std::uint8_t*>(bridge.sse_flag), 1);

  const standin::HostCall allocation =
      standin::Call_Host_Style(reinterpret_cast<const void*>(bridge.alloc), nullptr, {24});
  void* block = reinterpret_cast<void*>(static_cast<std::uintptr_t>(allocation.result));
  EXPECT_TRUE(server.Heap().Owns(block));
  EXPECT_EQ(allocation.fpu_fault, "");
  standin::Call_Host_Style(reinterpret_cast<const void*>(bridge.free), nullptr,
                           {allocation.result});
  EXPECT_FALSE(server.Heap().Owns(block));

  const char* format = "%ls=%d\n";
  const char16_t* name = u"id";
  const standin::HostCall print =
      standin::Call_Host_Style(reinterpret_cast<const void*>(bridge.console_output), nullptr,
                               {standin::Word(format), standin::Word(name), 7});
  EXPECT_EQ(print.popped, 0);
  EXPECT_EQ(print.fpu_fault, "");
  EXPECT_EQ(server.Console().Printed(), std::vector<std::string>{"id=7\n"});

  void* command = reinterpret_cast<void*>(0x1234);
  void* const* element = &command;
  const standin::HostCall add =
      standin::Call_Host_Style(reinterpret_cast<const void*>(standin::Add_Console_Command),
                               reinterpret_cast<const void*>(standin::Console_Command_List_Object),
                               {standin::Word(element)});
  EXPECT_EQ(add.popped, 4) << "Add_Console_Command is a member function of the list";
  EXPECT_EQ(server.Commands().Commands(), std::vector<void*>{command});
  server.Commands().Drop_All();
  server.Shutdown();
  EXPECT_EQ(standin::Fpu_Control(), outer_fpu_control);
}

// --- the floating-point state around calls into the plug-in ---------------------

standin::FpuState State(const char* name) {
  const standin::NamedFpuState* named = standin::Find_Fpu_State(name);
  EXPECT_NE(named, nullptr) << name;
  return named != nullptr ? named->state : standin::Host_Fpu_State;
}

// What the last fake below found on entry.
standin::FpuAfterCall entered = {};

void Record_The_State() {
  entered = {standin::Fpu_Control(), standin::Fpu_Status(), standin::Mxcsr()};
}

// Zero-divide flagged in both units the way the processor flags it, pending where the
// state unmasks it; returns before any instruction that would deliver it.
void Flag_Zero_Divide() {
  standin::X87Environment environment = standin::Store_X87_Environment();
  environment.status |= standin::x87::Zero_Divide;
  if ((environment.control & standin::x87::Zero_Divide) == 0) {
    environment.status |= standin::x87::Error_Summary;
  }
  standin::Load_X87_Environment(environment);
  standin::Set_Mxcsr(standin::Mxcsr() | standin::x87::Zero_Divide);
}

// Command slots that stand for plug-in code, called by compiled host code.
__attribute__((noinline, thiscall)) void Records_The_State(void*, const char*) {
  Record_The_State();
}
__attribute__((noinline, thiscall)) void Sets_Extended_Precision(void*, const char*) {
  standin::Set_Fpu_Control(standin::Extended_Fpu_Control);
}
__attribute__((noinline, thiscall)) void Turns_On_Flush_To_Zero(void*, const char*) {
  standin::Set_Mxcsr(standin::Mxcsr() | standin::sse::Flush_To_Zero);
}
__attribute__((noinline, thiscall)) void Clears_The_Flags(void*, const char*) {
  __asm__ __volatile__("fnclex");
  standin::Set_Mxcsr(standin::Mxcsr() & ~standin::sse::Flags);
}
__attribute__((noinline, thiscall)) void Divides_By_Zero(void*, const char*) { Flag_Zero_Divide(); }
// Inexact arithmetic: it raises only the precision flag, which every state masks.
__attribute__((noinline, thiscall)) void Divides_By_Three(void*, const char*) {
  volatile double one = 1, three = 3;
  volatile double third = one / three;
  static_cast<void>(third);
}

struct FakeCommand {
  const void* table[5] = {};
  const void* const* dispatch = table;
};

// A command object whose Activate is `activate`, activated by host code on a thread in
// `state`.
standin::HostCodeRun Activate_On(standin::FpuState state,
                                 void (*activate)(void*, const char*) __attribute__((thiscall))) {
  FakeCommand command;
  command.table[3] = reinterpret_cast<const void*>(activate);
  return standin::Run_Host_Code(&Host_Call_Command_Activate, {standin::Host_Stack_Skew, state},
                                static_cast<void*>(&command.dispatch), "1");
}

// The stand-in's own state, with the precision flag of both units raised.
standin::FpuAfterCall Own_State_With_Flags() {
  volatile double one = 1, three = 3;
  volatile double third = one / three;
  static_cast<void>(third);
  standin::Set_Mxcsr(standin::Mxcsr() | standin::sse::Precision_Flag);
  return {standin::Fpu_Control(), standin::Fpu_Status(), standin::Mxcsr()};
}

TEST(StandInFpuCheck, CallsRunInTheHostThreadsStateWithPresetFlagsAndGiveTheOwnBack) {
  for (const standin::NamedFpuState& named : standin::Host_Thread_States) {
    SCOPED_TRACE(named.name);
    const standin::FpuAfterCall own = Own_State_With_Flags();
    entered = {};
    const standin::HostCodeRun run = Activate_On(named.state, &Records_The_State);
    EXPECT_EQ(run.fpu_fault, "");
    EXPECT_EQ(entered.x87_control, named.state.x87_control);
    EXPECT_EQ(entered.mxcsr & ~standin::sse::Flags, named.state.mxcsr);
    // The precision and denormal flags are raised where the thread masks them, as any
    // host arithmetic leaves them; under a trap a raised flag would be pending.
    const bool x87_masks_them = (named.state.x87_control & standin::x87::Precision) != 0;
    const bool sse_masks_them = (named.state.mxcsr & (standin::sse::Precision_Flag << 7)) != 0;
    EXPECT_EQ(entered.x87_status & standin::x87::Exceptions,
              x87_masks_them ? standin::x87::Precision | standin::x87::Denormal : 0);
    EXPECT_EQ(entered.mxcsr & standin::sse::Flags,
              sse_masks_them ? standin::sse::Precision_Flag | standin::sse::Denormal_Flag : 0);
    EXPECT_EQ(standin::Fpu_Control(), own.x87_control);
    EXPECT_EQ(standin::Fpu_Status() & standin::x87::Exceptions,
              own.x87_status & standin::x87::Exceptions);
    EXPECT_EQ(standin::Mxcsr(), own.mxcsr);
  }
}

TEST(StandInFpuCheck, ReportsACalleeThatChangesTheHostThreadsState) {
  const std::string pending = " flag pending under a trap the host thread unmasks";
  const std::string had_set = " flag the host thread had set";
  const struct {
    void (*callee)(void*, const char*) __attribute__((thiscall));
    const char* state;
    std::string fault;
  } cases[] = {
      {&Sets_Extended_Precision, "host",
       "the x87 control word came back 0x037F where the host thread set 0x027F"},
      {&Turns_On_Flush_To_Zero, "host",
       "MXCSR's control bits came back 0x9F80 where the host thread set 0x1F80"},
      {&Clears_The_Flags, "single",
       "cleared the x87 denormal" + had_set + "; cleared the x87 precision" + had_set +
           "; cleared the SSE denormal" + had_set + "; cleared the SSE precision" + had_set},
      {&Divides_By_Zero, "x87-traps", "left the x87 zero-divide" + pending},
      {&Divides_By_Zero, "sse-traps", "left the SSE zero-divide" + pending},
      {&Divides_By_Zero, "hostile",
       "left the x87 zero-divide" + pending + "; left the SSE zero-divide" + pending},
      {&Divides_By_Zero, "host", ""},  // a masked flag raised is no fault
      {&Divides_By_Three, "hostile", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    const standin::FpuAfterCall own = Own_State_With_Flags();
    EXPECT_EQ(Activate_On(State(c.state), c.callee).fpu_fault, c.fault);
    // The stand-in's own state is back, and no flag the callee left fires in it.
    EXPECT_EQ(standin::Fpu_Control(), own.x87_control);
    EXPECT_EQ(standin::Fpu_Status() & standin::x87::Exceptions,
              own.x87_status & standin::x87::Exceptions);
    EXPECT_EQ(standin::Mxcsr(), own.mxcsr);
    volatile double one = 1, zero = 0;
    volatile double infinity = one / zero;
    EXPECT_TRUE(std::isinf(infinity));
  }
}

TEST(StandInFpuCheck, AServerReportsAFaultAsACallErrorAndRefusesAnUnknownState) {
  standin::ServerOptions options;
  options.fpu = "x87-traps";
  standin::Server server(options);
  EXPECT_FALSE(server.Load_Module("no-such-plugin.module"));
  EXPECT_EQ(server.Call_Errors(), std::vector<std::string>());
  FakeCommand command;
  command.table[3] = reinterpret_cast<const void*>(&Divides_By_Zero);
  server.Activate(&command.dispatch, "1");
  EXPECT_EQ(server.Call_Errors(),
            std::vector<std::string>{"Activate: left the x87 zero-divide flag pending under a "
                                     "trap the host thread unmasks"});
  server.Shutdown();

  options.fpu = "quiet";
  standin::Server unknown(options);
  EXPECT_FALSE(unknown.Load_Module("no-such-plugin.module"));
  EXPECT_EQ(unknown.Error(), "no host thread floating-point state is named quiet");
}

// --- the floating-point state in host functions the plug-in calls ----------------

// A host function that records the state its body runs in, then leaves another
// control word and raised flags behind, as careless stand-in code could.
STANDIN_HOST_ENTRY void Host_Function_Leaving_A_Mess() {
  const standin::StandinFpuScope own_fpu;
  Record_The_State();
  standin::Set_Fpu_Control(standin::Host_Fpu_Control & ~standin::X87_Traps);
  standin::Set_Mxcsr(standin::Mxcsr() & ~standin::Sse_Traps);
  Flag_Zero_Divide();
}

TEST(StandInHostFunctions, RunInTheStandInsOwnStateAndGiveTheCallersStateBackExactly) {
  const standin::FpuState own = standin::Current_Fpu_State();
  for (const standin::NamedFpuState& named : standin::Host_Thread_States) {
    SCOPED_TRACE(named.name);
    entered = {};
    const standin::HostCall call =
        standin::Call_Host_Style(reinterpret_cast<const void*>(&Host_Function_Leaving_A_Mess),
                                 standin::Cdecl_Ecx(), {}, standin::Host_Stack_Skew, named.state);
    // A caller already in the own state (a thread at 64 bits, as the process starts
    // natively) keeps its flags for the body; any other gets the own state, flags clear.
    const bool in_own_state = named.state.x87_control == own.x87_control &&
                              named.state.mxcsr == (own.mxcsr & ~standin::sse::Flags);
    EXPECT_EQ(entered.x87_control, own.x87_control);
    EXPECT_EQ(entered.mxcsr, (own.mxcsr & ~standin::sse::Flags) |
                                 (in_own_state ? standin::Preset_Sse_Flags(named.state) : 0))
        << "the own state";
    EXPECT_EQ(entered.x87_status & standin::x87::Exceptions,
              in_own_state ? standin::Preset_X87_Flags(named.state) : 0);
    EXPECT_EQ(call.fpu_fault, "") << "control words and flags as the caller had them";
  }
  // Called from the stand-in's own state with no flag raised: none comes back.
  __asm__ __volatile__("fnclex");
  standin::Set_Mxcsr(own.mxcsr & ~standin::sse::Flags);
  Host_Function_Leaving_A_Mess();
  EXPECT_EQ(standin::Fpu_Control(), own.x87_control);
  EXPECT_EQ(standin::Fpu_Status() & standin::x87::Exceptions, 0);
  EXPECT_EQ(standin::Mxcsr(), own.mxcsr & ~standin::sse::Flags);
}

// Points added by the world's Give_Points come out the same whatever state the
// caller is in, and adding infinities of both signs makes a NaN instead of a trap.
TEST(StandInHostFunctions, TheWorldsArithmeticIsTheSameInEveryState) {
  standin::ServerOptions options;
  options.world = standin::StartingWorld::Players;
  standin::Server server(options);
  EXPECT_FALSE(server.Load_Module("no-such-plugin.module"));
  unsigned count = 0;
  const standin::world::Entry* slots = standin::world::Script_Slot_Functions(count);
  const void* give_points = nullptr;
  for (unsigned i = 0; i < count; ++i) {
    if (slots[i].slot_or_index == standin::world::layout::Slot_Give_Points) {
      give_points = slots[i].function;
    }
  }
  ASSERT_NE(give_points, nullptr);
  auto give = [&](standin::FpuState state, float amount) {
    standin::world::Player* havoc = server.World().Players().Find_Player(1);
    std::uint32_t bits;
    std::memcpy(&bits, &amount, sizeof bits);
    const standin::HostCall call = standin::Call_Host_Style(
        give_points, standin::Cdecl_Ecx(), {standin::Word(havoc->soldier.get()), bits, 0},
        standin::Host_Stack_Skew, state);
    EXPECT_EQ(call.fpu_fault, "");
    std::uint32_t points;
    std::memcpy(&points, &havoc->points, sizeof points);
    return points;
  };
  // 120 + 3.3 rounds up to the nearest float: toward zero it would come out one lower.
  std::vector<std::uint32_t> in_host_state;
  for (float amount : {0.1f, 3.3f, -0.3f}) {
    server.Reset_World();
    in_host_state.push_back(give(standin::Host_Fpu_State, amount));
  }
  for (const standin::NamedFpuState& named : standin::Host_Thread_States) {
    SCOPED_TRACE(named.name);
    std::vector<std::uint32_t> points;
    for (float amount : {0.1f, 3.3f, -0.3f}) {
      server.Reset_World();
      points.push_back(give(named.state, amount));
    }
    EXPECT_EQ(points, in_host_state);
    server.Reset_World();
    const float infinity = std::numeric_limits<float>::infinity();
    give(named.state, infinity);
    const std::uint32_t bits = give(named.state, -infinity);
    float sum;
    std::memcpy(&sum, &bits, sizeof sum);
    EXPECT_TRUE(std::isnan(sum));
  }
  server.Shutdown();
}

TEST(StandInHost, AnUnknownBuildCarriesOnlyNearMisses) {
  standin::ServerOptions options;
  options.build = standin::HostBuild::None;
  standin::Server server(options);
  EXPECT_FALSE(server.Load_Module("no-such-plugin.module"));
  for (standin::Address probe : standin::Signature_Addresses) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(probe);
    EXPECT_EQ(std::memcmp(bytes, standin::Build_Signature, standin::Signature_Length - 1), 0);
    EXPECT_NE(bytes[standin::Signature_Length - 1],
              standin::Build_Signature[standin::Signature_Length - 1]);
  }
  server.Shutdown();
}

}  // namespace
}  // namespace quillon_test
