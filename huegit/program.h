// Another program run, as hues runs git: found on PATH, its arguments as they are (no shell
// between), `input` on its standard input, what it writes to standard output handed to `output`
// piece by piece as it comes, and its standard error passing through unless `quiet`. A file for
// each system behind it (program_posix.cpp, program_windows.cpp).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace huegit {

using OutputSink = std::function<void(std::string_view)>;

// Returns the program's exit status, or -1 when it cannot be started.
int RunProgram(const std::vector<std::string>& arguments, std::string_view input,
               const OutputSink& output, bool quiet);

// The same, its standard output kept whole in `output`.
int RunProgram(const std::vector<std::string>& arguments, std::string_view input,
               std::string& output, bool quiet);

}  // namespace huegit
