// Owners for Win32 and GDI handles: one small move-only type per way of releasing, explicit
// get() and release(), no conversion to the raw handle and no copies.
#pragma once

#include <windows.h>

#include <utility>

namespace pw {

// Owns a handle that one free function releases. Traits give the handle type, the value that
// means "none" and the release call.
template <typename Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(pointer handle) : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    [[nodiscard]] pointer get() const { return m_handle; }
    [[nodiscard]] pointer release() { return std::exchange(m_handle, Traits::Invalid()); }
    void reset(pointer handle = Traits::Invalid()) {
        const pointer old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

private:
    pointer m_handle = Traits::Invalid();
};

template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static constexpr T Invalid() { return nullptr; }
    static void Close(T object) { ::DeleteObject(object); }
};

struct DcTraits {
    using Type = HDC;
    static constexpr HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static constexpr HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniquePalette = UniqueHandle<GdiObjectTraits<HPALETTE>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
// A device context from CreateCompatibleDC or CreateDC, freed with DeleteDC.
using UniqueDc = UniqueHandle<DcTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// A device context from GetDC or GetWindowDC. It keeps its window, since ReleaseDC needs it.
class WindowDc {
public:
    WindowDc() = default;
    static WindowDc ForClient(HWND window) { return WindowDc(window, ::GetDC(window)); }
    static WindowDc ForWholeWindow(HWND window) { return WindowDc(window, ::GetWindowDC(window)); }
    WindowDc(WindowDc&& other) noexcept
        : m_window(std::exchange(other.m_window, nullptr)), m_dc(std::exchange(other.m_dc, nullptr)) {}
    WindowDc& operator=(WindowDc&& other) noexcept {
        if (this != &other) {
            reset();
            m_window = std::exchange(other.m_window, nullptr);
            m_dc = std::exchange(other.m_dc, nullptr);
        }
        return *this;
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { reset(); }

    [[nodiscard]] HDC get() const { return m_dc; }
    [[nodiscard]] HWND window() const { return m_window; }
    void reset() {
        if (m_dc != nullptr) {
            ::ReleaseDC(m_window, m_dc);
        }
        m_dc = nullptr;
        m_window = nullptr;
    }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    WindowDc(HWND window, HDC dc) : m_window(window), m_dc(dc) {}
    HWND m_window = nullptr;
    HDC m_dc = nullptr;
};

// BeginPaint ... EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : m_window(window) { ::BeginPaint(window, &m_paint); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(m_window, &m_paint); }

    [[nodiscard]] HDC get() const { return m_paint.hdc; }
    [[nodiscard]] const RECT& dirty() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
};

// Selects a GDI object into a device context and puts the one it replaced back, into the
// same device context, when restored or destroyed.
class [[nodiscard]] SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
    ~SelectObjectGuard() { Restore(); }

    // False when the selection failed; Restore then does nothing.
    [[nodiscard]] bool Selected() const { return m_previous != nullptr && m_previous != HGDI_ERROR; }

    // Puts the previous object back and returns the one that was selected until now.
    HGDIOBJ Restore() {
        if (!Selected()) {
            return nullptr;
        }
        return ::SelectObject(m_dc, std::exchange(m_previous, nullptr));
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// SelectPalette's counterpart of SelectObjectGuard.
class [[nodiscard]] SelectPaletteGuard {
public:
    SelectPaletteGuard(HDC dc, HPALETTE palette, BOOL background = FALSE)
        : m_dc(dc), m_background(background), m_previous(::SelectPalette(dc, palette, background)) {}
    SelectPaletteGuard(const SelectPaletteGuard&) = delete;
    SelectPaletteGuard& operator=(const SelectPaletteGuard&) = delete;
    ~SelectPaletteGuard() { Restore(); }

    [[nodiscard]] bool Selected() const { return m_previous != nullptr; }

    HPALETTE Restore() {
        if (m_previous == nullptr) {
            return nullptr;
        }
        return ::SelectPalette(m_dc, std::exchange(m_previous, nullptr), m_background);
    }

private:
    HDC m_dc;
    BOOL m_background;
    HPALETTE m_previous;
};

}  // namespace pw
