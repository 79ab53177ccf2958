// The command line's whole-screen capture to a PNG file, end to end as a process, against the
// least a program can do for the same file (pw_minimal_capture), run alternately.
//   pw_script_bench PIXELWREN.EXE MINIMAL_CAPTURE.EXE FOLDER
#include <windows.h>

#include <string>

#include "bench.h"

namespace {

// Microseconds from CreateProcess until the process has ended; -1 when it did not start or
// did not end well.
double TimeToExit(std::wstring command) {
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    const auto start = pw::bench::Clock::now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return -1.0;
    }
    ::WaitForSingleObject(process.hProcess, 30000);
    const double elapsed =
        std::chrono::duration<double, std::micro>(pw::bench::Clock::now() - start).count();
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code == 0 ? elapsed : -1.0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: pw_script_bench PIXELWREN.EXE MINIMAL_CAPTURE.EXE FOLDER\n");
        return 2;
    }
    const std::wstring folder = argv[3];
    const std::wstring pixelwren = L"\"" + std::wstring(argv[1]) +
                                   L"\" /capture screen /out \"" + folder + L"\\script.png\"";
    const std::wstring minimal =
        L"\"" + std::wstring(argv[2]) + L"\" \"" + folder + L"\\minimal.png\"";
    TimeToExit(pixelwren);  // warm the file cache and the server
    TimeToExit(minimal);
    const auto [measured, floor] = pw::bench::AlternateMedians(
        9, [&] { TimeToExit(pixelwren); }, [&] { TimeToExit(minimal); });
    if (TimeToExit(pixelwren) < 0 || TimeToExit(minimal) < 0) {
        std::fprintf(stderr, "pw_script_bench: a capture did not end well\n");
        return 1;
    }
    pw::bench::Figure("command line: whole screen to PNG, as a process", measured, floor, "us", 1.2,
                      "minimal BitBlt + WIC PNG program");
    return 0;
}
