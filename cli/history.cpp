#include "cli/history.h"

#include "cli/diff.h"
#include "huegit/hue_history.h"
#include "huetext/hue_view.h"

#include "huedata/hue_text.h"

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
void CommitLine(const huegit::CommitInfo& commit, huetext::TextBuilder& out) {
    if (commit.hash.empty()) {
        out << "uncommitted  Not committed yet\n";
        return;
    }
    out << commit.hash.substr(0, 7) << "  " << huedata::PrintableText(commit.author) << " <"
        << huedata::PrintableText(commit.email) << ">  " << commit.date << "  "
        << huedata::PrintableText(commit.subject) << '\n';
}

}  // namespace

void LogHues(const HistoryAsked& asked, huetext::TextBuilder& out) {
    const huegit::HueHistory history = HistoryOf(asked, false);
    std::span<const huegit::HueChangeEntry> entries = history.entries;
    if (asked.most) entries = entries.first(std::min(*asked.most, entries.size()));
    if (asked.format == "json") return huegit::HistoryJson(history, entries, out);
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
        WriteHueDifference(hue, "removed", "added", asked.style, out);
    }
}

void BlameHues(const HistoryAsked& asked, huetext::TextBuilder& out) {
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
            huegit::CommitJson(
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
        out.Format(FMT_COMPILE("{:>5}  "), hue);
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

}  // namespace cli
