// Registration of the ten console commands in the host's list.
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

using standin::ConsoleEvent;

std::vector<std::string> Known_Names_Without(int left_out) {
  std::vector<std::string> names;
  for (int i = 0; i < static_cast<int>(Command_Count); ++i) {
    if (i != left_out) names.push_back(Known_Commands[i].name);
  }
  return names;
}

// The number of the host allocation (counted from 1) that produced `block`.
std::uint64_t Allocation_Ordinal(const standin::HostHeap& heap, const void* block) {
  std::uint64_t ordinal = 0;
  for (const standin::HeapEvent& event : heap.Log()) {
    if (event.kind == standin::HeapEvent::Allocate ||
        event.kind == standin::HeapEvent::Allocate_Failed) {
      ++ordinal;
      if (event.kind == standin::HeapEvent::Allocate &&
          event.block == reinterpret_cast<std::uintptr_t>(block)) {
        return ordinal;
      }
    }
  }
  return 0;
}

using Registration = PluginTest;

// A command is in the host's list before its own operations are: a host that calls it
// then meets a command without name or help that does nothing, never a missing
// function, and the command is whole once it is added.
TEST_F(Registration, ACommandCalledWhileBeingAddedAnswersAsAnEmptyCommand) {
  standin::ServerOptions looking;
  looking.look_while_adding = true;
  standin::Server& server = Boot(looking);
  const std::vector<std::string> empty_command = {"Get_Name \"\"", "Get_Alias (null)",
                                                  "Get_Help \"\"", "Activate"};
  std::vector<std::string> expected;
  for (unsigned i = 0; i < Command_Count; ++i) {
    expected.insert(expected.end(), empty_command.begin(), empty_command.end());
  }
  EXPECT_EQ(server.Commands().Seen_While_Adding(), expected);
  EXPECT_EQ(server.Console().Printed(), std::vector<std::string>{Injected_Line});
  EXPECT_EQ(Registered_Names(server), Known_Names_Without(-1));
}

TEST_F(Registration, AppendsTenCommandsInOrderThenFinalizesThenSaysSo) {
  standin::Server& server = Boot();
  EXPECT_EQ(Registered_Names(server), Known_Names_Without(-1));
  const standin::ConsoleLog& log = server.Log();
  ASSERT_EQ(log.size(), Command_Count + 2);
  for (unsigned i = 0; i < Command_Count; ++i) {
    EXPECT_EQ(log[i].kind, ConsoleEvent::Append) << i;
    EXPECT_EQ(log[i].command, reinterpret_cast<std::uintptr_t>(server.Commands().Commands()[i]));
  }
  EXPECT_EQ(log[Command_Count].kind, ConsoleEvent::Finalize);
  EXPECT_EQ(log[Command_Count + 1].kind, ConsoleEvent::Print);
  EXPECT_EQ(log[Command_Count + 1].text, Injected_Line);
}

TEST_F(Registration, EachCommandIsAOnePointerBlockOfTheHostHeap) {
  standin::Server& server = Boot();
  for (void* command : server.Commands().Commands()) {
    EXPECT_TRUE(server.Heap().Owns(command));
    EXPECT_EQ(server.Heap().Size_Of(command), 4u);
  }
}

TEST_F(Registration, AFailedAllocationLeavesOutOnlyThatCommand) {
  // Find which host allocation made each command, then boot again with it failing.
  std::vector<std::uint64_t> ordinals;
  {
    standin::Server& server = Boot();
    for (void* command : server.Commands().Commands()) {
      ordinals.push_back(Allocation_Ordinal(server.Heap(), command));
    }
  }
  ASSERT_EQ(ordinals.size(), Command_Count);
  for (int left_out : {0, 4, 9}) {
    SCOPED_TRACE(Known_Commands[left_out].name);
    standin::ServerOptions options;
    options.failing_allocations = {ordinals[static_cast<unsigned>(left_out)]};
    standin::Server& server = Boot(options);
    EXPECT_TRUE(server.Report().script_commands);
    EXPECT_EQ(Registered_Names(server), Known_Names_Without(left_out));
    EXPECT_EQ(server.Commands().Finalize_Count(), 1u);
    EXPECT_EQ(server.Console().Printed(), std::vector<std::string>{Injected_Line});
  }
}

TEST_F(Registration, NoHostMemoryAtStartUpStillLeavesWorkingCommands) {
  std::uint64_t start_up_allocations = 0;
  {
    standin::Server& server = Load_Only();
    start_up_allocations = server.Heap().Allocations();
  }
  standin::ServerOptions options;
  for (std::uint64_t i = 1; i <= start_up_allocations; ++i)
    options.failing_allocations.push_back(i);
  standin::Server& server = Boot(options);
  EXPECT_TRUE(server.Report().script_commands);
  EXPECT_EQ(Registered_Names(server), Known_Names_Without(-1));
  const std::size_t first = server.Console().Printed().size();
  server.Execute_Line("teleport 2 1 2 3");
  server.Execute_Line("setpoints");
  EXPECT_EQ(Printed_Since(server, first),
            (std::vector<std::string>{"None has been moved to 1.000000 2.000000 3.000000\n",
                                      "SETPOINTS <id> <amount>\n"}));
}

TEST_F(Registration, NoBlockForAnyCommandStillFinalizesAndSaysSo) {
  std::uint64_t start_up_allocations = 0;
  {
    standin::Server& server = Load_Only();
    start_up_allocations = server.Heap().Allocations();
  }
  standin::ServerOptions options;
  for (std::uint64_t i = 1; i <= Command_Count; ++i) {
    options.failing_allocations.push_back(start_up_allocations + i);
  }
  standin::Server& server = Boot(options);
  EXPECT_TRUE(server.Report().script_commands);
  EXPECT_TRUE(server.Commands().Commands().empty());
  EXPECT_EQ(server.Commands().Finalize_Count(), 1u);
  EXPECT_EQ(server.Console().Printed(), std::vector<std::string>{Injected_Line});
}

}  // namespace
}  // namespace quillon_test
