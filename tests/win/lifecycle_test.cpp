#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/frm_main.h"
#include "app/ids.h"
#include "core/geometry.h"
#include "main_window_fixture.h"
#include "platform/process.h"

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
    // Laid out for that size before it is shown.
    RECT client{};
    ::GetClientRect(form->Hwnd(), &client);
    RECT viewport{};
    ::GetWindowRect(form->picScroll().Hwnd(), &viewport);
    EXPECT_GT(viewport.right - viewport.left, client.right - 40);

    EXPECT_EQ(form->StatusBar1().PanelText(1), kWelcomeText);
    const std::wstring started = form->StatusBar1().PanelText(2);
    EXPECT_NE(started.find(std::to_wstring(now.wYear)), std::wstring::npos) << started;
    EXPECT_NE(started.find(L':'), std::wstring::npos) << started;  // the time too
    ::Sleep(1100);
    EXPECT_EQ(form->StatusBar1().PanelText(2), started);  // never refreshed
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

TEST_F(LifecycleTest, CloseThatCannotStoreKeepsAnUnsavedCapture) {
    // A key name longer than the registry allows: every write fails.
    SettingsStore broken(m_key.Path() + L"\\" + std::wstring(300, L'x'));
    {
        FrmMain form(m_boxes, broken);
        ASSERT_TRUE(form.Create());
        ::ShowWindow(form.Hwnd(), SW_SHOWNORMAL);
        EXPECT_TRUE(form.Form_Unload());  // nothing to lose: it closes, after saying why
        ASSERT_EQ(m_boxes.Count(), 1u);
        EXPECT_NE(m_boxes.Last().text.find(L"RegCreateKeyEx"), std::wstring::npos) << m_boxes.Last().text;

        form.RunCommand(ids::kMnuClient);
        ASSERT_TRUE(form.ImageUnsaved());
        ::SendMessageW(form.Hwnd(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(::IsWindow(form.Hwnd()));  // the capture is still there
        EXPECT_EQ(m_boxes.Count(), 2u);
        EXPECT_FALSE(form.PicBmp().GetPicture().Empty());
    }
    // With a working store, the same close goes ahead.
    const auto form = Start();
    ::SendMessageW(form->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->Hwnd(), nullptr);
    EXPECT_NE(m_key.Value(L"MainLeft"), L"(missing)");
}

StartedProcess StartNotepad() {
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    wchar_t command[] = L"notepad.exe";
    if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return {};
    }
    ::CloseHandle(info.hThread);
    return {info.dwProcessId, UniqueKernelHandle(info.hProcess)};
}

TEST_F(LifecycleTest, ExitEndsOnlyTheViewerItStartedAndStoresNothing) {
    StartedProcess viewer = StartNotepad();
    ASSERT_TRUE(viewer.handle);
    const auto form = Start();
    form->HelpViewerProcess() = std::move(viewer);
    const HANDLE process = form->HelpViewerProcess().handle.get();
    form->RunCommand(ids::kMnuExit);
    EXPECT_EQ(::WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(form->Hwnd(), nullptr);
    EXPECT_EQ(m_key.Value(L"MainLeft"), L"(missing)");
    EXPECT_EQ(m_boxes.Count(), 0u);

    // A remembered id without the handle ends nothing, not even a process that has that id
    // now (here: this one).
    TerminateProcessById(StartedProcess{::GetCurrentProcessId(), {}});
    // A viewer that has exited already is left alone.
    TerminateProcessById(form->HelpViewerProcess());
    SUCCEED();
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
    RECT viewport{};
    ::GetWindowRect(form->picScroll().Hwnd(), &viewport);
    ::MapWindowPoints(HWND_DESKTOP, form->Hwnd(), reinterpret_cast<POINT*>(&viewport), 2);
    EXPECT_EQ(viewport.top, 36);
}

TEST_F(LifecycleTest, ProgramResourcesCarryIconAndManifest) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    // The icon group: four images, 16 to 64 pixels, 32 bits each.
    const HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(ids::kIconResource), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
    ASSERT_EQ(count, 4);
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = directory + 6 + i * 14;  // GRPICONDIRENTRY
        const int size = entry[0] == 0 ? 256 : entry[0];
        EXPECT_EQ(size, 16 * (i + 1)) << i;
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 32) << i;  // bits per pixel
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
