// Prints ratios for the free-area capture against one plain full-screen BitBlt measured in the
// same run:
//   arming / BitBlt            from the command to the snapshot on show
//   feedback pair / BitBlt     one erase-and-draw per mouse message, on a 1280x800 and on a
//                              3840x2160 surface; it reads no screen pixels, so it should
//                              cost a small fraction of one screen copy
//   magnifier move / BitBlt    the magnifier following the pointer by one step: the snapshot's
//                              pixels around it drawn at eight times and the window moved, on a
//                              1280x800 and on a 3840x2160 snapshot; no screen read either
//   landing / BitBlt           the area onto the clipboard and back into the view
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>
#include <string>

#include "bench.h"
#include "app/frm_main.h"
#include "core/ids.h"
#include "area/feedback.h"
#include "area/free_area.h"
#include "area/magnifier.h"
#include "platform/com.h"
#include "platform/handles.h"

namespace {

using pw::bench::Clock;
using pw::bench::MedianMicroseconds;
using pw::bench::Pump;

// Erase and draw, as each mouse message costs, over `moves` corners on a surface of this size.
double FeedbackPair(HDC dc, int width, int height) {
    int i = 0;
    pw::Rect shown{width / 8, height / 8, width / 2, height / 2};
    pw::DrawSelectionFeedback(dc, shown);
    const double pair = MedianMicroseconds(400, [&] {
        pw::DrawSelectionFeedback(dc, shown);
        ++i;
        shown.right = width / 2 + (i % 64) * 3;
        shown.bottom = height / 2 + (i % 48) * 2;
        pw::DrawSelectionFeedback(dc, shown);
        ::GdiFlush();
    });
    pw::DrawSelectionFeedback(dc, shown);
    return pair;
}

// One step of the magnifier after the pointer, over a snapshot of this size shown on a window
// over the screen, as the snapshot window shows it.
double MagnifierMove(HDC screen, int width, int height) {
    pw::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    pw::UniqueDc dc(::CreateCompatibleDC(screen));
    pw::SelectObjectGuard select(dc.get(), bitmap.get());
    ::PatBlt(dc.get(), 0, 0, width, height, WHITENESS);
    const pw::ScreenSource source{dc.get(), 0, 0};
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    const HWND surface = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                                           WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                                           nullptr, nullptr);
    Pump();
    pw::Magnifier magnifier;
    magnifier.SetWorkAreas({{0, 0, w, h}});
    int i = 0;
    magnifier.Follow(surface, source, {w / 4, h / 4});
    const double move = MedianMicroseconds(400, [&] {
        ++i;
        magnifier.Follow(surface, source, {w / 4 + (i % 64) * 3, h / 4 + (i % 48) * 2});
        ::GdiFlush();
    });
    magnifier.Reset();
    ::DestroyWindow(surface);
    Pump();
    return move;
}

}  // namespace

int main() {
    pw::OleApartment ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);

    pw::WindowDc screen = pw::WindowDc::ForClient(nullptr);
    pw::UniqueBitmap target(::CreateCompatibleBitmap(screen.get(), width, height));
    pw::UniqueDc memory(::CreateCompatibleDC(screen.get()));
    pw::SelectObjectGuard select(memory.get(), target.get());
    const double blit = MedianMicroseconds(40, [&] {
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    });

    // Feedback on the screen's size and on a 4K virtual screen.
    const double pairScreen = FeedbackPair(memory.get(), width, height);
    pw::UniqueBitmap large(::CreateCompatibleBitmap(screen.get(), 3840, 2160));
    pw::UniqueDc largeDc(::CreateCompatibleDC(screen.get()));
    pw::SelectObjectGuard selectLarge(largeDc.get(), large.get());
    const double pairLarge = FeedbackPair(largeDc.get(), 3840, 2160);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    pw::bench::Figure(("free area: feedback erase-and-draw pair " + size).c_str(), pairScreen, blit, "us", 0.0,
                      "full-screen BitBlt");
    pw::bench::Figure("free area: feedback erase-and-draw pair 3840x2160", pairLarge, blit, "us", 0.0,
                      "full-screen BitBlt");

    const double magnifierScreen = MagnifierMove(screen.get(), width, height);
    const double magnifierLarge = MagnifierMove(screen.get(), 3840, 2160);
    pw::bench::Figure(("free area: magnifier move " + size).c_str(), magnifierScreen, blit, "us",
                      0.0, "full-screen BitBlt");
    pw::bench::Figure("free area: magnifier move 3840x2160", magnifierLarge, blit, "us", 0.0,
                      "full-screen BitBlt");

    // Arming and landing on the real main window.
    pw::SystemMessageBoxes boxes;
    pw::SettingsStore settings(L"Software\\PixelwrenBench");
    pw::FrmMain form(boxes, settings);
    form.Create();
    ::ShowWindow(form.Hwnd(), SW_SHOWNORMAL);
    Pump();
    std::vector<double> arming;
    for (int i = 0; i < 8; ++i) {
        ::ShowWindow(form.Hwnd(), SW_SHOWNORMAL);
        Pump();
        const auto start = Clock::now();
        form.RunCommand(pw::ids::kMnuDistrict);
        arming.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        ::SendMessageW(form.Snapshot().Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
    }
    std::sort(arming.begin(), arming.end());
    const double arm = arming[arming.size() / 2];
    pw::bench::Figure("free area: arming (minimise, repaint wait, snapshot shown)", arm, blit, "us", 0.0,
                      "full-screen BitBlt");

    pw::ScreenSnapshot snapshot = pw::TakeVirtualScreenSnapshot();
    pw::UniqueDc snapshotDc(::CreateCompatibleDC(screen.get()));
    pw::SelectObjectGuard selectSnapshot(snapshotDc.get(), snapshot.bitmap.get());
    const pw::ScreenSource source{snapshotDc.get(), snapshot.bounds.left, snapshot.bounds.top};
    const double landing = MedianMicroseconds(20, [&] {
        pw::CopyScreenAreaToClipboard(source, form.Hwnd(), 0, 0, width / 2, height / 2);
        const auto picture = pw::PictureFromClipboard(form.Hwnd());
    });
    pw::bench::Figure(("free area: landing a " + std::to_string(width / 2) + "x" + std::to_string(height / 2) +
                       " area")
                          .c_str(),
                      landing, blit, "us", 0.0, "full-screen BitBlt");
    return 0;
}
