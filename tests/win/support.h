// What the Windows tests share: counting GDI objects, windows painted with known colours,
// reading pixels, scripted message boxes, message pumping.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "capture/picture.h"
#include "platform/dialogs.h"

namespace pw::test {

// GetGuiResources answers 0 under Wine, so count by asking every handle value for its type.
int CountGdiObjects();

// Pixels of a bitmap or of the screen, 0x00RRGGBB, rows from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
    [[nodiscard]] uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};
Pixels ReadBitmap(HBITMAP bitmap);
// How many pixels of two equally large images differ; -1 when their sizes differ.
int Differences(const Pixels& a, const Pixels& b);
Pixels ReadScreen(const RECT& area);
inline uint32_t Rgb(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// A top-most window whose client area shows four quadrants of known colours, with a caption
// and border unless `framed` is false.
class PaintedWindow {
public:
    static constexpr COLORREF kTopLeft = RGB(220, 20, 60);
    static constexpr COLORREF kTopRight = RGB(30, 144, 255);
    static constexpr COLORREF kBottomLeft = RGB(50, 205, 50);
    static constexpr COLORREF kBottomRight = RGB(255, 215, 0);

    PaintedWindow(int x, int y, int clientWidth, int clientHeight, bool framed = true);
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;
    ~PaintedWindow();

    [[nodiscard]] HWND Hwnd() const { return m_hwnd; }
    // The colour the client area shows at a client point.
    [[nodiscard]] uint32_t ExpectedAt(int x, int y) const;
    [[nodiscard]] RECT WindowRect() const;
    [[nodiscard]] RECT ClientRectOnScreen() const;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hwnd = nullptr;
    int m_width;
    int m_height;
};

// Dispatches the thread's messages for a while, so that windows paint.
void PumpMessages(DWORD milliseconds);

// Answers message boxes from a script and records what each asked. A box that the script
// has no answer for fails the test (it is answered Cancel), and so does an answer still
// unused when the object goes: every box a test meets is one it expected.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Asked {
        HWND owner;
        std::wstring text;
        std::wstring title;
        UINT style;
    };
    ScriptedMessageBoxes() = default;
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;
    ~ScriptedMessageBoxes() override;
    void Answer(int button) { m_answers.push_back(button); }
    // Runs `act` while the next box is up, as a user acting in the meantime would.
    void WhileAsked(std::function<void()> act) { m_whileAsked = std::move(act); }
    int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override;
    [[nodiscard]] const std::vector<Asked>& History() const { return m_asked; }
    [[nodiscard]] size_t Count() const { return m_asked.size(); }
    [[nodiscard]] const Asked& Last() const { return m_asked.back(); }

private:
    std::deque<int> m_answers;
    std::vector<Asked> m_asked;
    std::function<void()> m_whileAsked;
};

// A picture of a freshly made bitmap of the given size, filled with one colour.
Picture SolidPicture(int width, int height, COLORREF colour);

// A picture whose every pixel tells where it is: PatternColour(x, y).
Picture PatternPicture(int width, int height);
inline uint32_t PatternColour(int x, int y) {
    return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) |
           static_cast<uint32_t>(((x >> 8) & 0x0F) | (((y >> 8) & 0x0F) << 4));
}

// Holds nearly every GDI handle the process may have, so that the next GDI call that needs
// one fails, until destroyed.
class GdiExhaustion {
public:
    GdiExhaustion();
    GdiExhaustion(const GdiExhaustion&) = delete;
    GdiExhaustion& operator=(const GdiExhaustion&) = delete;
    ~GdiExhaustion();
    [[nodiscard]] size_t Held() const { return m_held.size(); }

private:
    std::vector<HBITMAP> m_held;
};

// Another program that holds the clipboard open: this test program started again with
// kHoldClipboardOption. It opens the clipboard for a window of its own and keeps it open for
// `milliseconds`, then closes it and ends.
inline constexpr char kHoldClipboardOption[] = "--hold-clipboard";
int HoldClipboard(int milliseconds);

class ClipboardHolder {
public:
    // Returns once the other program holds the clipboard.
    explicit ClipboardHolder(int milliseconds);
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    // Waits for the other program to end.
    ~ClipboardHolder();
    [[nodiscard]] bool Holding() const { return m_holding; }

private:
    PROCESS_INFORMATION m_process{};
    bool m_holding = false;
};

// Replaces the clipboard's contents with a text; reads the text back ("" for none).
void PutTextOnClipboard(const std::wstring& text);
std::wstring TextOnClipboard();
// The pixels of the clipboard's bitmap; none when it holds none.
Pixels ClipboardPixels();

// The user's hand on the mouse and keyboard, as real input through the system's queue.
// A mouse event at a screen point, with MOUSEEVENTF_ button flags (0: only the move).
INPUT MouseAt(int x, int y, DWORD buttons = 0);
// A button event where the cursor is.
INPUT MouseButton(DWORD buttons);
// Sends the events in one go, as a script plays a gesture.
void SendInputs(std::initializer_list<INPUT> events);
// Moves the cursor as a real mouse does. Under Wine each injected move warps the X pointer,
// and the X server's echoes of earlier warps can arrive after it (the thread under the pointer
// reads them only when it looks at its queue), so the move is sent again until the cursor
// has stayed where it was sent.
void MoveMouseTo(int x, int y);
// Presses the keys in order and lets them go in the reverse order: {VK_MENU, VK_F4} is Alt+F4.
void PressKeys(std::initializer_list<WORD> keys);

}  // namespace pw::test
