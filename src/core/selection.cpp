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

}  // namespace pw
