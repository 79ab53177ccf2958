// pwdriver: looks at and acts on the running program from outside, as a user's tools would.
// Each subcommand prints its answer on stdout (UTF-8) and exits 0, or says what went wrong
// on stderr and exits 1. Waiting subcommands poll observable state until a timeout.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/ids.h"
#include "command_log.h"

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

// Raw bytes, so that the text reaches a pipe as UTF-8 whatever the console's code page.
void Print(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
                &written, nullptr);
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "pwdriver: %s\n", why.c_str());
    return 1;
}

HWND ToHwnd(const std::wstring& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(text.c_str(), nullptr, 0)));
}
std::string FromHwnd(HWND hwnd) { return std::to_string(reinterpret_cast<uintptr_t>(hwnd)); }
int ToInt(const std::wstring& text) { return static_cast<int>(std::wcstol(text.c_str(), nullptr, 0)); }

bool WaitFor(int timeoutMs, const std::function<bool()>& done) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (done()) {
            return true;
        }
        if (::GetTickCount64() >= end) {
            return false;
        }
        ::Sleep(20);
    }
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

std::wstring TextOf(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM context) {
    auto* s = reinterpret_cast<ChildSearch*>(context);
    if (::GetDlgCtrlID(child) == s->id) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND FindDescendant(HWND parent, int id) {
    ChildSearch search{id, nullptr};
    ::EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

struct BoxSearch {
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM context) {
    auto* s = reinterpret_cast<BoxSearch*>(context);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (::IsWindowVisible(hwnd) && std::wcscmp(cls, L"#32770") == 0 && TextOf(hwnd) == *s->title) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindMessageBox(const std::wstring& title) {
    BoxSearch search{&title, nullptr};
    ::EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string StateOf(HWND hwnd) {
    if (!::IsWindow(hwnd)) {
        return "gone";
    }
    if (!::IsWindowVisible(hwnd)) {
        return "hidden";
    }
    if (::IsIconic(hwnd)) {
        return "minimised";
    }
    if (::IsZoomed(hwnd)) {
        return "maximised";
    }
    return "normal";
}

struct Grab {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top
};

Grab GrabScreen(int x, int y, int width, int height) {
    Grab grab{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, section);
    const bool copied = section != nullptr && ::BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
    ::SelectObject(memory, old);
    if (!copied) {
        // A test that reads the screen must not go on with pixels it does not have.
        std::fprintf(stderr, "pwdriver: cannot read the screen at %d,%d %dx%d (error %lu)\n", x, y, width, height,
                     ::GetLastError());
        std::exit(1);
    }
    const auto* words = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < grab.pixels.size(); ++i) {
        grab.pixels[i] = words[i] & 0x00FFFFFFu;
    }
    ::DeleteObject(section);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return grab;
}

bool SaveGrab(const Grab& grab, const std::wstring& path) {
    std::ofstream out(path.c_str(), std::ios::binary);
    const uint32_t header[3] = {static_cast<uint32_t>(grab.width), static_cast<uint32_t>(grab.height), 0};
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(grab.pixels.data()),
              static_cast<std::streamsize>(grab.pixels.size() * 4));
    return static_cast<bool>(out);
}

// A bitmap file's pixels, read by the system's own loader.
bool GrabOfFile(Grab& grab, const std::wstring& path) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bitmap == nullptr) {
        return false;
    }
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof info, &info);
    grab = {info.bmWidth, info.bmHeight, std::vector<uint32_t>(static_cast<size_t>(info.bmWidth) * info.bmHeight)};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB};
    HDC screen = ::GetDC(nullptr);
    const bool read = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), grab.pixels.data(), &bi,
                                  DIB_RGB_COLORS) == info.bmHeight;
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(bitmap);
    for (uint32_t& pixel : grab.pixels) {
        pixel &= 0x00FFFFFFu;
    }
    return read;
}

bool LoadGrab(Grab& grab, const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    uint32_t header[3] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    grab.width = static_cast<int>(header[0]);
    grab.height = static_cast<int>(header[1]);
    grab.pixels.resize(static_cast<size_t>(grab.width) * grab.height);
    in.read(reinterpret_cast<char*>(grab.pixels.data()), static_cast<std::streamsize>(grab.pixels.size() * 4));
    return static_cast<bool>(in);
}

// backdrop: a window of one colour, for captures to find; it can paint slowly.
COLORREF g_backdropColour = 0;
DWORD g_paintDelayMs = 0;
int g_paints = 0;

LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(hwnd, &paint);
            // The update region is already empty here; a slow painter is the hard case for
            // anyone waiting for this window to finish.
            ::Sleep(g_paintDelayMs);
            HBRUSH brush = ::CreateSolidBrush(g_backdropColour);
            ::FillRect(dc, &paint.rcPaint, brush);
            ::DeleteObject(brush);
            ::EndPaint(hwnd, &paint);
            // The title counts the paints, for tests that need to know one happened.
            const std::wstring title = L"pwdriver backdrop " + std::to_wstring(++g_paints);
            ::SetWindowTextW(hwnd, title.c_str());
            return 0;
        }
        case WM_APP:  // a new colour, painted wherever the window is visible now
            g_backdropColour = static_cast<COLORREF>(wParam);
            ::InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int Backdrop(const std::vector<std::wstring>& a) {
    const uint32_t rgb = static_cast<uint32_t>(std::wcstoul(a[2].c_str(), nullptr, 16));
    g_backdropColour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    const int x = ToInt(a[3]), y = ToInt(a[4]), w = ToInt(a[5]), h = ToInt(a[6]);
    g_paintDelayMs = a.size() > 7 ? static_cast<DWORD>(ToInt(a[7])) : 0;
    const bool framed = a.size() > 8 && a[8] == L"framed";
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"PwDriverBackdrop";
    ::RegisterClassExW(&wc);
    // A plain backdrop is scenery, not to become active: a slow painter that did would take
    // the X input focus under Wine late, after the window the test types into. Wine activates
    // even a no-activate window when the active one goes, though, and activating raises it:
    // now and then the screen-sized backdrop came up over the smaller ones a test had put on
    // it, in the windows' order, on the screen or both. Wine never activates a disabled window,
    // and scenery takes no input anyway.
    const DWORD exStyle = framed ? 0 : WS_EX_NOACTIVATE;
    const bool screenSized = !framed && x <= 0 && y <= 0 && w >= ::GetSystemMetrics(SM_CXSCREEN) &&
                             h >= ::GetSystemMetrics(SM_CYSCREEN);
    const DWORD style = framed ? WS_OVERLAPPEDWINDOW : WS_POPUP | (screenSized ? WS_DISABLED : 0);
    HWND hwnd = ::CreateWindowExW(exStyle, wc.lpszClassName, L"pwdriver backdrop", style, x, y, w, h, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (hwnd == nullptr) {
        return Fail("cannot create the backdrop");
    }
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    Print(FromHwnd(hwnd));
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&msg);
    }
    return 0;
}

int Run(const std::vector<std::wstring>& a) {
    const std::wstring& cmd = a[1];
    auto need = [&](size_t n) { return a.size() >= n + 2; };

    if (cmd == L"find-main" ) {
        const int timeout = need(1) ? ToInt(a[2]) : 10000;
        HWND found = nullptr;
        if (!WaitFor(timeout, [&] {
                found = ::FindWindowW(pw::ids::kMainWindowClass, nullptr);
                return found != nullptr && ::IsWindowVisible(found);
            })) {
            return Fail("no main window");
        }
        Print(FromHwnd(found));
        return 0;
    }
    if (cmd == L"wait-window" && need(2)) {
        // A shown top-level window of a class, such as the free-area capture's snapshot.
        HWND found = nullptr;
        if (!WaitFor(ToInt(a[3]), [&] {
                found = ::FindWindowW(a[2].c_str(), nullptr);
                return found != nullptr && ::IsWindowVisible(found);
            })) {
            return Fail("no such window on show");
        }
        Print(FromHwnd(found));
        return 0;
    }
    if (cmd == L"text" && need(1)) {
        Print(Utf8(TextOf(ToHwnd(a[2]))));
        return 0;
    }
    if (cmd == L"rect" && need(1)) {
        RECT r{};
        if (!::GetWindowRect(ToHwnd(a[2]), &r)) {
            return Fail("no such window");
        }
        Print(RectText(r));
        return 0;
    }
    if (cmd == L"client-rect" && need(1)) {
        HWND hwnd = ToHwnd(a[2]);
        RECT r{};
        ::GetClientRect(hwnd, &r);
        ::MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        Print(RectText(r));
        return 0;
    }
    if (cmd == L"child" && need(2)) {
        HWND child = FindDescendant(ToHwnd(a[2]), ToInt(a[3]));
        if (child == nullptr) {
            return Fail("no such child");
        }
        Print(FromHwnd(child));
        return 0;
    }
    if (cmd == L"visible" && need(1)) {
        Print(::IsWindowVisible(ToHwnd(a[2])) ? "1" : "0");
        return 0;
    }
    if (cmd == L"state" && need(1)) {
        Print(StateOf(ToHwnd(a[2])));
        return 0;
    }
    if (cmd == L"wait-state" && need(3)) {
        const std::string wanted = Utf8(a[3]);
        if (!WaitFor(ToInt(a[4]), [&] { return StateOf(ToHwnd(a[2])) == wanted; })) {
            return Fail("state is " + StateOf(ToHwnd(a[2])) + ", not " + wanted);
        }
        return 0;
    }
    if (cmd == L"scroll" && need(1)) {
        SCROLLINFO info{sizeof info, SIF_ALL};
        if (!::GetScrollInfo(ToHwnd(a[2]), SB_CTL, &info)) {
            return Fail("no scroll information");
        }
        Print(std::to_string(info.nMin) + " " + std::to_string(info.nMax) + " " + std::to_string(info.nPage) +
              " " + std::to_string(info.nPos));
        return 0;
    }
    if (cmd == L"command" && need(2)) {
        ::SendMessageW(ToHwnd(a[2]), WM_COMMAND, MAKEWPARAM(ToInt(a[3]), 0), 0);
        return 0;
    }
    if (cmd == L"post-command" && need(2)) {
        return ::PostMessageW(ToHwnd(a[2]), WM_COMMAND, MAKEWPARAM(ToInt(a[3]), 0), 0) ? 0 : Fail("post failed");
    }
    if (cmd == L"gui-thread" && need(1)) {
        // The active, focus and capture windows of the thread that owns a window.
        GUITHREADINFO info{sizeof info};
        if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(ToHwnd(a[2]), nullptr), &info)) {
            return Fail("no GUI thread information");
        }
        Print("active " + FromHwnd(info.hwndActive) + " focus " + FromHwnd(info.hwndFocus) + " capture " +
              FromHwnd(info.hwndCapture) + " menu " + FromHwnd(info.hwndMenuOwner) + " flags " +
              std::to_string(info.flags));
        return 0;
    }
    if (cmd == L"windows") {
        // The shown top-level windows, top to bottom, with the active one marked: what a
        // failure's screen shot is stacked from.
        const HWND active = ::GetForegroundWindow();
        for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
            RECT r{};
            wchar_t title[64] = L"";
            if (!::IsWindowVisible(w) || !::GetWindowRect(w, &r)) {
                continue;
            }
            ::GetWindowTextW(w, title, 64);
            Print(FromHwnd(w) + (w == active ? " * " : "   ") + RectText(r) + " " + Utf8(title));
        }
        return 0;
    }
    if (cmd == L"foreground") {
        Print(FromHwnd(::GetForegroundWindow()));
        return 0;
    }
    if (cmd == L"wait-foreground" && need(2)) {
        HWND wanted = ToHwnd(a[2]);
        if (!WaitFor(ToInt(a[3]), [&] { return ::GetForegroundWindow() == wanted; })) {
            return Fail("foreground is " + FromHwnd(::GetForegroundWindow()));
        }
        return 0;
    }
    if (cmd == L"wait-size" && need(4)) {
        HWND hwnd = ToHwnd(a[2]);
        const int w = ToInt(a[3]), h = ToInt(a[4]);
        RECT r{};
        if (!WaitFor(ToInt(a[5]), [&] {
                ::GetWindowRect(hwnd, &r);
                return r.right - r.left == w && r.bottom - r.top == h;
            })) {
            return Fail("size is " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        }
        return 0;
    }
    if (cmd == L"wait-box" && need(2)) {
        HWND box = nullptr;
        if (!WaitFor(ToInt(a[3]), [&] { return (box = FindMessageBox(a[2])) != nullptr; })) {
            return Fail("no message box with that title");
        }
        Print(FromHwnd(box));
        return 0;
    }
    if (cmd == L"no-box" && need(1)) {
        return FindMessageBox(a[2]) == nullptr ? 0 : Fail("a message box is open");
    }
    if (cmd == L"box-text" && need(1)) {
        Print(Utf8(TextOf(::GetDlgItem(ToHwnd(a[2]), 0xFFFF))));
        return 0;
    }
    if (cmd == L"box-buttons" && need(1)) {
        std::string ids;
        for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
            HWND button = ::GetDlgItem(ToHwnd(a[2]), id);
            if (button != nullptr && ::IsWindowVisible(button)) {
                ids += (ids.empty() ? "" : " ") + std::to_string(id);
            }
        }
        Print(ids);
        return 0;
    }
    if (cmd == L"box-answer" && need(2)) {
        // What a click on the box's button sends, without activating the box.
        const HWND box = ToHwnd(a[2]);
        const int id = ToInt(a[3]);
        const HWND button = ::GetDlgItem(box, id);
        if (button == nullptr) {
            return Fail("no such button");
        }
        return ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                              reinterpret_cast<LPARAM>(button))
                   ? 0
                   : Fail("post failed");
    }
    if (cmd == L"pixel" && need(2)) {
        const Grab g = GrabScreen(ToInt(a[2]), ToInt(a[3]), 1, 1);
        char text[16];
        std::snprintf(text, sizeof text, "%06X", g.pixels[0]);
        Print(text);
        return 0;
    }
    if (cmd == L"count-colour" && need(5)) {
        const Grab g = GrabScreen(ToInt(a[2]), ToInt(a[3]), ToInt(a[4]), ToInt(a[5]));
        const uint32_t rgb = static_cast<uint32_t>(std::wcstoul(a[6].c_str(), nullptr, 16));
        size_t count = 0;
        for (uint32_t p : g.pixels) {
            count += p == rgb;
        }
        Print(std::to_string(count));
        return 0;
    }
    if (cmd == L"grab" && need(5)) {
        return SaveGrab(GrabScreen(ToInt(a[2]), ToInt(a[3]), ToInt(a[4]), ToInt(a[5])), a[6]) ? 0
                                                                                                : Fail("cannot write");
    }
    if (cmd == L"compare-grab" && need(3)) {
        // Pixels of a saved grab that differ from the screen at (x, y) now.
        Grab saved;
        if (!LoadGrab(saved, a[2])) {
            return Fail("cannot read the grab");
        }
        const Grab now = GrabScreen(ToInt(a[3]), ToInt(a[4]), saved.width, saved.height);
        size_t differ = 0;
        for (size_t i = 0; i < saved.pixels.size(); ++i) {
            differ += saved.pixels[i] != now.pixels[i];
        }
        Print(std::to_string(differ));
        return 0;
    }
    if (cmd == L"file-vs-grab" && need(2)) {
        // Pixels of a bitmap file, read by the system's own loader, that differ from a saved
        // grab; "size WxH" when the sizes differ.
        Grab file;
        Grab saved;
        if (!GrabOfFile(file, a[2]) || !LoadGrab(saved, a[3])) {
            return Fail("cannot read the bitmap file or the grab");
        }
        if (file.width != saved.width || file.height != saved.height) {
            Print("size " + std::to_string(file.width) + "x" + std::to_string(file.height));
            return 0;
        }
        size_t differ = 0;
        for (size_t i = 0; i < saved.pixels.size(); ++i) {
            differ += file.pixels[i] != saved.pixels[i];
        }
        Print(std::to_string(differ));
        return 0;
    }
    if (cmd == L"find-image" && need(7)) {
        // Where on the screen, inside x y w h, image N (from 1) of a strip of SIZE-pixel cells
        // shows, its silver key left out: "X Y", or a failure.
        Grab strip;
        if (!GrabOfFile(strip, a[2])) {
            return Fail("cannot read the strip");
        }
        const int cell = ToInt(a[3]) - 1, size = ToInt(a[4]);
        const Grab screen = GrabScreen(ToInt(a[5]), ToInt(a[6]), ToInt(a[7]), ToInt(a[8]));
        for (int y = 0; y + size <= screen.height; ++y) {
            for (int x = 0; x + size <= screen.width; ++x) {
                bool same = true;
                for (int j = 0; j < size && same; ++j) {
                    for (int i = 0; i < size && same; ++i) {
                        const uint32_t want = strip.pixels[static_cast<size_t>(j) * strip.width + cell * size + i];
                        same = want == 0xC0C0C0u ||
                               screen.pixels[static_cast<size_t>(y + j) * screen.width + x + i] == want;
                    }
                }
                if (same) {
                    Print(std::to_string(ToInt(a[5]) + x) + " " + std::to_string(ToInt(a[6]) + y));
                    return 0;
                }
            }
        }
        return Fail("the image is not on the screen there");
    }
    if (cmd == L"keep-desktop") {
        // A hidden window that keeps the virtual desktop open between tests: Wine closes a
        // desktop when its last window goes, and a new one starts with the X input focus
        // on a window that no longer exists.
        HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"pwdriver keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (hwnd == nullptr) {
            return Fail("cannot create the keeper window");
        }
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&msg);
        }
        return 0;
    }
    if (cmd == L"backdrop" && need(5)) {
        return Backdrop(a);
    }
    if (cmd == L"backdrop-colour" && need(2)) {
        // Returns once the backdrop has invalidated itself; its repaint follows. With a
        // command after it ("backdrop-colour B RRGGBB MAIN ID") that command is sent at once,
        // while the backdrop is still painting.
        const uint32_t rgb = static_cast<uint32_t>(std::wcstoul(a[3].c_str(), nullptr, 16));
        const COLORREF colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        ::SendMessageW(ToHwnd(a[2]), WM_APP, colour, 0);
        if (need(4)) {
            ::SendMessageW(ToHwnd(a[4]), WM_COMMAND, MAKEWPARAM(ToInt(a[5]), 0), 0);
        }
        return 0;
    }
    if (cmd == L"toolbar-item-rect" && need(2)) {
        // TB_GETITEMRECT fills a RECT in the toolbar's own process: lend it one there.
        HWND toolbar = ToHwnd(a[2]);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(toolbar, &pid);
        HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid);
        if (process == nullptr) {
            return Fail("cannot open the toolbar's process");
        }
        void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
        RECT rect{};
        const bool ok = remote != nullptr &&
                        ::SendMessageW(toolbar, TB_GETITEMRECT, ToInt(a[3]) - 1, reinterpret_cast<LPARAM>(remote)) &&
                        ::ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
        if (remote != nullptr) {
            ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        }
        ::CloseHandle(process);
        if (!ok) {
            return Fail("no such toolbar item");
        }
        ::MapWindowPoints(toolbar, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        Print(RectText(rect));
        return 0;
    }
    if (cmd == L"watch-commands" && need(2)) {
        // Records the main window's WM_COMMANDs (through pwhook.dll, on its thread) until this
        // process ends; prints "watching" once the hook is in place.
        HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              sizeof(pw::test::CommandLog), pw::test::kCommandLogName);
        auto* log = static_cast<pw::test::CommandLog*>(
            ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(pw::test::CommandLog)));
        if (log == nullptr) {
            return Fail("cannot share the command log");
        }
        log->count = 0;
        HMODULE dll = ::LoadLibraryW(a[3].c_str());
        const auto proc = dll != nullptr ? reinterpret_cast<HOOKPROC>(
                                               reinterpret_cast<void*>(::GetProcAddress(dll, "RecordCommand")))
                                         : nullptr;
        const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(a[2]), nullptr);
        HHOOK hook = proc != nullptr ? ::SetWindowsHookExW(WH_CALLWNDPROC, proc, dll, thread) : nullptr;
        if (hook == nullptr) {
            return Fail("cannot hook the main window's thread (module " + std::string(dll ? "loaded" : "missing") +
                        ", error " + std::to_string(::GetLastError()) + ")");
        }
        Print("watching");
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&msg);
        }
        ::UnhookWindowsHookEx(hook);
        return 0;
    }
    if (cmd == L"commands-seen") {
        HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, pw::test::kCommandLogName);
        const auto* log = mapping != nullptr ? static_cast<const pw::test::CommandLog*>(::MapViewOfFile(
                                                   mapping, FILE_MAP_READ, 0, 0, sizeof(pw::test::CommandLog)))
                                             : nullptr;
        if (log == nullptr) {
            return Fail("nobody is watching commands");
        }
        std::string ids;
        const LONG seen = log->count;
        const LONG count = std::min<LONG>(seen, static_cast<LONG>(pw::test::CommandLog::kCapacity));
        for (LONG i = 0; i < count; ++i) {
            ids += (i == 0 ? "" : " ") + std::to_string(log->ids[i]);
        }
        Print(ids);
        return 0;
    }
    if (cmd == L"tooltip") {
        // The text of a tooltip on show, of any program.
        HWND tip = nullptr;
        while ((tip = ::FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr) {
            if (::IsWindowVisible(tip)) {
                // GetWindowText does not ask another process's window; WM_GETTEXT does.
                wchar_t text[256] = {};
                DWORD_PTR ignored = 0;
                ::SendMessageTimeoutW(tip, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                      2000, &ignored);
                Print(Utf8(text));
                return 0;
            }
        }
        return Fail("no tooltip on show");
    }
    if (cmd == L"scroll-to-end" && need(1)) {
        // What the bars send when the user drags both thumbs to their far ends.
        HWND main = ToHwnd(a[2]);
        const HWND h = FindDescendant(main, pw::ids::kHScroll1);
        const HWND v = FindDescendant(main, pw::ids::kVScroll1);
        ::SendMessageW(main, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), reinterpret_cast<LPARAM>(h));
        ::SendMessageW(main, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), reinterpret_cast<LPARAM>(v));
        return 0;
    }
    if (cmd == L"wait-menu" && need(1)) {
        // An open popup menu, such as the one Alt plus an access key opens.
        if (!WaitFor(ToInt(a[2]), [] {
                HWND menu = ::FindWindowW(L"#32768", nullptr);
                return menu != nullptr && ::IsWindowVisible(menu);
            })) {
            return Fail("no menu opened");
        }
        return 0;
    }
    if (cmd == L"redraw" && need(1)) {
        // Repaints a window and its children now, as an uncovering would.
        ::RedrawWindow(ToHwnd(a[2]), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return 0;
    }
    if (cmd == L"item-text" && need(2)) {
        // The text of a dialog's control in another process: WM_GETTEXT, which GetWindowText
        // does not send there. For a combo box, that of its edit field.
        HWND item = ::GetDlgItem(ToHwnd(a[2]), ToInt(a[3]));
        if (item == nullptr) {
            return Fail("no such dialog item");
        }
        std::wstring text(32768, L'\0');
        DWORD_PTR length = 0;
        ::SendMessageTimeoutW(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                              2000, &length);
        text.resize(length);
        Print(Utf8(text));
        return 0;
    }
    if (cmd == L"controls" && need(1)) {
        // Every child of a window: id, class and text, one a line.
        std::vector<HWND> children;
        ::EnumChildWindows(ToHwnd(a[2]), CollectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            wchar_t cls[64] = {};
            ::GetClassNameW(child, cls, 64);
            wchar_t text[256] = {};
            ::SendMessageTimeoutW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                                  nullptr);
            Print(std::to_string(::GetDlgCtrlID(child)) + " " + Utf8(cls) + " " +
                  (::IsWindowVisible(child) ? "visible" : "hidden") + " '" + Utf8(text) + "'");
        }
        return 0;
    }
    if (cmd == L"minimise" && need(1)) {
        // As the caption's minimise button does.
        return ::PostMessageW(ToHwnd(a[2]), WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0
                                                                           : Fail("post failed");
    }
    if (cmd == L"drop" && need(3)) {
        // Files dropped on a window: drop HWND HOOK-DLL FILE... The drop is made inside the
        // window's process by pwhook.dll, as the system makes it there.
        HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              pw::test::kDropListChars * sizeof(wchar_t),
                                              pw::test::kDropListName);
        auto* list = mapping != nullptr ? static_cast<wchar_t*>(::MapViewOfFile(
                                              mapping, FILE_MAP_WRITE, 0, 0, pw::test::kDropListChars * sizeof(wchar_t)))
                                        : nullptr;
        size_t used = 0;
        for (size_t i = 4; i < a.size() && list != nullptr; ++i) {
            if (used + a[i].size() + 2 > pw::test::kDropListChars) {
                return Fail("too many files to drop");
            }
            std::copy(a[i].begin(), a[i].end(), list + used);
            used += a[i].size();
            list[used++] = L'\0';
        }
        if (list == nullptr) {
            return Fail("cannot share the files to drop");
        }
        list[used] = L'\0';
        HMODULE dll = ::LoadLibraryW(a[3].c_str());
        const auto proc = dll != nullptr ? reinterpret_cast<HOOKPROC>(
                                               reinterpret_cast<void*>(::GetProcAddress(dll, "DeliverDrop")))
                                         : nullptr;
        const HWND window = ToHwnd(a[2]);
        HHOOK hook = proc != nullptr ? ::SetWindowsHookExW(WH_CALLWNDPROC, proc, dll,
                                                           ::GetWindowThreadProcessId(window, nullptr))
                                     : nullptr;
        if (hook == nullptr) {
            return Fail("cannot hook the window's thread");
        }
        DWORD_PTR result = 0;
        const bool sent = ::SendMessageTimeoutW(window, ::RegisterWindowMessageW(pw::test::kDropMessageName), 0, 0,
                                                SMTO_NORMAL, 5000, &result) != 0;
        ::UnhookWindowsHookEx(hook);
        return sent ? 0 : Fail("the window did not take the drop");
    }
    if (cmd == L"run-detached" && need(1)) {
        // Starts a program as Explorer does, with no console and no standard handles, waits for
        // it and prints its exit code: run-detached EXE ARGUMENTS...
        std::wstring line = L"\"" + a[2] + L"\"";
        for (size_t i = 3; i < a.size(); ++i) {
            line += L" " + a[i];
        }
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(a[2].c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                              nullptr, nullptr, &startup, &process)) {
            return Fail("cannot start the program");
        }
        ::CloseHandle(process.hThread);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hProcess);
        Print(std::to_string(code));
        return 0;
    }
    if (cmd == L"close" && need(1)) {
        ::PostMessageW(ToHwnd(a[2]), WM_CLOSE, 0, 0);
        return 0;
    }
    return Fail("unknown or incomplete command");
}

}  // namespace

int wmain() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + argc);
    ::LocalFree(argv);
    if (args.size() < 2) {
        return Fail("usage: pwdriver COMMAND ...");
    }
    return Run(args);
}
