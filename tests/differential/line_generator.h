// Console lines for the differential test: the same seed gives the same lines on every
// machine (the generator has its own random numbers, no library distribution).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace differential {

class LineGenerator {
 public:
  explicit LineGenerator(std::uint64_t seed) : state_(seed) {}

  // One command line: a keyword (in any letter case) and the text after it.
  std::string CommandLine();

 private:
  std::uint64_t Next();
  unsigned Below(unsigned bound) { return static_cast<unsigned>(Next() % bound); }
  bool Chance(unsigned percent) { return Below(100) < percent; }
  std::string Pick(const std::vector<std::string>& choices);

  std::string Keyword(unsigned command);
  std::string Words_For(unsigned command);
  std::string Id_Word();
  std::string Amount_Word();
  std::string Preset_Word();
  std::string Junk_Word();
  std::string Digits(unsigned count);
  std::string Separator();

  std::uint64_t state_;
};

// A fuzzing corpus input as a console line: the first byte picks the keyword (in the
// fuzzer's order, tests/support/known_commands.h), the rest
// up to the first NUL, carriage return or line feed is the text after it. Empty for an
// empty input.
std::string Corpus_Line(const std::string& input);

}  // namespace differential
