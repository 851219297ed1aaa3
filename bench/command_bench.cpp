// One Activate per command against the stand-in's world, bound straight into the
// plug-in, with the world's call log off: what a command costs the plug-in itself.
// The "host_blocks" counter is the number of host heap blocks one Activate takes.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "commands/console_commands.h"
#include "standin/world/world.h"
#include "tests/support/direct_host.h"

namespace {

void Activate(benchmark::State& state, void (*steps)(const char*), const char* arguments) {
  direct_host::BoundHost host(standin::world::World::Default());
  host.World().Set_Logging(false);
  host.Silence_Console();
  const std::uint64_t before = host.Heap().Allocations();
  for (auto _ : state) {
    steps(arguments);
    host.Heap().Forget_Log();
  }
  state.counters["host_blocks"] = benchmark::Counter(
      static_cast<double>(host.Heap().Allocations() - before), benchmark::Counter::kAvgIterations);
}

BENCHMARK_CAPTURE(Activate, givepoints, &commands::ConsoleCommand_givepoints::Run, "1 50");
BENCHMARK_CAPTURE(Activate, refund, &commands::ConsoleCommand_refund::Run, "1 50");
BENCHMARK_CAPTURE(Activate, setcredits, &commands::ConsoleCommand_setcredits::Run, "1 50");
BENCHMARK_CAPTURE(Activate, setpoints, &commands::ConsoleCommand_setpoints::Run, "1 50");
BENCHMARK_CAPTURE(Activate, teleport, &commands::ConsoleCommand_teleport::Run, "1 1 2 3");
BENCHMARK_CAPTURE(Activate, freeze, &commands::ConsoleCommand_freeze::Run, "1");
BENCHMARK_CAPTURE(Activate, unfreeze, &commands::ConsoleCommand_unfreeze::Run, "1");
BENCHMARK_CAPTURE(Activate, flymode, &commands::ConsoleCommand_flymode::Run, "1");
BENCHMARK_CAPTURE(Activate, changecharacter, &commands::ConsoleCommand_changecharacter::Run,
                  "1 Soldier_A");
BENCHMARK_CAPTURE(Activate, killplayer, &commands::ConsoleCommand_kill::Run, "4");

}  // namespace
