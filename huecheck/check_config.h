// `hues check`'s config: a `.hues-check` file (JSON) in the hue file's folder or a folder above
// it, found as `.clang-tidy` is, choosing the rules, their levels and the hues each leaves out;
// and the command line's --select and --ignore laid over it.
#pragma once

#include "huecheck/check_rules.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace huecheck {

inline constexpr const char* ConfigFileName = ".hues-check";

// The nearest `.hues-check` in the folder of `hueFile` or a folder above it; nothing if none.
std::optional<std::filesystem::path> FindCheckConfig(const std::filesystem::path& hueFile);

// What the command line asks on top of the config.
struct CheckAsked {
    std::optional<std::vector<std::string>> select;  // replaces the config's selection
    std::vector<std::string> ignore;                 // added to the config's
};

// The rules chosen by the config at `config` (none: the defaults) with the command line's
// choices laid over it. Throws huedata::HuesError naming the config, or the option, and what is
// wrong with it.
RuleChoice ChooseRules(const std::optional<std::filesystem::path>& config, const CheckAsked& asked);

// The ids of "a,b,c" (a list of rules as --select and --ignore take it), each checked.
std::vector<std::string> RuleIdsListed(std::string_view text, std::string_view option);

}  // namespace huecheck
