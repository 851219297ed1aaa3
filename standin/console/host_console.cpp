#include "standin/console/host_console.h"

#include "standin/console/console_format.h"

namespace standin {

void HostConsole::Print(const char* format, va_list arguments) {
  std::string text = Format_Console_Text(format, arguments);
  printed_.push_back(text);
  log_->push_back({ConsoleEvent::Print, 0, text});
  if (echo_) echo_(text);
}

}  // namespace standin
