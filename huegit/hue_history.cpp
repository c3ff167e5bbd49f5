#include "huegit/hue_history.h"

#include "huedata/file_error.h"
#include "huegit/program.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_fields.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace huegit {

namespace {

using huedata::HuesError;
using Bytes = std::span<const unsigned char>;

// git, run in the request's folder: its output kept, its complaints kept from the person (a
// failure here is an answer, and says itself in one line).
class Git {
public:
    explicit Git(const std::filesystem::path& file)
        : folder_(file.has_parent_path() ? huedata::PathText(file.parent_path()) : ".") {}

    int Run(std::vector<std::string> arguments, std::string_view input,
            const OutputSink& output) const {
        arguments.insert(arguments.begin(), {"git", "-C", folder_, "-c", "core.quotepath=off"});
        const int status = RunProgram(arguments, input, output, true);
        if (status < 0) throw HuesError("git cannot be run: is it installed?");
        return status;
    }
    int Run(std::vector<std::string> arguments, std::string_view input, std::string& output) const {
        return Run(std::move(arguments), input,
                   [&](std::string_view piece) { output.append(piece); });
    }

private:
    std::string folder_;
};

// The file's name in its folder, where git runs.
std::string LeafOf(const std::filesystem::path& file) {
    return huedata::PathText(file.filename());
}

// The file as git names it from the top of its repository.
std::string FullName(const Git& git, const HistoryRequest& request) {
    std::string listed;
    const int status = git.Run({"ls-files", "-z", "--full-name", "--error-unmatch", "--",
                                ":(literal)" + LeafOf(request.file)},
                               {}, listed);
    const std::string where = huedata::PathText(request.file);
    if (status == 128) throw HuesError(where + ": not in a git repository");
    if (status != 0 || listed.empty()) throw HuesError(where + ": git does not track this file");
    const std::string name = listed.substr(0, listed.find('\0'));
    if (name.size() + 1 != listed.size()) throw HuesError(where + ": not one file, but a folder");
    if (name.find('\n') != std::string::npos) {
        throw HuesError(
            where +
            ": a file whose name holds a line break, which git cat-file cannot be asked for");
    }
    return name;
}

struct ListedCommit {
    CommitInfo info;
    // The file's blob in the commit, then in each parent, from git's own raw diff of it: empty
    // where there is none (added, deleted).
    std::vector<std::string> blobs;
};

// The object names of a raw diff line, ":MODE MODE OLD NEW M" (one colon a parent, the
// combined form of a merge), parents' first and the commit's last: the commit's first here.
std::vector<std::string> BlobsOfRawLine(std::string_view line) {
    std::size_t parents = 0;
    while (parents < line.size() && line[parents] == ':') ++parents;
    std::vector<std::string_view> words;
    for (std::size_t at = parents; at < line.size();) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    // Modes (one more than the parents), then as many object names.
    std::vector<std::string> blobs;
    if (words.size() < 2 * (parents + 1)) return blobs;
    const auto blob = [](std::string_view oid) {
        return oid.find_first_not_of('0') == std::string_view::npos ? std::string()
                                                                    : std::string(oid);
    };
    blobs.push_back(blob(words[2 * parents + 1]));
    for (std::size_t p = 0; p < parents; ++p) blobs.push_back(blob(words[parents + 1 + p]));
    return blobs;
}

// git's history of the file, newest first: what `git log REV -- FILE` lists, with the file's
// blobs from its raw diff (combined, for a merge: git lists one only where the file differs
// from each parent).
std::vector<ListedCommit> ListCommits(const Git& git, const std::string& rev,
                                      const std::string& name) {
    std::string listed;
    const int status = git.Run(
        {"log", "-z", "--format=%H%x00%P%x00%an%x00%ae%x00%aI%x00%s", "--raw", "--no-abbrev", "-c",
         "--root", "--no-renames", "--end-of-options", rev, "--", ":(top,literal)" + name},
        {}, listed);
    if (status != 0)
        throw HuesError("git knows no revision \"" + huedata::PrintableText(rev) + "\"");
    std::vector<std::string_view> fields;
    for (std::size_t at = 0; at < listed.size();) {
        const std::size_t end = std::min(listed.find('\0', at), listed.size());
        std::string_view field(listed.data() + at, end - at);
        while (field.starts_with('\n')) field.remove_prefix(1);
        fields.push_back(field);
        at = end + 1;
    }
    std::vector<ListedCommit> commits;
    for (std::size_t i = 0; i + 6 <= fields.size();) {
        ListedCommit commit{
            {std::string(fields[i]), std::string(fields[i + 2]), std::string(fields[i + 3]),
             std::string(fields[i + 4]), std::string(fields[i + 5])},
            {}};
        const auto parents =
            static_cast<std::size_t>(std::count(fields[i + 1].begin(), fields[i + 1].end(), ' ')) +
            (fields[i + 1].empty() ? 0 : 1);
        i += 6;
        while (i < fields.size() && fields[i].empty()) ++i;  // before a merge's combined line
        // Its raw line and the path after it.
        for (; i + 1 < fields.size() && fields[i].starts_with(':'); i += 2) {
            commit.blobs = BlobsOfRawLine(fields[i]);
        }
        // A first commit's raw line is against nothing: one name more than its parents.
        if (commit.blobs.size() != std::max<std::size_t>(parents, 1) + 1) {
            throw HuesError("git gave no blob of the file for commit " + commit.info.hash);
        }
        if (parents == 0) commit.blobs.resize(1);
        commits.push_back(std::move(commit));
    }
    return commits;
}

// Objects as `git cat-file --batch` hands them over, in the order asked: "OID TYPE SIZE\n",
// the bytes, "\n"; or "NAME missing\n". Each blob's bytes go into a buffer of those `spares`
// hands back, so that a long history touches the memory of a few blobs, not of every one.
class BlobStream {
public:
    BlobStream(std::function<void(std::optional<std::string> bytes)> take,
               std::vector<std::string>& spares)
        : take_(std::move(take)), spares_(spares) {}

    void Feed(std::string_view piece) {
        while (!piece.empty()) {
            if (!header_) {
                const std::size_t end = piece.find('\n');
                line_.append(piece.substr(0, end));
                if (end == std::string_view::npos) return;
                piece.remove_prefix(end + 1);
                StartBlob();
                continue;
            }
            const std::size_t wanted = size_ + 1 - bytes_.size();  // the bytes and their "\n"
            const std::size_t take = std::min(wanted, piece.size());
            bytes_.append(piece.substr(0, take));
            piece.remove_prefix(take);
            if (bytes_.size() == size_ + 1) {
                bytes_.pop_back();
                take_(std::move(bytes_));
                bytes_.clear();
                header_ = false;
            }
        }
    }

private:
    void StartBlob() {
        if (line_.ends_with(" missing")) {
            line_.clear();
            take_(std::nullopt);
            return;
        }
        const std::size_t last = line_.rfind(' ');
        const std::string_view size = std::string_view(line_).substr(last + 1);
        size_ = huedata::NumberFromText<std::size_t>(size).value_or(0);
        line_.clear();
        if (!spares_.empty()) {
            bytes_ = std::move(spares_.back());
            spares_.pop_back();
            bytes_.clear();
        }
        bytes_.reserve(size_ + 1);
        header_ = true;
    }

    std::function<void(std::optional<std::string>)> take_;
    std::vector<std::string>& spares_;
    std::string line_, bytes_;
    std::size_t size_ = 0;
    bool header_ = false;
};

Bytes BytesOf(const std::string* blob) {
    return {reinterpret_cast<const unsigned char*>(blob->data()), blob->size()};
}

// Hue `hue` of a file's bytes, or nothing where they do not hold it.
std::optional<Bytes> EntryOf(Bytes file, std::size_t held, std::size_t hue) {
    if (hue >= held) return std::nullopt;
    return file.subspan(static_cast<std::size_t>(huedata::HueOffset(hue)), huedata::HueRecordSize);
}

bool Same(const std::optional<Bytes>& a, const std::optional<Bytes>& b) {
    if (!a || !b) return !a && !b;
    return std::memcmp(a->data(), b->data(), huedata::HueRecordSize) == 0;
}

std::optional<HueState> StateOf(Bytes file, std::size_t held, std::size_t hue) {
    if (hue >= held) return std::nullopt;
    HueState state{huedata::HueAt(file, hue), std::nullopt};
    if (hue % huedata::HuesPerBlock == 0) {
        const std::uint32_t header = huedata::BlockHeaderAt(file, hue / huedata::HuesPerBlock);
        if (header != 0) state.blockHeader = header;
    }
    return state;
}

// The entries of one commit: each hue asked for that its file (`after`) holds otherwise than
// every parent's file does.
void CompareCommit(std::size_t commit, Bytes after, std::span<const Bytes> parents,
                   const std::optional<std::vector<std::size_t>>& hues,
                   std::vector<HueChangeEntry>& entries) {
    const std::size_t heldAfter = huedata::HueCountForSize(after.size());
    std::vector<std::size_t> heldParents;
    std::size_t most = heldAfter;
    for (const Bytes parent : parents) {
        heldParents.push_back(huedata::HueCountForSize(parent.size()));
        most = std::max(most, heldParents.back());
    }
    const auto compare = [&](std::size_t hue) {
        const auto now = EntryOf(after, heldAfter, hue);
        bool changed = parents.empty() ? now.has_value() : true;
        for (std::size_t p = 0; p < parents.size() && changed; ++p) {
            changed = !Same(EntryOf(parents[p], heldParents[p], hue), now);
        }
        if (!changed) return;
        entries.push_back(
            {commit, hue, parents.empty() ? std::nullopt : StateOf(parents[0], heldParents[0], hue),
             StateOf(after, heldAfter, hue)});
    };
    if (hues) {
        for (const std::size_t hue : *hues) compare(hue);
    } else {
        for (std::size_t hue = 0; hue < most; ++hue) compare(hue);
    }
}

// The blobs the history needs, in the order git is asked for them: where it starts (by name),
// then each commit's and its parents' (by blob), each once; and for each, the last commit that
// needs it, after which it is let go.
struct BlobPlan {
    std::vector<std::string> blobs;  // every commit's group in turn: its own, then its parents'
    std::vector<std::string> order;
    std::unordered_map<std::string, std::size_t> lastUse;
};
BlobPlan PlanBlobs(const std::string& start, std::span<const ListedCommit> listed) {
    BlobPlan plan{{start}, {}, {}};
    for (const ListedCommit& commit : listed) {
        plan.blobs.insert(plan.blobs.end(), commit.blobs.begin(), commit.blobs.end());
    }
    for (std::size_t r = 0, commit = 0, left = 1; r < plan.blobs.size(); ++r, --left) {
        if (left == 0) {  // blobs[r] starts the next commit's group: its own, its parents'
            commit += r == 1 ? 0 : 1;
            left = listed[commit].blobs.size();
        }
        const std::string& blob = plan.blobs[r];
        if (blob.empty()) continue;
        if (plan.lastUse.emplace(blob, commit).second) plan.order.push_back(blob);
        plan.lastUse[blob] = commit;
    }
    return plan;
}

// Compares each commit as soon as its blobs and its parents' have come, keeping each blob only
// until the last commit that needs it is compared, and handing its buffer on to the next.
class CommitComparer {
public:
    CommitComparer(const HistoryRequest& request, std::span<const ListedCommit> listed,
                   const BlobPlan& plan, const huedata::FileBytes* working, HueHistory& history)
        : request_(request),
          listed_(listed),
          plan_(plan),
          working_(working),
          history_(history),
          first_(working != nullptr ? 1 : 0) {}

    // A blob has come (nothing: the file is missing where the history starts, an empty one).
    void Take(std::optional<std::string> bytes) {
        const std::string& asked = plan_.order[answered_++];
        kept_.emplace(asked, bytes ? std::move(*bytes) : std::string());
        CompareReady();
    }
    std::vector<std::string>& Spares() { return spares_; }

    void CompareReady() {
        if (!started_ && !Start()) return;
        for (; next_ < listed_.size(); ++next_) {
            const std::size_t r = revision_, count = listed_[next_].blobs.size();
            for (std::size_t k = 0; k < count; ++k) {
                if (!Ready(r + k)) return;
            }
            std::vector<Bytes> parents;
            for (std::size_t k = 1; k < count; ++k) parents.push_back(BytesAt(r + k));
            CompareCommit(first_ + next_, BytesAt(r), parents, request_.hues, history_.entries);
            LetGo(r, count);
            revision_ += count;
        }
    }

private:
    // Where the history starts, once it has come: how many hues it holds, and the working
    // file's change against it.
    bool Start() {
        if (!Ready(0)) return false;
        started_ = true;
        const Bytes start = BytesAt(0);
        history_.held =
            huedata::HueCountForSize(working_ != nullptr ? working_->bytes().size() : start.size());
        if (working_ != nullptr) {
            const Bytes parents[] = {start};
            CompareCommit(0, working_->bytes(), parents, request_.hues, history_.entries);
        }
        return true;
    }
    bool Ready(std::size_t r) const {
        return plan_.blobs[r].empty() || kept_.contains(plan_.blobs[r]);
    }
    Bytes BytesAt(std::size_t r) const {
        return plan_.blobs[r].empty() ? Bytes() : BytesOf(&kept_.at(plan_.blobs[r]));
    }
    // The blobs of commit next_ that no later commit needs.
    void LetGo(std::size_t r, std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) {
            const auto done = kept_.find(plan_.blobs[r + k]);
            if (done == kept_.end() || plan_.lastUse.at(done->first) != next_) continue;
            spares_.push_back(std::move(done->second));
            kept_.erase(done);
        }
    }

    const HistoryRequest& request_;
    std::span<const ListedCommit> listed_;
    const BlobPlan& plan_;
    const huedata::FileBytes* working_;
    HueHistory& history_;
    std::size_t first_;  // the first listed commit's place among the history's commits
    std::unordered_map<std::string, std::string> kept_;
    std::vector<std::string> spares_;
    bool started_ = false;
    std::size_t next_ = 0, revision_ = 1;  // the next commit to compare, and its group's start
    std::size_t answered_ = 0;             // in plan_.order
};

}  // namespace

HueHistory ReadHueHistory(const HistoryRequest& request) {
    const Git git(request.file);
    const std::string name = FullName(git, request);
    const std::string start = request.rev.value_or("HEAD");
    const std::vector<ListedCommit> listed = ListCommits(git, start, name);
    const BlobPlan plan = PlanBlobs(start + ":" + name, listed);

    HueHistory history;
    std::optional<huedata::FileBytes> working;
    if (!request.rev) {
        working.emplace(request.file);
        history.commits.push_back({});
    }
    for (const ListedCommit& commit : listed) history.commits.push_back(commit.info);

    CommitComparer comparer(request, listed, plan, working ? &*working : nullptr, history);
    BlobStream stream([&](std::optional<std::string> bytes) { comparer.Take(std::move(bytes)); },
                      comparer.Spares());
    std::string asked;
    for (const std::string& oid : plan.order) asked.append(oid).append("\n");
    if (!asked.empty()) {
        git.Run({"cat-file", "--batch"}, asked,
                [&](std::string_view piece) { stream.Feed(piece); });
    }
    comparer.CompareReady();

    for (const std::size_t hue : request.hues.value_or(std::vector<std::size_t>{})) {
        if (hue >= history.held) {
            throw HuesError("hue " + std::to_string(hue) + " is past the end of " +
                            huedata::PathText(request.file) + ", which holds " +
                            std::to_string(history.held) + " hues");
        }
    }
    return history;
}

std::string HeadCommit(const std::filesystem::path& file) {
    const Git git(file);
    std::string head;
    if (git.Run({"rev-parse", "--verify", "--quiet", "HEAD"}, {}, head) != 0) return {};
    return head.substr(0, head.find('\n'));
}

bool TrackedByGit(const std::filesystem::path& file) {
    try {
        const Git git(file);
        std::string listed;
        return git.Run({"ls-files", "-z", "--error-unmatch", "--", ":(literal)" + LeafOf(file)}, {},
                       listed) == 0 &&
               !listed.empty();
    } catch (const HuesError&) {
        return false;
    }
}

std::vector<std::string> ChangedFields(const std::optional<HueState>& before,
                                       const std::optional<HueState>& after) {
    const auto record = [](const std::optional<HueState>& state) {
        return state ? std::optional(state->record) : std::optional<huedata::HueRecord>();
    };
    std::vector<std::string> fields;
    for (const huedata::HueField field : huedata::DifferingFields(record(before), record(after))) {
        fields.push_back(huedata::FieldName(field));
    }
    return fields;
}

}  // namespace huegit
