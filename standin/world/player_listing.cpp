#include "standin/world/player_listing.h"

#include <algorithm>
#include <cstdarg>

#include "standin/console/console_format.h"

namespace standin::world {

namespace {

// The narrowest columns; a name, preset or vehicle longer than its column widens it
// where the console has the room, and otherwise runs over in its own line only.
constexpr std::size_t Id_Width = 3;
constexpr std::size_t Name_Width = 9;
constexpr std::size_t State_Width = 7;
constexpr std::size_t Score_Width = 9;
constexpr std::size_t Coordinate_Width = 8;
constexpr std::size_t Preset_Width = 9;
constexpr std::size_t Flag_Width = 6;
constexpr std::size_t Vehicle_Width = 7;
// The line below a player's numbers starts under the name.
constexpr std::size_t Detail_Indent = 6;

const char* Life_Text(Life life) {
  switch (life) {
    case Life::Alive:
      return "alive";
    case Life::Killed:
      return "killed";
    case Life::Removed:
      return "removed";
  }
  return "?";
}

std::string Vehicle_Text(const Player& player) {
  if (player.vehicle == nullptr) return "on foot";
  const std::string seat = player.seat == 0 ? "driver" : "seat " + std::to_string(player.seat);
  return player.vehicle->preset + " #" + std::to_string(player.vehicle->id) + " " + seat + " (" +
         Life_Text(player.vehicle->life) + ")";
}

// Formatted as the host console formats: a '.' whatever the C runtime's locale.
std::string Console_Text(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = Format_Console_Text(format, arguments);
  va_end(arguments);
  return text;
}

// Two decimals, or as many significant digits as the column holds for a value too
// large for them (1e+38).
std::string Number(float value, std::size_t width) {
  const auto exact = static_cast<double>(value);
  std::string text = Console_Text("%.2f", exact);
  for (int digits = 6; text.size() > width && digits > 1; --digits) {
    text = Console_Text("%.*g", digits, exact);
  }
  return text;
}

std::string Left(const std::string& text, std::size_t width) {
  const std::size_t shown = Text_Columns(text);
  return text + std::string(shown < width ? width - shown : 0, ' ');
}

std::string Right(const std::string& text, std::size_t width) {
  const std::size_t shown = Text_Columns(text);
  return std::string(shown < width ? width - shown : 0, ' ') + text;
}

std::string Without_Trailing_Spaces(std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

struct Row {
  std::string id, name, state, points, credits, x, y, z, preset, frozen, flying, vehicle;
  std::string details;  // what is set of frozen, flying and the vehicle seat; empty: none
};

Row Row_Of(const Player& player) {
  Row row;
  row.id = std::to_string(player.id);
  row.name = Utf16_To_Utf8(player.name.c_str());
  row.state = Life_Text(player.life);
  row.points = Number(player.points, Score_Width);
  row.credits = Number(player.credits, Score_Width);
  row.x = Number(player.position.x, Coordinate_Width);
  row.y = Number(player.position.y, Coordinate_Width);
  row.z = Number(player.position.z, Coordinate_Width);
  row.preset = player.preset;
  row.frozen = player.frozen ? "yes" : "no";
  row.flying = player.flying ? "yes" : "no";
  row.vehicle = Vehicle_Text(player);
  std::vector<std::string> set;
  if (player.frozen) set.push_back("frozen");
  if (player.flying) set.push_back("flying");
  if (player.vehicle != nullptr) set.push_back(row.vehicle);
  for (const std::string& word : set) row.details += (row.details.empty() ? "" : ", ") + word;
  return row;
}

struct Widths {
  std::size_t id = Id_Width, name = Name_Width, preset = Preset_Width, vehicle = Vehicle_Width;

  std::size_t Numbers_Line() const {
    return id + 1 + name + 1 + State_Width + 2 * (1 + Score_Width) + 3 * (1 + Coordinate_Width) +
           2 + preset;
  }
  std::size_t Whole_Line() const { return Numbers_Line() + 2 + 2 * (Flag_Width + 1) + vehicle; }
};

std::string Numbers_Line(const Row& row, const Widths& widths) {
  return Right(row.id, widths.id) + " " + Left(row.name, widths.name) + " " +
         Left(row.state, State_Width) + " " + Right(row.points, Score_Width) + " " +
         Right(row.credits, Score_Width) + " " + Right(row.x, Coordinate_Width) + " " +
         Right(row.y, Coordinate_Width) + " " + Right(row.z, Coordinate_Width) + "  " +
         Left(row.preset, widths.preset);
}

std::string Whole_Line(const Row& row, const Widths& widths) {
  return Numbers_Line(row, widths) + "  " + Left(row.frozen, Flag_Width) + " " +
         Left(row.flying, Flag_Width) + " " + row.vehicle;
}

}  // namespace

std::vector<std::string> List_Players(const World& world, std::size_t width) {
  std::vector<Row> rows;
  Widths content;
  for (const Player& player : world.Players()) {
    rows.push_back(Row_Of(player));
    const Row& row = rows.back();
    content.id = std::max(content.id, Text_Columns(row.id));
    content.name = std::max(content.name, Text_Columns(row.name));
    content.preset = std::max(content.preset, Text_Columns(row.preset));
    content.vehicle = std::max(content.vehicle, Text_Columns(row.vehicle));
  }
  const bool whole = content.Whole_Line() <= width;
  const Widths widths = whole || content.Numbers_Line() <= width ? content : Widths();

  Row title{"id", "name",   "state",  "points", "credits", "x", "y",
            "z",  "preset", "frozen", "flying", "vehicle", ""};
  std::vector<std::string> lines;
  lines.push_back(
      Without_Trailing_Spaces(whole ? Whole_Line(title, widths) : Numbers_Line(title, widths)));
  for (const Row& row : rows) {
    if (whole) {
      lines.push_back(Without_Trailing_Spaces(Whole_Line(row, widths)));
      continue;
    }
    lines.push_back(Without_Trailing_Spaces(Numbers_Line(row, widths)));
    if (!row.details.empty()) lines.push_back(std::string(Detail_Indent, ' ') + row.details);
  }
  return lines;
}

}  // namespace standin::world
