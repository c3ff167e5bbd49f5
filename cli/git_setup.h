// `hues git-setup`: teaches git hue files, in one repository or for all of the user's: `git
// diff` and `git log -p` through the JSON listing, `hues merge` as the merge driver and the
// resolver as a merge tool, the diff page as a diff tool, and the attributes that give them the
// hue files. Run again, it changes nothing; with `undo`, it takes away exactly what it added.
#pragma once

#include "cli/app.h"
#include "cli/command.h"

#include <string>
#include <vector>

namespace cli {

struct GitSetupRequest {
    bool global = false;  // the user's git configuration and attributes, not one repository's
    bool undo = false;
    std::vector<std::string> patterns;  // the files that are hue files; by default hues.mul
    // A pre-commit hook too, that runs `hues check` on each hue file as staged and refuses a
    // commit on a finding at error; a hook already there is kept and run first.
    bool check = false;
};

// Returns what it set or took away, for standard output. Throws HuesError outside a
// repository without `global`, or when git cannot be run.
std::string SetUpGit(const GitSetupRequest& request, const Environment& environment);

// `git-setup`: its options, and its run.
Command GitSetupCommand();

}  // namespace cli
