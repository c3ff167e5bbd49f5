#include "cli/diff.h"

#include "huedata/hue_view.h"
#include "hueformats/diff_format.h"
#include "hueformats/json_format.h"
#include "hueformats/output_file.h"
#include "page/diff_page.h"
#include "server/edit_server.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_fields.h"
#include "huedata/hue_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace cli {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A file read whole (mapped where it can be), and the side of a diff it is.
struct ReadFile {
    std::unique_ptr<huedata::FileBytes> file;
    DiffSide side;
};
ReadFile ReadSide(const fs::path& path) {
    auto file = huedata::NamingTheFile([&] { return std::make_unique<huedata::FileBytes>(path); });
    const auto bytes = file->bytes();
    return {std::move(file), {huedata::PathText(path), bytes}};
}

bool SameBytes(std::span<const unsigned char> a, std::span<const unsigned char> b) {
    return std::ranges::equal(a, b);
}

// The same as the changes `build --base` makes of it.
std::vector<huedata::HueChange> ChangesOf(std::span<const huedata::HueView> views) {
    std::vector<huedata::HueChange> changes;
    changes.reserve(views.size());
    for (const huedata::HueView& view : views) {
        huedata::HueChange change{.id = view.id, .blockHeader = view.blockHeader};
        if (view.record != nullptr) {
            change.name = view.record->Name;
            change.tableStart = view.record->TableStart;
            change.tableEnd = view.record->TableEnd;
            change.colors = view.record->Colors;
        }
        changes.push_back(change);
    }
    return changes;
}

std::string PatchNote(const DiffSide& a, const DiffSide& b,
                      const huedata::FileDifference& difference,
                      std::span<const huedata::HueChange> patch) {
    Bytes rebuilt(a.bytes.begin(), a.bytes.end());
    huedata::ApplyHueChanges(rebuilt, patch);
    if (SameBytes(rebuilt, b.bytes)) return {};
    if (difference.firstCount > difference.secondCount) {
        return "hues: note: " + a.name + " holds hues " + std::to_string(difference.secondCount) +
               " to " + std::to_string(difference.firstCount - 1) + ", which " + b.name +
               " lacks; a patch cannot remove hues, so it does not rebuild " + b.name + "\n";
    }
    return "hues: note: the files differ in bytes after their last hues, which a patch cannot "
           "carry, so it does not rebuild " +
           b.name + " to the byte\n";
}

std::string PageTitle(const DiffRequest& request) {
    return "Changes to " + (request.name ? *request.name : huedata::FileNameText(request.second));
}

void WritePage(const DiffSide& first, const DiffSide& second, const DiffRequest& request,
               bool served, huedata::TextBuilder& out) {
    page::DiffPage({first.name, first.bytes}, {second.name, second.bytes}, PageTitle(request),
                   request.sample ? &*request.sample : nullptr, served, out);
}

}  // namespace

DiffOutcome DiffHueFiles(const DiffRequest& request, huedata::TextBuilder& out) {
    const ReadFile readFirst = ReadSide(request.first), readSecond = ReadSide(request.second);
    const DiffSide& first = readFirst.side;
    const DiffSide& second = readSecond.side;
    if (request.sample && request.format != "html") {
        throw huedata::HuesError(
            "--sample goes with --format html or --web: only a page shows pictures");
    }
    const auto write = [&](huedata::TextBuilder& to) {
        if (request.format == "html") {
            WritePage(first, second, request, false, to);
            return DiffOutcome{.differ = !SameBytes(first.bytes, second.bytes), .note = {}};
        }
        return DiffHueBytes(first, second, request.format, request.style, to);
    };
    if (!request.output) return write(out);
    DiffOutcome outcome;
    const std::array read{request.first, request.second};
    hueformats::WriteFileAtomically(
        *request.output, [&](huedata::TextBuilder& to) { outcome = write(to); }, read);
    return outcome;
}

std::string ServedDiffPage(const DiffRequest& request) {
    const ReadFile first = ReadSide(request.first), second = ReadSide(request.second);
    std::string page;
    huedata::TextBuilder out([&](std::string_view piece) { page.append(piece); });
    WritePage(first.side, second.side, request, true, out);
    out.Flush();
    return page;
}

DiffOutcome DiffHueBytes(const DiffSide& first, const DiffSide& second, const std::string& format,
                         hueformats::TextStyle style, huedata::TextBuilder& out) {
    const huedata::FileDifference difference = huedata::CompareHueFiles(first.bytes, second.bytes);
    DiffOutcome outcome{.differ = difference.Any(), .note = {}};
    if (format == "csv") {
        hueformats::DiffCsv(difference, out);
    } else if (format == "json") {
        const std::vector<huedata::HueView> views = hueformats::PatchViews(difference);
        hueformats::HuesJson(views, out);
        outcome.note = PatchNote(first, second, difference, ChangesOf(views));
    } else {
        hueformats::DiffText(first.name, second.name, difference, style, out);
    }
    return outcome;
}

namespace {

struct DiffOptions {
    std::string first, second;
    std::string format = "text";
    std::optional<std::string> output, pathName, sample;
    bool web = false;
    std::optional<std::uint16_t> port;
    bool noBrowser = false;
};

int RunDiff(const DiffOptions& options, const Run& run) {
    DiffRequest request{
        .first = PathOf(options.first),
        .second = PathOf(options.second),
        .format = options.web ? "html" : options.format,
        .style = StyleFor(run),
        .output = options.output ? std::optional(PathOf(*options.output)) : std::nullopt,
        .name = options.pathName,
        .sample = SampleChosen(options.sample)};
    if (options.web) {
        server::ServeDiffPage(
            {.page = ServedDiffPage(request),
             .what = "the changes to " + (options.pathName ? *options.pathName : options.second),
             .port = options.port,
             .openBrowser = !options.noBrowser},
            {.printAddress = run.env.printNow, .tell = run.env.tellNow});
        return Success;
    }
    const DiffOutcome diff = DiffHueFiles(request, run.out);
    run.err += diff.note;
    return diff.differ ? Differ : Success;
}

}  // namespace

Command DiffCommand() {
    return {"diff", "Show what differs between two hue files; exit status 1 if anything does",
            [](CLI::App* diff) {
                auto options = std::make_shared<DiffOptions>();
                diff->add_option("A", options->first, "The first hue file")->required();
                diff->add_option("B", options->second, "The second hue file")->required();
                diff->add_option("--format", options->format,
                                 "text, csv, json (a patch for build --base A), or html: a page "
                                 "of every changed hue before and after")
                    ->check(CLI::IsMember({"text", "json", "csv", "html"}))
                    ->capture_default_str();
                diff->add_option("-o,--output", options->output,
                                 "Write to this file (atomically) instead of standard output");
                diff->add_flag("--web", options->web,
                               "Show the page in your browser, served on 127.0.0.1 until its "
                               "Done (git difftool --tool=hues)");
                diff->add_option("-p,--path-name", options->pathName,
                                 "The file's name in the page's title (git's $MERGED)");
                AddSampleOption(diff, options->sample, "html and --web: a");
                diff->add_option("--port", options->port, "With --web: serve on this port");
                diff->add_flag("--no-browser", options->noBrowser,
                               "With --web: print the page's address, but open no browser");
                return CommandRun([options](const Run& run) { return RunDiff(*options, run); });
            }};
}

}  // namespace cli
