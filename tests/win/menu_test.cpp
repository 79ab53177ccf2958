#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/commands.h"
#include "core/ids.h"
#include "main_window_fixture.h"
#include "platform/text.h"

namespace pw {
namespace {

struct Item {
    int level;
    std::wstring caption;  // as the menu shows it, shortcut after a tab; "-" for a separator
    const char* name;      // null for separators
    bool grayed = false;
};

// The menu bar as a user must find it.
const std::vector<Item>& ExpectedMenu() {
    static const std::vector<Item> items = {
        {1, L"文件(&F)", "mnuFile"},
        {2, L"打开(&O)", "mnuOpen"},
        {2, L"保存(&S)\tCtrl+S", "mnusave"},
        {2, L"-", nullptr},
        {2, L"取消捕获(&C)", "mnuClear"},
        {2, L"-", nullptr},
        {2, L"设置为墙纸\tCtrl+W", "mnuWallpaper"},
        {2, L"清除墙纸\tCtrl+C", "mnuClearWall"},
        {2, L"-", nullptr},
        {2, L"打印(&P)", "mnuprint"},
        {2, L"-", nullptr},
        {2, L"退出(&X)\tCtrl+Q", "mnuExit"},
        {1, L"捕获(&C)", "mnuCapture"},
        {2, L"整个屏幕(&S)\tPrint Screen", "mnuScreen"},
        {2, L"自由捕获(&D)\tCtrl+Print Screen", "mnuDistrict"},
        {2, L"-", nullptr},
        {2, L"延时捕获(&A)\tAlt+Print Screen", "mnuAtiveWindow"},
        {2, L"当前工作区(&C)", "mnuClient"},
        {2, L"-", nullptr},
        {2, L"当前窗口(&F)", "mnuTitleBar"},
        {2, L"滚动窗口(&S)", "mnuScroll", true},
        {2, L"-", nullptr},
        {2, L"重复上次自由捕获(&R)\tShift+Print Screen", "mnuRepeat"},
        {1, L"图像(&I)", "mnuView"},
        {2, L"用画图编辑", "mnuMspaint"},
        {2, L"-", nullptr},
        {2, L"选择语言(&L)", "mnuLanguage"},
        {3, L"简体中文(&C)", "mnuChinese"},
        {3, L"英语(&English)", "mnuEnglish"},
        {2, L"-", nullptr},
        {2, L"复制(&C)\tCtrl+Insert", "mnuCopy"},
        {1, L"帮助(&H)", "mnuhelp"},
        {2, L"帮助主题(H)", "mnuHowto"},
        {2, L"-", nullptr},
        {2, L"关于Pixelwren(&A)...", "mnuAbout"},
    };
    return items;
}

struct Found {
    int level;
    std::wstring caption;
    UINT id;
    bool popup;
    bool grayed;
};

void Walk(HMENU menu, int level, std::vector<Found>& out) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        ASSERT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        out.push_back({level, separator ? L"-" : text, info.wID, info.hSubMenu != nullptr,
                       (info.fState & MFS_GRAYED) != 0});
        if (info.hSubMenu != nullptr) {
            Walk(info.hSubMenu, level + 1, out);
        }
    }
}

class MenuTest : public test::MainWindowTest {};

// The command id that Ctrl+key sends through the window's accelerators, or 0 for none.
UINT CommandOfShortcut(const FrmMain& form, UINT key) {
    ACCEL table[32] = {};
    const int count = ::CopyAcceleratorTableW(form.Accelerators(), table, 32);
    for (int i = 0; i < count; ++i) {
        if ((table[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT)) == (FVIRTKEY | FCONTROL) &&
            table[i].key == key) {
            return table[i].cmd;
        }
    }
    return 0;
}

TEST_F(MenuTest, MenuBarReadsBackAsDesigned) {
    std::vector<Found> found;
    Walk(m_form.Menu(), 1, found);
    const std::vector<Item>& expected = ExpectedMenu();
    ASSERT_EQ(found.size(), expected.size());
    std::vector<UINT> commandIds;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name != nullptr ? expected[i].name : "separator");
        EXPECT_EQ(found[i].level, expected[i].level);
        EXPECT_EQ(found[i].caption, expected[i].caption);
        if (expected[i].name == nullptr || found[i].popup) {
            continue;  // separators count as greyed on every system
        }
        EXPECT_EQ(found[i].grayed, expected[i].grayed);
        // Every item has a command of its own.
        EXPECT_NE(found[i].id, 0u);
        EXPECT_EQ(std::count(commandIds.begin(), commandIds.end(), found[i].id), 0);
        commandIds.push_back(found[i].id);
        // The Ctrl shortcut the menu shows beside an item is the one that chooses it, and no
        // other Ctrl+letter does. (The Print Screen hotkeys are the commands tests'.)
        const size_t tab = found[i].caption.find(L'\t');
        const std::wstring shortcut =
            tab != std::wstring::npos ? found[i].caption.substr(tab + 1) : L"";
        if (shortcut.substr(0, 5) == L"Ctrl+" && shortcut.find(L"Print") == std::wstring::npos) {
            const std::wstring key = shortcut.substr(5);
            ASSERT_TRUE(key.size() == 1 || key == L"Insert") << Narrow(shortcut);
            EXPECT_EQ(CommandOfShortcut(m_form, key == L"Insert" ? VK_INSERT : key[0]),
                      found[i].id);
        }
    }
    int shortcuts = 0;
    for (wchar_t key = L'A'; key <= L'Z'; ++key) {
        shortcuts += CommandOfShortcut(m_form, key) != 0;
    }
    EXPECT_EQ(shortcuts, 4);
}

// The id of the menu item a user finds under this caption.
UINT ItemWithCaption(HMENU menu, const std::wstring& caption) {
    std::vector<Found> found;
    Walk(menu, 1, found);
    for (const Found& item : found) {
        if (item.caption.substr(0, item.caption.find(L'\t')) == caption) {
            return item.id;
        }
    }
    return 0;
}

TEST_F(MenuTest, ChoosingAnItemRunsItsCommand) {
    RECT client{};
    ::GetClientRect(m_form.Hwnd(), &client);
    RECT outer{};
    ::GetWindowRect(m_form.Hwnd(), &outer);
    ::SendMessageW(m_form.Hwnd(), WM_COMMAND, MAKEWPARAM(ItemWithCaption(m_form.Menu(), L"当前工作区(&C)"), 0), 0);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{client.right, client.bottom}));
    ::SendMessageW(m_form.Hwnd(), WM_COMMAND, MAKEWPARAM(ItemWithCaption(m_form.Menu(), L"当前窗口(&F)"), 0), 0);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(),
              (Size{outer.right - outer.left, outer.bottom - outer.top}));
    EXPECT_TRUE(m_form.ImageUnsaved());
    m_boxes.Answer(IDCANCEL);
    ::SendMessageW(m_form.Hwnd(), WM_COMMAND, MAKEWPARAM(ItemWithCaption(m_form.Menu(), L"延时捕获(&A)"), 0), 0);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text, kDelayedCapturePrompt);
    // Exit ends the window at once, asking nothing about the capture.
    ::SendMessageW(m_form.Hwnd(), WM_COMMAND, MAKEWPARAM(ItemWithCaption(m_form.Menu(), L"退出(&X)"), 0), 0);
    EXPECT_EQ(m_form.Hwnd(), nullptr);
    EXPECT_EQ(m_boxes.Count(), 1u);
}

TEST_F(MenuTest, GreyedScrollingWindowRunsNothing) {
    EXPECT_EQ(FindCommand(ids::kMnuScroll)->handler, nullptr);
    const Picture before = m_form.PicBmp().GetPicture();
    ::SendMessageW(m_form.Hwnd(), WM_COMMAND, MAKEWPARAM(ids::kMnuScroll, 0), 0);
    EXPECT_TRUE(m_form.PicBmp().GetPicture() == before);
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(m_boxes.Count(), 0u);
}

// Each WM_COMMAND the main window receives, in order.
std::vector<UINT>* g_commands = nullptr;
HWND g_window = nullptr;

LRESULT CALLBACK RecordCommands(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_commands != nullptr && message->hwnd == g_window &&
        message->message == WM_COMMAND) {
        g_commands->push_back(LOWORD(message->wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MenuTest, ShortcutsReachTheirCommands) {
    std::vector<UINT> commands;
    g_commands = &commands;
    g_window = m_form.Hwnd();
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, RecordCommands, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    // Ctrl held down, as the keyboard would report it while the key is pressed.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_LCONTROL] = 0x80;
    ::SetKeyboardState(keys);
    m_key.Set(L"MainLeft", L"777");
    m_boxes.Answer(IDOK);
    m_boxes.Answer(IDOK);
    m_boxes.Answer(IDOK);
    for (const BYTE key : std::initializer_list<BYTE>{'S', 'W', 'C', 'X', VK_INSERT, 'Q'}) {
        MSG message{m_form.Hwnd(), WM_KEYDOWN, key, 1};
        ::TranslateAcceleratorW(m_form.Hwnd(), m_form.Accelerators(), &message);
    }
    keys[VK_CONTROL] = 0;
    keys[VK_LCONTROL] = 0;
    ::SetKeyboardState(keys);
    ::UnhookWindowsHookEx(hook);
    g_commands = nullptr;

    // Ctrl+C is "clear wallpaper", not copy, which is Ctrl+Insert; Ctrl+X is nothing.
    EXPECT_EQ(commands, (std::vector<UINT>{ids::kMnuSave, ids::kMnuWallpaper, ids::kMnuClearWall,
                                           ids::kMnuCopy, ids::kMnuExit}));
    // Ctrl+Q ended the window at once, without storing the placement or asking.
    EXPECT_FALSE(::IsWindow(g_window));
    EXPECT_EQ(m_key.Value(L"MainLeft"), L"777");
    EXPECT_EQ(m_key.Value(L"MainWidth"), L"(missing)");
    // The only boxes: with nothing captured, Ctrl+S, Ctrl+W and Ctrl+Insert say there is
    // nothing to save, set as the wallpaper or copy.
    ASSERT_EQ(m_boxes.Count(), 3u);
    EXPECT_NE(m_boxes.History()[0].text.find(kNothingToSave), std::wstring::npos);
    EXPECT_NE(m_boxes.History()[1].text.find(L"还没有图片"), std::wstring::npos);
    EXPECT_NE(m_boxes.History()[2].text.find(kNothingToCopy), std::wstring::npos);
}

}  // namespace
}  // namespace pw
