// The plug-in as the ZORM loader sees it: the module entry, the loader records, and
// which host builds make it take the script command table, on every build the host
// comes in and on memory that tells no build.
#include <algorithm>

#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

using standin::HostBuild;

struct HostSetup {
  const char* label;
  HostBuild build;
  bool unreadable_probes;
  bool sse;
};

const HostSetup Host_Setups[] = {
    {"Build0", HostBuild::Build_0, false, true},
    {"Build0WithoutSse", HostBuild::Build_0, false, false},
    {"Build1", HostBuild::Build_1, false, true},
    {"Build4", HostBuild::Build_4, false, true},
    {"UnknownBuild", HostBuild::None, false, true},
    {"Build0UnreadableProbes", HostBuild::Build_0, true, true},
    {"Build4UnreadableProbes", HostBuild::Build_4, true, true},
};

standin::ServerOptions Options_For(const HostSetup& setup) {
  standin::ServerOptions options;
  options.build = setup.build;
  options.unreadable_probes = setup.unreadable_probes;
  options.sse = setup.sse;
  return options;
}

void Expect_Text(const standin::HostStringContents& contents, const std::string& text) {
  EXPECT_EQ(contents.problem, "");
  EXPECT_EQ(contents.text, text);
  EXPECT_EQ(contents.length, text.size());
}

class LoaderTest : public PluginTest, public ::testing::WithParamInterface<HostSetup> {};

TEST_P(LoaderTest, FillsTheLoaderRecordsAndTouchesNothingElse) {
  standin::Server& server = Boot(Options_For(GetParam()));
  ASSERT_TRUE(server.Module().Loaded());
  EXPECT_EQ(server.Report().entry_result, 1);
  EXPECT_TRUE(server.Report().check_version);
  Expect_Text(server.Report().framework_version, "2.0.2");
  EXPECT_EQ(server.Version_Report().Byte(standin::version_report::Flag), 0);
  Expect_Text(server.Report().plugin_name, "Quillon Plugin");
  Expect_Text(server.Report().plugin_version, "1.0");
  EXPECT_EQ(server.Version_Report().Foreign_Changes(), std::vector<unsigned>());
  EXPECT_EQ(server.Plugin_Info().Foreign_Changes(), std::vector<unsigned>());
  ASSERT_FALSE(server.Operator_Lines().empty());
  EXPECT_EQ(server.Operator_Lines()[0], "ZORM: Quillon Plugin 1.0 loaded (framework 2.0.2)\n");
}

TEST_P(LoaderTest, WritesIntoTheBlockAStringAlreadyHas) {
  standin::Server& server = Load_Only(Options_For(GetParam()));
  ASSERT_TRUE(server.Module().Loaded());
  server.Version_Report().Hold_In_Block(standin::version_report::Framework_Version,
                                        "an older framework", 31, &server.Heap());
  server.Plugin_Info().Hold_In_Block(standin::plugin_info::Name, "a longer name from before", 47,
                                     &server.Heap());
  server.Plugin_Info().Hold_In_Block(standin::plugin_info::Version, "", 16, &server.Heap());
  const std::uint64_t allocations = server.Heap().Allocations();
  const std::uint64_t releases = server.Heap().Releases();
  server.Play_Loader();
  const standin::BootReport& report = server.Report();
  Expect_Text(report.framework_version, "2.0.2");
  Expect_Text(report.plugin_name, "Quillon Plugin");
  Expect_Text(report.plugin_version, "1.0");
  EXPECT_EQ(report.framework_version.capacity, 31u);
  EXPECT_EQ(report.plugin_name.capacity, 47u);
  EXPECT_EQ(report.plugin_version.capacity, 16u);
  EXPECT_EQ(server.Heap().Releases(), releases) << "a block big enough is kept";
  if (!Recognised(server.Options())) {
    EXPECT_EQ(server.Heap().Allocations(), allocations);
  }
  EXPECT_EQ(server.Version_Report().Foreign_Changes(), std::vector<unsigned>());
  EXPECT_EQ(server.Plugin_Info().Foreign_Changes(), std::vector<unsigned>());
}

TEST_P(LoaderTest, CreateScriptKnowsNoScriptType) {
  standin::Server& server = Boot(Options_For(GetParam()));
  ASSERT_TRUE(server.Module().Loaded());
  for (const char* name : {"", "Quillon", "changecharacter", "M00_Disable_Physical_Collision"}) {
    EXPECT_EQ(server.Exports().Create_Script(name), nullptr) << name;
  }
  EXPECT_EQ(server.Exports().Create_Script(nullptr), nullptr);
}

TEST_P(LoaderTest, TakesTheTableOnlyInARecognisedBuild) {
  const HostSetup& setup = GetParam();
  standin::Server& server = Boot(Options_For(setup));
  ASSERT_TRUE(server.Module().Loaded());
  if (!Recognised(server.Options())) {
    // No build, no host functions: the plug-in declines the table and stays quiet.
    EXPECT_FALSE(server.Report().script_commands);
    EXPECT_EQ(server.Table().Changed_Slots(), std::vector<unsigned>());
    EXPECT_TRUE(server.Api().lookups.empty());
    EXPECT_TRUE(server.Api().boxes.empty());
    EXPECT_TRUE(server.Log().empty()) << "no registration and no console line";
    EXPECT_EQ(server.Heap().Allocations(), 0u) << "no host allocator exists to call";
    return;
  }
  EXPECT_TRUE(server.Report().script_commands);
  EXPECT_EQ(server.Commands().Commands().size(), Command_Count);
  EXPECT_EQ(server.Commands().Finalize_Count(), 1u);
  if (setup.build == HostBuild::Build_4) {
    EXPECT_EQ(server.Console().Printed(), std::vector<std::string>()) << "build 4 has no console";
  } else {
    EXPECT_EQ(server.Console().Printed(), std::vector<std::string>{Injected_Line});
  }
}

TEST_P(LoaderTest, UnloadReleasesNothingAndCallsNoHostFunction) {
  standin::Server& server = Boot(Options_For(GetParam()));
  ASSERT_TRUE(server.Module().Loaded());
  const std::size_t heap_events = server.Heap().Log().size();
  const std::size_t console_events = server.Log().size();
  server.Exports().Plugin_Unload();
  EXPECT_EQ(server.Heap().Log().size(), heap_events);
  EXPECT_EQ(server.Log().size(), console_events);
}

INSTANTIATE_TEST_SUITE_P(EveryHost, LoaderTest, ::testing::ValuesIn(Host_Setups),
                         [](const ::testing::TestParamInfo<HostSetup>& info) {
                           return std::string(info.param.label);
                         });

using ModuleEntry = PluginTest;

// A loader that hands over no record: nothing is written through the null pointer, and
// the extension library's handle still arrives, so binding works afterwards.
TEST_F(ModuleEntry, NullRecordsAreLeftAlone) {
  standin::Server& server = Load_Only();
  ASSERT_TRUE(server.Module().Loaded());
  EXPECT_TRUE(server.Exports().Check_Version(nullptr, nullptr));
  server.Exports().Plugin_Load(standin::ExtensionLibrary::Module_Handle(), 0, nullptr, nullptr,
                               nullptr);
  EXPECT_TRUE(server.Exports().Set_Script_Commands(server.Table().Location()));
  EXPECT_EQ(server.Commands().Commands().size(), Command_Count);
  EXPECT_TRUE(server.Api().boxes.empty()) << "every lookup went to the handle it was given";
}

#if defined(_WIN32)
TEST_F(ModuleEntry, ImportsOfTheWindowsFunctionsReachTheStandIn) {
  standin::Server& server = Load_Only();
  const std::vector<std::string>& redirected = server.Module().Redirected_Imports();
  EXPECT_NE(std::find(redirected.begin(), redirected.end(), "GetProcAddress"), redirected.end());
  EXPECT_NE(std::find(redirected.begin(), redirected.end(), "MessageBoxA"), redirected.end());
}
#else
TEST_F(ModuleEntry, SwitchesOffThreadNotificationsForItsOwnModule) {
  standin::Server& server = Load_Only();
  ASSERT_TRUE(server.Module().Loaded());
  EXPECT_EQ(server.Api().disable_thread_calls, std::vector<const void*>{server.Module().Handle()});
}

TEST_F(ModuleEntry, OtherReasonsAndARepeatedAttachChangeNothing) {
  standin::Server& server = Load_Only();
  ASSERT_TRUE(server.Module().Loaded());
  const std::uint64_t allocations = server.Heap().Allocations();
  for (std::uint32_t reason : {0u, 2u, 3u}) {
    EXPECT_EQ(server.Exports().Dll_Main(server.Module().Handle(), reason, nullptr), 1);
  }
  EXPECT_EQ(server.Api().disable_thread_calls.size(), 1u);
  // A second attach finds the build resolved: no second start-up, no new host blocks.
  EXPECT_EQ(server.Exports().Dll_Main(server.Module().Handle(), 1, nullptr), 1);
  EXPECT_EQ(server.Heap().Allocations(), allocations);
  EXPECT_TRUE(server.Log().empty());
}

// A start-up that found no build (the host's code not yet readable at the first attach)
// is tried again by the next attach, and the plug-in then binds and registers. A
// start-up guard that stayed set after its first run would leave the plug-in unbound,
// with no commands, for the life of the server.
TEST_F(ModuleEntry, AnAttachAfterAStartUpThatFoundNoBuildLooksAgain) {
  standin::ServerOptions options;
  options.unreadable_probes = true;
  standin::Server& server = Load_Only(options);
  ASSERT_TRUE(server.Module().Loaded());
  ASSERT_TRUE(server.Image().Set_Probes_Readable(true));
  EXPECT_EQ(server.Exports().Dll_Main(server.Module().Handle(), 1, nullptr), 1);
  server.Play_Loader();
  EXPECT_TRUE(server.Report().script_commands);
  EXPECT_EQ(server.Commands().Commands().size(), Command_Count);
}
#endif

}  // namespace
}  // namespace quillon_test
