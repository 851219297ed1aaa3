// The host console's printf-style formatter. It follows the host's conventions, not
// the C library's on this platform: "%ls" takes 16-bit text (char16_t), whatever
// wchar_t is here, and is written out as UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace standin {

// Formats like printf: flags, width, precision (also '*'), the length modifiers
// hh h l ll L z j t, and d i u o x X c s f F e E g G a A p %. "%ls" is 16-bit text,
// "%lc" one 16-bit character. A directive the formatter does not know is copied
// literally and consumes no argument.
std::string Format_Console_Text(const char* format, va_list arguments);

// 16-bit text (UTF-16, NUL-terminated) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16_To_Utf8(const char16_t* text);

// The columns UTF-8 text takes on a console: one for each character, not each byte.
std::size_t Text_Columns(const std::string& utf8);

// The narrowest console the stand-in lays its output out for, and the width taken when
// the console tells none.
constexpr std::size_t Narrowest_Console = 80;

// The console's width in columns: the COLUMNS variable's text (null: not set) when it
// is a number, else what the console itself reported (0: nothing), else the narrowest.
// A console narrower than that gets the narrowest layout all the same.
std::size_t Console_Width(const char* columns_variable, std::size_t console_columns);

// A line of the console's help listing: the command's help text as it is, indented by
// two, or by less (down to none) where the indent would carry it past `width`.
std::string Indented_Help(const std::string& help, std::size_t width);

}  // namespace standin
