// The three Windows functions the plug-in calls, for unit tests that link it directly.
#include "fake_platform.h"

namespace fake_platform {

Calls& Recorded() {
  static Calls calls;
  return calls;
}

}  // namespace fake_platform

extern "C" {

int DisableThreadLibraryCalls(void* module) {
  fake_platform::Recorded().thread_notifications_off.push_back(module);
  return 1;
}

void* GetProcAddress(void* module, const char* name) {
  fake_platform::Calls& calls = fake_platform::Recorded();
  calls.lookups.push_back(name);
  if (module != calls.extension_module || calls.missing.count(name) != 0) return nullptr;
  // Any distinct non-null address will do: nothing calls these in unit tests.
  return const_cast<char*>(name);
}

int MessageBoxA(void* owner, const char* text, const char* caption, unsigned style) {
  fake_platform::Recorded().boxes.push_back({owner, text, caption, style});
  return 1;
}

}  // extern "C"
