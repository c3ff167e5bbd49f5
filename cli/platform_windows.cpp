#include "cli/platform.h"

#include "huedata/hue_file.h"
#include "huedata/system_files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

namespace cli::platform {

namespace {

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
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
    const std::wstring wide = huedata::system::WideFromUtf8(text);
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
    const std::wstring wide = huedata::system::WideFromUtf8(name);
    const DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(wide.c_str(), value.data(), size));
    return huedata::PathText(std::filesystem::path(value));
}

}  // namespace cli::platform
