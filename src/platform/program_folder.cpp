#include "platform/program_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/system_library.h"

namespace pw {

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return {};
    }
    // "C:\Pixelwren.exe" lies in "C:\", which keeps its separator.
    if (slash == 2 && path.size() > 2 && path[1] == L':') {
        return path.substr(0, 3);
    }
    return path.substr(0, slash);
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FolderOfPath(path);
}

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id, const std::wstring& below) {
    PWSTR path = nullptr;
    std::wstring folder;
    // The shell is loaded for its first use, not at every start.
    static const auto knownFolderPath =
        SystemFunction<decltype(::SHGetKnownFolderPath)>(L"shell32.dll", "SHGetKnownFolderPath");
    if (knownFolderPath != nullptr && SUCCEEDED(knownFolderPath(id, 0, nullptr, &path))) {
        folder = std::wstring(path) + below;
    }
    // The shell has loaded ole32, whose allocator gave the path.
    if (path != nullptr) {
        RequiredSystemFunction<decltype(::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree")(path);
    }
    return folder;
}

}  // namespace

std::wstring RoamingAppDataFolder(const std::wstring& below) {
    return KnownFolder(FOLDERID_RoamingAppData, below);
}

std::wstring LocalAppDataFolder(const std::wstring& below) {
    return KnownFolder(FOLDERID_LocalAppData, below);
}

}  // namespace pw
