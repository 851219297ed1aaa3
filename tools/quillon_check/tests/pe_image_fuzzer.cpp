// libFuzzer on the checker's whole verdict: any bytes as a server executable. Under
// AddressSanitizer every input is a buffer of exactly its size, so a read past the file
// stops the run.
#include <cstddef>
#include <cstdint>

#include "tools/quillon_check/report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const quillon_check::Verdict verdict = quillon_check::Check_Bytes("fuzzed.exe", data, size);
  if (verdict.line.empty() || verdict.status < 0 || verdict.status > 3) __builtin_trap();
  return 0;
}
