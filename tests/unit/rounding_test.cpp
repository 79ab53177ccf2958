#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/rounding.h"
#include "core/units.h"

namespace pw {
namespace {

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbourAndOthersToTheNearest) {
    struct Case {
        double in;
        double out;
    };
    const Case cases[] = {
        {0.5, 0.0},   {1.5, 2.0},   {2.5, 2.0},   {3.5, 4.0},       {-0.5, 0.0},
        {-1.5, -2.0}, {-2.5, -2.0}, {2.4999, 2.0}, {2.5001, 3.0},   {-2.5001, -3.0},
        {7.0, 7.0},   {1e15 + 0.5, 1e15}, {433.333, 433.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << "in " << c.in;
    }
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(RoundHalfEvenTest, Int32ConversionSaturatesInsteadOfOverflowing) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(RoundToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(RoundToInt32(3e9), kMax);
    EXPECT_EQ(RoundToInt32(-3e9), kMin);
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::infinity()), kMax);
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
    EXPECT_EQ(RoundToInt32(-7.5), -8);
}

TEST(UnitsTest, TwipsPerPixelFollowTheLogicalDpi) {
    EXPECT_FLOAT_EQ(TwipsPerPixelForDpi(96), 15.0f);
    EXPECT_FLOAT_EQ(TwipsPerPixelForDpi(120), 12.0f);
    EXPECT_FLOAT_EQ(TwipsPerPixelForDpi(144), 10.0f);
    EXPECT_FLOAT_EQ(TwipsPerPixelForDpi(192), 7.5f);
    EXPECT_FLOAT_EQ(TwipsPerPixelForDpi(0), 15.0f);  // a failed query
    const TwipsPerPixel mixed = TwipsPerPixelForDpi(96, 192);
    EXPECT_FLOAT_EQ(mixed.x, 15.0f);
    EXPECT_FLOAT_EQ(mixed.y, 7.5f);
}

TEST(UnitsTest, ToolbarImagesAreTheLargestSetNoBiggerThanTheScale) {
    const int rows[][2] = {{96, 16},  {119, 16}, {120, 20}, {143, 20}, {144, 24}, {168, 24},
                           {191, 24}, {192, 32}, {480, 32}, {72, 16},  {0, 16},   {-144, 16}};
    for (const auto& [dpi, size] : rows) {
        EXPECT_EQ(ToolbarImageSizeForDpi(dpi), size) << dpi;
    }
}

TEST(UnitsTest, TwipsBecomePixelsRoundedHalfToEven) {
    EXPECT_EQ(TwipsToPixels(6500, 15.0f), 433);   // 433.33
    EXPECT_EQ(TwipsToPixels(1000, 15.0f), 67);    // 66.67
    EXPECT_EQ(TwipsToPixels(22.5, 15.0f), 2);     // 1.5
    EXPECT_EQ(TwipsToPixels(37.5, 15.0f), 2);     // 2.5
    EXPECT_EQ(TwipsToPixels(-37.5, 15.0f), -2);   // -2.5
    EXPECT_EQ(TwipsToPixels(360, 7.5f), 48);
    EXPECT_EQ(TwipsToPixels(100, 0.0f), 0);       // no scale: nothing sensible to give
    EXPECT_FLOAT_EQ(PixelsToTwips(433, 15.0f), 6495.0f);
    EXPECT_FLOAT_EQ(PixelsToTwips(-3, 12.0f), -36.0f);
}

}  // namespace
}  // namespace pw
