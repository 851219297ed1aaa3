#include "standin/platform/c_runtime_locale.h"

#include <clocale>

namespace standin {

bool Set_C_Runtime_Locale(const std::string& name) {
  return std::setlocale(LC_ALL, name.c_str()) != nullptr;
}

std::string C_Runtime_Locale_Name() {
  const char* name = std::setlocale(LC_ALL, nullptr);
  return name != nullptr ? name : "";
}

std::string C_Runtime_Decimal_Point() {
  const std::lconv* conventions = std::localeconv();
  return conventions != nullptr && conventions->decimal_point != nullptr
             ? conventions->decimal_point
             : ".";
}

}  // namespace standin
