#include "hueformats/json_format.h"

#include "huedata/text_builder.h"

#include "huedata/hue_fields.h"
#include "huedata/hue_file.h"
#include "huedata/hue_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <fmt/compile.h>

namespace hueformats {

namespace {

using OrderedJson = nlohmann::ordered_json;

// A name as a JSON string, written at `out`, which has room for 6 * utf8.size() + 2
// characters: quotes, backslashes and control characters escaped, the rest (UTF-8) as it is.
// By hand: the library's quoting builds a value per name, a tenth of the time of a listing.
char* WriteJsonString(char* out, std::string_view utf8) {
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
    return out;
}

template <std::size_t N>
char* WriteLiteral(char* out, const char (&literal)[N]) {
    return std::copy_n(literal, N - 1, out);
}

char* WriteText(char* out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
}

// A hue object's keys as the field table names them, each with its quotes and colon and the
// comma before it: ,"name":
struct HueKeys {
    std::string blockHeader, name, nameBytes, tableStart, tableEnd, colors, stored;
};

const HueKeys& Keys() {
    const auto key = [](std::string_view name) { return ",\"" + std::string(name) + "\":"; };
    using huedata::HueField;
    static const HueKeys keys{key(huedata::BlockHeaderName),
                              key(huedata::ScalarFieldName(HueField::Name)),
                              key(huedata::NameBytesName),
                              key(huedata::ScalarFieldName(HueField::TableStart)),
                              key(huedata::ScalarFieldName(HueField::TableEnd)),
                              key(huedata::ColorsName),
                              key(huedata::StoredName)};
    return keys;
}

// A table value, -32,768 to 32,767, in decimal.
char* WriteSignedDecimal(char* out, std::int16_t value) {
    if (value < 0) *out++ = '-';
    return huedata::WriteSmallDecimal(out, static_cast<std::uint32_t>(std::abs(int{value})));
}

// Written directly rather than through a json value: a document of 3,000 hues would build
// some 200,000 values only to print them. One reservation covers the whole hue.
void AppendHueObject(huedata::TextBuilder& text, const huedata::HueView& hue) {
    constexpr std::size_t MostPerColor = 10 + 6;  // "#RRGGBB", and 65535,
    constexpr std::size_t MostOfTheRest = 200;    // the keys, the brackets, numbers, name_bytes
    const HueKeys& keys = Keys();
    char* out = text.Reserve(MostOfTheRest + 6 * hue.name.size() + 2 +
                             huedata::HueRecord{}.Colors.size() * MostPerColor);
    out = huedata::WriteSmallDecimal(WriteLiteral(out, R"({"id":)"),
                                     static_cast<std::uint32_t>(hue.id));
    if (hue.blockHeader) {
        out = fmt::format_to(WriteText(out, keys.blockHeader), FMT_COMPILE("{}"), *hue.blockHeader);
    }
    if (hue.record == nullptr) {  // a block's header alone, in a patch
        *out++ = '}';
        text.Commit(out);
        return;
    }
    const huedata::HueRecord& record = *hue.record;
    out = WriteJsonString(WriteText(out, keys.name), hue.name);
    // Only where the name alone would not give its bytes back, so the text stays lossless.
    if (!huedata::HueNameRoundTrips(record.Name)) {
        out = WriteText(out, keys.nameBytes);
        *out++ = '"';
        for (const unsigned char byte : record.Name) {
            out = std::copy_n(huedata::HexOfByte[byte].data(), 2, out);
        }
        *out++ = '"';
    }
    out = WriteSignedDecimal(WriteText(out, keys.tableStart), record.TableStart);
    out = WriteSignedDecimal(WriteText(out, keys.tableEnd), record.TableEnd);
    out = WriteText(out, keys.colors);
    *out++ = '[';
    // Each item ends in a comma; the last one gives way to the closing bracket.
    for (const huedata::Color15 value : record.Colors) {
        out[0] = '"';
        huedata::WriteStoredAsRgbText(out + 1, value);
        out[8] = '"';
        out[9] = ',';
        out += 10;
    }
    *(out - 1) = ']';
    out = WriteText(out, keys.stored);
    *out++ = '[';
    for (const huedata::Color15 value : record.Colors) {
        out = huedata::WriteSmallDecimal(out, static_cast<std::uint16_t>(value));
        *out++ = ',';
    }
    out[-1] = ']';
    *out++ = '}';
    text.Commit(out);
}

void AppendMatchObject(huedata::TextBuilder& text, const huecolour::NearMatch& match) {
    const OrderedJson object = {{"id", match.hue.id},
                                {"name", match.hue.name},
                                {"index", match.index},
                                {"color", huedata::RgbText(match.color)},
                                {"distance", match.distance}};
    text << object.dump();
}

void AppendPairObject(huedata::TextBuilder& text, const huecolour::SimilarPair& pair) {
    const OrderedJson object = {{"a", pair.a}, {"b", pair.b}, {"largest", pair.largest}};
    text << object.dump();
}

// One object per line inside the array: readable, and still a single JSON text.
template <typename Item, typename AppendObject>
void WriteArray(std::span<const Item> items, AppendObject appendObject,
                huedata::TextBuilder& text) {
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

void HuesJson(std::span<const huedata::HueView> hues, huedata::TextBuilder& text) {
    HuesJsonPart(hues, 0, text);
    HuesJsonEnd(hues.size(), text);
}

void HuesJsonPart(std::span<const huedata::HueView> hues, std::size_t before,
                  huedata::TextBuilder& text) {
    for (const huedata::HueView& hue : hues) {
        text << (before++ == 0 ? "[\n  " : ",\n  ");
        AppendHueObject(text, hue);
    }
}

void HuesJsonEnd(std::size_t written, huedata::TextBuilder& text) {
    text << (written == 0 ? "[]\n" : "\n]\n");
}

char* WriteScriptString(char* out, std::string_view name) {
    name = name.substr(0, 60);
    *out++ = '"';
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0U;
        if (byte == 0xC2 && !huedata::DefinedInWindows1252(static_cast<unsigned char>(next))) {
            // A byte Windows-1252 leaves undefined keeps its C1 control, as the listings give
            // it, so that the page's editor reads the name back to its bytes.
            out = fmt::format_to(out, FMT_COMPILE("\\u{:04X}"), next);
            ++i;
        } else if (byte == '"' || byte == '\\') {
            *out++ = '\\';
            *out++ = name[i];
        } else if (byte == '<') {
            out = std::copy_n("\\u003C", 6, out);
        } else if (byte < 0x20 || byte == 0x7F || (byte == 0xC2 && next >= 0x80 && next <= 0x9F)) {
            out = std::copy_n("\xEF\xBF\xBD", 3, out);  // a control character, as U+FFFD
            if (byte == 0xC2) ++i;
        } else {
            *out++ = name[i];
        }
    }
    *out++ = '"';
    return out;
}

void JsonString(huedata::TextBuilder& out, std::string_view utf8) {
    out.Commit(WriteJsonString(out.Reserve(6 * utf8.size() + 2), utf8));
}

void HueJsonObject(const huedata::HueView& hue, huedata::TextBuilder& text) {
    AppendHueObject(text, hue);
}

void NearestJson(std::span<const huecolour::NearMatch> matches, huedata::TextBuilder& text) {
    WriteArray(matches, AppendMatchObject, text);
}

void SimilarJson(std::span<const huecolour::SimilarPair> pairs, huedata::TextBuilder& text) {
    WriteArray(pairs, AppendPairObject, text);
}

// The conflicts a merge left, for the page: each hue field by the JSON format's name, its values
// as the page keeps them (a name's 20 bytes in hex, a table value or stored colour as a
// number); a block's header ("block_header") as a number under its first hue; the bytes after
// the last hue ("tail") by their count; null where a side has no such hue. Numbers, hex and
// field names only: nothing a script must escape.
std::string ConflictsJson(std::span<const huedata::MergeConflict> conflicts) {
    using huedata::MergePart;
    using json = nlohmann::json;  // its keys in order of name, as the page has had them
    json list = json::array();
    for (const huedata::MergeConflict& conflict : conflicts) {
        const bool name =
            conflict.part == MergePart::HueField && conflict.field.kind == huedata::HueField::Name;
        const auto value = [&](const std::optional<std::vector<unsigned char>>& bytes) -> json {
            if (!bytes) return nullptr;
            if (conflict.part == MergePart::Tail) return bytes->size();
            if (name) {
                std::string hex;
                for (const unsigned char byte : *bytes)
                    hex.append(huedata::HexOfByte[byte].data(), 2);
                return hex;
            }
            return huedata::LittleEndianValue(*bytes);
        };
        const bool header = conflict.part == MergePart::BlockHeader;
        list.push_back(
            {{"hue", header ? conflict.hue * huedata::HuesPerBlock : conflict.hue},
             {"field", conflict.part == MergePart::HueField ? huedata::FieldName(conflict.field)
                       : header                             ? std::string(huedata::BlockHeaderName)
                                                            : std::string(huedata::TailName)},
             {"base", value(conflict.base)},
             {"ours", value(conflict.ours)},
             {"theirs", value(conflict.theirs)}});
    }
    return list.dump();
}

// ---- A hue file's history ----

namespace {

void StateJson(huedata::TextBuilder& out, std::size_t hue,
               const std::optional<huegit::HueState>& state) {
    if (!state) {
        out << "null";
        return;
    }
    HueJsonObject({static_cast<int>(hue), huedata::HueNameUtf8Text(state->record.Name),
                   &state->record, state->blockHeader},
                  out);
}

}  // namespace

void CommitJson(const huegit::CommitInfo& commit, huedata::TextBuilder& out) {
    const bool committed = !commit.hash.empty();
    for (const auto& [field, value] : {std::pair{"commit", &commit.hash},
                                       {"author", &commit.author},
                                       {"email", &commit.email},
                                       {"date", &commit.date}}) {
        out << (field == std::string_view("commit") ? "\"" : ", \"") << field << "\": ";
        if (committed) {
            JsonString(out, huedata::PrintableText(*value));
        } else {
            out << "null";
        }
    }
    out << R"(, "subject": )";
    JsonString(out, committed ? huedata::PrintableText(commit.subject) : "Not committed yet");
}

void HistoryJson(const huegit::HueHistory& history, std::span<const huegit::HueChangeEntry> entries,
                 huedata::TextBuilder& out) {
    WriteArray(
        entries,
        [&](huedata::TextBuilder& text, const huegit::HueChangeEntry& entry) {
            text << '{';
            CommitJson(history.commits[entry.commit], text);
            text << R"(, "hue": )" << entry.hue << R"(, "changed": [)";
            const std::vector<std::string> fields =
                huegit::ChangedFields(entry.before, entry.after);
            for (std::size_t f = 0; f < fields.size(); ++f)
                text << (f == 0 ? "\"" : ", \"") << fields[f] << '"';
            text << R"(], "before": )";
            StateJson(text, entry.hue, entry.before);
            text << R"(, "after": )";
            StateJson(text, entry.hue, entry.after);
            text << '}';
        },
        out);
}

}  // namespace hueformats
