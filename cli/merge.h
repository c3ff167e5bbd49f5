// `hues merge`: two changes of one hue file brought together by hue and field (see
// huedata/hue_merge.h), as git's merge driver wants it: the result into OURS unless told
// another file, written whole or not at all; the conflicts named one line each on standard
// error, with the values as `hues show` writes them.
#pragma once

#include "cli/app.h"
#include "cli/command.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "huedata/hue_merge.h"

namespace cli {

struct MergeRequest {
    std::filesystem::path base, ours, theirs;
    std::optional<std::filesystem::path> output;  // by default OURS
    std::optional<std::string> prefer;            // "ours" or "theirs": every conflict so
    std::optional<std::string> name;              // the file's name in messages (git's %P)
    bool resolving = false;  // the conflicts go to the page next: no word on how to resolve
};

struct MergeReport {
    int status = Success;  // Success, or 1 when conflicts remain
    std::string err = {};  // the conflicts and the summary, for standard error
    std::filesystem::path written;
    std::vector<huedata::MergeConflict> conflicts = {};  // those left in the file
};

MergeReport MergeFiles(const MergeRequest& request);

// `merge`: its options, and its run.
Command MergeCommand();

}  // namespace cli
