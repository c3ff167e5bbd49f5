// `hues` at its edges, a file for each system (platform_posix.cpp, platform_windows.cpp): the
// command line, the standard streams and the program's own path. On
// Windows it takes the command line as UTF-16 rather than the ANSI argv, and writes UTF-8 text
// whether or not the output is a console.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli::platform {

// Readies the process: on Windows the standard streams in binary mode, so that UTF-8 bytes pass
// unchanged; with glibc, memory kept for reuse.
void PrepareProcess();

// The command line's arguments as UTF-8, without the program name.
std::vector<std::string> Arguments(int argc, char** argv);

bool IsTerminal(std::FILE* stream);

// Whether colour escapes written to standard output show as colours: on Windows its console's
// virtual-terminal mode is switched on (false where it cannot be; true where standard output is
// no console); elsewhere always.
bool ShowsColorEscapes();

// Writes UTF-8 text: on Windows as UTF-16 to a console (whatever its code page), as bytes
// elsewhere.
bool Write(std::FILE* stream, std::string_view text);

// This program's own full path, for commands that tell other programs to run it.
std::string ProgramPath();

// An environment variable, as UTF-8; nothing where it is not set.
std::optional<std::string> Variable(const char* name);

}  // namespace cli::platform
