// A 32-bit top-down DIB section: pixels the program can read and write in place, row 0 first,
// one 0x00RRGGBB word each.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace pw {

// Empty when the system cannot make one; `*bits` then is null.
inline UniqueBitmap CreateTopDownDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return UniqueBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

}  // namespace pw
