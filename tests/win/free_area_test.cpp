#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <thread>
#include <utility>
#include <vector>

#include "app/frm_main.h"
#include "core/ids.h"
#include "area/free_area.h"
#include "capture/capture.h"
#include "files.h"
#include "main_window_fixture.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "support.h"

namespace pw {
namespace {

// What the tests make a step after the press fail with.
constexpr wchar_t kMadeToFail[] = L"测试让这一步失败。";

// A key going down, or up with KEYEVENTF_KEYUP, for a key held across other input.
INPUT Key(WORD key, DWORD flags = 0) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

// The system's steps after the press, one of which can be made to fail as a system call can:
// it throws, or the copy comes back as the clipboard gives it back when it refuses it.
class ScriptedSteps final : public SystemAreaCaptureSteps {
public:
    enum class Step { None, Track, Copy, ReadBack };
    Step failIn = Step::None;
    // Non-null: the clipboard refuses the copy at this call, with `error`.
    const wchar_t* refusedBy = nullptr;
    DWORD error = 0;

    Rect Track(HWND hWnd, POINT& anchor, PointerAids& aids) override {
        FailIn(Step::Track);
        return SystemAreaCaptureSteps::Track(hWnd, anchor, aids);
    }
    AreaCopy Copy(const ScreenSource& screen, HWND owner, const Rect& area) override {
        FailIn(Step::Copy);
        if (refusedBy == nullptr) {
            return SystemAreaCaptureSteps::Copy(screen, owner, area);
        }
        AreaCopy copy;
        copy.outcome = AreaCopy::Outcome::Kept;
        copy.kept =
            CopyToNewBitmap(screen.dc, area.left - screen.originX, area.top - screen.originY,
                            area.right - area.left, area.bottom - area.top);
        copy.failedCall = refusedBy;
        copy.error = error;
        return copy;
    }
    std::optional<Picture> ReadBack(HWND owner) override {
        FailIn(Step::ReadBack);
        return SystemAreaCaptureSteps::ReadBack(owner);
    }

private:
    void FailIn(Step step) const {
        if (step == failIn) {
            throw Failure(kMadeToFail);
        }
    }
};

class FreeAreaCaptureTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::MainWindowTest::SetUp();
        // Away from the area the tests drag over, which shows a window of known colours.
        ::SetWindowPos(m_form.Hwnd(), nullptr, 700, 250, 450, 400, SWP_NOZORDER);
        test::PumpMessages(50);
        test::PutTextOnClipboard(L"before");
        m_form.SetAreaCaptureSteps(m_steps);
    }

    void Arm() {
        const size_t boxes = m_boxes.Count();
        m_form.RunCommand(ids::kMnuDistrict);
        ASSERT_EQ(m_boxes.Count(), boxes) << Narrow(m_boxes.Last().text);
        ASSERT_TRUE(m_form.Snapshot().Shown());
        test::PumpMessages(50);
    }

    // Dispatches the program's messages until the capture is over, armed or shown no more.
    void WaitUntilOver() {
        const ULONGLONG start = ::GetTickCount64();
        while ((m_form.SelectionArmed() || m_form.Snapshot().Shown()) &&
               ::GetTickCount64() - start < 5000) {
            test::PumpMessages(10);
        }
        test::PumpMessages(150);
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
            test::MoveMouseTo(x0, y0);
            test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
            for (int i = 1; i <= 4; ++i) {
                test::MoveMouseTo(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
            }
            test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
            ::Sleep(100);
        });
    }

    void PressKeys(std::initializer_list<WORD> keys) {
        AsUser([&] {
            test::PressKeys(keys);
            ::Sleep(100);
        });
    }

    // Arms, drags from (100, 100) to (300, 250), and gives the one report that follows, with
    // the program idle again.
    std::wstring ReportedDrag() {
        const size_t boxes = m_boxes.Count();
        Arm();
        m_boxes.Answer(IDOK);
        Drag(100, 100, 300, 250);
        WaitUntilOver();
        ExpectIdle();
        EXPECT_EQ(m_boxes.Count(), boxes + 1);
        return m_boxes.Count() == boxes + 1 ? m_boxes.Last().text : L"(no report)";
    }

    void ExpectIdle() {
        EXPECT_FALSE(m_form.SelectionArmed());
        EXPECT_EQ(m_form.Pointer(), MousePointer::Default);
        EXPECT_EQ(m_form.Scale(), ScaleMode::Twips);
        EXPECT_FALSE(::IsIconic(m_form.Hwnd()));
        EXPECT_TRUE(::IsWindowVisible(m_form.Hwnd()));
        // Back where it was before arming.
        RECT placed{};
        ::GetWindowRect(m_form.Hwnd(), &placed);
        const RECT before{700, 250, 1150, 650};
        EXPECT_TRUE(::EqualRect(&placed, &before))
            << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;
        EXPECT_FALSE(m_form.Snapshot().Shown());
        EXPECT_EQ(::GetCapture(), nullptr);
    }

    ScriptedSteps m_steps;
    test::PaintedWindow m_scene{60, 60, 400, 300, false};
};

// Each change of the main window's transitions, with whether it was minimised then.
std::vector<std::pair<BOOL, bool>> g_transitions;
HWND g_transitionsOf = nullptr;
void RecordTransitions(HWND window, BOOL disabled) {
    if (window == g_transitionsOf) {
        g_transitions.emplace_back(disabled, ::IsIconic(window) != FALSE);
    }
}

TEST_F(FreeAreaCaptureTest, ArmedUntilEscapeWhichPutsEverythingBack) {
    EXPECT_FALSE(m_form.ImageUnsaved());
    g_transitions.clear();
    g_transitionsOf = m_form.Hwnd();
    struct SystemTransitionsAgain {
        ~SystemTransitionsAgain() { ReplaceTransitionsSetter(nullptr); }
    } systemAgain;
    ReplaceTransitionsSetter(RecordTransitions);
    const test::Pixels scene = test::ReadScreen(m_scene.ClientRectOnScreen());
    // The magnifier beside the pointer, away from the scene.
    AsUser([] { test::MoveMouseTo(640, 700); });
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
        test::MoveMouseTo(200, 200);
        test::SendInputs(
            {test::MouseButton(MOUSEEVENTF_RIGHTDOWN), test::MouseButton(MOUSEEVENTF_RIGHTUP),
             test::MouseButton(MOUSEEVENTF_MIDDLEDOWN), test::MouseButton(MOUSEEVENTF_MIDDLEUP)});
        ::Sleep(100);
    });
    expectArmed("after right and middle clicks");
    EXPECT_EQ(test::TextOnClipboard(), L"before");

    PressKeys({VK_ESCAPE});
    ExpectIdle();
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(test::TextOnClipboard(), L"before");
    EXPECT_EQ(m_boxes.Count(), 0u);
    // No animation while it minimises for the snapshot, nor while it comes back: off before
    // each change of state, on again after it.
    EXPECT_EQ(g_transitions, (std::vector<std::pair<BOOL, bool>>{
                                 {TRUE, false}, {FALSE, true}, {TRUE, true}, {FALSE, false}}));
}

TEST_F(FreeAreaCaptureTest, ArmingWithoutASnapshotSaysSoAndPutsEverythingBack) {
    m_boxes.Answer(IDOK);
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
    } drags[] = {{{100, 100}, {300, 250}},
                 // Ends with the magnifier over the area: the copy, taken from the snapshot,
                 // does not show it.
                 {{300, 250}, {100, 100}},
                 {{300, 100}, {100, 250}}};
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
        EXPECT_EQ(test::Differences(test::ClipboardPixels(), expected), 0);
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
        test::MoveMouseTo(100, 100);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
        test::MoveMouseTo(200, 200);
        // A right press moves the free corner as a move does.
        test::MoveMouseTo(250, 220);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_RIGHTDOWN)});
        ::Sleep(150);
        topEdge = test::ReadScreen({175, 100, 176, 101}).At(0, 0);
        rightEdge = test::ReadScreen({249, 150, 250, 151}).At(0, 0);
        outside = test::ReadScreen({251, 150, 252, 151}).At(0, 0);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_RIGHTUP)});
        test::MoveMouseTo(300, 250);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
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
        test::MoveMouseTo(100, 100);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
        test::MoveMouseTo(300, 250);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
    }).join();
    // A late nudge, so that a drag that waits for new input does not wait for ever.
    std::atomic<bool> over{false};
    std::thread nudge([&] {
        for (int i = 0; i < 50 && !over; ++i) {
            ::Sleep(100);
        }
        test::SendInputs({test::MouseAt(340, 250)});
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
        test::MoveMouseTo(200, 200);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
        ::Sleep(50);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
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
        m_boxes.Answer(IDOK);
        Drag(100, 100, 300, 250);
        ExpectIdle();
        ASSERT_EQ(m_boxes.Count(), 1u);
        EXPECT_EQ(m_boxes.Last().text.find(L"无法完成“自由捕获”"), 0u)
            << Narrow(m_boxes.Last().text);
        EXPECT_NE(m_boxes.Last().text.find(kClipboardHeld), std::wstring::npos);
        EXPECT_NE(m_boxes.Last().text.find(L"OpenClipboard"), std::wstring::npos);
        const Picture& picture = m_form.PicBmp().GetPicture();
        ASSERT_EQ(picture.SizeInPixels(), (Size{200, 150}));
        EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0);
        EXPECT_TRUE(m_form.ImageUnsaved());
    }
    EXPECT_EQ(test::TextOnClipboard(), L"before");
}

TEST_F(FreeAreaCaptureTest, EveryOtherEndOfTheSnapshotCancelsAsEscDoes) {
    const struct {
        const char* way;
        std::function<void(HWND snapshot)> end;
    } ends[] = {
        {"Alt+F4",
         [&](HWND) {
             PressKeys({VK_MENU, VK_F4});
         }},
        {"another program's close request",
         [](HWND snapshot) {
             std::thread([=] { ::PostMessageW(snapshot, WM_CLOSE, 0, 0); }).join();
         }},
        {"destroyed", [](HWND snapshot) { ::DestroyWindow(snapshot); }},
        // As the taskbar brings a minimised window back; the main window becomes active.
        {"the main window restored",
         [&](HWND) {
             const HWND main = m_form.Hwnd();
             std::thread([=] { ::PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0); }).join();
         }},
    };
    for (const auto& e : ends) {
        SCOPED_TRACE(e.way);
        Arm();
        e.end(m_form.Snapshot().Hwnd());
        WaitUntilOver();
        ExpectIdle();
        EXPECT_FALSE(m_form.ImageUnsaved());
        // The snapshot's bitmap is freed with it. (Counting GDI objects cannot tell: Wine
        // keeps some the first time a process's window is restored or shows the crosshair.)
        EXPECT_EQ(m_form.Snapshot().Source().dc, nullptr);
        // Armed again, as if nothing had happened.
        Arm();
        EXPECT_EQ(::GetCapture(), m_form.Snapshot().Hwnd());
        PressKeys({VK_ESCAPE});
        ExpectIdle();
    }
    EXPECT_EQ(test::TextOnClipboard(), L"before");
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(FreeAreaCaptureTest, ACloseRequestWhileArmedEndsTheCaptureFirst) {
    // With an earlier capture unsaved, the question is asked over no snapshot, about that one.
    m_form.RunCommand(ids::kMnuClient);
    Arm();
    m_boxes.Answer(IDCANCEL);
    const HWND main = m_form.Hwnd();
    std::thread([=] { ::PostMessageW(main, WM_CLOSE, 0, 0); }).join();
    WaitUntilOver();
    ExpectIdle();
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text, kSaveQuestion);
    EXPECT_TRUE(m_form.ImageUnsaved());
    // Saved, nothing is left to ask about: arming alone captured nothing, and the window goes.
    test::ScratchFolder folder;
    test::ScriptedFileDialogs dialogs;
    m_form.SetFileDialogs(dialogs);
    dialogs.Confirm(folder / L"kept.bmp");
    m_form.RunCommand(ids::kMnuSave);
    Arm();
    std::thread([=] { ::PostMessageW(main, WM_CLOSE, 0, 0); }).join();
    test::PumpMessages(200);
    EXPECT_FALSE(::IsWindow(main));
    EXPECT_EQ(m_boxes.Count(), 1u);
}

TEST_F(FreeAreaCaptureTest, ADragThatLostTheCaptureEndsWhenTheUsersLeftButtonComesUp) {
    // Once another window has the capture, the drag's own release never arrives: the drag
    // watches the button the user knows as the left one, with swapped buttons the physical
    // right. The press that starts it is posted, so that no physical button is down.
    struct Unswap {
        ~Unswap() { ::SwapMouseButton(FALSE); }
    } unswap;
    for (const bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "swapped buttons" : "buttons as made");
        ::SwapMouseButton(swapped);
        ASSERT_EQ(::GetSystemMetrics(SM_SWAPBUTTON) != 0, swapped);
        Arm();
        const HWND snapshot = m_form.Snapshot().Hwnd();
        bool draggingAfterTheLoss = false;
        AsUser([&] {
            test::MoveMouseTo(100, 100);
            ::PostMessageW(snapshot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
            ::Sleep(100);
            test::MoveMouseTo(300, 250);
            test::SendInputs({test::MouseButton(MOUSEEVENTF_RIGHTDOWN)});
            ::Sleep(100);
            // The default handling gives the capture up.
            ::SendMessageW(snapshot, WM_CANCELMODE, 0, 0);
            ::Sleep(400);
            draggingAfterTheLoss = m_form.Snapshot().Shown();
            test::SendInputs({test::MouseButton(MOUSEEVENTF_RIGHTUP)});
            ::Sleep(100);
        });
        WaitUntilOver();
        ExpectIdle();
        EXPECT_EQ(draggingAfterTheLoss, swapped);
        EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{200, 150}));
    }
}

TEST_F(FreeAreaCaptureTest, ArmingAgainWithNoSnapshotOnTheScreenStartsOver) {
    Arm();
    // Hidden behind the program's back, the snapshot takes neither a press nor Esc.
    ::ShowWindow(m_form.Snapshot().Hwnd(), SW_HIDE);
    Arm();
    EXPECT_TRUE(::IsIconic(m_form.Hwnd()));
    EXPECT_EQ(::GetCapture(), m_form.Snapshot().Hwnd());
    EXPECT_TRUE(m_form.ImageUnsaved());
    PressKeys({VK_ESCAPE});
    ExpectIdle();
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(FreeAreaCaptureTest, AFailureAfterThePressEndsTheCaptureAndChangesNothing) {
    m_form.PicBmp().SetPicture(test::SolidPicture(50, 40, RGB(1, 2, 3)));
    const HBITMAP shown = m_form.PicBmp().GetPicture().Bitmap();
    const struct {
        ScriptedSteps::Step step;
        const char* name;
        bool clipboardKept;  // reading back fails after the copy is on the clipboard
    } failures[] = {{ScriptedSteps::Step::Track, "tracking", true},
                    {ScriptedSteps::Step::Copy, "copying", true},
                    {ScriptedSteps::Step::ReadBack, "reading back", false}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        test::PutTextOnClipboard(L"before");
        m_steps.failIn = f.step;
        const std::wstring text = ReportedDrag();
        EXPECT_EQ(text.find(L"无法完成“自由捕获”"), 0u) << Narrow(text);
        EXPECT_NE(text.find(kMadeToFail), std::wstring::npos) << Narrow(text);
        EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), shown);
        EXPECT_FALSE(m_form.ImageUnsaved());
        EXPECT_EQ(test::TextOnClipboard() == L"before", f.clipboardKept);
    }
}

TEST_F(FreeAreaCaptureTest, AClipboardThatRefusesTheCaptureIsToldByWhatFailed) {
    const test::Pixels expected = test::ReadScreen({100, 100, 300, 250});
    // The refusal by another program holding the clipboard is the busy clipboard's test.
    const struct {
        const wchar_t* call;
        DWORD error;
        const wchar_t* says;
    } refusals[] = {{L"OpenClipboard", ERROR_INVALID_WINDOW_HANDLE, kClipboardNotOpened},
                    {L"EmptyClipboard", ERROR_CLIPBOARD_NOT_OPEN, kClipboardNotEmptied},
                    {L"SetClipboardData", ERROR_NOT_ENOUGH_MEMORY, kClipboardNotTaken}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(Narrow(r.call));
        m_steps.refusedBy = r.call;
        m_steps.error = r.error;
        const std::wstring text = ReportedDrag();
        EXPECT_NE(text.find(r.says), std::wstring::npos) << Narrow(text);
        EXPECT_NE(text.find(r.call), std::wstring::npos) << Narrow(text);
        // Nobody else is blamed.
        EXPECT_EQ(text.find(L"其他程序"), std::wstring::npos) << Narrow(text);
        // The capture is in the view all the same.
        const Picture& picture = m_form.PicBmp().GetPicture();
        EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0);
        EXPECT_TRUE(m_form.ImageUnsaved());
    }
}

TEST_F(FreeAreaCaptureTest, ArrowsMoveThePointerAndEnterOrSpaceEndTheDragWhereEscCancelsIt) {
    // Armed: two pixels right, ten down with Shift; Enter and Space start nothing. In the
    // drag: one left, ten up, then the end key.
    const RECT area{102, 110, 299, 240};
    const test::Pixels expected = test::ReadScreen(area);
    const struct {
        WORD key;
        bool lands;
    } ends[] = {{VK_ESCAPE, false}, {VK_RETURN, true}, {VK_SPACE, true}};
    for (const auto& e : ends) {
        SCOPED_TRACE(e.key);
        test::PutTextOnClipboard(L"before");
        m_form.PicBmp().SetPicture(test::SolidPicture(50, 40, RGB(1, 2, 3)));
        Arm();
        POINT armedAt{};
        AsUser([&] {
            test::MoveMouseTo(100, 100);
            ::Sleep(150);
            test::PressKeys({VK_RIGHT});
            test::PressKeys({VK_RIGHT});
            test::PressKeys({VK_SHIFT, VK_DOWN});
            test::PressKeys({VK_RETURN});
            test::PressKeys({VK_SPACE});
            ::Sleep(150);
            ::GetCursorPos(&armedAt);
        });
        EXPECT_EQ(armedAt.x, 102);
        EXPECT_EQ(armedAt.y, 110);
        ASSERT_TRUE(m_form.SelectionArmed());
        ASSERT_TRUE(m_form.Snapshot().Shown());
        AsUser([&] {
            test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
            test::MoveMouseTo(300, 250);
            ::Sleep(150);
            test::PressKeys({VK_LEFT});
            test::PressKeys({VK_SHIFT, VK_UP});
            test::PressKeys({e.key});
            ::Sleep(150);
            // The hand lets go of the button elsewhere, after the drag has ended.
            test::MoveMouseTo(400, 320);
            test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
            ::Sleep(100);
        });
        WaitUntilOver();
        ExpectIdle();
        EXPECT_EQ(m_boxes.Count(), 0u);
        EXPECT_EQ(m_form.ImageUnsaved(), e.lands);
        if (e.lands) {
            const Picture& picture = m_form.PicBmp().GetPicture();
            EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0);
            EXPECT_EQ(test::Differences(test::ClipboardPixels(), expected), 0);
        } else {
            EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{50, 40}));
            EXPECT_EQ(test::TextOnClipboard(), L"before");
        }
        // No frame left behind.
        EXPECT_EQ(test::Differences(test::ReadScreen(area), expected), 0);
    }
}

TEST_F(FreeAreaCaptureTest, AltSnapsToTheEdgesOfTheWindowBeneathWithinEightPixels) {
    // The scene's window covers (60, 60) to (460, 360).
    const struct {
        bool alt;
        POINT from;
        POINT to;
        RECT lands;
    } drags[] = {
        {true, {68, 69}, {452, 352}, {60, 69, 460, 360}},  // 8 pixels snap, 9 do not
        {true, {69, 68}, {451, 351}, {69, 60, 451, 351}},
        {false, {68, 69}, {452, 352}, {68, 69, 452, 352}},  // Shift for Alt: nothing snaps
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(testing::Message() << d.alt << " " << d.from.x << "," << d.from.y);
        const test::Pixels expected = test::ReadScreen(d.lands);
        Arm();
        const WORD held = d.alt ? VK_MENU : VK_SHIFT;
        AsUser([&] {
            test::MoveMouseTo(d.from.x, d.from.y);
            test::SendInputs({Key(held)});
            ::Sleep(100);
            test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
            test::MoveMouseTo(d.to.x, d.to.y);
            test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
            ::Sleep(200);
            test::SendInputs({Key(held, KEYEVENTF_KEYUP)});
            ::Sleep(100);
        });
        WaitUntilOver();
        ExpectIdle();
        const Picture& picture = m_form.PicBmp().GetPicture();
        ASSERT_EQ(picture.SizeInPixels(),
                  (Size{d.lands.right - d.lands.left, d.lands.bottom - d.lands.top}));
        EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0);
    }
}

TEST_F(FreeAreaCaptureTest, TheMagnifierShowsTheSnapshotAtEightTimesBesideThePointer) {
    // Where the scene's four colours meet, as the screen showed it before arming.
    const POINT middle{260, 210};
    const test::Pixels around =
        test::ReadScreen({middle.x - kMagnifierRadius, middle.y - kMagnifierRadius,
                          middle.x + kMagnifierRadius + 1, middle.y + kMagnifierRadius + 1});
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    const POINT edges[] = {{0, 0},     {w / 2, 0},     {w - 1, 0},
                           {0, h / 2}, {w / 2, h / 2}, {w - 1, h / 2},
                           {0, h - 1}, {w / 2, h - 1}, {w - 1, h - 1}};
    Arm();
    const auto place = [&] { return m_form.Snapshot().MagnifierPlace().value_or(RECT{}); };
    // During a drag, whose frame runs next to the pointer on the screen but not in the
    // snapshot; then near every edge and corner of the monitor.
    test::Pixels shown;
    std::vector<RECT> placed;
    AsUser([&] {
        test::MoveMouseTo(200, 150);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTDOWN)});
        test::MoveMouseTo(middle.x, middle.y);
        ::Sleep(150);
        const RECT image = place();
        // Inside its frame.
        shown = test::ReadScreen({image.left + 1, image.top + 1, image.right - 1, image.bottom - 1});
        for (const POINT& p : edges) {
            test::MoveMouseTo(p.x, p.y);
            ::Sleep(100);
            placed.push_back(place());
        }
        test::PressKeys({VK_ESCAPE});
        ::Sleep(100);
        test::SendInputs({test::MouseButton(MOUSEEVENTF_LEFTUP)});
        ::Sleep(100);
    });
    ASSERT_GE(shown.width, kMagnifierSpan * kMagnifierZoom);
    ASSERT_GE(shown.height, kMagnifierSpan * kMagnifierZoom);
    // Two pixels of each square, clear of the crosshair.
    int differ = 0;
    for (int y = 0; y < kMagnifierSpan; ++y) {
        for (int x = 0; x < kMagnifierSpan; ++x) {
            for (const int in : {1, kMagnifierZoom - 2}) {
                differ +=
                    shown.At(x * kMagnifierZoom + in, y * kMagnifierZoom + in) != around.At(x, y);
            }
        }
    }
    EXPECT_EQ(differ, 0);
    ASSERT_EQ(placed.size(), std::size(edges));
    for (size_t i = 0; i < placed.size(); ++i) {
        const POINT& p = edges[i];
        MONITORINFO monitor{sizeof monitor};
        ::GetMonitorInfoW(::MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &monitor);
        RECT inside{};
        ::IntersectRect(&inside, &placed[i], &monitor.rcWork);
        EXPECT_TRUE(::EqualRect(&inside, &placed[i])) << p.x << "," << p.y;
        EXPECT_FALSE(::PtInRect(&placed[i], p)) << p.x << "," << p.y;
    }
    WaitUntilOver();
    ExpectIdle();
    EXPECT_FALSE(m_form.Snapshot().MagnifierPlace());
}

TEST_F(FreeAreaCaptureTest, ZTurnsTheMagnifierOverAndTheNextWindowKeepsTheChoice) {
    auto magnifierShown = [&](const FrmMain& form) {
        return form.Snapshot().MagnifierPlace().has_value();
    };
    Arm();
    ASSERT_TRUE(magnifierShown(m_form));
    const RECT was = *m_form.Snapshot().MagnifierPlace();
    // Where it was, the screen shows the snapshot's pixels again, and before only there.
    const auto differsFromSnapshot = [&] {
        const ScreenSource source = m_form.Snapshot().Source();
        const int w = was.right - was.left;
        const int h = was.bottom - was.top;
        WindowDc screen = WindowDc::ForClient(nullptr);
        UniqueBitmap part(::CreateCompatibleBitmap(screen.get(), w, h));
        {
            UniqueDc memory(::CreateCompatibleDC(screen.get()));
            SelectObjectGuard select(memory.get(), part.get());
            ::BitBlt(memory.get(), 0, 0, w, h, source.dc, was.left - source.originX,
                     was.top - source.originY, SRCCOPY);
        }
        return test::Differences(test::ReadScreen(was), test::ReadBitmap(part.get()));
    };
    EXPECT_GT(differsFromSnapshot(), 0);
    PressKeys({'Z'});
    EXPECT_FALSE(magnifierShown(m_form));
    EXPECT_EQ(differsFromSnapshot(), 0);
    EXPECT_TRUE(m_form.SelectionArmed());
    PressKeys({VK_ESCAPE});
    ExpectIdle();
    EXPECT_EQ(m_key.Value(ids::kMagnifierSetting), L"0");

    // A new window reads it back, and Z turns it on again.
    {
        FrmMain again(m_boxes, m_settings);
        ASSERT_TRUE(test::CreateShown(again));
        again.RunCommand(ids::kMnuDistrict);
        ASSERT_TRUE(again.Snapshot().Shown());
        EXPECT_FALSE(magnifierShown(again));
        PressKeys({'Z'});
        EXPECT_TRUE(magnifierShown(again));
        PressKeys({VK_ESCAPE});
        EXPECT_FALSE(again.SelectionArmed());
    }
    EXPECT_EQ(m_key.Value(ids::kMagnifierSetting), L"1");

    // A store that cannot keep the choice says so once the capture is over.
    SettingsStore broken(m_key.Path() + L"\\" + std::wstring(300, L'x'));
    FrmMain unkept(m_boxes, broken);
    ASSERT_TRUE(test::CreateShown(unkept));
    unkept.RunCommand(ids::kMnuDistrict);
    ASSERT_TRUE(unkept.Snapshot().Shown());
    PressKeys({'Z'});
    m_boxes.Answer(IDOK);
    PressKeys({VK_ESCAPE});
    EXPECT_FALSE(unkept.SelectionArmed());
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(kMagnifierNotStored), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(L"RegCreateKeyEx"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
}

TEST_F(FreeAreaCaptureTest, TheLastAreaIsCapturedAgainWithoutArmingOrTheWindow) {
    // The scene again, over the fixture's, as another program shows it: on a thread of its
    // own that repaints what the main window uncovers while this one runs the repeat.
    std::atomic<bool> sceneShown{false};
    std::atomic<bool> done{false};
    std::thread other([&] {
        test::PaintedWindow scene(60, 60, 400, 300, false);
        sceneShown = true;
        while (!done) {
            test::PumpMessages(10);
        }
    });
    struct Join {
        std::atomic<bool>& done;
        std::thread& thread;
        ~Join() {
            done = true;
            thread.join();
        }
    } join{done, other};
    while (!sceneShown) {
        ::Sleep(5);
    }
    const RECT area{100, 100, 300, 250};
    const test::Pixels expected = test::ReadScreen(area);
    const auto expectLanded = [&](FrmMain& form, const char* how) {
        const Picture& picture = form.PicBmp().GetPicture();
        ASSERT_EQ(picture.SizeInPixels(), (Size{200, 150})) << how;
        EXPECT_EQ(test::Differences(test::ReadBitmap(picture.Bitmap()), expected), 0) << how;
        EXPECT_EQ(test::Differences(test::ClipboardPixels(), expected), 0) << how;
        EXPECT_TRUE(form.ImageUnsaved()) << how;
    };

    // Before any free area: said so, and nothing changes.
    m_boxes.Answer(IDOK);
    PressHotkey(ids::kMnuRepeat, MOD_SHIFT);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text.find(L"无法完成“重复上次自由捕获”"), 0u)
        << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(kNoLastArea), std::wstring::npos);
    EXPECT_TRUE(m_form.PicBmp().GetPicture().Empty());
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(test::TextOnClipboard(), L"before");

    // Ctrl+Print Screen arms; the area that lands is kept in the settings.
    PressHotkey(ids::kMnuDistrict, MOD_CONTROL);
    ASSERT_TRUE(m_form.Snapshot().Shown());
    test::PumpMessages(50);
    Drag(100, 100, 300, 250);
    ExpectIdle();
    expectLanded(m_form, "dragged");
    EXPECT_EQ(m_key.Value(L"LastArea"), L"100,100,300,250");

    // Shift+Print Screen with the main window over the area now: the area as the screen shows
    // it without the window, in the view and on the clipboard.
    m_form.RunCommand(ids::kMnuClear);
    test::PutTextOnClipboard(L"before");
    ::SetWindowPos(m_form.Hwnd(), HWND_TOPMOST, 150, 120, 450, 400, 0);
    test::PumpMessages(50);
    ASSERT_GT(test::Differences(test::ReadScreen(area), expected), 1000);
    PressHotkey(ids::kMnuRepeat, MOD_SHIFT);
    EXPECT_EQ(m_boxes.Count(), 1u);
    EXPECT_FALSE(m_form.Snapshot().Shown());
    expectLanded(m_form, "repeated");
    EXPECT_TRUE(::IsWindowVisible(m_form.Hwnd()));
    ::SetWindowPos(m_form.Hwnd(), HWND_NOTOPMOST, 700, 250, 450, 400, 0);
    test::PumpMessages(50);

    // The next run reads it back; its window comes back where this one is, off the area.
    for (const auto& [key, twips] : {std::pair{L"MainLeft", L"10500"},
                                     {L"MainTop", L"3750"},
                                     {L"MainWidth", L"6750"},
                                     {L"MainHeight", L"6000"}}) {
        m_key.Set(key, twips);
    }
    {
        test::ScriptedMessageBoxes boxes;
        FrmMain again(boxes, m_settings);
        ASSERT_TRUE(again.Create());
        test::PutTextOnClipboard(L"before");
        again.RunCommand(ids::kMnuRepeat);
        expectLanded(again, "after a restart");
    }

    // What cannot be captured again is said, and changes nothing.
    m_form.PicBmp().SetPicture(test::SolidPicture(50, 40, RGB(1, 2, 3)));
    const HBITMAP shown = m_form.PicBmp().GetPicture().Bitmap();
    const struct {
        const wchar_t* stored;
        const wchar_t* says;
    } refused[] = {
        {L"-40000,-40000,-39000,-39000", kLastAreaOffScreen},
        {L"garbage", kNoLastArea},
        {L"100,100,300", kNoLastArea},
        {L"300,100,100,250", kNoLastArea},   // no pixels
        {L"0,0,2147483648,1", kNoLastArea},  // beyond 32 bits
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(Narrow(r.stored));
        m_key.Set(L"LastArea", r.stored);
        test::PutTextOnClipboard(L"before");
        m_boxes.Answer(IDOK);
        const size_t boxes = m_boxes.Count();
        m_form.RunCommand(ids::kMnuRepeat);
        ASSERT_EQ(m_boxes.Count(), boxes + 1);
        EXPECT_NE(m_boxes.Last().text.find(r.says), std::wstring::npos)
            << Narrow(m_boxes.Last().text);
        EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), shown);
        EXPECT_EQ(test::TextOnClipboard(), L"before");
    }

    // An area partly off the screen: what the screen shows of it.
    const test::Pixels onScreen = test::ReadScreen({0, 0, 150, 110});
    m_key.Set(L"LastArea", L"-50,-40,150,110");
    m_form.RunCommand(ids::kMnuRepeat);
    const Picture& cut = m_form.PicBmp().GetPicture();
    ASSERT_EQ(cut.SizeInPixels(), (Size{150, 110}));
    EXPECT_EQ(test::Differences(test::ReadBitmap(cut.Bitmap()), onScreen), 0);
    ExpectIdle();
}

}  // namespace
}  // namespace pw
