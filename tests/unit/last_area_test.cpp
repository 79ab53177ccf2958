#include <gtest/gtest.h>

#include <vector>

#include "core/last_area.h"

namespace pw {
namespace {

TEST(LastAreaTest, OnlyFourIntegersOfARealAreaAreTakenAndTheyAreWrittenBackAlike) {
    struct Case {
        std::optional<std::string_view> stored;
        std::optional<Rect> area;
    };
    const Case cases[] = {
        {"100,100,300,250", Rect{100, 100, 300, 250}},
        {"-1920,-40,-1000,60", Rect{-1920, -40, -1000, 60}},  // a monitor left of the primary
        {"-2147483648,0,-1,1", Rect{INT32_MIN, 0, -1, 1}},
        {"-2147483648,0,0,1", std::nullopt},  // 2^31 wide
        {std::nullopt, std::nullopt},
        {"", std::nullopt},
        {"100,100,300", std::nullopt},
        {"100,100,300,250,", std::nullopt},
        {"100,100,300,250,7", std::nullopt},
        {"100, 100,300,250", std::nullopt},
        {"+100,100,300,250", std::nullopt},
        {"100,100,300,2x0", std::nullopt},
        {"-,100,300,250", std::nullopt},
        {"300,100,100,250", std::nullopt},  // no pixels across
        {"100,250,300,250", std::nullopt},  // nor down
        {"0,0,2147483648,1", std::nullopt},
        {"-2147483648,0,2147483647,0", std::nullopt},
        {"99999999999999999999,0,1,1", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string shown = c.stored ? std::string(*c.stored) : "(missing)";
        EXPECT_EQ(ParseLastArea(c.stored), c.area) << shown;
        if (c.area) {
            EXPECT_EQ(FormatLastArea(*c.area), *c.stored) << shown;
        }
    }
}

TEST(LastAreaTest, WhatLiesOnNoMonitorIsCutOffAndAnAreaOnNoneIsRefused) {
    const MonitorArea primary{{0, 0, 1280, 800}, {0, 0, 1280, 760}};
    // Left of the primary and taller: the rectangle over both has a gap below the primary.
    const MonitorArea left{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}};
    const std::vector<MonitorArea> one{primary};
    const std::vector<MonitorArea> two{primary, left};

    EXPECT_EQ(AreaOnMonitors({100, 100, 300, 250}, one), (Rect{100, 100, 300, 250}));
    EXPECT_EQ(AreaOnMonitors({1200, 700, 1400, 900}, one), (Rect{1200, 700, 1280, 800}));
    EXPECT_EQ(AreaOnMonitors({-500, 100, 100, 200}, one), (Rect{0, 100, 100, 200}));
    EXPECT_EQ(AreaOnMonitors({-500, 100, 100, 200}, two), (Rect{-500, 100, 100, 200}));
    // The left monitor was unplugged.
    EXPECT_EQ(AreaOnMonitors({-1500, 100, -1000, 200}, one), std::nullopt);
    EXPECT_EQ(AreaOnMonitors({-1500, 100, -1000, 200}, two), (Rect{-1500, 100, -1000, 200}));
    // Touching a monitor's edge is not lying on it.
    EXPECT_EQ(AreaOnMonitors({1280, 0, 1400, 100}, one), std::nullopt);
    // In the gap below the primary: inside the rectangle over both, on neither.
    EXPECT_EQ(AreaOnMonitors({100, 900, 200, 1000}, two), std::nullopt);
    EXPECT_EQ(AreaOnMonitors({100, 100, 200, 200}, {}), std::nullopt);
}

}  // namespace
}  // namespace pw
