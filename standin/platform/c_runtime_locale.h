// The C runtime's process-wide locale, as any module of a server process may set it
// (on Windows every module using msvcrt.dll shares one): the stand-in sets it on the
// operator's request so a session shows that the plug-in reads the same either way.
#pragma once

#include <string>

namespace standin {

// Sets every category of the C runtime's locale. False when the runtime does not know
// the name.
bool Set_C_Runtime_Locale(const std::string& name);

// The locale now in force, as the runtime names it, and its decimal point.
std::string C_Runtime_Locale_Name();
std::string C_Runtime_Decimal_Point();

}  // namespace standin
