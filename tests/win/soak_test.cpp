// Every command many times over on the real window, and the placement store filled with
// garbage: GDI objects, windows and private bytes come back to where they started, and
// nothing ends the program. PIXELWREN_SOAK_RUNS sets how many times (`make soak`: 1000).
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "core/ids.h"
#include "desktop_support.h"
#include "files.h"
#include "main_window_fixture.h"
#include "support.h"

namespace pw {
namespace {

int Runs(int quick) {
    const char* runs = std::getenv("PIXELWREN_SOAK_RUNS");
    return runs != nullptr && std::atoi(runs) > 0 ? std::atoi(runs) : quick;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    ::EnumChildWindows(window, CountChild, count);
    return TRUE;
}

// What the program holds: GDI objects, this thread's windows and their children, private bytes.
struct Footprint {
    int gdiObjects = 0;
    int windows = 0;
    double privateBytes = 0;

    static Footprint Now() {
        Footprint f;
        f.gdiObjects = test::CountGdiObjects();
        ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&f.windows));
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters);
        f.privateBytes = static_cast<double>(counters.PrivateUsage != 0 ? counters.PrivateUsage
                                                                         : counters.PagefileUsage);
        return f;
    }
};

// Runs `command` `runs` times after one warm-up run, and checks that the footprint comes back:
// the same GDI objects and windows, and private bytes within `slack` of the start (the heap
// keeps some of what it was given).
void Soak(const FrmMain& form, const char* what, int runs, const std::function<void()>& command,
          double slack = 2 << 20) {
    command();
    test::PumpMessages(20);
    const Footprint before = Footprint::Now();
    for (int i = 0; i < runs; ++i) {
        command();
        if (i % 50 == 0) {
            test::PumpMessages(1);
        }
    }
    test::PumpMessages(20);
    const Footprint after = Footprint::Now();
    EXPECT_EQ(after.gdiObjects, before.gdiObjects) << what << " leaks GDI objects";
    EXPECT_EQ(after.windows, before.windows) << what << " leaks windows";
    EXPECT_LE(after.privateBytes - before.privateBytes, slack) << what << " keeps memory";
    EXPECT_TRUE(::IsWindow(form.Hwnd())) << what;
}

class SoakTest : public test::MainWindowTest {
protected:
    void Soak(const char* what, int runs, const std::function<void()>& command, double slack = 2 << 20) {
        pw::Soak(m_form, what, runs, command, slack);
    }
    void Command(UINT id) { m_form.RunCommand(id); }
};

TEST_F(SoakTest, CapturesAndTheirReportsLeaveNothingBehind) {
    const int runs = Runs(150);
    Soak("the work-area capture", runs, [&] { Command(ids::kMnuClient); });
    Soak("the current-window capture", runs, [&] { Command(ids::kMnuTitleBar); });
    // The whole screen hides and shows the window every time: fewer runs in a quick soak.
    // Wine gives the window a new surface now and then as it shows again; a bitmap kept per
    // capture would show as fifteen of them.
    const double screenBitmap = 4.0 * ::GetSystemMetrics(SM_CXSCREEN) * ::GetSystemMetrics(SM_CYSCREEN);
    Soak("the whole-screen capture", Runs(15), [&] { Command(ids::kMnuScreen); },
         (2 << 20) + screenBitmap);
    // A delayed capture called off at its prompt.
    Soak("the delayed capture's prompt", runs, [&] {
        m_boxes.Answer(IDCANCEL);
        Command(ids::kMnuAtiveWindow);
    });
    // A capture that fails and is reported: nothing to capture while minimised.
    ::ShowWindow(m_form.Hwnd(), SW_MINIMIZE);
    test::PumpMessages(30);
    Soak("a reported failure", runs, [&] { Command(ids::kMnuClient); });
    ::ShowWindow(m_form.Hwnd(), SW_RESTORE);
    test::PumpMessages(30);
    EXPECT_TRUE(m_form.ImageUnsaved());
}

TEST_F(SoakTest, ScrollingResizingAndClosingQuestionsLeaveNothingBehind) {
    const int runs = Runs(150);
    Command(ids::kMnuScreen);
    int step = 0;
    Soak("scrolling", runs, [&] {
        const int code = (step++ % 2) == 0 ? SB_PAGERIGHT : SB_PAGELEFT;
        ::SendMessageW(m_form.Hwnd(), WM_HSCROLL, MAKEWPARAM(code, 0),
                       reinterpret_cast<LPARAM>(m_form.HScroll1().Hwnd()));
        ::SendMessageW(m_form.Hwnd(), WM_VSCROLL, MAKEWPARAM(code, 0),
                       reinterpret_cast<LPARAM>(m_form.VScroll1().Hwnd()));
    });
    Soak("resizing", runs, [&] {
        ::SetWindowPos(m_form.Hwnd(), nullptr, 0, 0, 300 + (step++ % 7) * 40, 420, SWP_NOMOVE | SWP_NOZORDER);
    });
    // Closing with an unsaved capture, answered Cancel: the window stays every time.
    Soak("the question at close", runs, [&] {
        m_boxes.Answer(IDCANCEL);
        ::SendMessageW(m_form.Hwnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(m_form.PicBmp().GetPicture().Empty());
}

TEST_F(SoakTest, SavingOpeningAndDiscardingLeaveNothingBehind) {
    const int runs = Runs(60);
    test::ScriptedFileDialogs dialogs;
    m_form.SetFileDialogs(dialogs);
    test::ScratchFolder folder;
    const std::wstring files[] = {folder / L"soak.bmp", folder / L"soak.png", folder / L"soak.jpg"};
    Command(ids::kMnuClient);
    int i = 0;
    Soak("saving", runs, [&] {
        dialogs.Confirm(files[i++ % 3]);
        Command(ids::kMnuSave);
    });
    Soak("opening", runs, [&] {
        dialogs.Confirm(files[i++ % 3]);
        Command(ids::kMnuOpen);
    });
    Soak("discarding and capturing again", runs, [&] {
        Command(ids::kMnuClear);
        Command(ids::kMnuClient);
    });
    const size_t boxes = m_boxes.Count();
    // Over the unsaved capture: the question, answered No, then the report.
    Soak("an open that fails", runs, [&] {
        m_boxes.Answer(IDNO);
        m_boxes.Answer(IDOK);
        dialogs.Confirm(folder / L"missing.bmp");
        Command(ids::kMnuOpen);
    });
    EXPECT_EQ(m_boxes.Count(), boxes + 2 * (static_cast<size_t>(runs) + 1));
    EXPECT_NE(m_boxes.Last().text.find(L"missing.bmp"), std::wstring::npos);
    EXPECT_FALSE(m_form.PicBmp().GetPicture().Empty());
}

TEST_F(SoakTest, FreeAreaCapturesThroughAScriptedDragLeaveNothingBehind) {
    ::SetWindowPos(m_form.Hwnd(), nullptr, 700, 250, 450, 400, SWP_NOZORDER);
    test::PumpMessages(50);
    int landed = 0;
    Soak("the free-area capture", Runs(5), [&] {
        m_form.RunCommand(ids::kMnuDistrict);
        test::PumpMessages(30);
        // The whole gesture at once, as a script would play it.
        test::SendInputs({test::MouseAt(100, 100), test::MouseAt(100, 100, MOUSEEVENTF_LEFTDOWN),
                          test::MouseAt(200, 180), test::MouseAt(300, 250),
                          test::MouseAt(300, 250, MOUSEEVENTF_LEFTUP)});
        const ULONGLONG start = ::GetTickCount64();
        while ((m_form.SelectionArmed() || m_form.Snapshot().Shown()) && ::GetTickCount64() - start < 5000) {
            test::PumpMessages(10);
        }
        landed += m_form.PicBmp().GetPicture().SizeInPixels().width > 0 ? 1 : 0;
    });
    EXPECT_FALSE(m_form.SelectionArmed());
    EXPECT_FALSE(m_form.Snapshot().Shown());
    EXPECT_EQ(landed, Runs(5) + 1);
}

TEST_F(SoakTest, GarbageInEveryPlacementValueStillOpensAUsableWindow) {
    // Texts no program wrote, in every key; each start must show a window on the screen
    // (or leave the default), never fail.
    std::vector<std::wstring> garbage = {
        L"", L" ", L"-", L"+", L".", L"1e9", L"0x10", L"NaN", L"inf", L"-inf", L"1,5", L"١٢٣",
        L"99999999999999999999999999", L"-2147483648", L"2147483647", L"4294967296", L"1000001",
        L"\t7\t", L"12 34", L"12abc", L"abc12", L"--5", L"5-", L"1..2", L"0", L"-0", L"00000000001000",
        std::wstring(5000, L'9'), std::wstring(1, L'\0') + L"1000", L"窗口", L"\x1F\x7F",
    };
    std::mt19937 random(20261207);
    for (int i = 0; i < 40; ++i) {
        std::wstring text;
        const int length = static_cast<int>(random() % 24);
        for (int j = 0; j < length; ++j) {
            text += static_cast<wchar_t>(random() % 2 == 0 ? L" +-.0123456789e"[random() % 15] : random() % 0xD7FF + 1);
        }
        garbage.push_back(text);
    }
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const wchar_t* keys[] = {L"MainLeft", L"MainTop", L"MainWidth", L"MainHeight"};
    int started = 0;
    for (size_t i = 0; i < garbage.size(); ++i) {
        test::TestSettingsKey key;
        for (size_t k = 0; k < 4; ++k) {
            // Each key its own piece of garbage; now and then a value of the wrong type.
            const std::wstring& text = garbage[(i + k * 7) % garbage.size()];
            const std::wstring path = key.Path() + L"\\Settings";
            if ((i + k) % 11 == 0) {
                const DWORD number = 1000;
                ::RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), keys[k], REG_DWORD, &number, sizeof number);
            } else {
                ::RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), keys[k], REG_SZ, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            }
        }
        SettingsStore settings(key.Path());
        test::ScriptedMessageBoxes boxes;
        FrmMain form(boxes, settings);
        ASSERT_TRUE(form.Create()) << i;
        RECT rect{};
        ::GetWindowRect(form.Hwnd(), &rect);
        RECT common{};
        EXPECT_TRUE(::IntersectRect(&common, &rect, &work)) << "garbage " << i << " put the window off the screen";
        EXPECT_GT(rect.right - rect.left, 0) << i;
        EXPECT_GT(rect.bottom - rect.top, 0) << i;
        EXPECT_EQ(boxes.Count(), 0u) << i;
        ++started;
    }
    EXPECT_EQ(started, static_cast<int>(garbage.size()));
}

// The language files, About, Paint, the wallpaper and help, with the outside world scripted.
class DesktopSoakTest : public test::DesktopWindowTest {};

TEST_F(DesktopSoakTest, LanguagesAboutPaintWallpaperAndHelpLeaveNothingBehind) {
    const int runs = Runs(100);
    m_form.RunCommand(ids::kMnuClient);
    int i = 0;
    Soak(m_form, "switching languages", runs,
         [&] { m_form.RunCommand(i++ % 2 == 0 ? ids::kMnuEnglish : ids::kMnuChinese); });
    Soak(m_form, "About", runs, [&] { m_form.RunCommand(ids::kMnuAbout); });
    // The scripted shell keeps a copy of each file it is handed: only the last is kept here.
    Soak(m_form, "Edit in Paint", runs, [&] {
        m_form.RunCommand(ids::kMnuMspaint);
        m_shell.requests.clear();
    });
    Soak(m_form, "setting and clearing the wallpaper", runs, [&] {
        m_form.RunCommand(ids::kMnuWallpaper);
        m_form.RunCommand(ids::kMnuClearWall);
        m_wallpaper.paths.clear();
    });
    Soak(m_form, "help", runs, [&] {
        m_form.RunCommand(ids::kMnuHowto);
        m_programs.started.clear();
    });
    // Every About was answered, and nothing else asked.
    size_t about = 0;
    for (const auto& asked : m_boxes.History()) {
        about += asked.style == static_cast<UINT>(MB_OK | MB_ICONINFORMATION) ? 1 : 0;
    }
    EXPECT_EQ(about, static_cast<size_t>(runs) + 1);
    EXPECT_EQ(m_boxes.Count(), about);
    EXPECT_TRUE(m_form.ImageUnsaved());
}

}  // namespace
}  // namespace pw
