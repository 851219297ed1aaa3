// The ten commands end to end: the built plug-in inside the stand-in server with its
// world of players, typed as console lines. Checks the exact host calls (floats by
// their bits) and their order, the exact console lines, and that no host block
// outlives a command — in the native build and, under Wine, against quillon.dll.
#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"

namespace quillon_test {
namespace {

class WorldCommands : public PluginTest {
 protected:
  standin::Server& Boot_World(standin::HostBuild build = standin::HostBuild::Build_0) {
    standin::ServerOptions options;
    options.build = build;
    options.world = standin::StartingWorld::Players;
    return Boot(options);
  }

  const standin::world::Player& Player(int id) {
    return *server_->World().Players().Find_Player(id);
  }
};

TEST_F(WorldCommands, ScoreCommandsHandTheHost32BitFloatsAndConfirm) {
  Boot_World();
  EXPECT_EQ(Type("givepoints 3 50"), Lines{"Zoë has been given 50.000000 points.\n"});
  EXPECT_EQ(Actions(), Lines{"Give_Points(soldier 3, 50 [0x42480000], 0)"});
  EXPECT_EQ(Type("refund 4 0.1"), Lines{"Ярослав has been refunded 0.100000 credits.\n"});
  EXPECT_EQ(Actions(), Lines{"Give_Credits(soldier 4, 0.1 [0x3DCCCCCD], 0)"});
  EXPECT_EQ(Type("setpoints 1 -7.25"), Lines{"Havoc's points has been set to -7.250000.\n"});
  EXPECT_EQ(Actions(), Lines{"Set_Points(record 1, -7.25 [0xC0E80000])"});
  EXPECT_EQ(Type("setcredits 2 1e3 extra"),
            Lines{"Sydney's credits has been set to 1000.000000.\n"});
  EXPECT_EQ(Actions(), Lines{"Set_Credits(record 2, 1000 [0x447A0000])"});
  EXPECT_EQ(Player(3).points, 50.0f);
  EXPECT_EQ(Player(1).points, -7.25f);
  EXPECT_EQ(Player(2).credits, 1000.0f);
}

TEST_F(WorldCommands, TeleportMovesByAVector3AndPrintsWithoutAFullStop) {
  Boot_World();
  EXPECT_EQ(Type("teleport 1 10 20"), Lines{});
  EXPECT_EQ(Actions(), Lines{});
  EXPECT_EQ(Type("teleport 1 1.5 -2 3e2 99"),
            Lines{"Havoc has been moved to 1.500000 -2.000000 300.000000\n"});
  EXPECT_EQ(Actions(),
            Lines{"Set_Object_Position(soldier 1, 1.5 [0x3FC00000], -2 [0xC0000000], 300 "
                  "[0x43960000])"});
  EXPECT_EQ(Player(1).position.y, -2.0f);
}

TEST_F(WorldCommands, PlayerStateCommandsInTheirOrderOfCalls) {
  Boot_World();
  EXPECT_EQ(Type("freeze 4"), Lines{});
  EXPECT_EQ(Actions(), Lines{"Set_Movement_Enabled(soldier 4, 0)"});
  EXPECT_EQ(Type("unfreeze 4 now"), Lines{});
  EXPECT_EQ(Actions(), Lines{"Set_Movement_Enabled(soldier 4, 1)"});
  EXPECT_EQ(Type("flymode 4"), Lines{"Flying mode toggled for player Ярослав.\n"});
  EXPECT_EQ(Actions(), (Lines{"Toggle_Fly_Mode(soldier 4)", "Enable_Collisions(soldier 4)"}));
  EXPECT_TRUE(Player(4).flying);
  EXPECT_EQ(Type("changecharacter 4 Sniper Engineer"), Lines{});
  EXPECT_EQ(Actions(), (Lines{"Find_Definition_By_Name(\"Sniper\", 1)",
                              "Reinit_Soldier_From_Definition(soldier 4, preset Sniper)",
                              "Finish_Reinit(soldier 4)"}));
  EXPECT_EQ(Player(4).preset, "Sniper");
  EXPECT_EQ(Type("changecharacter 4 Buggy"), Lines{});
  EXPECT_EQ(Actions(), Lines{"Find_Definition_By_Name(\"Buggy\", 1)"});
  EXPECT_EQ(Type("changecharacter 3 Engineer"), Lines{});  // seated: refused before the lookup
  EXPECT_EQ(Actions(), Lines{});
}

TEST_F(WorldCommands, KillplayerDriverPassengerAndNobody) {
  Boot_World();
  EXPECT_EQ(Type("killplayer 3"), Lines{"Zoë has been force-killed.\n"});
  EXPECT_EQ(Actions(), Lines{"Destroy_Object(soldier 3)"});
  EXPECT_EQ(Type("killplayer 2 and the rest"), Lines{"Sydney has been force-killed.\n"});
  EXPECT_EQ(Actions(), (Lines{"Apply_Damage(vehicle 1, 99999 [0x47C34F80], \"Death\", null)",
                              "Destroy_Object(soldier 2)"}));
  EXPECT_EQ(Type("killplayer   1"), Lines{"Havoc has been force-killed.\n"});
  EXPECT_EQ(Actions(), Lines{"Apply_Damage(soldier 1, 99999 [0x47C34F80], \"Death\", null)"});
  EXPECT_EQ(Type("killplayer x"), Lines{"None has been force-killed.\n"});
  EXPECT_EQ(Actions(), Lines{});
  // Removed at the end of the frame: the next command finds no usable object.
  EXPECT_EQ(Player(2).life, standin::world::Life::Removed);
  EXPECT_EQ(Type("flymode 2"), Lines{"Flying mode toggled for player None.\n"});
}

TEST_F(WorldCommands, MissingPlayersAndMissingWords) {
  Boot_World();
  EXPECT_EQ(Type("flymode 99"), Lines{"Error: Player not found.\n"});
  EXPECT_EQ(Type("freeze 99"), Lines{});
  EXPECT_EQ(Type("givepoints 99 1"), Lines{"None has been given 1.000000 points.\n"});
  EXPECT_EQ(Type("setcredits 99 1"), Lines{"None's credits has been set to 1.000000.\n"});
  for (const char* line : {"givepoints 3", "refund  ", "setpoints 1", "teleport 1 2 3",
                           "changecharacter 1", "freeze  ", "unfreeze    ", "flymode  "}) {
    EXPECT_EQ(Type(line), Lines{}) << line;
    EXPECT_EQ(Actions(), Lines{}) << line;
  }
}

// Build 4 has no console print and no engine functions; an unrecognised build has no
// commands at all. Neither calls the world nor prints, whatever is typed.
TEST_F(WorldCommands, WithoutEngineFunctionsNothingIsFoundOrPrinted) {
  for (standin::HostBuild build : {standin::HostBuild::Build_4, standin::HostBuild::None}) {
    Boot_World(build);
    for (const char* line : {"givepoints 1 5", "refund 1 5", "setcredits 1 5", "setpoints 1 5",
                             "teleport 1 1 2 3", "freeze 1", "unfreeze 1", "flymode 1",
                             "changecharacter 1 Sniper", "killplayer 1", "freeze"}) {
      EXPECT_EQ(Type(line), Lines{}) << line;
    }
    EXPECT_EQ(server_->World().Calls(), Lines{});
    Finish();
  }
}

// Everything the operator sees and every host call, for a session that also acts on a
// removed player, a vehicle's occupants and players that do not exist.
Lines Session_Record(standin::Server& server) {
  const char* const lines[] = {"givepoints 3 50",
                               "refund 4 12.5",
                               "setcredits 1 1000",
                               "setpoints 2 0.1",
                               "teleport 4 1 2 3",
                               "freeze 1",
                               "unfreeze 1",
                               "flymode 4",
                               "changecharacter 1 Sniper",
                               "changecharacter 3 Sniper",
                               "killplayer 2",
                               "givepoints 2 5",
                               "flymode 2",
                               "freeze 2",
                               "killplayer 2",
                               "killplayer 3",
                               "teleport 2 0 0 0",
                               "flymode 9",
                               "changecharacter 2 Engineer",
                               "setpoints 2 7",
                               "players"};
  for (const char* line : lines) server.Execute_Line(line);
  Lines record = server.Console().Printed();
  const Lines& calls = server.World().Calls();
  record.insert(record.end(), calls.begin(), calls.end());
  record.insert(record.end(), server.Operator_Lines().begin(), server.Operator_Lines().end());
  return record;
}

// The host's compiler defines only AL in a bool result. With garbage in the rest of
// EAX every command acts and prints exactly as with clean answers.
TEST_F(WorldCommands, YesNoAnswersAreReadFromTheLowByteOnly) {
  standin::ServerOptions options;
  options.world = standin::StartingWorld::Players;
  const Lines clean = Session_Record(Boot(options));
  options.dirty_booleans = true;
  const Lines dirty = Session_Record(Boot(options));
  EXPECT_EQ(clean, dirty);
  EXPECT_NE(std::find(clean.begin(), clean.end(), "None has been given 5.000000 points.\n"),
            clean.end())
      << "the session must reach a removed player";
}

}  // namespace
}  // namespace quillon_test
