#include "area/free_area.h"

#include <windowsx.h>

#include <limits>

#include "core/ids.h"
#include "area/feedback.h"
#include "capture/capture.h"
#include "core/selection.h"
#include "platform/clipboard.h"
#include "platform/failure.h"

namespace pw {

namespace {

// How long arming waits for the windows that the minimised main window uncovered to repaint.
constexpr DWORD kUncoverTimeoutMs = 1000;
// The drag waits for mouse input at most this long before it looks at the capture again.
constexpr DWORD kTrackingPollMs = 100;
// Where a minimised window lies off every monitor, as the shell puts it with a taskbar.
constexpr LONG kOffScreen = -32000;

}  // namespace

ScreenSnapshot TakeVirtualScreenSnapshot() {
    const Rect bounds{
        ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
        ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
        ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    WindowDc screen = WindowDc::ForClient(nullptr);
    if (!screen) {
        ThrowLastError(L"GetDC");
    }
    return {CopyToNewBitmap(screen.get(), bounds.left, bounds.top, width, height), bounds};
}

AreaCopy CopyScreenAreaToClipboard(const ScreenSource& screen, HWND owner, int32_t left,
                                   int32_t top, int32_t right, int32_t bottom) {
    const int64_t width = int64_t{right} - left;
    const int64_t height = int64_t{bottom} - top;
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (width > kMax || height > kMax) {
        throw Failure(L"选择的区域太大。");
    }
    AreaCopy copy;
    if (width <= 0 || height <= 0) {
        return copy;
    }
    UniqueBitmap bitmap = CopyToNewBitmap(screen.dc, left - screen.originX, top - screen.originY,
                                          static_cast<int>(width), static_cast<int>(height));
    ClipboardSession clipboard = ClipboardSession::Open(owner);
    const wchar_t* failed = nullptr;
    if (!clipboard) {
        failed = L"OpenClipboard";
    } else if (!clipboard.Empty()) {
        failed = L"EmptyClipboard";
    } else if (!clipboard.SetBitmap(bitmap)) {
        failed = L"SetClipboardData";
    }
    if (failed != nullptr) {
        copy.outcome = AreaCopy::Outcome::Kept;
        copy.kept = std::move(bitmap);
        copy.failedCall = failed;
        copy.error = clipboard.Error();
        return copy;
    }
    copy.outcome = AreaCopy::Outcome::OnClipboard;
    return copy;
}

std::optional<Picture> PictureFromClipboard(HWND owner) {
    ClipboardSession clipboard = ClipboardSession::Open(owner);
    if (!clipboard) {
        return std::nullopt;
    }
    // The clipboard keeps its own bitmap; the view gets a copy.
    UniqueBitmap copy = CopyBitmap(clipboard.Bitmap());
    clipboard.Close();
    if (!copy) {
        return std::nullopt;
    }
    return CreatePictureFromBitmap(std::move(copy), UniquePalette());
}

Rect TrackSelectionRectangle(HWND hWnd, POINT& anchor) {
    WindowDc dc = WindowDc::ForClient(hWnd);
    // Feedback is drawn in screen pixels: the context's origin moves to the screen's.
    POINT clientOrigin{0, 0};
    ::ClientToScreen(hWnd, &clientOrigin);
    if (dc) {
        ::SetViewportOrgEx(dc.get(), -clientOrigin.x, -clientOrigin.y, nullptr);
    }
    ::ClientToScreen(hWnd, &anchor);

    // GetAsyncKeyState reads the physical buttons: with swapped buttons the user's left one,
    // whose release ends the drag, is the physical right.
    const int leftButton = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    Rect rect = SelectionBetween(anchor.x, anchor.y, anchor.x, anchor.y);
    DrawSelectionFeedback(dc.get(), rect);
    MSG msg{};
    for (;;) {
        // Look before waiting: input already queued does not wake a wait under Wine.
        if (!::PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_MBUTTONDBLCLK, PM_REMOVE)) {
            if (::GetCapture() != hWnd && (::GetAsyncKeyState(leftButton) & 0x8000) == 0) {
                // The capture went elsewhere and the button is up: no release will arrive.
                msg.message = WM_LBUTTONUP;
                msg.wParam = 0;
                ::GetCursorPos(&msg.pt);
                POINT client = msg.pt;
                ::ScreenToClient(hWnd, &client);
                msg.lParam = MAKELPARAM(client.x, client.y);
            } else {
                ::MsgWaitForMultipleObjectsEx(0, nullptr, kTrackingPollMs, QS_MOUSE,
                                              MWMO_INPUTAVAILABLE);
                continue;
            }
        }
        // Erase the old rectangle, then draw the new one; the corner is the message's own
        // cursor position, in screen pixels.
        DrawSelectionFeedback(dc.get(), rect);
        rect = SelectionBetween(anchor.x, anchor.y, msg.pt.x, msg.pt.y);
        DrawSelectionFeedback(dc.get(), rect);
        if (msg.message == WM_LBUTTONUP) {
            break;
        }
    }
    DrawSelectionFeedback(dc.get(), rect);
    dc.reset();
    ::ReleaseCapture();
    ::PostMessageW(hWnd, WM_LBUTTONUP, msg.wParam, msg.lParam);
    return rect;
}

Rect SystemAreaCaptureSteps::Track(HWND hWnd, POINT& anchor) {
    return TrackSelectionRectangle(hWnd, anchor);
}

AreaCopy SystemAreaCaptureSteps::Copy(const ScreenSource& screen, HWND owner, const Rect& area) {
    return CopyScreenAreaToClipboard(screen, owner, area.left, area.top, area.right, area.bottom);
}

std::optional<Picture> SystemAreaCaptureSteps::ReadBack(HWND owner) {
    return PictureFromClipboard(owner);
}

void ArmFreeAreaCapture(HWND mainWindow, SnapshotWindow& snapshot) {
    RECT shown{};
    ::GetWindowRect(mainWindow, &shown);
    // With desktop composition an animated minimise would still be on the screen, part-way,
    // when the snapshot is taken.
    WindowTransitionsOff still(mainWindow);
    ::ShowWindow(mainWindow, SW_MINIMIZE);
    // Without a taskbar (Wine's desktop, or a shell that arranges minimised windows on the
    // screen) the minimised caption sits on a monitor, and would be in the snapshot: it goes
    // where no monitor is, as a taskbar's shell puts it. Wine clamps a minimised position
    // set through the placement to the screen, but lets the window be moved.
    RECT iconic{};
    if (::GetWindowRect(mainWindow, &iconic) && ::MonitorFromRect(&iconic, MONITOR_DEFAULTTONULL)) {
        ::SetWindowPos(mainWindow, nullptr, kOffScreen, kOffScreen, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::UnionRect(&shown, &shown, &iconic);
    }
    // Under Wine the windows beneath learn that they are uncovered only once the X server has
    // taken this window's changes: a read of one screen pixel waits for that, and the windows
    // then repaint what they got back, which the second wait sees through.
    {
        WindowDc screen = WindowDc::ForClient(nullptr);
        ::GetPixel(screen.get(), shown.left, shown.top);
    }
    WaitUntilUncovered(mainWindow, shown, kUncoverTimeoutMs);
    WaitUntilUncovered(mainWindow, shown, kUncoverTimeoutMs);
    snapshot.Show(TakeVirtualScreenSnapshot());
}

// The snapshot window

SnapshotWindow::~SnapshotWindow() {
    FreeSnapshot();
}

void SnapshotWindow::Show(ScreenSnapshot snapshot) {
    FreeSnapshot();
    m_bounds = snapshot.bounds;
    m_bitmap = std::move(snapshot.bitmap);
    m_memory.reset(::CreateCompatibleDC(nullptr));
    if (!m_memory) {
        const DWORD error = ::GetLastError();
        FreeSnapshot();
        ThrowFailedCall(L"CreateCompatibleDC", error);
    }
    m_previous = ::SelectObject(m_memory.get(), m_bitmap.get());
    if (m_previous == nullptr || m_previous == HGDI_ERROR) {
        m_previous = nullptr;
        FreeSnapshot();
        throw Failure(L"SelectObject 失败：屏幕快照无法显示。");
    }
    const int width = m_bounds.right - m_bounds.left;
    const int height = m_bounds.bottom - m_bounds.top;
    if (Hwnd() == nullptr) {
        ClassSpec windowClass{ids::kSnapshotWindowClass};
        windowClass.cursor = ::LoadCursorW(nullptr, IDC_CROSS);
        CreateSpec spec;
        spec.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
        spec.title = L"Pixelwren";
        spec.style = WS_POPUP;
        spec.x = m_bounds.left;
        spec.y = m_bounds.top;
        spec.width = width;
        spec.height = height;
        if (!CreateOf(windowClass, spec)) {
            const DWORD error = ::GetLastError();
            FreeSnapshot();
            ThrowFailedCall(L"CreateWindowEx", error);
        }
    }
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, m_bounds.left, m_bounds.top, width, height,
                   SWP_SHOWWINDOW);
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
    ::UpdateWindow(Hwnd());
    ::SetForegroundWindow(Hwnd());
    ::SetFocus(Hwnd());
    ::SetCapture(Hwnd());
}

void SnapshotWindow::Hide() noexcept {
    if (Hwnd() != nullptr) {
        if (::GetCapture() == Hwnd()) {
            ::ReleaseCapture();
        }
        ::ShowWindow(Hwnd(), SW_HIDE);
    }
    FreeSnapshot();
}

ScreenSource SnapshotWindow::Source() const {
    return {m_memory.get(), m_bounds.left, m_bounds.top};
}

void SnapshotWindow::FreeSnapshot() noexcept {
    if (m_memory && m_previous != nullptr) {
        ::SelectObject(m_memory.get(), m_previous);
    }
    m_previous = nullptr;
    m_memory.reset();
    m_bitmap.reset();
}

void SnapshotWindow::PaintContent(HDC dc, const RECT& dirty) {
    if (m_memory) {
        ::BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
                 m_memory.get(), dirty.left, dirty.top, SRCCOPY);
    }
}

LRESULT SnapshotWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const int button = message == WM_LBUTTONDOWN   ? kLeftButton
                               : message == WM_RBUTTONDOWN ? kRightButton
                                                           : kMiddleButton;
            m_events.SelectionMouseDown(Hwnd(), button, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        }
        case WM_LBUTTONUP:
            m_events.SelectionMouseUp(kLeftButton);
            return 0;
        case WM_RBUTTONUP:
            m_events.SelectionMouseUp(kRightButton);
            return 0;
        case WM_MBUTTONUP:
            m_events.SelectionMouseUp(kMiddleButton);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                m_events.SelectionCancel();
            }
            return 0;
        case WM_CLOSE:
            // Alt+F4 and other programs' close requests: cancelled as Esc cancels, the window
            // kept for the next arming.
            m_events.SelectionCancel();
            return 0;
        case WM_DESTROY:
            // Destroyed behind the program's back: the next arming makes a new one.
            m_events.SelectionCancel();
            return 0;
        default:
            return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace pw
