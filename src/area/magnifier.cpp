#include "area/magnifier.h"

#include <algorithm>
#include <string>

#include "area/free_area.h"
#include "core/ids.h"

namespace pw {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
// Where the crosshair's lines run: through the middle of the pointer's square.
constexpr int kCentre = kMagnifierRadius * kMagnifierZoom;
constexpr int kMiddle = kCentre + kMagnifierZoom / 2;
constexpr COLORREF kCaptionBack = RGB(32, 32, 32);
constexpr COLORREF kCaptionText = RGB(255, 255, 255);
// What the magnified square shows beyond the snapshot's edges.
constexpr COLORREF kBeyond = RGB(96, 96, 96);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    // ExtTextOut with an opaque rectangle fills without a brush to make and free.
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

Magnifier::~Magnifier() {
    FreeImage();
}

bool Magnifier::Create(HWND owner) {
    ClassSpec windowClass{ids::kMagnifierWindowClass};
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_CROSS);
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    m_outer = {outer.right - outer.left, outer.bottom - outer.top};
    CreateSpec spec;
    spec.exStyle = kExStyle;
    spec.style = kStyle;
    spec.x = 0;
    spec.y = 0;
    spec.width = m_outer.cx;
    spec.height = m_outer.cy;
    // Owned by the snapshot window: an owned window always lies above its owner.
    spec.parent = owner;
    return CreateOf(windowClass, spec);
}

void Magnifier::Follow(HWND owner, const ScreenSource& source, POINT at) {
    if (Hwnd() == nullptr && !Create(owner)) {
        return;
    }
    if (!m_image) {
        WindowDc window = WindowDc::ForClient(Hwnd());
        m_image.reset(::CreateCompatibleDC(window.get()));
        m_bitmap.reset(::CreateCompatibleBitmap(window.get(), kClientWidth, kClientHeight));
        if (!m_image || !m_bitmap) {
            FreeImage();
            return;
        }
        m_previous = ::SelectObject(m_image.get(), m_bitmap.get());
    }
    Render(source, at);

    Rect area{at.x - kClientWidth, at.y - kClientHeight, at.x + kClientWidth, at.y + kClientHeight};
    MONITORINFO monitor{sizeof monitor};
    if (::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
        area = {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                monitor.rcWork.bottom};
    }
    const Point place =
        MagnifierOrigin({at.x, at.y}, {m_outer.cx, m_outer.cy}, area, kMagnifierGap);
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, place.x, place.y, m_outer.cx, m_outer.cy,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    WindowDc window = WindowDc::ForClient(Hwnd());
    ::BitBlt(window.get(), 0, 0, kClientWidth, kClientHeight, m_image.get(), 0, 0, SRCCOPY);
}

void Magnifier::Render(const ScreenSource& source, POINT at) {
    const HDC dc = m_image.get();
    const RECT zoom{0, 0, kZoomSide, kZoomSide};
    Fill(dc, zoom, kBeyond);
    // The square around the pointer, as far as the snapshot reaches.
    BITMAP snapshot{};
    const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(source.dc, OBJ_BITMAP));
    if (source.dc != nullptr && ::GetObjectW(bitmap, sizeof snapshot, &snapshot) != 0) {
        const int left = at.x - kMagnifierRadius;
        const int top = at.y - kMagnifierRadius;
        const int x0 = std::max(left, source.originX);
        const int y0 = std::max(top, source.originY);
        const int x1 =
            std::min(left + kMagnifierSpan, source.originX + static_cast<int>(snapshot.bmWidth));
        const int y1 =
            std::min(top + kMagnifierSpan, source.originY + static_cast<int>(snapshot.bmHeight));
        if (x0 < x1 && y0 < y1) {
            // Each source pixel becomes a square of whole pixels, nothing blended.
            ::SetStretchBltMode(dc, COLORONCOLOR);
            ::StretchBlt(dc, (x0 - left) * kMagnifierZoom, (y0 - top) * kMagnifierZoom,
                         (x1 - x0) * kMagnifierZoom, (y1 - y0) * kMagnifierZoom, source.dc,
                         x0 - source.originX, y0 - source.originY, x1 - x0, y1 - y0, SRCCOPY);
        }
    }
    // The crosshair, inverted so that it shows on any colour: a line through the middle of
    // the pointer's row and of its column, stopping short of its square, which is outlined
    // instead, so that the pixel itself stays in view.
    ::PatBlt(dc, kMiddle, 0, 1, kCentre, DSTINVERT);
    ::PatBlt(dc, kMiddle, kCentre + kMagnifierZoom, 1, kCentre, DSTINVERT);
    ::PatBlt(dc, 0, kMiddle, kCentre, 1, DSTINVERT);
    ::PatBlt(dc, kCentre + kMagnifierZoom, kMiddle, kCentre, 1, DSTINVERT);
    ::PatBlt(dc, kCentre, kCentre, kMagnifierZoom, 1, DSTINVERT);
    ::PatBlt(dc, kCentre, kCentre + kMagnifierZoom - 1, kMagnifierZoom, 1, DSTINVERT);
    ::PatBlt(dc, kCentre, kCentre + 1, 1, kMagnifierZoom - 2, DSTINVERT);
    ::PatBlt(dc, kCentre + kMagnifierZoom - 1, kCentre + 1, 1, kMagnifierZoom - 2, DSTINVERT);

    // The pointer's coordinates in screen pixels.
    RECT caption{0, kZoomSide, kClientWidth, kClientHeight};
    Fill(dc, caption, kCaptionBack);
    const std::wstring text = std::to_wstring(at.x) + L", " + std::to_wstring(at.y);
    SelectObjectGuard font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetTextColor(dc, kCaptionText);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SetBkMode(dc, OPAQUE);
}

void Magnifier::Hide() noexcept {
    if (Hwnd() != nullptr) {
        ::ShowWindow(Hwnd(), SW_HIDE);
    }
    FreeImage();
}

void Magnifier::FreeImage() noexcept {
    if (m_image && m_previous != nullptr && m_previous != HGDI_ERROR) {
        ::SelectObject(m_image.get(), m_previous);
    }
    m_previous = nullptr;
    m_image.reset();
    m_bitmap.reset();
}

void Magnifier::PaintContent(HDC dc, const RECT& dirty) {
    if (m_image) {
        ::BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
                 m_image.get(), dirty.left, dirty.top, SRCCOPY);
    }
}

LRESULT Magnifier::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            // A press that lands on it goes on to the snapshot beneath.
            return HTTRANSPARENT;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        default:
            return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace pw
