// Language files: the window title, status panel 1 and every menu caption, read from a text
// file of 25 positional lines, and optional ones after them, beside the program.
#pragma once

#include <array>
#include <string>

#include "core/language_lines.h"

namespace pw {

inline constexpr wchar_t kLanguageFolder[] = L"\\language";
inline constexpr wchar_t kChineseLanguageFile[] = L"\\chinese.lng";
inline constexpr wchar_t kEnglishLanguageFile[] = L"\\English.lng";

// The first 25 lines of the file at `path` and the optional ones after them, decoded by its
// byte-order mark or, without one, in the system's ANSI code page; missing lines are empty. Of a
// file over 16 MiB only its start is read, up to the last whole character there. Throws Failure
// naming the file when it cannot be read.
std::array<std::wstring, kLanguageFileLines> ReadLanguageFile(const std::wstring& path);

}  // namespace pw
