// Shared memory between pwhook.dll, inside the program under test, and pwdriver.
#pragma once

#include <windows.h>

namespace pw::test {

inline constexpr wchar_t kCommandLogName[] = L"Local\\PixelwrenE2ECommandLog";

struct CommandLog {
    static constexpr unsigned kCapacity = 256;
    volatile LONG count;
    unsigned short ids[kCapacity];
};

}  // namespace pw::test
