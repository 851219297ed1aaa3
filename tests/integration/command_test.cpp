// The command objects as the host uses them: their text slots, the shared beginning
// of Activate, the deleting destructor, and the stack each slot leaves behind.
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

namespace slot = standin::command_slot;

using CommandObjects = PluginTest;

TEST_F(CommandObjects, AnswerNameHelpAndNoAlias) {
  standin::Server& server = Boot();
  const std::vector<void*> commands = server.Commands().Commands();
  ASSERT_EQ(commands.size(), Command_Count);
  for (unsigned i = 0; i < Command_Count; ++i) {
    SCOPED_TRACE(Known_Commands[i].name);
    const char* name = server.Command_Text(commands[i], slot::Get_Name);
    const char* help = server.Command_Text(commands[i], slot::Get_Help);
    ASSERT_NE(name, nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_STREQ(name, Known_Commands[i].name);
    EXPECT_STREQ(help, Known_Commands[i].help);
    EXPECT_EQ(server.Command_Text(commands[i], slot::Get_Alias), nullptr);
  }
}

TEST_F(CommandObjects, NullPrintsNothingAndEmptyPrintsExactlyTheUsageLine) {
  standin::Server& server = Boot();
  const std::vector<void*> commands = server.Commands().Commands();
  ASSERT_EQ(commands.size(), Command_Count);
  for (unsigned i = 0; i < Command_Count; ++i) {
    SCOPED_TRACE(Known_Commands[i].name);
    std::size_t first = server.Console().Printed().size();
    server.Activate(commands[i], nullptr);
    EXPECT_EQ(Printed_Since(server, first), std::vector<std::string>());
    server.Activate(commands[i], "");
    EXPECT_EQ(Printed_Since(server, first), std::vector<std::string>{Known_Commands[i].usage});
    first = server.Console().Printed().size();
    server.Activate(commands[i], " ");
    for (const std::string& line : Printed_Since(server, first)) {
      EXPECT_NE(line, Known_Commands[i].usage) << "a space is an argument, not an empty one";
    }
  }
  EXPECT_TRUE(server.World().Calls().size() <= 1u) << "only killplayer looks a player up";
}

TEST_F(CommandObjects, ActivateGivesBackEveryHostBlockItTakes) {
  standin::Server& server = Boot();
  const char* const texts[] = {"",     " ",       "   ",       "3",
                               "3 50", " 3  50 ", "3 1 2 3",   "abc def ghi jkl mno",
                               "\t7",  "5\t10",   "-2 -1e3 x", "2147483648 1e40 1e-50"};
  std::string long_text;
  for (int i = 0; i < 2000; ++i) long_text += std::to_string(i) + " ";
  for (void* command : server.Commands().Commands()) {
    SCOPED_TRACE(server.Command_Text(command, slot::Get_Name));
    std::vector<const char*> all(std::begin(texts), std::end(texts));
    all.push_back(long_text.c_str());
    for (const char* text : all) {
      const std::size_t live_blocks = server.Heap().Live_Blocks();
      const std::uint64_t live_bytes = server.Heap().Live_Bytes();
      server.Activate(command, text);
      EXPECT_EQ(server.Heap().Live_Blocks(), live_blocks)
          << "'" << std::string(text).substr(0, 20) << "'";
      EXPECT_EQ(server.Heap().Live_Bytes(), live_bytes)
          << "'" << std::string(text).substr(0, 20) << "'";
    }
  }
}

TEST_F(CommandObjects, TheDeletingDestructorFreesThroughTheHostOnlyWhenAsked) {
  standin::Server& server = Boot();
  ASSERT_GE(server.Commands().Commands().size(), 2u);
  void* kept = server.Commands().Commands()[0];
  void* freed = server.Commands().Commands()[1];
  server.Commands().Forget(kept);
  server.Commands().Forget(freed);
  const std::size_t events = server.Heap().Log().size();

  server.Delete_Command(kept, 0);
  EXPECT_EQ(server.Heap().Log().size(), events) << "flags 0 destroys without freeing";
  EXPECT_TRUE(server.Heap().Owns(kept));

  server.Delete_Command(freed, 1);
  ASSERT_EQ(server.Heap().Log().size(), events + 1);
  const standin::HeapEvent& release = server.Heap().Log().back();
  EXPECT_EQ(release.kind, standin::HeapEvent::Release);
  EXPECT_EQ(release.block, reinterpret_cast<std::uintptr_t>(freed));
  EXPECT_FALSE(server.Heap().Owns(freed));

  // The other commands are unaffected.
  const std::size_t first = server.Console().Printed().size();
  server.Execute_Line("flymode");
  EXPECT_EQ(Printed_Since(server, first), std::vector<std::string>{"FLYMODE <id>\n"});
}

// The host's compiler keeps the stack only 4-byte aligned; the plug-in must cope
// with any alignment in every export and command slot.
class StackAlignment : public PluginTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(StackAlignment, EveryCallWorksFromAnyHostStack) {
  standin::ServerOptions options;
  options.stack_skew = GetParam();
  standin::Server& server = Boot(options);
  ASSERT_TRUE(server.Report().script_commands);
  for (void* command : server.Commands().Commands()) {
    for (const char* text : {"", " ", "3 4 5 6", "x"}) server.Activate(command, text);
    server.Command_Text(command, slot::Get_Help);
  }
  EXPECT_EQ(server.Console().Printed().front(), Injected_Line);
}

INSTANTIATE_TEST_SUITE_P(Skews, StackAlignment, ::testing::Values(0u, 4u, 8u, 12u));

// Every command, with amounts that round up, overflow, underflow or are denormal, acts
// on the world and prints exactly as when the host thread is in the host state.
class CommandsInState : public PluginTest, public ::testing::WithParamInterface<std::string> {
 protected:
  // What each line printed and what it had the world do, one entry a line.
  std::vector<Lines> Run_In(const std::string& fpu) {
    standin::ServerOptions options;
    options.world = standin::StartingWorld::Players;
    options.fpu = fpu;
    Boot(options);
    std::vector<Lines> effects;
    for (const KnownCommand& command : Known_Commands) {
      for (const char* text : {"1 50", "2 0.1", "3 -0.3", "4 1e40", "1 -1e40", "2 2.5e-45",
                               "3 -1e-46", "2147483648 1e40 1e-50", "-2 -1e3 x",
                               "4 16777217.000001 3.3 -7.25", "1 0.1 1e40 1.4e-45"}) {
        Lines effect = Type(std::string(command.name) + " " + text);
        for (const std::string& action : Actions()) effect.push_back(action);
        effects.push_back(effect);
      }
      server_->Execute_Line("reset");
    }
    Finish();
    return effects;
  }
};

TEST_P(CommandsInState, EveryCommandActsAndPrintsAsInTheHostState) {
  const std::vector<Lines> host = Run_In("host");
  const std::vector<Lines> here = Run_In(GetParam());
  ASSERT_EQ(here.size(), host.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < here.size(); ++i) {
    if (here[i] == host[i]) continue;
    if (++differing <= 5)
      ADD_FAILURE() << ::testing::PrintToString(here[i]) << "\nin the host state\n"
                    << ::testing::PrintToString(host[i]);
  }
  EXPECT_EQ(differing, 0u) << "lines whose effects differ from the host state's";
}

INSTANTIATE_TEST_SUITE_P(EveryFpuState, CommandsInState, ::testing::ValuesIn(Fpu_State_Names()),
                         Fpu_State_Test_Name);

}  // namespace
}  // namespace quillon_test
