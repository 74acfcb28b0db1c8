// The one conversion between the program's Windows-1251 bytes and the UTF-16 of the W APIs.
#pragma once

#include <string>

namespace velkaro::win {

std::wstring Widen(const std::string& cp1251);
std::string Narrow(const std::wstring& utf16);  // characters outside Windows-1251 become '?'

}  // namespace velkaro::win
