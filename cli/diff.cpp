#include "cli/diff.h"

#include "huetext/csv_format.h"
#include "huetext/field_text.h"
#include "huetext/hue_view.h"
#include "huetext/json_format.h"
#include "huetext/output_file.h"
#include "page/diff_page.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_fields.h"
#include "huedata/hue_text.h"

#include "server/edit_server.h"

#include <CLI/CLI.hpp>

#include <fmt/format.h>

#include <algorithm>
#include <map>
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

// Each differing field of a hue both files hold as (field, old, new), the values as `shown`
// gives them; a name whose text reads the same on both sides shows its bytes too.
template <typename Shown, typename Row>
void ForEachField(const huedata::HueDifference& hue, Shown shown, Row row) {
    for (const huedata::HueField field : hue.fields) {
        std::string old = shown(field, *hue.first), now = shown(field, *hue.second);
        if (field.kind == huedata::HueField::Name && old == now) {
            old += " [" + huetext::NameBytesText(*hue.first) + "]";
            now += " [" + huetext::NameBytesText(*hue.second) + "]";
        }
        row(field, old, now);
    }
}

// A changed hue's colours drawn: its old strip above its new one, each colour that changed
// marked below them; a hue one file lacks, its one strip.
void DrawHue(const huedata::HueDifference& hue, huetext::TextStyle style,
             huetext::TextBuilder& out) {
    for (const auto& [label, side] : {std::pair{"  old ", &hue.first}, {"  new ", &hue.second}}) {
        if (!*side) continue;
        out << label;
        huetext::ColorStrip(out, style, **side);
        out << '\n';
    }
    if (!hue.first || !hue.second || hue.first->Colors == hue.second->Colors) return;
    std::string marks = "      ";
    for (std::size_t i = 0; i < hue.first->Colors.size(); ++i) {
        marks += hue.first->Colors[i] != hue.second->Colors[i] ? "^^" : "  ";
    }
    out << marks.substr(0, marks.find_last_not_of(' ') + 1) << '\n';
}

}  // namespace

void WriteHueDifference(const huedata::HueDifference& hue, std::string_view onlyFirst,
                        std::string_view onlySecond, huetext::TextStyle style,
                        huetext::TextBuilder& out) {
    using huedata::HueField;
    out << "hue " << hue.id;
    if (!hue.first)
        out << ": " << onlySecond << ' ' << huetext::FieldValueText({HueField::Name}, *hue.second);
    else if (!hue.second)
        out << ": " << onlyFirst << ' ' << huetext::FieldValueText({HueField::Name}, *hue.first);
    else
        out << ' ' << huetext::FieldValueText({HueField::Name}, *hue.second);
    out << '\n';
    if (hue.first && hue.second) {
        ForEachField(
            hue,
            [](HueField field, const huedata::HueRecord& side) {
                return huetext::FieldValueText(field, side);
            },
            [&](HueField field, const std::string& old, const std::string& now) {
                out << "  " << huedata::FieldWords(field) << ": " << old << " \xE2\x86\x92 " << now
                    << '\n';
            });
    }
    if (style.colors != huetext::TerminalColors::None) DrawHue(hue, style, out);
}

namespace {

void WriteText(const DiffSide& a, const DiffSide& b, const huedata::FileDifference& difference,
               huetext::TextStyle style, huetext::TextBuilder& out) {
    for (const huedata::HueDifference& hue : difference.hues) {
        WriteHueDifference(hue, "only in " + a.name, "only in " + b.name, style, out);
    }
    for (const std::string& line : huetext::FileChangeLines(difference)) out << line << '\n';
}

// A value as the table gives it: numbers in decimal, for spreadsheets.
std::string CsvValue(huedata::HueField field, const huedata::HueRecord& hue) {
    switch (field.kind) {
        case huedata::HueField::TableStart:
            return std::to_string(hue.TableStart);
        case huedata::HueField::TableEnd:
            return std::to_string(hue.TableEnd);
        default:
            return huetext::FieldValueText(field, hue);
    }
}

void WriteCsv(const huedata::FileDifference& difference, huetext::TextBuilder& out) {
    const auto line = [&](const std::string& id, std::string_view field, const std::string& old,
                          const std::string& now) {
        out << id << ',' << field << ',';
        huetext::CsvField(out, old);
        out << ',';
        huetext::CsvField(out, now);
        out << "\r\n";
    };
    out << "id,field,old,new\r\n";
    for (const huedata::HueDifference& hue : difference.hues) {
        const std::string id = std::to_string(hue.id);
        if (!hue.first || !hue.second) {
            line(id, "hue", hue.first ? "present" : "absent", hue.second ? "present" : "absent");
            continue;
        }
        ForEachField(hue, CsvValue,
                     [&](huedata::HueField field, const std::string& old, const std::string& now) {
                         line(id, huedata::FieldName(field), old, now);
                     });
    }
    // The file's own parts, apart from the hues: no id.
    for (const huedata::HeaderDifference& header : difference.headers) {
        line({}, fmt::format("{}/{}", huedata::BlockHeaderName, header.block),
             huetext::BlockHeaderText(header.first), huetext::BlockHeaderText(header.second));
    }
    if (difference.firstSize != difference.secondSize) {
        line({}, "file_size", std::to_string(difference.firstSize),
             std::to_string(difference.secondSize));
    }
    if (difference.tailsDiffer) {
        line({}, huedata::TailName,
             std::to_string(difference.firstSize - huedata::EndOfEntries(difference.firstCount)),
             std::to_string(difference.secondSize - huedata::EndOfEntries(difference.secondCount)));
    }
}

// The patch: the second file's whole hue for every hue that differs and that it holds, with
// the header of its block where that differs; a header alone where the block's first hue is
// the same. In id order.
std::vector<huetext::HueView> PatchViews(const huedata::FileDifference& difference) {
    std::map<std::size_t, std::uint32_t> headers;  // by the block's first hue
    for (const huedata::HeaderDifference& header : difference.headers) {
        const std::size_t first = header.block * huedata::HuesPerBlock;
        if (first < difference.secondCount) headers.emplace(first, header.second);
    }
    std::vector<huetext::HueView> views;
    for (const huedata::HueDifference& hue : difference.hues) {
        if (!hue.second) continue;
        const auto header = headers.extract(hue.id);
        views.push_back({static_cast<int>(hue.id), huedata::HueNameUtf8Text(hue.second->Name),
                         &*hue.second, header ? std::optional(header.mapped()) : std::nullopt});
    }
    for (const auto& [first, header] : headers) {
        views.push_back({static_cast<int>(first), {}, nullptr, header});
    }
    std::ranges::sort(views, {}, &huetext::HueView::id);  // one view an id
    return views;
}

// The same as the changes `build --base` makes of it.
std::vector<huedata::HueChange> ChangesOf(std::span<const huetext::HueView> views) {
    std::vector<huedata::HueChange> changes;
    changes.reserve(views.size());
    for (const huetext::HueView& view : views) {
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
    return "Changes to " + (request.name ? *request.name : huetext::FileNameText(request.second));
}

void WritePage(const DiffSide& first, const DiffSide& second, const DiffRequest& request,
               bool served, huetext::TextBuilder& out) {
    page::DiffPage({first.name, first.bytes}, {second.name, second.bytes}, PageTitle(request),
                   request.sample ? &*request.sample : nullptr, served, out);
}

}  // namespace

DiffOutcome DiffHueFiles(const DiffRequest& request, huetext::TextBuilder& out) {
    const ReadFile readFirst = ReadSide(request.first), readSecond = ReadSide(request.second);
    const DiffSide& first = readFirst.side;
    const DiffSide& second = readSecond.side;
    if (request.sample && request.format != "html") {
        throw huedata::HuesError(
            "--sample goes with --format html or --web: only a page shows pictures");
    }
    const auto write = [&](huetext::TextBuilder& to) {
        if (request.format == "html") {
            WritePage(first, second, request, false, to);
            return DiffOutcome{.differ = !SameBytes(first.bytes, second.bytes), .note = {}};
        }
        return DiffHueBytes(first, second, request.format, request.style, to);
    };
    if (!request.output) return write(out);
    DiffOutcome outcome;
    const std::array read{request.first, request.second};
    huetext::WriteFileAtomically(
        *request.output, [&](huetext::TextBuilder& to) { outcome = write(to); }, read);
    return outcome;
}

std::string ServedDiffPage(const DiffRequest& request) {
    const ReadFile first = ReadSide(request.first), second = ReadSide(request.second);
    std::string page;
    huetext::TextBuilder out([&](std::string_view piece) { page.append(piece); });
    WritePage(first.side, second.side, request, true, out);
    out.Flush();
    return page;
}

DiffOutcome DiffHueBytes(const DiffSide& first, const DiffSide& second, const std::string& format,
                         huetext::TextStyle style, huetext::TextBuilder& out) {
    const huedata::FileDifference difference = huedata::CompareHueFiles(first.bytes, second.bytes);
    DiffOutcome outcome{.differ = difference.Any(), .note = {}};
    if (format == "csv") {
        WriteCsv(difference, out);
    } else if (format == "json") {
        const std::vector<huetext::HueView> views = PatchViews(difference);
        huetext::HuesJson(views, out);
        outcome.note = PatchNote(first, second, difference, ChangesOf(views));
    } else {
        WriteText(first, second, difference, style, out);
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
