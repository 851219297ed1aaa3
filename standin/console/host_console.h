// The host console's print side: every call of the host's print function becomes one
// recorded text, and is echoed to the operator when an echo is set.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>
#include <vector>

#include "standin/console/console_log.h"

namespace standin {

class HostConsole {
 public:
  using Echo = std::function<void(const std::string&)>;

  explicit HostConsole(ConsoleLog* log) : log_(log) {}

  void Set_Echo(Echo echo) { echo_ = std::move(echo); }
  // One print call of the host's console function.
  void Print(const char* format, va_list arguments);
  // The text of every print call, in order.
  const std::vector<std::string>& Printed() const { return printed_; }
  // Drops the printed texts and the console's event record. For long runs.
  void Forget() {
    printed_.clear();
    log_->clear();
  }

 private:
  ConsoleLog* log_;
  Echo echo_;
  std::vector<std::string> printed_;
};

}  // namespace standin
