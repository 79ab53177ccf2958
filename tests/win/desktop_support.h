// What the language and desktop tests share: a program folder of the test's own with the
// shipped files in it, a main window that uses it, and stand-ins for the outside world.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frm_main.h"
#include "files.h"
#include "main_window_fixture.h"
#include "support.h"

namespace pw::test {

// The folder of the shipped data (language files, readme) copied beside the test program.
[[nodiscard]] std::wstring ShippedData();

// Records each program start and starts nothing, or throws what it is told to.
class ScriptedPrograms final : public ProgramStarter {
  public:
    struct Started {
        std::wstring application;
        std::wstring commandLine;
        WORD show;
    };
    StartedProcess Start(const std::wstring& application, const std::wstring& commandLine,
                         WORD show) override;
    std::vector<Started> started;
    std::wstring failWith;  // non-empty: the next start throws this cause
};

// Records the shell requests with copies of their texts and answers with `error`.
class ScriptedShell final : public ShellLauncher {
  public:
    struct Request {
        DWORD cbSize;
        ULONG fMask;
        HWND hwnd;
        std::string verb, file, cls;
        bool parametersNull, directoryNull, idListNull;
        int nShow;
        HKEY hkeyClass;
        DWORD hotKey;
        HANDLE icon;
        std::string fileAtRequest;  // the file's bytes when the shell was asked
    };
    DWORD Execute(SHELLEXECUTEINFOA& request) override;
    std::vector<Request> requests;
    DWORD error = 0;
};

class ScriptedWallpaper final : public WallpaperSetter {
  public:
    DWORD Set(const std::string& ansiPath) override {
        paths.push_back(ansiPath);
        return error;
    }
    std::vector<std::string> paths;
    DWORD error = 0;
};

// A program folder of the test's own and stand-ins for the world outside, made before the
// window that uses them.
struct DesktopStandIns {
    explicit DesktopStandIns(const std::wstring& folderName) : m_folder(folderName) {}
    FrmMainServices Services();

    ScratchFolder m_folder;
    ScriptedPrograms m_programs;
    ScriptedShell m_shell;
    ScriptedWallpaper m_wallpaper;
};

// The main window on a program folder of the test's own that holds the shipped files.
class DesktopWindowTest : protected DesktopStandIns, public MainWindowTest {
  protected:
    explicit DesktopWindowTest(const std::wstring& folderName = L"pw-desk")
        : DesktopStandIns(folderName), MainWindowTest(Services()) {}
    void SetUp() override;
};

}  // namespace pw::test
