// The folder that holds the program file, where the files that ship beside it lie.
#pragma once

#include <string>

namespace pw {

// The program file's folder, without a trailing separator except at a drive's root ("C:\").
std::wstring ProgramFolder();

// The folder part of a file's full path, by the same rule.
std::wstring FolderOfPath(const std::wstring& path);

}  // namespace pw
