// Shared memory between pwhook.dll, inside the program under test, and pwdriver.
#pragma once

#include <windows.h>

namespace pw::test {

inline constexpr wchar_t kCommandLogName[] = L"Local\\PixelwrenE2ECommandLog";

// Files for pwhook.dll to drop on the main window from inside the program, as the system's
// drag and drop does (a drop's memory cannot be handed from one process to another): the
// paths, each ended by a null, and one more null at the end. The driver sends the message
// named here to the main window with DeliverDrop hooked onto its thread.
inline constexpr wchar_t kDropListName[] = L"Local\\PixelwrenE2EDropList";
inline constexpr wchar_t kDropMessageName[] = L"PixelwrenE2EDrop";
inline constexpr unsigned kDropListChars = 4096;

struct CommandLog {
    static constexpr unsigned kCapacity = 256;
    volatile LONG count;
    unsigned short ids[kCapacity];
};

}  // namespace pw::test
