#include "support.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <utility>

#include <gtest/gtest.h>

#include "platform/clipboard.h"
#include "platform/dib.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace pw::test {

int CountGdiObjects() {
    int count = 0;
    for (uintptr_t value = 1; value <= 0xFFFF; ++value) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0) {
            ++count;
        }
    }
    return count;
}

namespace {

Pixels ReadFromDc(HDC source, int x, int y, int width, int height) {
    Pixels pixels{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    void* bits = nullptr;
    UniqueBitmap section = CreateTopDownDib(width, height, &bits);
    UniqueDc memory(::CreateCompatibleDC(source));
    if (!section || !memory) {
        return pixels;
    }
    {
        SelectObjectGuard select(memory.get(), section.get());
        ::BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY);
    }
    const auto* words = static_cast<const uint32_t*>(bits);
    std::transform(words, words + pixels.data.size(), pixels.data.begin(),
                   [](uint32_t word) { return word & 0x00FFFFFFu; });
    return pixels;
}

}  // namespace

Pixels ReadBitmap(HBITMAP bitmap) {
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof info, &info);
    UniqueDc memory(::CreateCompatibleDC(nullptr));
    SelectObjectGuard select(memory.get(), bitmap);
    return ReadFromDc(memory.get(), 0, 0, info.bmWidth, info.bmHeight);
}

int Differences(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height) {
        return -1;
    }
    int differ = 0;
    for (size_t i = 0; i < a.data.size(); ++i) {
        differ += a.data[i] != b.data[i];
    }
    return differ;
}

Pixels ReadScreen(const RECT& area) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    return ReadFromDc(screen.get(), area.left, area.top, area.right - area.left,
                      area.bottom - area.top);
}

PaintedWindow::PaintedWindow(int x, int y, int clientWidth, int clientHeight, bool framed)
    : m_width(clientWidth), m_height(clientHeight) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof existing};
    if (!::GetClassInfoExW(instance, L"PixelwrenTestPainted", &existing)) {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"PixelwrenTestPainted";
        ::RegisterClassExW(&wc);
    }
    const DWORD style = framed ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU) : WS_POPUP;
    RECT outer{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&outer, style, FALSE, WS_EX_TOPMOST);
    m_hwnd = ::CreateWindowExW(WS_EX_TOPMOST, L"PixelwrenTestPainted", L"Painted", style, x, y,
                               outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                               instance, this);
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::UpdateWindow(m_hwnd);
    PumpMessages(100);
}

PaintedWindow::~PaintedWindow() { ::DestroyWindow(m_hwnd); }

uint32_t PaintedWindow::ExpectedAt(int x, int y) const {
    const bool left = x < m_width / 2;
    const bool top = y < m_height / 2;
    return Rgb(top ? (left ? kTopLeft : kTopRight) : (left ? kBottomLeft : kBottomRight));
}

RECT PaintedWindow::WindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hwnd, &rect);
    return rect;
}

RECT PaintedWindow::ClientRectOnScreen() const {
    RECT rect{};
    ::GetClientRect(m_hwnd, &rect);
    ::MapWindowPoints(m_hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LRESULT CALLBACK PaintedWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PaintedWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    if (message == WM_PAINT && self != nullptr) {
        PaintDc paint(hwnd);
        const int w = self->m_width;
        const int h = self->m_height;
        const struct {
            RECT rect;
            COLORREF colour;
        } quadrants[] = {{{0, 0, w / 2, h / 2}, kTopLeft},
                         {{w / 2, 0, w, h / 2}, kTopRight},
                         {{0, h / 2, w / 2, h}, kBottomLeft},
                         {{w / 2, h / 2, w, h}, kBottomRight}};
        for (const auto& q : quadrants) {
            UniqueBrush brush(::CreateSolidBrush(q.colour));
            ::FillRect(paint.get(), &q.rect, brush.get());
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void PumpMessages(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    MSG message;
    do {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(5);
    } while (::GetTickCount64() < end);
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    if (!m_answers.empty()) {
        ADD_FAILURE() << m_answers.size() << " scripted message box answer(s) never asked for";
    }
}

int ScriptedMessageBoxes::Show(HWND owner, const std::wstring& text, const std::wstring& title,
                               UINT style) {
    m_asked.push_back({owner, text, title, style});
    if (const std::function<void()> act = std::exchange(m_whileAsked, nullptr)) {
        act();
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "a message box the test did not expect: " << Narrow(text);
        return IDCANCEL;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

Picture SolidPicture(int width, int height, COLORREF colour) {
    WindowDc screen = WindowDc::ForClient(nullptr);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    {
        UniqueDc memory(::CreateCompatibleDC(screen.get()));
        SelectObjectGuard select(memory.get(), bitmap.get());
        UniqueBrush brush(::CreateSolidBrush(colour));
        const RECT all{0, 0, width, height};
        ::FillRect(memory.get(), &all, brush.get());
    }
    return CreatePictureFromBitmap(std::move(bitmap), UniquePalette());
}

Picture PatternPicture(int width, int height) {
    void* bits = nullptr;
    UniqueBitmap section = CreateTopDownDib(width, height, &bits);
    auto* words = static_cast<uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            words[static_cast<size_t>(y) * width + x] = PatternColour(x, y);
        }
    }
    return CreatePictureFromBitmap(std::move(section), UniquePalette());
}

GdiExhaustion::GdiExhaustion() {
    // Every process has a ceiling on GDI handles (10,000 by default on Windows, the size of
    // the handle table under Wine); stop at the first refusal.
    for (int i = 0; i < 70000; ++i) {
        const HBITMAP bitmap = ::CreateBitmap(1, 1, 1, 1, nullptr);
        if (bitmap == nullptr) {
            break;
        }
        m_held.push_back(bitmap);
    }
}

GdiExhaustion::~GdiExhaustion() {
    for (const HBITMAP bitmap : m_held) {
        ::DeleteObject(bitmap);
    }
}

}  // namespace pw::test

namespace pw::test {

namespace {
constexpr wchar_t kHoldingEvent[] = L"PixelwrenTestsClipboardHeld";
}

int HoldClipboard(int milliseconds) {
    // A window of its own: Wine lets another opener in when both name the same window.
    const HWND owner = ::CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr,
                                         nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!::OpenClipboard(owner)) {
        return 2;
    }
    // Only open, contents unchanged: a holder that changed them would keep Wine's X
    // clipboard bridge waiting for the clipboard, and every OpenClipboard elsewhere with it.
    UniqueKernelHandle held(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kHoldingEvent));
    ::SetEvent(held.get());
    ::Sleep(static_cast<DWORD>(milliseconds));
    ::CloseClipboard();
    ::DestroyWindow(owner);
    return 0;
}

ClipboardHolder::ClipboardHolder(int milliseconds) {
    UniqueKernelHandle held(::CreateEventW(nullptr, TRUE, FALSE, kHoldingEvent));
    ::ResetEvent(held.get());
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --hold-clipboard " +
                           std::to_wstring(milliseconds);
    STARTUPINFOW startup{sizeof startup};
    if (!::CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &m_process)) {
        return;
    }
    m_holding = ::WaitForSingleObject(held.get(), 10000) == WAIT_OBJECT_0;
}

ClipboardHolder::~ClipboardHolder() {
    if (m_process.hProcess != nullptr) {
        ::WaitForSingleObject(m_process.hProcess, 15000);
        ::CloseHandle(m_process.hProcess);
        ::CloseHandle(m_process.hThread);
    }
}

void PutTextOnClipboard(const std::wstring& text) {
    for (int i = 0; i < 50 && !::OpenClipboard(nullptr); ++i) {
        ::Sleep(20);
    }
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

std::wstring TextOnClipboard() {
    for (int i = 0; i < 50 && !::OpenClipboard(nullptr); ++i) {
        ::Sleep(20);
    }
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        text = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

Pixels ClipboardPixels() {
    ClipboardSession clipboard = ClipboardSession::Open(nullptr);
    return clipboard.Bitmap() != nullptr ? ReadBitmap(clipboard.Bitmap()) : Pixels{};
}

INPUT MouseAt(int x, int y, DWORD buttons) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = buttons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = (x * 65536 + width - 1) / width;
    input.mi.dy = (y * 65536 + height - 1) / height;
    return input;
}

INPUT MouseButton(DWORD buttons) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = buttons;
    return input;
}

void SendInputs(std::initializer_list<INPUT> events) {
    ::SendInput(static_cast<UINT>(events.size()), const_cast<INPUT*>(events.begin()),
                sizeof(INPUT));
}

void MoveMouseTo(int x, int y) {
    int stayed = 0;
    for (int attempt = 0; attempt < 8 && stayed < 2; ++attempt) {
        SendInputs({MouseAt(x, y)});
        ::Sleep(100);
        POINT at{};
        ::GetCursorPos(&at);
        stayed = at.x == x && at.y == y ? stayed + 1 : 0;
    }
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace pw::test
