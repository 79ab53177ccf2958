#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "area/feedback.h"
#include "area/free_area.h"
#include "platform/clipboard.h"
#include "platform/dib.h"
#include "platform/handles.h"
#include "support.h"

namespace pw {
namespace {

// A 32-bit bitmap in a memory context, filled with the position pattern and read straight
// from its bits (a bitmap selected here cannot be selected anywhere else to be read).
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        m_bitmap = CreateTopDownDib(width, height, reinterpret_cast<void**>(&m_bits));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                m_bits[static_cast<size_t>(y) * width + x] = test::PatternColour(x, y);
            }
        }
        m_memory.reset(::CreateCompatibleDC(nullptr));
        m_previous = ::SelectObject(m_memory.get(), m_bitmap.get());
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { ::SelectObject(m_memory.get(), m_previous); }
    [[nodiscard]] HDC Dc() const { return m_memory.get(); }
    [[nodiscard]] test::Pixels Read() const {
        ::GdiFlush();
        test::Pixels pixels{m_width, m_height,
                            std::vector<uint32_t>(m_bits, m_bits + m_width * m_height)};
        for (uint32_t& p : pixels.data) {
            p &= 0x00FFFFFFu;
        }
        return pixels;
    }

private:
    int m_width;
    int m_height;
    uint32_t* m_bits = nullptr;
    UniqueBitmap m_bitmap;
    UniqueDc m_memory;
    HGDIOBJ m_previous = nullptr;
};

std::string Describe(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

TEST(SelectionFeedbackTest, DrawingTwiceRestoresEveryPixel) {
    constexpr int kWidth = 640;
    constexpr int kHeight = 480;
    Canvas canvas(kWidth, kHeight);
    const test::Pixels before = canvas.Read();
    std::vector<Rect> rects = {
        {100, 100, 100, 100},                   // the press, before any move: empty
        {100, 100, 100, 250},                   // straight down: empty
        {50, 60, 51, 61},                       // 1 x 1
        {50, 60, 52, 62},                       // 2 x 2
        {10, 20, 11, 400},                      // one pixel wide
        {10, 20, 600, 21},                      // one pixel high
        {0, 0, kWidth, kHeight},                // the whole canvas
        {-40, -30, 120, 90},                    // past the upper-left edge
        {500, 400, kWidth + 60, kHeight + 70},  // past the lower-right edge
        {-10, -10, kWidth + 10, kHeight + 10},  // around it all
    };
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(-50, kWidth + 50);
    std::uniform_int_distribution<int> y(-50, kHeight + 50);
    for (int i = 0; i < 300; ++i) {
        Rect r{x(random), y(random), x(random), y(random)};
        if (r.right < r.left) {
            std::swap(r.left, r.right);
        }
        if (r.bottom < r.top) {
            std::swap(r.top, r.bottom);
        }
        rects.push_back(r);
    }
    int changedOnce = 0;
    for (const Rect& rect : rects) {
        DrawSelectionFeedback(canvas.Dc(), rect);
        const test::Pixels drawn = canvas.Read();
        changedOnce += test::Differences(drawn, before) > 0;
        DrawSelectionFeedback(canvas.Dc(), rect);
        ASSERT_EQ(test::Differences(canvas.Read(), before), 0) << Describe(rect);
    }
    // The non-empty ones did show something in between.
    EXPECT_GE(changedOnce, 300);
}

TEST(SelectionFeedbackTest, DrawingTwiceOnTheDisplayRestoresIt) {
    test::PaintedWindow window(40, 40, 400, 300, false);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const RECT whole{0, 0, width, height};
    WindowDc screen = WindowDc::ForClient(nullptr);
    const test::Pixels before = test::ReadScreen(whole);
    for (const Rect& rect : {Rect{60, 60, 61, 61}, Rect{50, 50, 300, 200}, Rect{-5, -5, 200, 100},
                             Rect{width - 100, height - 50, width + 20, height + 20}}) {
        DrawSelectionFeedback(screen.get(), rect);
        ::GdiFlush();
        EXPECT_GT(test::Differences(test::ReadScreen(whole), before), 0) << Describe(rect);
        DrawSelectionFeedback(screen.get(), rect);
        ::GdiFlush();
        EXPECT_EQ(test::Differences(test::ReadScreen(whole), before), 0) << Describe(rect);
    }
}

// What one draw changed: each pixel where the canvas no longer shows the pattern.
std::vector<bool> ChangedBy(const Rect& rect, HDC dc, const Canvas& canvas) {
    const test::Pixels before = canvas.Read();
    DrawSelectionFeedback(dc, rect);
    const test::Pixels after = canvas.Read();
    DrawSelectionFeedback(dc, rect);
    std::vector<bool> changed(after.data.size());
    for (size_t i = 0; i < changed.size(); ++i) {
        changed[i] = after.data[i] != before.data[i];
    }
    return changed;
}

TEST(SelectionFeedbackTest, FrameTracesTheBorderAndTheLabelSitsInTheMiddle) {
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    Canvas canvas(kWidth, kHeight);
    for (const Rect& rect :
         {Rect{100, 100, 300, 250}, Rect{20, 30, 121, 152}, Rect{5, 5, 395, 60}}) {
        const std::vector<bool> changed = ChangedBy(rect, canvas.Dc(), canvas);
        auto at = [&](int x, int y) { return changed[static_cast<size_t>(y) * kWidth + x]; };
        int labelLeft = kWidth, labelRight = -1, labelTop = kHeight, labelBottom = -1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool inside =
                    x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                const bool border = inside && (x == rect.left || x == rect.right - 1 ||
                                               y == rect.top || y == rect.bottom - 1);
                const bool corner = (x == rect.left || x == rect.right - 1) &&
                                    (y == rect.top || y == rect.bottom - 1);
                if (!inside) {
                    ASSERT_FALSE(at(x, y))
                        << "outside at " << x << "," << y << " for " << Describe(rect);
                } else if (border && !corner) {
                    // Corners are where two strips meet; the rest of the border is inverted.
                    ASSERT_TRUE(at(x, y))
                        << "border at " << x << "," << y << " for " << Describe(rect);
                } else if (!border && at(x, y)) {
                    labelLeft = std::min(labelLeft, x);
                    labelRight = std::max(labelRight, x + 1);
                    labelTop = std::min(labelTop, y);
                    labelBottom = std::max(labelBottom, y + 1);
                }
            }
        }
        // The label's ink is centred to within a glyph's side bearing.
        ASSERT_GT(labelRight, labelLeft) << "no label in " << Describe(rect);
        EXPECT_NEAR(labelLeft + labelRight, rect.left + rect.right, 4) << Describe(rect);
        EXPECT_NEAR(labelTop + labelBottom, rect.top + rect.bottom, 6) << Describe(rect);
        // As wide as "200x150" in the canvas's font, give or take the cell's blank edges.
        const std::string text =
            std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
        SIZE extent{};
        ::GetTextExtentPoint32A(canvas.Dc(), text.c_str(), static_cast<int>(text.size()), &extent);
        EXPECT_LE(labelRight - labelLeft, extent.cx) << Describe(rect);
        EXPECT_GE(labelRight - labelLeft, extent.cx - 6) << Describe(rect);
    }
}

TEST(SelectionFeedbackTest, WithoutGdiHandlesTheFrameIsStillDrawn) {
    Canvas canvas(200, 160);
    const test::Pixels before = canvas.Read();
    const Rect rect{20, 20, 180, 140};
    test::Pixels drawn;
    {
        test::GdiExhaustion exhausted;
        ASSERT_GT(exhausted.Held(), 1000u);
        DrawSelectionFeedback(canvas.Dc(), rect);
        drawn = canvas.Read();
        DrawSelectionFeedback(canvas.Dc(), rect);
    }
    // The frame alone: the four sides less their corners, and nothing in the middle.
    EXPECT_EQ(test::Differences(drawn, before), 2 * (160 - 2) + 2 * (120 - 2));
    EXPECT_EQ(test::Differences(canvas.Read(), before), 0);
    // A context that is not one draws nothing and does not fail.
    DrawSelectionFeedback(nullptr, rect);
}

TEST(SelectionFeedbackTest, NoGdiObjectLeftBehind) {
    Canvas canvas(1280, 800);
    WindowDc screen = WindowDc::ForClient(nullptr);
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        const Rect rect{i % 300, i % 200, 400 + i % 500, 300 + i % 400};
        DrawSelectionFeedback(canvas.Dc(), rect);
        DrawSelectionFeedback(canvas.Dc(), rect);
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

// The screen with a window of four known colours on it.
class CopyScreenAreaTest : public ::testing::Test {
protected:
    void SetUp() override { test::PutTextOnClipboard(L"before"); }
    static HBITMAP ClipboardBitmapSize(Size& size) {
        ClipboardSession clipboard = ClipboardSession::Open(nullptr);
        HBITMAP bitmap = clipboard.Bitmap();
        BITMAP info{};
        if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof info, &info) != 0) {
            size = {info.bmWidth, info.bmHeight};
        }
        return bitmap;
    }
    // The clipboard's owner. Wine lets a second opener in when both name the same window
    // (null included), so the program and the other program each name their own.
    [[nodiscard]] HWND Owner() const { return m_window.Hwnd(); }
    test::PaintedWindow m_window{150, 120, 300, 200, false};
};

TEST_F(CopyScreenAreaTest, ClipboardHoldsExactlyTheAreaOfTheScreen) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    const struct {
        Rect area;
    } cases[] = {
        {{100, 100, 300, 250}}, {{150, 120, 151, 121}}, {{160, 130, 460, 131}}, {{0, 0, 640, 480}}};
    for (const auto& c : cases) {
        const Rect& a = c.area;
        const test::Pixels expected = test::ReadScreen({a.left, a.top, a.right, a.bottom});
        const AreaCopy copy = CopyScreenAreaToClipboard({screen.get(), 0, 0}, Owner(), a.left,
                                                        a.top, a.right, a.bottom);
        ASSERT_EQ(copy.outcome, AreaCopy::Outcome::OnClipboard) << Describe(a);
        EXPECT_FALSE(copy.kept);
        const test::Pixels got = test::ClipboardPixels();
        ASSERT_EQ(got.width, a.right - a.left) << Describe(a);
        ASSERT_EQ(got.height, a.bottom - a.top) << Describe(a);
        EXPECT_EQ(test::Differences(got, expected), 0) << Describe(a);
        EXPECT_EQ(test::TextOnClipboard(), L"");
    }
}

TEST_F(CopyScreenAreaTest, ASnapshotLeftOfAndAboveThePrimaryScreenIsReadAtItsOrigin) {
    // A snapshot whose pixel (0, 0) is the screen point (-300, -200), as with a monitor at the
    // upper left of the primary one.
    Canvas snapshot(800, 600);
    const AreaCopy copy =
        CopyScreenAreaToClipboard({snapshot.Dc(), -300, -200}, Owner(), -250, -150, -100, -50);
    ASSERT_EQ(copy.outcome, AreaCopy::Outcome::OnClipboard);
    const test::Pixels got = test::ClipboardPixels();
    ASSERT_EQ(got.width, 150);
    ASSERT_EQ(got.height, 100);
    for (int y = 0; y < got.height; y += 7) {
        for (int x = 0; x < got.width; x += 5) {
            ASSERT_EQ(got.At(x, y), test::PatternColour(x + 50, y + 50)) << x << "," << y;
        }
    }
}

TEST_F(CopyScreenAreaTest, AnEmptyAreaLeavesTheClipboardAlone) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    for (const Rect& a :
         {Rect{100, 100, 100, 100}, Rect{100, 100, 100, 250}, Rect{100, 100, 300, 100}}) {
        const AreaCopy copy = CopyScreenAreaToClipboard({screen.get(), 0, 0}, Owner(), a.left,
                                                        a.top, a.right, a.bottom);
        EXPECT_EQ(copy.outcome, AreaCopy::Outcome::Nothing) << Describe(a);
        EXPECT_FALSE(copy.kept);
        EXPECT_EQ(test::TextOnClipboard(), L"before") << Describe(a);
    }
}

TEST_F(CopyScreenAreaTest, AClipboardHeldBrieflyElsewhereIsWaitedFor) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    const test::Pixels expected = test::ReadScreen({100, 100, 300, 250});
    test::ClipboardHolder holder(250);
    ASSERT_TRUE(holder.Holding());
    // Another program has it: opening fails with access denied.
    ASSERT_FALSE(::OpenClipboard(Owner()));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    const AreaCopy copy =
        CopyScreenAreaToClipboard({screen.get(), 0, 0}, Owner(), 100, 100, 300, 250);
    ASSERT_EQ(copy.outcome, AreaCopy::Outcome::OnClipboard) << copy.error;
    EXPECT_EQ(test::Differences(test::ClipboardPixels(), expected), 0);
}

TEST_F(CopyScreenAreaTest, AClipboardHeldTooLongKeepsTheBitmapAndItsContents) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    const test::Pixels expected = test::ReadScreen({100, 100, 300, 250});
    const int gdiBefore = test::CountGdiObjects();
    {
        test::ClipboardHolder holder(2000);
        ASSERT_TRUE(holder.Holding());
        const ULONGLONG start = ::GetTickCount64();
        AreaCopy copy =
            CopyScreenAreaToClipboard({screen.get(), 0, 0}, Owner(), 100, 100, 300, 250);
        const ULONGLONG waited = ::GetTickCount64() - start;
        ASSERT_EQ(copy.outcome, AreaCopy::Outcome::Kept);
        EXPECT_GE(waited, 400u);
        EXPECT_LE(waited, 1500u);
        EXPECT_STREQ(copy.failedCall, L"OpenClipboard");
        EXPECT_EQ(copy.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
        ASSERT_TRUE(copy.kept);
        EXPECT_EQ(test::Differences(test::ReadBitmap(copy.kept.get()), expected), 0);
    }
    // The kept bitmap went with its owner; the clipboard still holds what it held.
    EXPECT_EQ(test::CountGdiObjects(), gdiBefore);
    EXPECT_EQ(test::TextOnClipboard(), L"before");
}

TEST_F(CopyScreenAreaTest, TheSessionGivesUpABitmapOnlyWhenTheClipboardTookIt) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    UniqueBitmap refused(::CreateCompatibleBitmap(screen.get(), 8, 8));
    UniqueBitmap taken(::CreateCompatibleBitmap(screen.get(), 9, 7));
    const HBITMAP refusedHandle = refused.get();
    const HBITMAP takenHandle = taken.get();
    {
        ClipboardSession clipboard = ClipboardSession::Open(Owner());
        ASSERT_TRUE(clipboard);
        EXPECT_EQ(::GetOpenClipboardWindow(), Owner());
        ASSERT_TRUE(clipboard.Empty());
        EXPECT_TRUE(clipboard.SetBitmap(taken));
        EXPECT_FALSE(taken);
        EXPECT_EQ(clipboard.Bitmap(), takenHandle);
    }
    // Closed when the session went.
    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
    {
        ClipboardSession again = ClipboardSession::Open(Owner());
        ASSERT_TRUE(again);
        EXPECT_EQ(::GetOpenClipboardWindow(), Owner());
        // Wine lets another thread in when it names the same window, and its CloseClipboard
        // closes the clipboard under the session: SetClipboardData fails here then.
        BOOL opened = FALSE;
        std::thread([&] {
            opened = ::OpenClipboard(Owner());
            ::CloseClipboard();
        }).join();
        EXPECT_TRUE(opened);
        EXPECT_FALSE(again.SetBitmap(refused));
        EXPECT_EQ(again.Error(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
        // Refused, the bitmap stays with its owner, alive.
        EXPECT_EQ(refused.get(), refusedHandle);
        EXPECT_EQ(::GetObjectType(refusedHandle), static_cast<DWORD>(OBJ_BITMAP));
    }
    // Nobody holds it open, and it keeps the bitmap it took.
    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
    Size size;
    EXPECT_NE(ClipboardBitmapSize(size), nullptr);
    EXPECT_EQ(size, (Size{9, 7}));
}

TEST_F(CopyScreenAreaTest, NoGdiObjectLeftBehind) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    // The first copy puts a bitmap on the clipboard, which keeps one from then on.
    CopyScreenAreaToClipboard({screen.get(), 0, 0}, Owner(), 0, 0, 64, 64);
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 200; ++i) {
        const AreaCopy copy = CopyScreenAreaToClipboard({screen.get(), 0, 0}, Owner(), i, i,
                                                        i + 100 + i % 50, i + 80);
        ASSERT_EQ(copy.outcome, AreaCopy::Outcome::OnClipboard);
    }
    EXPECT_LE(test::CountGdiObjects(), before + 1);
    EXPECT_GE(test::CountGdiObjects(), before - 1);
}

}  // namespace
}  // namespace pw
