#include "cli/history.h"

#include "huedata/hue_text.h"
#include "huedata/hue_view.h"
#include "hueformats/diff_format.h"
#include "hueformats/json_format.h"
#include "huegit/hue_history.h"

#include <CLI/CLI.hpp>

#include <memory>

#include <algorithm>
#include <filesystem>

namespace cli {

namespace {

huegit::HueHistory HistoryOf(const HistoryAsked& asked, bool everyHue) {
    std::optional<std::vector<std::size_t>> hues;
    if (!everyHue) hues.emplace(asked.ids.begin(), asked.ids.end());
    return huegit::ReadHueHistory(
        {.file = huedata::PathFromUtf8(asked.file), .rev = asked.rev, .hues = hues});
}

// The commit's line: its short hash, author and date, and subject; or that it is not one yet.
void CommitLine(const huegit::CommitInfo& commit, huedata::TextBuilder& out) {
    if (commit.hash.empty()) {
        out << "uncommitted  Not committed yet\n";
        return;
    }
    out << commit.hash.substr(0, 7) << "  " << huedata::PrintableText(commit.author) << " <"
        << huedata::PrintableText(commit.email) << ">  " << commit.date << "  "
        << huedata::PrintableText(commit.subject) << '\n';
}

}  // namespace

void LogHues(const HistoryAsked& asked, huedata::TextBuilder& out) {
    const huegit::HueHistory history = HistoryOf(asked, false);
    std::span<const huegit::HueChangeEntry> entries = history.entries;
    if (asked.most) entries = entries.first(std::min(*asked.most, entries.size()));
    if (asked.format == "json") return hueformats::HistoryJson(history, entries, out);
    std::size_t shown = SIZE_MAX;
    for (const huegit::HueChangeEntry& entry : entries) {
        if (entry.commit != shown) {
            if (shown != SIZE_MAX) out << '\n';
            CommitLine(history.commits[entry.commit], out);
            shown = entry.commit;
        }
        const auto record = [](const std::optional<huegit::HueState>& state) {
            return state ? std::optional(state->record) : std::nullopt;
        };
        huedata::HueDifference hue{entry.hue, record(entry.before), record(entry.after), {}};
        hue.fields = huedata::DifferingFields(hue.first, hue.second);
        hueformats::WriteHueDifference(hue, "removed", "added", asked.style, out);
    }
}

void BlameHues(const HistoryAsked& asked, huedata::TextBuilder& out) {
    const huegit::HueHistory history = HistoryOf(asked, asked.ids.empty());
    std::vector<std::size_t> ids(asked.ids.begin(), asked.ids.end());
    if (ids.empty()) {
        for (std::size_t hue = 0; hue < history.held; ++hue) ids.push_back(hue);
    }
    // Each hue's newest committed entry: the commit that last changed it.
    std::vector<const huegit::HueChangeEntry*> last(history.held, nullptr);
    std::vector<std::optional<huegit::HueState>> now(history.held);
    for (const huegit::HueChangeEntry& entry : history.entries) {
        if (entry.hue >= history.held) continue;
        if (!now[entry.hue]) now[entry.hue] = entry.after;
        if (!history.commits[entry.commit].hash.empty() && last[entry.hue] == nullptr) {
            last[entry.hue] = &entry;
        }
    }
    if (asked.format == "json") {
        out << (ids.empty() ? "[]\n" : "[\n");
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const huegit::HueChangeEntry* entry = last[ids[i]];
            out << R"(  {"hue": )" << ids[i] << ", ";
            hueformats::CommitJson(
                entry == nullptr ? huegit::CommitInfo{} : history.commits[entry->commit], out);
            out << '}';
            out << (i + 1 < ids.size() ? ",\n" : "\n");
        }
        if (!ids.empty()) out << "]\n";
        return;
    }
    for (const std::size_t hue : ids) {
        const huegit::HueChangeEntry* entry = last[hue];
        const auto& state = now[hue];  // the hue as it is, as git blame shows each line
        const std::string name =
            state ? huedata::PrintableText(huedata::HueNameUtf8Text(state->record.Name))
                  : std::string();
        hueformats::AppendFormatted(out, FMT_COMPILE("{:>5}  "), hue);
        if (entry == nullptr) {
            out << "uncommitted  Not committed yet";
        } else {
            const huegit::CommitInfo& commit = history.commits[entry->commit];
            out << commit.hash.substr(0, 7) << "  " << huedata::PrintableText(commit.author) << "  "
                << commit.date;
        }
        out << "  " << name << '\n';
    }
}

namespace {

struct HistoryOptions {
    bool log = false;  // else blame
    std::vector<std::string> ids;
    std::optional<std::string> rev;
    std::optional<std::size_t> most;
    std::string format = "text";
};

// The file as named on the command line, read through git.
int RunHistory(const HistoryOptions& options, const Run& run) {
    const HistoryAsked asked{.file = run.file,
                             .ids = huedata::ParseIds(options.ids),
                             .rev = options.rev,
                             .most = options.most,
                             .format = options.format,
                             .style = StyleFor(run)};
    if (options.log) {
        LogHues(asked, run.out);
    } else {
        BlameHues(asked, run.out);
    }
    return Success;
}

CommandRun AddHistoryOptions(CLI::App* command, bool log) {
    auto options = std::make_shared<HistoryOptions>();
    options->log = log;
    if (log) {
        command->add_option("IDS", options->ids, "Hue identifiers: N or A-B")->required();
        command->add_option("-n", options->most, "At most N entries")->check(CLI::PositiveNumber);
    } else {
        command->add_option("IDS", options->ids, "Hue identifiers: N or A-B (default: all)");
    }
    command->add_option("--rev", options->rev,
                        "Start at this revision (by default HEAD, and the working file's change "
                        "first)");
    command->add_option("--format", options->format, "Output format: text or json")
        ->check(CLI::IsMember({"text", "json"}))
        ->capture_default_str();
    return [options](const Run& run) { return RunHistory(*options, run); };
}

}  // namespace

std::vector<Command> HistoryCommands() {
    return {
        {"log",
         "The commits that changed these hues of the file, newest first, each with what changed "
         "(the file in a git repository)",
         [](CLI::App* log) { return AddHistoryOptions(log, true); }},
        {"blame", "The commit that last changed each hue of the file, or those given",
         [](CLI::App* blame) { return AddHistoryOptions(blame, false); }},
    };
}

}  // namespace cli
