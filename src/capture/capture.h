// Window and screen pixels into Pictures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "capture/picture.h"

namespace pw {

// What a capture of zero width or height reports instead of placing a picture.
extern const wchar_t* const kNothingToCapture;

// True when a device needs the palette path: raster capabilities with RC_PALETTE and a
// palette of exactly 256 entries.
bool UsesSystemPalette(int rasterCaps, int paletteSize);

// GetDeviceCaps, or a stand-in that a test gives to play a device this machine lacks.
using DeviceCapsQuery = int(WINAPI*)(HDC, int);

// Copies width by height pixels of one window, from (left, top) of its client area or of its
// whole window (title bar and border included), into a new bitmap with one BitBlt. On a
// 256-colour palette display the Picture also carries a copy of the system palette. The
// area may extend past the window; the bitmap always has the requested size.
// Throws Failure for an empty area (kNothingToCapture) and for any call that fails, having
// released everything it acquired.
Picture CaptureWindowArea(HWND window, bool clientArea, int32_t left, int32_t top, int32_t width,
                          int32_t height, DeviceCapsQuery deviceCaps = &::GetDeviceCaps);

// Copies width by height pixels of `source` from (x, y) into a new bitmap compatible with it,
// with one BitBlt; the bitmap is selected into nothing when it is returned. Throws Failure
// naming the call that failed, having released everything it acquired.
UniqueBitmap CopyToNewBitmap(HDC source, int x, int y, int width, int height);

// A form as the capture routines measure it: its window and a width and height in the form's
// own units, with how many of those units make one pixel along each axis.
struct FormExtent {
    HWND window = nullptr;
    double width = 0.0;
    double height = 0.0;
    float unitsPerPixelX = 1.0f;
    float unitsPerPixelY = 1.0f;
};

// The screen as the program measures it: its size in twips and the twips per pixel along
// each axis, which are fractions at many scalings (8.57 at 175 %, 7.5 at 200 %).
struct ScreenMetrics {
    double widthTwips = 0.0;
    double heightTwips = 0.0;
    float twipsPerPixelX = 15.0f;
    float twipsPerPixelY = 15.0f;
    // The primary screen now.
    static ScreenMetrics Current();
};

// The primary screen from (0, 0), at its full size in pixels: its size in twips divided by
// the true twips per pixel, so that a fractional scale still gives the screen's own pixels.
Picture CaptureWholeScreen(const ScreenMetrics& screen = ScreenMetrics::Current());
// The form's whole window, title bar and border included; `form` gives its outer size.
Picture CaptureWindowWithFrame(const FormExtent& form);
// The form's client area; `form` gives the client size in the form's scale units.
Picture CaptureClientArea(const FormExtent& form);
// The window in the foreground now, whole, at the size of its window rectangle.
Picture CaptureForegroundWindow();

// What a user sees of a top-level window, in screen pixels: its visible frame, without the
// invisible resize border and shadow that the window rectangle holds on current Windows, and
// for a maximised window only its part on its monitor. The window rectangle where the system
// cannot say more.
RECT VisibleFrameOf(HWND window);

// Where the compositor says a window's visible frame is (DWMWA_EXTENDED_FRAME_BOUNDS); false
// where it cannot (no composition, an older system, Wine). Tests put a stand-in in.
using FrameBoundsReader = bool (*)(HWND window, RECT& frame);
// Replaces the reader (null: the system's) and returns the one before.
FrameBoundsReader ReplaceFrameBoundsReader(FrameBoundsReader reader);

// Hides a window so that a capture of the screen does not show it, and shows and activates it
// again when destroyed. The constructor returns once the desktop no longer shows the window:
// with desktop composition after the compositor has presented a frame without it (the hide
// animation is turned off), otherwise once the windows it uncovered have repainted, or after
// `timeoutMs`. It processes none of the program's own posted messages while it waits.
class WindowHiddenForCapture {
public:
    explicit WindowHiddenForCapture(HWND window, DWORD timeoutMs = 1000);
    WindowHiddenForCapture(const WindowHiddenForCapture&) = delete;
    WindowHiddenForCapture& operator=(const WindowHiddenForCapture&) = delete;
    ~WindowHiddenForCapture();

private:
    void Restore() noexcept;

    HWND m_window;
};

// Turns a window's minimise, restore, show and hide animations off while it lives; with
// desktop composition the screen would otherwise show the window part-way through them.
class WindowTransitionsOff {
public:
    explicit WindowTransitionsOff(HWND window);
    WindowTransitionsOff(const WindowTransitionsOff&) = delete;
    WindowTransitionsOff& operator=(const WindowTransitionsOff&) = delete;
    ~WindowTransitionsOff();

private:
    HWND m_window;
};

// What turns a window's transitions off (TRUE) and on again; the system's unless replaced.
// A test puts a recorder in, since without desktop composition nothing shows the setting.
using TransitionsSetter = void (*)(HWND window, BOOL disabled);
// Replaces the setter (null: the system's) and returns the one before.
TransitionsSetter ReplaceTransitionsSetter(TransitionsSetter setter);

// Returns once the desktop no longer shows `window`, just hidden or minimised from `area`
// (its window rectangle before), as WindowHiddenForCapture waits for it.
void WaitUntilUncovered(HWND window, const RECT& area, DWORD timeoutMs = 1000);

// What a user sees of a top-level window (VisibleFrameOf), from its whole window's pixels.
Picture CaptureVisibleFrame(HWND window);

}  // namespace pw
