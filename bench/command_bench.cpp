// One Activate per command against the stand-in's world, bound straight into the
// plug-in, with the world's call log off: what a command costs the plug-in itself.
// The "host_blocks" counter is the number of host heap blocks one Activate takes.
#include <benchmark/benchmark.h>

#include "commands/console_commands.h"
#include "fake_host.h"
#include "standin/world/world.h"
#include "world_host.h"

namespace {

void Activate(benchmark::State& state, void (*steps)(const char*), const char* arguments) {
  world_host::Bound_World host(standin::world::World::Default());
  host.world().Set_Logging(false);
  fake_host::Discard_Console_Lines();
  const int before = fake_host::Heap().allocations;
  for (auto _ : state) {
    steps(arguments);
  }
  state.counters["host_blocks"] =
      benchmark::Counter(static_cast<double>(fake_host::Heap().allocations - before),
                         benchmark::Counter::kAvgIterations);
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
