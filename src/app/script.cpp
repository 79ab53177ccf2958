#include "app/script.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "app/frm_main.h"
#include "capture/capture.h"
#include "core/last_area.h"
#include "document/image_file.h"
#include "platform/failure.h"
#include "platform/monitors.h"
#include "platform/text.h"

namespace pw {

namespace {

// The handle that a text for the caller goes to: the one the program was given, when it was
// given one (a script's redirection, a pipe); else the console of the program that started
// it, attached for the purpose (a GUI program has none of its own).
HANDLE CallerStream(bool error) {
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE given = ::GetStdHandle(which);
    if (given != nullptr && given != INVALID_HANDLE_VALUE &&
        ::GetFileType(given) != FILE_TYPE_UNKNOWN) {
        return given;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) {
        return nullptr;
    }
    const HANDLE console =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    return console != INVALID_HANDLE_VALUE ? console : nullptr;
}

bool Write(HANDLE stream, const std::wstring& text) {
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(stream, &mode)) {
        return ::WriteConsoleW(stream, text.data(), static_cast<DWORD>(text.size()), &written,
                               nullptr) != FALSE;
    }
    const std::string bytes = Narrow(text);
    return ::WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
           FALSE;
}

Picture Capture(const CaptureRequest& request) {
    switch (request.source) {
        case CaptureRequest::Source::Screen:
            return CaptureWholeScreen();
        case CaptureRequest::Source::Window: {
            const HWND window = ::GetForegroundWindow();
            if (window == nullptr || ::IsIconic(window)) {
                throw Failure(L"no active window to capture");
            }
            return CaptureVisibleFrame(window);
        }
        case CaptureRequest::Source::Area: {
            const Rect& area = request.area;
            if (!AreaOnMonitors(area, SystemMonitorLayout().Monitors())) {
                throw Failure(L"the area lies on no monitor");
            }
            // The screen's context covers every monitor, left of and above the primary too.
            return CaptureWindowArea(::GetDesktopWindow(), false, area.left, area.top,
                                     area.right - area.left, area.bottom - area.top);
        }
    }
    throw Failure(L"unknown capture");
}

}  // namespace

void SayToCaller(const std::wstring& text, bool error, bool quiet) {
    if (const HANDLE stream = CallerStream(error); stream != nullptr && Write(stream, text)) {
        return;
    }
    if (!quiet) {
        ::MessageBoxW(nullptr, text.c_str(), kMessageTitle,
                      MB_OK | (error ? MB_ICONWARNING : MB_ICONINFORMATION));
    }
}

int RunScriptedCapture(const CaptureRequest& request) {
    try {
        SavePictureFile(Capture(request), request.out, request.format);
        return kExitDone;
    } catch (...) {
        // One line: the cause's own line breaks become spaces.
        std::wstring cause = CauseOfCurrentException();
        for (wchar_t& c : cause) {
            if (c == L'\r' || c == L'\n') {
                c = L' ';
            }
        }
        SayToCaller(L"Pixelwren: /capture to \"" + request.out + L"\" failed: " + cause + L"\n",
                    true, request.quiet);
        return kExitFailed;
    }
}

}  // namespace pw
