// Arbitrary console lines into the plug-in's ten commands: the built plug-in inside the
// stand-in server (build 0) with the players `make run` starts with and players whose
// host data is odd but possible (--odd-players).
//
// An input is one console line. Its first byte picks the command (byte % 10) and whether
// one of the line's host allocations fails (byte / 10 % 4: none, or the first, second
// or third); the rest is the text typed after the keyword, any bytes up to the first
// NUL, where the host's line ends. The empty input hands every command a null and an
// empty argument.
//
// After every input the host's books must balance: every host block a command took is
// back, no release of a block the host never gave, every call left the stack as the
// host's convention requires, no host call the plug-in should never make, the command
// list and the script command table unchanged, and every printed line one the command
// can print.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/expected_output.h"
#include "standin/console/console_format.h"
#include "standin/server.h"
#include "standin/world/world.h"

namespace quillon_fuzz {

namespace {

struct Books {
  std::size_t live_blocks;
  std::uint64_t live_bytes;
};

std::string Visible(const std::string& text) {
  std::string shown;
  for (unsigned char c : text.substr(0, 200)) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    shown += escaped;
  }
  return text.size() > 200 ? shown + "..." : shown;
}

// The names of the world's players, as the console shows them.
std::vector<std::string> Player_Names(const standin::world::World& world) {
  std::vector<std::string> names;
  for (const standin::world::Player& player : world.Players()) {
    names.push_back(standin::Utf16_To_Utf8(player.name.c_str()));
  }
  return names;
}

class Harness {
 public:
  // Boots the server with the plug-in; exits the process when that fails.
  explicit Harness(const std::string& plugin);

  void Run_Line(unsigned index, unsigned failing, const std::string& text);
  void Run_Null_And_Empty();

 private:
  Books Books_Now() { return {server_.Heap().Live_Blocks(), server_.Heap().Live_Bytes()}; }
  [[noreturn]] void Fail(const std::string& what, const std::string& text);
  void Check_Host(const Books& before, const std::string& text);
  void Check_Printed(unsigned index, const std::string& text, bool allocation_failed);
  void Forget_Input();

  standin::Server server_;
  std::unique_ptr<ExpectedOutput> expected_;
  std::vector<std::uint8_t> table_;
  std::vector<void*> commands_;
};

standin::ServerOptions Fuzz_Options() {
  standin::ServerOptions options;
  options.build = standin::HostBuild::Build_0;
  options.world = standin::StartingWorld::OddPlayers;
  return options;
}

Harness::Harness(const std::string& plugin) : server_(Fuzz_Options()) {
  if (!server_.Boot(plugin)) {
    std::fprintf(stderr, "quillon_fuzz: cannot boot %s: %s\n", plugin.c_str(),
                 server_.Error().c_str());
    std::exit(2);
  }
  commands_ = server_.Commands().Commands();
  if (commands_.size() != Command_Count || server_.Console().Printed().size() != 1 ||
      server_.Console().Printed()[0] != "Console commands injected.\n") {
    Fail("the plug-in did not register its ten commands and say so", "");
  }
  expected_ = std::make_unique<ExpectedOutput>(Player_Names(server_.World().Players()));
  table_.assign(server_.Table().Record(), server_.Table().Record() + standin::Script_Table_Bytes);
  Forget_Input();
}

void Harness::Fail(const std::string& what, const std::string& text) {
  std::fprintf(stderr, "quillon_fuzz: %s\n  argument text (%zu bytes): \"%s\"\n", what.c_str(),
               text.size(), Visible(text).c_str());
  for (const std::string& line : server_.Console().Printed()) {
    std::fprintf(stderr, "  printed: \"%s\"\n", Visible(line).c_str());
  }
  std::abort();
}

void Harness::Check_Host(const Books& before, const std::string& text) {
  const Books after = Books_Now();
  if (after.live_blocks != before.live_blocks || after.live_bytes != before.live_bytes) {
    Fail("a host block taken during the command was not given back", text);
  }
  const std::vector<std::string>* errors[] = {
      &server_.Heap().Errors(), &server_.Call_Errors(), &server_.Commands().Errors(),
      &server_.Exports().Stack_Errors(), &server_.World().Players().Errors()};
  for (const std::vector<std::string>* list : errors) {
    if (!list->empty()) Fail("the host recorded: " + list->front(), text);
  }
  if (server_.Commands().Commands() != commands_) Fail("the command list changed", text);
  if (std::memcmp(server_.Table().Record(), table_.data(), table_.size()) != 0) {
    Fail("a command wrote into the script command table", text);
  }
}

void Harness::Check_Printed(unsigned index, const std::string& text, bool allocation_failed) {
  const std::string problem =
      expected_->Check(index, text, allocation_failed, server_.Console().Printed());
  if (!problem.empty()) Fail(std::string(Known_Commands[index].name) + ": " + problem, text);
}

// Everything an input left behind goes before the next one: a fresh world, no failing
// allocation, no record of what was printed or allocated.
void Harness::Forget_Input() {
  server_.Heap().Stop_Failing();
  server_.Heap().Forget_Log();
  server_.Console().Forget();
  server_.Reset_World();
}

void Harness::Run_Line(unsigned index, unsigned failing, const std::string& text) {
  standin::HostHeap& heap = server_.Heap();
  const Books before = Books_Now();
  const std::uint64_t failing_ordinal = heap.Allocations() + failing;
  if (failing != 0) heap.Fail_Allocation(failing_ordinal);
  server_.Execute_Line(std::string(Known_Commands[index].name) + " " + text);
  const bool allocation_failed = failing != 0 && heap.Allocations() >= failing_ordinal;
  Check_Host(before, text);
  Check_Printed(index, text, allocation_failed);
  Forget_Input();
}

void Harness::Run_Null_And_Empty() {
  for (unsigned i = 0; i < Command_Count; ++i) {
    const Books before = Books_Now();
    server_.Activate(commands_[i], nullptr);
    if (!server_.Console().Printed().empty()) Fail("a null argument printed a line", "(null)");
    server_.Activate(commands_[i], "");
    Check_Host(before, "");
    Check_Printed(i, "", false);
    Forget_Input();
  }
}

Harness* The_Harness = nullptr;

}  // namespace

}  // namespace quillon_fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* plugin = std::getenv("QUILLON_PLUGIN");
  // Lives as long as the process: the plug-in's command objects stay in its list.
  quillon_fuzz::The_Harness =
      new quillon_fuzz::Harness(plugin != nullptr ? plugin : QUILLON_PLUGIN_PATH);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    quillon_fuzz::The_Harness->Run_Null_And_Empty();
    return 0;
  }
  const unsigned index = data[0] % quillon_fuzz::Command_Count;
  const unsigned failing = data[0] / quillon_fuzz::Command_Count % 4;
  const char* text = reinterpret_cast<const char*>(data + 1);
  quillon_fuzz::The_Harness->Run_Line(index, failing, std::string(text, strnlen(text, size - 1)));
  return 0;
}
