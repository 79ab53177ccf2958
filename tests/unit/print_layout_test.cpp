#include <gtest/gtest.h>

#include "core/print_layout.h"

namespace pw {
namespace {

TEST(PrintLayoutTest, ScreenSizeOnPaperShrunkToFitAndCentred) {
    // A4 at 600 dpi, printable 4760 by 6779 printer pixels.
    const PageGeometry a4{{4760, 6779}, 600, 600};
    // Letter at 600 dpi, 5100 by 6600, whose printable area starts 150 across and 100 down and
    // leaves 150 on the right and 200 at the bottom.
    const PageGeometry letter{{4800, 6300}, 600, 600, {5100, 6600}, 150, 100};
    struct Case {
        const char* name;
        Size picture;
        int screenDpi;
        PageGeometry page;
        Rect placed;
    };
    const Case cases[] = {
        // 960 by 480 screen pixels at 96 dpi are 10 by 5 inches: 6000 by 3000, too wide, so
        // 4760 by 2380, centred.
        {"too wide", {960, 480}, 96, a4, {0, 2199, 4760, 4579}},
        // 96 by 192 pixels are 1 by 2 inches: 600 by 1200, centred, not enlarged.
        {"small stays its size", {96, 192}, 96, a4, {2080, 2789, 2680, 3989}},
        // At 192 dpi on the screen the same pixels are half the size on paper.
        {"high dpi screen", {96, 192}, 192, a4, {2230, 3089, 2530, 3689}},
        {"too tall", {100, 4000}, 96, a4, {2295, 0, 2464, 6779}},
        // Printers with different dpi across and down: the inches stay the inches.
        {"uneven printer dpi", {96, 96}, 96, {{1000, 1000}, 300, 600}, {350, 200, 650, 800}},
        {"a sliver keeps a pixel", {1, 10000}, 96, {{100, 100}, 100, 100}, {49, 0, 50, 100}},
        {"exactly the page", {4760, 6779}, 600, a4, {0, 0, 4760, 6779}},
        // 600 by 1200 in the middle of the sheet: 2250 and 2700 from its edges.
        {"centred on the sheet", {96, 192}, 96, letter, {2100, 2600, 2700, 3800}},
        // 600 by 30000 shrunk to 126 by 6300: centred across, but down it stays inside the
        // printable area, which the sheet's centre would leave by 50.
        {"kept inside the printable area", {96, 4800}, 96, letter, {2337, 0, 2463, 6300}},
        {"empty picture", {0, 10}, 96, a4, {}},
        {"no page", {10, 10}, 96, {{0, 0}, 600, 600}, {}},
        {"no dpi", {10, 10}, 0, a4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceOnPage(c.picture, c.screenDpi, c.screenDpi, c.page), c.placed);
    }
}

}  // namespace
}  // namespace pw
