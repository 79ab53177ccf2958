#include <gtest/gtest.h>

#include "core/view_layout.h"

namespace pw::view {
namespace {

// The design's window at 96 dpi: client 8310 x 5625 twips, toolbar 360, status bar 375,
// scroll bars 255 thick. The viewport is then 8055 x 4635 before any bar is hidden.
LayoutInput DesignWindow(float pictureWidth, float pictureHeight) {
    LayoutInput in;
    in.clientWidth = 8310;
    in.clientHeight = 5625;
    in.toolbarHeight = 360;
    in.statusBarHeight = 375;
    in.pictureWidth = pictureWidth;
    in.pictureHeight = pictureHeight;
    return in;
}

// A layout left over from an earlier picture, scrolled away from the origin.
ViewLayout Scrolled() {
    ViewLayout layout;
    layout.h = {true, 5000, 1200, 15, 100};
    layout.v = {true, 7000, 3400, 15, 100};
    return layout;
}

TEST(ViewLayoutTest, PictureThatFitsHidesBothBarsAndFillsTheArea) {
    const ViewLayout out = Relayout(DesignWindow(3000, 2000), Scrolled());
    EXPECT_FALSE(out.h.visible);
    EXPECT_FALSE(out.v.visible);
    EXPECT_EQ(out.h.value, 0);
    EXPECT_EQ(out.v.value, 0);
    // Between toolbar and status bar, the full width.
    EXPECT_FLOAT_EQ(out.viewportWidth, 8310);
    EXPECT_FLOAT_EQ(out.viewportHeight, 5625 - 360 - 375);
    // The bars were placed before they were hidden.
    EXPECT_FLOAT_EQ(out.hBarTop, 360 + 4635);
    EXPECT_FLOAT_EQ(out.hBarWidth, 8055);
    EXPECT_FLOAT_EQ(out.vBarLeft, 8055);
    EXPECT_FLOAT_EQ(out.vBarHeight, 4635);
}

TEST(ViewLayoutTest, ExactFitHidesTheHorizontalBarButShowsTheVerticalWithNoRange) {
    const ViewLayout out = Relayout(DesignWindow(8055, 4635), Scrolled());
    EXPECT_FALSE(out.h.visible);
    EXPECT_FLOAT_EQ(out.viewportWidth, 8055 + 255);
    EXPECT_TRUE(out.v.visible);
    EXPECT_EQ(out.v.max, 0);
    EXPECT_EQ(out.v.value, 0);
    EXPECT_FLOAT_EQ(out.viewportHeight, 4635);
}

TEST(ViewLayoutTest, WiderPictureShowsOnlyTheHorizontalBar) {
    const ViewLayout out = Relayout(DesignWindow(9000, 2000), Scrolled());
    EXPECT_EQ(out.h, (ScrollSettings{true, 9000 - 8055, 0, 15, 8055 / 3}));
    EXPECT_FALSE(out.v.visible);
    EXPECT_EQ(out.v.value, 0);
    // Higher by the design thickness, into the horizontal bar's row; not wider.
    EXPECT_FLOAT_EQ(out.viewportWidth, 8055);
    EXPECT_FLOAT_EQ(out.viewportHeight, 4635 + 255);
    EXPECT_FLOAT_EQ(out.hBarTop, 360 + 4635);
}

TEST(ViewLayoutTest, TallerPictureShowsOnlyTheVerticalBar) {
    const ViewLayout out = Relayout(DesignWindow(3000, 6000), Scrolled());
    EXPECT_FALSE(out.h.visible);
    EXPECT_EQ(out.v, (ScrollSettings{true, 6000 - 4635, 0, 15, 4635 / 3}));
    // Wider into the vertical bar's column, which the bar keeps: it was placed first.
    EXPECT_FLOAT_EQ(out.viewportWidth, 8055 + 255);
    EXPECT_FLOAT_EQ(out.viewportHeight, 4635);
    EXPECT_FLOAT_EQ(out.vBarLeft, 8055);
}

TEST(ViewLayoutTest, ScreenSizedPictureGetsRangesBeyondSixteenBits) {
    // 3840 x 2160 pixels at 15 twips per pixel.
    const ViewLayout out = Relayout(DesignWindow(57600, 32400), Scrolled());
    EXPECT_EQ(out.h, (ScrollSettings{true, 57600 - 8055, 0, 15, 2685}));
    EXPECT_EQ(out.v, (ScrollSettings{true, 32400 - 4635, 0, 15, 1545}));
    EXPECT_GT(out.h.max, 32767);
}

TEST(ViewLayoutTest, MinimisedWindowChangesNothing) {
    LayoutInput in = DesignWindow(1, 1);
    in.minimised = true;
    in.clientWidth = 0;
    in.clientHeight = 0;
    const ViewLayout before = Scrolled();
    EXPECT_EQ(Relayout(in, before), before);
}

TEST(ViewLayoutTest, EmptyPictureBoxDecidesTheBarsLikeAPicture) {
    LayoutInput in = DesignWindow(kEmptyPictureWidth, kEmptyPictureHeight);
    in.clientWidth = 3000;  // viewport 2745, narrower than 3225
    const ViewLayout out = Relayout(in, ViewLayout{});
    EXPECT_TRUE(out.h.visible);
    EXPECT_EQ(out.h.max, 3225 - 2745);
    EXPECT_FALSE(out.v.visible);
}

TEST(ViewLayoutTest, TooSmallWindowKeepsThePreviousViewportSize) {
    LayoutInput in = DesignWindow(1000, 2000);
    in.clientWidth = 100;   // 100 - 255 < 0
    in.clientHeight = 600;  // 600 - 255 - 375 - 360 < 0
    ViewLayout previous;
    previous.viewportWidth = 1500;
    previous.viewportHeight = 900;
    const ViewLayout out = Relayout(in, previous);
    // The kept sizes go on into the later steps.
    EXPECT_FLOAT_EQ(out.hBarWidth, 1500);
    EXPECT_FLOAT_EQ(out.hBarTop, 360 + 900);
    EXPECT_FLOAT_EQ(out.vBarHeight, 900);
    EXPECT_FALSE(out.h.visible);
    EXPECT_FLOAT_EQ(out.viewportWidth, 1500 + 255);
    EXPECT_TRUE(out.v.visible);  // 2000 is not below 900
    EXPECT_EQ(out.v.max, 1100);
}

TEST(ViewLayoutTest, StepsRoundHalfToEvenAndNeverStayZero) {
    LayoutInput in = DesignWindow(201, 100);
    in.clientWidth = 355.5f;  // viewport 100.5
    in.clientHeight = 990 + 1000.5f;
    in.pictureHeight = 3000;
    in.twipsPerPixel = {7.5f, 12.5f};  // arrow steps round to 8 and 12
    const ViewLayout out = Relayout(in, ViewLayout{});
    EXPECT_EQ(out.h.max, 100);        // 100.5
    EXPECT_EQ(out.h.largeChange, 33);  // round(100.5) / 3
    EXPECT_EQ(out.h.smallChange, 8);
    EXPECT_EQ(out.v.max, 2000);       // 3000 - 1000.5 = 1999.5
    EXPECT_EQ(out.v.smallChange, 12);

    in.clientWidth = 257;  // a viewport of 2 twips: a third of it is 0
    const ViewLayout narrow = Relayout(in, ViewLayout{});
    EXPECT_EQ(narrow.h.largeChange, narrow.h.smallChange);
    EXPECT_EQ(narrow.h.largeChange, 8);
}

TEST(ViewLayoutTest, ScrollValuesStayInRangeAndMoveThePictureTheOtherWay) {
    EXPECT_EQ(ClampScrollValue(-15, 100), 0);
    EXPECT_EQ(ClampScrollValue(115, 100), 100);
    EXPECT_EQ(ClampScrollValue(45, 100), 45);
    EXPECT_EQ(ClampScrollValue(45, -10), 0);
    EXPECT_EQ(ClampScrollValue(int64_t{1} << 40, 49545), 49545);
    EXPECT_FLOAT_EQ(PictureOffsetFor(49545), -49545.0f);
    EXPECT_FLOAT_EQ(PictureOffsetFor(0), 0.0f);
}

}  // namespace
}  // namespace pw::view
