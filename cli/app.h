// The `hues` command line, whole: parses the arguments, runs one command and gives back
// what to print and the exit status. Prints nothing itself, so that nothing partial is
// ever printed and tests can run it in-process.
#pragma once

#include "huedata/text_builder.h"
#include "hueformats/text_format.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum ExitStatus : int {
    Success = 0,
    NothingFound = 1,    // `find` matched no hue, as grep does
    SimilarFound = 1,    // `similar` found a pair, as diff does on a difference
    Differ = 1,          // `diff` found the files differ, as diff does
    Unmerged = 1,        // `merge` left conflicts, as git's merge drivers say
    WouldChange = 1,     // a --dry-run found the file would change, as diff does
    FindingsFailed = 1,  // `check` found what --fail-on names, as linters do
    Failure = 2,         // bad usage, unreadable input, a failed write
};

struct Environment {
    bool stdoutIsTerminal = false;
    // Whether colour escapes on standard output show as colours (platform.h), asked only once
    // colours are chosen.
    std::function<bool()> showsColorEscapes = [] { return true; };
    // HUES_MERGE_PREFER, for hues merge run by git, which passes a merge driver no options.
    std::optional<std::string> mergePrefer = std::nullopt;
    // All of standard input, for a source given as "-"; read only when one is.
    std::function<std::string()> readStandardInput = [] { return std::string(); };
    // For a command that runs until stopped (edit): a line written out at once.
    std::function<void(std::string_view)> printNow = [](std::string_view) {};
    std::function<void(std::string_view)> tellNow = [](std::string_view) {};
    // For git-setup: this program's full path, an environment variable (NO_COLOR, TERM and
    // COLORTERM too), and a program run with its standard output kept (huegit/program.h's
    // RunProgram).
    std::string programPath = "hues";
    std::function<std::optional<std::string>(const char*)> variable = [](const char*) {
        return std::optional<std::string>();
    };
    std::function<int(const std::vector<std::string>&, std::string&, bool)> runProgram =
        [](const std::vector<std::string>&, std::string&, bool) { return -1; };
};

struct Outcome {
    int status = Success;
    std::string out;  // for standard output, when no sink took it
    std::string err;  // for standard error: one line starting "hues: " on failure
};

// The colours standard output is drawn in under --color `mode`: "never" none; "always" some;
// "auto" (the default) some where standard output is a terminal, NO_COLOR is unset or empty
// and TERM is not "dumb". Some: 24-bit where COLORTERM is "truecolor" or "24bit", else the 256
// of the terminal's palette; none where the escapes would not show (a Windows console that
// has no virtual-terminal mode).
hueformats::TerminalColors ColorsFor(std::string_view mode, const Environment& environment);

// `arguments` are UTF-8, without the program name. What goes to standard output is handed
// to `out` piece by piece, and only once everything has been read and checked.
Outcome RunHues(const std::vector<std::string>& arguments, const Environment& environment,
                const huedata::TextSink& out);

// The same, keeping standard output in the outcome.
Outcome RunHues(const std::vector<std::string>& arguments, const Environment& environment);

}  // namespace cli
