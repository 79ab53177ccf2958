// The image view's layout: a viewport between the toolbar and the status bar, a horizontal
// scroll bar under it and a vertical one at its right, each shown only when the picture does
// not fit along its axis. All lengths are twips; scroll quantities are whole twips.
#pragma once

#include <cstdint>

#include "core/units.h"

namespace pw::view {

// The scroll bars' thickness in the window's design. A hidden bar hands exactly this much to
// the viewport, whatever the bars' thickness at run time.
inline constexpr float kDesignBarThickness = 255.0f;

// Where the viewport's upper-left corner stays: under the toolbar's design height.
inline constexpr float kViewportLeft = 0.0f;
inline constexpr float kViewportTop = 360.0f;

// Design geometry of the picture box before any picture is set; it decides the bars like a
// picture of that size.
inline constexpr float kEmptyPictureWidth = 3225.0f;
inline constexpr float kEmptyPictureHeight = 2685.0f;

struct ScrollSettings {
    bool visible = false;
    int32_t max = 0;
    int32_t value = 0;
    int32_t smallChange = 1;
    int32_t largeChange = 1;
    friend bool operator==(const ScrollSettings&, const ScrollSettings&) = default;
};

// The geometry that the layout owns. The viewport's left and top, the horizontal bar's left
// and the vertical bar's top never move; the bars' thickness is not the layout's to set.
struct ViewLayout {
    float viewportWidth = 8055.0f;
    float viewportHeight = 4665.0f;
    float hBarTop = 5040.0f;
    float hBarWidth = 2895.0f;
    float vBarLeft = 8040.0f;
    float vBarHeight = 2535.0f;
    ScrollSettings h;
    ScrollSettings v;
    friend bool operator==(const ViewLayout&, const ViewLayout&) = default;
};

struct LayoutInput {
    bool minimised = false;
    float clientWidth = 0.0f;  // the window's client area
    float clientHeight = 0.0f;
    float toolbarHeight = 0.0f;
    float statusBarHeight = 0.0f;
    float hBarHeight = kDesignBarThickness;  // the bars' actual thickness
    float vBarWidth = kDesignBarThickness;
    float pictureWidth = kEmptyPictureWidth;
    float pictureHeight = kEmptyPictureHeight;
    TwipsPerPixel twipsPerPixel;
};

// Lays the view out for the window's present size and picture. A minimised window gives
// `current` back unchanged. A size that would come out below zero is not applied: that
// control keeps its size from `current` and the later steps use it. Every shown or hidden bar
// comes back with Value 0, so the picture returns to its origin.
ViewLayout Relayout(const LayoutInput& input, const ViewLayout& current);

// Where a scroll value puts the picture inside the viewport: the negated value, in twips.
inline float PictureOffsetFor(int32_t scrollValue) { return -static_cast<float>(scrollValue); }

// A requested scroll value held to the bar's range [0, max].
int32_t ClampScrollValue(int64_t requested, int32_t max);

}  // namespace pw::view
