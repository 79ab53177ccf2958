#include "area/magnifier.h"

#include <algorithm>
#include <string>

#include "area/free_area.h"

namespace pw {

namespace {

// Where the crosshair's lines run in the magnified square: through the middle of the
// pointer's square.
constexpr int kCentre = kMagnifierRadius * kMagnifierZoom;
constexpr int kMiddle = kCentre + kMagnifierZoom / 2;
constexpr COLORREF kFrame = RGB(0, 0, 0);
constexpr COLORREF kCaptionBack = RGB(32, 32, 32);
constexpr COLORREF kCaptionText = RGB(255, 255, 255);
// What the magnified square shows beyond the snapshot's edges.
constexpr COLORREF kBeyond = RGB(96, 96, 96);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    // ExtTextOut with an opaque rectangle fills without a brush to make and free.
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// The snapshot's size: the bitmap selected into its context.
SIZE SourceSize(const ScreenSource& source) {
    BITMAP bitmap{};
    if (source.dc == nullptr ||
        ::GetObjectW(::GetCurrentObject(source.dc, OBJ_BITMAP), sizeof bitmap, &bitmap) == 0) {
        return {0, 0};
    }
    return {bitmap.bmWidth, bitmap.bmHeight};
}

// Copies a rectangle of the screen's pixels (screen coordinates) from the snapshot to a
// context at `to`.
void CopySnapshot(HDC dc, POINT to, const RECT& screen, const ScreenSource& source) {
    ::BitBlt(dc, to.x, to.y, screen.right - screen.left, screen.bottom - screen.top, source.dc,
             screen.left - source.originX, screen.top - source.originY, SRCCOPY);
}

void FreeSelected(UniqueDc& dc, UniqueBitmap& bitmap, HGDIOBJ& previous) noexcept {
    if (dc && previous != nullptr && previous != HGDI_ERROR) {
        ::SelectObject(dc.get(), previous);
    }
    previous = nullptr;
    dc.reset();
    bitmap.reset();
}

bool MakeSelected(HDC like, int width, int height, UniqueDc& dc, UniqueBitmap& bitmap,
                  HGDIOBJ& previous) {
    dc.reset(::CreateCompatibleDC(like));
    bitmap.reset(::CreateCompatibleBitmap(like, width, height));
    if (dc && bitmap) {
        previous = ::SelectObject(dc.get(), bitmap.get());
        if (previous != nullptr && previous != HGDI_ERROR) {
            return true;
        }
    }
    FreeSelected(dc, bitmap, previous);
    return false;
}

}  // namespace

bool Magnifier::MakeImages(HDC window) {
    if (m_image) {
        return true;
    }
    // Two places of the magnifier that overlap fit in twice its size.
    if (MakeSelected(window, kWidth, kHeight, m_image, m_imageBitmap, m_imagePrevious) &&
        MakeSelected(window, 2 * kWidth, 2 * kHeight, m_scratch, m_scratchBitmap,
                     m_scratchPrevious)) {
        return true;
    }
    Reset();
    return false;
}

Rect Magnifier::WorkAreaAt(POINT at, const ScreenSource& source) const {
    const Rect* nearest = nullptr;
    int64_t nearestDistance = 0;
    for (const Rect& area : m_workAreas) {
        const int64_t dx = at.x < area.left ? int64_t{area.left} - at.x
                           : at.x >= area.right ? int64_t{at.x} - area.right + 1
                                                : 0;
        const int64_t dy = at.y < area.top ? int64_t{area.top} - at.y
                           : at.y >= area.bottom ? int64_t{at.y} - area.bottom + 1
                                                 : 0;
        const int64_t distance = dx * dx + dy * dy;
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = &area;
            nearestDistance = distance;
        }
    }
    if (nearest != nullptr) {
        return *nearest;
    }
    const SIZE size = SourceSize(source);
    return {source.originX, source.originY, source.originX + static_cast<int32_t>(size.cx),
            source.originY + static_cast<int32_t>(size.cy)};
}

void Magnifier::Follow(HWND window, const ScreenSource& source, POINT at) {
    WindowDc dc = WindowDc::ForClient(window);
    if (!dc || !MakeImages(dc.get())) {
        return;
    }
    Render(source, at);
    const Point origin =
        MagnifierOrigin({at.x, at.y}, {kWidth, kHeight}, WorkAreaAt(at, source), kMagnifierGap);
    const RECT place{origin.x, origin.y, origin.x + kWidth, origin.y + kHeight};
    // Client coordinates of the window are the snapshot's.
    ::SetViewportOrgEx(dc.get(), -source.originX, -source.originY, nullptr);
    RECT both{};
    if (m_place && ::IntersectRect(&both, &*m_place, &place)) {
        // The old place and the new overlap: both are composed first and shown at once, so
        // that no part of the magnifier flickers back to the snapshot between them.
        ::UnionRect(&both, &*m_place, &place);
        CopySnapshot(m_scratch.get(), {0, 0}, both, source);
        ::BitBlt(m_scratch.get(), place.left - both.left, place.top - both.top, kWidth, kHeight,
                 m_image.get(), 0, 0, SRCCOPY);
        ::BitBlt(dc.get(), both.left, both.top, both.right - both.left, both.bottom - both.top,
                 m_scratch.get(), 0, 0, SRCCOPY);
    } else {
        if (m_place) {
            CopySnapshot(dc.get(), {m_place->left, m_place->top}, *m_place, source);
        }
        ::BitBlt(dc.get(), place.left, place.top, kWidth, kHeight, m_image.get(), 0, 0, SRCCOPY);
    }
    m_place = place;
}

void Magnifier::Hide(HWND window, const ScreenSource& source) noexcept {
    if (!m_place) {
        return;
    }
    WindowDc dc = WindowDc::ForClient(window);
    if (dc) {
        ::SetViewportOrgEx(dc.get(), -source.originX, -source.originY, nullptr);
        CopySnapshot(dc.get(), {m_place->left, m_place->top}, *m_place, source);
    }
    m_place.reset();
}

void Magnifier::Paint(HDC dc, const ScreenSource& source) const {
    if (m_place && m_image) {
        ::BitBlt(dc, m_place->left - source.originX, m_place->top - source.originY, kWidth,
                 kHeight, m_image.get(), 0, 0, SRCCOPY);
    }
}

void Magnifier::Reset() noexcept {
    m_place.reset();
    FreeSelected(m_image, m_imageBitmap, m_imagePrevious);
    FreeSelected(m_scratch, m_scratchBitmap, m_scratchPrevious);
}

void Magnifier::Render(const ScreenSource& source, POINT at) {
    const HDC dc = m_image.get();
    Fill(dc, {0, 0, kWidth, kHeight}, kFrame);
    // The magnified square starts inside the frame.
    ::SetViewportOrgEx(dc, 1, 1, nullptr);
    Fill(dc, {0, 0, kZoomSide, kZoomSide}, kBeyond);
    // The square around the pointer, as far as the snapshot reaches.
    const SIZE size = SourceSize(source);
    const int left = at.x - kMagnifierRadius;
    const int top = at.y - kMagnifierRadius;
    const int x0 = std::max(left, source.originX);
    const int y0 = std::max(top, source.originY);
    const int x1 = std::min(left + kMagnifierSpan, source.originX + static_cast<int>(size.cx));
    const int y1 = std::min(top + kMagnifierSpan, source.originY + static_cast<int>(size.cy));
    if (x0 < x1 && y0 < y1) {
        // Each source pixel becomes a square of whole pixels, nothing blended.
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, (x0 - left) * kMagnifierZoom, (y0 - top) * kMagnifierZoom,
                     (x1 - x0) * kMagnifierZoom, (y1 - y0) * kMagnifierZoom, source.dc,
                     x0 - source.originX, y0 - source.originY, x1 - x0, y1 - y0, SRCCOPY);
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
    RECT caption{0, kZoomSide, kZoomSide, kZoomSide + kCaptionHeight};
    Fill(dc, caption, kCaptionBack);
    const std::wstring text = std::to_wstring(at.x) + L", " + std::to_wstring(at.y);
    SelectObjectGuard font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetTextColor(dc, kCaptionText);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SetBkMode(dc, OPAQUE);
    ::SetViewportOrgEx(dc, 0, 0, nullptr);
}

}  // namespace pw
