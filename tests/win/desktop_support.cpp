#include "desktop_support.h"

#include "platform/failure.h"
#include "platform/program_folder.h"
#include "platform/text.h"

namespace pw::test {

std::wstring ShippedData() {
    return ProgramFolder() + L"\\data";
}

StartedProcess ScriptedPrograms::Start(const std::wstring& application,
                                       const std::wstring& commandLine, WORD show) {
    started.push_back({application, commandLine, show});
    if (!failWith.empty()) {
        throw Failure(std::exchange(failWith, L""));
    }
    return {};
}

namespace {
std::wstring AnsiToWide(const char* text) {
    wchar_t wide[1024] = {};
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1024);
    return wide;
}
}  // namespace

DWORD ScriptedShell::Execute(SHELLEXECUTEINFOA& r) {
    auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string("(null)"); };
    requests.push_back({r.cbSize, r.fMask, r.hwnd, text(r.lpVerb), text(r.lpFile), text(r.lpClass),
                        r.lpParameters == nullptr, r.lpDirectory == nullptr, r.lpIDList == nullptr,
                        r.nShow, r.hkeyClass, r.dwHotKey, r.hIcon,
                        r.lpFile != nullptr ? ReadFileText(AnsiToWide(r.lpFile)) : std::string()});
    return error;
}

FrmMainServices DesktopStandIns::Services() {
    FrmMainServices services;
    services.programs = &m_programs;
    services.shell = &m_shell;
    services.wallpaper = &m_wallpaper;
    services.programFolder = m_folder.Path();
    return services;
}

void DesktopWindowTest::SetUp() {
    // The program folder as it ships: readme, language files and an empty Temp folder.
    ::CreateDirectoryW((m_folder.Path() + L"\\language").c_str(), nullptr);
    ::CreateDirectoryW((m_folder.Path() + L"\\Temp").c_str(), nullptr);
    for (const wchar_t* file :
         {L"\\language\\chinese.lng", L"\\language\\English.lng", L"\\readme.txt"}) {
        ASSERT_TRUE(
            ::CopyFileW((ShippedData() + file).c_str(), (m_folder.Path() + file).c_str(), FALSE))
            << Narrow(ShippedData() + file);
    }
    MainWindowTest::SetUp();
}

}  // namespace pw::test
