// `check`: a hue file held to the rules that make it fit to ship, its findings written for
// people or for CI, and the names its safe (or unsafe) fixes mend, changed in place.
#pragma once

#include "cli/app.h"
#include "cli/command.h"
#include "hueformats/text_format.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct CheckRequest {
    std::filesystem::path file;
    std::vector<std::string> ids;             // none: every hue
    std::vector<std::string> select, ignore;  // lists of rule ids as given, "a,b"
    std::string failOn = "warning";
    std::string format = "text";
    std::optional<std::filesystem::path> config;  // as --config names it
    bool noConfig = false;
    // The file's name in the findings, and where its config is looked for, where `file` is a
    // copy of it (a staged blob, in the commit hook).
    std::optional<std::string> pathName;
    bool fix = false, unsafeFixes = false, dryRun = false, keepBackup = true;
    hueformats::TextStyle style;
};

// Checks `file` and writes the findings to `out`. Returns 1 where a finding is at or above
// failOn, else 0; with fix and dryRun, 1 where the fixes would change the file.
int CheckHueFile(const CheckRequest& request, huedata::TextBuilder& out, std::string& err);

// `check`: its options, and its run.
Command CheckCommand();

}  // namespace cli
