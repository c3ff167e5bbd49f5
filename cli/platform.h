// `hues` at its edges, a file for each system (platform_posix.cpp, platform_windows.cpp): the
// command line and the standard streams. On Windows it takes the command line as UTF-16 rather
// than the ANSI argv, and writes UTF-8 text whether or not the output is a console.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace hues::platform {

// Readies the process: on Windows the standard streams in binary mode, so that UTF-8 bytes pass
// unchanged; with glibc, memory kept for reuse.
void PrepareProcess();

// The command line's arguments as UTF-8, without the program name.
std::vector<std::string> Arguments(int argc, char** argv);

bool IsTerminal(std::FILE* stream);

// Writes UTF-8 text: on Windows as UTF-16 to a console (whatever its code page), as bytes
// elsewhere.
bool Write(std::FILE* stream, std::string_view text);

}  // namespace hues::platform
