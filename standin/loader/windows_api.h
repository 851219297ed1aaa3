// The Windows functions the plug-in calls: DisableThreadLibraryCalls, GetProcAddress,
// MessageBoxA and GetModuleHandleExW. Each platform routes the plug-in's calls of the
// first three here (Linux: functions the stand-in exports; Windows: the plug-in's
// import table is patched), and every call is recorded. On Windows the module's pin
// goes to the system's loader itself; on Linux the stand-in plays it (and records it).
#pragma once

#include <string>
#include <vector>

namespace standin {

struct LookupCall {
  const void* module;
  std::string name;  // "#n" for a lookup by ordinal n
  const void* result;
};

struct MessageBoxCall {
  const void* owner;
  std::string text;
  std::string caption;
  unsigned style;
};

struct PinCall {
  unsigned flags;
  const void* address;  // the address the module was named by
  bool pinned;          // a loaded module holds the address, and stays now
};

struct WindowsApiLog {
  std::vector<const void*> disable_thread_calls;  // the module handle of each call
  std::vector<PinCall> pins;                      // GetModuleHandleExW
  std::vector<LookupCall> lookups;
  std::vector<MessageBoxCall> boxes;
};

namespace windows_api {

void Disable_Thread_Library_Calls(void* module);
// Answers lookups in the extension library. For any other module `handled` is set
// false and the caller may forward the lookup to the system.
const void* Get_Proc_Address(void* module, const char* name, bool* handled);
void Record_Foreign_Lookup_Result(const void* result);
void Record_Pin(const PinCall& call);
// Records the box and answers as if the operator pressed OK.
int Message_Box(void* owner, const char* text, const char* caption, unsigned style);

}  // namespace windows_api

}  // namespace standin
