#pragma once

#include <set>
#include <string>
#include <vector>

namespace fake_platform {

struct Box {
  void* owner;
  std::string text;
  std::string caption;
  unsigned style;
};

struct Calls {
  void* extension_module = nullptr;  // the handle GetProcAddress answers for
  std::set<std::string> missing;     // names it pretends not to have
  std::vector<std::string> lookups;
  std::vector<Box> boxes;
  std::vector<void*> thread_notifications_off;
};

Calls& Recorded();

}  // namespace fake_platform
