#include <gtest/gtest.h>

#include <string>

#include "capture/capture.h"
#include "platform/failure.h"
#include "support.h"

namespace pw {
namespace {

using test::PaintedWindow;
using test::Pixels;

// How many pixels of a width x height area of `pixels` differ from expected(x, y).
int Mismatches(const Pixels& pixels, int width, int height, auto&& expected) {
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            wrong += pixels.At(x, y) != expected(x, y);
        }
    }
    return wrong;
}

std::wstring FailureOf(auto&& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.Cause();
    }
    return L"";
}

TEST(CaptureWindowAreaTest, ClientAreaPixelByPixel) {
    PaintedWindow window(120, 90, 200, 150);
    const Picture picture = CaptureWindowArea(window.Hwnd(), true, 0, 0, 200, 150);
    ASSERT_EQ(picture.SizeInPixels(), (Size{200, 150}));
    const Pixels pixels = test::ReadBitmap(picture.Bitmap());
    EXPECT_EQ(Mismatches(pixels, 200, 150, [&](int x, int y) { return window.ExpectedAt(x, y); }), 0);
    EXPECT_EQ(picture.Palette(), nullptr);  // a true-colour screen needs no palette
}

TEST(CaptureWindowAreaTest, AreaStartsAtLeftAndTopOfTheClientArea) {
    PaintedWindow window(120, 90, 200, 150);
    const Picture picture = CaptureWindowArea(window.Hwnd(), true, 50, 30, 100, 80);
    ASSERT_EQ(picture.SizeInPixels(), (Size{100, 80}));
    const Pixels pixels = test::ReadBitmap(picture.Bitmap());
    EXPECT_EQ(
        Mismatches(pixels, 100, 80, [&](int x, int y) { return window.ExpectedAt(x + 50, y + 30); }),
        0);
}

TEST(CaptureWindowAreaTest, WholeWindowIsTheWindowAsTheScreenShowsIt) {
    PaintedWindow window(150, 110, 180, 120);
    const RECT outer = window.WindowRect();
    const RECT client = window.ClientRectOnScreen();
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    ASSERT_GT(client.top, outer.top) << "the test window needs a caption";

    const Picture picture = CaptureWindowArea(window.Hwnd(), false, 0, 0, width, height);
    ASSERT_EQ(picture.SizeInPixels(), (Size{width, height}));
    const Pixels captured = test::ReadBitmap(picture.Bitmap());
    const Pixels screen = test::ReadScreen(outer);
    int differ = 0;
    int clientWrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            differ += captured.At(x, y) != screen.At(x, y);
            const int cx = x + outer.left - client.left;
            const int cy = y + outer.top - client.top;
            if (cx >= 0 && cy >= 0 && cx < 180 && cy < 120) {
                clientWrong += captured.At(x, y) != window.ExpectedAt(cx, cy);
            }
        }
    }
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(clientWrong, 0);
    // The caption is part of it: the top row is not a client colour.
    EXPECT_NE(captured.At(width / 2, 2), window.ExpectedAt(90, 2));
}

TEST(CaptureWindowAreaTest, AreaLargerThanTheWindowKeepsTheRequestedSize) {
    PaintedWindow window(100, 100, 120, 80, false);
    const Picture picture = CaptureWindowArea(window.Hwnd(), true, 0, 0, 300, 240);
    ASSERT_EQ(picture.SizeInPixels(), (Size{300, 240}));
    const Pixels pixels = test::ReadBitmap(picture.Bitmap());
    EXPECT_EQ(Mismatches(pixels, 120, 80, [&](int x, int y) { return window.ExpectedAt(x, y); }), 0);
}

TEST(CaptureWindowAreaTest, NothingToCaptureAndFailedCallsLeaveNoObjectBehind) {
    PaintedWindow window(100, 100, 60, 60);
    const int before = test::CountGdiObjects();
    EXPECT_EQ(FailureOf([&] { CaptureWindowArea(window.Hwnd(), true, 0, 0, 0, 50); }),
              kNothingToCapture);
    EXPECT_EQ(FailureOf([&] { CaptureWindowArea(window.Hwnd(), false, 0, 0, 50, -3); }),
              kNothingToCapture);
    const std::wstring huge =
        FailureOf([&] { CaptureWindowArea(window.Hwnd(), false, 0, 0, 60000, 60000); });
    EXPECT_NE(huge.find(L"CreateCompatibleBitmap"), std::wstring::npos) << huge;
    EXPECT_NE(huge.find(L"60000 × 60000"), std::wstring::npos) << huge;
    EXPECT_EQ(test::CountGdiObjects(), before);
}

TEST(CaptureWindowAreaTest, NoGdiObjectLeftAfter500Captures) {
    PaintedWindow window(100, 100, 64, 48);
    // Warm up: the first capture may create objects that GDI keeps for the process.
    CaptureWindowArea(window.Hwnd(), true, 0, 0, 64, 48);
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 500; ++i) {
        const Picture picture = CaptureWindowArea(window.Hwnd(), i % 2 == 0, 0, 0, 64, 48);
        ASSERT_FALSE(picture.Empty());
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

TEST(CaptureWindowAreaTest, PalettePathOnlyForA256EntryPaletteDevice) {
    EXPECT_TRUE(UsesSystemPalette(RC_PALETTE | RC_BITBLT, 256));
    EXPECT_FALSE(UsesSystemPalette(RC_PALETTE, 16));
    EXPECT_FALSE(UsesSystemPalette(RC_PALETTE, 0));
    EXPECT_FALSE(UsesSystemPalette(RC_BITBLT, 256));
    HDC screen = ::GetDC(nullptr);
    EXPECT_FALSE(UsesSystemPalette(::GetDeviceCaps(screen, RASTERCAPS),
                                   ::GetDeviceCaps(screen, SIZEPALETTE)));
    ::ReleaseDC(nullptr, screen);
}

TEST(CaptureRoutinesTest, WholeScreenHasTheScreenSizeFromTheOrigin) {
    PaintedWindow window(300, 200, 100, 80, false);
    const Picture picture = CaptureWholeScreen();
    const Size screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_EQ(picture.SizeInPixels(), screen);
    const Pixels pixels = test::ReadBitmap(picture.Bitmap());
    const RECT client = window.ClientRectOnScreen();
    EXPECT_EQ(pixels.At(client.left + 10, client.top + 10), window.ExpectedAt(10, 10));
    EXPECT_EQ(pixels.At(client.left + 90, client.top + 70), window.ExpectedAt(90, 70));
}

TEST(CaptureRoutinesTest, FormRoutinesConvertTheirUnitsToPixels) {
    PaintedWindow window(200, 150, 160, 100);
    const RECT outer = window.WindowRect();
    // The outer size in twips at 15 per pixel, and the client size in pixels.
    const FormExtent framed{window.Hwnd(), (outer.right - outer.left) * 15.0,
                            (outer.bottom - outer.top) * 15.0, 15.0f, 15.0f};
    EXPECT_EQ(CaptureWindowWithFrame(framed).SizeInPixels(),
              (Size{outer.right - outer.left, outer.bottom - outer.top}));
    const FormExtent client{window.Hwnd(), 160, 100, 1.0f, 1.0f};
    const Picture clientPicture = CaptureClientArea(client);
    ASSERT_EQ(clientPicture.SizeInPixels(), (Size{160, 100}));
    EXPECT_EQ(test::ReadBitmap(clientPicture.Bitmap()).At(0, 0), window.ExpectedAt(0, 0));
}

TEST(CaptureRoutinesTest, ForegroundWindowIsCapturedWhole) {
    PaintedWindow window(250, 180, 140, 90);
    ::SetForegroundWindow(window.Hwnd());
    test::PumpMessages(50);
    ASSERT_EQ(::GetForegroundWindow(), window.Hwnd());
    const RECT outer = window.WindowRect();
    const Picture picture = CaptureForegroundWindow();
    EXPECT_EQ(picture.SizeInPixels(), (Size{outer.right - outer.left, outer.bottom - outer.top}));
}

TEST(WindowHiddenForCaptureTest, HidesWhileAliveAndShowsAndActivatesAfter) {
    PaintedWindow other(20, 20, 50, 50);
    PaintedWindow window(300, 300, 120, 90);
    {
        WindowHiddenForCapture hidden(window.Hwnd(), 200);
        EXPECT_FALSE(::IsWindowVisible(window.Hwnd()));
    }
    EXPECT_TRUE(::IsWindowVisible(window.Hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), window.Hwnd());
}

}  // namespace
}  // namespace pw
