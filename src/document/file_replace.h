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
    // Puts the finished file in the target's place, replacing it.
    virtual BOOL Replace(const wchar_t* finished, const wchar_t* target) const {
        return ::MoveFileExW(finished, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
};

const FileSystemCalls& SystemFileCalls();

// Makes `path` a file holding `data`, creating it or replacing the file there. On any failure
// (a missing folder, a read-only or busy target, a folder of that name, a full disk) an
// existing file keeps every byte, no other file is left behind, and a Failure naming the
// file and the cause is thrown.
void WriteFileReplacing(const std::wstring& path, std::span<const std::byte> data,
                        const FileSystemCalls& calls = SystemFileCalls());

}  // namespace pw
