#include "core/selection.h"

#include "core/rounding.h"

namespace pw {

void SwapLongs(int32_t& a, int32_t& b) {
    // Two distinct variables only: with a and b the same, the exchange would zero it.
    a ^= b;
    b ^= a;
    a ^= b;
}

void NormalizeRect(Rect& rect) {
    if (rect.right < rect.left) {
        SwapLongs(rect.right, rect.left);
    }
    if (rect.bottom < rect.top) {
        SwapLongs(rect.bottom, rect.top);
    }
}

Rect SelectionBetween(int32_t anchorX, int32_t anchorY, int32_t cornerX, int32_t cornerY) {
    Rect rect{anchorX, anchorY, cornerX, cornerY};
    NormalizeRect(rect);
    return rect;
}

bool IsRectEmpty(const Rect& rect) {
    // 64-bit, so that no pair of corners can overflow the difference.
    return int64_t{rect.right} - rect.left <= 0 || int64_t{rect.bottom} - rect.top <= 0;
}

std::string SelectionLabel(const Rect& rect) {
    return std::to_string(int64_t{rect.right} - rect.left) + "x" +
           std::to_string(int64_t{rect.bottom} - rect.top);
}

Point LabelOrigin(const Rect& rect, Size text) {
    const double x = (static_cast<double>(int64_t{rect.left} + rect.right) - text.width) / 2.0;
    const double y = (static_cast<double>(int64_t{rect.top} + rect.bottom) - text.height) / 2.0;
    return {RoundToInt32(x), RoundToInt32(y)};
}

namespace {

// One axis of SnapToFrame: `low` and `high` are the frame's edges along it.
int32_t SnapAxis(int32_t at, int32_t low, int32_t high, int32_t reach) {
    const int64_t toLow = at >= low ? int64_t{at} - low : int64_t{low} - at;
    const int64_t toHigh = at >= high ? int64_t{at} - high : int64_t{high} - at;
    if (toLow <= toHigh) {
        return toLow <= reach ? low : at;
    }
    return toHigh <= reach ? high : at;
}

// One axis of MagnifierOrigin: the window's start along it.
int32_t BesideAxis(int32_t at, int32_t extent, int32_t low, int32_t high, int32_t gap) {
    int64_t start = int64_t{at} + 1 + gap;
    if (start + extent > high) {
        start = int64_t{at} - gap - extent;
    }
    if (start + extent > high) {
        start = int64_t{high} - extent;
    }
    if (start < low) {
        start = low;
    }
    return static_cast<int32_t>(start);
}

}  // namespace

Point SnapToFrame(Point point, const Rect& frame, int32_t reach) {
    return {SnapAxis(point.x, frame.left, frame.right, reach),
            SnapAxis(point.y, frame.top, frame.bottom, reach)};
}

Point MagnifierOrigin(Point pointer, Size size, const Rect& area, int32_t gap) {
    return {BesideAxis(pointer.x, size.width, area.left, area.right, gap),
            BesideAxis(pointer.y, size.height, area.top, area.bottom, gap)};
}

}  // namespace pw
