// Writing a file so that a failure never destroys what was there: the bytes go to a new file
// beside the target, and only a complete, flushed file takes the target's place.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>

namespace pw {

// The calls a replacement makes that can fail for reasons outside the program (a full disk,
// a busy file). Tests derive from it to make one of them fail.
class FileSystemCalls {
  public:
    virtual ~FileSystemCalls() = default;
    virtual BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) const {
        return ::WriteFile(file, data, size, written, nullptr);
    }
    virtual BOOL Flush(HANDLE file) const { return ::FlushFileBuffers(file); }
    // Puts the finished file in the place of an existing target, which keeps its attributes,
    // owner and access rights; the target is moved to `backup` on the way.
    virtual BOOL Replace(const wchar_t* target, const wchar_t* finished,
                         const wchar_t* backup) const {
        return ::ReplaceFileW(target, finished, backup, 0, nullptr, nullptr);
    }
    // Gives the finished file the target's name, where no file has it.
    virtual BOOL Move(const wchar_t* finished, const wchar_t* target) const {
        return ::MoveFileExW(finished, target, MOVEFILE_WRITE_THROUGH);
    }
};

const FileSystemCalls& SystemFileCalls();

// The full path in the form that every file call takes at any length: with the "\\?\"
// prefix ("\\?\UNC\" for a share), relative parts and "/" resolved. A path that the system
// cannot make a full one comes back as it is, for the call that uses it to refuse.
std::wstring ExtendedLengthPath(const std::wstring& path);

// Makes `path` a file holding `data`, creating it or replacing the file there. A symbolic
// link is written through to the file it names; a file with other names (hard links) is
// written in place, so that every name shows the new data. On any failure (a missing folder,
// a name the system refuses, a read-only or busy target, a folder of that name, a full disk)
// an existing file keeps every byte, no other file is left behind, and a Failure naming the
// file and the cause is thrown. (Should even putting the old bytes back fail, the message
// names the file beside it that holds them.)
void WriteFileReplacing(const std::wstring& path, std::span<const std::byte> data,
                        const FileSystemCalls& calls = SystemFileCalls());

}  // namespace pw
