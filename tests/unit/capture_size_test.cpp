#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/capture_size.h"
#include "core/units.h"

namespace pw {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(CaptureSizeTest, WindowRectangleExtentNeverOverflows) {
    struct Case {
        Rect rect;
        Size size;
    };
    const Case cases[] = {
        {{10, 20, 310, 220}, {300, 200}},
        {{-8, -8, 1288, 808}, {1296, 816}},        // a maximised window's hidden border
        {{0, 0, 0, 0}, {0, 0}},                    // no foreground window
        {{50, 50, 40, 30}, {0, 0}},                // inverted
        {{kMin, kMin, kMax, kMax}, {kMax, kMax}},  // wider than 32 bits can say
        {{kMin, 0, 0, 1}, {kMax, 1}},
        {{-1, 0, kMax, 1}, {kMax, 1}},
        {{-32000, -32000, -31840, -31972}, {160, 28}},  // a minimised window
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtentOf(c.rect), c.size)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
}

TEST(CaptureSizeTest, FormSizesConvertToPixelsByTheirOwnScale) {
    // The framed capture of a window at its default size of 6500 x 6500 twips.
    EXPECT_EQ(ScaledSizeToPixels(6500, 6500, 15.0f, 15.0f), (Size{433, 433}));
    // A client area read in pixels stays as it is.
    EXPECT_EQ(ScaledSizeToPixels(554, 375, 1.0f, 1.0f), (Size{554, 375}));
    // Halves go to the even neighbour, per axis.
    EXPECT_EQ(ScaledSizeToPixels(37.5, 22.5, 15.0f, 15.0f), (Size{2, 2}));
    // A negative size captures nothing.
    EXPECT_EQ(ScaledSizeToPixels(-150, 300, 15.0f, 15.0f), (Size{0, 20}));
    EXPECT_TRUE(IsEmpty(ScaledSizeToPixels(0, 300, 15.0f, 15.0f)));
}

TEST(CaptureSizeTest, ScreenSizeInTwipsComesBackToTheScreenPixels) {
    // Converting with the true twips per pixel gives the screen's own size also where the
    // twips per pixel are not whole numbers: 7.5 at 192 dpi, 13.09 at 110 dpi.
    struct Case {
        int dpi;
        int32_t width;
        int32_t height;
    };
    for (const Case c : {Case{96, 1024, 768}, Case{192, 1920, 1080}, Case{110, 1280, 800},
                         Case{168, 3840, 2160}}) {
        const float tpp = TwipsPerPixelForDpi(c.dpi);
        const Size size = ScaledSizeToPixels(PixelsToTwips(c.width, tpp),
                                             PixelsToTwips(c.height, tpp), tpp, tpp);
        EXPECT_EQ(size, (Size{c.width, c.height})) << c.dpi << " dpi";
    }
}

}  // namespace
}  // namespace pw
