// The free-area capture: a snapshot of the whole virtual screen shown in a window over it, the
// modal drag that picks a rectangle on it, the keys, the magnifier and the edge snapping that
// help to pick it to the pixel, and the copy of that rectangle to the clipboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "area/magnifier.h"
#include "capture/picture.h"
#include "platform/window.h"
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

// The pointer during a free-area capture: where it is, the arrows that move it, where the
// selection's corner goes for it, and the magnifier that shows it.
class PointerAids {
public:
  // The pointer's position for the cursor position a mouse message reports. The system
  // reports a move that an arrow made as a mouse message of its own, some time later, and
  // under Wine reports of the positions before it can still come after it (GetCursorPos can
  // give them too): a report of any position the arrows have moved the pointer through
  // since the mouse last moved gives the position the arrows have left it at.
  virtual POINT Track(POINT reported) = 0;
  // An arrow moves the pointer by (dx, dy) pixels; returns its new position.
  virtual POINT Nudge(int dx, int dy) = 0;
  // Alt went down or came up.
  virtual void HoldSnap(bool held) = 0;
  // The point that the selection takes for the cursor at `cursor`: the cursor's own, or,
  // while Alt is held, snapped to the nearest edges of the window beneath. Screen pixels.
  virtual POINT Aim(POINT cursor) = 0;
  // The selection's corner is at `at` now: the magnifier shows it.
  virtual void Pointing(POINT at) = 0;
  // Z: the magnifier on or off, also for later captures.
  virtual void ToggleMagnifier() = 0;

protected:
    ~PointerAids() = default;
};

// What a key pressed over the snapshot does.
struct KeyEffect {
    enum class Kind {
        None,             // nothing of the capture's
        Nudge,            // an arrow: the pointer moves by (dx, dy)
        End,              // Enter or Space: the drag ends there, as the button's release would
        Cancel,           // Esc: the whole capture ends with nothing captured
        ToggleMagnifier,  // Z
        Aim,              // Alt down or up: the snapping starts or stops
    };
    Kind kind = Kind::None;
    int dx = 0;
    int dy = 0;
};
// The effect of a keyboard message; an arrow moves one pixel, with Shift held ten.
KeyEffect EffectOfKey(UINT message, WPARAM key);

// The modal drag. The left button went down at `anchor`, a client point of hWnd, which holds
// the mouse capture; `anchor` is turned into screen pixels and aimed. Until the left button
// comes up, every mouse message of the thread moves the free corner to the aimed cursor
// position, with the feedback drawn on hWnd's client area; the other buttons move it too. The
// arrows move the pointer, Enter and Space end the drag where the corner is, Esc ends it with
// the empty rectangle at the anchor, which captures nothing; Alt and Z work as `aids` has it.
// The keys the drag does not use are queued again for hWnd's thread when it ends. Should the
// capture go elsewhere, the drag ends when the user's left button (the logical one, which is
// the physical right with swapped buttons) is up. Returns the normalised rectangle in screen
// pixels, having erased the feedback, released the capture and posted the button-up to hWnd.
Rect TrackSelectionRectangle(HWND hWnd, POINT& anchor, PointerAids& aids);

// The steps of a free-area capture after the press: the drag, the copy to the clipboard and
// the read back into a Picture, which the system's steps do with the functions above.
class AreaCaptureSteps {
public:
    virtual ~AreaCaptureSteps() = default;
    virtual Rect Track(HWND hWnd, POINT& anchor, PointerAids& aids) = 0;
    virtual AreaCopy Copy(const ScreenSource& screen, HWND owner, const Rect& area) = 0;
    virtual std::optional<Picture> ReadBack(HWND owner) = 0;
};

class SystemAreaCaptureSteps : public AreaCaptureSteps {
public:
    Rect Track(HWND hWnd, POINT& anchor, PointerAids& aids) override;
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
// the mouse presses made anywhere on the screen and shows the crosshair, with the magnifier
// beside the pointer unless it is turned off. A close request only cancels: the window stays,
// hidden, for the next arming.
class SnapshotWindow : public Window, public PointerAids {
public:
    explicit SnapshotWindow(SelectionEvents& events) : m_events(events) {}
    ~SnapshotWindow() override;

    // Shows the snapshot, painted, active and holding the mouse capture. `program` is the
    // program's main window: neither it nor a window it owns is ever snapped to. Throws
    // Failure.
    void Show(ScreenSnapshot snapshot, HWND program = nullptr);
    // Off the screen, the capture released and the snapshot freed.
    void Hide() noexcept;
    [[nodiscard]] bool Shown() const { return Hwnd() != nullptr && ::IsWindowVisible(Hwnd()); }
    // The snapshot as a source of screen pixels, while shown.
    [[nodiscard]] ScreenSource Source() const;

    // Whether the magnifier is shown while armed and dragging; Z turns it over.
    void SetMagnifierOn(bool on) { m_magnifierOn = on; }
    [[nodiscard]] bool MagnifierOn() const { return m_magnifierOn; }
    // Where the magnifier is drawn, in screen pixels, while it is.
    [[nodiscard]] std::optional<RECT> MagnifierPlace() const { return m_magnifier.Place(); }

    POINT Track(POINT reported) override;
    POINT Nudge(int dx, int dy) override;
    void HoldSnap(bool held) override { m_snapHeld = held; }
    POINT Aim(POINT cursor) override;
    void Pointing(POINT at) override;
    void ToggleMagnifier() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& dirty) override;

private:
    void FreeSnapshot() noexcept;
    // The top-level window beneath the snapshot at a screen point that snapping goes by.
    [[nodiscard]] HWND WindowBeneath(POINT at) const;

    SelectionEvents& m_events;
    Magnifier m_magnifier;
    bool m_magnifierOn = true;
    POINT m_pointing{};
    HWND m_program = nullptr;
    // The pointer as the user moved it, and the positions the arrows have moved it through
    // since the mouse last moved, the one they started from first.
    POINT m_cursor{};
    std::vector<POINT> m_trail;
    // Alt is down, as the key messages to the snapshot window have it.
    bool m_snapHeld = false;
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
