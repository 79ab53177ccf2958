#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/script.h"
#include "core/command_line.h"
#include "core/ids.h"
#include "platform/com.h"
#include "platform/failure.h"
#include "platform/system_library.h"

namespace {

// The arguments after the program's name, split as the shell splits them; none when the
// shell cannot be had. The shell is loaded only when there are any, which an ordinary start
// has not.
std::optional<std::vector<std::wstring>> ProgramArguments() {
    const wchar_t* rest = ::GetCommandLineW();
    // The program's name: quoted, or up to the first space or tab.
    if (*rest == L'"') {
        do {
            ++rest;
        } while (*rest != L'\0' && *rest != L'"');
        rest += *rest == L'"' ? 1 : 0;
    } else {
        while (*rest != L'\0' && *rest != L' ' && *rest != L'\t') {
            ++rest;
        }
    }
    while (*rest == L' ' || *rest == L'\t') {
        ++rest;
    }
    if (*rest == L'\0') {
        return std::vector<std::wstring>{};
    }
    const auto split =
        pw::SystemFunction<decltype(::CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
    int count = 0;
    LPWSTR* argv = split != nullptr ? split(::GetCommandLineW(), &count) : nullptr;
    if (argv == nullptr) {
        return std::nullopt;
    }
    std::vector<std::wstring> arguments(argv + 1, argv + count);
    ::LocalFree(argv);
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    // Before anything loads a library: none may come from the program's or the current
    // folder in place of the system's.
    pw::LoadLibrariesFromSystemFolderOnly();
    const std::optional<std::vector<std::wstring>> arguments = ProgramArguments();
    if (!arguments) {
        pw::SayToCaller(L"Pixelwren: " +
                            pw::DescribeFailedCall(L"CommandLineToArgvW", ::GetLastError()) + L"\n",
                        true, false);
        return pw::kExitBadArguments;
    }
    const pw::CommandLine line = pw::ParseCommandLine(*arguments);
    switch (line.kind) {
        case pw::CommandLine::Kind::Usage:
            pw::SayToCaller(pw::CommandLineUsage(), false, false);
            return pw::kExitDone;
        case pw::CommandLine::Kind::Invalid:
            pw::SayToCaller(
                L"Pixelwren: " + line.error + L"\n" + L"Pixelwren.exe /? shows the usage.\n", true,
                line.quiet);
            return pw::kExitBadArguments;
        default:
            break;
    }
    // Started by the first command that needs it.
    pw::OleApartment ole(pw::OleApartment::Start::OnFirstUse);
    if (line.kind == pw::CommandLine::Kind::Capture) {
        return pw::RunScriptedCapture(line.capture);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    pw::SystemMessageBoxes boxes;
    pw::SettingsStore settings(pw::ids::kSettingsKey);
    pw::FrmMain form(boxes, settings);
    if (!form.Create()) {
        const std::wstring cause = pw::DescribeFailedCall(L"CreateWindowEx", ::GetLastError());
        boxes.Show(nullptr, L"主窗口无法创建。\n\n" + cause, pw::kMessageTitle,
                   MB_OK | MB_ICONERROR);
        return 1;
    }
    ::ShowWindow(form.Hwnd(), showCommand);
    ::UpdateWindow(form.Hwnd());
    // A file named on the command line, as Explorer's "Open with" and a drop on the program
    // name it: opened once the window is up, so that a failure is reported over it.
    if (line.kind == pw::CommandLine::Kind::Open) {
        form.OpenFile(line.file);
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
