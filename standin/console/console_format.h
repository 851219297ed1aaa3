// The host console's printf-style formatter. It follows the host's conventions, not
// the C library's on this platform: "%ls" takes 16-bit text (char16_t), whatever
// wchar_t is here, and is written out as UTF-8.
#pragma once

#include <cstdarg>
#include <string>

namespace standin {

// Formats like printf: flags, width, precision (also '*'), the length modifiers
// hh h l ll L z j t, and d i u o x X c s f F e E g G a A p %. "%ls" is 16-bit text,
// "%lc" one 16-bit character. A directive the formatter does not know is copied
// literally and consumes no argument.
std::string Format_Console_Text(const char* format, va_list arguments);

// 16-bit text (UTF-16, NUL-terminated) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16_To_Utf8(const char16_t* text);

}  // namespace standin
