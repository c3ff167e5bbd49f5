#include "cli/platform.h"

#include "huedata/hue_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

namespace hues::platform {

namespace {

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

std::wstring WideFromUtf8(std::string_view text) {
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), size);
    return wide;
}

}  // namespace

void PrepareProcess() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

std::vector<std::string> Arguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        // The same conversion the paths in messages get: never throws.
        arguments.push_back(huedata::PathText(std::filesystem::path(wide[i])));
    }
    LocalFree(wide);
    return arguments;
}

bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

bool ShowsColorEscapes() {
    const HANDLE out = HandleOf(stdout);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode) == 0) return true;  // a pipe or a file: for less -R, say
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool Write(std::FILE* stream, std::string_view text) {
    if (!IsTerminal(stream)) {
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    }
    const std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    return wide.empty() || WriteConsoleW(HandleOf(stream), wide.data(),
                                         static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

std::string ProgramPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return huedata::PathText(std::filesystem::path(path));
}

std::optional<std::string> Variable(const char* name) {
    const std::wstring wide = WideFromUtf8(name);
    const DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(wide.c_str(), value.data(), size));
    return huedata::PathText(std::filesystem::path(value));
}

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

int RunProgram(const std::vector<std::string>& arguments, std::string& output, bool quiet) {
    std::wstring line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += L' ';
        AppendQuoted(line, WideFromUtf8(argument));
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0)) return -1;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = write;
    startup.hStdError = quiet ? nothing : GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    CloseHandle(nothing);
    std::string bytes(4096, '\0');
    DWORD got = 0;
    while (started &&
           ReadFile(read, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
           got > 0) {
        output.append(bytes.data(), got);
    }
    CloseHandle(read);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(status);
}

}  // namespace hues::platform
