// A thin base for windows of our own classes: `this` travels through lpCreateParams, is
// stored at WM_NCCREATE and cleared at WM_NCDESTROY; one HandleMessage switch per class;
// painting in one PaintContent reached from WM_PAINT and WM_PRINTCLIENT. No exception
// crosses into user32.
#pragma once

#include <windows.h>

namespace pw {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    [[nodiscard]] HWND Hwnd() const { return m_hwnd; }

protected:
    struct ClassSpec {
        const wchar_t* name;
        UINT style = 0;
        HBRUSH background = nullptr;
        HICON icon = nullptr;
        HICON smallIcon = nullptr;
        HCURSOR cursor = nullptr;  // null: the arrow
    };
    struct CreateSpec {
        DWORD exStyle = 0;
        const wchar_t* title = L"";
        DWORD style = 0;
        int x = CW_USEDEFAULT;
        int y = CW_USEDEFAULT;
        int width = CW_USEDEFAULT;
        int height = CW_USEDEFAULT;
        HWND parent = nullptr;
        HMENU menuOrId = nullptr;
    };
    // Registers the class on first use and creates the window; false when either fails (the
    // reason is in GetLastError).
    bool CreateOf(const ClassSpec& windowClass, const CreateSpec& window);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void PaintContent(HDC /*dc*/, const RECT& /*dirty*/) {}
    // An exception escaped HandleMessage; it was stopped at the window procedure.
    virtual void OnEscapedException() {}

    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};

}  // namespace pw
