#include "standin/console/console_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "standin/platform/c_runtime_locale.h"

namespace standin {

namespace {

constexpr char32_t Replacement = 0xFFFD;

void Append_Utf8(std::string* out, char32_t code) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool Is_High_Surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool Is_Low_Surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One parsed directive: everything between '%' and the conversion character.
struct Directive {
  std::string flags;
  int width = -1;
  int precision = -1;
  std::string length;
  char conversion = 0;
};

// Reads "flags width .precision length conversion" after a '%'. Returns the
// position after the directive, or null when it is incomplete.
const char* Parse_Directive(const char* at, Directive* directive, va_list* arguments) {
  while (*at != 0 && std::strchr("-+ #0", *at) != nullptr) directive->flags.push_back(*at++);
  if (*at == '*') {
    directive->width = va_arg(*arguments, int);
    ++at;
  } else {
    while (*at >= '0' && *at <= '9')
      directive->width = (directive->width < 0 ? 0 : directive->width) * 10 + (*at++ - '0');
  }
  if (*at == '.') {
    ++at;
    directive->precision = 0;
    if (*at == '*') {
      directive->precision = va_arg(*arguments, int);
      ++at;
    } else {
      while (*at >= '0' && *at <= '9')
        directive->precision = directive->precision * 10 + (*at++ - '0');
    }
  }
  while (*at != 0 && std::strchr("hlLzjt", *at) != nullptr) directive->length.push_back(*at++);
  if (*at == 0) return nullptr;
  directive->conversion = *at;
  return at + 1;
}

// Rebuilds the directive for the C library, with `length` as its length modifier.
std::string C_Directive(const Directive& directive, const char* length, char conversion) {
  std::string c_directive = "%" + directive.flags;
  if (directive.width >= 0) c_directive += std::to_string(directive.width);
  if (directive.precision >= 0) c_directive += "." + std::to_string(directive.precision);
  return c_directive + length + conversion;
}

template <typename Value>
void Append_Formatted(std::string* out, const std::string& c_directive, Value value) {
  char small[128];
  const int needed = std::snprintf(small, sizeof small, c_directive.c_str(), value);
  if (needed < 0) return;
  if (static_cast<std::size_t>(needed) < sizeof small) {
    out->append(small, static_cast<std::size_t>(needed));
    return;
  }
  std::string large(static_cast<std::size_t>(needed) + 1, '\0');
  std::snprintf(&large[0], large.size(), c_directive.c_str(), value);
  out->append(large.c_str(), static_cast<std::size_t>(needed));
}

// The host console prints numbers with a '.', whatever locale another module of the
// process has set for the C runtime.
template <typename Value>
void Append_Floating(std::string* out, const std::string& c_directive, Value value) {
  std::string number;
  Append_Formatted(&number, c_directive, value);
  const std::string point = C_Runtime_Decimal_Point();
  const std::size_t at = point == "." ? std::string::npos : number.find(point);
  if (at != std::string::npos) number.replace(at, point.size(), ".");
  out->append(number);
}

void Append_Integer(std::string* out, const Directive& directive, va_list* arguments) {
  const bool is_signed = directive.conversion == 'd' || directive.conversion == 'i';
  if (directive.length == "ll" || directive.length == "j") {
    const std::string c_directive = C_Directive(directive, "ll", directive.conversion);
    if (is_signed)
      Append_Formatted(out, c_directive, va_arg(*arguments, long long));
    else
      Append_Formatted(out, c_directive, va_arg(*arguments, unsigned long long));
    return;
  }
  // Every other length is 32 bits wide in the host's 32-bit world.
  const std::string c_directive = C_Directive(directive, "", directive.conversion);
  if (is_signed)
    Append_Formatted(out, c_directive, va_arg(*arguments, int));
  else
    Append_Formatted(out, c_directive, va_arg(*arguments, unsigned int));
}

void Append_Text(std::string* out, const Directive& directive, va_list* arguments) {
  std::string text;
  if (directive.length == "l") {
    const auto* wide = va_arg(*arguments, const char16_t*);
    text = wide == nullptr ? "(null)" : Utf16_To_Utf8(wide);
  } else {
    const char* narrow = va_arg(*arguments, const char*);
    text = narrow == nullptr ? "(null)" : narrow;
  }
  if (directive.width < 0 && directive.precision < 0) {
    out->append(text);
    return;
  }
  Append_Formatted(out, C_Directive(directive, "", 's'), text.c_str());
}

void Append_Character(std::string* out, const Directive& directive, va_list* arguments) {
  const int value = va_arg(*arguments, int);
  std::string text;
  if (directive.length == "l") {
    Append_Utf8(&text, static_cast<char16_t>(value));
  } else {
    text.push_back(static_cast<char>(value));
  }
  Append_Formatted(out, C_Directive(directive, "", 's'), text.c_str());
}

// Appends one directive's output; false when the conversion is unknown.
bool Append_Directive(std::string* out, const Directive& directive, va_list* arguments) {
  switch (directive.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      Append_Integer(out, directive, arguments);
      return true;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (directive.length == "L") {
        Append_Floating(out, C_Directive(directive, "L", directive.conversion),
                        va_arg(*arguments, long double));
      } else {
        Append_Floating(out, C_Directive(directive, "", directive.conversion),
                        va_arg(*arguments, double));
      }
      return true;
    case 's':
      Append_Text(out, directive, arguments);
      return true;
    case 'c':
      Append_Character(out, directive, arguments);
      return true;
    case 'p':
      Append_Formatted(
          out, "0x%08lx",
          static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(va_arg(*arguments, void*))));
      return true;
    case '%':
      out->push_back('%');
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string Utf16_To_Utf8(const char16_t* text) {
  std::string out;
  for (const char16_t* at = text; *at != 0; ++at) {
    char32_t code = *at;
    if (Is_High_Surrogate(*at) && Is_Low_Surrogate(at[1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (at[1] - 0xDC00);
      ++at;
    } else if (Is_High_Surrogate(*at) || Is_Low_Surrogate(*at)) {
      code = Replacement;
    }
    Append_Utf8(&out, code);
  }
  return out;
}

std::size_t Text_Columns(const std::string& utf8) {
  std::size_t characters = 0;
  for (const char c : utf8) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return characters;
}

std::size_t Console_Width(const char* columns_variable, std::size_t console_columns) {
  // More digits than any console is wide are no width either.
  constexpr std::size_t Most_Digits = 5;
  std::size_t width = 0;
  const std::size_t digits = columns_variable == nullptr ? 0 : std::strlen(columns_variable);
  if (digits > 0 && digits <= Most_Digits &&
      std::strspn(columns_variable, "0123456789") == digits) {
    for (const char* at = columns_variable; *at != 0; ++at) width = width * 10 + (*at - '0');
  }
  if (width == 0) width = console_columns;
  return width < Narrowest_Console ? Narrowest_Console : width;
}

std::string Indented_Help(const std::string& help, std::size_t width) {
  constexpr std::size_t Indent = 2;
  const std::size_t end = help.find_last_not_of("\r\n") + 1;
  const std::size_t shown = Text_Columns(help.substr(0, end));
  const std::size_t room = shown < width ? width - shown : 0;
  return std::string(room < Indent ? room : Indent, ' ') + help;
}

std::string Format_Console_Text(const char* format, va_list arguments) {
  std::string out;
  if (format == nullptr) return out;
  va_list remaining;
  va_copy(remaining, arguments);
  for (const char* at = format; *at != 0;) {
    if (*at != '%') {
      out.push_back(*at++);
      continue;
    }
    Directive directive;
    const char* next = Parse_Directive(at + 1, &directive, &remaining);
    if (next == nullptr || !Append_Directive(&out, directive, &remaining)) {
      // Unknown or cut-off directive: shown as typed.
      const char* end = next == nullptr ? at + std::strlen(at) : next;
      out.append(at, end);
      at = end;
      continue;
    }
    at = next;
  }
  va_end(remaining);
  return out;
}

}  // namespace standin
