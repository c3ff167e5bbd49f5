#include "cli/merge.h"

#include "cli/app.h"

#include "huedata/hue_view.h"
#include "hueformats/field_text.h"
#include "hueformats/output_file.h"

#include "huedata/color15.h"
#include "huedata/hue_file.h"
#include "huedata/hue_merge.h"
#include "huedata/hue_text.h"

#include "server/edit_server.h"

#include <CLI/CLI.hpp>

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace cli {

namespace {

namespace fs = std::filesystem;
using huedata::MergeConflict;
using huedata::MergePart;
using Value = std::optional<std::vector<unsigned char>>;

std::unique_ptr<huedata::FileBytes> ReadMergeSide(const fs::path& path) {
    return huedata::NamingTheFile([&] { return std::make_unique<huedata::FileBytes>(path); });
}

// A unit's value as texts for people give it; a side without the hue says why it has none.
std::string ValueText(const MergeConflict& conflict, const Value& value, bool isBase) {
    if (!value) return isBase ? "none" : "cut off";
    switch (conflict.part) {
        case MergePart::HueField:
            return hueformats::FieldValueText(conflict.field, *value);
        case MergePart::BlockHeader:
            return hueformats::BlockHeaderText(huedata::LittleEndianValue(*value));
        case MergePart::Tail:
            break;
    }
    return hueformats::ByteCountText(value->size());
}

std::string UnitText(const MergeConflict& conflict) {
    switch (conflict.part) {
        case MergePart::HueField:
            return fmt::format("hue {} {}", conflict.hue, huedata::FieldWords(conflict.field));
        case MergePart::BlockHeader:
            return fmt::format("block {} header", conflict.hue);
        case MergePart::Tail:
            break;
    }
    return "the bytes after the last hue";
}

huedata::MergePreference PreferenceOf(const std::optional<std::string>& prefer) {
    if (!prefer) return huedata::MergePreference::None;
    if (*prefer == "ours") return huedata::MergePreference::Ours;
    if (*prefer == "theirs") return huedata::MergePreference::Theirs;
    throw huedata::HuesError("--prefer or HUES_MERGE_PREFER: \"" + huedata::PrintableText(*prefer) +
                             "\" is neither ours nor theirs");
}

std::string ConflictLine(const std::string& file, const MergeConflict& conflict) {
    return fmt::format("{}: {}: ours {}, theirs {}, base {}\n", file, UnitText(conflict),
                       ValueText(conflict, conflict.ours, false),
                       ValueText(conflict, conflict.theirs, false),
                       ValueText(conflict, conflict.base, true));
}

}  // namespace

MergeReport MergeFiles(const MergeRequest& request) {
    const huedata::MergePreference prefer = PreferenceOf(request.prefer);
    // Every side read and checked before anything is written.
    const auto base = ReadMergeSide(request.base);
    const auto ours = ReadMergeSide(request.ours);
    const auto theirs = ReadMergeSide(request.theirs);
    const fs::path target = request.output.value_or(request.ours);
    const std::array others{request.base, request.theirs};
    struct {
        std::vector<MergeConflict> conflicts;
    } merged;
    hueformats::WriteFileAtomically(
        target,
        [&](huedata::TextBuilder& out) {
            merged.conflicts = huedata::MergeHueFiles(
                base->bytes(), ours->bytes(), theirs->bytes(), prefer,
                [&](std::span<const unsigned char> piece) {
                    out << std::string_view(reinterpret_cast<const char*>(piece.data()),
                                            piece.size());
                });
        },
        others);

    const std::string name = request.name.value_or(huedata::PathText(request.ours));
    MergeReport report{.written = target};
    for (const MergeConflict& conflict : merged.conflicts) {
        report.err += ConflictLine(name, conflict);
    }
    const std::size_t count = merged.conflicts.size();
    if (count == 0) return report;
    const std::string conflicts = fmt::format("{} conflict{}", count, count == 1 ? "" : "s");
    if (prefer != huedata::MergePreference::None) {
        report.err +=
            fmt::format("{}: {} settled with {} (--prefer)\n", name, conflicts, *request.prefer);
        return report;
    }
    report.status = Unmerged;
    report.conflicts = merged.conflicts;
    if (request.resolving) return report;
    report.err += fmt::format(
        "{}: {} left, ours kept in the file; resolve them by eye with git mergetool --tool=hues "
        "(hues git-setup sets it up)\n",
        name, conflicts);
    return report;
}

namespace {

struct MergeOptions {
    std::string base, ours, theirs;
    std::optional<std::string> output, prefer, pathName;
    bool resolve = false;
    std::optional<std::uint16_t> port;
    bool noBrowser = false;
};

int RunMerge(const MergeOptions& options, const Run& run) {
    const MergeReport merged = MergeFiles(
        {.base = PathOf(options.base),
         .ours = PathOf(options.ours),
         .theirs = PathOf(options.theirs),
         .output = options.output ? std::optional(PathOf(*options.output)) : std::nullopt,
         .prefer = options.prefer ? options.prefer : run.env.mergePrefer,
         .name = options.pathName,
         .resolving = options.resolve});
    run.err += merged.err;
    if (!options.resolve || merged.conflicts.empty()) return merged.status;
    // What is left, resolved by eye: the page saves into the merged file, and a save that
    // leaves no conflict ends it.
    run.env.tellNow(run.err.substr(0, run.err.size() - 1));
    run.err.clear();
    const std::size_t left =
        server::ServeHueEditor({.file = merged.written,
                                .fileGiven = true,
                                .port = options.port,
                                .openBrowser = !options.noBrowser,
                                .conflicts = merged.conflicts},
                               {.printAddress = run.env.printNow, .tell = run.env.tellNow});
    const std::string file = huedata::PathText(merged.written);
    if (left == 0) {
        run.err = "hues: the merge of " + file + " is resolved\n";
        return Success;
    }
    run.err = "hues: " + std::to_string(left) + (left == 1 ? " conflict" : " conflicts") +
              " left in " + file + ", ours kept there\n";
    return Unmerged;
}

}  // namespace

Command MergeCommand() {
    return {
        "merge",
        "Merge two changes of a hue file by hue and field, as git's merge driver; exit "
        "status 1 if conflicts remain",
        [](CLI::App* merge) {
            auto options = std::make_shared<MergeOptions>();
            merge->add_option("BASE", options->base, "The common base (empty: none)")->required();
            merge->add_option("OURS", options->ours, "Our side, where the result goes")->required();
            merge->add_option("THEIRS", options->theirs, "Their side")->required();
            merge->add_option("-o,--output", options->output,
                              "Write the result to this file instead of OURS");
            merge
                ->add_option("--prefer", options->prefer,
                             "Settle every conflict with ours or theirs (also "
                             "HUES_MERGE_PREFER)")
                ->check(CLI::IsMember({"ours", "theirs"}));
            merge->add_option("-p,--path-name", options->pathName,
                              "The file's name in messages (git's %P)");
            merge->add_flag("--resolve", options->resolve,
                            "Resolve the conflicts by eye in your browser, as hues edit "
                            "serves (git mergetool --tool=hues)");
            merge->add_option("--port", options->port, "With --resolve: as hues edit --port");
            merge->add_flag("--no-browser", options->noBrowser,
                            "With --resolve: print the page's address, but open no browser");
            return CommandRun([options](const Run& run) { return RunMerge(*options, run); });
        }};
}

}  // namespace cli
