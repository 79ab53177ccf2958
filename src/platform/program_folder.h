// The folder that holds the program file, where the files that ship beside it lie.
#pragma once

#include <string>

namespace pw {

// The program file's folder, without a trailing separator except at a drive's root ("C:\").
std::wstring ProgramFolder();

// The folder part of a file's full path, by the same rule.
std::wstring FolderOfPath(const std::wstring& path);

// The user's own application-data folders (%APPDATA%, %LOCALAPPDATA%) with `below` appended
// ("\\Pixelwren"); empty when the system cannot say where they are.
std::wstring RoamingAppDataFolder(const std::wstring& below);
std::wstring LocalAppDataFolder(const std::wstring& below);

}  // namespace pw
