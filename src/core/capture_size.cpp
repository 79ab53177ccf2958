#include "core/capture_size.h"

#include <algorithm>
#include <limits>

#include "core/units.h"

namespace pw {

namespace {

int32_t Span(int32_t from, int32_t to) {
    const int64_t span = static_cast<int64_t>(to) - static_cast<int64_t>(from);
    return static_cast<int32_t>(
        std::clamp<int64_t>(span, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace

Size ExtentOf(const Rect& rect) {
    return {Span(rect.left, rect.right), Span(rect.top, rect.bottom)};
}

Size ScaledSizeToPixels(double width, double height, float unitsPerPixelX, float unitsPerPixelY) {
    return {std::max(0, TwipsToPixels(width, unitsPerPixelX)),
            std::max(0, TwipsToPixels(height, unitsPerPixelY))};
}

}  // namespace pw
