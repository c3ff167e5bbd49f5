#include "cli/diff.h"

#include "huetext/csv_format.h"
#include "huetext/hue_view.h"
#include "huetext/json_format.h"
#include "huetext/output_file.h"
#include "page/diff_page.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace hues {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A side with the count of hues its bytes hold.
struct Side {
    const std::string& name;
    std::span<const unsigned char> bytes;
    std::size_t count;
};

// A file read whole (mapped where it can be), and the side of a diff it is.
struct ReadFile {
    std::unique_ptr<huedata::FileBytes> file;
    DiffSide side;
};
ReadFile ReadSide(const fs::path& path) {
    try {
        auto file = std::make_unique<huedata::FileBytes>(path);
        const auto bytes = file->bytes();
        return {std::move(file), {huedata::PathText(path), bytes}};
    } catch (const huedata::HueFileError& error) {
        throw HuesError(huedata::PathText(path) + ": " + error.reason());
    }
}

bool SameBytes(std::span<const unsigned char> a, std::span<const unsigned char> b) {
    return std::ranges::equal(a, b);
}

std::vector<HueDifference> Differences(const Side& a, const Side& b) {
    std::vector<HueDifference> differences;
    for (const std::size_t id : huedata::DifferingHues(a.bytes, b.bytes, true)) {
        HueDifference hue{id, std::nullopt, std::nullopt};
        if (id < a.count) hue.first = huedata::HueAt(a.bytes, id);
        if (id < b.count) hue.second = huedata::HueAt(b.bytes, id);
        if (id % huedata::HuesPerBlock == 0) {
            hue.firstHeader = huedata::BlockHeaderAt(a.bytes, id / huedata::HuesPerBlock);
            hue.secondHeader = huedata::BlockHeaderAt(b.bytes, id / huedata::HuesPerBlock);
        }
        differences.push_back(hue);
    }
    return differences;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
std::string NameShown(const huedata::HueRecord& hue) {
    std::string shown = "\"";
    shown.append(PrintableText(huedata::HueNameUtf8Text(hue.Name))).append("\"");
    return shown;
}

std::string NameBytesShown(const huedata::HueRecord& hue) {
    std::string hex;
    for (const unsigned char byte : hue.Name) hex.append(huedata::HexOfByte[byte].data(), 2);
    return hex;
}

std::string ColorShown(huedata::Color15 value) {
    return huedata::Color15Text(value) + " " + huedata::RgbText(huedata::ConvertColor(value));
}

// Each differing field as (field, old, new).
template <typename Row>
void ForEachField(const HueDifference& hue, Row row) {
    if (hue.firstHeader != hue.secondHeader) {
        row("block_header", fmt::format("0x{:08X}", hue.firstHeader),
            fmt::format("0x{:08X}", hue.secondHeader));
    }
    if (!hue.first || !hue.second) {
        row("hue", hue.first ? "present" : "absent", hue.second ? "present" : "absent");
        return;
    }
    const huedata::HueRecord& a = *hue.first;
    const huedata::HueRecord& b = *hue.second;
    if (a.Name != b.Name) {
        const bool sameText = NameShown(a) == NameShown(b);
        row(sameText ? "name_bytes" : "name", sameText ? NameBytesShown(a) : NameShown(a),
            sameText ? NameBytesShown(b) : NameShown(b));
    }
    if (a.TableStart != b.TableStart)
        row("table_start", std::to_string(a.TableStart), std::to_string(b.TableStart));
    if (a.TableEnd != b.TableEnd)
        row("table_end", std::to_string(a.TableEnd), std::to_string(b.TableEnd));
    for (std::size_t i = 0; i < a.Colors.size(); ++i) {
        if (a.Colors[i] != b.Colors[i]) {
            row("color" + std::to_string(i), ColorShown(a.Colors[i]), ColorShown(b.Colors[i]));
        }
    }
}

// A changed hue's colours drawn: its old strip above its new one, each colour that changed
// marked below them; a hue one file lacks, its one strip.
void DrawHue(const HueDifference& hue, TextStyle style, TextBuilder& out) {
    for (const auto& [label, side] : {std::pair{"  old ", &hue.first}, {"  new ", &hue.second}}) {
        if (!*side) continue;
        out << label;
        ColorStrip(out, style, **side);
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

void WriteHueDifference(const HueDifference& hue, std::string_view onlyFirst,
                        std::string_view onlySecond, TextStyle style, TextBuilder& out) {
    out << "hue " << hue.id;
    if (!hue.first)
        out << ": " << onlySecond << ' ' << NameShown(*hue.second);
    else if (!hue.second)
        out << ": " << onlyFirst << ' ' << NameShown(*hue.first);
    else
        out << ' ' << NameShown(*hue.second);
    out << '\n';
    ForEachField(hue,
                 [&](const std::string& field, const std::string& old, const std::string& now) {
                     if (field != "hue")
                         out << "  " << field << ": " << old << " \xE2\x86\x92 " << now << '\n';
                 });
    if (style.colors != TerminalColors::None) DrawHue(hue, style, out);
}

namespace {

void WriteText(const Side& a, const Side& b, std::span<const HueDifference> differences,
               TextStyle style, TextBuilder& out) {
    for (const HueDifference& hue : differences) {
        WriteHueDifference(hue, "only in " + a.name, "only in " + b.name, style, out);
    }
    if (a.bytes.size() != b.bytes.size()) {
        out << "size: " << a.bytes.size() << " \xE2\x86\x92 " << b.bytes.size() << " bytes ("
            << a.count << " \xE2\x86\x92 " << b.count << " hues)\n";
    } else if (!SameBytes(a.bytes, b.bytes) && differences.empty()) {
        out << "the bytes after the last hue differ\n";
    }
}

void WriteCsv(const Side& a, const Side& b, std::span<const HueDifference> differences,
              TextBuilder& out) {
    out << "id,field,old,new\r\n";
    for (const HueDifference& hue : differences) {
        ForEachField(hue,
                     [&](const std::string& field, const std::string& old, const std::string& now) {
                         out << hue.id << ',' << field << ',';
                         CsvField(out, old);
                         out << ',';
                         CsvField(out, now);
                         out << "\r\n";
                     });
    }
    if (a.bytes.size() != b.bytes.size()) {
        out << ",file_size," << a.bytes.size() << ',' << b.bytes.size() << "\r\n";
    }
}

// The patch: the second file's whole hue for every hue that differs and that it holds, with
// its block header wherever that differs from the first file's.
std::vector<huedata::HueChange> Patch(std::span<const HueDifference> differences) {
    std::vector<huedata::HueChange> patch;
    for (const HueDifference& hue : differences) {
        if (!hue.second) continue;
        huedata::HueChange change;
        change.id = static_cast<int>(hue.id);
        change.name = hue.second->Name;
        change.tableStart = hue.second->TableStart;
        change.tableEnd = hue.second->TableEnd;
        change.colors = hue.second->Colors;
        if (hue.firstHeader != hue.secondHeader) change.blockHeader = hue.secondHeader;
        patch.push_back(change);
    }
    return patch;
}

std::string PatchNote(const Side& a, const Side& b, std::span<const huedata::HueChange> patch) {
    Bytes rebuilt(a.bytes.begin(), a.bytes.end());
    huedata::ApplyHueChanges(rebuilt, patch);
    if (SameBytes(rebuilt, b.bytes)) return {};
    if (a.count > b.count) {
        return "hues: note: " + a.name + " holds hues " + std::to_string(b.count) + " to " +
               std::to_string(a.count - 1) + ", which " + b.name +
               " lacks; a patch cannot remove hues, so it does not rebuild " + b.name + "\n";
    }
    return "hues: note: the files differ in bytes after their last hues, which a patch cannot "
           "carry, so it does not rebuild " +
           b.name + " to the byte\n";
}

std::string PageTitle(const DiffRequest& request) {
    return "Changes to " + (request.name ? *request.name : FileNameText(request.second));
}

void WritePage(const DiffSide& first, const DiffSide& second, const DiffRequest& request,
               bool served, TextBuilder& out) {
    DiffPage({first.name, first.bytes}, {second.name, second.bytes}, PageTitle(request),
             request.sample ? &*request.sample : nullptr, served, out);
}

}  // namespace

DiffOutcome DiffHueFiles(const DiffRequest& request, TextBuilder& out) {
    const ReadFile readFirst = ReadSide(request.first), readSecond = ReadSide(request.second);
    const DiffSide& first = readFirst.side;
    const DiffSide& second = readSecond.side;
    if (request.sample && request.format != "html") {
        throw HuesError("--sample goes with --format html or --web: only a page shows pictures");
    }
    const auto write = [&](TextBuilder& to) {
        if (request.format == "html") {
            WritePage(first, second, request, false, to);
            return DiffOutcome{.differ = !SameBytes(first.bytes, second.bytes), .note = {}};
        }
        return DiffHueBytes(first, second, request.format, request.style, to);
    };
    if (!request.output) return write(out);
    DiffOutcome outcome;
    const std::array read{request.first, request.second};
    WriteFileAtomically(
        *request.output, [&](TextBuilder& to) { outcome = write(to); }, read);
    return outcome;
}

std::string ServedDiffPage(const DiffRequest& request) {
    const ReadFile first = ReadSide(request.first), second = ReadSide(request.second);
    std::string page;
    TextBuilder out([&](std::string_view piece) { page.append(piece); });
    WritePage(first.side, second.side, request, true, out);
    out.Flush();
    return page;
}

DiffOutcome DiffHueBytes(const DiffSide& first, const DiffSide& second, const std::string& format,
                         TextStyle style, TextBuilder& out) {
    const Side a{first.name, first.bytes, huedata::HueCountForSize(first.bytes.size())};
    const Side b{second.name, second.bytes, huedata::HueCountForSize(second.bytes.size())};
    const std::vector<HueDifference> differences = Differences(a, b);
    DiffOutcome outcome{.differ = !SameBytes(a.bytes, b.bytes), .note = {}};
    if (format == "csv") {
        WriteCsv(a, b, differences, out);
    } else if (format == "json") {
        const std::vector<huedata::HueChange> patch = Patch(differences);
        std::vector<HueView> views;
        views.reserve(patch.size());
        std::size_t next = 0;
        for (const HueDifference& hue : differences) {
            if (!hue.second) continue;
            views.push_back(HueView{static_cast<int>(hue.id),
                                    huedata::HueNameUtf8Text(hue.second->Name), &*hue.second,
                                    patch[next++].blockHeader});
        }
        HuesJson(views, out);
        outcome.note = PatchNote(a, b, patch);
    } else {
        WriteText(a, b, differences, style, out);
    }
    return outcome;
}

}  // namespace hues
