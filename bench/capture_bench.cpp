// Prints ratios for the speed and memory targets of capturing and scrolling:
//   capture / bare BitBlt        the whole-screen capture costs little beyond its one BitBlt
//   picture move / full repaint  scrolling moves the picture box instead of redrawing it
//   memory / picture bytes       a held capture costs about its bitmap, and nothing stays
//                                behind once it is released
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/frm_main.h"
#include "capture/capture.h"
#include "platform/com.h"
#include "platform/handles.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double MedianMicroseconds(int runs, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&msg);
    }
}

SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    // The commit charge; Wine reports PrivateUsage as 0 but fills PagefileUsage, which Windows
    // documents as the same value.
    return counters.PagefileUsage;
}

}  // namespace

int main() {
    pw::OleApartment ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);

    // Capture against the bare copy it is built around, alternating so that both see the same
    // state of the machine.
    std::vector<double> captureTimes;
    std::vector<double> bareTimes;
    {
        pw::WindowDc screen = pw::WindowDc::ForWholeWindow(::GetDesktopWindow());
        pw::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
        pw::UniqueDc memory(::CreateCompatibleDC(screen.get()));
        pw::SelectObjectGuard select(memory.get(), bitmap.get());
        for (int i = 0; i < 40; ++i) {
            captureTimes.push_back(MedianMicroseconds(1, [] { pw::CaptureWholeScreen(); }));
            bareTimes.push_back(MedianMicroseconds(1, [&] {
                ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
                ::GdiFlush();
            }));
        }
    }
    std::sort(captureTimes.begin(), captureTimes.end());
    std::sort(bareTimes.begin(), bareTimes.end());
    const double capture = captureTimes[captureTimes.size() / 2];
    const double bare = bareTimes[bareTimes.size() / 2];
    std::printf("capture / bare BitBlt           %.2f  (%.0f us / %.0f us, %dx%d)\n", capture / bare, capture,
                bare, width, height);

    // A scroll step against repainting the whole view.
    pw::SystemMessageBoxes boxes;
    // A settings key of the benchmark's own; it is never written, since the form never closes.
    pw::SettingsStore settings(L"Software\\PixelwrenBench");
    pw::FrmMain form(boxes, settings);
    form.Create();
    ::ShowWindow(form.Hwnd(), SW_SHOWNORMAL);
    form.PicBmp().SetPicture(pw::CaptureWholeScreen());
    form.Form_Resize();
    Pump();
    const HWND bar = form.HScroll1().Hwnd();
    const double repaint = MedianMicroseconds(200, [&] {
        ::RedrawWindow(form.picScroll().Hwnd(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::GdiFlush();
    });
    int x = 0;
    const double move = MedianMicroseconds(200, [&] {
        x = x == 0 ? -1 : 0;
        ::SetWindowPos(form.PicBmp().Hwnd(), nullptr, x, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::UpdateWindow(form.Hwnd());
        ::GdiFlush();
    });
    bool right = true;
    const double step = MedianMicroseconds(200, [&] {
        ::SendMessageW(form.Hwnd(), WM_HSCROLL, MAKEWPARAM(right ? SB_LINERIGHT : SB_LINELEFT, 0),
                       reinterpret_cast<LPARAM>(bar));
        right = !right;
        ::UpdateWindow(form.Hwnd());
        ::GdiFlush();
    });
    std::printf("picture move / full repaint     %.2f  (%.0f us / %.0f us)\n", move / repaint, move, repaint);
    std::printf("arrow click / full repaint      %.2f  (%.0f us, with the bar's own redraw)\n", step / repaint,
                step);

    // Memory held by ten captures, and what is left once they are gone.
    const SIZE_T before = CommittedBytes();
    {
        std::vector<pw::Picture> held;
        for (int i = 0; i < 10; ++i) {
            held.push_back(pw::CaptureWholeScreen());
        }
        const double pictureBytes = 10.0 * width * height * 4;
        std::printf("memory / picture bytes          %.2f  (10 captures held)\n",
                    static_cast<double>(CommittedBytes() - before) / pictureBytes);
    }
    std::printf("memory left / picture bytes     %.2f  (after releasing them)\n",
                (static_cast<double>(CommittedBytes()) - static_cast<double>(before)) / (width * height * 4.0));
    return 0;
}
