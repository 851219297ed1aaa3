#include "fuzz/expected_output.h"

namespace quillon_fuzz {

namespace {

// "%f" of any float widened to double: six decimals, or an infinity or NaN.
constexpr const char* Float = R"((?:-?[0-9]+\.[0-9]{6}|-?inf|-?nan))";

std::string Escaped(const std::string& text) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  return std::regex_replace(text, special, R"(\$&)");
}

std::string Name_Pattern(const std::vector<std::string>& names) {
  std::string pattern = "(?:None";
  for (const std::string& name : names) pattern += "|" + Escaped(name);
  return pattern + ")";
}

std::string Replaced(std::string text, const std::string& word, const std::string& by) {
  for (std::size_t at = text.find(word); at != std::string::npos;
       at = text.find(word, at + by.size())) {
    text.replace(at, word.size(), by);
  }
  return text;
}

}  // namespace

ExpectedOutput::ExpectedOutput(const std::vector<std::string>& names) {
  const std::string name = Name_Pattern(names);
  for (unsigned i = 0; i < Command_Count; ++i) {
    for (const char* format : Known_Commands[i].confirmations) {
      confirmations_[i].emplace_back(Replaced(Replaced(format, "NAME", name), "FLOAT", Float) +
                                     "\n");
    }
  }
}

bool ExpectedOutput::Is_Confirmation(unsigned index, const std::string& line) const {
  for (const std::regex& format : confirmations_[index]) {
    if (std::regex_match(line, format)) return true;
  }
  return false;
}

std::string ExpectedOutput::Check(unsigned index, const std::string& text, bool allocation_failed,
                                  const std::vector<std::string>& printed) const {
  const quillon_test::KnownCommand& command = Known_Commands[index];
  if (text.empty()) {
    if (printed.size() == 1 && printed[0] == command.usage) return {};
    return "an empty argument must print exactly the usage line";
  }
  if (printed.size() > 1) return "more than one line for one command";
  if (allocation_failed) {
    return printed.empty() ? "" : "a command whose host allocation failed printed a line";
  }
  if (printed.empty()) return command.always_answers ? "no confirmation line" : "";
  if (!Is_Confirmation(index, printed[0])) return "a line that is none of the command's formats";
  return {};
}

}  // namespace quillon_fuzz
