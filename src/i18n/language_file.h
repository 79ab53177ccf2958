// Language files: the window title, status panel 1 and every menu caption, read from a text
// file of 25 positional lines beside the program.
#pragma once

#include <array>
#include <string>

#include "core/language_lines.h"

namespace pw {

class FrmMain;

inline constexpr wchar_t kLanguageFolder[] = L"\\language";
inline constexpr wchar_t kChineseLanguageFile[] = L"\\chinese.lng";
inline constexpr wchar_t kEnglishLanguageFile[] = L"\\English.lng";

// What each line of a language file sets, in the file's order: the window title, the first
// status panel, then the menu items by name.
inline constexpr const char* kLanguageTargets[kLanguageLines] = {
    "FrmMain",      "StatusBar1",   "mnuFile",        "mnuOpen",     "mnusave",
    "mnuWallpaper", "mnuClearWall", "mnuprint",       "mnuClear",    "mnuExit",
    "mnuCapture",   "mnuScreen",    "mnuAtiveWindow", "mnuClient",   "mnuTitleBar",
    "mnuScroll",    "mnuView",      "mnuMspaint",     "mnuLanguage", "mnuChinese",
    "mnuEnglish",   "mnuDistrict",  "mnuhelp",        "mnuAbout",    "mnuHowto",
};

// The first 25 lines of the file at `path`, decoded by its byte-order mark or, without one,
// in the system's ANSI code page. Throws Failure naming the file when it cannot be read.
std::array<std::wstring, kLanguageLines> ReadLanguageFile(const std::wstring& path);

// Reads folder & fileName (joined as they are) and gives each of the 25 targets its line;
// missing lines give empty texts. A file that cannot be read changes nothing and throws
// Failure naming it; a target that refuses its text keeps the old one, the others still
// change, and a Failure names it afterwards.
void ApplyLanguageFile(FrmMain& form, const std::wstring& folder, const std::wstring& fileName);

}  // namespace pw
