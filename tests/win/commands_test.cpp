#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/frm_main.h"
#include "core/ids.h"
#include "capture/capture.h"
#include "main_window_fixture.h"
#include "platform/text.h"
#include "support.h"

namespace pw {
namespace {

class CommandsTest : public test::MainWindowTest {
protected:
    Picture Shown() { return m_form.PicBmp().GetPicture(); }
    RECT ClientOnScreen() const {
        RECT rect{};
        ::GetClientRect(m_form.Hwnd(), &rect);
        ::MapWindowPoints(m_form.Hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

TEST_F(CommandsTest, ClientAreaCaptureIsTheClientAreaAsShown) {
    const RECT client = ClientOnScreen();
    const test::Pixels before = test::ReadScreen(client);
    EXPECT_FALSE(m_form.ImageUnsaved());
    m_form.RunCommand(ids::kMnuClient);
    EXPECT_EQ(m_boxes.Count(), 0u);
    const Picture& picture = m_form.PicBmp().GetPicture();
    ASSERT_EQ(picture.SizeInPixels(), (Size{client.right - client.left, client.bottom - client.top}));
    EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), before), 0);
    EXPECT_TRUE(m_form.ImageUnsaved());
}

TEST_F(CommandsTest, CurrentWindowCaptureIncludesTheFrame) {
    RECT outer{};
    ::GetWindowRect(m_form.Hwnd(), &outer);
    const test::Pixels before = test::ReadScreen(outer);
    m_form.RunCommand(ids::kMnuTitleBar);
    const Picture& picture = m_form.PicBmp().GetPicture();
    ASSERT_EQ(picture.SizeInPixels(), (Size{outer.right - outer.left, outer.bottom - outer.top}));
    EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), before), 0);
    EXPECT_TRUE(m_form.ImageUnsaved());
    // The picture is now larger than the view, which lays itself out for it.
    EXPECT_TRUE(::IsWindowVisible(m_form.HScroll1().Hwnd()));
}

TEST_F(CommandsTest, WholeScreenCaptureComesBackShownAndActive) {
    m_form.RunCommand(ids::kMnuScreen);
    EXPECT_EQ(m_boxes.Count(), 0u);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(),
              (Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}));
    EXPECT_TRUE(::IsWindowVisible(m_form.Hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), m_form.Hwnd());
    EXPECT_TRUE(m_form.ImageUnsaved());
    EXPECT_TRUE(::IsWindowVisible(m_form.VScroll1().Hwnd()));
}

TEST_F(CommandsTest, DelayedCaptureCancelledChangesNothing) {
    m_boxes.Answer(IDCANCEL);
    const Picture before = Shown();
    m_form.RunCommand(ids::kMnuAtiveWindow);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text, kDelayedCapturePrompt);
    EXPECT_EQ(m_boxes.Last().title, L"Pixelwren v1.0");
    EXPECT_EQ(m_boxes.Last().style, 0x41u);
    EXPECT_EQ(m_boxes.Last().owner, m_form.Hwnd());
    EXPECT_TRUE(Shown() == before);
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_FALSE(::IsIconic(m_form.Hwnd()));
}

TEST_F(CommandsTest, DelayedCaptureTakesTheActiveWindowAndComesBackNormal) {
    // The user: on a thread of its own, since the command blocks this one, it activates its
    // window as soon as Pixelwren has minimised itself.
    const HWND form = m_form.Hwnd();
    std::atomic<bool> done{false};
    std::atomic<HWND> targetWindow{nullptr};
    RECT outer{};
    std::thread user([&] {
        test::PaintedWindow target(500, 300, 170, 110);
        outer = target.WindowRect();
        targetWindow = target.Hwnd();
        while (!done) {
            if (::IsIconic(form) && ::GetForegroundWindow() != target.Hwnd()) {
                ::SetForegroundWindow(target.Hwnd());
            }
            test::PumpMessages(10);
        }
    });
    while (targetWindow == nullptr) {
        ::Sleep(5);
    }
    ::ShowWindow(form, SW_MAXIMIZE);
    ::SetForegroundWindow(form);
    test::PumpMessages(50);

    m_boxes.Answer(IDOK);
    const ULONGLONG start = ::GetTickCount64();
    m_form.RunCommand(ids::kMnuAtiveWindow);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    done = true;
    user.join();

    EXPECT_GE(elapsed, 1900u);
    EXPECT_EQ(m_boxes.Count(), 1u) << (m_boxes.Count() > 1 ? m_boxes.Last().text : L"");
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(),
              (Size{outer.right - outer.left, outer.bottom - outer.top}));
    EXPECT_TRUE(m_form.ImageUnsaved());
    // Back in the normal state, not maximised as before.
    EXPECT_FALSE(::IsIconic(form));
    EXPECT_FALSE(::IsZoomed(form));
}

TEST_F(CommandsTest, DelayedCaptureWithNoOtherActiveWindowKeepsThePicture) {
    m_form.RunCommand(ids::kMnuClient);
    const Picture before = Shown();
    m_boxes.Answer(IDOK);  // the prompt
    m_boxes.Answer(IDOK);  // the report
    m_form.RunCommand(ids::kMnuAtiveWindow);
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_NE(m_boxes.Last().text.find(kNoOtherActiveWindow), std::wstring::npos);
    EXPECT_NE(m_boxes.Last().text.find(L"“延时捕获”"), std::wstring::npos);
    EXPECT_TRUE(Shown() == before);
    EXPECT_FALSE(::IsIconic(m_form.Hwnd()));
}

TEST_F(CommandsTest, NothingToCaptureIsReportedAndChangesNothing) {
    m_form.RunCommand(ids::kMnuClient);
    const Picture before = Shown();
    ASSERT_TRUE(m_form.ImageUnsaved());
    ::ShowWindow(m_form.Hwnd(), SW_MINIMIZE);  // a minimised window has no client area
    test::PumpMessages(30);
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuClient);
    ASSERT_EQ(m_boxes.Count(), 1u);
    const std::wstring& text = m_boxes.Last().text;
    EXPECT_NE(text.find(L"“当前工作区”"), std::wstring::npos) << text;
    EXPECT_NE(text.find(kNothingToCapture), std::wstring::npos) << text;
    EXPECT_TRUE(Shown() == before);
    EXPECT_TRUE(m_form.ImageUnsaved());
}

TEST_F(CommandsTest, FailingPlatformCallsAreReportedAndChangeNothing) {
    const Picture before = Shown();
    const int objects = test::CountGdiObjects();
    m_boxes.Answer(IDOK);
    m_boxes.Answer(IDOK);
    {
        test::GdiExhaustion exhaustion;
        ASSERT_GT(exhaustion.Held(), 1000u);
        m_form.RunCommand(ids::kMnuTitleBar);
        m_form.RunCommand(ids::kMnuScreen);
    }
    ASSERT_EQ(m_boxes.Count(), 2u);
    const auto& asked = m_boxes.History();
    EXPECT_NE(asked[0].text.find(L"“当前窗口”"), std::wstring::npos);
    EXPECT_NE(asked[1].text.find(L"“整个屏幕”"), std::wstring::npos);
    for (const auto& box : asked) {
        // Each names the call that failed.
        EXPECT_NE(box.text.find(L" 失败"), std::wstring::npos) << box.text;
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    }
    EXPECT_TRUE(Shown() == before);
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_TRUE(::IsWindowVisible(m_form.Hwnd()));  // the screen capture put it back
    EXPECT_EQ(test::CountGdiObjects(), objects);

    // And the commands work again once the system has handles to give.
    m_form.RunCommand(ids::kMnuTitleBar);
    EXPECT_EQ(m_boxes.Count(), 2u);
    EXPECT_TRUE(m_form.ImageUnsaved());
}

TEST_F(CommandsTest, HotkeysCaptureWhileTheWindowIsMinimised) {
    ::ShowWindow(m_form.Hwnd(), SW_MINIMIZE);
    test::PumpMessages(50);
    // Print Screen: the whole screen, the window staying minimised.
    PressHotkey(ids::kMnuScreen, 0);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(),
              (Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}));
    EXPECT_TRUE(::IsIconic(m_form.Hwnd()));
    EXPECT_TRUE(::IsWindowVisible(m_form.Hwnd()));
    // Alt+Print Screen: the window that is active then, at once.
    test::PaintedWindow active(300, 200, 170, 110);
    ::SetForegroundWindow(active.Hwnd());
    test::PumpMessages(50);
    ASSERT_EQ(::GetForegroundWindow(), active.Hwnd());
    const RECT outer = active.WindowRect();
    const RECT client = active.ClientRectOnScreen();
    PressHotkey(ids::kActiveWindowNow, MOD_ALT);
    EXPECT_EQ(m_boxes.Count(), 0u);
    const Picture& picture = m_form.PicBmp().GetPicture();
    ASSERT_EQ(picture.SizeInPixels(), (Size{outer.right - outer.left, outer.bottom - outer.top}));
    const test::Pixels pixels = test::ReadBitmap(picture.Bitmap());
    for (const POINT at : {POINT{5, 5}, POINT{160, 100}}) {
        EXPECT_EQ(pixels.At(client.left - outer.left + at.x, client.top - outer.top + at.y),
                  active.ExpectedAt(at.x, at.y));
    }
    EXPECT_TRUE(m_form.ImageUnsaved());
    EXPECT_TRUE(::IsIconic(m_form.Hwnd()));
}

TEST_F(CommandsTest, AHotkeyPressedWhileAMessageIsUpDoesNothing) {
    PressHotkey(ids::kMnuScreen, 0);
    const HBITMAP captured = m_form.PicBmp().GetPicture().Bitmap();
    ASSERT_NE(captured, nullptr);
    const auto pressedWhileAsked = [&] {
        m_boxes.WhileAsked([&] { PressHotkey(ids::kMnuScreen, 0); });
    };
    // The question about the unsaved capture at a close, cancelled: a capture taken meanwhile
    // would be closed unasked at the next.
    pressedWhileAsked();
    m_boxes.Answer(IDCANCEL);
    ::SendMessageW(m_form.Hwnd(), WM_CLOSE, 0, 0);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), captured);
    // A command's failure report: repeat with no area kept.
    pressedWhileAsked();
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuRepeat);
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_NE(m_boxes.Last().text.find(kNoLastArea), std::wstring::npos);
    EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), captured);
    // Once the boxes are gone it works again.
    PressHotkey(ids::kMnuScreen, 0);
    EXPECT_NE(m_form.PicBmp().GetPicture().Bitmap(), captured);
}

TEST_F(CommandsTest, CopyPutsThePictureOnTheClipboard) {
    test::PutTextOnClipboard(L"before");
    // Nothing to copy yet: said so, the clipboard as it was.
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuCopy);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text.find(L"无法完成“复制”"), 0u) << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(kNothingToCopy), std::wstring::npos);
    EXPECT_EQ(test::TextOnClipboard(), L"before");

    m_form.PicBmp().SetPicture(test::PatternPicture(300, 200));
    const HBITMAP shown = m_form.PicBmp().GetPicture().Bitmap();
    const test::Pixels expected = test::ReadBitmap(shown);
    {
        // Another program holds the clipboard for longer than the copy asks again.
        test::ClipboardHolder holder(2500);
        ASSERT_TRUE(holder.Holding());
        m_boxes.Answer(IDOK);
        m_form.RunCommand(ids::kMnuCopy);
        ASSERT_EQ(m_boxes.Count(), 2u);
        const std::wstring& text = m_boxes.Last().text;
        EXPECT_EQ(text.find(L"无法完成“复制”"), 0u) << Narrow(text);
        EXPECT_NE(text.find(kCopyClipboardHeld), std::wstring::npos) << Narrow(text);
        EXPECT_NE(text.find(L"OpenClipboard"), std::wstring::npos) << Narrow(text);
    }
    EXPECT_EQ(test::TextOnClipboard(), L"before");

    m_form.RunCommand(ids::kMnuCopy);
    EXPECT_EQ(m_boxes.Count(), 2u);
    EXPECT_EQ(test::Differences(test::ClipboardPixels(), expected), 0);
    EXPECT_EQ(::GetClipboardOwner(), m_form.Hwnd());
    // The view keeps its picture, and copying is not saving nor capturing.
    EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), shown);
    EXPECT_EQ(test::Differences(test::ReadBitmap(shown), expected), 0);
    EXPECT_FALSE(m_form.ImageUnsaved());
}

}  // namespace
}  // namespace pw
