#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "core/ids.h"
#include "desktop_support.h"
#include "i18n/language_file.h"
#include "platform/text.h"

namespace pw {
namespace {

using test::ReadFileText;
using test::WriteFileText;

// Every caption a user can see that a language file sets, read back from the window itself:
// the title, status panel 1 and its tooltip, and each named menu item as the menu shows it.
struct Shown {
    std::wstring title;
    std::wstring panel1;
    std::wstring panel1Tip;
    std::vector<std::pair<std::string, std::wstring>> menu;  // name, caption with shortcut
    std::vector<std::wstring> toolbarTips;
};

void WalkMenu(HMENU menu, std::vector<std::wstring>& captions) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 256;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        captions.push_back((info.fType & MFT_SEPARATOR) != 0 ? L"-" : text);
        if (info.hSubMenu != nullptr) {
            WalkMenu(info.hSubMenu, captions);
        }
    }
}

constexpr size_t kTipChars = 1024;

Shown ReadShown(FrmMain& form) {
    Shown shown;
    wchar_t title[256] = {};
    ::GetWindowTextW(form.Hwnd(), title, 256);
    shown.title = title;
    shown.panel1 = form.StatusBar1().PanelText(1);
    // Wine's tooltip copies up to its own limit of 1,024 characters, whatever the size given.
    wchar_t tip[kTipChars] = {};
    TTTOOLINFOW tool{sizeof tool};
    tool.hwnd = form.StatusBar1().Hwnd();
    tool.uId = 1;
    tool.lpszText = tip;
    ::SendMessageW(form.StatusBar1().Tooltip(), TTM_GETTEXTW, kTipChars,
                   reinterpret_cast<LPARAM>(&tool));
    shown.panel1Tip = tip;
    // The menu is walked in display order, which is the table's order.
    std::vector<std::wstring> captions;
    WalkMenu(form.Menu(), captions);
    const auto table = MenuTable();
    EXPECT_EQ(captions.size(), table.size());
    for (size_t i = 0; i < std::min(captions.size(), table.size()); ++i) {
        shown.menu.emplace_back(table[i].name, captions[i]);
    }
    // What the toolbar's tooltips answer, asked as the toolbar asks.
    for (int button = 1; button <= kToolbarButtons; ++button) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = form.Toolbar1().Hwnd();
        info.hdr.idFrom = ids::kToolbarCommandBase + static_cast<UINT>(button);
        info.hdr.code = TTN_GETDISPINFOW;
        ::SendMessageW(form.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        shown.toolbarTips.push_back(info.lpszText != nullptr ? info.lpszText : L"");
    }
    return shown;
}

std::wstring MenuShows(const Shown& shown, const char* name) {
    for (const auto& [itemName, caption] : shown.menu) {
        if (itemName == name) {
            return caption;
        }
    }
    return L"(no such item)";
}

// The lines of a UTF-8 file with a byte-order mark and CR LF line ends, read plainly.
std::vector<std::wstring> LinesOf(std::string bytes) {
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    bytes.erase(0, 3);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(Widen(bytes.substr(start, end - start)));
    }
    return lines;
}

// The menu item that each of lines 3 to 27 sets, in the file's own order (not the menu's),
// with the shortcut the menu shows beside it whatever the language.
struct LineTarget {
    const char* name;
    const wchar_t* shortcut;
};
constexpr LineTarget kMenuOfLine[kLanguageFileLines] = {
    {nullptr, L""},
    {nullptr, L""},
    {"mnuFile", L""},
    {"mnuOpen", L""},
    {"mnusave", L"Ctrl+S"},
    {"mnuWallpaper", L"Ctrl+W"},
    {"mnuClearWall", L"Ctrl+C"},
    {"mnuprint", L""},
    {"mnuClear", L""},
    {"mnuExit", L"Ctrl+Q"},
    {"mnuCapture", L""},
    {"mnuScreen", L"Print Screen"},
    {"mnuAtiveWindow", L"Alt+Print Screen"},
    {"mnuClient", L""},
    {"mnuTitleBar", L""},
    {"mnuScroll", L""},
    {"mnuView", L""},
    {"mnuMspaint", L""},
    {"mnuLanguage", L""},
    {"mnuChinese", L""},
    {"mnuEnglish", L""},
    {"mnuDistrict", L"Ctrl+Print Screen"},
    {"mnuhelp", L""},
    {"mnuAbout", L""},
    {"mnuHowto", L""},
    // The optional lines, and the captions their items keep where a file has none.
    {"mnuRepeat", L"Shift+Print Screen"},
    {"mnuCopy", L"Ctrl+Insert"},
};
const wchar_t* const kBuiltInOfOptionalLine[kOptionalLanguageLines] = {L"重复上次自由捕获(&R)",
                                                                       L"复制(&C)"};

// What the window must show for these lines (missing ones empty): each target its line,
// shortcuts kept; an item of an optional line keeps its built-in caption for an empty one.
void ExpectTargetsCarry(const Shown& shown, std::vector<std::wstring> lines) {
    ASSERT_LE(lines.size(), kLanguageFileLines);
    lines.resize(kLanguageFileLines);
    EXPECT_EQ(shown.title, lines[0]);
    EXPECT_EQ(shown.panel1, lines[1]);
    EXPECT_EQ(shown.panel1Tip, lines[1].substr(0, kTipChars - 1));
    for (size_t i = 2; i < kLanguageFileLines; ++i) {
        const LineTarget& target = kMenuOfLine[i];
        std::wstring want = lines[i];
        if (i >= kLanguageLines && want.empty()) {
            want = kBuiltInOfOptionalLine[i - kLanguageLines];
        }
        if (*target.shortcut != L'\0') {
            want += L"\t" + std::wstring(target.shortcut);
        }
        EXPECT_EQ(MenuShows(shown, target.name), want) << target.name << " (line " << i + 1 << ")";
    }
}

class LanguageTest : public test::DesktopWindowTest {
  protected:
    std::wstring LanguageFile(const wchar_t* name) const {
        return m_folder.Path() + L"\\language" + name;
    }
};

TEST_F(LanguageTest, ShippedFilesSetEveryTargetAndNothingElse) {
    const Shown builtIn = ReadShown(m_form);
    for (const UINT command : {ids::kMnuEnglish, ids::kMnuChinese, ids::kMnuEnglish}) {
        const bool english = command == ids::kMnuEnglish;
        SCOPED_TRACE(english ? "English" : "Chinese");
        m_form.RunCommand(command);
        EXPECT_EQ(m_boxes.Count(), 0u) << (m_boxes.Count() ? Narrow(m_boxes.Last().text) : "");
        const Shown shown = ReadShown(m_form);
        const std::vector<std::wstring> lines = LinesOf(
            ReadFileText(LanguageFile(english ? kEnglishLanguageFile : kChineseLanguageFile)));
        ExpectTargetsCarry(shown, lines);
        // The toolbar's tooltips and the separators stay as they were.
        EXPECT_EQ(shown.toolbarTips, builtIn.toolbarTips);
        for (size_t i = 0; i < shown.menu.size(); ++i) {
            if (builtIn.menu[i].second == L"-") {
                EXPECT_EQ(shown.menu[i].second, L"-");
            }
        }
        // The Chinese file brings back exactly the built-in captions.
        if (!english) {
            EXPECT_EQ(shown.title, builtIn.title);
            EXPECT_EQ(shown.panel1, builtIn.panel1);
            EXPECT_EQ(shown.menu, builtIn.menu);
        }
    }
    // English captions: every one differs from the Chinese and has an access key.
    const std::vector<std::wstring> english =
        LinesOf(ReadFileText(LanguageFile(kEnglishLanguageFile)));
    const std::vector<std::wstring> chinese =
        LinesOf(ReadFileText(LanguageFile(kChineseLanguageFile)));
    EXPECT_EQ(chinese[24], L"帮助主题(H)");
    ASSERT_EQ(english.size(), kLanguageFileLines);
    ASSERT_EQ(chinese.size(), kLanguageFileLines);
    for (size_t i = 2; i < kLanguageFileLines; ++i) {
        EXPECT_NE(english[i], chinese[i]) << i + 1;
        EXPECT_NE(english[i].find(L'&'), std::wstring::npos) << i + 1;
    }
}

TEST_F(LanguageTest, LinesGoToTheirTargetsInTheFilesOrder) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::wstring> lines;
    };
    std::string distinct;
    std::string twentySeven;
    std::string thirty;
    std::string ten;
    std::vector<std::wstring> distinctLines;
    std::vector<std::wstring> thirtyLines;
    std::vector<std::wstring> tenLines;
    for (int i = 1; i <= 30; ++i) {
        const std::string line = "Line " + std::to_string(i) + (i % 2 ? " &x" : "");
        thirty += line + "\r\n";
        if (i <= 27) {
            twentySeven += line + "\r\n";
            thirtyLines.push_back(Widen(line));
        }
        if (i <= 25) {
            distinct += line + "\r\n";
            distinctLines.push_back(Widen(line));
        }
        if (i <= 10) {
            ten += line + "\r";
            tenLines.push_back(Widen(line));
        }
    }
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : std::u16string(u"  a \r\n \r\nb\nc")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    // The lone LF goes to a menu caption: the status bar shows line breaks as spaces.
    std::vector<std::wstring> utf16Lines{L"  a ", L" ", L"b\nc"};
    // Status panel 1 with more characters than a 16-bit length can count.
    std::vector<std::wstring> longLines = distinctLines;
    longLines[1] = std::wstring(70000, L'w') + L"!";
    const Case cases[] = {
        {"25 distinct lines: the items of the optional lines keep their own", distinct,
         distinctLines},
        {"30 lines: 26 and 27 for the items added since, the last three ignored", thirty,
         thirtyLines},
        {"10 lines: the other targets go empty, the added items keep their own", ten, tenLines},
        {"an empty 26th line", distinct + "\r\nLine 27\r\n",
         [&] {
             auto lines = distinctLines;
             lines.insert(lines.end(), {L"", L"Line 27"});
             return lines;
         }()},
        {"spaces kept, a lone LF stays, UTF-16 LE", utf16, utf16Lines},
        {"27 lines, then more than 16 MiB", twentySeven + std::string(17 << 20, 'x'), thirtyLines},
        {"a second line of 70,001 characters",
         "Line 1 &x\r\n" + Narrow(longLines[1]) + distinct.substr(distinct.find("\r\nLine 3")),
         longLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileText(LanguageFile(kEnglishLanguageFile), c.file);
        m_form.RunCommand(ids::kMnuEnglish);
        EXPECT_EQ(m_boxes.Count(), 0u);
        ExpectTargetsCarry(ReadShown(m_form), c.lines);
    }
    // mnuDistrict, shown second in its menu, takes line 22.
    WriteFileText(LanguageFile(kEnglishLanguageFile), distinct);
    m_form.RunCommand(ids::kMnuEnglish);
    EXPECT_EQ(MenuShows(ReadShown(m_form), "mnuDistrict"), L"Line 22\tCtrl+Print Screen");
}

TEST_F(LanguageTest, OfAFileOver16MiBItsStartIsReadUpToTheLastWholeCharacter) {
    constexpr size_t kRead = size_t{16} << 20;
    const auto repeat = [](std::string start, const std::string& unit, size_t atLeast) {
        while (start.size() < atLeast) {
            start += unit;
        }
        return start;
    };
    // Where the start ends, it cuts a three-byte 界 after its first byte, and a pair of UTF-16
    // units after the first.
    ASSERT_EQ((kRead - 3) % 3, 1u);
    ASSERT_EQ((kRead - 2) / 2 % 2, 1u);
    struct Case {
        const char* name;
        std::string file;
        std::wstring line1;
    };
    const Case cases[] = {
        {"UTF-8", repeat("\xEF\xBB\xBF", "界", kRead + 3), std::wstring((kRead - 3) / 3, L'界')},
        {"UTF-16 LE", repeat("\xFF\xFE", std::string("\x3D\xD8\x00\xDE", 4), kRead + 4),
         Widen(repeat("", "\xF0\x9F\x98\x80", (kRead - 2) / 4 * 4))},
        // The LF beyond the start brings no line of its own.
        {"ANSI, a CR LF pair cut between the two", std::string(kRead - 1, 'a') + "\r\nsecond\r\n",
         std::wstring(kRead - 1, L'a')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileText(LanguageFile(kEnglishLanguageFile), c.file);
        const auto lines = ReadLanguageFile(LanguageFile(kEnglishLanguageFile));
        EXPECT_TRUE(lines[0] == c.line1)
            << lines[0].size() << " characters, not " << c.line1.size() << ", ending in "
            << Narrow(lines[0].substr(lines[0].size() - std::min<size_t>(lines[0].size(), 2)));
        for (size_t i = 1; i < kLanguageFileLines; ++i) {
            EXPECT_EQ(lines[i], L"") << "line " << i + 1;
        }
    }
}

TEST_F(LanguageTest, AnUnreadableFileChangesNothingAndSaysWhichFile) {
    const std::string english = ReadFileText(LanguageFile(kEnglishLanguageFile));
    struct Case {
        const char* name;
        std::string englishFile;  // read first
        std::wstring folderToBreak;
    } cases[] = {
        {"no such file, after the English file", english, LanguageFile(kChineseLanguageFile)},
        // The command's name comes from no language file: not empty after a short one.
        {"no such file, after a one-line file", "Title\r\n", LanguageFile(kChineseLanguageFile)},
        {"no language folder", english, m_folder.Path() + L"\\language"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileText(LanguageFile(kEnglishLanguageFile), c.englishFile);
        m_form.RunCommand(ids::kMnuEnglish);
        const Shown before = ReadShown(m_form);
        test::RemoveTree(c.folderToBreak);
        ::DeleteFileW(c.folderToBreak.c_str());
        const size_t boxes = m_boxes.Count();
        m_boxes.Answer(IDOK);
        m_form.RunCommand(ids::kMnuChinese);
        ASSERT_EQ(m_boxes.Count(), boxes + 1);
        // The message keeps its built-in wording, the command's name included.
        const std::wstring& text = m_boxes.Last().text;
        EXPECT_EQ(text.find(L"无法完成“简体中文”。\n\n无法读取语言文件“" + m_folder.Path() +
                            L"\\language\\chinese.lng”"),
                  0u)
            << Narrow(text);
        EXPECT_EQ(m_boxes.Last().style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        const Shown shown = ReadShown(m_form);
        EXPECT_EQ(shown.title, before.title);
        EXPECT_EQ(shown.panel1, before.panel1);
        EXPECT_EQ(shown.menu, before.menu);
    }
}

TEST(LanguageAtRootTest, TheFolderTextIsJoinedUnchanged) {
    // A program at a drive's root: "C:\\" & "\\language" & "\\English.lng", as it stands.
    test::TestSettingsKey key;
    SettingsStore settings(key.Path());
    test::ScriptedMessageBoxes boxes;
    FrmMainServices services;
    services.programFolder = L"Q:\\";
    FrmMain form(boxes, settings, services);
    ASSERT_TRUE(form.Create());
    boxes.Answer(IDOK);
    form.RunCommand(ids::kMnuEnglish);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().text.find(L"“Q:\\\\language\\English.lng”"), std::wstring::npos)
        << Narrow(boxes.Last().text);
}

TEST_F(LanguageTest, AboutSpeaksTheLanguageTheHelpTopicsItemShows) {
    auto about = [&] {
        m_boxes.Answer(IDOK);
        m_form.RunCommand(ids::kMnuAbout);
        return m_boxes.Last();
    };
    const test::ScriptedMessageBoxes::Asked builtIn = about();
    EXPECT_EQ(builtIn.title, L"关于Pixelwren v1.0");
    EXPECT_NE(builtIn.text.find(L" 编译于:2004年8月12日"), std::wstring::npos);
    EXPECT_EQ(builtIn.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(builtIn.owner, m_form.Hwnd());

    m_form.RunCommand(ids::kMnuEnglish);
    const test::ScriptedMessageBoxes::Asked english = about();
    EXPECT_EQ(english.title, L"About Pixelwren v1.0");
    EXPECT_NE(english.text.find(L"Compiled on: August,4 2004"), std::wstring::npos);

    m_form.RunCommand(ids::kMnuChinese);
    EXPECT_EQ(about().title, L"关于Pixelwren v1.0");

    // A file whose line 25 is one character off the marker gives the English box.
    const std::string chinese = ReadFileText(LanguageFile(kChineseLanguageFile));
    for (const char* marker : {"帮助主题(H) ", "帮助主题(h)", "帮助主题（H）"}) {
        SCOPED_TRACE(marker);
        std::string file = chinese;
        file.replace(file.find("帮助主题(H)"), std::string("帮助主题(H)").size(), marker);
        WriteFileText(LanguageFile(kEnglishLanguageFile), file);
        m_form.RunCommand(ids::kMnuEnglish);
        EXPECT_EQ(about().title, L"About Pixelwren v1.0");
    }
    WriteFileText(LanguageFile(kEnglishLanguageFile), chinese);
    m_form.RunCommand(ids::kMnuEnglish);
    EXPECT_EQ(about().title, L"关于Pixelwren v1.0");
}

}  // namespace
}  // namespace pw
