// A hue file's history in git, hue by hue: the commits that changed some hues (or every hue),
// newest first along git's history of the file (as `git log -- FILE` walks it), each hue as it
// was before and after. Read from one listing of the file's commits and one stream of its blobs
// (`git cat-file --batch`), never a git process a commit; the hues compared entry by entry in
// the bytes. git's output is read as bytes (-z), never through a locale.
#pragma once

#include "huedata/hue_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace huegit {

struct CommitInfo {
    std::string hash;  // 40 hexadecimal digits; empty for the working file's uncommitted change
    std::string author, email;
    std::string date;  // the author date, ISO 8601 with its offset
    std::string subject;
};

// A hue as it was at one point, with the header of the block it starts where `show` gives one
// (the first hue of a block, a header that is not 0).
struct HueState {
    huedata::HueRecord record;
    std::optional<std::uint32_t> blockHeader;
};

// A commit that changed a hue. A merge counts only where the hue differs from the hue in each
// of its parents; `before` is the hue in its first parent.
struct HueChangeEntry {
    std::size_t commit;  // in HueHistory::commits
    std::size_t hue;
    std::optional<HueState> before, after;  // nothing where the file did not hold the hue
};

struct HueHistory {
    std::vector<CommitInfo> commits;      // newest first; the uncommitted change first, if any
    std::vector<HueChangeEntry> entries;  // newest first; by hue within a commit
    std::size_t held = 0;                 // the hues of the file where the history starts
};

struct HistoryRequest {
    std::filesystem::path file;  // git runs in its folder
    // Where the history starts; without one, at HEAD, with the working file's change first.
    std::optional<std::string> rev;
    std::optional<std::vector<std::size_t>> hues;  // the hues to follow; every hue without
};

// Throws huedata::HuesError in one line: git cannot be run, not a repository, a file git does not
// track, an unknown revision, a hue past the end of the file where the history starts.
HueHistory ReadHueHistory(const HistoryRequest& request);

// The commit at HEAD of the repository `file` is in, or nothing.
std::string HeadCommit(const std::filesystem::path& file);

// Whether `file` is in a git repository and tracked there (false where git cannot be run).
bool TrackedByGit(const std::filesystem::path& file);

// The fields of a hue that differ between two states, by the names huedata/hue_fields.h gives
// every field: "name", "table_start", "table_end", "colors/0" ... "colors/31" (every one where
// a state is missing).
std::vector<std::string> ChangedFields(const std::optional<HueState>& before,
                                       const std::optional<HueState>& after);

}  // namespace huegit
