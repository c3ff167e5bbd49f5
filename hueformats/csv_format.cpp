#include "hueformats/csv_format.h"
#include "hueformats/text_format.h"

#include "huedata/text_builder.h"

#include "huedata/hue_fields.h"

#include <algorithm>
#include <string_view>

namespace hueformats {

void CsvField(huedata::TextBuilder& text, std::string_view field) {
    // One pass of comparisons: find_first_of searches the field once for each of the four.
    const bool plain = std::none_of(field.begin(), field.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (plain) {
        text << field;
        return;
    }
    text << '"';
    for (const char c : field) {
        if (c == '"') text << '"';
        text << c;
    }
    text << '"';
}

namespace {

void HeaderRow(huedata::TextBuilder& text) {
    text << "id," << huedata::ScalarFieldName(huedata::HueField::Name) << ','
         << huedata::ScalarFieldName(huedata::HueField::TableStart) << ','
         << huedata::ScalarFieldName(huedata::HueField::TableEnd);
    for (int i = 0; i < 32; ++i) text << ",color" << i;
    text << "\r\n";
}

// Rows of hues, each name written by `name`.
template <typename WriteName>
void HueRows(std::span<const huedata::HueView> hues, huedata::TextBuilder& text, WriteName name) {
    for (const huedata::HueView& hue : hues) {
        text << hue.id << ',';
        name(hue.name);
        text << ',' << hue.record->TableStart << ',' << hue.record->TableEnd;
        char* out = text.Reserve(hue.record->Colors.size() * 8 + 2);
        for (const huedata::Color15 value : hue.record->Colors) {
            *out++ = ',';
            out = huedata::WriteStoredAsRgbText(out, value);
        }
        text.Commit(std::copy_n("\r\n", 2, out));
    }
}

bool IsTruthValue(std::string_view cell) {
    const auto first = cell.find_first_not_of(' ');
    const auto last = cell.find_last_not_of(' ');
    if (first == std::string_view::npos) return false;
    const std::string_view word = cell.substr(first, last - first + 1);
    const auto same = [&](std::string_view upper) {
        return word.size() == upper.size() &&
               std::equal(word.begin(), word.end(), upper.begin(), [](char a, char b) {
                   return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 32) : a) == b;
               });
    };
    return same("TRUE") || same("FALSE");
}

}  // namespace

void HuesCsv(std::span<const huedata::HueView> hues, huedata::TextBuilder& text) {
    HeaderRow(text);
    HueRows(hues, text, [&](std::string_view name) { CsvField(text, name); });
}

bool SpreadsheetMightChange(std::string_view cell) {
    if (cell.empty()) return false;
    if (std::string_view("=+-@\t\r\n'").find(cell.front()) != std::string_view::npos) return true;
    return std::any_of(cell.begin(), cell.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
           IsTruthValue(cell);
}

void SpreadsheetCsv(const huedata::HuesInParts& hues, huedata::TextBuilder& text) {
    text << "\xEF\xBB\xBF";
    HeaderRow(text);
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t /*before*/) {
        HueRows(part, text, [&](std::string_view name) {
            if (!SpreadsheetMightChange(name)) return CsvField(text, name);
            std::string guarded = "'";
            CsvField(text, guarded.append(name));
        });
    });
}

void NearestCsv(std::span<const huecolour::NearMatch> matches, huedata::TextBuilder& text) {
    text << "id,name,index,color,distance\r\n";
    for (const huecolour::NearMatch& match : matches) {
        text << match.hue.id << ',';
        CsvField(text, match.hue.name);
        text << ',' << match.index << ',' << match.color;
        hueformats::AppendFormatted(text, FMT_COMPILE(",{}\r\n"), match.distance);
    }
}

}  // namespace hueformats
