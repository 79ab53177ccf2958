// Twips and pixels. Window and control geometry is kept in twips (1440 to the inch) as
// single-precision numbers; capture geometry is in pixels.
#pragma once

#include <cstdint>

namespace pw {

inline constexpr float kTwipsPerInch = 1440.0f;
inline constexpr int kStandardDpi = 96;

// Twips in one screen pixel, per axis: 1440 divided by the screen's logical pixels per inch
// (15 at 96 dpi, 12 at 120 dpi, 7.5 at 192 dpi).
struct TwipsPerPixel {
    float x = kTwipsPerInch / kStandardDpi;
    float y = kTwipsPerInch / kStandardDpi;
};

// A dpi of zero or less (a failed query) counts as the standard 96.
float TwipsPerPixelForDpi(int dpi);
TwipsPerPixel TwipsPerPixelForDpi(int dpiX, int dpiY);

// twips / twipsPerPixel, rounded half to even, saturating at the 32-bit range.
int32_t TwipsToPixels(double twips, float twipsPerPixel);
float PixelsToTwips(int32_t pixels, float twipsPerPixel);

// The toolbar's images are drawn at these sizes in pixels: 100, 125, 150 and 200 % of 16.
inline constexpr int kToolbarImageSizes[] = {16, 20, 24, 32};
// The largest of them that is no bigger than 16 pixels at this dpi: 16 at 96 and 110 dpi,
// 24 at 144 and 168, 32 from 192 up. A dpi of zero or less counts as 96.
int ToolbarImageSizeForDpi(int dpi);

}  // namespace pw
