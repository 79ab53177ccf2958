// A look-alike of a system library or of a system program, put beside Pixelwren by the
// end-to-end tests under the system's names. Whatever loads or runs it leaves a mark file
// beside it, named after it with ".ran" added; the tests expect none.
#include <windows.h>

namespace {

void LeaveMark(HMODULE module) {
    wchar_t path[MAX_PATH + 8] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    ::lstrcatW(path, L".ran");
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
}

}  // namespace

#ifdef PLANTED_PROGRAM

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LeaveMark(nullptr);
    return 0;
}

#else

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        LeaveMark(instance);
    }
    return TRUE;
}

// The entry points a program could take from the libraries this one stands in for, so that
// a loader binding them finds them here and the mark, not a missing entry, shows what
// happened. Each fails.
extern "C" {
__declspec(dllexport) HRESULT WINAPI DwmFlush() {
    return E_FAIL;
}
__declspec(dllexport) HRESULT WINAPI DwmIsCompositionEnabled(BOOL*) {
    return E_FAIL;
}
__declspec(dllexport) HRESULT WINAPI DwmSetWindowAttribute(HWND, DWORD, const void*, DWORD) {
    return E_FAIL;
}
__declspec(dllexport) HRESULT WINAPI WICConvertBitmapSource(const GUID*, void*, void**) {
    return E_FAIL;
}
__declspec(dllexport) BOOL WINAPI
    EnumPrintersW(DWORD, wchar_t*, DWORD, BYTE*, DWORD, DWORD*, DWORD*) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
}

#endif
