#include "json_format.h"

#include "text_builder.h"

#include "huedata/hue_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>

#include <fmt/compile.h>

namespace hues {

namespace {

using json = nlohmann::ordered_json;

// A name as a JSON string: quotes, backslashes and control characters escaped, the rest
// (UTF-8) as it is. By hand: the library's quoting builds a value per name, a tenth of the
// time of a whole listing.
void AppendJsonString(TextBuilder& text, std::string_view utf8) {
    char* out = text.Reserve(utf8.size() * 6 + 2);
    *out++ = '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            *out++ = '\\';
            *out++ = c;
        } else if (byte < 0x20) {
            out = fmt::format_to(out, FMT_COMPILE("\\u{:04x}"), byte);
        } else {
            *out++ = c;
        }
    }
    *out++ = '"';
    text.Commit(out);
}

// Written directly rather than through a json value: a document of 3,000 hues would build
// some 200,000 values only to print them. One reservation per hue covers all its numbers.
void AppendHueObject(TextBuilder& text, const HueView& hue) {
    text << R"({"id":)" << hue.id << R"(,"name":)";
    AppendJsonString(text, hue.name);
    text << R"(,"table_start":)" << hue.record->TableStart << R"(,"table_end":)"
         << hue.record->TableEnd << R"(,"colors":[)";
    constexpr std::size_t MostPerColour = 10 + 6;  // "#RRGGBB", and 65535,
    char* out = text.Reserve(hue.record->Colors.size() * MostPerColour + 16);
    // Each item ends in a comma; the last one gives way to the closing bracket.
    for (const huedata::Color15 value : hue.record->Colors) {
        out[0] = '"';
        huedata::WriteStoredAsRgbText(out + 1, value);
        out[8] = '"';
        out[9] = ',';
        out += 10;
    }
    out = std::copy_n(R"(],"stored":[)", 12, out - 1);
    for (const huedata::Color15 value : hue.record->Colors) {
        out = WriteSmallDecimal(out, static_cast<std::uint16_t>(value));
        *out++ = ',';
    }
    out[-1] = ']';
    *out++ = '}';
    text.Commit(out);
}

void AppendMatchObject(TextBuilder& text, const NearMatch& match) {
    const json object = {{"id", match.hue.id},
                         {"name", match.hue.name},
                         {"index", match.index},
                         {"color", huedata::RgbText(match.color)},
                         {"distance", match.distance}};
    text << object.dump();
}

// One object per line inside the array: readable, and still a single JSON text.
template <typename Item, typename AppendObject>
void WriteArray(std::span<const Item> items, AppendObject appendObject, TextBuilder& text) {
    if (items.empty()) {
        text << "[]\n";
        return;
    }
    text << "[\n";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text << "  ";
        appendObject(text, items[i]);
        text << (i + 1 < items.size() ? ",\n" : "\n");
    }
    text << "]\n";
}

}  // namespace

void HuesJson(std::span<const HueView> hues, TextBuilder& text) {
    WriteArray(hues, AppendHueObject, text);
}

void NearestJson(std::span<const NearMatch> matches, TextBuilder& text) {
    WriteArray(matches, AppendMatchObject, text);
}

}  // namespace hues
