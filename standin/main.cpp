// quillon-standin: the stand-in game server with its console, for an operator.
//   quillon-standin --build 0|1|4|none --plugin PATH [--missing NAME]... [--unreadable]
//                   [--no-sse] [--empty-world] [--odd-players]
//                   [--dirty-booleans] [--preload PATH]... [--locale NAME] [--exact]
//                   [--fpu NAME]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "standin/console/console_format.h"
#include "standin/platform/c_runtime_locale.h"
#include "standin/server.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#define isatty _isatty
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// An operator starts with the default world of players.
standin::ServerOptions With_Players() {
  standin::ServerOptions options;
  options.world = standin::StartingWorld::Players;
  return options;
}

struct CommandLine {
  standin::ServerOptions options = With_Players();
  std::string plugin;
  std::string locale;  // the C runtime's locale while the commands run; empty: left as is
};

bool Parse_Build(const std::string& text, standin::HostBuild* build) {
  if (text == "0")
    *build = standin::HostBuild::Build_0;
  else if (text == "1")
    *build = standin::HostBuild::Build_1;
  else if (text == "4")
    *build = standin::HostBuild::Build_4;
  else if (text == "none")
    *build = standin::HostBuild::None;
  else
    return false;
  return true;
}

bool Parse(int count, char** words, CommandLine* line) {
  for (int i = 1; i < count; ++i) {
    const std::string word = words[i];
    const bool has_value = i + 1 < count;
    if (word == "--build" && has_value) {
      if (!Parse_Build(words[++i], &line->options.build)) return false;
    } else if (word == "--plugin" && has_value) {
      line->plugin = words[++i];
    } else if (word == "--locale" && has_value) {
      line->locale = words[++i];
    } else if (word == "--fpu" && has_value) {
      line->options.fpu = words[++i];
      if (standin::Find_Fpu_State(line->options.fpu.c_str()) == nullptr) return false;
    } else if (word == "--exact") {
      line->options.exact_listing = true;
    } else if (word == "--preload" && has_value) {
      line->options.preload.push_back(words[++i]);
    } else if (word == "--missing" && has_value) {
      line->options.missing_extensions.push_back(words[++i]);
    } else if (word == "--unreadable") {
      line->options.unreadable_probes = true;
    } else if (word == "--no-sse") {
      line->options.sse = false;
    } else if (word == "--empty-world") {
      line->options.world = standin::StartingWorld::Empty;
    } else if (word == "--odd-players") {
      line->options.world = standin::StartingWorld::OddPlayers;
    } else if (word == "--dirty-booleans") {
      line->options.dirty_booleans = true;
    } else {
      return false;
    }
  }
  return !line->plugin.empty();
}

#ifdef _WIN32
// A Windows console takes text in its own code page; player names are UTF-8 here, so a
// console gets the text as 16-bit characters. A pipe or file gets the UTF-8 bytes.
bool Show_On_Console(const std::string& text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(out, &mode)) return false;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  DWORD written = 0;
  return WriteConsoleW(out, wide.data(), static_cast<DWORD>(length), &written, nullptr) != 0;
}
#else
bool Show_On_Console(const std::string&) { return false; }
#endif

// The columns the console on standard output shows; 0 when it is no console or does
// not say.
std::size_t Console_Columns() {
#ifdef _WIN32
  CONSOLE_SCREEN_BUFFER_INFO screen{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen)) return 0;
  const int columns = screen.srWindow.Right - screen.srWindow.Left + 1;
  return columns > 0 ? static_cast<std::size_t>(columns) : 0;
#else
  winsize size{};
  if (isatty(1) == 0 || ioctl(1, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
#endif
}

// Console lines are bytes: no end-of-file byte, no line-end translation on the way in
// or out (a script's lines may hold any byte but NUL and line ends).
void Use_Bytes_As_They_Are() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

// The locale is set once the plug-in is loaded, as another module of the server might;
// what the runtime made of it goes to the error stream, for the test that asked.
bool Apply_Locale(const std::string& locale) {
  if (locale.empty()) return true;
  if (!standin::Set_C_Runtime_Locale(locale)) {
    std::fprintf(stderr, "quillon-standin: the C runtime has no locale %s\n", locale.c_str());
    return false;
  }
  std::fprintf(stderr, "quillon-standin: C runtime locale %s, decimal point '%s'\n",
               standin::C_Runtime_Locale_Name().c_str(),
               standin::C_Runtime_Decimal_Point().c_str());
  return true;
}

void Show(const std::string& text) {
  std::fflush(stdout);
  if (Show_On_Console(text)) return;
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

// Shows the first few calls that broke the host's conventions; true when none did.
bool Report_Call_Errors(const standin::Server& server) {
  std::vector<std::string> errors = server.Call_Errors();
  const std::vector<std::string>& exports = server.Exports().Stack_Errors();
  errors.insert(errors.end(), exports.begin(), exports.end());
  if (errors.empty()) return true;
  std::fprintf(stderr, "quillon-standin: %zu calls into the plug-in broke the host's conventions\n",
               errors.size());
  constexpr std::size_t Shown = 5;
  for (std::size_t i = 0; i < errors.size() && i < Shown; ++i) {
    std::fprintf(stderr, "quillon-standin:   %s\n", errors[i].c_str());
  }
  return false;
}

}  // namespace

int main(int count, char** words) {
  CommandLine line;
  if (!Parse(count, words, &line)) {
    std::fprintf(stderr,
                 "usage: %s --build 0|1|4|none --plugin PATH [--missing NAME]... "
                 "[--unreadable] [--no-sse] [--empty-world] [--odd-players] [--dirty-booleans] "
                 "[--preload PATH]... [--locale NAME] [--exact] [--fpu NAME]\n"
                 "  --fpu: the floating-point state of the host's threads:",
                 words[0]);
    for (const standin::NamedFpuState& named : standin::Host_Thread_States) {
      std::fprintf(stderr, " %s", named.name);
    }
    std::fprintf(stderr, " (default host)\n");
    return 2;
  }
  line.options.echo = Show;
  line.options.console_width = standin::Console_Width(std::getenv("COLUMNS"), Console_Columns());
  Use_Bytes_As_They_Are();
  standin::Server server(line.options);
  if (!server.Boot(line.plugin)) {
    std::fprintf(stderr, "quillon-standin: %s\n", server.Error().c_str());
    return 1;
  }
  if (!Apply_Locale(line.locale)) return 1;
  // Lines from a script are shown after the prompt, so a transcript reads like a
  // session typed by hand.
  const bool typed_by_hand = isatty(0) != 0;
  std::string typed;
  while (!server.Quit_Requested()) {
    Show("> ");
    if (!std::getline(std::cin, typed)) break;
    if (!typed.empty() && typed.back() == '\r') typed.pop_back();
    if (!typed_by_hand) Show(typed + "\n");
    server.Execute_Line(typed);
  }
  server.Shutdown();
  Show("\n");
  // The heap's own findings (guards, released blocks) end the session as a failure.
  const std::size_t damage = server.Heap().Errors().size();
  // Two lines, so that a console of 80 columns shows each whole.
  std::fprintf(stderr,
               "quillon-standin: host heap checks: %llu of the whole heap, %llu of single "
               "blocks\nquillon-standin: host heap damage found: %zu\n",
               static_cast<unsigned long long>(standin::HostHeap::Full_Checks()),
               static_cast<unsigned long long>(standin::HostHeap::Block_Checks()), damage);
  if (damage != 0) return 3;
  // So do calls into the plug-in that broke the host's conventions: the stack, or the
  // host thread's floating-point state.
  return Report_Call_Errors(server) ? 0 : 4;
}
