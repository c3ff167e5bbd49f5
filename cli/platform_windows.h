// What the Windows build of `hues` does differently at its edges: it takes the command line
// as UTF-16 rather than the ANSI argv, and writes UTF-8 text whether or not the output is a
// console.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace hues::windows {

// Puts the standard streams in binary mode, so that UTF-8 bytes pass unchanged.
void PrepareStandardStreams();

// The command line's arguments as UTF-8, without the program name.
std::vector<std::string> Arguments(int argc, char** argv);

bool IsTerminal(std::FILE* stream);

// Writes UTF-8 text: as UTF-16 to a console (whatever its code page), as bytes elsewhere.
bool Write(std::FILE* stream, std::string_view text);

}  // namespace hues::windows
