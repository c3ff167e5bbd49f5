#include "cli/export.h"

#include "huecheck/check_report.h"
#include "huedata/hue_text.h"

#include "hueformats/formats.h"
#include "hueformats/output_file.h"
#include "page/html_export.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

namespace cli {

void ExportHues(const std::filesystem::path& hueFile, std::span<const huedata::HueView> hues,
                const ExportRequest& request, huedata::TextBuilder& out) {
    const std::string name = huedata::FileNameText(hueFile);
    if (const hueformats::Format* format = hueformats::ExportFormat(request.kind)) {
        format->write(*format, huedata::HuesInParts(hues), name, out);
    } else {
        page::HtmlPage(huedata::HuesInParts(hues), name, request.sample, out);
    }
}

void WriteExportFile(const std::filesystem::path& hueFile, const std::filesystem::path& output,
                     const std::function<void(huedata::TextBuilder&)>& write) {
    hueformats::WriteFileAtomically(output, write, std::span(&hueFile, 1));
}

namespace {

struct ExportOptions {
    std::string kind;
    std::vector<std::string> ids;
    std::optional<std::string> output;
    std::optional<std::string> sample;
    bool check = false;
};

// What export writes: the formats', with the page, which the page layer renders, before the
// spreadsheet's.
std::vector<std::string> ExportKinds() {
    std::vector<std::string> kinds = hueformats::ExportKinds();
    kinds.insert(std::ranges::find(kinds, "csv"), "html");
    return kinds;
}

int RunExport(const ExportOptions& options, const Run& run) {
    const std::vector<int> ids = huedata::ParseIds(options.ids);
    if (options.sample && options.kind != "html") {
        throw huedata::HuesError("--sample goes with export html: a palette has no pictures");
    }
    if (options.check && options.kind != "html") {
        throw huedata::HuesError(
            "--check goes with export html: a palette has nowhere to show findings");
    }
    const std::filesystem::path path = PathOf(run.file);
    const auto exportTo = [&](const std::function<void(huedata::TextBuilder&)>& write) {
        if (options.output) {
            WriteExportFile(path, PathOf(*options.output), write);
        } else {
            write(run.out);
        }
    };
    const hueformats::Format* format = hueformats::ExportFormat(options.kind);
    if (format && ids.empty()) {
        // A whole file's palette or spreadsheet, read a part at a time as it is written.
        const huedata::HuesInParts hues(path);
        exportTo([&](huedata::TextBuilder& out) {
            format->write(*format, hues, huedata::FileNameText(path), out);
        });
        return Success;
    }
    if (options.kind == "html" && options.check) {
        // The findings need every hue at once (pairs), so the file is read whole.
        huedata::HueFile file;
        const std::vector<huedata::HueView> hues = LoadHuesNamed(run, ids, file);
        const std::optional<page::SamplePicture> sample = SampleChosen(options.sample);
        const std::string findings = huecheck::PageFindingsOfFile(hues, path);
        exportTo([&](huedata::TextBuilder& out) {
            page::HtmlPage(huedata::HuesInParts(hues), huedata::FileNameText(path),
                           sample ? &*sample : nullptr, out, nullptr, findings);
        });
        return Success;
    }
    if (options.kind == "html" && ids.empty()) {
        // A whole file's page is made from the file read anew for each of the page's sections.
        // Held whole, the hues, their views and the page's values were most of its time: a
        // fresh page of memory touched for every 4 KB of them.
        const huedata::HuesInParts hues(path);
        const std::optional<page::SamplePicture> sample = SampleChosen(options.sample);
        exportTo([&](huedata::TextBuilder& out) {
            page::HtmlPage(hues, huedata::FileNameText(path), sample ? &*sample : nullptr, out);
        });
        return Success;
    }
    huedata::HueFile file;
    const std::vector<huedata::HueView> hues = LoadHuesNamed(run, ids, file);
    const std::optional<page::SamplePicture> sample = SampleChosen(options.sample);
    const ExportRequest request{options.kind, sample ? &*sample : nullptr};
    exportTo([&](huedata::TextBuilder& out) { ExportHues(path, hues, request, out); });
    return Success;
}

}  // namespace

Command ExportCommand() {
    return {"export",
            "Export all hues, or those given, as a palette of an art program, a web page or a "
            "table for spreadsheets",
            [](CLI::App* command) {
                auto options = std::make_shared<ExportOptions>();
                command
                    ->add_option("FORMAT", options->kind,
                                 "gpl, ase, aco, kpl, pal (JASC), hex, html, or csv: for a "
                                 "spreadsheet (UTF-8 with a byte-order mark, names it would "
                                 "change guarded by an apostrophe); apply takes csv, ase, aco "
                                 "and kpl back")
                    ->required()
                    ->check(CLI::IsMember(ExportKinds()));
                command->add_option("IDS", options->ids, "Hue identifiers: N or A-B");
                command->add_option("-o,--output", options->output,
                                    "Write to this file (atomically) instead of standard output");
                AddSampleOption(command, options->sample, "html: a");
                command->add_flag("--check", options->check,
                                  "html: show hues check's findings beside each hue, as the "
                                  "config found beside the file chooses them");
                return CommandRun([options](const Run& run) { return RunExport(*options, run); });
            }};
}

}  // namespace cli
