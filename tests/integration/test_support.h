// Shared pieces of the integration tests: the plug-in under test and a fixture that
// boots it in the stand-in server and checks the host's books afterwards. The commands
// as an operator knows them are tests/support/known_commands.h.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "standin/server.h"
#include "tests/support/known_commands.h"

namespace quillon_test {

// The plug-in module the tests load.
const std::string& Plugin_Path();
void Set_Plugin_Path(const std::string& path);

// Modules of other plug-ins every server loads before ours (`--preload PATH`).
std::vector<std::string>& Neighbour_Modules();

// The host threads' floating-point state of every server a test boots without naming
// another: the environment variable QUILLON_TEST_FPU, or "host".
const std::string& Suite_Fpu_State();

// The names of the host thread states (standin/platform/fpu_control.h), for tests run in each,
// and the test name of each (letters, digits and underscores).
std::vector<std::string> Fpu_State_Names();
std::string Fpu_State_Test_Name(const ::testing::TestParamInfo<std::string>& info);

using Lines = std::vector<std::string>;

constexpr const char* Injected_Line = "Console commands injected.\n";

// Boots servers and, when each test ends, shuts the current one down and checks
// what every test must leave clean: no release of an unknown block, no export or
// command that unbalanced the stack, no misuse of the command list, no call of the
// loader object or the destroy callback.
class PluginTest : public ::testing::Test {
 protected:
  void TearDown() override { Finish(); }

  // Shuts down any running server first. Fails the test if the plug-in cannot load.
  // Options that keep the "host" state get the suite's (Suite_Fpu_State).
  standin::Server& Boot(standin::ServerOptions options = {});
  // Loads the module and runs its entry, without the loader sequence.
  standin::Server& Load_Only(standin::ServerOptions options = {});
  void Finish();

  // Types one line at the running server's console; returns what the plug-in printed.
  // Every block a command takes goes back before it returns.
  Lines Type(const std::string& line);
  // The world's calls for the last typed line, and those of them that act or ask the
  // engine, lookups left out.
  Lines Calls() const;
  Lines Actions() const;

  std::unique_ptr<standin::Server> server_;
  std::size_t first_call_ = 0;
};

// The lookups the plug-in made in the extension library (other modules left out).
std::vector<standin::LookupCall> Extension_Lookups(const standin::Server& server);
// The names of the registered commands, in list order.
std::vector<std::string> Registered_Names(standin::Server& server);
// The plug-in's prints since `first` (an index into the print record).
std::vector<std::string> Printed_Since(standin::Server& server, std::size_t first);
// Whether the build is one the plug-in should recognise from its signature.
bool Recognised(const standin::ServerOptions& options);

}  // namespace quillon_test
