#include "app/commands.h"

#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/ids.h"

namespace pw {

namespace {

const MenuEntry kMenu[] = {
    {1, "mnuCapture", L"捕获(&C)", 0, {}, 0, nullptr},
    {2, "mnuScreen", L"整个屏幕(&S)", ids::kMnuScreen, {}, 5, &FrmMain::mnuScreen_Click},
    {2, "H", L"-", 0, {}, 0, nullptr},
    {2, "mnuAtiveWindow", L"延时捕获(&A)", ids::kMnuAtiveWindow, {}, 7,
     &FrmMain::mnuAtiveWindow_Click},
    {2, "mnuClient", L"当前工作区(&C)", ids::kMnuClient, {}, 8, &FrmMain::mnuClient_Click},
    {2, "iiii", L"-", 0, {}, 0, nullptr},
    {2, "mnuTitleBar", L"当前窗口(&F)", ids::kMnuTitleBar, {}, 9, &FrmMain::mnuTitleBar_Click},
};

bool IsSeparator(const MenuEntry& entry) { return entry.caption[0] == L'-' && entry.caption[1] == 0; }

std::wstring ShortcutText(Shortcut shortcut) {
    return std::wstring(L"Ctrl+") + static_cast<wchar_t>(shortcut.virtualKey);
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

const MenuEntry* FindToolbarCommand(int index) {
    for (const MenuEntry& entry : kMenu) {
        if (entry.toolbarIndex == index && index != 0) {
            return &entry;
        }
    }
    return nullptr;
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
            if (entry.shortcut.virtualKey != 0) {
                caption += L"\t" + ShortcutText(entry.shortcut);
            }
            ::AppendMenuW(parent, MF_STRING | (entry.enabled ? 0u : MF_GRAYED), entry.id,
                          caption.c_str());
        }
    }
    return menus.front();
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

}  // namespace pw
