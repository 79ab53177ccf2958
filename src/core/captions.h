// Texts derived from menu captions.
#pragma once

#include <string>
#include <string_view>

namespace pw {

// A menu caption as a command's name in running text: the access-key marker goes ("&Open"
// gives "Open", "整个屏幕(&S)" gives "整个屏幕", "A && B" gives "A & B"), and so does a
// trailing ellipsis. UTF-8 in and out.
std::string CommandDisplayName(std::string_view caption);

}  // namespace pw
