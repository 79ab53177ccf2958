#include "platform/dpi.h"

#include "platform/system_library.h"

namespace pw {

namespace {

UINT ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

namespace {

// Looked up at run time: the program also runs where user32 lacks it.
auto GetDpiForWindowFunction() {
    static const auto function =
        SystemFunction<UINT WINAPI(HWND)>(L"user32.dll", "GetDpiForWindow");
    return function;
}

}  // namespace

bool KnowsWindowDpi() {
    return GetDpiForWindowFunction() != nullptr;
}

UINT DpiForWindow(HWND window) {
    const auto getDpiForWindow = GetDpiForWindowFunction();
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
            return dpi;
        }
    }
    return ScreenDpi();
}

int MetricForDpi(int index, UINT dpi) {
    static const auto forDpi =
        SystemFunction<int WINAPI(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi != nullptr) {
        return forDpi(index, dpi);
    }
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

}  // namespace pw
