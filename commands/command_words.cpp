#include "commands/command_words.h"

#include "commands/argument_list.h"
#include "commands/number_reading.h"

namespace commands {

namespace {

unsigned Last_Element(Reading reading) {
  switch (reading) {
    case Reading::Whole_Text_Id:
      return 0;
    case Reading::Id:
      return 1;
    case Reading::Id_And_Position:
      return 4;
    default:
      return 2;
  }
}

// Element `index`, already checked non-empty, read as `reading` wants it.
void Read_Element(unsigned index, const HostText& element, Reading reading, CommandWords* words) {
  if (index == 0) {
    if (reading == Reading::Id_Whole_Text_Id_Amount)
      words->whole_text_id = Read_Id(element.c_str());
  } else if (index == 1) {
    words->id = Read_Id(element.c_str());
  } else if (reading != Reading::Id_And_Word) {
    words->amounts[index - 2] = Read_Amount(element.c_str());
  }
}

}  // namespace

bool Read_Words(const char* text, Reading reading, CommandWords* words) {
  if (reading == Reading::Whole_Text_Id) {
    words->whole_text_id = Read_Id(text);
    return true;
  }
  ArgumentList list;
  if (!list.Parse(text)) return false;
  HostText element;
  for (unsigned index = 0; index <= Last_Element(reading); ++index) {
    // The word a command takes as typed is copied once, straight into its place.
    HostText& copy = reading == Reading::Id_And_Word && index == 2 ? words->word : element;
    if (!list.Get_Argument(index, &copy) || copy.empty()) return false;
    Read_Element(index, copy, reading, words);
  }
  return true;
}

}  // namespace commands
