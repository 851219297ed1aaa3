// The plug-in when the host heap says no. A plain cdecl allocation function can report
// failure in one way only, by returning null, so that is the failure the host makes
// here: for every host allocation that start-up and each command make, one run in
// which exactly that allocation returns null. The plug-in must survive each of them,
// leave out only what the refused block was for, and give every other block back.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "standin/loader/preload_module.h"
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

standin::ServerOptions With_Players() {
  standin::ServerOptions options;
  options.world = standin::StartingWorld::Players;
  return options;
}

// The number of the host allocation (counted from 1) that produced `block`.
std::uint64_t Ordinal_Of(const standin::HostHeap& heap, const void* block) {
  std::uint64_t ordinal = 0;
  for (const standin::HeapEvent& event : heap.Log()) {
    if (event.kind != standin::HeapEvent::Allocate &&
        event.kind != standin::HeapEvent::Allocate_Failed) {
      continue;
    }
    ++ordinal;
    if (event.block == reinterpret_cast<std::uintptr_t>(block)) return ordinal;
  }
  return 0;
}

// The host calls of the world that change something, lookups left out.
Lines World_Actions(const standin::Server& server, std::size_t first) {
  Lines actions;
  for (std::string& call : standin::world::Actions_Of(server.World().Calls(), first)) {
    if (call.rfind("Find_Definition_By_Name(", 0) != 0) actions.push_back(std::move(call));
  }
  return actions;
}

// Failed expectations of the running test so far.
int Failures() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

// The figure, with the neighbour modules that were loaded before the plug-in.
void Report(const char* phase, unsigned survived, unsigned points) {
  std::string beside;
  for (const std::string& neighbour : Neighbour_Modules()) {
    const std::size_t slash = neighbour.find_last_of("/\\");
    beside += (beside.empty() ? " with " : ", ") + neighbour.substr(slash + 1) + " loaded first";
  }
  std::printf("allocation failure points: %s: %u of %u survived%s\n", phase, survived, points,
              beside.c_str());
}

using AllocationFailure = PluginTest;

// A clean start-up, then one start-up for each of its allocations failing: the module
// entry's vector math tables and the ten command objects.
TEST_F(AllocationFailure, EveryStartUpAllocationLeavesOutOnlyWhatItWasFor) {
  std::uint64_t points = 0;
  std::size_t kept_blocks = 0;
  std::map<std::uint64_t, std::string> command_made_by;
  {
    standin::Server& server = Boot(With_Players());
    points = server.Heap().Allocations();
    kept_blocks = server.Heap().Live_Blocks();
    for (void* command : server.Commands().Commands()) {
      command_made_by[Ordinal_Of(server.Heap(), command)] =
          server.Command_Text(command, standin::command_slot::Get_Name);
    }
  }
  ASSERT_EQ(command_made_by.size(), Command_Count);
  ASSERT_EQ(kept_blocks, points) << "every start-up block is kept for good";

  unsigned survived = 0;
  for (std::uint64_t k = 1; k <= points; ++k) {
    SCOPED_TRACE("allocation " + std::to_string(k) + " fails");
    const int failures = Failures();
    standin::ServerOptions options = With_Players();
    options.failing_allocations = {k};
    standin::Server& server = Boot(options);
    EXPECT_TRUE(server.Report().script_commands);
    Lines names;
    for (const KnownCommand& command : Known_Commands) {
      if (command_made_by[k] != command.name) names.push_back(command.name);
    }
    EXPECT_EQ(Registered_Names(server), names);
    EXPECT_EQ(server.Commands().Finalize_Count(), 1u);
    EXPECT_EQ(server.Console().Printed(), Lines{Injected_Line});
    EXPECT_EQ(server.Heap().Allocations(), points) << "a refused block is not asked for again";
    EXPECT_EQ(server.Heap().Live_Blocks(), kept_blocks - 1);
    if (command_made_by[k] != "teleport") {
      EXPECT_EQ(Type("teleport 1 1 2 3"),
                Lines{"Havoc has been moved to 1.000000 2.000000 3.000000\n"});
    }
    Finish();  // the host's books, checked for this start-up
    if (Failures() == failures) ++survived;
  }
  Report("start-up", survived, static_cast<unsigned>(points));
}

// Lines that make every command take all the blocks it can: words longer than a string
// holds in place, so each copy of a word is a block of its own.
struct TypedLine {
  const char* line;
  Lines printed;  // when nothing fails
};

const TypedLine Long_Word_Lines[] = {
    {"changecharacter 00000000000000000001 Sniper and-words-no-command-reads", {}},
    {"freeze 00000000000000000003 and-words-no-command-reads", {}},
    {"unfreeze 00000000000000000003", {}},
    {"flymode 00000000000000000001", {"Flying mode toggled for player Havoc.\n"}},
    {"flymode 00000000000000000077", {"Error: Player not found.\n"}},
    {"givepoints 00000000000000000003 00000000000000000050.5",
     {"Zoë has been given 50.500000 points.\n"}},
    {"killplayer 00000000000000000001 and-words-no-command-reads",
     {"Havoc has been force-killed.\n"}},
    {"refund 00000000000000000004 0.1", {"Ярослав has been refunded 0.100000 credits.\n"}},
    {"setcredits 00000000000000000002 00000000000000001000",
     {"Sydney's credits has been set to 1000.000000.\n"}},
    {"setpoints 00000000000000000001 -7.25 and-words-no-command-reads",
     {"Havoc's points has been set to -7.250000.\n"}},
    {"teleport 00000000000000000001 0000000000000010.0 0000000000000020.0 0000000000000030.25",
     {"Havoc has been moved to 10.000000 20.000000 30.250000\n"}},
};

// For each line: a clean run counts its allocations; then one run per allocation with
// that one failing must print nothing, change nothing in the world and keep no block;
// and the next clean run works as before.
TEST_F(AllocationFailure, ACommandThatCannotAllocateEndsSilentlyAndGivesEverythingBack) {
  unsigned points = 0, survived = 0;
  for (const TypedLine& typed : Long_Word_Lines) {
    SCOPED_TRACE(typed.line);
    standin::Server& server = Boot(With_Players());
    standin::HostHeap& heap = server.Heap();
    const std::uint64_t before = heap.Allocations();
    EXPECT_EQ(Type(typed.line), typed.printed);
    const std::uint64_t taken = heap.Allocations() - before;
    for (std::uint64_t k = 1; k <= taken; ++k) {
      SCOPED_TRACE("allocation " + std::to_string(k) + " of the line fails");
      const int failures = Failures();
      const std::size_t live = heap.Live_Blocks();
      const std::size_t calls = server.World().Calls().size();
      const std::uint64_t start = heap.Allocations();
      heap.Fail_Allocation(start + k);
      EXPECT_EQ(Type(typed.line), Lines{});
      EXPECT_EQ(World_Actions(server, calls), Lines{});
      EXPECT_EQ(heap.Live_Blocks(), live);
      EXPECT_GE(heap.Allocations() - start, k) << "the failing allocation was reached";
      EXPECT_EQ(Type(typed.line), typed.printed) << "the command works again";
      ++points;
      if (Failures() == failures) ++survived;
    }
  }
  Report("commands", survived, points);
  EXPECT_GT(points, 0u);
}

// The sweeps above prove something beside a neighbour only if the neighbour is really
// in the process when the plug-in starts.
TEST_F(AllocationFailure, NeighbourModulesAreLoadedBeforeThePlugIn) {
  Load_Only(With_Players());
  for (const std::string& neighbour : Neighbour_Modules()) {
    const std::size_t slash = neighbour.find_last_of("/\\");
    EXPECT_TRUE(standin::Is_Module_Loaded(neighbour.substr(slash + 1))) << neighbour;
  }
}

}  // namespace
}  // namespace quillon_test
