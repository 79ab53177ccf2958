// Where a picture lands on a printed page: at the size it has on the screen, scaled down to fit
// the printable area when larger, its aspect ratio kept, centred.
#pragma once

#include "core/geometry.h"

namespace pw {

struct PageGeometry {
    Size printable;  // the printable area, in printer pixels
    int dpiX = 0;    // printer pixels per inch
    int dpiY = 0;
};

// The picture's rectangle in printer pixels, relative to the printable area's upper-left
// corner. `picture` is in screen pixels and `screenDpiX/Y` the screen's pixels per inch. An
// empty picture, page or a dpi that is not positive gives an empty rectangle. The rectangle is
// never larger than the printable area and never smaller than one pixel each way.
Rect PlaceOnPage(Size picture, int screenDpiX, int screenDpiY, const PageGeometry& page);

}  // namespace pw
