#include "json_format.h"

#include "text_builder.h"

#include "huedata/hue_text.h"

#include <nlohmann/json.hpp>

#include <cstdint>

namespace hues {

namespace {

using json = nlohmann::ordered_json;

// Written directly rather than through a json value: a document of 3,000 hues would build
// some 200,000 values only to print them. The library still quotes the one free text.
void AppendHueObject(TextBuilder& text, const HueView& hue) {
    text << R"({"id":)" << hue.id << R"(,"name":)" << json(hue.name).dump() << R"(,"table_start":)"
         << hue.record.TableStart << R"(,"table_end":)" << hue.record.TableEnd << R"(,"colors":[)";
    for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
        if (i != 0) text << ',';
        text << '"' << huedata::ConvertColor(hue.record.Colors[i]) << '"';
    }
    text << R"(],"stored":[)";
    for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
        if (i != 0) text << ',';
        text << static_cast<std::uint16_t>(hue.record.Colors[i]);
    }
    text << "]}";
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
