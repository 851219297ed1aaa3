// A minimal host for unit tests of the plug-in's own pieces: a counting heap and a
// console that keeps its lines, bound straight into the plug-in's address entries.
// The full stand-in server serves the end-to-end tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fake_host {

struct Heap_Log {
  int allocations = 0;  // blocks handed out, single and array form together
  int array_allocations = 0;
  int releases = 0;
  int live = 0;     // blocks handed out and not yet released
  int fail_at = 0;  // 1-based index of the allocation that yields null; 0: never
  std::vector<std::uint32_t> sizes;
  std::vector<std::string> errors;  // releases of blocks this heap never handed out
};

Heap_Log& Heap();
std::vector<std::string>& Console_Lines();

// Benchmarks: the console prints nothing and keeps nothing.
void Discard_Console_Lines();

// Resets the plug-in's module state and binds the fake heap and console into it, as if
// build 0 had been detected.
void Bind();

// Leaves every entry null and the build unresolved, as at load.
void Unbind();

}  // namespace fake_host
