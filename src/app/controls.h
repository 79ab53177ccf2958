// The controls of the main window, as the view and the commands use them: picture boxes,
// scroll bars with Max, Value, SmallChange and LargeChange in twips, the toolbar and the
// status bar. Geometry is in twips, relative to the parent's client area, and becomes pixels
// by the form's twips per pixel, rounded half to even.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "platform/handles.h"
#include "platform/window.h"
#include "capture/picture.h"
#include "core/units.h"
#include "core/view_layout.h"

namespace pw {

struct TwipsBox {
    float left = 0.0f;
    float top = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// Reads and sets a child window's geometry in twips.
TwipsBox ChildBox(HWND child, const TwipsPerPixel& units);
// A child's rectangle in its parent's client coordinates, in pixels.
RECT ChildRect(HWND child);
void MoveChild(HWND child, const TwipsBox& box, const TwipsPerPixel& units);
RECT ToPixels(const TwipsBox& box, const TwipsPerPixel& units);

// A picture box: a plain child window with a background colour that shows a Picture
// unscaled from its upper-left corner. With auto-size it takes each picture's size.
class PictureBox : public Window {
public:
    bool Create(HWND parent, int id, const RECT& pixels, int backgroundSysColor, bool autoSize);

    // Replaces the picture; the previous one is released here (and with its last reference
    // its bitmap). Cannot fail.
    void SetPicture(Picture picture) noexcept;
    [[nodiscard]] const Picture& GetPicture() const { return m_picture; }

    // Moves the box to (x, y) in its parent. While the box covers its parent before and after,
    // the pixels that stay in view are scrolled on the screen and only the part they uncover is
    // drawn, at once; otherwise the box moves as any window does.
    void ScrollTo(int x, int y);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& dirty) override;

private:
    Picture m_picture;
    int m_backgroundSysColor = COLOR_APPWORKSPACE;
    bool m_autoSize = false;
};

// A scroll-bar control with the toolkit's properties. Min is always 0; Value runs from 0 to
// Max. The control's own range adds a page the size of the viewport, so that the thumb shows
// how much of the picture is in view: nMax = Max + page - 1.
class ScrollBar {
public:
    enum class Orientation { Horizontal, Vertical };

    bool Create(HWND parent, int id, Orientation orientation, const RECT& pixels);
    [[nodiscard]] HWND Hwnd() const { return m_hwnd; }

    [[nodiscard]] const view::ScrollSettings& Settings() const { return m_settings; }
    [[nodiscard]] int32_t Value() const { return m_settings.value; }

    // Range, steps, visibility and value as the layout decided them; `page` is the viewport's
    // extent along the bar, in twips.
    void Apply(const view::ScrollSettings& settings, int32_t page);
    // Moves the thumb to a value within [0, Max] and returns the value taken. Without
    // `redraw` the control is not repainted: while the user drags the thumb, the control
    // draws it at the tracking position itself.
    int32_t SetValue(int64_t value, bool redraw = true);

    // The value that a WM_HSCROLL/WM_VSCROLL request asks for (arrow, trough, thumb, ends,
    // keyboard), or nothing when the request does not move the bar.
    [[nodiscard]] std::optional<int64_t> RequestedValue(int code) const;

private:
    HWND m_hwnd = nullptr;
    view::ScrollSettings m_settings;
    int32_t m_page = 0;
    // The page the last Apply was given (0 before the first): the same settings and page
    // again change nothing and are skipped.
    int32_t m_requestedPage = 0;
};

// A strip of square images, drawn over any background through a mask: two blits an image.
// Under Wine an image list's drawing costs ten times that, most of a start's first paint.
class ToolbarImages {
public:
    ToolbarImages() = default;
    ToolbarImages(ToolbarImages&&) noexcept = default;
    // The old images go with their contexts first: a bitmap still selected would not be freed.
    ToolbarImages& operator=(ToolbarImages&& other) noexcept {
        m_colour.reset();
        m_mask.reset();
        m_colourBitmap = std::move(other.m_colourBitmap);
        m_maskBitmap = std::move(other.m_maskBitmap);
        m_colour = std::move(other.m_colour);
        m_mask = std::move(other.m_mask);
        m_size = std::exchange(other.m_size, 0);
        m_count = std::exchange(other.m_count, 0);
        return *this;
    }
    // The images of `size` pixels in `strip`, whose pixels of `maskColour` are transparent.
    // Empty when the strip cannot be used.
    static ToolbarImages FromStrip(const UniqueBitmap& strip, int size, COLORREF maskColour);

    [[nodiscard]] bool Empty() const { return !m_colour; }
    [[nodiscard]] int Size() const { return m_size; }
    [[nodiscard]] int Count() const { return m_count; }
    // Image `index` (from 0) with its top left corner at x, y. A disabled one is drawn etched,
    // its shape in the highlight and shadow colours, as a disabled button shows it.
    void Draw(HDC dc, int index, int x, int y, bool disabled = false) const;

private:
    // Declared before the contexts they are selected into, so that they outlive them.
    UniqueBitmap m_colourBitmap;  // the images, black where transparent
    UniqueBitmap m_maskBitmap;    // white where transparent, black where drawn
    UniqueDc m_colour;
    UniqueDc m_mask;
    int m_size = 0;
    int m_count = 0;
};

// The toolbar along the top of the client area; a fixed height, the full width. Buttons show
// images only; their texts serve as tooltips. The toolbar draws the buttons' frames and the
// parent passes on its NM_CUSTOMDRAW, with which the images are drawn (OnCustomDraw).
class Toolbar {
public:
    bool Create(HWND parent, int id, int heightPixels);
    [[nodiscard]] HWND Hwnd() const { return m_hwnd; }
    [[nodiscard]] int HeightPixels() const;
    void SetHeightPixels(int heightPixels);
    void Fit(int parentWidthPixels);
    // Adds the positions of the table in order; the button at position n (from 1) sends
    // WM_COMMAND with commandBase + n. Placeholders are gaps as wide as a separator at `dpi`.
    // The images stay the caller's, and must outlive their use here.
    void AddPositions(std::span<const ToolbarPosition> table, const ToolbarImages& images,
                      UINT commandBase, UINT dpi);
    // The placeholders' gaps for a new dpi, scaled like the separator they stand for.
    void ScaleGaps(UINT dpi);
    // Shows the buttons' images from another strip (the caller's, as above), with the buttons
    // resized around them.
    void SetImages(const ToolbarImages& images);
    // The answer to the toolbar's NM_CUSTOMDRAW: each button's image drawn once the toolbar
    // has drawn the button, one pixel down and right while it is pressed.
    [[nodiscard]] LRESULT OnCustomDraw(const NMCUSTOMDRAW& draw) const;

private:
    HWND m_hwnd = nullptr;
    int m_height = 0;
    std::vector<UINT> m_gaps;  // the placeholders' command ids
    const ToolbarImages* m_images = nullptr;
    int m_imageSize = 0;  // the size the buttons were made around
    UINT m_commandBase = 0;
    std::vector<int> m_imageAt;  // each position's image, from 0; -1 for none
};

// The status bar along the bottom, with two panels numbered from 1: panel 1 takes what
// panel 2 leaves, but never less than its minimum; panel 2 has a fixed width. Panel 1 has a
// tooltip that shows when the mouse rests on it.
class StatusBar {
public:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
    ~StatusBar();

    bool Create(HWND parent, int id);
    [[nodiscard]] HWND Hwnd() const { return m_hwnd; }
    [[nodiscard]] int HeightPixels() const;

    void SetPanelText(int panel, const std::wstring& text);
    [[nodiscard]] std::wstring PanelText(int panel) const;
    // Panel 1's tooltip. Its window is made the first time the mouse comes over the bar
    // (the parent calls Tooltip() then): a pop-up window costs a start several milliseconds.
    void SetPanel1Tip(const std::wstring& tip);
    HWND Tooltip();
    // Follows the parent's new size and sets the panels' widths (in pixels).
    void Fit(int parentWidthPixels, int panel1MinPixels, int panel2Pixels);

private:
    void PlaceTip();

    HWND m_hwnd = nullptr;
    HWND m_parent = nullptr;
    HWND m_tooltip = nullptr;
    std::wstring m_tip;
    std::vector<std::wstring> m_texts;  // each panel's text as set, from panel 1
};

}  // namespace pw
