#include "platform/system_library.h"

#include <string>

#include "platform/failure.h"
#include "platform/text.h"

namespace pw {

namespace {

// kernel32 is in every process before its first line runs: looking into it loads nothing.
template <typename F>
F* Kernel32Function(const char* function) {
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    return kernel32 != nullptr
               ? reinterpret_cast<F*>(reinterpret_cast<void*>(::GetProcAddress(kernel32, function)))
               : nullptr;
}

// SetDefaultDllDirectories came with the LOAD_LIBRARY_SEARCH_* flags of LoadLibraryEx; a
// system without the one refuses the other with ERROR_INVALID_PARAMETER.
decltype(::SetDefaultDllDirectories)* SetDefaultDllDirectoriesFunction() {
    static const auto function =
        Kernel32Function<decltype(::SetDefaultDllDirectories)>("SetDefaultDllDirectories");
    return function;
}

HMODULE LoadFromSystemFolder(const wchar_t* library) {
    if (SetDefaultDllDirectoriesFunction() != nullptr) {
        return ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    // By its full path, and its own imports looked for beside it first.
    const std::wstring path = std::wstring(folder, length) + L"\\" + library;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void LoadLibrariesFromSystemFolderOnly() {
    if (const auto setDefault = SetDefaultDllDirectoriesFunction();
        setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    ::SetDllDirectoryW(L"");
}

FARPROC SystemProcAddress(const wchar_t* library, const char* function, DWORD* error) {
    // Never freed: the addresses handed out stay valid for the life of the process.
    const HMODULE module = LoadFromSystemFolder(library);
    FARPROC address = module != nullptr ? ::GetProcAddress(module, function) : nullptr;
    if (address == nullptr && error != nullptr) {
        *error = ::GetLastError();
    }
    return address;
}

void ThrowMissingSystemFunction(const wchar_t* library, const char* function, DWORD error) {
    throw Failure(L"系统组件 " + std::wstring(library) + L" 中的 " + Widen(function) +
                  L" 无法使用。\n\n" + DescribeFailedCall(L"LoadLibraryEx/GetProcAddress", error));
}

}  // namespace pw
