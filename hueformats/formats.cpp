#include "hueformats/formats.h"

#include "hueformats/csv_format.h"
#include "hueformats/hue_source.h"
#include "hueformats/json_format.h"

#include "huedata/file_error.h"
#include "huepalette/palette_export.h"
#include "huepalette/palette_hues.h"
#include "huepalette/palette_read.h"

#include <algorithm>
#include <map>

namespace hueformats {

namespace {

void ListAsText(std::span<const huedata::HueView> hues, bool full, TextStyle style,
                huedata::TextBuilder& out) {
    if (full) return ShowText(hues, style, out);
    ListText(hues, style, out);
}

void ListAsJson(std::span<const huedata::HueView> hues, bool /*full*/, TextStyle /*style*/,
                huedata::TextBuilder& out) {
    HuesJson(hues, out);
}

void ListAsCsv(std::span<const huedata::HueView> hues, bool /*full*/, TextStyle /*style*/,
               huedata::TextBuilder& out) {
    HuesCsv(hues, out);
}

void WriteSpreadsheet(const Format& /*format*/, const huedata::HuesInParts& hues,
                      std::string_view /*paletteName*/, huedata::TextBuilder& out) {
    SpreadsheetCsv(hues, out);
}

void WritePalette(const Format& format, const huedata::HuesInParts& hues,
                  std::string_view paletteName, huedata::TextBuilder& out) {
    huepalette::PaletteExport(*format.palette, hues, paletteName, out);
}

std::string_view AfterByteOrderMark(std::span<const unsigned char> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (const std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        if (text.starts_with(mark)) return text.substr(mark.size());
    }
    return text;
}

bool LooksLikeJsonBytes(std::span<const unsigned char> bytes) {
    return LooksLikeJson(AfterByteOrderMark(bytes));
}

bool TellsJson(const Format& /*format*/, std::span<const unsigned char> bytes) {
    return LooksLikeJsonBytes(bytes);
}

// CSV is what text that is no JSON is taken as.
bool TellsCsv(const Format& /*format*/, std::span<const unsigned char> bytes) {
    return !LooksLikeJsonBytes(bytes);
}

bool TellsPalette(const Format& format, std::span<const unsigned char> bytes) {
    return huepalette::DetectPalette(bytes) == format.palette;
}

Format PaletteLine(const huepalette::PaletteFormatInfo& info) {
    return {info.name,
            "",
            info.exportKind,
            info.format,
            info.carriesHues ? ReadBack::FromPalette : ReadBack::Never,
            TellsPalette,
            nullptr,
            info.exportKind.empty() ? nullptr : WritePalette};
}

const std::vector<Format>& Table() {
    static const std::vector<Format> table = [] {
        std::vector<Format> formats{
            {"text", "text", "", std::nullopt, ReadBack::Never, nullptr, ListAsText, nullptr},
            {"JSON", "json", "", std::nullopt, ReadBack::AsText, TellsJson, ListAsJson, nullptr},
            {"CSV", "csv", "", std::nullopt, ReadBack::AsText, TellsCsv, ListAsCsv, nullptr},
        };
        // The palettes in the order `export` lists them, then the spreadsheet's CSV, which is
        // read back as the listing's CSV is.
        for (const huepalette::PaletteFormatInfo& info : huepalette::PaletteFormats()) {
            formats.push_back(PaletteLine(info));
        }
        formats.push_back({"spreadsheet CSV", "", "csv", std::nullopt, ReadBack::AsText, nullptr,
                           nullptr, WriteSpreadsheet});
        return formats;
    }();
    return table;
}

const Format* Find(std::string_view Format::*kindOf, std::string_view kind) {
    const auto& table = Table();
    const auto found = std::ranges::find_if(
        table, [&](const Format& format) { return !kind.empty() && format.*kindOf == kind; });
    return found == table.end() ? nullptr : &*found;
}

std::vector<std::string> KindsOf(std::string_view Format::*kindOf) {
    std::vector<std::string> kinds;
    for (const Format& format : Table()) {
        if (!(format.*kindOf).empty()) kinds.emplace_back(format.*kindOf);
    }
    return kinds;
}

std::span<const unsigned char> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// The hues of the palettes among the sources, added to those of the text sources; a hue given
// by two sources is refused.
void AddPaletteHues(huedata::SourceHues& hues, std::span<const HueSource* const> palettes,
                    bool strict) {
    int inexact = 0;
    std::string firstInexact;
    std::map<int, std::string> givenBy;
    for (const huedata::HueChange& change : hues.changes) givenBy[change.id] = "a text source";
    for (const HueSource* palette : palettes) {
        const huepalette::Palette contents = huedata::NamingTheFile(
            [&] { return huepalette::ReadPalette(palette->name, BytesOf(palette->bytes)); });
        huedata::SourceHues read =
            huepalette::PaletteHues(palette->name, contents, strict, inexact, firstInexact);
        for (std::size_t i = 0; i < read.changes.size(); ++i) {
            const int id = read.changes[i].id;
            if (const auto given = givenBy.find(id); given != givenBy.end()) {
                throw huedata::HuesError(palette->name + ": hue " + std::to_string(id) +
                                         " is given twice; first in " + given->second);
            }
            givenBy[id] = palette->name;
            hues.changes.push_back(read.changes[i]);
            hues.shown.push_back(std::move(read.shown[i]));
        }
    }
    hues.warning += huedata::InexactColorsWarning(inexact, firstInexact);
}

}  // namespace

std::span<const Format> Formats() {
    return Table();
}

const Format* ListFormat(std::string_view kind) {
    return Find(&Format::listKind, kind);
}

const Format* ExportFormat(std::string_view kind) {
    return Find(&Format::exportKind, kind);
}

std::vector<std::string> ListKinds() {
    return KindsOf(&Format::listKind);
}

std::vector<std::string> ExportKinds() {
    return KindsOf(&Format::exportKind);
}

const Format& FormatOfBytes(std::span<const unsigned char> bytes) {
    const auto& table = Table();
    // The palettes first: their signatures are exact, and CSV tells whatever JSON does not.
    const auto toldAmong = [&](bool palettes) {
        return std::ranges::find_if(table, [&](const Format& format) {
            return format.palette.has_value() == palettes && format.tells &&
                   format.tells(format, bytes);
        });
    };
    if (const auto palette = toldAmong(true); palette != table.end()) return *palette;
    return *toldAmong(false);
}

huedata::SourceHues ReadHues(std::span<const HueSource> sources, SourceEncoding encoding,
                             bool strict, std::string& warning) {
    std::vector<SourceText> texts;
    std::vector<const HueSource*> palettes;
    for (const HueSource& source : sources) {
        // Only a palette that carries hues is read as one; any other bytes are read as text,
        // whose reader says what is wrong with them.
        if (FormatOfBytes(BytesOf(source.bytes)).readBack == ReadBack::FromPalette) {
            palettes.push_back(&source);
            continue;
        }
        texts.push_back(DecodeSource(source.name, source.bytes, encoding, warning));
    }
    huedata::SourceHues hues =
        texts.empty() ? huedata::SourceHues{} : ReadHueSources(texts, strict);
    AddPaletteHues(hues, palettes, strict);
    warning += hues.warning;
    return hues;
}

}  // namespace hueformats
