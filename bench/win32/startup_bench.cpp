// Start-up to a shown window: hueviewer.exe against a bare Win32 window, each started as a
// new process until it waits for input (its window shown and painted), then closed.
#include "win32_bench.h"

#include <string>

namespace {

BOOL CALLBACK CloseWindowOf(HWND hwnd, LPARAM) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// Microseconds from starting `program` to its first wait for input.
double StartUntilShown(const std::wstring& program) {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER shown{};
    QueryPerformanceFrequency(&frequency);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %ls\n", program.c_str());
        std::exit(1);
    }
    WaitForInputIdle(process.hProcess, 30000);
    QueryPerformanceCounter(&shown);
    EnumThreadWindows(process.dwThreadId, CloseWindowOf, 0);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<double>(shown.QuadPart - start.QuadPart) * 1e6 /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: startup_bench HUEVIEWER.EXE BARE_WINDOW.EXE\n");
        return 2;
    }
    // Alternated, so a busy moment of the machine falls on both alike.
    double viewer = 0;
    double bare = 0;
    Report("BM_StartUpBareWindow",
           bare = MedianMicroseconds([&] { StartUntilShown(argv[2]); }, 1, 15));
    Report("BM_StartUpHueViewer",
           viewer = MedianMicroseconds([&] { StartUntilShown(argv[1]); }, 1, 15));
    std::printf("hueviewer / bare window: %.2fx\n", viewer / bare);
    return 0;
}
