#include "tests/differential/line_generator.h"

#include <cctype>

#include "tests/support/known_commands.h"

namespace differential {

namespace {

using quillon_test::Command_Count;
using quillon_test::Known_Commands;

enum WordKind { Id, Amount, Preset };

WordKind Kind_Of(unsigned command, unsigned position) {
  if (position == 0) return Id;
  return command == 0 ? Preset : Amount;
}

}  // namespace

std::uint64_t LineGenerator::Next() {  // splitmix64
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string LineGenerator::Pick(const std::vector<std::string>& choices) {
  return choices[Below(static_cast<unsigned>(choices.size()))];
}

std::string LineGenerator::Digits(unsigned count) {
  std::string digits;
  for (unsigned i = 0; i < count; ++i) digits.push_back(static_cast<char>('0' + Below(10)));
  return digits;
}

// Mostly one space; sometimes several.
std::string LineGenerator::Separator() { return std::string(Chance(85) ? 1 : 2 + Below(4), ' '); }

std::string LineGenerator::Keyword(unsigned command) {
  std::string keyword = Known_Commands[command].name;
  if (Chance(10)) {
    for (char& c : keyword) {
      if (Chance(50)) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return keyword;
}

std::string LineGenerator::Id_Word() {
  switch (Below(8)) {
    case 0:
    case 1:
    case 2:
      return std::to_string(Below(15));  // nobody, the default players, the odd ones
    case 3:
      return Pick({"+", "-", "0", "00", "\t", "\v", "\f"}) + std::to_string(Below(6));
    case 4:
      return Pick({"4294967297", "4294967298", "-4294967295", "8589934596", "2147483648",
                   "-2147483649", "99999999999999999999", "18446744073709551617"});
    case 5:
      return std::to_string(Below(6)) + Pick({"abc", ".9", "e2", "x", "%s", "\xE9", ",5"});
    case 6:
      return Pick({"0x3", "-", "+", "", "abc", "\t", "nan", "1e1", "Havoc"}) +
             (Chance(50) ? "" : std::to_string(Below(5)));
    default:
      return std::string(Below(20), '0') + std::to_string(Below(6));
  }
}

std::string LineGenerator::Amount_Word() {
  const std::string sign = Pick({"", "", "", "-", "+"});
  switch (Below(12)) {
    case 0:
    case 1:
      return sign + Digits(1 + Below(6));
    case 2:
      return sign + Digits(Below(5)) + "." + Digits(Below(8));
    case 3:
      return sign + Digits(1 + Below(3)) + Pick({"e", "E"}) + Pick({"", "+", "-"}) +
             std::to_string(Below(50));
    case 4:
      return sign + Pick({"1e", "1e+", "1E-", ".e5", "e5", ".", "5.", ".5", "-0", "0.0e-9"});
    case 5:
      return sign + Pick({"3.4028235e38", "3.4028236e38", "1e39", "1.4e-45", "7e-46", "7.1e-46",
                          "1.17549435e-38", "16777217", "1e999999999999", "1e-999999999999",
                          "2.4703282292062328e-324", "179769313486231580793e288"});
    case 6:
      return sign + Digits(20 + Below(300)) + (Chance(50) ? "." + Digits(Below(300)) : "") +
             (Chance(50) ? "e-" + std::to_string(Below(400)) : "");
    case 7:
      return Pick({"nan", "NaN", "inf", "-inf", "infinity", "INF", "0x10", "0x1p3", "0X1P-2", "1d3",
                   "1D3", "12,5", "1,5e3"});
    case 8:
      return sign + Digits(1 + Below(4)) + "." + Digits(1 + Below(4)) +
             Pick({"abc", "%n", "%s", "e", "e+", "x9", "\xFF", ",5", "\t7"});
    case 9:
      return Pick({"\t", "\v", "\f"}) + sign + Digits(1 + Below(3));
    case 10:
      return "0." + std::string(Below(60), '0') + Digits(1 + Below(20)) + "e" +
             std::to_string(Below(80));
    default:
      return sign + Digits(1 + Below(2)) + "." + Digits(1 + Below(2));
  }
}

std::string LineGenerator::Preset_Word() {
  return Pick({"Soldier_A", "Soldier_B", "Engineer", "Sniper", "Buggy", "soldier_a", "Nobody",
               "%s%n", std::string(16, 'S'), std::string(300, 'P')});
}

// Anything but NUL, line ends and spaces: tabs, high bytes, printf directives, and
// words over 15 and over 255 characters.
std::string LineGenerator::Junk_Word() {
  switch (Below(5)) {
    case 0:
      return Pick({"%s", "%n", "%x%x%x", "%ls", "%99999f", "%p", "%%", "%"});
    case 1:
      return std::string(16 + Below(30), 'w');
    case 2:
      return std::string(256 + Below(200), 'L');
    default: {
      std::string word;
      for (unsigned i = 1 + Below(12); i > 0; --i) {
        char c = static_cast<char>(1 + Below(255));
        if (c == ' ' || c == '\n' || c == '\r') c = '\t';
        word.push_back(c);
      }
      return word;
    }
  }
}

std::string LineGenerator::Words_For(unsigned command) {
  unsigned count = Known_Commands[command].words;
  if (Chance(12)) count = Below(count + 1);  // words missing
  std::string text;
  for (unsigned i = 0; i < count; ++i) {
    if (i > 0) text += Separator();
    const WordKind kind = Kind_Of(command, i);
    std::string word = kind == Id ? Id_Word() : kind == Amount ? Amount_Word() : Preset_Word();
    if (word.empty()) word = "0";
    text += Chance(5) ? Junk_Word() : word;
  }
  if (Chance(20)) {  // words no command reads, sometimes many
    for (unsigned extra = Chance(20) ? 40 + Below(40) : 1 + Below(3); extra > 0; --extra) {
      text += Separator() + Junk_Word();
    }
  }
  return text;
}

std::string LineGenerator::CommandLine() {
  const unsigned command = Below(Command_Count);
  const std::string keyword = Keyword(command);
  switch (Below(40)) {
    case 0:
      return keyword;  // no argument text: the usage line
    case 1:
      return keyword + " " + std::string(Below(4), ' ');  // empty or spaces only
    default:
      return keyword + " " + (Chance(10) ? std::string(1 + Below(3), ' ') : "") +
             Words_For(command) + (Chance(10) ? " " : "");
  }
}

std::string Corpus_Line(const std::string& input) {
  if (input.empty()) return "";
  const unsigned command = static_cast<unsigned char>(input[0]) % Command_Count;
  std::string text = input.substr(1);
  const std::size_t end = text.find_first_of(std::string("\0\r\n", 3));
  if (end != std::string::npos) text.erase(end);
  return std::string(Known_Commands[command].name) + " " + text;
}

}  // namespace differential
