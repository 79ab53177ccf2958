#include "area/free_area.h"

#include <windowsx.h>

#include <dwmapi.h>

#include <limits>
#include <vector>

#include "core/ids.h"
#include "area/feedback.h"
#include "capture/capture.h"
#include "core/selection.h"
#include "platform/clipboard.h"
#include "platform/failure.h"
#include "platform/monitors.h"
#include "platform/system_library.h"

namespace pw {

namespace {

// How long arming waits for the windows that the minimised main window uncovered to repaint.
constexpr DWORD kUncoverTimeoutMs = 1000;
// The drag waits for mouse input at most this long before it looks at the capture again.
constexpr DWORD kTrackingPollMs = 100;
// Where a minimised window lies off every monitor, as the shell puts it with a taskbar.
constexpr LONG kOffScreen = -32000;
// Pixels an arrow moves the pointer, alone and with Shift.
constexpr int kNudge = 1;
constexpr int kShiftNudge = 10;
// The positions the arrows have moved the pointer through that are remembered; beyond that,
// the oldest go.
constexpr size_t kTrailLength = 64;

bool KeyIsDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

// Hidden from the user by the system though IsWindowVisible says otherwise (a window on another
// virtual desktop, a suspended app's); false where the system cannot tell.
bool IsCloaked(HWND window) {
    static const auto getAttribute =
        SystemFunction<decltype(::DwmGetWindowAttribute)>(L"dwmapi.dll", "DwmGetWindowAttribute");
    DWORD cloaked = 0;
    return getAttribute != nullptr &&
           SUCCEEDED(getAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

}  // namespace

KeyEffect EffectOfKey(UINT message, WPARAM key) {
    using Kind = KeyEffect::Kind;
    if (key == VK_MENU) {
        return {Kind::Aim};
    }
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) {
        return {};
    }
    const int step = KeyIsDown(VK_SHIFT) ? kShiftNudge : kNudge;
    switch (key) {
        case VK_LEFT:
            return {Kind::Nudge, -step, 0};
        case VK_RIGHT:
            return {Kind::Nudge, step, 0};
        case VK_UP:
            return {Kind::Nudge, 0, -step};
        case VK_DOWN:
            return {Kind::Nudge, 0, step};
        case VK_RETURN:
        case VK_SPACE:
            return {Kind::End};
        case VK_ESCAPE:
            return {Kind::Cancel};
        case 'Z':
            return {Kind::ToggleMagnifier};
        default:
            return {};
    }
}

ScreenSnapshot TakeVirtualScreenSnapshot() {
    const Rect bounds = VirtualScreenBounds();
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
    if (const ClipboardFailure failure = PutBitmapOnClipboard(owner, bitmap);
        failure.failedCall != nullptr) {
        copy.outcome = AreaCopy::Outcome::Kept;
        copy.kept = std::move(bitmap);
        copy.failedCall = failure.failedCall;
        copy.error = failure.error;
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

Rect TrackSelectionRectangle(HWND hWnd, POINT& anchor, PointerAids& aids) {
    WindowDc dc = WindowDc::ForClient(hWnd);
    // Feedback is drawn in screen pixels: the context's origin moves to the screen's.
    POINT clientOrigin{0, 0};
    ::ClientToScreen(hWnd, &clientOrigin);
    if (dc) {
        ::SetViewportOrgEx(dc.get(), -clientOrigin.x, -clientOrigin.y, nullptr);
    }
    ::ClientToScreen(hWnd, &anchor);
    // Where the user's pointer is, and the corner the selection takes for it.
    POINT cursor = aids.Track(anchor);
    anchor = aids.Aim(cursor);
    POINT corner = anchor;

    // GetAsyncKeyState reads the physical buttons: with swapped buttons the user's left one,
    // whose release ends the drag, is the physical right.
    const int leftButton = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    Rect rect = SelectionBetween(anchor.x, anchor.y, anchor.x, anchor.y);
    aids.Pointing(corner);
    DrawSelectionFeedback(dc.get(), rect);
    // Keyboard messages the drag has no use for, in their order, queued again once it is over.
    std::vector<MSG> unused;
    // The button-up posted at the end: the release the drag ended on, if it ended on one.
    MSG end{};
    for (;;) {
        MSG msg{};
        KeyEffect effect;
        bool done = false;
        // Look before waiting: input already queued does not wake a wait under Wine.
        if (::PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_MBUTTONDBLCLK, PM_REMOVE)) {
            // The message's own cursor position, in screen pixels.
            cursor = aids.Track(msg.pt);
            if (msg.message == WM_LBUTTONUP) {
                end = msg;
                done = true;
            }
        } else if (::PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            effect = EffectOfKey(msg.message, msg.wParam);
            if (effect.kind == KeyEffect::Kind::None) {
                unused.push_back(msg);
                continue;
            }
            if (effect.kind == KeyEffect::Kind::Nudge) {
                cursor = aids.Nudge(effect.dx, effect.dy);
            } else if (effect.kind == KeyEffect::Kind::Aim) {
                aids.HoldSnap(msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN);
            }
            done = effect.kind == KeyEffect::Kind::End || effect.kind == KeyEffect::Kind::Cancel;
        } else if (::GetCapture() != hWnd && (::GetAsyncKeyState(leftButton) & 0x8000) == 0) {
            // The capture went elsewhere and the button is up: no release will arrive.
            POINT reported{};
            ::GetCursorPos(&reported);
            cursor = aids.Track(reported);
            done = true;
        } else {
            ::MsgWaitForMultipleObjectsEx(0, nullptr, kTrackingPollMs, QS_MOUSE | QS_KEY,
                                          MWMO_INPUTAVAILABLE);
            continue;
        }
        // Erase the old rectangle, then draw the new one. The magnifier changes only in
        // between, while no feedback is on the snapshot window: a frame drawn with the
        // magnifier over part of it is erased with the magnifier in the same place.
        DrawSelectionFeedback(dc.get(), rect);
        if (effect.kind == KeyEffect::Kind::ToggleMagnifier) {
            aids.ToggleMagnifier();
        }
        // Esc leaves the corner on the anchor: nothing is selected.
        corner = effect.kind == KeyEffect::Kind::Cancel ? anchor : aids.Aim(cursor);
        rect = SelectionBetween(anchor.x, anchor.y, corner.x, corner.y);
        aids.Pointing(corner);
        DrawSelectionFeedback(dc.get(), rect);
        if (done) {
            if (end.message != WM_LBUTTONUP) {
                // Ended by a key or by the lost capture: a release where the corner is.
                POINT client = corner;
                ::ScreenToClient(hWnd, &client);
                end.lParam = MAKELPARAM(client.x, client.y);
            }
            break;
        }
    }
    DrawSelectionFeedback(dc.get(), rect);
    dc.reset();
    ::ReleaseCapture();
    ::PostMessageW(hWnd, WM_LBUTTONUP, end.wParam, end.lParam);
    for (const MSG& key : unused) {
        ::PostMessageW(key.hwnd, key.message, key.wParam, key.lParam);
    }
    return rect;
}

Rect SystemAreaCaptureSteps::Track(HWND hWnd, POINT& anchor, PointerAids& aids) {
    return TrackSelectionRectangle(hWnd, anchor, aids);
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
    WaitUntilUncovered(mainWindow, shown, kUncoverTimeoutMs);
    snapshot.Show(TakeVirtualScreenSnapshot(), mainWindow);
}

// The snapshot window

SnapshotWindow::~SnapshotWindow() {
    FreeSnapshot();
}

void SnapshotWindow::Show(ScreenSnapshot snapshot, HWND program) {
    FreeSnapshot();
    m_program = program;
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
    ::GetCursorPos(&m_cursor);
    m_trail.clear();
    m_snapHeld = (::GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
    std::vector<Rect> workAreas;
    for (const MonitorArea& monitor : SystemMonitorLayout().Monitors()) {
        workAreas.push_back(monitor.work);
    }
    m_magnifier.SetWorkAreas(std::move(workAreas));
    Pointing(Aim(m_cursor));
}

void SnapshotWindow::Hide() noexcept {
    m_magnifier.Reset();
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

POINT SnapshotWindow::Aim(POINT cursor) {
    // Alt as the snapshot's own key messages have it, not as GetAsyncKeyState does: Wine sets
    // the modifiers' state back to the X server's keyboard whenever the pointer enters a
    // window, which drops an Alt that X did not see go down (one sent with SendInput).
    if (!m_snapHeld) {
        return cursor;
    }
    const HWND beneath = WindowBeneath(cursor);
    if (beneath == nullptr) {
        return cursor;
    }
    const RECT frame = VisibleFrameOf(beneath);
    const Point snapped = SnapToFrame(
        {cursor.x, cursor.y}, {frame.left, frame.top, frame.right, frame.bottom}, kSnapReach);
    return {snapped.x, snapped.y};
}

HWND SnapshotWindow::WindowBeneath(POINT at) const {
    // Top-level windows from the one just below the snapshot downwards: the first that shows
    // at that point.
    for (HWND window = ::GetWindow(Hwnd(), GW_HWNDNEXT); window != nullptr;
         window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (m_program != nullptr &&
            (window == m_program || ::GetWindow(window, GW_OWNER) == m_program)) {
            continue;
        }
        if (!::IsWindowVisible(window) || ::IsIconic(window) ||
            (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0 || IsCloaked(window)) {
            continue;
        }
        const RECT frame = VisibleFrameOf(window);
        if (::PtInRect(&frame, at)) {
            return window;
        }
    }
    return nullptr;
}

void SnapshotWindow::Pointing(POINT at) {
    m_pointing = at;
    if (!m_magnifierOn || !Shown()) {
        return;
    }
    // During the drag no feedback is drawn at this moment: the magnifier's old place shows
    // the snapshot again, and a frame drawn over its new one is erased over the same image.
    m_magnifier.Follow(Hwnd(), Source(), at);
}

void SnapshotWindow::ToggleMagnifier() {
    m_magnifierOn = !m_magnifierOn;
    if (m_magnifierOn) {
        Pointing(m_pointing);
    } else {
        m_magnifier.Hide(Hwnd(), Source());
    }
}

POINT SnapshotWindow::Track(POINT reported) {
    for (const POINT& passed : m_trail) {
        if (passed.x == reported.x && passed.y == reported.y) {
            // A late report of a position the arrows have moved the pointer on from.
            return m_cursor;
        }
    }
    m_trail.clear();
    m_cursor = reported;
    return m_cursor;
}

POINT SnapshotWindow::Nudge(int dx, int dy) {
    if (m_trail.size() >= kTrailLength) {
        m_trail.erase(m_trail.begin(), m_trail.begin() + 2);
    }
    if (m_trail.empty()) {
        m_trail.push_back(m_cursor);
    }
    m_cursor = {m_cursor.x + dx, m_cursor.y + dy};
    ::SetCursorPos(m_cursor.x, m_cursor.y);
    m_trail.push_back(m_cursor);
    return m_cursor;
}

void SnapshotWindow::PaintContent(HDC dc, const RECT& dirty) {
    if (m_memory) {
        ::BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
                 m_memory.get(), dirty.left, dirty.top, SRCCOPY);
        m_magnifier.Paint(dc, Source());
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
        case WM_MOUSEMOVE: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ClientToScreen(Hwnd(), &at);
            Pointing(Aim(Track(at)));
            return 0;
        }
        case WM_KILLFOCUS:
            // Alt's release goes to the window that has the focus now.
            m_snapHeld = false;
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const KeyEffect effect = EffectOfKey(message, wParam);
            switch (effect.kind) {
                case KeyEffect::Kind::None:
                    // Alt+F4 among others: the default handling closes, which cancels.
                    return Window::HandleMessage(message, wParam, lParam);
                case KeyEffect::Kind::Cancel:
                    m_events.SelectionCancel();
                    break;
                case KeyEffect::Kind::Nudge:
                    Pointing(Aim(Nudge(effect.dx, effect.dy)));
                    break;
                case KeyEffect::Kind::ToggleMagnifier:
                    ToggleMagnifier();
                    break;
                case KeyEffect::Kind::Aim:
                    // Alt alone does not go on to the default handling, which would enter
                    // menu mode on its release.
                    HoldSnap(message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
                    Pointing(Aim(m_cursor));
                    break;
                case KeyEffect::Kind::End:
                    // Armed, with no drag to end: nothing starts, as nothing was pressed.
                    break;
            }
            return 0;
        }
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
