// Handing things to other programs: the help viewer, started from a command line, and the
// shell's "edit" verb for the picture in Paint. The system calls sit behind small interfaces
// so that tests can see what was asked and script the answer.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "capture/picture.h"
#include "platform/process.h"

namespace pw {

class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;
    // Starts the program file `application`, a full path, with `commandLine`, in a window
    // shown with `show` (SW_*), without waiting for it. Throws Failure naming both when it
    // cannot be started.
    virtual StartedProcess Start(const std::wstring& application, const std::wstring& commandLine,
                                 WORD show) = 0;
};

class SystemProgramStarter final : public ProgramStarter {
  public:
    StartedProcess Start(const std::wstring& application, const std::wstring& commandLine,
                         WORD show) override;
};

class ShellLauncher {
  public:
    virtual ~ShellLauncher() = default;
    // ShellExecuteExA with the request as given; 0 on success, else the error code.
    virtual DWORD Execute(SHELLEXECUTEINFOA& request) = 0;
};

class SystemShellLauncher final : public ShellLauncher {
  public:
    DWORD Execute(SHELLEXECUTEINFOA& request) override;
};

// Writes a picture as a Windows bitmap file at a path, replacing what is there; throws Failure
// naming the file when it cannot.
using BitmapFileWriter = std::function<void(const Picture& picture, const std::wstring& path)>;

// "notepad " & folder & "\readme.txt", the path as it is, unquoted.
std::wstring HelpCommandLine(const std::wstring& programFolder);

// The system's Notepad, by its full path in the system folder. A program started by name is
// looked for in the program's folder and the current folder before the system's, where
// anyone who can write there could put a program of that name.
std::wstring SystemNotepad();

// Starts the system's Notepad on the readme beside the program, in a normal window with the
// focus.
StartedProcess StartHelpViewer(const std::wstring& programFolder, ProgramStarter& programs);

inline constexpr wchar_t kPaintTempFile[] = L"\\Temp\\temp.bmp";
inline constexpr char kPaintClass[] = "Paint.Picture";
inline constexpr char kPaintVerb[] = "edit";

// A path as the ANSI calls take it. Where the code page lacks one of its characters, the
// existing file's short name stands in; throws Failure when there is none either.
std::string AnsiPath(const std::wstring& path);

// The folder of the user's own that takes the file for Paint where the program's folder cannot
// be written (a program installed under Program Files, for one): the local application data
// folder's "Pixelwren\Temp".
std::wstring UserPaintFolder();

// Writes the picture to folder & "\Temp\temp.bmp" or, where that cannot be written, to
// "temp.bmp" in `fallbackFolder` (created, with the folder holding it, when missing), and asks
// the shell to open that file with the program of class "Paint.Picture" for editing. Returns
// the file handed over; does nothing for the empty picture and returns "". Throws Failure
// naming both files when neither can be written (nothing is started then), and when the shell
// fails.
std::wstring EditInPaint(HWND owner, const Picture& picture, const std::wstring& programFolder,
                         const BitmapFileWriter& writeBitmap, ShellLauncher& shell,
                         const std::wstring& fallbackFolder = UserPaintFolder());

}  // namespace pw
