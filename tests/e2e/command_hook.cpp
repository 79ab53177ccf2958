// pwhook.dll: loaded into the program under test by a thread hook that pwdriver installs, it
// records every WM_COMMAND the main window receives, so a test can see that a key or a click
// reached its command even when the command shows nothing yet.
#include <windows.h>

#include "command_log.h"

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
