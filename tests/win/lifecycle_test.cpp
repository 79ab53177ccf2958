#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/frm_main.h"
#include "core/ids.h"
#include "core/geometry.h"
#include "core/units.h"
#include "main_window_fixture.h"

namespace pw {
namespace {

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// Where a window is and how large, in pixels.
Box Placement(HWND window) {
    const RECT rect = WindowRect(window);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// A main window of its own, on a settings key that a test has prepared.
class LifecycleTest : public ::testing::Test {
protected:
    // Creates a form on the test key, as a program start would; the form is not shown yet.
    std::unique_ptr<FrmMain> Start() {
        auto form = std::make_unique<FrmMain>(m_boxes, m_settings);
        EXPECT_TRUE(form->Create());
        return form;
    }

    test::TestSettingsKey m_key;
    SettingsStore m_settings{m_key.Path()};
    test::ScriptedMessageBoxes m_boxes;
};

TEST_F(LifecycleTest, FirstStartOpensAtTheDefaultsWithTheStartTime) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const auto form = Start();
    // 1000 and 6500 twips at 15 per pixel, rounded half to even.
    EXPECT_EQ(Placement(form->Hwnd()), (Box{67, 67, 433, 433}));
    // Laid out for that size before it is shown: the empty picture (215 by 179 pixels) fits,
    // so both bars are hidden and the viewport fills the area between toolbar and status bar
    // (its design size, 537 by 311 pixels, would not).
    EXPECT_FALSE(::IsWindowVisible(form->Hwnd()));
    RECT client{};
    ::GetClientRect(form->Hwnd(), &client);
    RECT viewport{};
    ::GetWindowRect(form->picScroll().Hwnd(), &viewport);
    RECT vbar{};
    ::GetWindowRect(form->VScroll1().Hwnd(), &vbar);
    RECT hbar{};
    ::GetWindowRect(form->HScroll1().Hwnd(), &hbar);
    const int barGrowth = 17;  // 255 twips
    EXPECT_EQ(viewport.right - viewport.left, client.right - (vbar.right - vbar.left) + barGrowth);
    EXPECT_EQ(viewport.bottom - viewport.top,
              client.bottom - (hbar.bottom - hbar.top) - form->StatusBar1().HeightPixels() -
                  form->Toolbar1().HeightPixels() + barGrowth);
    EXPECT_FALSE(::IsWindowVisible(form->HScroll1().Hwnd()));

    EXPECT_EQ(form->StatusBar1().PanelText(1), kWelcomeText);
    const std::wstring started = form->StatusBar1().PanelText(2);
    EXPECT_NE(started.find(std::to_wstring(now.wYear)), std::wstring::npos) << started;
    EXPECT_NE(started.find(L':'), std::wstring::npos) << started;  // the time too
    // Never refreshed: the text shows seconds, and a second passes with messages dispatched,
    // so that a timer or a posted refresh would have run.
    test::PumpMessages(1100);
    EXPECT_EQ(form->StatusBar1().PanelText(2), started);
    EXPECT_EQ(::GetWindowTextLengthW(form->Hwnd()), static_cast<int>(std::wstring(kAppTitle).size()));
}

TEST_F(LifecycleTest, PlacementRoundTripsThroughTheStore) {
    {
        const auto form = Start();
        ::ShowWindow(form->Hwnd(), SW_SHOWNORMAL);
        ::SetWindowPos(form->Hwnd(), nullptr, 100, 120, 500, 400, SWP_NOZORDER);
        EXPECT_TRUE(form->Form_Unload());
    }
    EXPECT_EQ(m_key.Value(L"MainLeft"), L"1500");
    EXPECT_EQ(m_key.Value(L"MainTop"), L"1800");
    EXPECT_EQ(m_key.Value(L"MainWidth"), L"7500");
    EXPECT_EQ(m_key.Value(L"MainHeight"), L"6000");
    const auto again = Start();
    EXPECT_EQ(Placement(again->Hwnd()), (Box{100, 120, 500, 400}));
}

TEST_F(LifecycleTest, MinimisedWindowWritesNothingAndMaximisedItsRectangle) {
    m_key.Set(L"MainLeft", L"3000");
    {
        const auto form = Start();
        ::ShowWindow(form->Hwnd(), SW_MINIMIZE);
        test::PumpMessages(30);
        EXPECT_TRUE(form->Form_Unload());
    }
    EXPECT_EQ(m_key.Value(L"MainLeft"), L"3000");
    EXPECT_EQ(m_key.Value(L"MainWidth"), L"(missing)");

    RECT maximised{};
    {
        const auto form = Start();
        ::ShowWindow(form->Hwnd(), SW_MAXIMIZE);
        test::PumpMessages(30);
        maximised = WindowRect(form->Hwnd());
        EXPECT_TRUE(form->Form_Unload());
    }
    EXPECT_EQ(m_key.Value(L"MainWidth"), std::to_wstring((maximised.right - maximised.left) * 15));
    // The next start is a normal window with that rectangle.
    const auto again = Start();
    ::ShowWindow(again->Hwnd(), SW_SHOWNORMAL);
    EXPECT_FALSE(::IsZoomed(again->Hwnd()));
    const RECT rect = WindowRect(again->Hwnd());
    EXPECT_EQ(rect.right - rect.left, maximised.right - maximised.left);
    EXPECT_EQ(rect.bottom - rect.top, maximised.bottom - maximised.top);
}

TEST_F(LifecycleTest, BadAndOffScreenValuesStillShowTheWindow) {
    m_key.Set(L"MainLeft", L"abc");
    m_key.Set(L"MainTop", L"2250");
    m_key.Set(L"MainWidth", L"-40");
    m_key.Set(L"MainHeight", L"");
    {
        const auto form = Start();
        // Left and size are the defaults, top as stored.
        EXPECT_EQ(Placement(form->Hwnd()), (Box{67, 150, 433, 433}));
    }
    // Stored on a monitor far to the right that is no longer there.
    m_key.Set(L"MainLeft", L"60000");
    m_key.Set(L"MainTop", L"3000");
    m_key.Set(L"MainWidth", L"7500");
    m_key.Set(L"MainHeight", L"6000");
    {
        const auto form = Start();
        const RECT rect = WindowRect(form->Hwnd());
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_EQ(rect.right - rect.left, 500);
        EXPECT_EQ(rect.bottom - rect.top, 400);
        EXPECT_EQ(rect.right, work.right);
        EXPECT_EQ(rect.top, 200);
    }
    // Partly off the screen stays as put.
    m_key.Set(L"MainLeft", L"-3000");
    const auto form = Start();
    EXPECT_EQ(WindowRect(form->Hwnd()).left, -200);
}

TEST_F(LifecycleTest, CloseThatCannotStoreStillAsksAboutTheCapture) {
    // A key name longer than the registry allows: every write fails.
    SettingsStore broken(m_key.Path() + L"\\" + std::wstring(300, L'x'));
    {
        FrmMain form(m_boxes, broken);
        ASSERT_TRUE(test::CreateShown(form));
        m_boxes.Answer(IDOK);
        EXPECT_TRUE(form.Form_Unload());  // nothing to lose: it closes, after saying why
        ASSERT_EQ(m_boxes.Count(), 1u);
        EXPECT_NE(m_boxes.Last().text.find(L"RegCreateKeyEx"), std::wstring::npos) << m_boxes.Last().text;

        // With a capture the store's failure is told, then the question decides.
        form.RunCommand(ids::kMnuClient);
        ASSERT_TRUE(form.ImageUnsaved());
        m_boxes.Answer(IDOK);
        m_boxes.Answer(IDCANCEL);
        ::SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(::IsWindow(form.Hwnd()));
        ASSERT_EQ(m_boxes.Count(), 3u);
        EXPECT_NE(m_boxes.History()[1].text.find(L"RegCreateKeyEx"), std::wstring::npos);
        EXPECT_EQ(m_boxes.Last().text, kSaveQuestion);
        EXPECT_EQ(m_boxes.Last().title, L"pw_win_tests");
        EXPECT_EQ(m_boxes.Last().style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONINFORMATION));
        EXPECT_FALSE(form.PicBmp().GetPicture().Empty());

        m_boxes.Answer(IDOK);
        m_boxes.Answer(IDNO);
        ::SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(m_boxes.Count(), 5u);
        EXPECT_EQ(form.Hwnd(), nullptr);  // No: closed without saving
    }
    // With a working store, a close asks nothing more than the question.
    const auto form = Start();
    ::SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->Hwnd(), nullptr);
    EXPECT_NE(m_key.Value(L"MainLeft"), L"(missing)");
    EXPECT_EQ(m_boxes.Count(), 5u);
}

// A store whose writes fail with an allocation failure, not the program's own failure type.
class ExhaustedSettings final : public SettingsStore {
public:
    using SettingsStore::SettingsStore;
    void Write(const std::wstring&, const std::wstring&, const std::wstring&) override {
        throw std::bad_alloc();
    }
};

// Boxes whose first question fails as a system error raised as another type would.
class FailingFirstBox final : public MessageBoxes {
public:
    explicit FailingFirstBox(MessageBoxes& rest) : m_rest(rest) {}
    int Show(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override {
        if (!m_failed && text == kSaveQuestion) {
            m_failed = true;
            throw std::runtime_error("the box could not be shown");
        }
        return m_rest.Show(owner, text, title, style);
    }

private:
    MessageBoxes& m_rest;
    bool m_failed = false;
};

TEST_F(LifecycleTest, AnyExceptionWhileClosingIsReportedAndKeepsTheCapture) {
    ExhaustedSettings exhausted(m_key.Path());
    FailingFirstBox boxes(m_boxes);
    FrmMain form(boxes, exhausted);
    ASSERT_TRUE(test::CreateShown(form));
    form.RunCommand(ids::kMnuClient);
    ASSERT_TRUE(form.ImageUnsaved());

    // The store fails with bad_alloc, then the question itself throws: both are reported and
    // the window stays with its capture.
    m_boxes.Answer(IDOK);
    m_boxes.Answer(IDOK);
    ::SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(form.Hwnd()));
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_NE(m_boxes.History()[0].text.find(L"内存不足"), std::wstring::npos) << m_boxes.History()[0].text;
    EXPECT_NE(m_boxes.History()[1].text.find(L"the box could not be shown"), std::wstring::npos)
        << m_boxes.History()[1].text;
    EXPECT_FALSE(form.PicBmp().GetPicture().Empty());

    // Asked again, Cancel keeps it too; No lets it go.
    m_boxes.Answer(IDOK);
    m_boxes.Answer(IDCANCEL);
    ::SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(form.Hwnd()));
    m_boxes.Answer(IDOK);
    m_boxes.Answer(IDNO);
    ::SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.Hwnd(), nullptr);
}

// Records what the window asks of the session's end.
class RecordingSessionEnd final : public SessionEndBlocker {
public:
    void Block(HWND window, const std::wstring& why) override {
        blockedBy = window;
        reason = why;
    }
    void Unblock(HWND window) override {
        if (window == blockedBy) {
            blockedBy = nullptr;
        }
    }
    HWND blockedBy = nullptr;
    std::wstring reason;
};

TEST_F(LifecycleTest, EndOfTheSessionStoresThePlacementAndNeverLosesACaptureSilently) {
    RecordingSessionEnd session;
    FrmMainServices services;
    services.sessionEnd = &session;
    {
        // Nothing unsaved: the session may end, and the placement is stored as it does.
        FrmMain form(m_boxes, m_settings, services);
        ASSERT_TRUE(test::CreateShown(form));
        ::SetWindowPos(form.Hwnd(), nullptr, 90, 80, 500, 400, SWP_NOZORDER);
        EXPECT_EQ(::SendMessageW(form.Hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
        EXPECT_EQ(m_key.Value(L"MainLeft"), L"(missing)");
        ::SendMessageW(form.Hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ(m_key.Value(L"MainLeft"), L"1350");
        EXPECT_EQ(m_key.Value(L"MainHeight"), L"6000");
        EXPECT_EQ(session.blockedBy, nullptr);
    }
    FrmMain form(m_boxes, m_settings, services);
    ASSERT_TRUE(test::CreateShown(form));
    form.RunCommand(ids::kMnuClient);
    ASSERT_TRUE(form.ImageUnsaved());
    // An unsaved capture holds the end up, with the reason Windows shows, and asks nothing
    // while the session's end is under way.
    EXPECT_EQ(::SendMessageW(form.Hwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(session.blockedBy, form.Hwnd());
    EXPECT_EQ(session.reason, kSessionEndReason);
    EXPECT_EQ(m_boxes.Count(), 0u);
    // The user goes back: the block is lifted and the question is asked.
    m_boxes.Answer(IDCANCEL);
    ::SendMessageW(form.Hwnd(), WM_ENDSESSION, FALSE, 0);
    test::PumpMessages(50);
    EXPECT_EQ(session.blockedBy, nullptr);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text, kSaveQuestion);
    EXPECT_TRUE(::IsWindow(form.Hwnd()));
    EXPECT_TRUE(form.ImageUnsaved());
    // Ending it all the same stores the placement.
    m_key.Set(L"MainLeft", L"1");
    EXPECT_EQ(::SendMessageW(form.Hwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
    ::SendMessageW(form.Hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_NE(m_key.Value(L"MainLeft"), L"1");
}

// Monitors as a test lays them out.
class FakeMonitors final : public MonitorLayout {
public:
    explicit FakeMonitors(std::vector<MonitorArea> areas) : m_areas(std::move(areas)) {}
    std::vector<MonitorArea> Monitors() const override { return m_areas; }

private:
    std::vector<MonitorArea> m_areas;
};

MonitorArea Monitor(int32_t left, int32_t top, int32_t width, int32_t height, int dpi) {
    const Rect area{left, top, left + width, top + height};
    return {area, area, dpi};
}

TEST_F(LifecycleTest, PlacementComesBackOnItsMonitorAcrossScalings) {
    struct Case {
        std::vector<MonitorArea> layout;
        Box window;
        const wchar_t* storedLeft;
    };
    const Case cases[] = {
        // Closed at x = 2500 on a 150 % monitor right of a 100 % one.
        {{Monitor(0, 0, 1920, 1080, 96), Monitor(1920, 0, 2880, 1620, 144)}, {2500, 300, 600, 400}, L"34600"},
        // The same on the 100 % primary of that layout, and on a 200 % monitor above it.
        {{Monitor(0, 0, 1920, 1080, 96), Monitor(1920, 0, 2880, 1620, 144)}, {300, 200, 640, 480}, L"4500"},
        {{Monitor(0, 0, 1920, 1080, 144), Monitor(-400, -2160, 3840, 2160, 192)}, {-100, -1500, 900, 700}, L"-3750"},
        // A 125 % monitor left of a 200 % primary.
        {{Monitor(0, 0, 3840, 2160, 192), Monitor(-2560, 100, 2560, 1440, 120)}, {-2000, 400, 1001, 601}, L"-31680"},
    };
    for (const Case& c : cases) {
        FakeMonitors monitors(c.layout);
        FrmMainServices services;
        services.monitors = &monitors;
        {
            FrmMain form(m_boxes, m_settings, services);
            ASSERT_TRUE(form.Create());
            ::SetWindowPos(form.Hwnd(), nullptr, c.window.x, c.window.y, c.window.width, c.window.height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_TRUE(form.Form_Unload());
        }
        EXPECT_EQ(m_key.Value(L"MainLeft"), c.storedLeft);
        FrmMain again(m_boxes, m_settings, services);
        ASSERT_TRUE(again.Create());
        EXPECT_EQ(Placement(again.Hwnd()), c.window) << c.storedLeft;
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(LifecycleTest, ASingleMonitorIsAskedForItsScalingOnlyWhenTheWindowsDpiDiffers) {
    // One monitor, as the quick look at the system's dpi sees it and as asking for its own
    // scaling does; the window's real dpi here is the screen's.
    class OneMonitor final : public MonitorLayout {
      public:
        OneMonitor(int quick, int own) : m_quick(quick), m_own(own) {}
        std::vector<MonitorArea> Monitors() const override {
            ++asked;
            return {Monitor(0, 0, 1920, 1080, m_own)};
        }
        std::vector<MonitorArea> MonitorsAtSystemDpi() const override {
            return {Monitor(0, 0, 1920, 1080, m_quick)};
        }
        mutable int asked = 0;

      private:
        int m_quick;
        int m_own;
    };
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    // 600 by 400 pixels at 100 %, at 150 twips from the corner.
    for (const auto& [name, value] : {std::pair{L"MainLeft", L"150"},
                                      {L"MainTop", L"150"},
                                      {L"MainWidth", L"9000"},
                                      {L"MainHeight", L"6000"}}) {
        m_key.Set(name, value);
    }
    const auto box = [&](int at) {
        return Box{150 * at / 1440, 150 * at / 1440, 9000 * at / 1440, 6000 * at / 1440};
    };
    for (const auto& [quick, own, asked] :
         {std::tuple{dpi, 2 * dpi, false}, {dpi + 24, dpi, true}}) {
        OneMonitor monitors(quick, own);
        FrmMainServices services;
        services.monitors = &monitors;
        FrmMain form(m_boxes, m_settings, services);
        ASSERT_TRUE(form.Create());
        EXPECT_EQ(monitors.asked > 0, asked) << quick;
        // Placed at the quick look's dpi where it was the window's, else at the monitor's own.
        EXPECT_EQ(Placement(form.Hwnd()), box(asked ? own : quick)) << quick;
    }
}

TEST_F(LifecycleTest, DpiChangeTakesTheSuggestedRectangleAndRescales) {
    const auto form = Start();
    ::ShowWindow(form->Hwnd(), SW_SHOWNORMAL);
    RECT suggested{120, 90, 120 + 650, 90 + 650};
    ::SendMessageW(form->Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const RECT rect = WindowRect(form->Hwnd());
    EXPECT_TRUE(::EqualRect(&rect, &suggested));
    EXPECT_FLOAT_EQ(form->Units().x, 10.0f);
    EXPECT_EQ(form->Toolbar1().HeightPixels(), 36);  // 360 twips at 144 dpi
    const RECT viewport = ChildRect(form->picScroll().Hwnd());
    EXPECT_EQ(viewport.top, 36);
    // The empty picture keeps its size in twips: 3225 by 2685 at 10 twips per pixel.
    RECT picture{};
    ::GetWindowRect(form->PicBmp().Hwnd(), &picture);
    EXPECT_EQ(picture.right - picture.left, 322);
    EXPECT_EQ(picture.bottom - picture.top, 268);
}

TEST_F(LifecycleTest, ToolbarGapsScaleWithTheDpiLikeTheSeparator) {
    const auto form = Start();
    const HWND bar = form->Toolbar1().Hwnd();
    const auto width = [&](int index) {
        RECT rect{};
        ::SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(index - 1), reinterpret_cast<LPARAM>(&rect));
        return rect.right - rect.left;
    };
    // At 96 dpi a gap is as wide as the separator (position 15).
    const int separator = width(15);
    for (const int gap : {1, 4, 11}) {
        EXPECT_EQ(width(gap), separator) << gap;
    }
    RECT suggested{100, 100, 750, 750};
    ::SendMessageW(form->Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    for (const int gap : {1, 4, 11}) {
        EXPECT_EQ(width(gap), ::MulDiv(separator, 144, 96)) << gap;
    }
}

TEST_F(LifecycleTest, StatusPanelsFollowTheWindowsWidth) {
    const auto form = Start();
    ::ShowWindow(form->Hwnd(), SW_SHOWNORMAL);
    const HWND status = form->StatusBar1().Hwnd();
    // Panel 2 is 2000 twips (133 pixels) always; panel 1 takes the rest but never less.
    for (const int outer : {900, 600, 400, 290, 200, 150}) {
        ::SetWindowPos(form->Hwnd(), nullptr, 0, 0, outer, 400, SWP_NOMOVE | SWP_NOZORDER);
        RECT client{};
        ::GetClientRect(form->Hwnd(), &client);
        int edges[2] = {};
        ASSERT_EQ(::SendMessageW(status, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
        const int panel1 = std::max<int>(client.right - 133, 133);
        EXPECT_EQ(edges[0], panel1) << outer;
        EXPECT_EQ(edges[1] - edges[0], 133) << outer;
        // Panel 1's tooltip covers panel 1 and says what it says.
        wchar_t text[128] = {};
        TTTOOLINFOW tool{sizeof tool};
        tool.hwnd = status;
        tool.uId = 1;
        tool.lpszText = text;
        ASSERT_TRUE(::SendMessageW(form->StatusBar1().Tooltip(), TTM_GETTOOLINFOW, 0,
                                   reinterpret_cast<LPARAM>(&tool)));
        RECT panel{};
        ::SendMessageW(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&panel));
        EXPECT_TRUE(::EqualRect(&tool.rect, &panel)) << outer;
        EXPECT_EQ(std::wstring(text), kWelcomeText);
    }
}

// Whether a program could register Print Screen with these modifiers now.
bool PrintScreenFree(UINT modifiers) {
    constexpr int kProbe = 0x7F00;
    if (!::RegisterHotKey(nullptr, kProbe, modifiers, VK_SNAPSHOT)) {
        return false;
    }
    ::UnregisterHotKey(nullptr, kProbe);
    return true;
}

TEST_F(LifecycleTest, HotkeysHeldElsewhereAreNamedOnceAndTheOthersStillWork) {
    // Another thread holds Ctrl+Print Screen, as another program would.
    struct OtherHolder {
        std::atomic<int> held{0};  // 1 held, -1 refused
        std::atomic<bool> release{false};
        std::thread thread{[this] {
            held = ::RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_SNAPSHOT) ? 1 : -1;
            while (!release) {
                ::Sleep(10);
            }
            ::UnregisterHotKey(nullptr, 1);
        }};
        void Release() {
            release = true;
            if (thread.joinable()) {
                thread.join();
            }
        }
        ~OtherHolder() { Release(); }
    } other;
    while (other.held == 0) {
        ::Sleep(5);
    }
    ASSERT_EQ(other.held, 1);
    const UINT others[] = {0, MOD_ALT, MOD_SHIFT};
    {
        const auto form = Start();
        EXPECT_EQ(form->StatusBar1().PanelText(1),
                  std::wstring(kHotkeysTaken) + L"Ctrl+Print Screen");
        // The other three are the program's now.
        for (const UINT modifiers : others) {
            EXPECT_FALSE(PrintScreenFree(modifiers)) << modifiers;
        }
    }
    // And given back when its window goes.
    for (const UINT modifiers : others) {
        EXPECT_TRUE(PrintScreenFree(modifiers)) << modifiers;
    }
    other.Release();
    {
        const auto form = Start();
        EXPECT_EQ(form->StatusBar1().PanelText(1), kWelcomeText);
        EXPECT_FALSE(PrintScreenFree(MOD_CONTROL));
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(LifecycleTest, ProgramResourcesCarryIconAndManifest) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    // The icon group: the sizes of 100 to 200 % for the caption, then 48 and 64 pixels, 32 bits
    // each; and a toolbar strip of 23 images for each of the first four.
    const int sizes[] = {16, 20, 24, 32, 48, 64};
    const HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(ids::kIconResource), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
    ASSERT_EQ(count, 6);
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = directory + 6 + i * 14;  // GRPICONDIRENTRY
        const int size = entry[0] == 0 ? 256 : entry[0];
        EXPECT_EQ(size, sizes[i]) << i;
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 32) << i;  // bits per pixel
    }
    for (int i = 0; i < 4; ++i) {
        const auto strip = static_cast<HBITMAP>(::LoadImageW(
            module, MAKEINTRESOURCEW(ids::kToolbarBitmapResource + i), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(strip, nullptr) << i;
        BITMAP info{};
        ::GetObjectW(strip, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 23 * kToolbarImageSizes[i]) << i;
        EXPECT_EQ(info.bmHeight, kToolbarImageSizes[i]) << i;
        ::DeleteObject(strip);
    }
    const auto icon = static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(ids::kIconResource), IMAGE_ICON, 48, 48, 0));
    EXPECT_NE(icon, nullptr);
    ::DestroyIcon(icon);

    for (const int id : {1, 101}) {
        const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_MANIFEST);
        ASSERT_NE(found, nullptr) << id;
        const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                                   ::SizeofResource(module, found));
        EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
        EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
        EXPECT_NE(manifest.find("6595b64144ccf1df"), std::string::npos);
        EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
        EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"),
                  std::string::npos);
#ifdef _WIN64
        EXPECT_NE(manifest.find("processorArchitecture=\"amd64\""), std::string::npos);
#else
        EXPECT_NE(manifest.find("processorArchitecture=\"X86\""), std::string::npos);
#endif
    }
}

}  // namespace
}  // namespace pw
