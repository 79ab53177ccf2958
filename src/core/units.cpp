#include "core/units.h"

#include "core/rounding.h"

namespace pw {

float TwipsPerPixelForDpi(int dpi) {
    return kTwipsPerInch / static_cast<float>(dpi > 0 ? dpi : kStandardDpi);
}

TwipsPerPixel TwipsPerPixelForDpi(int dpiX, int dpiY) {
    return {TwipsPerPixelForDpi(dpiX), TwipsPerPixelForDpi(dpiY)};
}

int32_t TwipsToPixels(double twips, float twipsPerPixel) {
    if (!(twipsPerPixel > 0.0f)) {
        return 0;
    }
    return RoundToInt32(twips / static_cast<double>(twipsPerPixel));
}

float PixelsToTwips(int32_t pixels, float twipsPerPixel) {
    return static_cast<float>(static_cast<double>(pixels) * twipsPerPixel);
}

int ToolbarImageSizeForDpi(int dpi) {
    const int wanted = dpi > 0 ? static_cast<int>(16LL * dpi / kStandardDpi) : 16;
    int size = kToolbarImageSizes[0];
    for (const int candidate : kToolbarImageSizes) {
        if (candidate <= wanted) {
            size = candidate;
        }
    }
    return size;
}

}  // namespace pw
