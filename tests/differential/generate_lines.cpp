// Writes the differential test's console session to standard output:
//   quillon_line_generator SEED COUNT [CORPUS_FOLDER]
// COUNT generated command lines, then every input of the fuzzing corpus (in name
// order). Each command is followed by `players`, which in the stand-in's exact mode
// lists the world by float bits; `reset` brings back the starting world every few lines,
// so commands keep finding live players.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/differential/line_generator.h"

namespace {

constexpr unsigned Lines_Between_Resets = 20;

void Emit(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputs("\nplayers\n", stdout);
}

std::vector<std::string> Corpus_Inputs(const char* folder) {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> inputs;
  for (const auto& path : paths) {
    std::ifstream file(path, std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return inputs;
}

}  // namespace

int main(int count, char** words) {
  if (count < 3) {
    std::fprintf(stderr, "usage: %s SEED COUNT [CORPUS_FOLDER]\n", words[0]);
    return 2;
  }
  differential::LineGenerator generator(std::strtoull(words[1], nullptr, 10));
  const unsigned long lines = std::strtoul(words[2], nullptr, 10);
  for (unsigned long i = 0; i < lines; ++i) {
    if (i % Lines_Between_Resets == 0) std::fputs("reset\n", stdout);
    Emit(generator.CommandLine());
  }
  if (count > 3) {
    for (const std::string& input : Corpus_Inputs(words[3])) {
      const std::string line = differential::Corpus_Line(input);
      if (line.empty()) continue;
      std::fputs("reset\n", stdout);
      Emit(line);
    }
  }
  return 0;
}
