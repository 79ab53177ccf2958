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

}  // namespace pw
