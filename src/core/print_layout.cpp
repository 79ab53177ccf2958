#include "core/print_layout.h"

#include <algorithm>

#include "core/rounding.h"

namespace pw {

Rect PlaceOnPage(Size picture, int screenDpiX, int screenDpiY, const PageGeometry& page) {
    if (IsEmpty(picture) || IsEmpty(page.printable) || screenDpiX <= 0 || screenDpiY <= 0 ||
        page.dpiX <= 0 || page.dpiY <= 0) {
        return {};
    }
    // The size on paper that the picture has on the screen, in printer pixels.
    const double width = static_cast<double>(picture.width) * page.dpiX / screenDpiX;
    const double height = static_cast<double>(picture.height) * page.dpiY / screenDpiY;
    const double scale =
        std::min({1.0, page.printable.width / width, page.printable.height / height});
    const int32_t w = std::clamp(RoundToInt32(width * scale), 1, page.printable.width);
    const int32_t h = std::clamp(RoundToInt32(height * scale), 1, page.printable.height);
    const bool sheetKnown = !IsEmpty(page.sheet);
    const Size sheet = sheetKnown ? page.sheet : page.printable;
    const int32_t left = std::clamp((sheet.width - w) / 2 - (sheetKnown ? page.offsetX : 0), 0,
                                    page.printable.width - w);
    const int32_t top = std::clamp((sheet.height - h) / 2 - (sheetKnown ? page.offsetY : 0), 0,
                                   page.printable.height - h);
    return {left, top, left + w, top + h};
}

}  // namespace pw
