// The host's console command list: the command pointers the plug-in appends through
// Add_Console_Command, in order, and the calls of Finalize_Console_Commands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "standin/console/console_log.h"

namespace standin {

class ConsoleCommandList {
 public:
  explicit ConsoleCommandList(ConsoleLog* log) : log_(log) {}

  // Add_Console_Command: `self` must be the list object and `element` the address of
  // a variable that holds the command pointer; anything else is recorded as an error.
  void Add(const void* self, void* const* element);
  void Finalize();

  // A list that looks at each command while adding it: calls its four operations
  // (Activate with an empty text) before the command's own are in place, and keeps
  // what they answered, one line per operation.
  void Look_While_Adding(bool look) { look_while_adding_ = look; }
  const std::vector<std::string>& Seen_While_Adding() const { return seen_while_adding_; }

  const std::vector<void*>& Commands() const { return commands_; }
  std::size_t Finalize_Count() const { return finalize_count_; }
  const std::vector<std::string>& Errors() const { return errors_; }
  // Forgets one entry (after the host deleted the object).
  void Forget(void* command);
  // Forgets every entry: the host does this when it shuts down, before the modules go.
  void Drop_All() { commands_.clear(); }

 private:
  void Look_At(void* command);

  ConsoleLog* log_;
  std::vector<void*> commands_;
  std::size_t finalize_count_ = 0;
  std::vector<std::string> errors_;
  bool look_while_adding_ = false;
  std::vector<std::string> seen_while_adding_;
};

}  // namespace standin
