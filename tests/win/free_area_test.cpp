#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/frm_main.h"
#include "core/ids.h"
#include "area/free_area.h"
#include "main_window_fixture.h"
#include "platform/clipboard.h"
#include "platform/text.h"
#include "support.h"

namespace pw {
namespace {

// The user's hand on the mouse and keyboard, as real input.
void Button(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}
// Moves through the input queue, as a real mouse does. Under Wine each injected move warps the
// X pointer, and the X server's echoes of earlier warps can arrive after it (the thread under
// the pointer reads them only when it looks at its queue), so the move is sent again until
// the cursor has stayed where it was sent.
void MoveTo(int x, int y) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = (x * 65536 + width - 1) / width;
    input.mi.dy = (y * 65536 + height - 1) / height;
    int stayed = 0;
    for (int attempt = 0; attempt < 8 && stayed < 2; ++attempt) {
        ::SendInput(1, &input, sizeof input);
        ::Sleep(100);
        POINT at{};
        ::GetCursorPos(&at);
        stayed = at.x == x && at.y == y ? stayed + 1 : 0;
    }
}
void Key(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof input[0]);
}

class FreeAreaCaptureTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::MainWindowTest::SetUp();
        // Away from the area the tests drag over, which shows a window of known colours.
        ::SetWindowPos(m_form.Hwnd(), nullptr, 700, 250, 450, 400, SWP_NOZORDER);
        test::PumpMessages(50);
        test::PutTextOnClipboard(L"before");
    }

    void Arm() {
        m_form.RunCommand(ids::kMnuDistrict);
        ASSERT_EQ(m_boxes.Count(), 0u) << (m_boxes.Count() ? Narrow(m_boxes.Last().text) : "");
        ASSERT_TRUE(m_form.Snapshot().Shown());
        test::PumpMessages(50);
    }

    // Runs the user's actions on a thread of their own while this thread dispatches the
    // program's messages, the drag's modal loop among them.
    template <typename Actions>
    void AsUser(Actions&& actions) {
        std::atomic<bool> done{false};
        std::thread user([&] {
            actions();
            done = true;
        });
        while (!done) {
            test::PumpMessages(10);
        }
        user.join();
        test::PumpMessages(150);
    }

    void Drag(int x0, int y0, int x1, int y1) {
        AsUser([&] {
            MoveTo(x0, y0);
            Button(MOUSEEVENTF_LEFTDOWN);
            for (int i = 1; i <= 4; ++i) {
                MoveTo(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
            }
            Button(MOUSEEVENTF_LEFTUP);
            ::Sleep(100);
        });
    }

    static test::Pixels ClipboardPixels() {
        ClipboardSession clipboard = ClipboardSession::Open(nullptr);
        return clipboard.Bitmap() != nullptr ? test::ReadBitmap(clipboard.Bitmap())
                                             : test::Pixels{};
    }

    void ExpectIdle() {
        EXPECT_FALSE(m_form.SelectionArmed());
        EXPECT_EQ(m_form.Pointer(), MousePointer::Default);
        EXPECT_EQ(m_form.Scale(), ScaleMode::Twips);
        EXPECT_FALSE(::IsIconic(m_form.Hwnd()));
        EXPECT_TRUE(::IsWindowVisible(m_form.Hwnd()));
        EXPECT_FALSE(m_form.Snapshot().Shown());
        EXPECT_EQ(::GetCapture(), nullptr);
    }

    test::PaintedWindow m_scene{60, 60, 400, 300, false};
};

TEST_F(FreeAreaCaptureTest, ArmedUntilEscapeWhichPutsEverythingBack) {
    EXPECT_FALSE(m_form.ImageUnsaved());
    const test::Pixels scene = test::ReadScreen(m_scene.ClientRectOnScreen());
    Arm();
    const HWND snapshot = m_form.Snapshot().Hwnd();
    RECT covered{};
    ::GetWindowRect(snapshot, &covered);
    const RECT virtualScreen{
        ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
        ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
        ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    EXPECT_TRUE(::EqualRect(&covered, &virtualScreen));
    EXPECT_NE(::GetWindowLongW(snapshot, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    auto expectArmed = [&](const char* when) {
        EXPECT_TRUE(m_form.SelectionArmed()) << when;
        EXPECT_EQ(m_form.Pointer(), MousePointer::Crosshair) << when;
        EXPECT_EQ(m_form.Scale(), ScaleMode::Pixels) << when;
        EXPECT_TRUE(::IsIconic(m_form.Hwnd())) << when;
        // Off every monitor, so that the snapshot does not show its minimised caption.
        RECT minimised{};
        ::GetWindowRect(m_form.Hwnd(), &minimised);
        EXPECT_EQ(::MonitorFromRect(&minimised, MONITOR_DEFAULTTONULL), nullptr) << when;
        EXPECT_EQ(::GetCapture(), snapshot) << when;
        EXPECT_TRUE(m_form.ImageUnsaved()) << when;
        EXPECT_TRUE(m_form.Snapshot().Shown()) << when;
    };
    expectArmed("armed");
    // The snapshot shows the screen as it was.
    EXPECT_EQ(test::Differences(test::ReadScreen(m_scene.ClientRectOnScreen()), scene), 0);
    m_form.RunCommand(ids::kMnuDistrict);
    expectArmed("armed twice");
    AsUser([] {
        MoveTo(200, 200);
        Button(MOUSEEVENTF_RIGHTDOWN);
        Button(MOUSEEVENTF_RIGHTUP);
        Button(MOUSEEVENTF_MIDDLEDOWN);
        Button(MOUSEEVENTF_MIDDLEUP);
        ::Sleep(100);
    });
    expectArmed("after right and middle clicks");
    EXPECT_EQ(test::TextOnClipboard(), L"before");

    AsUser([] {
        Key(VK_ESCAPE);
        ::Sleep(100);
    });
    ExpectIdle();
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(test::TextOnClipboard(), L"before");
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(FreeAreaCaptureTest, ArmingWithoutASnapshotSaysSoAndPutsEverythingBack) {
    {
        // No GDI handle left for the snapshot.
        test::GdiExhaustion exhausted;
        m_form.RunCommand(ids::kMnuDistrict);
    }
    test::PumpMessages(100);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text.find(L"无法完成“自由捕获”"), 0u) << Narrow(m_boxes.Last().text);
    ExpectIdle();
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(test::TextOnClipboard(), L"before");
}

TEST_F(FreeAreaCaptureTest, ADragLandsTheAreaInTheViewAndOnTheClipboard) {
    const RECT area{100, 100, 300, 250};
    const test::Pixels expected = test::ReadScreen(area);
    const struct {
        POINT from;
        POINT to;
    } drags[] = {{{100, 100}, {300, 250}}, {{300, 250}, {100, 100}}, {{300, 100}, {100, 250}}};
    for (const auto& d : drags) {
        test::PutTextOnClipboard(L"before");
        // A picture larger than the view, which shows both bars for it.
        m_form.PicBmp().SetPicture(test::SolidPicture(2000, 1500, RGB(9, 9, 9)));
        m_form.Form_Resize();
        ASSERT_TRUE(::IsWindowVisible(m_form.HScroll1().Hwnd()));
        Arm();
        Drag(d.from.x, d.from.y, d.to.x, d.to.y);
        ExpectIdle();
        EXPECT_EQ(m_boxes.Count(), 0u);
        const Picture& picture = m_form.PicBmp().GetPicture();
        ASSERT_EQ(picture.SizeInPixels(), (Size{200, 150})) << d.from.x << "," << d.from.y;
        EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0);
        EXPECT_EQ(test::Differences(ClipboardPixels(), expected), 0);
        EXPECT_EQ(::GetClipboardOwner(), m_form.Hwnd());
        EXPECT_TRUE(m_form.ImageUnsaved());
        // No feedback left on the screen.
        EXPECT_EQ(test::Differences(test::ReadScreen(area), expected), 0);
        // The view is laid out again for the new picture: it fits, so no bar is shown.
        EXPECT_FALSE(::IsWindowVisible(m_form.HScroll1().Hwnd()));
        EXPECT_FALSE(::IsWindowVisible(m_form.VScroll1().Hwnd()));
    }
}

TEST_F(FreeAreaCaptureTest, TheFrameFollowsEveryButtonAndVanishesAfterwards) {
    const RECT area{100, 100, 300, 250};
    const test::Pixels expected = test::ReadScreen(area);
    Arm();
    uint32_t topEdge = 0;
    uint32_t rightEdge = 0;
    uint32_t outside = 0;
    AsUser([&] {
        MoveTo(100, 100);
        Button(MOUSEEVENTF_LEFTDOWN);
        MoveTo(200, 200);
        // A right press moves the free corner as a move does.
        MoveTo(250, 220);
        Button(MOUSEEVENTF_RIGHTDOWN);
        ::Sleep(150);
        topEdge = test::ReadScreen({175, 100, 176, 101}).At(0, 0);
        rightEdge = test::ReadScreen({249, 150, 250, 151}).At(0, 0);
        outside = test::ReadScreen({251, 150, 252, 151}).At(0, 0);
        Button(MOUSEEVENTF_RIGHTUP);
        MoveTo(300, 250);
        Button(MOUSEEVENTF_LEFTUP);
        ::Sleep(100);
    });
    EXPECT_EQ(topEdge, expected.At(75, 0) ^ 0xFFFFFFu);
    EXPECT_EQ(rightEdge, expected.At(149, 50) ^ 0xFFFFFFu);
    EXPECT_EQ(outside, expected.At(151, 50));
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{200, 150}));
    ExpectIdle();
}

TEST_F(FreeAreaCaptureTest, AGestureQueuedBeforeTheDragStartsIsTakenAtOnce) {
    Arm();
    // The whole gesture is queued before this thread looks at its queue again, as when the
    // program was busy while the user dragged; no input follows.
    std::thread([] {
        MoveTo(100, 100);
        Button(MOUSEEVENTF_LEFTDOWN);
        MoveTo(300, 250);
        Button(MOUSEEVENTF_LEFTUP);
    }).join();
    // A late nudge, so that a drag that waits for new input does not wait for ever.
    std::atomic<bool> over{false};
    std::thread nudge([&] {
        for (int i = 0; i < 50 && !over; ++i) {
            ::Sleep(100);
        }
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        move.mi.dx = 40;
        ::SendInput(1, &move, sizeof move);
    });
    const ULONGLONG start = ::GetTickCount64();
    while (m_form.Snapshot().Shown() && ::GetTickCount64() - start < 8000) {
        test::PumpMessages(10);
    }
    const ULONGLONG took = ::GetTickCount64() - start;
    over = true;
    nudge.join();
    test::PumpMessages(150);
    EXPECT_LT(took, 2000u);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{200, 150}));
    ExpectIdle();
}

TEST_F(FreeAreaCaptureTest, AClickWithoutADragChangesNothing) {
    m_form.PicBmp().SetPicture(test::SolidPicture(50, 40, RGB(1, 2, 3)));
    const HBITMAP shown = m_form.PicBmp().GetPicture().Bitmap();
    Arm();
    AsUser([] {
        MoveTo(200, 200);
        Button(MOUSEEVENTF_LEFTDOWN);
        ::Sleep(50);
        Button(MOUSEEVENTF_LEFTUP);
        ::Sleep(100);
    });
    ExpectIdle();
    EXPECT_EQ(m_boxes.Count(), 0u);
    EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), shown);
    EXPECT_EQ(test::TextOnClipboard(), L"before");
    EXPECT_FALSE(m_form.ImageUnsaved());
}

TEST_F(FreeAreaCaptureTest, ABusyClipboardStillShowsTheCaptureAndSaysSo) {
    const test::Pixels expected = test::ReadScreen({100, 100, 300, 250});
    Arm();
    {
        test::ClipboardHolder holder(2500);
        ASSERT_TRUE(holder.Holding());
        Drag(100, 100, 300, 250);
        ExpectIdle();
        ASSERT_EQ(m_boxes.Count(), 1u);
        EXPECT_EQ(m_boxes.Last().text.find(L"无法完成“自由捕获”"), 0u)
            << Narrow(m_boxes.Last().text);
        EXPECT_NE(m_boxes.Last().text.find(kClipboardRefused), std::wstring::npos);
        EXPECT_NE(m_boxes.Last().text.find(L"OpenClipboard"), std::wstring::npos);
        const Picture& picture = m_form.PicBmp().GetPicture();
        ASSERT_EQ(picture.SizeInPixels(), (Size{200, 150}));
        EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0);
        EXPECT_TRUE(m_form.ImageUnsaved());
    }
    EXPECT_EQ(test::TextOnClipboard(), L"before");
}

}  // namespace
}  // namespace pw
