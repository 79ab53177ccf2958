// Functions of the system's own libraries, resolved on first use from the system folder only.
// A library that the program imports is loaded before the program's first line runs, and on
// Windows one that is not among the system's known libraries is looked for in the program's
// folder first; a library loaded here never is.
#pragma once

#include <windows.h>

namespace pw {

// Makes the system folder the only place the process loads libraries from by name, for the
// program's own loads and for those the system libraries make on its behalf. Called first
// thing at start. Where the system lacks that setting (Windows 7 without its 2011 loader
// update), the current folder is at least taken out of the search.
void LoadLibrariesFromSystemFolderOnly();

// The address of `function` in the system library `library` (as L"dwmapi.dll"), loaded from
// the system folder and kept loaded for the life of the process; null when either is missing,
// with the error code in `*error` when given.
FARPROC SystemProcAddress(const wchar_t* library, const char* function, DWORD* error = nullptr);

// The same, typed by the declaration in the system's header, so that no signature is written
// twice: SystemFunction<decltype(::DwmFlush)>(L"dwmapi.dll", "DwmFlush").
template <typename F>
F* SystemFunction(const wchar_t* library, const char* function, DWORD* error = nullptr) {
    return reinterpret_cast<F*>(
        reinterpret_cast<void*>(SystemProcAddress(library, function, error)));
}

[[noreturn]] void ThrowMissingSystemFunction(const wchar_t* library, const char* function,
                                             DWORD error);

// As SystemFunction, for a function the caller cannot do without: a missing library or
// function throws Failure naming both and the cause.
template <typename F>
F* RequiredSystemFunction(const wchar_t* library, const char* function) {
    DWORD error = 0;
    F* const resolved = SystemFunction<F>(library, function, &error);
    if (resolved == nullptr) {
        ThrowMissingSystemFunction(library, function, error);
    }
    return resolved;
}

}  // namespace pw
