#include "tests/integration/test_support.h"

#include <cstdlib>

#include "standin/platform/fpu_control.h"

namespace quillon_test {

namespace {
std::string& Path() {
  static std::string path = QUILLON_PLUGIN_PATH;
  return path;
}
}  // namespace

const std::string& Plugin_Path() { return Path(); }
void Set_Plugin_Path(const std::string& path) { Path() = path; }

std::vector<std::string>& Neighbour_Modules() {
  static std::vector<std::string> modules;
  return modules;
}

const std::string& Suite_Fpu_State() {
  static const std::string state = [] {
    const char* name = std::getenv("QUILLON_TEST_FPU");
    return std::string(name != nullptr && *name != 0 ? name : "host");
  }();
  return state;
}

std::vector<std::string> Fpu_State_Names() {
  std::vector<std::string> names;
  for (const standin::NamedFpuState& named : standin::Host_Thread_States) {
    names.push_back(named.name);
  }
  return names;
}

std::string Fpu_State_Test_Name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

standin::Server& PluginTest::Load_Only(standin::ServerOptions options) {
  Finish();
  for (const std::string& neighbour : Neighbour_Modules()) options.preload.push_back(neighbour);
  if (options.fpu == "host") options.fpu = Suite_Fpu_State();
  server_ = std::make_unique<standin::Server>(std::move(options));
  if (!server_->Load_Module(Plugin_Path())) {
    ADD_FAILURE() << "the stand-in could not load " << Plugin_Path() << ": " << server_->Error();
  }
  return *server_;
}

standin::Server& PluginTest::Boot(standin::ServerOptions options) {
  standin::Server& server = Load_Only(std::move(options));
  if (server.Module().Loaded()) server.Play_Loader();
  return server;
}

void PluginTest::Finish() {
  if (!server_) return;
  server_->Shutdown();
  EXPECT_EQ(server_->Heap().Errors(), std::vector<std::string>());
  EXPECT_EQ(server_->Exports().Stack_Errors(), std::vector<std::string>());
  EXPECT_EQ(server_->Call_Errors(), std::vector<std::string>());
  EXPECT_EQ(server_->Commands().Errors(), std::vector<std::string>());
  EXPECT_EQ(server_->Traps().Calls(), 0u) << "the plug-in used the loader object or callback";
  server_.reset();
}

Lines PluginTest::Type(const std::string& line) {
  const std::size_t first = server_->Console().Printed().size();
  const std::size_t live = server_->Heap().Live_Blocks();
  first_call_ = server_->World().Calls().size();
  server_->Execute_Line(line);
  EXPECT_EQ(server_->Heap().Live_Blocks(), live) << line;
  return Printed_Since(*server_, first);
}

Lines PluginTest::Calls() const {
  const Lines& calls = server_->World().Calls();
  return Lines(calls.begin() + static_cast<std::ptrdiff_t>(first_call_), calls.end());
}

Lines PluginTest::Actions() const { return standin::world::Actions_Of(Calls()); }

std::vector<standin::LookupCall> Extension_Lookups(const standin::Server& server) {
  std::vector<standin::LookupCall> lookups;
  for (const standin::LookupCall& call : server.Api().lookups) {
    if (call.module == standin::ExtensionLibrary::Module_Handle()) lookups.push_back(call);
  }
  return lookups;
}

std::vector<std::string> Registered_Names(standin::Server& server) {
  std::vector<std::string> names;
  for (void* command : server.Commands().Commands()) {
    const char* name = server.Command_Text(command, standin::command_slot::Get_Name);
    names.push_back(name != nullptr ? name : "(null)");
  }
  return names;
}

std::vector<std::string> Printed_Since(standin::Server& server, std::size_t first) {
  const std::vector<std::string>& printed = server.Console().Printed();
  if (first >= printed.size()) return {};
  return std::vector<std::string>(printed.begin() + static_cast<std::ptrdiff_t>(first),
                                  printed.end());
}

bool Recognised(const standin::ServerOptions& options) {
  return options.build != standin::HostBuild::None && !options.unreadable_probes;
}

}  // namespace quillon_test
