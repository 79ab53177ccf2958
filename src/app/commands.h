// The command table: one row per menu entry, in display order. It builds the menu bar and the
// accelerators, and the toolbar's dispatch finds its commands in it by button index. Beside it,
// the hotkeys registered with the system, which the menu shows beside the items they belong to.
#pragma once

#include <windows.h>

#include <array>
#include <span>
#include <string>

namespace pw {

class FrmMain;

struct Shortcut {
    BYTE virtualKey = 0;  // 0: none; otherwise Ctrl + this key
};

struct MenuEntry {
    int level;               // 1 on the menu bar, 2 in a menu, 3 in a submenu
    const char* name;        // the menu item's name
    const wchar_t* caption;  // built-in caption; "-" makes a separator
    UINT id;                 // WM_COMMAND identifier; 0 for menus and separators
    Shortcut shortcut;
    std::array<int, 2> toolbar;  // toolbar buttons (numbered from 1) that run it; 0: none
    void (FrmMain::*handler)();
    bool enabled = true;
};

std::span<const MenuEntry> MenuTable();
// The entry with a command of this id, or null.
const MenuEntry* FindCommand(UINT id);
// The entry with this name, or null.
const MenuEntry* FindMenuEntry(const char* name);

// A key combination that works wherever the focus is: registered with the system for the main
// window, whose menu shows it beside an item.
struct Hotkey {
    UINT command;             // the command it runs, as a WM_COMMAND identifier; also its hotkey id
    UINT modifiers;           // MOD_ALT, MOD_CONTROL, MOD_SHIFT, or 0
    UINT virtualKey;          // VK_SNAPSHOT: Print Screen
    const char* shownBeside;  // the menu item whose caption shows it after a tab
};
std::span<const Hotkey> HotkeyTable();
// "Ctrl+Print Screen"; the same in every language, as the Ctrl shortcuts are.
std::wstring HotkeyText(const Hotkey& hotkey);

// What the menu shows after a tab beside the entry: its Ctrl shortcut or the hotkey shown
// beside it; empty for neither.
std::wstring ShortcutLabel(const MenuEntry& entry);

// The menu bar of the table; captions carry their shortcut after a tab ("保存(&S)\tCtrl+S").
HMENU BuildMenuBar(std::span<const MenuEntry> table);
// The caption of the named entry in a menu bar built from the table, without the shortcut
// part; empty when there is no such entry.
std::wstring MenuCaption(HMENU bar, std::span<const MenuEntry> table, const char* name);
// Gives the named entry a new caption, keeping its shortcut after a tab. False when the entry
// is not there or the menu refused the text.
bool SetMenuCaption(HMENU bar, std::span<const MenuEntry> table, const char* name,
                    const std::wstring& caption);
// Ctrl+key accelerators for every entry with a shortcut; null when there are none.
HACCEL BuildAccelerators(std::span<const MenuEntry> table);
// "Ctrl+S" for Ctrl and S, "Ctrl+Insert" for Ctrl and Insert; empty for none.
std::wstring ShortcutText(Shortcut shortcut);

// The toolbar: seventeen positions numbered from 1. A placeholder is an empty gap, a
// separator the toolbar's dividing line; only buttons have a tooltip, an image and a command.
enum class ToolbarKind { Placeholder, Button, Separator };

struct ToolbarPosition {
    ToolbarKind kind;
    const wchar_t* tooltip;
    int image;  // in ImageList1, numbered from 1; 0 for none
};

inline constexpr int kToolbarButtons = 17;
std::span<const ToolbarPosition> ToolbarTable();

// The command id that clicking toolbar button `index` runs, or 0 when that index runs nothing
// (below 2, above 17, a placeholder or the separator).
UINT ToolbarCommand(int index);

// ImageList1: 23 square images at the size the window's dpi takes (ToolbarImageSizeForDpi),
// silver as the mask colour; five of them carry keys.
inline constexpr int kToolbarImageCount = 23;
inline constexpr COLORREF kToolbarMaskColour = RGB(192, 192, 192);
// The image (numbered from 1) that carries this key, or 0 when none does.
int ImageOfKey(const char* key);

}  // namespace pw
