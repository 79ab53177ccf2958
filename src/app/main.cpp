#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/frm_main.h"
#include "core/ids.h"
#include "platform/com.h"
#include "platform/failure.h"
#include "platform/system_library.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    // Before anything loads a library: none may come from the program's or the current
    // folder in place of the system's.
    pw::LoadLibrariesFromSystemFolderOnly();
    pw::OleApartment ole;
    ::InitCommonControls();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    pw::SystemMessageBoxes boxes;
    pw::SettingsStore settings(pw::ids::kSettingsKey);
    pw::FrmMain form(boxes, settings);
    if (!form.Create()) {
        const std::wstring cause = pw::DescribeFailedCall(L"CreateWindowEx", ::GetLastError());
        boxes.Show(nullptr, L"主窗口无法创建。\n\n" + cause, pw::kMessageTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    ::ShowWindow(form.Hwnd(), showCommand);
    ::UpdateWindow(form.Hwnd());
    // A file named on the command line, as Explorer's "Open with" and a drop on the program
    // name it: opened once the window is up, so that a failure is reported over it.
    int count = 0;
    if (LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        if (count == 2) {
            form.OpenFile(arguments[1]);
        }
        ::LocalFree(arguments);
    }

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (form.Accelerators() != nullptr &&
            ::TranslateAcceleratorW(form.Hwnd(), form.Accelerators(), &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
