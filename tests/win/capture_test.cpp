#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

// The display as a palette device of g_paletteSize entries; the queries are recorded.
std::vector<int> g_capsAsked;
int g_paletteSize = 256;
int WINAPI PaletteDisplayCaps(HDC dc, int index) {
    g_capsAsked.push_back(index);
    switch (index) {
        case RASTERCAPS:
            return ::GetDeviceCaps(dc, RASTERCAPS) | RC_PALETTE;
        case SIZEPALETTE:
            return g_paletteSize;
        default:
            return ::GetDeviceCaps(dc, index);
    }
}

TEST(CaptureWindowAreaTest, PaletteDisplayGivesAPictureWithTheSystemPalette) {
    PaintedWindow window(120, 90, 80, 60);
    CaptureWindowArea(window.Hwnd(), true, 0, 0, 80, 60);  // warm up
    const int objects = test::CountGdiObjects();
    {
        g_capsAsked.clear();
        g_paletteSize = 256;
        const Picture picture = CaptureWindowArea(window.Hwnd(), true, 0, 0, 80, 60, PaletteDisplayCaps);
        // Asked in this order, each once.
        EXPECT_EQ(g_capsAsked, (std::vector<int>{RASTERCAPS, SIZEPALETTE}));
        ASSERT_NE(picture.Palette(), nullptr);
        WORD entries = 0;
        ASSERT_EQ(::GetObjectW(picture.Palette(), sizeof entries, &entries), static_cast<int>(sizeof entries));
        EXPECT_EQ(entries, 256);
        // A copy of the system palette as the display reports it.
        PALETTEENTRY system[256] = {};
        PALETTEENTRY copied[256] = {};
        HDC screen = ::GetDC(window.Hwnd());
        ::GetSystemPaletteEntries(screen, 0, 256, system);
        ::ReleaseDC(window.Hwnd(), screen);
        EXPECT_EQ(::GetPaletteEntries(picture.Palette(), 0, 256, copied), 256u);
        EXPECT_EQ(std::memcmp(system, copied, sizeof system), 0);
        // The pixels are the window's all the same.
        EXPECT_EQ(Mismatches(test::ReadBitmap(picture.Bitmap()), 80, 60,
                             [&](int x, int y) { return window.ExpectedAt(x, y); }),
                  0);
        // A palette device of another size gets no palette.
        g_paletteSize = 16;
        EXPECT_EQ(CaptureWindowArea(window.Hwnd(), true, 0, 0, 80, 60, PaletteDisplayCaps).Palette(), nullptr);
    }
    // Bitmap and palette went with the picture.
    EXPECT_EQ(test::CountGdiObjects(), objects);
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

TEST(CaptureRoutinesTest, WholeScreenAtFractionalScalingsIsTheScreensOwnSize) {
    // This screen as it measures at 175 %, 200 %, 150 % and 125 %: in twips, with fractional
    // twips per pixel (8.57, 7.5, 10, 12). Rounding those to whole twips per pixel would
    // capture 1219 or 1200 pixels of a 1280-pixel screen.
    const Size screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_EQ(screen, (Size{1280, 800})) << "the test desktop's size";
    for (const int dpi : {168, 192, 144, 120}) {
        const float tpp = 1440.0f / static_cast<float>(dpi);
        ScreenMetrics metrics;
        metrics.widthTwips = 1280 * static_cast<double>(tpp);
        metrics.heightTwips = 800 * static_cast<double>(tpp);
        metrics.twipsPerPixelX = tpp;
        metrics.twipsPerPixelY = tpp;
        EXPECT_EQ(CaptureWholeScreen(metrics).SizeInPixels(), (Size{1280, 800})) << dpi << " dpi";
    }
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

// Stand-ins for the compositor's frame bounds: the frame of current Windows, inside an
// invisible border on the left, right and bottom; and a frame that is not the window's.
bool FrameInsideTheBorder(HWND window, RECT& frame) {
    ::GetWindowRect(window, &frame);
    ::InflateRect(&frame, -7, 0);
    frame.bottom -= 7;
    return true;
}
bool FrameElsewhere(HWND, RECT& frame) {
    frame = {2000, 2000, 2100, 2100};
    return true;
}

TEST(CaptureRoutinesTest, WindowCapturesTakeTheVisibleFrame) {
    PaintedWindow window(250, 180, 140, 90);
    ::SetForegroundWindow(window.Hwnd());
    test::PumpMessages(50);
    ASSERT_EQ(::GetForegroundWindow(), window.Hwnd());
    const RECT outer = window.WindowRect();
    struct SystemReaderAgain {
        ~SystemReaderAgain() { ReplaceFrameBoundsReader(nullptr); }
    } systemAgain;
    const struct {
        const char* what;
        FrameBoundsReader reader;
        RECT frame;
    } cases[] = {
        // Wine has no compositor: the window rectangle, as before.
        {"the system's", nullptr, outer},
        {"inside an invisible border", FrameInsideTheBorder,
         {outer.left + 7, outer.top, outer.right - 7, outer.bottom - 7}},
        {"not the window's", FrameElsewhere, outer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReplaceFrameBoundsReader(c.reader);
        const RECT frame = VisibleFrameOf(window.Hwnd());
        EXPECT_TRUE(::EqualRect(&frame, &c.frame));
        const test::Pixels shown = test::ReadScreen(c.frame);
        const FormExtent form{window.Hwnd(), (outer.right - outer.left) * 15.0f,
                              (outer.bottom - outer.top) * 15.0f, 15.0f, 15.0f};
        for (const Picture& picture : {CaptureForegroundWindow(), CaptureWindowWithFrame(form)}) {
            EXPECT_EQ(picture.SizeInPixels(), (Size{c.frame.right - c.frame.left,
                                                    c.frame.bottom - c.frame.top}));
            EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), shown), 0);
        }
    }
    // Maximised, its border lies off the monitor: only its part on the monitor.
    ReplaceFrameBoundsReader(nullptr);
    ::ShowWindow(window.Hwnd(), SW_MAXIMIZE);
    test::PumpMessages(100);
    const RECT maximised = window.WindowRect();
    const RECT monitor{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_LT(maximised.left, 0);
    const RECT frame = VisibleFrameOf(window.Hwnd());
    EXPECT_TRUE(::EqualRect(&frame, &monitor))
        << frame.left << "," << frame.top << "," << frame.right << "," << frame.bottom;
    EXPECT_EQ(CaptureForegroundWindow().SizeInPixels(), (Size{monitor.right, monitor.bottom}));
}

// A message that another thread sends to the window being hidden, and whether it arrived
// while the window was still being hidden.
constexpr UINT kProbe = WM_APP + 17;
std::atomic<bool> g_hiding{false};
std::atomic<int> g_probesWhileHiding{0};
std::atomic<int> g_probes{0};
HWND g_probed = nullptr;

LRESULT CALLBACK RecordProbe(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == g_probed && message->message == kProbe) {
        ++g_probes;
        g_probesWhileHiding += g_hiding ? 1 : 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HANDLE g_answering = nullptr;
LRESULT CALLBACK SlowToAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NULL) {
        ::SetEvent(g_answering);
        ::Sleep(400);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(WindowHiddenForCaptureTest, MessagesFromOtherThreadsWaitUntilTheWindowIsHidden) {
    PaintedWindow window(300, 300, 120, 90);
    g_probed = window.Hwnd();
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, RecordProbe, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    // Beneath it, a window of another thread that takes its time to answer: the wait for the
    // uncovered windows makes a round trip to it. Meanwhile a third thread sends a message to
    // the window being hidden.
    HANDLE answering = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_answering = answering;
    std::atomic<HWND> slow{nullptr};
    std::atomic<bool> done{false};
    std::thread beneath([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SlowToAnswer;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = L"PixelwrenTestSlowToAnswer";
        ::RegisterClassW(&wc);
        HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 280, 280, 200, 150,
                                      nullptr, nullptr, wc.hInstance, nullptr);
        slow = hwnd;
        while (!done) {
            test::PumpMessages(10);
        }
        ::DestroyWindow(hwnd);
    });
    while (slow == nullptr) {
        ::Sleep(5);
    }
    ::SetWindowPos(window.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    test::PumpMessages(100);
    std::thread sender([&] {
        ::WaitForSingleObject(answering, 5000);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window.Hwnd(), kProbe, 0, 0, SMTO_NORMAL, 5000, &ignored);
    });
    {
        g_hiding = true;
        WindowHiddenForCapture hidden(window.Hwnd(), 2000);
        g_hiding = false;
        EXPECT_EQ(::WaitForSingleObject(answering, 0), WAIT_OBJECT_0) << "no round trip to the window beneath";
    }
    test::PumpMessages(200);
    sender.join();
    done = true;
    beneath.join();
    ::UnhookWindowsHookEx(hook);
    ::CloseHandle(answering);
    EXPECT_EQ(g_probes, 1);
    EXPECT_EQ(g_probesWhileHiding, 0);
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
