// pwhook.dll: loaded into the program under test by a thread hook that pwdriver installs, it
// records every WM_COMMAND the main window receives, so a test can see that a key or a click
// reached its command even when the command shows nothing yet; and it drops files on the
// main window as the system's drag and drop does.
#include <windows.h>

#include <string>
#include <vector>

#include "command_log.h"
#include "drop_files.h"

namespace {

pw::test::CommandLog* Log() {
    static HANDLE mapping =
        ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, pw::test::kCommandLogName);
    static auto* log = mapping != nullptr
                           ? static_cast<pw::test::CommandLog*>(
                                 ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(pw::test::CommandLog)))
                           : nullptr;
    return log;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK RecordCommand(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_COMMAND) {
        wchar_t name[64] = {};
        ::GetClassNameW(message->hwnd, name, 64);
        if (::lstrcmpW(name, L"PixelwrenFrmMain") == 0) {
            if (pw::test::CommandLog* log = Log()) {
                const LONG slot = ::InterlockedIncrement(&log->count) - 1;
                if (slot < static_cast<LONG>(pw::test::CommandLog::kCapacity)) {
                    log->ids[slot] = LOWORD(message->wParam);
                }
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK DeliverDrop(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT dropMessage = ::RegisterWindowMessageW(pw::test::kDropMessageName);
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == dropMessage) {
        const HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, pw::test::kDropListName);
        const auto* list = mapping != nullptr
                               ? static_cast<const wchar_t*>(::MapViewOfFile(
                                     mapping, FILE_MAP_READ, 0, 0,
                                     pw::test::kDropListChars * sizeof(wchar_t)))
                               : nullptr;
        std::vector<std::wstring> paths;
        for (const wchar_t* at = list; at != nullptr && *at != L'\0'; at += paths.back().size() + 1) {
            paths.emplace_back(at);
        }
        if (list != nullptr) {
            ::UnmapViewOfFile(list);
        }
        if (mapping != nullptr) {
            ::CloseHandle(mapping);
        }
        if (const HDROP drop = pw::test::MakeDrop(paths)) {
            ::PostMessageW(message->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
