#include "core/view_layout.h"

#include <algorithm>

#include "core/rounding.h"

namespace pw::view {

namespace {

void SetSizeUnlessNegative(float& size, float wanted) {
    if (wanted >= 0.0f) {
        size = wanted;
    }
}

// A shown bar: back to the origin, its range the picture's excess over the viewport, an arrow
// click one screen pixel and a trough click a third of the viewport.
ScrollSettings ShownBar(ScrollSettings bar, float pictureExtent, float viewportExtent,
                        float twipsPerPixel) {
    bar.visible = true;
    bar.value = 0;
    bar.max = RoundToInt32(static_cast<double>(pictureExtent) - viewportExtent);
    bar.largeChange = RoundToInt32(viewportExtent) / 3;
    bar.smallChange = RoundToInt32(twipsPerPixel);
    if (bar.largeChange == 0) {
        bar.largeChange = bar.smallChange;
    }
    return bar;
}

ScrollSettings HiddenBar(ScrollSettings bar) {
    bar.visible = false;
    bar.value = 0;
    return bar;
}

}  // namespace

ViewLayout Relayout(const LayoutInput& in, const ViewLayout& current) {
    if (in.minimised) {
        return current;
    }
    ViewLayout out = current;
    SetSizeUnlessNegative(out.viewportWidth, in.clientWidth - in.vBarWidth);
    SetSizeUnlessNegative(out.viewportHeight, in.clientHeight - in.hBarHeight -
                                                  in.statusBarHeight - in.toolbarHeight);
    out.hBarTop = in.toolbarHeight + out.viewportHeight;
    out.hBarWidth = out.viewportWidth;
    out.vBarLeft = kViewportLeft + out.viewportWidth;
    out.vBarHeight = out.viewportHeight;

    // The vertical decision below compares with the height from above: widening the viewport
    // into the vertical bar's column never changes it, and neither does hiding that bar.
    const float viewportHeight = out.viewportHeight;

    // A picture exactly as wide as the viewport fits.
    if (in.pictureWidth <= out.viewportWidth) {
        out.h = HiddenBar(out.h);
        out.viewportWidth += kDesignBarThickness;
    } else {
        out.h = ShownBar(out.h, in.pictureWidth, out.viewportWidth, in.twipsPerPixel.x);
    }

    // A picture exactly as high as the viewport keeps its bar, with a range of 0.
    if (in.pictureHeight < viewportHeight) {
        out.v = HiddenBar(out.v);
        out.viewportHeight += kDesignBarThickness;
    } else {
        out.v = ShownBar(out.v, in.pictureHeight, viewportHeight, in.twipsPerPixel.y);
    }
    return out;
}

int32_t ClampScrollValue(int64_t requested, int32_t max) {
    return static_cast<int32_t>(std::clamp<int64_t>(requested, 0, std::max(0, max)));
}

}  // namespace pw::view
