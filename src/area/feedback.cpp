#include "area/feedback.h"

#include <string>

#include "core/selection.h"
#include "platform/handles.h"

namespace pw {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

void InvertFrame(HDC dc, const Rect& r) {
    // The left strip runs up from the bottom and the bottom strip left from the right. GDI
    // covers a negative extent from its start pixel backwards (x, x - 1, ... x + width + 1),
    // so those two start on the rectangle's last row and column: starting on the exclusive
    // edge itself would invert a pixel outside the rectangle and miss one inside it.
    ::PatBlt(dc, r.left, r.top, r.right - r.left, 1, DSTINVERT);
    ::PatBlt(dc, r.left, r.bottom - 1, 1, r.top - r.bottom, DSTINVERT);
    ::PatBlt(dc, r.right - 1, r.top, 1, r.bottom - r.top, DSTINVERT);
    ::PatBlt(dc, r.right - 1, r.bottom - 1, r.left - r.right, 1, DSTINVERT);
}

void InvertLabel(HDC dc, const Rect& rect) {
    const std::string text = SelectionLabel(rect);
    const int length = static_cast<int>(text.size());
    // Measured and rendered in the target's own font.
    SIZE extent{};
    if (!::GetTextExtentPoint32A(dc, text.c_str(), length, &extent) || extent.cx <= 0 ||
        extent.cy <= 0) {
        return;
    }
    const Point at = LabelOrigin(rect, {extent.cx, extent.cy});

    UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory) {
        return;
    }
    ::SetTextColor(memory.get(), kWhite);
    ::SetBkColor(memory.get(), kBlack);
    UniqueBitmap cell(::CreateBitmap(extent.cx, extent.cy, 1, 1, nullptr));
    if (!cell) {
        return;
    }
    SelectObjectGuard selectCell(memory.get(), cell.get());
    SelectObjectGuard selectFont(memory.get(), ::GetCurrentObject(dc, OBJ_FONT));
    if (!selectCell.Selected()) {
        return;
    }
    // Glyphs become 1 and the rest of the cell 0.
    ::TextOutA(memory.get(), 0, 0, text.c_str(), length);
    // A monochrome source takes the target's background colour for 1 and its text colour for
    // 0: white glyphs invert, the black cell leaves the screen alone, whatever colours the
    // target had been given.
    const COLORREF text0 = ::SetTextColor(dc, kBlack);
    const COLORREF back0 = ::SetBkColor(dc, kWhite);
    ::BitBlt(dc, at.x, at.y, extent.cx, extent.cy, memory.get(), 0, 0, SRCINVERT);
    ::SetTextColor(dc, text0);
    ::SetBkColor(dc, back0);
}

}  // namespace

void DrawSelectionFeedback(HDC hDC, const Rect& rect) {
    if (IsRectEmpty(rect) || hDC == nullptr) {
        return;
    }
    InvertFrame(hDC, rect);
    InvertLabel(hDC, rect);
}

}  // namespace pw
