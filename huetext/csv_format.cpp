#include "huetext/csv_format.h"

#include "huetext/text_builder.h"

#include <algorithm>
#include <string_view>

namespace hues {

void CsvField(TextBuilder& text, std::string_view field) {
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

void HuesCsv(std::span<const HueView> hues, TextBuilder& text) {
    text << "id,name,table_start,table_end";
    for (int i = 0; i < 32; ++i) text << ",color" << i;
    text << "\r\n";
    for (const HueView& hue : hues) {
        text << hue.id << ',';
        CsvField(text, hue.name);
        text << ',' << hue.record->TableStart << ',' << hue.record->TableEnd;
        char* out = text.Reserve(hue.record->Colors.size() * 8 + 2);
        for (const huedata::Color15 value : hue.record->Colors) {
            *out++ = ',';
            out = huedata::WriteStoredAsRgbText(out, value);
        }
        text.Commit(std::copy_n("\r\n", 2, out));
    }
}

void NearestCsv(std::span<const NearMatch> matches, TextBuilder& text) {
    text << "id,name,index,color,distance\r\n";
    for (const NearMatch& match : matches) {
        text << match.hue.id << ',';
        CsvField(text, match.hue.name);
        text << ',' << match.index << ',' << match.color;
        text.Format(FMT_COMPILE(",{}\r\n"), match.distance);
    }
}

}  // namespace hues
