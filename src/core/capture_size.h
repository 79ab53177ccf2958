// How many pixels each capture takes.
#pragma once

#include "core/geometry.h"

namespace pw {

// Width and height of a window rectangle (right - left, bottom - top), computed so that no
// rectangle can overflow: an inverted side gives 0 and a side beyond the 32-bit range is
// clamped to it.
Size ExtentOf(const Rect& rect);

// A width and height measured in some unit, converted to whole pixels: each divided by the
// units per pixel of its own axis and rounded half to even. Negative sizes give 0.
// Twips use the twips per pixel; a size already in pixels uses 1.
Size ScaledSizeToPixels(double width, double height, float unitsPerPixelX, float unitsPerPixelY);

}  // namespace pw
