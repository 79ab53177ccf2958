// The system clipboard, opened for one short session: closed again when the session goes, and
// given a bitmap only as far as SetClipboardData takes it.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/handles.h"

namespace pw {

class ClipboardSession {
public:
    // How long Open keeps asking while another program holds the clipboard open, and how
    // often, in milliseconds.
    static constexpr DWORD kDefaultPatienceMs = 500;
    static constexpr DWORD kRetryEveryMs = 50;

    // Opens the clipboard for `owner`; asks again every kRetryEveryMs for up to `patienceMs`
    // while it is held elsewhere. The session is false when it could not be opened; Error()
    // then tells why (5, access denied, while another program holds it).
    static ClipboardSession Open(HWND owner, DWORD patienceMs = kDefaultPatienceMs);

    ClipboardSession(ClipboardSession&& other) noexcept
        : m_open(std::exchange(other.m_open, false)), m_error(other.m_error) {}
    ClipboardSession& operator=(ClipboardSession&&) = delete;
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() { Close(); }

    explicit operator bool() const { return m_open; }
    [[nodiscard]] DWORD Error() const { return m_error; }

    // Empties the clipboard and makes the session's owner its owner.
    [[nodiscard]] bool Empty();
    // Hands the bitmap to the clipboard as CF_BITMAP. Only when SetClipboardData accepted it
    // does `bitmap` give it up; otherwise the caller still owns it.
    [[nodiscard]] bool SetBitmap(UniqueBitmap& bitmap);
    // The clipboard's CF_BITMAP, which stays the clipboard's; null when it holds none.
    [[nodiscard]] HBITMAP Bitmap() const;

    void Close();

private:
    ClipboardSession(bool open, DWORD error) : m_open(open), m_error(error) {}
    bool m_open = false;
    DWORD m_error = 0;
};

// What kept a bitmap off the clipboard: the call that failed (OpenClipboard, EmptyClipboard or
// SetClipboardData) and its error; no call when the clipboard took it.
struct ClipboardFailure {
    const wchar_t* failedCall = nullptr;
    DWORD error = 0;
};

// Empties the clipboard and hands it the bitmap as CF_BITMAP, with `owner` as its owner; while
// another program holds the clipboard it asks again, as ClipboardSession::Open does. The bitmap
// stays the caller's unless the clipboard took it.
ClipboardFailure PutBitmapOnClipboard(HWND owner, UniqueBitmap& bitmap);

// A copy of a bitmap that somebody else owns (the clipboard's, say), as a new bitmap
// compatible with the screen; null when it cannot be made.
UniqueBitmap CopyBitmap(HBITMAP source);

}  // namespace pw
