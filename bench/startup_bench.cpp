// Start-up: from creating the process to its main window shown, painted and waiting for
// input, for Pixelwren against a program that only creates and paints one window.
//   pw_startup_bench PIXELWREN.EXE MINIMAL.EXE [MINIMAL_WITH_PIXELWRENS_DLLS.EXE]
#include <windows.h>

#include <string>
#include <vector>

#include "bench.h"

namespace {

// Microseconds from CreateProcess until the program's thread first waits for input with
// nothing left to do: its window is shown and has painted. -1 when it did not start.
double TimeToIdle(const std::wstring& program) {
    std::wstring command = L"\"" + program + L"\"";
    std::wstring folder = program.substr(0, program.find_last_of(L"\\/"));
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    const auto start = pw::bench::Clock::now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &process)) {
        return -1.0;
    }
    const DWORD waited = ::WaitForInputIdle(process.hProcess, 20000);
    const double elapsed =
        std::chrono::duration<double, std::micro>(pw::bench::Clock::now() - start).count();
    // The processes are this benchmark's own, ended by their handles.
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return waited == 0 ? elapsed : -1.0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: pw_startup_bench PIXELWREN.EXE MINIMAL.EXE\n");
        return 2;
    }
    std::vector<double> pixelwren;
    std::vector<double> minimal;
    std::vector<double> withDlls;
    const bool split = argc > 3;
    TimeToIdle(argv[1]);  // warm the file cache and the server
    TimeToIdle(argv[2]);
    for (int i = 0; i < 31; ++i) {
        pixelwren.push_back(TimeToIdle(argv[1]));
        minimal.push_back(TimeToIdle(argv[2]));
        if (split) {
            withDlls.push_back(TimeToIdle(argv[3]));
        }
    }
    pw::bench::Figure("start-up to first paint", pw::bench::Median(pixelwren), pw::bench::Median(minimal), "us",
                      1.3, "minimal window program");
    if (split) {
        pw::bench::Figure("  of which: the system libraries Pixelwren starts", pw::bench::Median(withDlls),
                          pw::bench::Median(minimal), "us", 0.0, "minimal window program");
        pw::bench::Figure("  of which: Pixelwren's own window", pw::bench::Median(pixelwren),
                          pw::bench::Median(withDlls), "us", 0.0, "minimal window with the same libraries");
    }
    return 0;
}
