#include "document/file_replace.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/failure.h"
#include "platform/handles.h"

namespace pw {

namespace {

// Large writes go in pieces; WriteFile takes a 32-bit count.
constexpr size_t kWriteChunk = size_t{4} << 20;

// The system's layout of what GetFileInformationByHandle fills in, the same on 32 and 64 bits.
static_assert(sizeof(BY_HANDLE_FILE_INFORMATION) == 52);

// What the target's attributes may pass on to the file that takes its place.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A path as a user writes it, without the prefix of an extended-length path.
std::wstring Shown(const std::wstring& path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        return L"\\\\" + path.substr(8);
    }
    return path.starts_with(L"\\\\?\\") ? path.substr(4) : path;
}

[[noreturn]] void ThrowSaveFailure(const std::wstring& path, const std::wstring& cause) {
    throw Failure(L"无法保存到“" + path + L"”。\n" + cause);
}

// The file a save writes to: the one the path names after every link, and what it is.
struct Target {
    std::wstring path;  // extended-length
    bool exists = false;
    bool resolved = false;  // the system named the file itself, past every link
    DWORD attributes = 0;
    DWORD links = 0;
};

Target FindTarget(const std::wstring& userPath) {
    Target target;
    target.path = ExtendedLengthPath(userPath);
    // Opening follows every link; reading attributes needs no access that another program's
    // sharing could refuse. A folder opens too, to be named as such.
    const HANDLE opened =
        ::CreateFileW(target.path.c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            ThrowSaveFailure(userPath, DescribeFailedCall(L"CreateFile", error));
        }
        return target;
    }
    const UniqueKernelHandle file(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file.get(), &information)) {
        ThrowSaveFailure(userPath,
                         DescribeFailedCall(L"GetFileInformationByHandle", ::GetLastError()));
    }
    target.exists = true;
    target.attributes = information.dwFileAttributes;
    target.links = information.nNumberOfLinks;
    // A file the system does not name is written in place; Wine names one only up to about
    // MAX_PATH characters.
    std::vector<wchar_t> resolved(target.path.size() + MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file.get(), resolved.data(),
                                                         static_cast<DWORD>(resolved.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            break;
        }
        if (length < resolved.size()) {
            target.path.assign(resolved.data(), length);
            target.resolved = true;
            break;
        }
        resolved.resize(length);
    }
    return target;
}

struct Scratch {
    std::wstring path;
    UniqueKernelHandle file;
};

// A short name in the target's folder that no file has yet, created empty: a name near the
// length limit leaves room for it. It takes the attributes of `attributes` that pass on.
Scratch CreateScratch(const std::wstring& userPath, const std::wstring& target, DWORD access,
                      DWORD attributes) {
    const std::wstring folder = target.substr(0, target.rfind(L'\\') + 1);
    const unsigned start = static_cast<unsigned>(::GetTickCount()) ^ ::GetCurrentProcessId();
    for (unsigned attempt = 0;; ++attempt) {
        wchar_t name[16];
        std::swprintf(name, 16, L"~pw%04x.tmp", (start + attempt * 7919u) & 0xFFFFu);
        const HANDLE created =
            ::CreateFileW((folder + name).c_str(), access, 0, nullptr, CREATE_NEW,
                          (attributes & kKeptAttributes) | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            return {folder + name, UniqueKernelHandle(created)};
        }
        if (const DWORD error = ::GetLastError(); error != ERROR_FILE_EXISTS || attempt >= 64) {
            ThrowSaveFailure(userPath, DescribeFailedCall(L"CreateFile", error));
        }
    }
}

// Writes all of `data` from the file's current position; false with the failing call.
bool WriteAll(const FileSystemCalls& calls, HANDLE file, std::span<const std::byte> data,
              const wchar_t*& api, DWORD& error) {
    size_t done = 0;
    while (done < data.size()) {
        const DWORD piece = static_cast<DWORD>(std::min(kWriteChunk, data.size() - done));
        DWORD written = 0;
        if (!calls.Write(file, data.data() + done, piece, &written)) {
            api = L"WriteFile";
            error = ::GetLastError();
            return false;
        }
        if (written == 0) {
            api = L"WriteFile";
            error = ERROR_DISK_FULL;
            return false;
        }
        done += written;
    }
    return true;
}

// Makes `to` hold exactly what `from` holds, flushed; false with the failing call.
bool CopyContents(HANDLE from, HANDLE to, const wchar_t*& api, DWORD& error) {
    const auto failed = [&](const wchar_t* call) {
        api = call;
        error = ::GetLastError();
        return false;
    };
    if (!::SetFilePointerEx(from, {}, nullptr, FILE_BEGIN) ||
        !::SetFilePointerEx(to, {}, nullptr, FILE_BEGIN)) {
        return failed(L"SetFilePointerEx");
    }
    std::vector<std::byte> buffer(kWriteChunk);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
            return failed(L"ReadFile");
        }
        if (read == 0) {
            break;
        }
        if (!WriteAll(SystemFileCalls(), to, std::span(buffer).first(read), api, error)) {
            return false;
        }
    }
    if (!::SetEndOfFile(to)) {
        return failed(L"SetEndOfFile");
    }
    return ::FlushFileBuffers(to) ? true : failed(L"FlushFileBuffers");
}

// Other names of the same file (hard links) would keep the old data if another file took
// its place, and so would the file behind a link that could not be followed by name; the
// new bytes go into the file itself. Its old bytes wait in a scratch file until the new
// ones are flushed, and go back if anything fails before.
void WriteInPlace(const std::wstring& userPath, const Target& target,
                  std::span<const std::byte> data, const FileSystemCalls& calls) {
    const HANDLE opened = ::CreateFileW(target.path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        ThrowSaveFailure(userPath, DescribeFailedCall(L"CreateFile", ::GetLastError()));
    }
    const UniqueKernelHandle file(opened);
    Scratch old =
        CreateScratch(userPath, target.path, GENERIC_READ | GENERIC_WRITE, target.attributes);
    const wchar_t* api = nullptr;
    DWORD error = 0;
    if (!CopyContents(file.get(), old.file.get(), api, error)) {
        old.file.reset();
        ::DeleteFileW(old.path.c_str());
        ThrowSaveFailure(userPath, DescribeFailedCall(api, error));
    }
    bool written = true;
    if (!::SetFilePointerEx(file.get(), {}, nullptr, FILE_BEGIN)) {
        api = L"SetFilePointerEx";
        error = ::GetLastError();
        written = false;
    }
    written = written && WriteAll(calls, file.get(), data, api, error);
    if (written && !::SetEndOfFile(file.get())) {
        api = L"SetEndOfFile";
        error = ::GetLastError();
        written = false;
    }
    if (written && !calls.Flush(file.get())) {
        api = L"FlushFileBuffers";
        error = ::GetLastError();
        written = false;
    }
    if (written) {
        old.file.reset();
        ::DeleteFileW(old.path.c_str());
        return;
    }
    std::wstring cause = DescribeFailedCall(api, error);
    const wchar_t* restoreApi = nullptr;
    DWORD restoreError = 0;
    if (!CopyContents(old.file.get(), file.get(), restoreApi, restoreError)) {
        throw Failure(L"无法保存到“" + userPath + L"”，原来的内容也无法写回；它保存在“" +
                      Shown(old.path) + L"”。\n" + cause + L"\n" +
                      DescribeFailedCall(restoreApi, restoreError));
    }
    old.file.reset();
    ::DeleteFileW(old.path.c_str());
    ThrowSaveFailure(userPath, cause);
}

}  // namespace

const FileSystemCalls& SystemFileCalls() {
    static const FileSystemCalls calls;
    return calls;
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
    constexpr std::wstring_view kPrefix = L"\\\\?\\";
    if (path.starts_with(kPrefix)) {
        return path;
    }
    std::vector<wchar_t> full(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return path;  // the call that uses it says what is wrong with it
        }
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    std::wstring extended(full.begin(), full.end());
    if (extended.starts_with(L"\\\\.\\")) {
        return extended;  // a device
    }
    if (extended.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + extended.substr(2);
    }
    return std::wstring(kPrefix) + extended;
}

void WriteFileReplacing(const std::wstring& path, std::span<const std::byte> data,
                        const FileSystemCalls& calls) {
    const Target target = FindTarget(path);
    if ((target.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ThrowSaveFailure(path, L"这是一个文件夹，不是文件。");
    }
    // Windows refuses to replace a read-only file, but Wine run as root does not (the
    // attribute becomes Unix mode bits that root ignores): ask first, on both.
    if ((target.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ThrowSaveFailure(path,
                         L"文件是只读的。" + DescribeFailedCall(L"写入", ERROR_ACCESS_DENIED));
    }
    if (target.exists && (target.links > 1 || !target.resolved)) {
        WriteInPlace(path, target, data, calls);
        return;
    }

    Scratch scratch = CreateScratch(path, target.path, GENERIC_WRITE, target.attributes);
    // From here a failure removes the unfinished file.
    const auto abandon = [&](const wchar_t* api, DWORD error) {
        scratch.file.reset();
        ::DeleteFileW(scratch.path.c_str());
        ThrowSaveFailure(path, DescribeFailedCall(api, error));
    };
    const wchar_t* api = nullptr;
    DWORD error = 0;
    if (!WriteAll(calls, scratch.file.get(), data, api, error)) {
        abandon(api, error);
    }
    if (!calls.Flush(scratch.file.get())) {
        abandon(L"FlushFileBuffers", ::GetLastError());
    }
    scratch.file.reset();
    if (!target.exists) {
        // Without replacing: a file that has appeared meanwhile is not overwritten unasked.
        if (!calls.Move(scratch.path.c_str(), target.path.c_str())) {
            abandon(L"MoveFileEx", ::GetLastError());
        }
        return;
    }
    // The old file steps aside to a name of its own on the way, so that whatever fails, it
    // is still there to come back.
    const std::wstring backup = CreateScratch(path, target.path, GENERIC_WRITE, 0).path;
    if (calls.Replace(target.path.c_str(), scratch.path.c_str(), backup.c_str())) {
        ::DeleteFileW(backup.c_str());
        return;
    }
    error = ::GetLastError();
    if (::GetFileAttributesW(target.path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ::DeleteFileW(backup.c_str());
    } else if (!::MoveFileExW(backup.c_str(), target.path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(scratch.path.c_str());
        throw Failure(L"无法保存到“" + path + L"”，原来的文件也无法放回；它现在名为“" +
                      Shown(backup) + L"”。\n" + DescribeFailedCall(L"ReplaceFile", error) + L"\n" +
                      DescribeFailedCall(L"MoveFileEx", ::GetLastError()));
    }
    abandon(L"ReplaceFile", error);
}

}  // namespace pw
