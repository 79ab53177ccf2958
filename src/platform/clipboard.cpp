#include "platform/clipboard.h"

namespace pw {

ClipboardSession ClipboardSession::Open(HWND owner, DWORD patienceMs) {
    const ULONGLONG deadline = ::GetTickCount64() + patienceMs;
    for (;;) {
        if (::OpenClipboard(owner)) {
            return ClipboardSession(true, 0);
        }
        const DWORD error = ::GetLastError();
        if (::GetTickCount64() >= deadline) {
            return ClipboardSession(false, error != 0 ? error : ERROR_ACCESS_DENIED);
        }
        ::Sleep(kRetryEveryMs);
    }
}

bool ClipboardSession::Empty() {
    if (!m_open) {
        return false;
    }
    if (!::EmptyClipboard()) {
        m_error = ::GetLastError();
        return false;
    }
    return true;
}

bool ClipboardSession::SetBitmap(UniqueBitmap& bitmap) {
    if (!m_open || !bitmap) {
        return false;
    }
    if (::SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
        m_error = ::GetLastError();
        return false;
    }
    // The clipboard owns it from here and deletes it when it is emptied.
    static_cast<void>(bitmap.release());
    return true;
}

HBITMAP ClipboardSession::Bitmap() const {
    return m_open ? static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)) : nullptr;
}

void ClipboardSession::Close() {
    if (std::exchange(m_open, false)) {
        ::CloseClipboard();
    }
}

ClipboardFailure PutBitmapOnClipboard(HWND owner, UniqueBitmap& bitmap) {
    ClipboardSession clipboard = ClipboardSession::Open(owner);
    const wchar_t* failed = !clipboard                     ? L"OpenClipboard"
                            : !clipboard.Empty()           ? L"EmptyClipboard"
                            : !clipboard.SetBitmap(bitmap) ? L"SetClipboardData"
                                                           : nullptr;
    return {failed, failed != nullptr ? clipboard.Error() : 0};
}

UniqueBitmap CopyBitmap(HBITMAP source) {
    BITMAP info{};
    if (source == nullptr || ::GetObjectW(source, sizeof info, &info) == 0) {
        return {};
    }
    WindowDc screen = WindowDc::ForClient(nullptr);
    UniqueBitmap copy(::CreateCompatibleBitmap(screen.get(), info.bmWidth, info.bmHeight));
    UniqueDc from(::CreateCompatibleDC(screen.get()));
    UniqueDc to(::CreateCompatibleDC(screen.get()));
    if (!copy || !from || !to) {
        return {};
    }
    SelectObjectGuard selectFrom(from.get(), source);
    SelectObjectGuard selectTo(to.get(), copy.get());
    if (!selectFrom.Selected() || !selectTo.Selected() ||
        !::BitBlt(to.get(), 0, 0, info.bmWidth, info.bmHeight, from.get(), 0, 0, SRCCOPY)) {
        return {};
    }
    return copy;
}

}  // namespace pw
