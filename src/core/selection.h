// The free-area selection's arithmetic: ordering a dragged rectangle's corners, and the size
// label's text and its place in the rectangle.
#pragma once

#include <cstdint>
#include <string>

#include "core/geometry.h"

namespace pw {

// Exchanges two values in place.
void SwapLongs(int32_t& a, int32_t& b);

// Orders the corners so that left <= right and top <= bottom (signed comparisons); the
// rectangle covers the same pixels as before, with right and bottom still exclusive.
void NormalizeRect(Rect& rect);

// The rectangle spanned by a fixed corner and a moving one, normalised.
Rect SelectionBetween(int32_t anchorX, int32_t anchorY, int32_t cornerX, int32_t cornerY);

// True when the rectangle has no pixel: zero or negative width or height.
bool IsRectEmpty(const Rect& rect);

// The size label: width "x" height in decimal, as in "200x150".
std::string SelectionLabel(const Rect& rect);

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Where a label of `text` pixels goes so that it is centred in the rectangle: half the
// rectangle's span less the text's, each axis rounded half to even (12.5 -> 12, 13.5 -> 14).
Point LabelOrigin(const Rect& rect, Size text);

// How far, in pixels, a point held near a window's edge is pulled onto it.
inline constexpr int32_t kSnapReach = 8;

// The point pulled onto the nearer of the frame's left and right edges when that one is at most
// `reach` pixels away, and onto the nearer of its top and bottom edges likewise; each axis on
// its own, so that near a corner both are. The edges are the frame's own coordinates, right and
// bottom exclusive: a selection from the snapped upper-left corner to the snapped lower-right
// one holds exactly the frame's pixels. A tie goes to the left or top edge.
Point SnapToFrame(Point point, const Rect& frame, int32_t reach);

// The magnifier shows the pixels kMagnifierRadius either side of the pointer's, each as a
// square kMagnifierZoom pixels wide.
inline constexpr int32_t kMagnifierZoom = 8;
inline constexpr int32_t kMagnifierRadius = 8;
inline constexpr int32_t kMagnifierSpan = 2 * kMagnifierRadius + 1;
// Pixels between the pointer and the magnifier: clear of the crosshair cursor's arms.
inline constexpr int32_t kMagnifierGap = 20;

// The upper-left corner of a window of `size` beside the pointer: below and to the right of
// it, `gap` pixels away, and on the other side of it along an axis where it would leave `area`
// (the work area of the pointer's monitor); then moved inside `area` where it still sticks out.
// Unless `area` is narrower than two windows and two gaps, the window never covers the pointer.
Point MagnifierOrigin(Point pointer, Size size, const Rect& area, int32_t gap);

}  // namespace pw
