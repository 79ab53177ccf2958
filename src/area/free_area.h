// The free-area capture: a snapshot of the whole virtual screen shown in a window over it, the
// modal drag that picks a rectangle on it, and the copy of that rectangle to the clipboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/window.h"
#include "capture/picture.h"
#include "core/geometry.h"
#include "platform/handles.h"

namespace pw {

// Mouse buttons as the mouse events report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// Every monitor's pixels at one moment; bounds in screen pixels, which may start left of or
// above the primary screen.
struct ScreenSnapshot {
    UniqueBitmap bitmap;
    Rect bounds;
};
// Throws Failure when the snapshot cannot be taken.
ScreenSnapshot TakeVirtualScreenSnapshot();

// Where the pixels of a screen area are read: a context whose pixel (0, 0) shows the screen
// point (originX, originY). The display itself is {GetDC(nullptr), 0, 0}.
struct ScreenSource {
    HDC dc = nullptr;
    int32_t originX = 0;
    int32_t originY = 0;
};

struct AreaCopy {
    enum class Outcome {
        Nothing,      // an empty area: no bitmap, the clipboard untouched
        OnClipboard,  // the clipboard holds the bitmap now
        Kept,         // the clipboard would not take it: the bitmap is in `kept`
    };
    Outcome outcome = Outcome::Nothing;
    UniqueBitmap kept;
    // Why the clipboard did not take the bitmap: the call that failed (OpenClipboard,
    // EmptyClipboard or SetClipboardData) and its error code.
    const wchar_t* failedCall = nullptr;
    DWORD error = 0;
};

// Copies the area [left, right) x [top, bottom) of the screen, in screen pixels, into a new
// bitmap of right - left by bottom - top and hands it to the clipboard, with `owner` as the
// clipboard's owner; expects left <= right and top <= bottom. While another program holds the
// clipboard it asks again for about half a second. Throws Failure when the bitmap cannot be
// made, having changed nothing.
AreaCopy CopyScreenAreaToClipboard(const ScreenSource& screen, HWND owner, int32_t left,
                                   int32_t top, int32_t right, int32_t bottom);

// The clipboard's bitmap as a new Picture; nothing when it holds none or cannot be opened.
std::optional<Picture> PictureFromClipboard(HWND owner);

// The modal drag. The left button went down at `anchor`, a client point of hWnd, which holds
// the mouse capture; `anchor` is turned into screen pixels. Until the left button comes up,
// every mouse message of the thread moves the free corner to the message's cursor position,
// with the feedback drawn on hWnd's client area; the other buttons move it too. Should the
// capture go elsewhere, the drag ends when the user's left button (the logical one, which is
// the physical right with swapped buttons) is up. Returns the normalised rectangle in screen
// pixels, having erased the feedback, released the capture and posted the button-up to hWnd.
Rect TrackSelectionRectangle(HWND hWnd, POINT& anchor);

// The steps of a free-area capture after the press: the drag, the copy to the clipboard and
// the read back into a Picture, which the system's steps do with the functions above.
class AreaCaptureSteps {
public:
    virtual ~AreaCaptureSteps() = default;
    virtual Rect Track(HWND hWnd, POINT& anchor) = 0;
    virtual AreaCopy Copy(const ScreenSource& screen, HWND owner, const Rect& area) = 0;
    virtual std::optional<Picture> ReadBack(HWND owner) = 0;
};

class SystemAreaCaptureSteps : public AreaCaptureSteps {
public:
    Rect Track(HWND hWnd, POINT& anchor) override;
    AreaCopy Copy(const ScreenSource& screen, HWND owner, const Rect& area) override;
    std::optional<Picture> ReadBack(HWND owner) override;
};

// What the snapshot window passes on to the program.
class SelectionEvents {
public:
    // A button went down at (x, y), client pixels of `window`.
    virtual void SelectionMouseDown(HWND window, int button, int x, int y) = 0;
    virtual void SelectionMouseUp(int button) = 0;
    // Esc, or the window's end any other way: closed (Alt+F4, another program's request) or
    // destroyed.
    virtual void SelectionCancel() = 0;

protected:
    ~SelectionEvents() = default;
};

// A borderless topmost window over the whole virtual screen that shows a snapshot of it, takes
// the mouse presses made anywhere on the screen and shows the crosshair. A close request only
// cancels: the window stays, hidden, for the next arming.
class SnapshotWindow : public Window {
public:
    explicit SnapshotWindow(SelectionEvents& events) : m_events(events) {}
    ~SnapshotWindow() override;

    // Shows the snapshot, painted, active and holding the mouse capture. Throws Failure.
    void Show(ScreenSnapshot snapshot);
    // Off the screen, the capture released and the snapshot freed.
    void Hide() noexcept;
    [[nodiscard]] bool Shown() const { return Hwnd() != nullptr && ::IsWindowVisible(Hwnd()); }
    // The snapshot as a source of screen pixels, while shown.
    [[nodiscard]] ScreenSource Source() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& dirty) override;

private:
    void FreeSnapshot() noexcept;

    SelectionEvents& m_events;
    UniqueDc m_memory;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_previous = nullptr;
    Rect m_bounds;
};

// Arming: minimises the main window, waits until the screen no longer shows it, then shows the
// snapshot of every monitor. Throws Failure with the snapshot window gone; the caller restores
// the main window.
void ArmFreeAreaCapture(HWND mainWindow, SnapshotWindow& snapshot);

}  // namespace pw
