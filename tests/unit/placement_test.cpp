#include <gtest/gtest.h>

#include <vector>

#include "core/placement.h"
#include "core/rounding.h"

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

MonitorArea Monitor(int32_t left, int32_t top, int32_t width, int32_t height, int dpi) {
    const Rect area{left, top, left + width, top + height};
    return {area, {area.left, area.top, area.right, area.bottom - 40}, dpi};
}

TEST(PlacementTest, WindowComesBackOnItsMonitorAtTheSamePixelsForEveryScaling) {
    const int dpis[] = {96, 120, 144, 192};  // 100 %, 125 %, 150 %, 200 %
    const TwipsPerPixel system;
    int checked = 0;
    for (const int primaryDpi : dpis) {
        for (const int otherDpi : dpis) {
            const MonitorArea primary = Monitor(0, 0, 1920, 1080, primaryDpi);
            // The second monitor right of, left of, and above the primary one.
            const MonitorArea others[] = {Monitor(1920, 0, 2560, 1440, otherDpi),
                                          Monitor(-3840, -200, 3840, 2160, otherDpi),
                                          Monitor(-300, -1440, 2560, 1440, otherDpi)};
            for (const MonitorArea& other : others) {
                // A third monitor beyond the second at 100 %, where plain scaling would let
                // the blocks of twips overlap.
                const MonitorArea third = Monitor(other.monitor.right, other.monitor.top, 1920, 1080, 96);
                const std::vector<MonitorArea> layout{primary, other, third};
                for (const MonitorArea& on : layout) {
                    for (const Rect offset : {Rect{300, 200, 940, 680}, Rect{-8, -8, 1928, 1072},
                                              Rect{1501, 333, 1918, 777}}) {
                        const Rect window{on.monitor.left + offset.left, on.monitor.top + offset.top,
                                          on.monitor.left + offset.right, on.monitor.top + offset.bottom};
                        // Stored as whole twips, as the store keeps them.
                        const PlacementTwips stored = PlacementFromWindow(window, layout, system);
                        const PlacementTwips whole{
                            static_cast<float>(RoundToInt32(stored.left)), static_cast<float>(RoundToInt32(stored.top)),
                            static_cast<float>(RoundToInt32(stored.width)), static_cast<float>(RoundToInt32(stored.height))};
                        EXPECT_EQ(WindowFromPlacement(whole, layout, system), window)
                            << primaryDpi << "/" << otherDpi << " dpi, window at " << window.left << ","
                            << window.top << " on the monitor at " << on.monitor.left << "," << on.monitor.top;
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_EQ(checked, 4 * 4 * 3 * 3 * 3);
}

TEST(PlacementTest, StoredValuesKeepTheirMeaning) {
    const TwipsPerPixel system;
    // Closed at x = 2500 on a 150 % monitor right of a 100 % primary one of 1920 pixels: its
    // block starts at 1920 * 15 twips, and 580 pixels into it are 5800 twips.
    const std::vector<MonitorArea> two{Monitor(0, 0, 1920, 1080, 96), Monitor(1920, 0, 2880, 1620, 144)};
    const PlacementTwips stored = PlacementFromWindow({2500, 300, 3100, 700}, two, system);
    EXPECT_FLOAT_EQ(stored.left, 34600);
    EXPECT_FLOAT_EQ(stored.top, 3000);
    EXPECT_FLOAT_EQ(stored.width, 6000);
    EXPECT_EQ(WindowFromPlacement(stored, two, system), (Rect{2500, 300, 3100, 700}));

    // A single monitor: plain twips at its own scaling, as stored before monitors were told
    // apart, including a window partly left of and above the screen.
    for (const int dpi : {96, 144, 192}) {
        const std::vector<MonitorArea> one{Monitor(0, 0, 1920, 1080, dpi)};
        const float tpp = 1440.0f / dpi;
        const PlacementTwips old{1500, -300, 6500, 6000};
        EXPECT_EQ(WindowFromPlacement(old, one, system),
                  (Rect{RoundToInt32(1500 / tpp), RoundToInt32(-300 / tpp), RoundToInt32(1500 / tpp) + RoundToInt32(6500 / tpp),
                        RoundToInt32(-300 / tpp) + RoundToInt32(6000 / tpp)}))
            << dpi;
        const PlacementTwips now = PlacementFromWindow({-40, 10, 400, 300}, one, system);
        EXPECT_FLOAT_EQ(now.left, -40 * tpp) << dpi;
        EXPECT_FLOAT_EQ(now.width, 440 * tpp) << dpi;
    }
    // The first start's defaults on the primary monitor of a 150 % system.
    const std::vector<MonitorArea> scaled{Monitor(0, 0, 2880, 1620, 144), Monitor(-1920, 0, 1920, 1080, 96)};
    EXPECT_EQ(WindowFromPlacement(kDefaultPlacement, scaled, system), (Rect{100, 100, 750, 750}));
    // A centre on no monitor at all: the nearest one's scaling.
    EXPECT_EQ(WindowFromPlacement({-70000, 1500, 1500, 1500}, scaled, system).right -
                  WindowFromPlacement({-70000, 1500, 1500, 1500}, scaled, system).left,
              100);
    // No monitors known: the given scaling from the origin.
    EXPECT_EQ(WindowFromPlacement({1500, 3000, 7500, 6000}, {}, system), (Rect{100, 200, 600, 600}));
}

}  // namespace
}  // namespace pw
