#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/selection.h"

namespace pw {
namespace {

TEST(SelectionTest, SwapLongsExchangesAnyTwoValues) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const int32_t pairs[][2] = {{1, 2}, {2, 1}, {-5, 7}, {0, 0}, {3, 3}, {kMin, kMax}, {-1, 0}};
    for (const auto& pair : pairs) {
        int32_t a = pair[0];
        int32_t b = pair[1];
        SwapLongs(a, b);
        EXPECT_EQ(a, pair[1]) << pair[0] << "," << pair[1];
        EXPECT_EQ(b, pair[0]) << pair[0] << "," << pair[1];
    }
}

TEST(SelectionTest, NormalizeRectOrdersEveryArrangementOfTheCorners) {
    // A fixed corner at (100, 100) and the moving one on each side of it and on it.
    struct Case {
        Rect in;
        Rect out;
    };
    const Case cases[] = {
        {{100, 100, 300, 250}, {100, 100, 300, 250}},      // down and right
        {{100, 100, 40, 250}, {40, 100, 100, 250}},        // down and left
        {{100, 100, 300, 20}, {100, 20, 300, 100}},        // up and right
        {{100, 100, 40, 20}, {40, 20, 100, 100}},          // up and left
        {{100, 100, 100, 100}, {100, 100, 100, 100}},      // on the anchor: empty
        {{100, 100, 100, 250}, {100, 100, 100, 250}},      // straight down: zero width
        {{100, 100, 100, 20}, {100, 20, 100, 100}},        // straight up
        {{100, 100, 20, 100}, {20, 100, 100, 100}},        // straight left: zero height
        {{-50, -10, -300, -200}, {-300, -200, -50, -10}},  // left of and above the primary screen
        {{-5, 10, 5, -10}, {-5, -10, 5, 10}},
    };
    for (const Case& c : cases) {
        Rect rect = c.in;
        NormalizeRect(rect);
        EXPECT_EQ(rect, c.out) << c.in.left << "," << c.in.top << "," << c.in.right << ","
                               << c.in.bottom;
        EXPECT_EQ(SelectionBetween(c.in.left, c.in.top, c.in.right, c.in.bottom), c.out);
    }
}

TEST(SelectionTest, EmptyMeansNoPixel) {
    EXPECT_TRUE(IsRectEmpty({100, 100, 100, 100}));
    EXPECT_TRUE(IsRectEmpty({100, 100, 100, 250}));
    EXPECT_TRUE(IsRectEmpty({100, 100, 300, 100}));
    EXPECT_TRUE(IsRectEmpty({300, 100, 100, 250}));
    EXPECT_FALSE(IsRectEmpty({100, 100, 101, 101}));
    EXPECT_FALSE(IsRectEmpty({-2147483647 - 1, 0, 2147483647, 1}));
}

TEST(SelectionTest, LabelIsWidthXHeight) {
    EXPECT_EQ(SelectionLabel({100, 100, 300, 250}), "200x150");
    EXPECT_EQ(SelectionLabel({0, 0, 1, 1}), "1x1");
    EXPECT_EQ(SelectionLabel({-20, -10, 0, 0}), "20x10");
    EXPECT_EQ(SelectionLabel({0, 0, 3840, 2160}), "3840x2160");
    EXPECT_EQ(SelectionLabel({5, 5, 5, 9}), "0x4");
}

TEST(SelectionTest, LabelIsCentredWithHalvesRoundedToEven) {
    struct Case {
        Rect rect;
        Size text;
        Point at;
    };
    const Case cases[] = {
        // left + right - cx = 25 and 27: 12.5 -> 12 and 13.5 -> 14.
        {{0, 0, 40, 40}, {15, 16}, {12, 12}},
        {{0, 0, 40, 40}, {13, 16}, {14, 12}},
        {{0, 0, 40, 41}, {13, 16}, {14, 12}},          // 25 / 2 down
        {{0, 0, 40, 43}, {13, 16}, {14, 14}},          // 27 / 2 up
        {{100, 100, 300, 250}, {49, 16}, {176, 167}},  // 175.5 -> 176; 167
        {{100, 100, 300, 250}, {48, 15}, {176, 168}},  // 176; 167.5 -> 168
        // A label wider than a small rectangle hangs over it on both sides.
        {{10, 10, 11, 11}, {20, 16}, {0, 2}},  // 0.5 -> 0 and 2.5 -> 2
        {{-100, -100, -50, -60}, {10, 10}, {-80, -85}},
        {{-101, -100, -50, -60}, {10, 10}, {-80, -85}},  // -80.5 -> -80
        {{-103, -100, -50, -60}, {10, 10}, {-82, -85}},  // -81.5 -> -82
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LabelOrigin(c.rect, c.text), c.at)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
}

TEST(SelectionTest, SnapsEachAxisToTheNearerEdgeWithinReach) {
    const Rect frame{60, 60, 460, 360};
    struct Case {
        Point in;
        Point out;
    };
    const Case cases[] = {
        {{68, 69}, {60, 69}},      // 8 from the left: pulled; 9 from the top: not
        {{69, 68}, {69, 60}},      // and the other way round
        {{452, 352}, {460, 360}},  // 8 from the exclusive right and bottom edges
        {{451, 351}, {451, 351}},  // 9 from both
        {{55, 365}, {60, 360}},    // just outside the frame
        {{260, 210}, {260, 210}},  // the middle
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SnapToFrame(c.in, frame, kSnapReach), c.out) << c.in.x << "," << c.in.y;
    }
    // A frame narrower than two reaches: the nearer edge, the left or top one on a tie.
    EXPECT_EQ(SnapToFrame({103, 104}, {100, 100, 106, 106}, kSnapReach), (Point{100, 106}));
}

TEST(SelectionTest, MagnifierSitsBesideThePointerInsideTheWorkArea) {
    const Size size{138, 158};
    struct Case {
        Point pointer;
        Rect area;
        Point at;
    };
    const Case cases[] = {
        {{640, 400}, {0, 0, 1280, 800}, {661, 421}},    // below and right, 20 pixels off
        {{1277, 2}, {0, 0, 1280, 800}, {1119, 23}},     // at the right edge: on the left
        {{2, 797}, {0, 0, 1280, 800}, {23, 619}},       // at the bottom: above
        {{1279, 799}, {0, 0, 1280, 800}, {1121, 621}},  // the corner: both
        // A monitor left of and above the primary one.
        {{-1915, -1075}, {-1920, -1080, 0, 0}, {-1894, -1054}},
        {{-5, -5}, {-1920, -1080, 0, 0}, {-163, -183}},
        // On a taskbar below the work area: above the pointer, inside the work area.
        {{640, 790}, {0, 0, 1280, 760}, {661, 602}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MagnifierOrigin(c.pointer, size, c.area, kMagnifierGap), c.at)
            << c.pointer.x << "," << c.pointer.y;
    }
}

}  // namespace
}  // namespace pw
