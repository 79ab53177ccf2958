// The command table: one row per menu entry, in display order. It builds the menu bar and the
// accelerators, and the toolbar's dispatch looks commands up in it by button index.
#pragma once

#include <windows.h>

#include <span>

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
    int toolbarIndex;  // the toolbar button (from 1) that runs the same command, or 0
    void (FrmMain::*handler)();
    bool enabled = true;
};

std::span<const MenuEntry> MenuTable();
// The entry with a command of this id, or null.
const MenuEntry* FindCommand(UINT id);
// The entry whose command a toolbar button of this index runs, or null.
const MenuEntry* FindToolbarCommand(int index);

// The menu bar of the table; captions carry their shortcut after a tab ("保存(&S)\tCtrl+S").
HMENU BuildMenuBar(std::span<const MenuEntry> table);
// Ctrl+key accelerators for every entry with a shortcut; null when there are none.
HACCEL BuildAccelerators(std::span<const MenuEntry> table);

}  // namespace pw
