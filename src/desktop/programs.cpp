#include "desktop/programs.h"

#include <vector>

#include "platform/failure.h"
#include "platform/program_folder.h"
#include "platform/com.h"
#include "platform/system_library.h"

namespace pw {

// The shell's request record has the platform's layout: 60 bytes on 32-bit Windows.
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60);

StartedProcess SystemProgramStarter::Start(const std::wstring& application,
                                           const std::wstring& commandLine, WORD show) {
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION started{};
    // CreateProcess may write into the command line it is given.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started)) {
        const DWORD error = ::GetLastError();
        throw Failure(L"无法启动“" + application + L"”（命令行“" + commandLine + L"”）。\n\n" +
                      DescribeFailedCall(L"CreateProcess", error));
    }
    ::CloseHandle(started.hThread);
    StartedProcess process;
    process.id = started.dwProcessId;
    process.handle.reset(started.hProcess);
    return process;
}

DWORD SystemShellLauncher::Execute(SHELLEXECUTEINFOA& request) {
    // The shell is loaded for its first use, not at every start.
    static const auto execute =
        RequiredSystemFunction<decltype(::ShellExecuteExA)>(L"shell32.dll", "ShellExecuteExA");
    // The shell hands some files to extensions that want OLE on the thread; without it the
    // execute still runs, or fails and says so.
    EnsureOle();
    if (execute(&request)) {
        return 0;
    }
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_NO_ASSOCIATION;
}

std::wstring HelpCommandLine(const std::wstring& programFolder) {
    return L"notepad " + programFolder + L"\\readme.txt";
}

std::wstring SystemNotepad() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        ThrowLastError(L"GetSystemDirectory");
    }
    return std::wstring(folder, length) + L"\\notepad.exe";
}

StartedProcess StartHelpViewer(const std::wstring& programFolder, ProgramStarter& programs) {
    return programs.Start(SystemNotepad(), HelpCommandLine(programFolder), SW_SHOWNORMAL);
}

std::wstring UserPaintFolder() {
    return LocalAppDataFolder(L"\\Pixelwren\\Temp");
}

namespace {

// The path in the ANSI code page, or nothing when a character has no equivalent there.
bool ToAnsi(const std::wstring& path, std::string& ansi) {
    if (path.empty()) {
        ansi.clear();
        return true;
    }
    BOOL lost = FALSE;
    const int size = static_cast<int>(path.size());
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), size,
                                             nullptr, 0, nullptr, &lost);
    if (length <= 0 || lost) {
        return false;
    }
    ansi.assign(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), size, ansi.data(), length,
                          nullptr, &lost);
    return !lost;
}

}  // namespace

std::string AnsiPath(const std::wstring& path) {
    std::string ansi;
    if (ToAnsi(path, ansi)) {
        return ansi;
    }
    const DWORD length = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    std::wstring shortPath(length, L'\0');
    if (length != 0 && ::GetShortPathNameW(path.c_str(), shortPath.data(), length) == length - 1) {
        shortPath.resize(length - 1);
        if (ToAnsi(shortPath, ansi)) {
            return ansi;
        }
    }
    throw Failure(L"路径“" + path + L"”含有系统代码页无法表示的字符。");
}

namespace {

// Creates a folder and, when missing, the folder that holds it. One that is there already
// stays as it is; should it be a file, the write into it says so.
void CreateFolderAndParent(const std::wstring& folder) {
    for (const std::wstring& each : {FolderOfPath(folder), folder}) {
        if (::GetFileAttributesW(each.c_str()) != INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        if (!::CreateDirectoryW(each.c_str(), nullptr)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS) {
                ThrowFailedCall((L"CreateDirectory “" + each + L"”").c_str(), error);
            }
        }
    }
}

}  // namespace

std::wstring EditInPaint(HWND owner, const Picture& picture, const std::wstring& programFolder,
                         const BitmapFileWriter& writeBitmap, ShellLauncher& shell,
                         const std::wstring& fallbackFolder) {
    if (picture.Empty()) {
        return {};
    }
    std::wstring path = programFolder + kPaintTempFile;
    try {
        writeBitmap(picture, path);
    } catch (const Failure& beside) {
        if (fallbackFolder.empty()) {
            throw;
        }
        path = fallbackFolder + L"\\temp.bmp";
        try {
            CreateFolderAndParent(fallbackFolder);
            writeBitmap(picture, path);
        } catch (const Failure& own) {
            throw Failure(beside.Cause() + L"\n\n" + own.Cause());
        }
    }
    const std::string file = AnsiPath(path);
    SHELLEXECUTEINFOA request{};
    request.cbSize = sizeof request;
    // No shell box of its own: a missing program is reported here, in the program's words.
    request.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    request.hwnd = owner;
    request.lpVerb = kPaintVerb;
    request.lpFile = file.c_str();
    request.nShow = SW_SHOWNORMAL;
    request.lpClass = kPaintClass;
    if (const DWORD error = shell.Execute(request); error != 0) {
        throw Failure(L"无法用画图程序打开“" + path +
                      L"”：没有为文件类别 Paint.Picture 注册“编辑”的程序，或者它无法启动。\n\n" +
                      DescribeFailedCall(L"ShellExecuteEx", error));
    }
    return path;
}

}  // namespace pw
