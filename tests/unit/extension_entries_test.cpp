// The extension functions that replace no script table slot are kept in the plug-in's
// own entries, each at its name's place in the lookup order.
#include <gtest/gtest.h>

#include "host/extension_names.h"
#include "host/script_commands.h"
#include "standin/scripts/extension_library.h"
#include "tests/support/direct_host.h"

namespace {

// An entry left null, or holding another name's function, would call nothing or the
// wrong code once the plug-in uses it; a name with a slot goes to the table instead.
TEST(ExtensionEntries, EachFunctionWithoutASlotIsKeptAtItsNamesPlace) {
  direct_host::BoundHost host;
  host::Extension_Module = standin::ExtensionLibrary::Module_Handle();
  host::Bind_Extension_Functions();
  for (unsigned i = 0; i < host::Extension_Function_Count; ++i) {
    const host::ExtensionFunction& wanted = host::Extension_Functions[i];
    SCOPED_TRACE(wanted.name);
    const void* expected =
        wanted.table_slot == 0 ? standin::ExtensionLibrary::Function_Of(wanted.name) : nullptr;
    EXPECT_NE(standin::ExtensionLibrary::Function_Of(wanted.name), nullptr);
    EXPECT_EQ(host::Extension_Entries[i], expected);
  }
}

}  // namespace
