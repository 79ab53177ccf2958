#include "platform/monitors.h"

#include <windows.h>

#include "platform/system_library.h"

namespace pw {

namespace {

// GetDpiForMonitor lives in shcore.dll from Windows 8.1 on; before, every monitor has the
// system's dpi.
using GetDpiForMonitorFn = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

GetDpiForMonitorFn* DpiForMonitorFunction() {
    static const auto function =
        SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    return function;
}

int SystemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    MONITORINFO info{sizeof info};
    if (!::GetMonitorInfoW(monitor, &info)) {
        return TRUE;
    }
    int dpi = SystemDpi();
    UINT x = 0;
    UINT y = 0;
    if (GetDpiForMonitorFn* const forMonitor = DpiForMonitorFunction();
        forMonitor != nullptr && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
        dpi = static_cast<int>(x);
    }
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    reinterpret_cast<std::vector<MonitorArea>*>(context)->push_back(
        {{m.left, m.top, m.right, m.bottom}, {w.left, w.top, w.right, w.bottom}, dpi});
    return TRUE;
}

}  // namespace

std::vector<MonitorArea> SystemMonitorLayout::Monitors() const {
    std::vector<MonitorArea> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

}  // namespace pw
