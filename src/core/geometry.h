// Plain geometry in pixels.
#pragma once

#include <cstdint>

namespace pw {

// Left, top, right, bottom in screen pixels; right and bottom are exclusive.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A position with a size: x, y, width, height.
struct Box {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

inline bool IsEmpty(Size size) { return size.width <= 0 || size.height <= 0; }

}  // namespace pw
