#include "platform/window.h"

#include "platform/handles.h"

namespace pw {

Window::~Window() {
    if (m_hwnd != nullptr) {
        ::DestroyWindow(m_hwnd);
    }
}

bool Window::CreateOf(const ClassSpec& windowClass, const CreateSpec& spec) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof existing};
    if (!::GetClassInfoExW(instance, windowClass.name, &existing)) {
        WNDCLASSEXW wc{sizeof wc};
        wc.style = windowClass.style;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hIcon = windowClass.icon;
        wc.hIconSm = windowClass.smallIcon;
        wc.hCursor = windowClass.cursor != nullptr ? windowClass.cursor
                                                   : ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = windowClass.background;
        wc.lpszClassName = windowClass.name;
        if (::RegisterClassExW(&wc) == 0) {
            return false;
        }
    }
    return ::CreateWindowExW(spec.exStyle, windowClass.name, spec.title, spec.style, spec.x,
                             spec.y, spec.width, spec.height, spec.parent, spec.menuOrId,
                             instance, this) != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDc paint(m_hwnd);
            PaintContent(paint.get(), paint.dirty());
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            ::GetClientRect(m_hwnd, &client);
            PaintContent(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        default:
            return DefaultHandling(message, wParam, lParam);
    }
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->OnEscapedException();
        // The default handling of WM_CLOSE destroys the window, whatever it holds.
        result = message == WM_CLOSE ? 0 : ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

}  // namespace pw
