// quillon-check FILE...: tells, without running it, whether each server executable is a
// build the plug-in knows, one line a file; the exit status is the worst of them.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/quillon_check/report.h"

namespace {

constexpr const char* Usage =
    "usage: quillon-check SERVER.EXE...\n"
    "Reads each server executable, never runs it, and tells whether Quillon knows its build.\n"
    "Exit status, the worst over the files:\n"
    "  0  build 0 or 1: every command works\n"
    "  1  build 4: the commands are registered but find no player and print nothing\n"
    "  2  a build Quillon does not know: the plug-in loads and stays idle\n"
    "  3  a file that cannot be read as a 32-bit Windows executable\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(Usage, stderr);
    return quillon_check::Unreadable;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(Usage, stdout);
    return 0;
  }
  int worst = quillon_check::Known_Build;
  for (int i = 1; i < argc; ++i) {
    const quillon_check::Verdict verdict = quillon_check::Check_File(argv[i]);
    std::printf("%s\n", verdict.line.c_str());
    if (verdict.status > worst) worst = verdict.status;
  }
  std::fflush(stdout);
  return worst;
}
