// The floor of the start-up figure: a program that only creates, shows and paints one window,
// built the way Pixelwren is. Built with WITH_PROGRAM_DLLS it first loads the DLLs Pixelwren
// imports and starts OLE and the common controls as Pixelwren does, which splits Pixelwren's
// start-up into what the system's libraries cost and what its own window costs.
#include <windows.h>
#ifdef WITH_PROGRAM_DLLS
#include <commctrl.h>
#include <ole2.h>

#include <initializer_list>
#endif

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = ::BeginPaint(hwnd, &paint);
            ::FillRect(dc, &paint.rcPaint, ::GetSysColorBrush(COLOR_BTNFACE));
            ::EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
#ifdef WITH_PROGRAM_DLLS
    for (const wchar_t* dll : {L"comdlg32.dll", L"windowscodecs.dll", L"shell32.dll", L"winspool.drv",
                               L"dwmapi.dll", L"oleaut32.dll"}) {
        ::LoadLibraryW(dll);
    }
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
#endif
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"PixelwrenBenchMinimal";
    ::RegisterClassW(&wc);
    const HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, 67, 67, 433,
                                        433, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(hwnd, show);
    ::UpdateWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
