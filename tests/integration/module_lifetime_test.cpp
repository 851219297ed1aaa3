// The module's life in the server's process: the loader releases every module it
// loaded after unloading it, and the host keeps our command objects after that, calls
// them and deletes them when it shuts down. The module must then still be there; a
// module that handed nothing to the host must not be. And thread attach and detach
// must really be switched off for it.
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

using ModuleLifetime = PluginTest;

// The loader's part of a host's shutdown, without the console's deletes that follow.
void Unload_And_Release(standin::Server& server) {
  server.Exports().Plugin_Unload();
  server.Module().Unload();
}

TEST_F(ModuleLifetime, EveryCommandStillWorksAfterTheModuleIsReleased) {
  standin::ServerOptions with_players;
  with_players.world = standin::StartingWorld::Players;
  standin::Server& server = Boot(with_players);
  ASSERT_EQ(server.Commands().Commands().size(), Command_Count);
  Unload_And_Release(server);
  EXPECT_TRUE(server.Module().Still_Mapped()) << "the host still holds the command objects";

  for (const KnownCommand& known : Known_Commands) {
    void* command = server.Find_Command(known.name);
    ASSERT_NE(command, nullptr) << known.name;
    EXPECT_STREQ(server.Command_Text(command, standin::command_slot::Get_Help), known.help);
    EXPECT_EQ(Type(known.name), Lines{known.usage});
  }
  EXPECT_EQ(Type("givepoints 1 50"), Lines{"Havoc has been given 50.000000 points.\n"});
  // The console's deletes come with the fixture's shutdown: Finish checks their stack.
}

TEST_F(ModuleLifetime, ShutdownDeletesEveryCommandItHolds) {
  standin::Server& server = Boot();
  const std::vector<void*> commands = server.Commands().Commands();
  ASSERT_EQ(commands.size(), Command_Count);
  server.Shutdown();
  for (void* command : commands) EXPECT_FALSE(server.Heap().Owns(command));
  EXPECT_EQ(server.Call_Errors(), std::vector<std::string>());
}

// The ordinals of the host allocations that made the ten command objects.
std::vector<std::uint64_t> Command_Allocations(standin::Server& server) {
  const std::vector<void*>& commands = server.Commands().Commands();
  std::vector<std::uint64_t> ordinals;
  std::uint64_t ordinal = 0;
  for (const standin::HeapEvent& event : server.Heap().Log()) {
    if (event.kind != standin::HeapEvent::Allocate) continue;
    ++ordinal;
    for (void* command : commands) {
      if (event.block == reinterpret_cast<std::uintptr_t>(command)) ordinals.push_back(ordinal);
    }
  }
  return ordinals;
}

// Pinned once the host's list holds a command object, and only then: a refused table,
// or a table whose commands the host heap could not hold, hands out nothing.
TEST_F(ModuleLifetime, OnlyAModuleWhoseCommandsTheHostHoldsStaysMapped) {
  standin::Server& accepted = Boot();
  const std::vector<std::uint64_t> command_allocations = Command_Allocations(accepted);
  ASSERT_EQ(command_allocations.size(), Command_Count);
  Unload_And_Release(accepted);
  EXPECT_TRUE(accepted.Module().Still_Mapped());

  standin::ServerOptions refused;
  refused.table_version = standin::Script_Table_Version + 1;
  standin::Server& refusing = Boot(refused);
  ASSERT_FALSE(refusing.Report().script_commands);
  Unload_And_Release(refusing);
  EXPECT_FALSE(refusing.Module().Still_Mapped()) << "a refused table";

  standin::ServerOptions no_commands;
  no_commands.failing_allocations = command_allocations;
  standin::Server& empty_handed = Boot(no_commands);
  ASSERT_TRUE(empty_handed.Report().script_commands);
  ASSERT_TRUE(empty_handed.Commands().Commands().empty());
  Unload_And_Release(empty_handed);
  EXPECT_FALSE(empty_handed.Module().Still_Mapped()) << "no command object in the list";

  // A single command the host holds needs the module's code as much as ten do.
  standin::ServerOptions one_command;
  one_command.failing_allocations.assign(command_allocations.begin(),
                                         command_allocations.end() - 1);
  standin::Server& holding_one = Boot(one_command);
  ASSERT_EQ(holding_one.Commands().Commands().size(), 1u);
  Unload_And_Release(holding_one);
  EXPECT_TRUE(holding_one.Module().Still_Mapped()) << "one command object in the list";
}

#ifdef _WIN32
// The loader refuses DisableThreadLibraryCalls for a module with static TLS; then it
// calls the module's entry at every thread start and exit in the server.
TEST_F(ModuleLifetime, TheLoaderSwitchedOffThreadNotifications) {
  standin::Server& server = Load_Only();
  ASSERT_TRUE(server.Module().Loaded());
  EXPECT_TRUE(server.Module().Thread_Notifications_Off());
}
#else
TEST_F(ModuleLifetime, ThePinNamesAnAddressInsideTheModule) {
  standin::Server& server = Boot();
  ASSERT_EQ(server.Api().pins.size(), 1u);
  const standin::PinCall& pin = server.Api().pins[0];
  EXPECT_EQ(pin.flags, 0x5u) << "GET_MODULE_HANDLE_EX_FLAG_PIN | FROM_ADDRESS";
  EXPECT_TRUE(pin.pinned);
}
#endif

}  // namespace
}  // namespace quillon_test
