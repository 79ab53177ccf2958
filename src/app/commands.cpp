#include "app/commands.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "core/ids.h"

namespace pw {

namespace {

using F = FrmMain;

const MenuEntry kMenu[] = {
    {1, "mnuFile", L"文件(&F)", 0, {}, {}, nullptr},
    {2, "mnuOpen", L"打开(&O)", ids::kMnuOpen, {}, {2}, &F::mnuOpen_Click},
    {2, "mnusave", L"保存(&S)", ids::kMnuSave, {'S'}, {3}, &F::mnusave_Click},
    {2, "vvv", L"-", 0, {}, {}, nullptr},
    {2, "mnuClear", L"取消捕获(&C)", ids::kMnuClear, {}, {}, &F::mnuClear_Click},
    {2, "ll", L"-", 0, {}, {}, nullptr},
    {2, "mnuWallpaper", L"设置为墙纸", ids::kMnuWallpaper, {'W'}, {13}, &F::mnuWallpaper_Click},
    {2, "mnuClearWall", L"清除墙纸", ids::kMnuClearWall, {'C'}, {}, &F::mnuClearWall_Click},
    {2, "lll", L"-", 0, {}, {}, nullptr},
    {2, "mnuprint", L"打印(&P)", ids::kMnuPrint, {}, {14}, &F::mnuprint_Click},
    {2, "llll", L"-", 0, {}, {}, nullptr},
    {2, "mnuExit", L"退出(&X)", ids::kMnuExit, {'Q'}, {}, &F::mnuExit_Click},
    {1, "mnuCapture", L"捕获(&C)", 0, {}, {}, nullptr},
    {2, "mnuScreen", L"整个屏幕(&S)", ids::kMnuScreen, {}, {5}, &F::mnuScreen_Click},
    {2, "mnuDistrict", L"自由捕获(&D)", ids::kMnuDistrict, {}, {6}, &F::mnuDistrict_Click},
    {2, "H", L"-", 0, {}, {}, nullptr},
    {2, "mnuAtiveWindow", L"延时捕获(&A)", ids::kMnuAtiveWindow, {}, {7}, &F::mnuAtiveWindow_Click},
    // Button 10's tooltip says "capture work area": it runs this capture as well as button 8.
    {2, "mnuClient", L"当前工作区(&C)", ids::kMnuClient, {}, {8, 10}, &F::mnuClient_Click},
    {2, "iiii", L"-", 0, {}, {}, nullptr},
    {2, "mnuTitleBar", L"当前窗口(&F)", ids::kMnuTitleBar, {}, {9}, &F::mnuTitleBar_Click},
    // Shown greyed: it has no command.
    {2, "mnuScroll", L"滚动窗口(&S)", ids::kMnuScroll, {}, {}, nullptr, false},
    {2, "hh", L"-", 0, {}, {}, nullptr},
    {2, "mnuRepeat", L"重复上次自由捕获(&R)", ids::kMnuRepeat, {}, {}, &F::mnuRepeat_Click},
    {1, "mnuView", L"图像(&I)", 0, {}, {}, nullptr},
    {2, "mnuMspaint", L"用画图编辑", ids::kMnuMspaint, {}, {12}, &F::mnuMspaint_Click},
    {2, "mnuline", L"-", 0, {}, {}, nullptr},
    {2, "mnuLanguage", L"选择语言(&L)", 0, {}, {}, nullptr},
    {3, "mnuChinese", L"简体中文(&C)", ids::kMnuChinese, {}, {}, &F::mnuChinese_Click},
    {3, "mnuEnglish", L"英语(&English)", ids::kMnuEnglish, {}, {}, &F::mnuEnglish_Click},
    {2, "kk", L"-", 0, {}, {}, nullptr},
    {2, "mnuCopy", L"复制(&C)", ids::kMnuCopy, {VK_INSERT}, {}, &F::mnuCopy_Click},
    {1, "mnuhelp", L"帮助(&H)", 0, {}, {}, nullptr},
    {2, "mnuHowto", L"帮助主题(H)", ids::kMnuHowto, {}, {16}, &F::mnuHowto_Click},
    {2, "gg", L"-", 0, {}, {}, nullptr},
    {2, "mnuAbout", L"关于Pixelwren(&A)...", ids::kMnuAbout, {}, {17}, &F::mnuAbout_Click},
};

// Print Screen and its modified forms, one capture each.
const Hotkey kHotkeys[] = {
    {ids::kMnuScreen, 0, VK_SNAPSHOT, "mnuScreen"},
    {ids::kMnuDistrict, MOD_CONTROL, VK_SNAPSHOT, "mnuDistrict"},
    // The delayed capture's item: the same window without the wait, the hotkey having chosen it.
    {ids::kActiveWindowNow, MOD_ALT, VK_SNAPSHOT, "mnuAtiveWindow"},
    {ids::kMnuRepeat, MOD_SHIFT, VK_SNAPSHOT, "mnuRepeat"},
};

std::wstring KeyName(UINT virtualKey) {
    switch (virtualKey) {
        case VK_INSERT:
            return L"Insert";
        case VK_SNAPSHOT:
            return L"Print Screen";
        default:
            return std::wstring(1, static_cast<wchar_t>(virtualKey));
    }
}

constexpr ToolbarKind P = ToolbarKind::Placeholder;
constexpr ToolbarKind B = ToolbarKind::Button;
constexpr ToolbarKind S = ToolbarKind::Separator;

const ToolbarPosition kToolbar[kToolbarButtons] = {
    {P, nullptr, 0},
    {B, L"打开", 1},
    {B, L"保存图片", 2},
    {P, nullptr, 0},
    {B, L"捕获全屏", 6},
    {B, L"区域到剪切板", 3},
    {B, L"延时捕获活动窗口", 7},
    {B, L"捕获当前窗口", 8},
    {B, L"捕获当前窗口", 9},
    {B, L"捕获工作区", 10},
    {P, nullptr, 0},
    {B, L"用画图编辑", 12},
    {B, L"设为墙纸", 20},
    {B, L"打印", 21},
    {S, nullptr, 0},
    {B, L"帮助", 23},
    {B, L"关于", 18},
};

struct ImageKeyEntry {
    int index;
    const char* key;
};
const ImageKeyEntry kImageKeys[] = {
    {1, "Open"}, {2, "Save"}, {3, "Capture Rectangle"}, {4, "Capture Full Screen"}, {22, "CopyToClipboard"},
};

bool IsSeparator(const MenuEntry& entry) { return std::wcscmp(entry.caption, L"-") == 0; }

struct MenuPlace {
    const MenuEntry* entry = nullptr;
    HMENU menu = nullptr;
    UINT position = 0;
};

// Where BuildMenuBar put the named entry: its menu and its position there.
MenuPlace FindMenuPlace(HMENU bar, std::span<const MenuEntry> table, const char* name) {
    std::vector<HMENU> menus{bar};
    std::vector<UINT> positions{0};
    for (size_t i = 0; i < table.size(); ++i) {
        const MenuEntry& entry = table[i];
        const auto level = static_cast<size_t>(entry.level);
        if (level > menus.size()) {
            return {};
        }
        menus.resize(level);
        positions.resize(level);
        HMENU parent = menus[level - 1];
        const UINT position = positions[level - 1]++;
        if (std::strcmp(entry.name, name) == 0) {
            return {&entry, parent, position};
        }
        if (i + 1 < table.size() && table[i + 1].level > entry.level) {
            menus.push_back(::GetSubMenu(parent, static_cast<int>(position)));
            positions.push_back(0);
        }
    }
    return {};
}

}  // namespace

std::span<const MenuEntry> MenuTable() { return kMenu; }

const MenuEntry* FindCommand(UINT id) {
    for (const MenuEntry& entry : kMenu) {
        if (entry.id == id && id != 0) {
            return &entry;
        }
    }
    return nullptr;
}

const MenuEntry* FindMenuEntry(const char* name) {
    for (const MenuEntry& entry : kMenu) {
        if (std::strcmp(entry.name, name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

std::wstring ShortcutText(Shortcut shortcut) {
    if (shortcut.virtualKey == 0) {
        return {};
    }
    return L"Ctrl+" + KeyName(shortcut.virtualKey);
}

std::span<const Hotkey> HotkeyTable() {
    return kHotkeys;
}

std::wstring HotkeyText(const Hotkey& hotkey) {
    std::wstring text;
    if ((hotkey.modifiers & MOD_CONTROL) != 0) {
        text += L"Ctrl+";
    }
    if ((hotkey.modifiers & MOD_ALT) != 0) {
        text += L"Alt+";
    }
    if ((hotkey.modifiers & MOD_SHIFT) != 0) {
        text += L"Shift+";
    }
    return text + KeyName(hotkey.virtualKey);
}

std::wstring ShortcutLabel(const MenuEntry& entry) {
    if (entry.shortcut.virtualKey != 0) {
        return ShortcutText(entry.shortcut);
    }
    for (const Hotkey& hotkey : kHotkeys) {
        if (std::strcmp(hotkey.shownBeside, entry.name) == 0) {
            return HotkeyText(hotkey);
        }
    }
    return {};
}

HMENU BuildMenuBar(std::span<const MenuEntry> table) {
    // menus[level - 1] is the menu that entries of that level go into.
    std::vector<HMENU> menus{::CreateMenu()};
    for (size_t i = 0; i < table.size(); ++i) {
        const MenuEntry& entry = table[i];
        menus.resize(static_cast<size_t>(entry.level));
        HMENU parent = menus[static_cast<size_t>(entry.level) - 1];
        const bool opensMenu = i + 1 < table.size() && table[i + 1].level > entry.level;
        if (IsSeparator(entry)) {
            ::AppendMenuW(parent, MF_SEPARATOR, 0, nullptr);
        } else if (opensMenu) {
            HMENU popup = ::CreatePopupMenu();
            ::AppendMenuW(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                          entry.caption);
            menus.push_back(popup);
        } else {
            std::wstring caption = entry.caption;
            if (const std::wstring label = ShortcutLabel(entry); !label.empty()) {
                caption += L"\t" + label;
            }
            ::AppendMenuW(parent, MF_STRING | (entry.enabled ? 0u : MF_GRAYED), entry.id,
                          caption.c_str());
        }
    }
    return menus.front();
}

std::wstring MenuCaption(HMENU bar, std::span<const MenuEntry> table, const char* name) {
    const MenuPlace place = FindMenuPlace(bar, table, name);
    if (place.menu == nullptr) {
        return {};
    }
    wchar_t text[512] = {};
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 512;
    if (!::GetMenuItemInfoW(place.menu, place.position, TRUE, &info)) {
        return {};
    }
    const std::wstring caption = text;
    // Only a shortcut the table gave follows the tab; a tab of the caption's own stays.
    if (!ShortcutLabel(*place.entry).empty()) {
        return caption.substr(0, caption.rfind(L'\t'));
    }
    return caption;
}

bool SetMenuCaption(HMENU bar, std::span<const MenuEntry> table, const char* name,
                    const std::wstring& caption) {
    const MenuPlace place = FindMenuPlace(bar, table, name);
    if (place.menu == nullptr) {
        return false;
    }
    std::wstring text = caption;
    if (const std::wstring label = ShortcutLabel(*place.entry); !label.empty()) {
        text += L"\t" + label;
    }
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    return ::SetMenuItemInfoW(place.menu, place.position, TRUE, &info) != FALSE;
}

HACCEL BuildAccelerators(std::span<const MenuEntry> table) {
    std::vector<ACCEL> accelerators;
    for (const MenuEntry& entry : table) {
        if (entry.shortcut.virtualKey != 0 && entry.id != 0) {
            accelerators.push_back({FVIRTKEY | FCONTROL, entry.shortcut.virtualKey,
                                    static_cast<WORD>(entry.id)});
        }
    }
    if (accelerators.empty()) {
        return nullptr;
    }
    return ::CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
}

std::span<const ToolbarPosition> ToolbarTable() { return kToolbar; }

UINT ToolbarCommand(int index) {
    if (index < 2 || index > kToolbarButtons) {
        return 0;
    }
    for (const MenuEntry& entry : kMenu) {
        for (const int button : entry.toolbar) {
            if (button == index) {
                return entry.id;
            }
        }
    }
    return 0;
}

int ImageOfKey(const char* key) {
    for (const ImageKeyEntry& entry : kImageKeys) {
        if (std::strcmp(entry.key, key) == 0) {
            return entry.index;
        }
    }
    return 0;
}

}  // namespace pw
