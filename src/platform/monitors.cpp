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

struct Collected {
    std::vector<MonitorArea> areas;
    bool ownScaling;  // each monitor's own dpi, else the system's
    int systemDpi;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto& collected = *reinterpret_cast<Collected*>(context);
    MONITORINFO info{sizeof info};
    if (!::GetMonitorInfoW(monitor, &info)) {
        return TRUE;
    }
    int dpi = collected.systemDpi;
    UINT x = 0;
    UINT y = 0;
    if (GetDpiForMonitorFn* const forMonitor =
            collected.ownScaling ? DpiForMonitorFunction() : nullptr;
        forMonitor != nullptr && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
        dpi = static_cast<int>(x);
    }
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    collected.areas.push_back(
        {{m.left, m.top, m.right, m.bottom}, {w.left, w.top, w.right, w.bottom}, dpi});
    return TRUE;
}

std::vector<MonitorArea> CollectMonitors(bool ownScaling) {
    Collected collected{{}, ownScaling, SystemDpi()};
    ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&collected));
    return std::move(collected.areas);
}

}  // namespace

Rect VirtualScreenBounds() {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<MonitorArea> SystemMonitorLayout::Monitors() const {
    return CollectMonitors(true);
}

std::vector<MonitorArea> SystemMonitorLayout::MonitorsAtSystemDpi() const {
    return CollectMonitors(false);
}

}  // namespace pw
