// The `hues` command line, whole: parses the arguments, runs one command and gives back
// what to print and the exit status. Prints nothing itself, so that nothing partial is
// ever printed and tests can run it in-process.
#pragma once

#include <string>
#include <vector>

namespace hues {

enum ExitStatus : int {
    Success = 0,
    NothingFound = 1,  // `find` matched no hue, as grep does
    Failure = 2,       // bad usage, unreadable input, a failed write
};

struct Environment {
    bool stdoutIsTerminal = false;
    bool noColor = false;  // NO_COLOR is set
};

struct Outcome {
    int status = Success;
    std::string out;  // for standard output
    std::string err;  // for standard error: one line starting "hues: " on failure
};

// `arguments` are UTF-8, without the program name.
Outcome RunHues(const std::vector<std::string>& arguments, const Environment& environment);

}  // namespace hues
