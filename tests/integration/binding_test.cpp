// Set_Script_Commands: the table check, the 115 lookups in vkl.dll with their
// warning boxes, and the 33 table slots they overwrite.
#include <algorithm>

#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

using standin::Extension_Name_Count;
using standin::Extension_Names;
using standin::ExtensionLibrary;

std::vector<unsigned> Slots_Of_The_List() {
  std::vector<unsigned> slots;
  for (const standin::ExtensionName& name : Extension_Names) {
    if (name.slot != 0) slots.push_back(name.slot);
  }
  std::sort(slots.begin(), slots.end());
  return slots;
}

std::uint32_t Function_Word(const std::string& name) {
  return standin::Word(ExtensionLibrary::Function_Of(name));
}

void Expect_Table_Untouched(standin::Server& server, std::uint32_t size, std::uint32_t version) {
  EXPECT_EQ(server.Table().Changed_Slots(), std::vector<unsigned>());
  EXPECT_EQ(server.Table().Field(0), size);
  EXPECT_EQ(server.Table().Field(4), version);
}

void Expect_Nothing_Bound_Or_Registered(standin::Server& server) {
  EXPECT_TRUE(Extension_Lookups(server).empty());
  EXPECT_TRUE(server.Api().boxes.empty());
  EXPECT_TRUE(server.Commands().Commands().empty());
  EXPECT_EQ(server.Commands().Finalize_Count(), 0u);
  EXPECT_TRUE(server.Console().Printed().empty());
}

using TableBinding = PluginTest;

TEST_F(TableBinding, RefusesATableWithAnotherSizeOrVersion) {
  const std::pair<std::uint32_t, std::uint32_t> fields[] = {{816, 175}, {816, 173}, {815, 174},
                                                            {817, 174}, {0, 0},     {174, 816}};
  for (const auto& [size, version] : fields) {
    SCOPED_TRACE("size " + std::to_string(size) + ", version " + std::to_string(version));
    standin::ServerOptions options;
    options.table_size = size;
    options.table_version = version;
    standin::Server& server = Boot(options);
    EXPECT_FALSE(server.Report().script_commands);
    Expect_Table_Untouched(server, size, version);
    Expect_Nothing_Bound_Or_Registered(server);
  }
}

TEST_F(TableBinding, LooksUpEveryNameOnceInListOrderAndFillsItsSlots) {
  standin::Server& server = Boot();
  ASSERT_TRUE(server.Report().script_commands);
  const std::vector<standin::LookupCall> lookups = Extension_Lookups(server);
  ASSERT_EQ(lookups.size(), Extension_Name_Count);
  for (unsigned i = 0; i < Extension_Name_Count; ++i) {
    EXPECT_EQ(lookups[i].name, Extension_Names[i].name) << "lookup " << i;
  }
  EXPECT_TRUE(server.Api().boxes.empty());
  EXPECT_EQ(server.Table().Changed_Slots(), Slots_Of_The_List());
  for (const standin::ExtensionName& name : Extension_Names) {
    if (name.slot != 0) {
      EXPECT_EQ(server.Table().Slot(name.slot), Function_Word(name.name)) << name.name;
    }
  }
  EXPECT_EQ(server.Table().Slot(708), Function_Word("New_Enable_Stealth"));
  EXPECT_EQ(server.Table().Slot(812), Function_Word("New_Set_Screen_Fade_Opacity"));
  EXPECT_EQ(server.Table().Field(0), standin::Script_Table_Bytes);
  EXPECT_EQ(server.Table().Field(4), standin::Script_Table_Version);
}

TEST_F(TableBinding, AMissingFunctionRaisesOneBoxAndLeavesANullEntry) {
  standin::ServerOptions options;
  options.missing_extensions = {"New_Enable_Collisions", "Set_Scope"};
  standin::Server& server = Boot(options);
  ASSERT_EQ(server.Api().boxes.size(), 2u);
  EXPECT_EQ(server.Api().boxes[0].caption, "Set_Scope");  // list order, not option order
  EXPECT_EQ(server.Api().boxes[1].caption, "New_Enable_Collisions");
  for (const standin::MessageBoxCall& box : server.Api().boxes) {
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, "Error getting function address from vkl.dll");
    EXPECT_EQ(box.style, 0x30u);
  }
  EXPECT_EQ(server.Table().Slot(88), 0u);
  EXPECT_EQ(server.Table().Changed_Slots(), Slots_Of_The_List());
  EXPECT_EQ(Extension_Lookups(server).size(), Extension_Name_Count);
  EXPECT_TRUE(server.Report().script_commands);
  EXPECT_EQ(Registered_Names(server).size(), Command_Count);
}

TEST_F(TableBinding, AnEmptyExtensionLibraryStillRegistersTheCommands) {
  standin::ServerOptions options;
  for (const standin::ExtensionName& name : Extension_Names) {
    options.missing_extensions.push_back(name.name);
  }
  standin::Server& server = Boot(options);
  ASSERT_EQ(server.Api().boxes.size(), Extension_Name_Count);
  for (unsigned i = 0; i < Extension_Name_Count; ++i) {
    EXPECT_EQ(server.Api().boxes[i].caption, Extension_Names[i].name);
  }
  for (unsigned slot : Slots_Of_The_List()) EXPECT_EQ(server.Table().Slot(slot), 0u) << slot;
  EXPECT_TRUE(server.Report().script_commands);
  EXPECT_EQ(server.Console().Printed(), std::vector<std::string>{Injected_Line});
}

TEST_F(TableBinding, ASecondCallBindsAndRegistersAgain) {
  standin::ServerOptions options;
  options.missing_extensions = {"GetExplosionObj"};
  standin::Server& server = Boot(options);
  ASSERT_TRUE(server.Report().script_commands);
  EXPECT_TRUE(server.Exports().Set_Script_Commands(server.Table().Location()));
  const std::vector<standin::LookupCall> lookups = Extension_Lookups(server);
  ASSERT_EQ(lookups.size(), 2 * Extension_Name_Count);
  EXPECT_EQ(lookups[Extension_Name_Count].name, Extension_Names[0].name);
  EXPECT_EQ(server.Api().boxes.size(), 2u);
  const std::vector<std::string> names = Registered_Names(server);
  ASSERT_EQ(names.size(), 2 * Command_Count);
  EXPECT_EQ(names[Command_Count], Known_Commands[0].name);
  EXPECT_EQ(server.Commands().Finalize_Count(), 2u);
  EXPECT_EQ(server.Console().Printed(), (std::vector<std::string>{Injected_Line, Injected_Line}));
}

TEST_F(TableBinding, ARefusedTableCanBeFollowedByAGoodOne) {
  standin::ServerOptions options;
  options.table_version = 175;
  standin::Server& server = Boot(options);
  ASSERT_FALSE(server.Report().script_commands);
  const std::uint32_t good_version = standin::Script_Table_Version;
  std::copy_n(reinterpret_cast<const std::uint8_t*>(&good_version), 4, server.Table().Record() + 4);
  EXPECT_TRUE(server.Exports().Set_Script_Commands(server.Table().Location()));
  EXPECT_EQ(server.Table().Changed_Slots(), Slots_Of_The_List());
  EXPECT_EQ(Registered_Names(server).size(), Command_Count);
}

TEST_F(TableBinding, NoTableAtTheLocationIsRefused) {
  standin::Server& server = Load_Only();
  ASSERT_TRUE(server.Module().Loaded());
  server.Exports().Plugin_Load(ExtensionLibrary::Module_Handle(), 0, nullptr, nullptr,
                               server.Plugin_Info().Data());
  EXPECT_FALSE(server.Exports().Set_Script_Commands(nullptr));
  void* no_table = nullptr;
  EXPECT_FALSE(server.Exports().Set_Script_Commands(&no_table));
  Expect_Nothing_Bound_Or_Registered(server);
  EXPECT_TRUE(server.Exports().Set_Script_Commands(server.Table().Location()));
}

// Refused after a good one, no table at the location leaves the good table's pointer:
// the registered commands still reach its slots.
TEST_F(TableBinding, NoTableAfterAGoodOneKeepsTheGoodOne) {
  standin::ServerOptions options;
  options.world = standin::StartingWorld::Players;
  standin::Server& server = Boot(options);
  ASSERT_TRUE(server.Report().script_commands);
  EXPECT_FALSE(server.Exports().Set_Script_Commands(nullptr));
  void* no_table = nullptr;
  EXPECT_FALSE(server.Exports().Set_Script_Commands(&no_table));
  EXPECT_EQ(Type("givepoints 3 50"), Lines{"Zoë has been given 50.000000 points.\n"});
  EXPECT_EQ(Actions(), Lines{"Give_Points(soldier 3, 50 [0x42480000], 0)"});
}

}  // namespace
}  // namespace quillon_test
