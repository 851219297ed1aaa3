// Checks of the stand-in itself, so a failure elsewhere points at the plug-in: the
// console formatter, the heap's books, the stack measurement of the hand-written caller
// and of the compiled host code, and the host image without any plug-in loaded.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <utility>

#include "standin/command_caller.h"
#include "standin/console_format.h"
#include "standin/fpu_control.h"
#include "standin/host_heap.h"
#include "standin/msvc_host/host_abi.h"
#include "standin/server.h"

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
      EXPECT_EQ(standin::Run_Host_Code(&Host_Call_Command_Activate, skew,
                                       static_cast<void*>(&object), "1"),
                error);
    }
  }
}

TEST(StandInHost, PlaysTheHostFunctionsWithoutAPlugin) {
  const std::uint16_t outer_fpu_control = standin::Fpu_Control();
  standin::Server server;
  EXPECT_FALSE(server.Load_Module("no-such-plugin.module"));
  EXPECT_EQ(standin::Fpu_Control(), standin::Host_Fpu_Control) << "the host's threads' x87 mode";
  const standin::BridgeAddresses& bridge = standin::Bridge_Build_0;
  const auto* signature = reinterpret_cast<const std::uint8_t*>(bridge.signature);
  EXPECT_EQ(std::memcmp(signature, standin::Build_Signature, standin::Signature_Length), 0);
  EXPECT_EQ(*reinterpret_cast<const std::uint8_t*>(bridge.sse_flag), 1);

  const standin::HostCall allocation =
      standin::Call_Host_Style(reinterpret_cast<const void*>(bridge.alloc), nullptr, {24});
  void* block = reinterpret_cast<void*>(static_cast<std::uintptr_t>(allocation.result));
  EXPECT_TRUE(server.Heap().Owns(block));
  standin::Call_Host_Style(reinterpret_cast<const void*>(bridge.free), nullptr,
                           {allocation.result});
  EXPECT_FALSE(server.Heap().Owns(block));

  const char* format = "%ls=%d\n";
  const char16_t* name = u"id";
  const standin::HostCall print =
      standin::Call_Host_Style(reinterpret_cast<const void*>(bridge.console_output), nullptr,
                               {standin::Word(format), standin::Word(name), 7});
  EXPECT_EQ(print.popped, 0);
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
