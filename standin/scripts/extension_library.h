// The host's extension library vkl.dll, played as an in-process table: every name
// the plug-in looks up has its own stub function, and chosen names can be left out
// to make lookups fail.
#pragma once

#include <set>
#include <string>

namespace standin {

struct ExtensionName {
  const char* name;
  unsigned slot;  // byte offset of the script table slot it replaces, or 0
};

constexpr unsigned Extension_Name_Count = 115;
extern const ExtensionName Extension_Names[Extension_Name_Count];

class ExtensionLibrary {
 public:
  // The module handle the host passes for vkl.dll: a sentinel no real module has.
  static void* Module_Handle();

  // Makes a lookup of `name` fail from now on.
  void Leave_Out(const std::string& name) { missing_.insert(name); }
  // The library's function for `name`: null when left out or not a library name.
  const void* Lookup(const char* name) const;
  // The stub that stands for `name`, whether left out or not; null for unknown names.
  static const void* Function_Of(const std::string& name);
  // The list position of `name`, or Extension_Name_Count when it is not in the list.
  static unsigned Index_Of(const std::string& name);

 private:
  std::set<std::string> missing_;
};

}  // namespace standin
