#include "standin/loader/windows_api.h"

#include <cstdint>

#include "standin/image/host_context.h"
#include "standin/scripts/extension_library.h"

namespace standin::windows_api {

namespace {

constexpr int Pressed_Ok = 1;

std::string Name_Of(const char* name) {
  const auto value = reinterpret_cast<std::uintptr_t>(name);
  if (value >> 16 == 0) return "#" + std::to_string(value);  // lookup by ordinal
  return name;
}

std::string Text_Of(const char* text) { return text == nullptr ? std::string() : text; }

}  // namespace

void Disable_Thread_Library_Calls(void* module) {
  if (HostContext* host = Active_Host()) host->api->disable_thread_calls.push_back(module);
}

const void* Get_Proc_Address(void* module, const char* name, bool* handled) {
  HostContext* host = Active_Host();
  *handled = module == ExtensionLibrary::Module_Handle();
  if (host == nullptr) return nullptr;
  const std::string shown = Name_Of(name);
  const void* result = nullptr;
  if (*handled && shown[0] != '#') result = host->extensions->Lookup(name);
  host->api->lookups.push_back({module, shown, result});
  return result;
}

void Record_Foreign_Lookup_Result(const void* result) {
  HostContext* host = Active_Host();
  if (host != nullptr && !host->api->lookups.empty()) host->api->lookups.back().result = result;
}

void Record_Pin(const PinCall& call) {
  if (HostContext* host = Active_Host()) host->api->pins.push_back(call);
}

int Message_Box(void* owner, const char* text, const char* caption, unsigned style) {
  if (HostContext* host = Active_Host()) {
    host->api->boxes.push_back({owner, Text_Of(text), Text_Of(caption), style});
  }
  return Pressed_Ok;
}

}  // namespace standin::windows_api
