// Where a picture lands on a printed page: at the size it has on the screen, scaled down to fit
// the printable area when larger, its aspect ratio kept, centred on the sheet.
#pragma once

#include "core/geometry.h"

namespace pw {

struct PageGeometry {
    Size printable;  // the printable area, in printer pixels
    int dpiX = 0;    // printer pixels per inch
    int dpiY = 0;
    // The whole sheet, and where the printable area starts on it, in printer pixels. Printers
    // keep unequal margins (often a wider one at the bottom), so the printable area's centre
    // is not the sheet's. An empty sheet is a device without margins: the printable area.
    Size sheet;
    int offsetX = 0;
    int offsetY = 0;
};

// The picture's rectangle in printer pixels, relative to the printable area's upper-left
// corner, centred on the sheet and moved back inside the printable area where that centre
// would put it across the area's edge. `picture` is in screen pixels and `screenDpiX/Y` the
// screen's pixels per inch. An empty picture, page or a dpi that is not positive gives an empty
// rectangle. The rectangle never leaves the printable area and is never smaller than one pixel
// each way.
Rect PlaceOnPage(Size picture, int screenDpiX, int screenDpiY, const PageGeometry& page);

}  // namespace pw
