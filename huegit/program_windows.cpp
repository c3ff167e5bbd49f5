#include "huegit/program.h"

#include "huedata/system_files.h"

#include <thread>

#include <windows.h>

namespace huegit {

namespace {

// One argument as the C runtime's command-line parser reads it back: quoted, with the
// backslashes before a quote doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

}  // namespace

int RunProgram(const std::vector<std::string>& arguments, std::string_view input,
               const OutputSink& output, bool quiet) {
    std::wstring line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += L' ';
        AppendQuoted(line, huedata::system::WideFromUtf8(argument));
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr, inRead = nullptr, inWrite = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0)) return -1;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    if (!input.empty()) {
        if (!CreatePipe(&inRead, &inWrite, &inherited, 0)) {
            CloseHandle(read);
            CloseHandle(write);
            return -1;
        }
        SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE nothing =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.empty() ? nothing : inRead;
    startup.hStdOutput = write;
    startup.hStdError = quiet ? nothing : GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    CloseHandle(nothing);
    // The input goes in beside the reading of the output, so that neither waits on the other.
    std::thread feeder;
    if (!input.empty()) {
        CloseHandle(inRead);
        feeder = std::thread([inWrite, input, started] {
            for (std::size_t at = 0; started && at < input.size();) {
                DWORD put = 0;
                const auto size =
                    static_cast<DWORD>(std::min<std::size_t>(input.size() - at, 1U << 20U));
                if (!WriteFile(inWrite, input.data() + at, size, &put, nullptr) || put == 0) break;
                at += put;
            }
            CloseHandle(inWrite);
        });
    }
    std::string bytes(std::size_t{64} * 1024, '\0');
    DWORD got = 0;
    while (started &&
           ReadFile(read, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
           got > 0) {
        output({bytes.data(), got});
    }
    CloseHandle(read);
    if (feeder.joinable()) feeder.join();
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(status);
}

}  // namespace huegit
