// Captures, the capture commands, memory and scrolling, each against the floor it cannot
// beat, measured in the same run:
//   capture routines   against a new compatible bitmap of the same size and one BitBlt
//   capture commands   against that floor plus hiding and showing a bare window
//   memory             private bytes beyond the start against one captured bitmap
//   scrolling          an arrow click and a thumb step against a bare scroll bar of the same
//                      size moved the same way, and against repainting the whole view
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/frm_main.h"
#include "core/ids.h"
#include "bench.h"
#include "capture/capture.h"
#include "platform/com.h"
#include "platform/handles.h"

namespace {

using pw::bench::AlternateMedians;
using pw::bench::Figure;
using pw::bench::Pump;

// What any capture of a window's area must do: a memory context, a compatible bitmap of the
// area's size, one BitBlt, and freeing them again.
void BareCapture(HWND window, bool client, int width, int height) {
    pw::WindowDc source = client ? pw::WindowDc::ForClient(window) : pw::WindowDc::ForWholeWindow(window);
    pw::UniqueDc memory(::CreateCompatibleDC(source.get()));
    pw::UniqueBitmap bitmap(::CreateCompatibleBitmap(source.get(), width, height));
    {
        pw::SelectObjectGuard select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
}

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND BareWindow(int x, int y, int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"PixelwrenBenchBare";
    ::RegisterClassW(&wc);
    const HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"Bare", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x,
                                        y, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd);
    return hwnd;
}

std::string Sized(const char* what, int width, int height) {
    return std::string(what) + " " + std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

int main(int argc, char** argv) {
    // With --whole-screen only the whole-screen figures, for a second screen size.
    const bool wholeScreenOnly = argc > 1 && std::string(argv[1]) == "--whole-screen";
    pw::OleApartment ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const HWND desktop = ::GetDesktopWindow();

    pw::SystemMessageBoxes boxes;
    // A settings key of the benchmark's own; the form never closes, so it is never written.
    pw::SettingsStore settings(L"Software\\PixelwrenBench");
    pw::FrmMain form(boxes, settings);
    form.Create();
    ::ShowWindow(form.Hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(form.Hwnd());
    Pump();
    const double startBytes = pw::bench::PrivateBytes();

    // Memory, before anything else has run: each capture costs one bitmap and releases the
    // one before. Wine's display driver keeps a buffer of its own after the first read of the
    // screen, which a bare BitBlt shows.
    const double bitmapBytes = 4.0 * width * height;
    if (!wholeScreenOnly) {
        BareCapture(desktop, false, width, height);
        const double afterBare = pw::bench::PrivateBytes();
        form.RunCommand(pw::ids::kMnuScreen);
        Pump();
        const double afterOne = pw::bench::PrivateBytes();
        for (int i = 0; i < 200; ++i) {
            form.RunCommand(pw::ids::kMnuScreen);
            Pump();
        }
        const double afterMany = pw::bench::PrivateBytes();
        Figure("memory left by a bare screen BitBlt", afterBare - startBytes, bitmapBytes, "bytes", 0.0,
               "one captured bitmap");
        Figure("memory after one whole-screen capture", afterOne - startBytes, bitmapBytes, "bytes", 2.0,
               "one captured bitmap");
        Figure("memory after 200 more captures", afterMany - startBytes, bitmapBytes, "bytes", 2.0,
               "one captured bitmap");
    }

    // The whole screen: the routine, and the command as the user waits for it.
    const auto [routine, floor] = AlternateMedians(
        30, [] { pw::CaptureWholeScreen(); }, [&] { BareCapture(desktop, false, width, height); });
    Figure(Sized("whole-screen capture routine", width, height).c_str(), routine, floor, "us", 1.1,
           "new bitmap + BitBlt");
    const HWND bare = BareWindow(600, 300, 433, 433);
    const auto [command, bareHideShow] = AlternateMedians(
        15,
        [&] {
            form.RunCommand(pw::ids::kMnuScreen);
            Pump();
        },
        [&] {
            BareCapture(desktop, false, width, height);
            ::ShowWindow(bare, SW_HIDE);
            ::ShowWindow(bare, SW_SHOW);
            ::SetForegroundWindow(bare);
            ::UpdateWindow(bare);
            Pump();
        });
    Figure(Sized("whole-screen command", width, height).c_str(), command, bareHideShow, "us", 1.25,
           "bitmap + BitBlt + bare hide and show");
    // Where the command's time goes beyond the floor: hiding the window, waiting until the
    // windows beneath have repainted, and showing it again, against the same for a bare window.
    const auto [hideShow, bareOnly] = AlternateMedians(
        15,
        [&] {
            { pw::WindowHiddenForCapture hidden(form.Hwnd()); }
            Pump();
        },
        [&] {
            ::ShowWindow(bare, SW_HIDE);
            ::ShowWindow(bare, SW_SHOW);
            ::SetForegroundWindow(bare);
            ::UpdateWindow(bare);
            Pump();
        });
    Figure("  of which: hide, wait for the windows beneath, show", hideShow, bareOnly, "us", 0.0,
           "bare hide and show");
    ::DestroyWindow(bare);
    ::SetForegroundWindow(form.Hwnd());
    Pump();
    if (wholeScreenOnly) {
        return 0;
    }

    // The main window itself, with and without its frame.
    RECT outer{};
    ::GetWindowRect(form.Hwnd(), &outer);
    RECT client{};
    ::GetClientRect(form.Hwnd(), &client);
    const auto [framed, framedFloor] = AlternateMedians(
        40, [&] { pw::CaptureWindowWithFrame(form.OuterExtent()); },
        [&] { BareCapture(form.Hwnd(), false, outer.right - outer.left, outer.bottom - outer.top); });
    Figure("current-window capture routine", framed, framedFloor, "us", 1.1, "new bitmap + BitBlt");
    const auto [clientArea, clientFloor] = AlternateMedians(
        40, [&] { pw::CaptureClientArea(form.ClientExtent()); },
        [&] { BareCapture(form.Hwnd(), true, client.right, client.bottom); });
    Figure("client-area capture routine", clientArea, clientFloor, "us", 1.1, "new bitmap + BitBlt");

    // Scrolling: the view holds a picture larger than itself.
    const HWND hbar = form.HScroll1().Hwnd();
    RECT barRect{};
    ::GetWindowRect(hbar, &barRect);
    const HWND host = BareWindow(200, 200, 600, 200);
    const HWND bareBar = ::CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 0,
                                           barRect.right - barRect.left, barRect.bottom - barRect.top, host,
                                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
    SCROLLINFO range{sizeof range, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 10000, 3000, 0, 0};
    ::SetScrollInfo(bareBar, SB_CTL, &range, TRUE);
    ::SetForegroundWindow(form.Hwnd());
    Pump();
    int barePos = 0;
    const auto moveBareBar = [&] {
        barePos = barePos == 0 ? 15 : 0;
        ::SetScrollPos(bareBar, SB_CTL, barePos, TRUE);
        ::UpdateWindow(host);
        ::GdiFlush();
    };
    bool right = true;
    const auto clickArrow = [&] {
        ::SendMessageW(form.Hwnd(), WM_HSCROLL, MAKEWPARAM(right ? SB_LINERIGHT : SB_LINELEFT, 0),
                       reinterpret_cast<LPARAM>(hbar));
        right = !right;
        ::UpdateWindow(form.Hwnd());
        ::GdiFlush();
    };
    const auto [arrow, bareArrow] = AlternateMedians(
        200, clickArrow,
        moveBareBar);
    Figure("scroll: arrow click", arrow, bareArrow, "us", 1.2, "bare scroll bar moved");
    int thumb = 0;
    const auto [drag, bareDrag] = AlternateMedians(
        200,
        [&] {
            // While a thumb is dragged the bar reports its tracking position; outside a drag
            // that is its position, which is set first.
            thumb = thumb == 0 ? 600 : 0;
            SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, thumb, 0};
            ::SetScrollInfo(hbar, SB_CTL, &info, TRUE);
            ::SendMessageW(form.Hwnd(), WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(hbar));
            ::UpdateWindow(form.Hwnd());
            ::GdiFlush();
        },
        moveBareBar);
    Figure("scroll: thumb drag step", drag, bareDrag, "us", 1.2, "bare scroll bar moved");
    const auto [arrowAgain, repaint] = AlternateMedians(
        200, clickArrow,
        [&] {
            ::RedrawWindow(form.picScroll().Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            ::GdiFlush();
        });
    Figure("scroll: arrow click against a full repaint", arrowAgain, repaint, "us", 0.0, "full repaint of the view");
    ::DestroyWindow(host);
    return 0;
}
