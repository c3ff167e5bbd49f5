// `log` and `blame`: a hue's own history in git, read through huegit. `log` gives the commits
// that changed some hues, newest first, each with what changed as `diff` writes it; `blame`
// gives each hue the commit that last changed it.
#pragma once

#include "cli/command.h"
#include "huedata/text_builder.h"
#include "hueformats/text_format.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct HistoryAsked {
    std::string file;                 // as git names it from the current folder
    std::vector<int> ids;             // for blame, none: every hue
    std::optional<std::string> rev;   // where to start; none: HEAD, the working file first
    std::optional<std::size_t> most;  // log: at most this many entries
    std::string format;               // text or json
    hueformats::TextStyle style;
};

void LogHues(const HistoryAsked& asked, huedata::TextBuilder& out);
void BlameHues(const HistoryAsked& asked, huedata::TextBuilder& out);

// `log` and `blame`: their options, and their runs.
std::vector<Command> HistoryCommands();

}  // namespace cli
