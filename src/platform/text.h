// Conversions between the UTF-8 of the portable core and the UTF-16 of Windows.
#pragma once

#include <string>
#include <string_view>

namespace pw {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace pw
