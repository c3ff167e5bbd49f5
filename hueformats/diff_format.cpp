#include "hueformats/diff_format.h"
#include "hueformats/json_format.h"

#include "hueformats/csv_format.h"
#include "hueformats/field_text.h"

#include "huedata/hue_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <string>

namespace hueformats {

namespace {

// Each differing field of a hue both files hold as (field, old, new), the values as `shown`
// gives them; a name whose text reads the same on both sides shows its bytes too.
template <typename Shown, typename Row>
void ForEachField(const huedata::HueDifference& hue, Shown shown, Row row) {
    for (const huedata::HueField field : hue.fields) {
        std::string old = shown(field, *hue.first), now = shown(field, *hue.second);
        if (field.kind == huedata::HueField::Name && old == now) {
            old += " [" + NameBytesText(*hue.first) + "]";
            now += " [" + NameBytesText(*hue.second) + "]";
        }
        row(field, old, now);
    }
}

// A changed hue's colours drawn: its old strip above its new one, each colour that changed
// marked below them; a hue one file lacks, its one strip.
void DrawHue(const huedata::HueDifference& hue, TextStyle style, huedata::TextBuilder& out) {
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

void WriteHueDifference(const huedata::HueDifference& hue, std::string_view onlyFirst,
                        std::string_view onlySecond, TextStyle style, huedata::TextBuilder& out) {
    using huedata::HueField;
    out << "hue " << hue.id;
    if (!hue.first)
        out << ": " << onlySecond << ' ' << FieldValueText({HueField::Name}, *hue.second);
    else if (!hue.second)
        out << ": " << onlyFirst << ' ' << FieldValueText({HueField::Name}, *hue.first);
    else
        out << ' ' << FieldValueText({HueField::Name}, *hue.second);
    out << '\n';
    if (hue.first && hue.second) {
        ForEachField(
            hue,
            [](HueField field, const huedata::HueRecord& side) {
                return FieldValueText(field, side);
            },
            [&](HueField field, const std::string& old, const std::string& now) {
                out << "  " << huedata::FieldWords(field) << ": " << old << " \xE2\x86\x92 " << now
                    << '\n';
            });
    }
    if (style.colors != TerminalColors::None) DrawHue(hue, style, out);
}

void DiffText(std::string_view first, std::string_view second,
              const huedata::FileDifference& difference, TextStyle style,
              huedata::TextBuilder& out) {
    for (const huedata::HueDifference& hue : difference.hues) {
        WriteHueDifference(hue, "only in " + std::string(first), "only in " + std::string(second),
                           style, out);
    }
    for (const std::string& line : FileChangeLines(difference)) out << line << '\n';
}

namespace {

// A value as the table gives it: numbers in decimal, for spreadsheets.
std::string CsvValue(huedata::HueField field, const huedata::HueRecord& hue) {
    switch (field.kind) {
        case huedata::HueField::TableStart:
            return std::to_string(hue.TableStart);
        case huedata::HueField::TableEnd:
            return std::to_string(hue.TableEnd);
        default:
            return FieldValueText(field, hue);
    }
}

}  // namespace

void DiffCsv(const huedata::FileDifference& difference, huedata::TextBuilder& out) {
    const auto line = [&](const std::string& id, std::string_view field, const std::string& old,
                          const std::string& now) {
        out << id << ',' << field << ',';
        CsvField(out, old);
        out << ',';
        CsvField(out, now);
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
             BlockHeaderText(header.first), BlockHeaderText(header.second));
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

std::vector<huedata::HueView> PatchViews(const huedata::FileDifference& difference) {
    std::map<std::size_t, std::uint32_t> headers;  // by the block's first hue
    for (const huedata::HeaderDifference& header : difference.headers) {
        const std::size_t first = header.block * huedata::HuesPerBlock;
        if (first < difference.secondCount) headers.emplace(first, header.second);
    }
    std::vector<huedata::HueView> views;
    for (const huedata::HueDifference& hue : difference.hues) {
        if (!hue.second) continue;
        const auto header = headers.extract(hue.id);
        views.push_back({static_cast<int>(hue.id), huedata::HueNameUtf8Text(hue.second->Name),
                         &*hue.second, header ? std::optional(header.mapped()) : std::nullopt});
    }
    for (const auto& [first, header] : headers) {
        views.push_back({static_cast<int>(first), {}, nullptr, header});
    }
    std::ranges::sort(views, {}, &huedata::HueView::id);  // one view an id
    return views;
}

namespace {

// One side of a changed hue, keyed as the JSON format keys a hue: its name as shown, its table
// values (signed, as listed) and its stored colours; or null.
void AppendChangedSide(huedata::TextBuilder& page, const std::optional<huedata::HueRecord>& hue) {
    using huedata::HueField;
    if (!hue) {
        page << "null";
        return;
    }
    static const std::string name = huedata::FieldName({HueField::Name}),
                             tableStart = huedata::FieldName({HueField::TableStart}),
                             tableEnd = huedata::FieldName({HueField::TableEnd});
    page << "{\"" << name << "\":";
    char* out = page.Reserve(huedata::HueNameSize * 3 * 18 + 2);  // WriteScriptString's room
    page.Commit(WriteScriptString(out, huedata::HueNameUtf8Text(hue->Name)));
    page << ",\"" << tableStart << "\":" << hue->TableStart << ",\"" << tableEnd
         << "\":" << hue->TableEnd << ",\"" << huedata::StoredName << "\":[";
    for (std::size_t i = 0; i < hue->Colors.size(); ++i) {
        if (i != 0) page << ',';
        page << static_cast<std::uint16_t>(hue->Colors[i]);
    }
    page << "]}";
}

}  // namespace

void ChangedHuesJson(const huedata::FileDifference& difference, huedata::TextBuilder& out) {
    out << '[';
    for (std::size_t i = 0; i < difference.hues.size(); ++i) {
        const huedata::HueDifference& hue = difference.hues[i];
        out << (i == 0 ? "\n" : ",\n") << R"({"hue": )" << hue.id << R"(, "fields": [)";
        for (std::size_t f = 0; f < hue.fields.size(); ++f) {
            out << (f == 0 ? "\"" : ",\"") << huedata::FieldName(hue.fields[f]) << '"';
        }
        out << R"(], "before": )";
        AppendChangedSide(out, hue.first);
        out << R"(, "after": )";
        AppendChangedSide(out, hue.second);
        out << '}';
    }
    out << ']';
}

}  // namespace hueformats
