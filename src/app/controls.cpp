#include "app/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/dib.h"
#include "platform/handles.h"

namespace pw {

RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TwipsBox ChildBox(HWND child, const TwipsPerPixel& units) {
    const RECT rect = ChildRect(child);
    return {PixelsToTwips(rect.left, units.x), PixelsToTwips(rect.top, units.y),
            PixelsToTwips(rect.right - rect.left, units.x),
            PixelsToTwips(rect.bottom - rect.top, units.y)};
}

RECT ToPixels(const TwipsBox& box, const TwipsPerPixel& units) {
    const int left = TwipsToPixels(box.left, units.x);
    const int top = TwipsToPixels(box.top, units.y);
    return {left, top, left + TwipsToPixels(box.width, units.x),
            top + TwipsToPixels(box.height, units.y)};
}

void MoveChild(HWND child, const TwipsBox& box, const TwipsPerPixel& units) {
    const RECT rect = ToPixels(box, units);
    // A layout run again for the same size (the window's first showing sends one) moves
    // nothing: each move costs the child and its children a round of messages.
    if (const RECT now = ChildRect(child); ::EqualRect(&now, &rect)) {
        return;
    }
    ::SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// PictureBox

bool PictureBox::Create(HWND parent, int id, const RECT& px, int backgroundSysColor,
                        bool autoSize) {
    m_backgroundSysColor = backgroundSysColor;
    m_autoSize = autoSize;
    ClassSpec windowClass{L"PixelwrenPictureBox"};
    CreateSpec spec;
    // A box that takes its picture's size shows only the background while it has none, the
    // colour of the box it lies in: it stays hidden until it holds a picture, which spares a
    // start showing and painting it.
    spec.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (autoSize ? 0 : WS_VISIBLE);
    spec.x = px.left;
    spec.y = px.top;
    spec.width = px.right - px.left;
    spec.height = px.bottom - px.top;
    spec.parent = parent;
    spec.menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    return CreateOf(windowClass, spec);
}

void PictureBox::SetPicture(Picture picture) noexcept {
    m_picture = std::move(picture);
    if (m_autoSize && !m_picture.Empty()) {
        const Size size = m_picture.SizeInPixels();
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, size.width, size.height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_autoSize) {
        ::ShowWindow(Hwnd(), m_picture.Empty() ? SW_HIDE : SW_SHOWNA);
    }
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        return 1;  // PaintContent covers every pixel
    }
    if (message == WM_NCPAINT) {
        // Nothing lies outside the client area: no frame, no scroll bars of its own. The
        // default handling would still take a window DC for it at every showing.
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void PictureBox::ScrollTo(int x, int y) {
    const HWND parent = ::GetParent(Hwnd());
    const RECT before = ChildRect(Hwnd());
    const int dx = x - before.left;
    const int dy = y - before.top;
    if (dx == 0 && dy == 0) {
        return;
    }
    RECT view{};
    ::GetClientRect(parent, &view);
    RECT after = before;
    ::OffsetRect(&after, dx, dy);
    const auto covers = [&](const RECT& box) {
        RECT both{};
        return ::IntersectRect(&both, &box, &view) && ::EqualRect(&both, &view);
    };
    if (!covers(before) || !covers(after)) {
        ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // Under Wine a plain move costs a quarter of a scroll bar's redraw more than this: the
    // system's copy of the bits, then a WM_PAINT round for the strip.
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
    // The screen still shows the old pixels where they were: scroll them with the box. What
    // they uncover, and whatever was hidden, comes back in `uncovered` (client coordinates).
    UniqueRegion uncovered(::CreateRectRgn(0, 0, 0, 0));
    ::ScrollWindowEx(Hwnd(), dx, dy, nullptr, nullptr, uncovered.get(), nullptr, 0);
    RECT dirty{};
    if (::GetRgnBox(uncovered.get(), &dirty) == NULLREGION) {
        return;
    }
    if (HDC dc = ::GetDC(Hwnd()); dc != nullptr) {
        ::SelectClipRgn(dc, uncovered.get());
        PaintContent(dc, dirty);
        ::ReleaseDC(Hwnd(), dc);
    } else {
        ::InvalidateRgn(Hwnd(), uncovered.get(), FALSE);
    }
}

void PictureBox::PaintContent(HDC dc, const RECT& dirty) {
    const Size size = m_picture.SizeInPixels();
    const RECT pictureRect{0, 0, size.width, size.height};

    if (!m_picture.Empty()) {
        UniqueDc memory(::CreateCompatibleDC(dc));
        if (memory) {
            SelectObjectGuard select(memory.get(), m_picture.Bitmap());
            std::optional<SelectPaletteGuard> palette;
            if (m_picture.Palette() != nullptr) {
                palette.emplace(dc, m_picture.Palette(), FALSE);
                ::RealizePalette(dc);
            }
            RECT area{};
            if (select.Selected() && ::IntersectRect(&area, &dirty, &pictureRect)) {
                ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
                         memory.get(), area.left, area.top, SRCCOPY);
            }
        }
    }

    // Whatever the picture does not cover shows the background colour: the strip at its
    // right and the strip below it.
    const HBRUSH background = ::GetSysColorBrush(m_backgroundSysColor);
    const RECT right{std::max(dirty.left, pictureRect.right), dirty.top, dirty.right, dirty.bottom};
    const RECT below{dirty.left, std::max(dirty.top, pictureRect.bottom),
                     std::min(dirty.right, pictureRect.right), dirty.bottom};
    if (m_picture.Empty()) {
        ::FillRect(dc, &dirty, background);
        return;
    }
    if (right.left < right.right) {
        ::FillRect(dc, &right, background);
    }
    if (below.left < below.right && below.top < below.bottom) {
        ::FillRect(dc, &below, background);
    }
}

// ScrollBar

bool ScrollBar::Create(HWND parent, int id, Orientation orientation, const RECT& px) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS |
                        (orientation == Orientation::Horizontal ? SBS_HORZ : SBS_VERT);
    m_hwnd = ::CreateWindowExW(0, L"SCROLLBAR", L"", style, px.left, px.top, px.right - px.left,
                               px.bottom - px.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    return m_hwnd != nullptr;
}

void ScrollBar::Apply(const view::ScrollSettings& settings, int32_t page) {
    if (settings == m_settings && std::max(page, 1) == m_requestedPage) {
        return;
    }
    m_requestedPage = std::max(page, 1);
    m_settings = settings;
    m_page = std::max(page, 1);
    SCROLLINFO info{sizeof info};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    // The excess plus a page could pass the 32-bit range only for absurd pictures; the page
    // then shrinks so that every value stays reachable.
    const int64_t top = static_cast<int64_t>(settings.max) + m_page - 1;
    if (top > INT32_MAX) {
        m_page = static_cast<int32_t>(INT32_MAX - static_cast<int64_t>(settings.max) + 1);
    }
    info.nMax = static_cast<int>(static_cast<int64_t>(settings.max) + m_page - 1);
    info.nPage = static_cast<UINT>(m_page);
    info.nPos = settings.value;
    // A hidden bar is drawn when it shows.
    ::SetScrollInfo(m_hwnd, SB_CTL, &info, ::IsWindowVisible(m_hwnd));
    ::ShowWindow(m_hwnd, settings.visible ? SW_SHOWNA : SW_HIDE);
}

int32_t ScrollBar::SetValue(int64_t value, bool redraw) {
    m_settings.value = view::ClampScrollValue(value, m_settings.max);
    SCROLLINFO info{sizeof info};
    info.fMask = SIF_POS;
    info.nPos = m_settings.value;
    ::SetScrollInfo(m_hwnd, SB_CTL, &info, redraw ? TRUE : FALSE);
    return m_settings.value;
}

std::optional<int64_t> ScrollBar::RequestedValue(int code) const {
    const int64_t value = m_settings.value;
    switch (code) {
        case SB_LINELEFT:  // SB_LINEUP
            return value - m_settings.smallChange;
        case SB_LINERIGHT:  // SB_LINEDOWN
            return value + m_settings.smallChange;
        case SB_PAGELEFT:  // SB_PAGEUP
            return value - m_settings.largeChange;
        case SB_PAGERIGHT:  // SB_PAGEDOWN
            return value + m_settings.largeChange;
        case SB_LEFT:  // SB_TOP
            return 0;
        case SB_RIGHT:  // SB_BOTTOM
            return m_settings.max;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 16-bit position in the message would cut large ranges; the control keeps
            // the full 32-bit one.
            SCROLLINFO info{sizeof info};
            info.fMask = SIF_TRACKPOS;
            ::GetScrollInfo(m_hwnd, SB_CTL, &info);
            return info.nTrackPos;
        }
        default:
            return std::nullopt;
    }
}

// ToolbarImages

ToolbarImages ToolbarImages::FromStrip(const UniqueBitmap& strip, int size, COLORREF maskColour) {
    ToolbarImages images;
    BITMAP info{};
    if (!strip || size <= 0 || ::GetObjectW(strip.get(), sizeof info, &info) != sizeof info ||
        info.bmWidth < size || info.bmHeight != size) {
        return images;
    }
    // The images in 32 bits a pixel: raster operations on a strip with a palette would work on
    // its colours' indices.
    void* bits = nullptr;
    UniqueBitmap colourBitmap = CreateTopDownDib(info.bmWidth, size, &bits);
    UniqueDc source(::CreateCompatibleDC(nullptr));
    UniqueDc colour(::CreateCompatibleDC(nullptr));
    UniqueDc mask(::CreateCompatibleDC(nullptr));
    UniqueBitmap maskBitmap(::CreateBitmap(info.bmWidth, size, 1, 1, nullptr));
    if (!colourBitmap || !source || !colour || !mask || !maskBitmap ||
        ::SelectObject(source.get(), strip.get()) == nullptr ||
        ::SelectObject(colour.get(), colourBitmap.get()) == nullptr ||
        ::SelectObject(mask.get(), maskBitmap.get()) == nullptr) {
        return images;
    }
    ::BitBlt(colour.get(), 0, 0, info.bmWidth, size, source.get(), 0, 0, SRCCOPY);
    // The mask: white where the strip shows the mask colour. Then those pixels of the images
    // turn black (D and not S), so that a blit with OR leaves the background there.
    ::SetBkColor(colour.get(), maskColour);
    ::BitBlt(mask.get(), 0, 0, info.bmWidth, size, colour.get(), 0, 0, SRCCOPY);
    ::SetBkColor(colour.get(), RGB(255, 255, 255));
    ::SetTextColor(colour.get(), RGB(0, 0, 0));
    constexpr DWORD kDestinationAndNotSource = 0x00220326;
    ::BitBlt(colour.get(), 0, 0, info.bmWidth, size, mask.get(), 0, 0, kDestinationAndNotSource);
    images.m_colourBitmap = std::move(colourBitmap);
    images.m_maskBitmap = std::move(maskBitmap);
    images.m_colour = std::move(colour);
    images.m_mask = std::move(mask);
    images.m_size = size;
    images.m_count = info.bmWidth / size;
    return images;
}

void ToolbarImages::Draw(HDC dc, int index, int x, int y, bool disabled) const {
    if (Empty() || index < 0 || index >= m_count) {
        return;
    }
    // A monochrome source reads as the destination's text colour (black) and background
    // colour (white).
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    const int from = index * m_size;
    if (disabled) {
        // The brush where the mask is black, the destination where it is white (PSDPxax).
        constexpr DWORD kBrushThroughMask = 0x00B8074A;
        const HGDIOBJ oldBrush = ::SelectObject(dc, ::GetSysColorBrush(COLOR_3DHILIGHT));
        ::BitBlt(dc, x + 1, y + 1, m_size, m_size, m_mask.get(), from, 0, kBrushThroughMask);
        ::SelectObject(dc, ::GetSysColorBrush(COLOR_3DSHADOW));
        ::BitBlt(dc, x, y, m_size, m_size, m_mask.get(), from, 0, kBrushThroughMask);
        ::SelectObject(dc, oldBrush);
    } else {
        ::BitBlt(dc, x, y, m_size, m_size, m_mask.get(), from, 0, SRCAND);
        ::BitBlt(dc, x, y, m_size, m_size, m_colour.get(), from, 0, SRCPAINT);
    }
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
}

// Toolbar

namespace {
// The gap of a placeholder: the width the toolbar gives a separator at 96 dpi.
constexpr int kPlaceholderWidth = 8;

// Made as wide as the parent, the toolbar needs no layout of its own again at the first.
int ParentWidth(HWND parent) {
    RECT client{};
    ::GetClientRect(parent, &client);
    return client.right;
}
}  // namespace

bool Toolbar::Create(HWND parent, int id, int heightPixels) {
    m_height = heightPixels;
    m_hwnd = ::CreateWindowExW(
        0, TOOLBARCLASSNAMEW, L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
            CCS_NOPARENTALIGN | CCS_NODIVIDER,
        0, 0, ParentWidth(parent), heightPixels, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (m_hwnd != nullptr) {
        ::SendMessageW(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    }
    return m_hwnd != nullptr;
}

int Toolbar::HeightPixels() const {
    RECT rect{};
    ::GetWindowRect(m_hwnd, &rect);
    return rect.bottom - rect.top;
}

void Toolbar::SetHeightPixels(int heightPixels) {
    m_height = heightPixels;
    RECT rect{};
    ::GetWindowRect(m_hwnd, &rect);
    Fit(rect.right - rect.left);
}

void Toolbar::AddPositions(std::span<const ToolbarPosition> table, const ToolbarImages& images,
                           UINT commandBase, UINT dpi) {
    // The toolbar holds no image list: it sizes the buttons around images of this size and
    // draws their frames; OnCustomDraw draws the images.
    m_images = &images;
    m_imageSize = images.Size();
    m_commandBase = commandBase;
    ::SendMessageW(m_hwnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(m_imageSize, m_imageSize));
    // No text under the images: a button's text becomes its tooltip.
    ::SendMessageW(m_hwnd, TB_SETMAXTEXTROWS, 0, 0);
    std::vector<TBBUTTON> buttons;
    m_imageAt.clear();
    for (size_t i = 0; i < table.size(); ++i) {
        const ToolbarPosition& position = table[i];
        TBBUTTON button{};
        button.idCommand = static_cast<int>(commandBase + i + 1);
        button.iBitmap = I_IMAGENONE;
        switch (position.kind) {
            case ToolbarKind::Button:
                button.iBitmap = position.image - 1;
                button.fsState = TBSTATE_ENABLED;
                button.fsStyle = BTNS_BUTTON;
                button.iString = reinterpret_cast<INT_PTR>(position.tooltip);
                break;
            case ToolbarKind::Separator:
                button.iBitmap = 0;
                button.fsStyle = BTNS_SEP;
                break;
            case ToolbarKind::Placeholder:
                // An empty gap: a disabled button without image or text, as wide as a
                // separator (a separator would draw its line).
                button.fsStyle = BTNS_BUTTON;
                break;
        }
        m_imageAt.push_back(position.kind == ToolbarKind::Button ? position.image - 1 : -1);
        buttons.push_back(button);
    }
    ::SendMessageW(m_hwnd, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    m_gaps.clear();
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].kind == ToolbarKind::Placeholder) {
            m_gaps.push_back(static_cast<UINT>(commandBase + i + 1));
        }
    }
    ScaleGaps(dpi);
}

void Toolbar::ScaleGaps(UINT dpi) {
    TBBUTTONINFOW info{sizeof info};
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(::MulDiv(kPlaceholderWidth, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI));
    for (const UINT id : m_gaps) {
        ::SendMessageW(m_hwnd, TB_SETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
    }
}

void Toolbar::SetImages(const ToolbarImages& images) {
    // Buttons keep their size on their own: they keep the room they had around the old images.
    const auto oldButton = static_cast<DWORD>(::SendMessageW(m_hwnd, TB_GETBUTTONSIZE, 0, 0));
    const int size = images.Size();
    ::SendMessageW(m_hwnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    ::SendMessageW(
        m_hwnd, TB_SETBUTTONSIZE, 0,
        MAKELPARAM(LOWORD(oldButton) - m_imageSize + size, HIWORD(oldButton) - m_imageSize + size));
    m_images = &images;
    m_imageSize = size;
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT Toolbar::OnCustomDraw(const NMCUSTOMDRAW& draw) const {
    // A button at rest, or disabled, has no frame on a flat toolbar, and no theme draws one
    // under it: its image alone is drawn, and the toolbar's drawing is skipped, which at a
    // start spares loading the theme's button images. A button the mouse is over, or pressed,
    // gets the toolbar's frame first and the image over it.
    constexpr UINT kFramed =
        CDIS_HOT | CDIS_SELECTED | CDIS_CHECKED | CDIS_MARKED | CDIS_INDETERMINATE;
    LRESULT done = CDRF_DODEFAULT;
    switch (draw.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            if ((draw.uItemState & kFramed) != 0) {
                return CDRF_NOTIFYPOSTPAINT;
            }
            done = CDRF_SKIPDEFAULT;
            break;
        case CDDS_ITEMPOSTPAINT:
            break;
        default:
            return CDRF_DODEFAULT;
    }
    const size_t position = draw.dwItemSpec - m_commandBase - 1;
    if (m_images == nullptr || position >= m_imageAt.size() || m_imageAt[position] < 0) {
        return done;
    }
    // Where the toolbar puts a button's image: centred across, half the padding from the top.
    const auto padding = static_cast<DWORD>(::SendMessageW(m_hwnd, TB_GETPADDING, 0, 0));
    const bool pressed = (draw.uItemState & (CDIS_SELECTED | CDIS_CHECKED)) != 0;
    const bool disabled = (draw.uItemState & (CDIS_DISABLED | CDIS_INDETERMINATE)) != 0;
    const int shift = pressed && !disabled ? 1 : 0;
    const int x = draw.rc.left + (draw.rc.right - draw.rc.left - m_imageSize) / 2 + shift;
    const int y = draw.rc.top + HIWORD(padding) / 2 + shift;
    m_images->Draw(draw.hdc, m_imageAt[position], x, y, disabled);
    return done;
}

void Toolbar::Fit(int parentWidthPixels) {
    RECT now{};
    ::GetWindowRect(m_hwnd, &now);
    if (now.right - now.left == std::max(parentWidthPixels, 0) &&
        now.bottom - now.top == m_height) {
        return;
    }
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, std::max(parentWidthPixels, 0), m_height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// StatusBar

StatusBar::~StatusBar() {
    if (m_tooltip != nullptr) {
        ::DestroyWindow(m_tooltip);
    }
}

bool StatusBar::Create(HWND parent, int id) {
    m_hwnd = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0, 0, 0,
                               0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (m_hwnd == nullptr) {
        return false;
    }
    m_parent = parent;
    const int edges[2] = {100, 200};
    ::SendMessageW(m_hwnd, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    return true;
}

HWND StatusBar::Tooltip() {
    if (m_tooltip != nullptr || m_hwnd == nullptr) {
        return m_tooltip;
    }
    // The status bar's own tips (SB_SETTIPTEXT) show only for a panel whose text is cut off;
    // panel 1's tip shows whenever the mouse rests on it.
    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_parent, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (m_tooltip != nullptr) {
        TTTOOLINFOW tool{sizeof tool};
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = m_hwnd;
        tool.uId = 1;
        tool.lpszText = m_tip.data();
        ::SendMessageW(m_hwnd, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&tool.rect));
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return m_tooltip;
}

void StatusBar::SetPanel1Tip(const std::wstring& tip) {
    m_tip = tip;
    if (m_tooltip == nullptr) {
        return;
    }
    TTTOOLINFOW tool{sizeof tool};
    tool.hwnd = m_hwnd;
    tool.uId = 1;
    tool.lpszText = m_tip.data();
    ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void StatusBar::PlaceTip() {
    if (m_tooltip == nullptr) {
        return;
    }
    TTTOOLINFOW tool{sizeof tool};
    tool.hwnd = m_hwnd;
    tool.uId = 1;
    ::SendMessageW(m_hwnd, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&tool.rect));
    ::SendMessageW(m_tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

int StatusBar::HeightPixels() const {
    RECT rect{};
    ::GetWindowRect(m_hwnd, &rect);
    return rect.bottom - rect.top;
}

void StatusBar::SetPanelText(int panel, const std::wstring& text) {
    const auto index = static_cast<size_t>(panel - 1);
    if (m_texts.size() <= index) {
        m_texts.resize(index + 1);
    }
    m_texts[index] = text;
    ::SendMessageW(m_hwnd, SB_SETTEXTW, static_cast<WPARAM>(panel - 1),
                   reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusBar::PanelText(int panel) const {
    // SB_GETTEXTLENGTH and even WM_GETTEXTLENGTH give the length in a 16-bit word, and
    // SB_GETTEXT takes no buffer size (Wine copies the whole text, Windows stops at 65,535
    // characters): none of them reads a longer text. The control's own window text is panel
    // 1's, and WM_GETTEXT stops at the buffer's end, so the buffer grows until the text fits
    // with room to spare. The other panels hold what this wrapper set.
    if (panel != 1) {
        const auto index = static_cast<size_t>(panel - 1);
        return index < m_texts.size() ? m_texts[index] : std::wstring();
    }
    const auto length = static_cast<size_t>(::SendMessageW(m_hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 2, L'\0');
    for (;;) {
        const auto copied =
            static_cast<size_t>(::SendMessageW(m_hwnd, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                               reinterpret_cast<LPARAM>(text.data())));
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

void StatusBar::Fit(int parentWidthPixels, int panel1MinPixels, int panel2Pixels) {
    ::SendMessageW(m_hwnd, WM_SIZE, 0, 0);
    // Panel 2 keeps its width also when the window is too narrow for both; it is then cut
    // off at the window's edge rather than squeezed.
    const int panel1 = std::max(parentWidthPixels - panel2Pixels, panel1MinPixels);
    const int edges[2] = {panel1, panel1 + panel2Pixels};
    ::SendMessageW(m_hwnd, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    PlaceTip();
}

}  // namespace pw
