// The plug-in's table, which the checker reads, against the stand-in server's own map of
// the host, written independently: the same signature, probes and columns per build.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_builds.h"
#include "standin/image/host_layout.h"

namespace {

#define ROW_OF(name, build_0, build_1, build_4, ...) {build_0, build_1, build_4},
struct Columns {
  std::uint32_t build_0, build_1, build_4;
};
constexpr Columns Bridge[] = {QUILLON_BRIDGE_ENTRIES(ROW_OF)};
constexpr Columns Engine[] = {QUILLON_ENGINE_ENTRIES(ROW_OF)};
#undef ROW_OF

TEST(PluginTableAgainstTheStandin, SignatureAndProbes) {
  ASSERT_EQ(host::Build_Signature_Length, standin::Signature_Length);
  EXPECT_EQ(std::memcmp(host::Build_Signature, standin::Build_Signature, standin::Signature_Length),
            0);
  ASSERT_EQ(std::size(host::Signature_Probes), 3u);
  EXPECT_EQ(host::Signature_Probes[0].address, standin::Signature_Build_0);
  EXPECT_EQ(host::Signature_Probes[0].build, host::Build_0);
  EXPECT_EQ(host::Signature_Probes[1].address, standin::Signature_Build_1);
  EXPECT_EQ(host::Signature_Probes[1].build, host::Build_1);
  EXPECT_EQ(host::Signature_Probes[2].address, standin::Signature_Build_4);
  EXPECT_EQ(host::Signature_Probes[2].build, host::Build_4);
}

TEST(PluginTableAgainstTheStandin, WhatEachBuildBinds) {
  // Rows: Host_Alloc, Host_Alloc_Array, Host_Free, Host_Free_Array, Console_Output,
  // Host_SSE_Flag; then Find_Definition_By_Name, Find_Player, Reinit_Soldier, Toggle_Fly.
  struct Build {
    std::uint32_t Columns::*column;
    standin::HostBuild standin;
  };
  for (const Build build : {Build{&Columns::build_0, standin::HostBuild::Build_0},
                            Build{&Columns::build_1, standin::HostBuild::Build_1},
                            Build{&Columns::build_4, standin::HostBuild::Build_4}}) {
    const standin::BridgeAddresses& bridge = standin::Bridge_For(build.standin);
    const standin::EngineAddresses& engine = standin::Engine_For(build.standin);
    const std::uint32_t bridge_expected[] = {bridge.alloc, bridge.alloc,          bridge.free,
                                             bridge.free,  bridge.console_output, bridge.sse_flag};
    const std::uint32_t engine_expected[] = {engine.find_definition_by_name, engine.find_player,
                                             engine.reinit_soldier_from_definition,
                                             engine.toggle_fly_mode};
    ASSERT_EQ(std::size(Bridge), std::size(bridge_expected));
    ASSERT_EQ(std::size(Engine), std::size(engine_expected));
    for (std::size_t i = 0; i < std::size(Bridge); ++i) {
      EXPECT_EQ(Bridge[i].*build.column, bridge_expected[i]) << "bridge row " << i;
    }
    for (std::size_t i = 0; i < std::size(Engine); ++i) {
      EXPECT_EQ(Engine[i].*build.column, engine_expected[i]) << "engine row " << i;
    }
  }
}

}  // namespace
