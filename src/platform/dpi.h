// Dots per inch of a window's monitor, on systems with and without per-monitor awareness.
#pragma once

#include <windows.h>

namespace pw {

// The window's dpi (Windows 10 1607 and later), else the screen's logical dpi.
UINT DpiForWindow(HWND window);
// Whether the system tells each window's own dpi (Windows 10 1607 and later).
bool KnowsWindowDpi();
// A system metric at a dpi (Windows 10 1607 and later), else scaled from the system's own.
int MetricForDpi(int index, UINT dpi);

}  // namespace pw
