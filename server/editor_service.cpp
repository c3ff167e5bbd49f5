#include "server/editor_service.h"

#include "huecheck/check_report.h"

#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "hueformats/hue_apply.h"
#include "hueformats/hue_source.h"
#include "hueformats/json_format.h"
#include "huegit/hue_history.h"
#include "page/html_export.h"
#include "server/request_gate.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_text.h"
#include "huedata/safe_write.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace server {

namespace {

using json = nlohmann::json;

// The file's bytes, read once for both the page and its stamp, so that the stamp a save names
// is the stamp of exactly what the page showed.
struct ReadFile {
    std::vector<unsigned char> bytes;
    huedata::HueFile hues;
};
ReadFile ReadWhole(const std::filesystem::path& path) {
    return huedata::NamingTheFile([&] {
        ReadFile read{huedata::ReadFileBytes(path), {path, {}, {}}};
        read.hues = huedata::HueFileFromBytes(path, read.bytes);
        return read;
    });
}

// Thrown inside the edit's turn when the file is not what the page read: nothing is written.
struct StaleFile {};

std::string HuesText(std::size_t count) {
    return count == 1 ? "1 hue" : std::to_string(count) + " hues";
}

EditorResponse Answer(unsigned status, const json& body) {
    return {status, "application/json", body.dump()};
}

}  // namespace

EditorService::EditorService(std::filesystem::path file, bool fileGiven, std::string secret,
                             std::uint16_t port, std::optional<page::SamplePicture> sample,
                             std::vector<huedata::MergeConflict> conflicts)
    : file_(std::move(file)),
      fileGiven_(fileGiven),
      secret_(std::move(secret)),
      port_(port),
      sample_(std::move(sample)),
      conflicts_(std::move(conflicts)),
      conflictsLeft_(conflicts_.size()) {}

std::string_view EditorService::SecurityPolicy() {
    return page::PageSecurityPolicy(true);
}

EditorResponse EditorService::Handle(const EditorRequest& request) {
    if (auto refused = RefusedAtTheDoor(request, port_, secret_)) return *refused;
    const std::string_view path = TargetPath(request.target);
    const bool page = path == "/", save = path == "/save", open = path == "/open" && !fileGiven_;
    const bool stop = path == "/stop", history = path == "/history";
    const bool findings = path == "/findings";
    if (!page && !save && !open && !stop && !history && !findings) {
        return Refusal(404, "there is nothing here");
    }
    if (page || history || findings) {
        if (request.method != "GET") return Refusal(405, "the page is read with GET");
        if (findings) return Findings();
        return page ? Page() : History(QueryValue(request.target, "hue"));
    }
    if (auto refused = RefusedAsChange(request)) return *refused;
    if (stop) {
        stopAsked_ = true;
        return Answer(200, {{"stopped", true}});
    }
    return save ? Save(QueryValue(request.target, "stamp"), QueryValue(request.target, "left"),
                       request.body)
                : Open(request.body);
}

EditorResponse EditorService::Page() {
    std::string body;
    try {
        const ReadFile read = ReadWhole(file_);
        const std::string path = huedata::PathText(file_);
        const page::ServedPage served{
            page::StampOfBytes(read.bytes),
            page::StampOfBytes({reinterpret_cast<const unsigned char*>(path.data()), path.size()}),
            conflicts_.empty() ? std::string() : hueformats::ConflictsJson(conflicts_),
            huegit::TrackedByGit(file_)};
        huedata::TextBuilder page([&](std::string_view piece) { body.append(piece); });
        const std::vector<huedata::HueView> views = huedata::AllViews(read.hues);
        page::HtmlPage(huedata::HuesInParts(views), huedata::FileNameText(file_),
                       sample_ ? &*sample_ : nullptr, page, &served);
        page.Flush();
    } catch (const huedata::HuesError& error) {
        // No hue file: the page says which file it looked for and why it found none.
        const std::string path = huedata::PathText(file_);
        const std::string reason = std::string(error.what()).substr(path.size() + 2);
        body.clear();
        huedata::TextBuilder page([&](std::string_view piece) { body.append(piece); });
        page::NoFilePage(path, reason, fileGiven_, page);
        page.Flush();
    }
    return {200, "text/html; charset=utf-8", std::move(body)};
}

EditorResponse EditorService::Save(std::string_view stamp, std::string_view left,
                                   const std::string& body) {
    // Checked in full before the file is touched, with the words `hues apply changes.json` uses.
    huedata::SourceHues hues;
    try {
        const std::array sources{hueformats::SourceText{"changes.json", body}};
        hues = hueformats::ReadHueSources(sources, false);
    } catch (const huedata::HuesError& error) {
        return Refusal(400, error.what());
    }
    std::string newStamp;
    hueformats::HuesApplied applied;
    try {
        const hueformats::ApplyHooks hooks{
            .before =
                [&](std::span<const unsigned char> before, std::span<const huedata::HueChange>) {
                    if (page::StampOfBytes(before) != stamp) throw StaleFile{};
                },
            .after =
                [&](std::span<const unsigned char> after) {
                    newStamp = page::StampOfBytes(after);
                }};
        // A merge's result goes where git reads it, with no backup: git keeps every side.
        applied = hueformats::ApplyHuesSafely(file_, hues, conflicts_.empty(), hooks);
    } catch (const StaleFile&) {
        return Answer(409, {{"conflict", true},
                            {"error", huedata::PathText(file_) +
                                          " has changed since this page read it: nothing was "
                                          "saved. Read the file again, keeping your changes, "
                                          "then save."}});
    } catch (const huedata::FileError& error) {
        return Refusal(409, error.what());
    }
    const std::size_t changed = applied.changed;
    const huedata::EditOutcome& outcome = applied.outcome;
    std::string message = "Saved " + HuesText(changed) + " into " + huedata::PathText(file_);
    if (!outcome.changed) message = huedata::PathText(file_) + " already holds these hues";
    if (outcome.backup) {
        message += "; the previous file is kept as " + huedata::PathText(*outcome.backup);
    }
    if (!outcome.changed) newStamp = std::string(stamp);
    if (conflicts_.empty()) {
        return Answer(200, {{"saved", changed}, {"message", message}, {"stamp", newStamp}});
    }
    // The page counts what is left: only the person knows a conflict settled as ours.
    std::size_t count = huedata::NumberFromText<std::size_t>(left).value_or(conflictsLeft_);
    if (count > conflicts_.size()) count = conflictsLeft_;
    conflictsLeft_ = count;
    if (count == 0) {
        stopAsked_ = true;
        message += ". The merge is resolved: you may close this tab";
    }
    return Answer(
        200,
        {{"saved", changed}, {"message", message}, {"stamp", newStamp}, {"resolved", count == 0}});
}

// Asked by the page once it shows and after each save, so that neither waits for the check.
EditorResponse EditorService::Findings() {
    try {
        const ReadFile read = ReadWhole(file_);
        return {200, "application/json",
                huecheck::PageFindingsOfFile(huedata::AllViews(read.hues), file_)};
    } catch (const huedata::HuesError& error) {
        return Refusal(409, error.what());
    }
}

EditorResponse EditorService::History(std::string_view hue) {
    const auto id = huedata::NumberFromText<std::size_t>(hue);
    if (!id || *id > huedata::HighestHueId) {
        return Refusal(
            400, "give the hue as ?hue=N, N from 0 to " + std::to_string(huedata::HighestHueId));
    }
    try {
        // The committed history of every hue, read once for each commit at HEAD.
        const std::string head = huegit::HeadCommit(file_);
        if (!history_ || history_->first != head) {
            history_.emplace(
                head, huegit::ReadHueHistory({.file = file_, .rev = "HEAD", .hues = std::nullopt}));
        }
    } catch (const huedata::HuesError& error) {
        return Refusal(409, error.what());
    }
    const huegit::HueHistory& all = history_->second;
    std::vector<huegit::HueChangeEntry> entries;
    std::ranges::copy_if(all.entries, std::back_inserter(entries),
                         [&](const huegit::HueChangeEntry& entry) { return entry.hue == id; });
    std::string body;
    huedata::TextBuilder out([&](std::string_view piece) { body.append(piece); });
    hueformats::HistoryJson(all, entries, out);
    out.Flush();
    return {200, "application/json", std::move(body)};
}

EditorResponse EditorService::Open(const std::string& body) {
    const json request = json::parse(body, nullptr, false);
    if (!request.is_object() || !request.contains("path") || !request["path"].is_string()) {
        return Refusal(400, "give the path of a hue file");
    }
    const std::filesystem::path path = huedata::PathFromUtf8(request["path"].get<std::string>());
    try {
        huedata::ReadableFileSize(path);
    } catch (const huedata::FileError& error) {
        return Refusal(400, error.what());
    }
    file_ = path;
    return Answer(200, {{"file", huedata::PathText(path)}});
}

}  // namespace server
