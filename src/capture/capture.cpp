#include "capture/capture.h"

#include <dwmapi.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/capture_size.h"
#include "core/units.h"
#include "platform/dib.h"
#include "platform/failure.h"
#include "platform/monitors.h"
#include "platform/system_library.h"

namespace pw {

const wchar_t* const kNothingToCapture = L"没有可捕获的内容：捕获区域的宽度或高度为 0。";

namespace {

// LOGPALETTE with room for all 256 entries.
struct LogPalette256 {
    WORD version;
    WORD entryCount;
    PALETTEENTRY entries[256];
};

UniquePalette CopySystemPalette(HDC source) {
    LogPalette256 record{};
    record.version = 0x300;
    record.entryCount = 256;
    ::GetSystemPaletteEntries(source, 0, 256, record.entries);
    UniquePalette palette(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record)));
    if (!palette) {
        ThrowLastError(L"CreatePalette");
    }
    return palette;
}

std::wstring BitmapCallName(int32_t width, int32_t height) {
    return L"CreateCompatibleBitmap（" + std::to_wstring(width) + L" × " +
           std::to_wstring(height) + L" 像素）";
}

}  // namespace

UniqueBitmap CopyToNewBitmap(HDC source, int x, int y, int width, int height) {
    UniqueDc memory(::CreateCompatibleDC(source));
    if (!memory) {
        ThrowLastError(L"CreateCompatibleDC");
    }
    UniqueBitmap bitmap(::CreateCompatibleBitmap(source, width, height));
    if (!bitmap) {
        const DWORD error = ::GetLastError();
        ThrowFailedCall(BitmapCallName(width, height).c_str(),
                        error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY);
    }
    SelectObjectGuard select(memory.get(), bitmap.get());
    if (!select.Selected()) {
        ThrowLastError(L"SelectObject");
    }
    if (!::BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY)) {
        ThrowLastError(L"BitBlt");
    }
    select.Restore();
    return bitmap;
}

bool UsesSystemPalette(int rasterCaps, int paletteSize) {
    return (rasterCaps & RC_PALETTE) != 0 && paletteSize == 256;
}

Picture CaptureWindowArea(HWND window, bool clientArea, int32_t left, int32_t top, int32_t width,
                          int32_t height, DeviceCapsQuery deviceCaps) {
    if (width <= 0 || height <= 0) {
        throw Failure(kNothingToCapture);
    }
    WindowDc source = clientArea ? WindowDc::ForClient(window) : WindowDc::ForWholeWindow(window);
    if (!source) {
        ThrowLastError(clientArea ? L"GetDC" : L"GetWindowDC");
    }
    UniqueDc memory(::CreateCompatibleDC(source.get()));
    if (!memory) {
        ThrowLastError(L"CreateCompatibleDC");
    }
    // Compatible with the screen, not with the memory context (which starts monochrome).
    UniqueBitmap bitmap(::CreateCompatibleBitmap(source.get(), width, height));
    if (!bitmap) {
        const DWORD error = ::GetLastError();
        ThrowFailedCall(BitmapCallName(width, height).c_str(),
                        error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY);
    }
    SelectObjectGuard selectBitmap(memory.get(), bitmap.get());
    if (!selectBitmap.Selected()) {
        ThrowLastError(L"SelectObject");
    }

    UniquePalette palette;
    std::optional<SelectPaletteGuard> selectPalette;
    const int rasterCaps = deviceCaps(source.get(), RASTERCAPS);
    const int paletteSize = deviceCaps(source.get(), SIZEPALETTE);
    if (UsesSystemPalette(rasterCaps, paletteSize)) {
        palette = CopySystemPalette(source.get());
        selectPalette.emplace(memory.get(), palette.get(), FALSE);
        ::RealizePalette(memory.get());
    }

    if (!::BitBlt(memory.get(), 0, 0, width, height, source.get(), left, top, SRCCOPY)) {
        ThrowLastError(L"BitBlt");
    }

    // Released in this order: the bitmap out of the memory context, then the palette, then
    // the memory context, then the window's context.
    selectBitmap.Restore();
    if (selectPalette) {
        selectPalette->Restore();
    }
    memory.reset();
    source.reset();
    return CreatePictureFromBitmap(std::move(bitmap), std::move(palette));
}

ScreenMetrics ScreenMetrics::Current() {
    WindowDc screen = WindowDc::ForClient(nullptr);
    const int dpiX = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    const int dpiY = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    ScreenMetrics metrics;
    metrics.twipsPerPixelX = TwipsPerPixelForDpi(dpiX);
    metrics.twipsPerPixelY = TwipsPerPixelForDpi(dpiY);
    metrics.widthTwips = PixelsToTwips(::GetSystemMetrics(SM_CXSCREEN), metrics.twipsPerPixelX);
    metrics.heightTwips = PixelsToTwips(::GetSystemMetrics(SM_CYSCREEN), metrics.twipsPerPixelY);
    return metrics;
}

namespace {

bool FrameBoundsFromSystem(HWND window, RECT& frame) {
    static const auto getAttribute =
        SystemFunction<decltype(::DwmGetWindowAttribute)>(L"dwmapi.dll", "DwmGetWindowAttribute");
    return getAttribute != nullptr &&
           SUCCEEDED(getAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame));
}

FrameBoundsReader g_frameBoundsReader = FrameBoundsFromSystem;

}  // namespace

FrameBoundsReader ReplaceFrameBoundsReader(FrameBoundsReader reader) {
    return std::exchange(g_frameBoundsReader, reader != nullptr ? reader : FrameBoundsFromSystem);
}

RECT VisibleFrameOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    // The frame lies within the window rectangle; anything else is not believed.
    RECT frame{};
    RECT inside{};
    if (g_frameBoundsReader(window, frame) && !::IsRectEmpty(&frame) &&
        ::IntersectRect(&inside, &frame, &rect) && ::EqualRect(&inside, &frame)) {
        rect = frame;
    }
    // A maximised window's border lies on the next monitor, or off every monitor.
    if (::IsZoomed(window)) {
        MONITORINFO monitor{sizeof monitor};
        if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
            ::IntersectRect(&rect, &rect, &monitor.rcMonitor);
        }
    }
    return rect;
}

namespace {

// A window's visible frame as an area of its window rectangle (which CaptureWindowArea's
// whole-window source starts at).
struct FrameArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

FrameArea VisibleFrameArea(HWND window) {
    RECT outer{};
    ::GetWindowRect(window, &outer);
    const RECT frame = VisibleFrameOf(window);
    const Size size = ExtentOf({frame.left, frame.top, frame.right, frame.bottom});
    return {frame.left - outer.left, frame.top - outer.top, size.width, size.height};
}

}  // namespace

Picture CaptureWholeScreen(const ScreenMetrics& screen) {
    const Size size = ScaledSizeToPixels(screen.widthTwips, screen.heightTwips,
                                         screen.twipsPerPixelX, screen.twipsPerPixelY);
    return CaptureWindowArea(::GetDesktopWindow(), false, 0, 0, size.width, size.height);
}

Picture CaptureWindowWithFrame(const FormExtent& form) {
    const Size size =
        ScaledSizeToPixels(form.width, form.height, form.unitsPerPixelX, form.unitsPerPixelY);
    // The form's outer size, less what of the window rectangle lies outside the visible
    // frame: the invisible resize border.
    RECT outer{};
    ::GetWindowRect(form.window, &outer);
    const FrameArea frame = VisibleFrameArea(form.window);
    const int32_t width = size.width - ((outer.right - outer.left) - frame.width);
    const int32_t height = size.height - ((outer.bottom - outer.top) - frame.height);
    return CaptureWindowArea(form.window, false, frame.left, frame.top, width, height);
}

Picture CaptureClientArea(const FormExtent& form) {
    const Size size =
        ScaledSizeToPixels(form.width, form.height, form.unitsPerPixelX, form.unitsPerPixelY);
    return CaptureWindowArea(form.window, true, 0, 0, size.width, size.height);
}

Picture CaptureForegroundWindow() {
    const HWND window = ::GetForegroundWindow();
    const FrameArea frame = window != nullptr ? VisibleFrameArea(window) : FrameArea{};
    return CaptureWindowArea(window, false, frame.left, frame.top, frame.width, frame.height);
}

namespace {

struct UncoveredSearch {
    RECT area;
    HWND hidden;
    DWORD ownThread;
    std::vector<HWND> windows;
};

bool Overlaps(HWND window, const RECT& area) {
    RECT rect{};
    RECT common{};
    return ::GetWindowRect(window, &rect) && ::IntersectRect(&common, &rect, &area);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<UncoveredSearch*>(context);
    if (::IsWindowVisible(window) && Overlaps(window, search.area)) {
        search.windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<UncoveredSearch*>(context);
    if (window == search.hidden || !::IsWindowVisible(window) || !Overlaps(window, search.area) ||
        ::GetWindowThreadProcessId(window, nullptr) == search.ownThread) {
        return TRUE;
    }
    search.windows.push_back(window);
    ::EnumChildWindows(window, CollectChild, context);
    return TRUE;
}

// Without composition, the windows that the hidden one covered repaint the uncovered area on
// their own threads, each in its own time.
class UncoveredWindows {
public:
    UncoveredWindows(HWND hidden, const RECT& area, DWORD timeoutMs)
        : m_search{area, hidden, ::GetCurrentThreadId(), {::GetDesktopWindow()}},
          m_deadline(::GetTickCount64() + timeoutMs) {
        ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&m_search));
    }

    bool TimeLeft() const { return ::GetTickCount64() < m_deadline; }

    // Whether one of them still has an update region: it empties when a paint begins.
    bool Pending() const {
        return std::any_of(m_search.windows.begin(), m_search.windows.end(), [](HWND window) {
            return ::IsWindow(window) && ::GetUpdateRect(window, nullptr, FALSE);
        });
    }

    void WaitWhilePending() const {
        while (Pending() && TimeLeft()) {
            ::Sleep(5);
        }
    }

    // One message round trip to each: a thread answers a sent message only after its paint
    // handler has returned.
    void RoundTrip() const {
        for (HWND window : m_search.windows) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= m_deadline) {
                return;
            }
            DWORD_PTR ignored = 0;
            // SMTO_BLOCK: messages other threads send to this one wait until the capture is
            // done instead of running the program's window procedures in the middle of it.
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                  static_cast<UINT>(m_deadline - now), &ignored);
        }
    }

private:
    UncoveredSearch m_search;
    ULONGLONG m_deadline;
};

// A fingerprint of the screen's pixels in `area` (clipped to the virtual screen), 0 when none
// lie there or they cannot be read. The area is read a band of rows at a time, so that a
// window maximised across large monitors needs little memory for it.
uint64_t ScreenFingerprint(RECT area) noexcept {
    constexpr int kBandRows = 256;
    const Rect bounds = VirtualScreenBounds();
    const RECT screen{bounds.left, bounds.top, bounds.right, bounds.bottom};
    if (!::IntersectRect(&area, &area, &screen)) {
        return 0;
    }
    const int width = area.right - area.left;
    const int rows = std::min<int>(kBandRows, area.bottom - area.top);
    WindowDc source = WindowDc::ForClient(nullptr);
    UniqueDc memory(source ? ::CreateCompatibleDC(source.get()) : nullptr);
    void* bits = nullptr;
    UniqueBitmap bitmap = CreateTopDownDib(width, rows, &bits);
    SelectObjectGuard select(memory.get(), bitmap.get());
    if (!bitmap || !select.Selected()) {
        return 0;
    }
    uint64_t hash = 14695981039346656037ULL;  // FNV-1a over the pixels
    for (int top = area.top; top < area.bottom; top += rows) {
        const int band = std::min<int>(rows, area.bottom - top);
        if (!::BitBlt(memory.get(), 0, 0, width, band, source.get(), area.left, top, SRCCOPY)) {
            return 0;
        }
        ::GdiFlush();
        const auto* pixel = static_cast<const uint32_t*>(bits);
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(band);
        for (size_t i = 0; i < count; ++i) {
            hash = (hash ^ pixel[i]) * 1099511628211ULL;
        }
    }
    return hash;
}

// Returns once the windows that `hidden` covered have repainted what it uncovered and the
// screen shows it. Under Wine the screen is the X server's: a window beneath learns that it
// was uncovered only once the server has taken the hide, which a read of the screen waits
// for, and its drawing can reach the screen after it has answered a round trip. So the wait
// ends when two reads of the area, a round trip apart, agree.
void WaitForUncoveredWindowsToRepaint(HWND hidden, const RECT& area, DWORD timeoutMs) {
    constexpr int kMostReads = 5;
    const UncoveredWindows beneath(hidden, area, timeoutMs);
    {
        WindowDc screen = WindowDc::ForClient(nullptr);
        ::GetPixel(screen.get(), area.left, area.top);
    }
    uint64_t before = 0;
    for (int read = 0; read < kMostReads && beneath.TimeLeft(); ++read) {
        beneath.WaitWhilePending();
        beneath.RoundTrip();
        const uint64_t now = ScreenFingerprint(area);
        if (read > 0 && now == before && !beneath.Pending()) {
            return;
        }
        before = now;
    }
}

// dwmapi is not among the libraries Windows always takes from the system folder, so it is
// loaded from there by hand, on first use. Without it there is no composition to wait for.
void SetTransitionsDisabledBySystem(HWND window, BOOL disabled) {
    static const auto setAttribute =
        SystemFunction<decltype(::DwmSetWindowAttribute)>(L"dwmapi.dll", "DwmSetWindowAttribute");
    if (setAttribute != nullptr) {
        setAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof disabled);
    }
}

TransitionsSetter g_transitionsSetter = SetTransitionsDisabledBySystem;

void SetTransitionsDisabled(HWND window, BOOL disabled) { g_transitionsSetter(window, disabled); }

bool CompositionEnabled() {
    static const auto isEnabled = SystemFunction<decltype(::DwmIsCompositionEnabled)>(
        L"dwmapi.dll", "DwmIsCompositionEnabled");
    BOOL composed = FALSE;
    return isEnabled != nullptr && SUCCEEDED(isEnabled(&composed)) && composed;
}

}  // namespace

WindowHiddenForCapture::WindowHiddenForCapture(HWND window, DWORD timeoutMs) : m_window(window) {
    RECT area{};
    ::GetWindowRect(window, &area);
    SetTransitionsDisabled(window, TRUE);
    ::ShowWindow(window, SW_HIDE);
    try {
        WaitUntilUncovered(window, area, timeoutMs);
    } catch (...) {
        // The window never stays hidden: what failed is told by the command that asked.
        Restore();
        throw;
    }
}

void WaitUntilUncovered(HWND window, const RECT& area, DWORD timeoutMs) {
    static const auto flush = SystemFunction<decltype(::DwmFlush)>(L"dwmapi.dll", "DwmFlush");
    if (flush != nullptr && CompositionEnabled()) {
        // The windows beneath keep their own surfaces; one presented frame without this
        // window is all that is needed.
        flush();
        return;
    }
    WaitForUncoveredWindowsToRepaint(window, area, timeoutMs);
}

TransitionsSetter ReplaceTransitionsSetter(TransitionsSetter setter) {
    return std::exchange(g_transitionsSetter,
                         setter != nullptr ? setter : SetTransitionsDisabledBySystem);
}

WindowTransitionsOff::WindowTransitionsOff(HWND window) : m_window(window) {
    SetTransitionsDisabled(window, TRUE);
}

WindowTransitionsOff::~WindowTransitionsOff() {
    SetTransitionsDisabled(m_window, FALSE);
}

WindowHiddenForCapture::~WindowHiddenForCapture() {
    Restore();
}

void WindowHiddenForCapture::Restore() noexcept {
    SetTransitionsDisabled(m_window, FALSE);
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    ::SetFocus(m_window);
}

Picture CaptureVisibleFrame(HWND window) {
    RECT outer{};
    ::GetWindowRect(window, &outer);
    const RECT frame = VisibleFrameOf(window);
    const Size size = ExtentOf({frame.left, frame.top, frame.right, frame.bottom});
    // The whole window's context starts at the window rectangle's corner.
    return CaptureWindowArea(window, false, frame.left - outer.left, frame.top - outer.top,
                             size.width, size.height);
}

}  // namespace pw
