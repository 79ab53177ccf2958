#include <gtest/gtest.h>

#include <vector>

#include "core/placement.h"

namespace pw {
namespace {

TEST(PlacementTest, StoredTextGivesItsValueOrTheFieldsDefault) {
    struct Case {
        std::optional<std::string_view> text;
        PlacementField field;
        float value;
    };
    const Case cases[] = {
        {std::nullopt, PlacementField::Left, 1000},  // a first start
        {std::nullopt, PlacementField::Top, 1000},
        {std::nullopt, PlacementField::Width, 6500},
        {std::nullopt, PlacementField::Height, 6500},
        {"1005", PlacementField::Left, 1005},
        {"-1920", PlacementField::Left, -1920},  // a monitor left of the primary one
        {" 4500 ", PlacementField::Width, 4500},
        {"2250.5", PlacementField::Top, 2250.5f},
        {"+75", PlacementField::Top, 75},
        {"", PlacementField::Left, 1000},
        {"abc", PlacementField::Top, 1000},
        {"12px", PlacementField::Width, 6500},
        {"1e3", PlacementField::Height, 6500},
        {"-", PlacementField::Left, 1000},
        {"1.2.3", PlacementField::Left, 1000},
        {"0", PlacementField::Width, 6500},          // no window is 0 wide
        {"-6500", PlacementField::Height, 6500},
        {"1000001", PlacementField::Width, 6500},    // larger than any screen
        {"-1000001", PlacementField::Top, 1000},
        {"99999999999999999999", PlacementField::Left, 1000},
        {"1000000", PlacementField::Left, 1000000},  // the edge of the range still counts
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(ParsePlacementValue(c.text, c.field), c.value)
            << (c.text ? std::string(*c.text) : "(missing)");
    }
}

TEST(PlacementTest, ValuesAreWrittenAsWholeTwips) {
    EXPECT_EQ(FormatPlacementValue(1005.0f), "1005");
    EXPECT_EQ(FormatPlacementValue(-120.0f), "-120");
    EXPECT_EQ(FormatPlacementValue(6502.5f), "6502");  // half to even
    EXPECT_EQ(FormatPlacementValue(0.0f), "0");
}

TEST(PlacementTest, WindowOffEveryMonitorComesBackOntoTheNearest) {
    const MonitorArea primary{{0, 0, 1280, 800}, {0, 0, 1280, 760}};
    const MonitorArea left{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1080}};
    const std::vector<MonitorArea> one{primary};
    const std::vector<MonitorArea> two{primary, left};

    // Partly off the screen: stays where it was put.
    EXPECT_EQ(KeepOnScreen({1200, 700, 1633, 1133}, one), (Rect{1200, 700, 1633, 1133}));
    EXPECT_EQ(KeepOnScreen({-400, -30, 33, 403}, one), (Rect{-400, -30, 33, 403}));
    // Wholly right of the only monitor: onto its work area, same size.
    EXPECT_EQ(KeepOnScreen({3000, 100, 3433, 533}, one), (Rect{847, 100, 1280, 533}));
    // Below it: above the task bar.
    EXPECT_EQ(KeepOnScreen({100, 900, 533, 1333}, one), (Rect{100, 327, 533, 760}));
    // A monitor that was unplugged, left of the primary: the window was there.
    EXPECT_EQ(KeepOnScreen({-1500, 200, -1067, 633}, one), (Rect{0, 200, 433, 633}));
    // While it is plugged in, the window stays on it.
    EXPECT_EQ(KeepOnScreen({-1500, 200, -1067, 633}, two), (Rect{-1500, 200, -1067, 633}));
    // Nearest of two: the left monitor.
    EXPECT_EQ(KeepOnScreen({-2500, 100, -2300, 300}, two), (Rect{-1920, 100, -1720, 300}));
    // Larger than the work area: shrinks to it.
    EXPECT_EQ(KeepOnScreen({5000, 5000, 7000, 6000}, one), (Rect{0, 0, 1280, 760}));
    // No monitor information at all: left alone.
    EXPECT_EQ(KeepOnScreen({5000, 5000, 5400, 5400}, {}), (Rect{5000, 5000, 5400, 5400}));
}

}  // namespace
}  // namespace pw
