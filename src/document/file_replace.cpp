#include "document/file_replace.h"

#include <algorithm>
#include <cwchar>

#include "platform/failure.h"
#include "platform/handles.h"

namespace pw {

namespace {

// Large writes go in pieces; WriteFile takes a 32-bit count.
constexpr size_t kWriteChunk = size_t{4} << 20;

[[noreturn]] void ThrowSaveFailure(const std::wstring& path, const std::wstring& cause) {
    throw Failure(L"无法保存到“" + path + L"”。\n" + cause);
}

// A name beside the target that no file has yet; the caller creates it with CREATE_NEW.
std::wstring ScratchName(const std::wstring& path, unsigned attempt) {
    wchar_t suffix[40];
    std::swprintf(suffix, 40, L".%lx-%x.pwtmp", static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned>(::GetTickCount()) + attempt);
    return path + suffix;
}

}  // namespace

const FileSystemCalls& SystemFileCalls() {
    static const FileSystemCalls calls;
    return calls;
}

void WriteFileReplacing(const std::wstring& path, std::span<const std::byte> data,
                        const FileSystemCalls& calls) {
    // Windows refuses to replace a read-only file, but Wine run as root does not (the
    // attribute becomes Unix mode bits that root ignores): ask first, on both.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ThrowSaveFailure(path, L"这是一个文件夹，不是文件。");
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            ThrowSaveFailure(path,
                             L"文件是只读的。" + DescribeFailedCall(L"写入", ERROR_ACCESS_DENIED));
        }
    } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND) {
        ThrowSaveFailure(path, DescribeFailedCall(L"GetFileAttributes", error));
    }

    std::wstring scratch;
    UniqueKernelHandle file;
    for (unsigned attempt = 0; !file; ++attempt) {
        scratch = ScratchName(path, attempt);
        const HANDLE created =
            ::CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            file.reset(created);
        } else if (const DWORD error = ::GetLastError();
                   error != ERROR_FILE_EXISTS || attempt >= 16) {
            ThrowSaveFailure(path, DescribeFailedCall(L"CreateFile", error));
        }
    }

    // From here a failure removes the unfinished file.
    const auto abandon = [&](const wchar_t* api, DWORD error) {
        file.reset();
        ::DeleteFileW(scratch.c_str());
        ThrowSaveFailure(path, DescribeFailedCall(api, error));
    };
    size_t done = 0;
    while (done < data.size()) {
        const DWORD piece = static_cast<DWORD>(std::min(kWriteChunk, data.size() - done));
        DWORD written = 0;
        if (!calls.Write(file.get(), data.data() + done, piece, &written)) {
            abandon(L"WriteFile", ::GetLastError());
        }
        if (written == 0) {
            abandon(L"WriteFile", ERROR_DISK_FULL);
        }
        done += written;
    }
    if (!calls.Flush(file.get())) {
        abandon(L"FlushFileBuffers", ::GetLastError());
    }
    file.reset();
    if (!calls.Replace(scratch.c_str(), path.c_str())) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(scratch.c_str());
        ThrowSaveFailure(path, DescribeFailedCall(L"MoveFileEx", error));
    }
}

}  // namespace pw
