// A drop of files as the shell hands it to a window that accepts files: a DROPFILES header
// followed by the wide paths, each ended by a null, and one more null at the end.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace pw::test {

// The handle goes with WM_DROPFILES to the window, which frees it with DragFinish; null when
// the memory cannot be had.
inline HDROP MakeDrop(const std::vector<std::wstring>& paths, POINT at = {10, 10}) {
    size_t chars = 1;
    for (const std::wstring& path : paths) {
        chars += path.size() + 1;
    }
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* const header = memory != nullptr ? static_cast<DROPFILES*>(::GlobalLock(memory)) : nullptr;
    if (header == nullptr) {
        if (memory != nullptr) {
            ::GlobalFree(memory);
        }
        return nullptr;
    }
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        text += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace pw::test
