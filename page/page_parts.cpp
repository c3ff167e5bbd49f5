#include "page/page_parts.h"

#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace hues {

namespace {

void PutLittleEndian16(std::vector<unsigned char>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<unsigned char>(value & 0xFFU));
    bytes.push_back(static_cast<unsigned char>(value >> 8U));
}

// The block's ids and values: ids, then table values and stored colours (34 values a hue),
// little-endian 16-bit values.
struct HueBlock {
    std::vector<unsigned char> ids, values;
};
HueBlock BlockOf(std::span<const HueView> hues) {
    HueBlock block;
    block.ids.reserve(hues.size() * 2);
    block.values.reserve(hues.size() * 68);
    for (const HueView& hue : hues) {
        PutLittleEndian16(block.ids, static_cast<std::uint16_t>(hue.id));
        PutLittleEndian16(block.values, static_cast<std::uint16_t>(hue.record->TableStart));
        PutLittleEndian16(block.values, static_cast<std::uint16_t>(hue.record->TableEnd));
        for (const huedata::Color15 color : hue.record->Colors) {
            PutLittleEndian16(block.values, static_cast<std::uint16_t>(color));
        }
    }
    return block;
}

std::string KeyOf(const HueBlock& block, std::span<const HueView> hues) {
    std::uint64_t key = BytesMark(block.values, BytesMark(block.ids, 0));
    for (const HueView& hue : hues) key = BytesMark(hue.record->Name, key);
    return fmt::format("{:016x}", key);
}

// The second byte of the UTF-8 of U+0081, U+008D, U+008F, U+0090 and U+009D, the C1 controls
// that stand for the bytes Windows-1252 leaves undefined.
bool StandsForAnUndefinedByte(unsigned byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

}  // namespace

std::uint64_t BytesMark(std::span<const unsigned char> bytes, std::uint64_t start) {
    std::uint64_t hash = start ^ 0xCBF29CE484222325U;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        hash = (hash ^ word) * 0x100000001B3U;
        hash ^= hash >> 32U;
    }
    for (; i < bytes.size(); ++i) hash = (hash ^ bytes[i]) * 0x100000001B3U;
    return hash;
}

char* WriteScriptString(char* out, std::string_view name) {
    name = name.substr(0, 60);
    *out++ = '"';
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0U;
        if (byte == 0xC2 && StandsForAnUndefinedByte(next)) {
            // A byte Windows-1252 leaves undefined keeps its C1 control, as the listings give
            // it, so that the page's editor reads the name back to its bytes.
            out = fmt::format_to(out, "\\u{:04X}", next);
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

void AppendBase64(TextBuilder& page, std::span<const unsigned char> bytes) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    // Two digits at a time: the pair for each 12 bits, so that three bytes take two lookups.
    static constexpr auto Pairs = [] {
        std::array<std::array<char, 2>, 4096> pairs{};
        for (std::size_t bits = 0; bits < pairs.size(); ++bits) {
            pairs[bits] = {Digits[bits >> 6U], Digits[bits & 63U]};
        }
        return pairs;
    }();
    // Whole groups of three bytes a slice at a time, then the last one or two bytes padded.
    constexpr std::size_t Slice = std::size_t{3} * 1024;
    const std::size_t whole = bytes.size() / 3 * 3;
    for (std::size_t start = 0; start < whole; start += Slice) {
        const std::size_t end = std::min(whole, start + Slice);
        char* out = page.Reserve(Slice / 3 * 4);
        for (std::size_t i = start; i < end; i += 3) {
            const std::uint32_t group = (std::uint32_t{bytes[i]} << 16U) |
                                        (std::uint32_t{bytes[i + 1]} << 8U) | bytes[i + 2];
            std::memcpy(out, Pairs[group >> 12U].data(), 2);
            std::memcpy(out + 2, Pairs[group & 0xFFFU].data(), 2);
            out += 4;
        }
        page.Commit(out);
    }
    if (whole == bytes.size()) return;
    const bool two = bytes.size() - whole == 2;
    const std::uint32_t group =
        (std::uint32_t{bytes[whole]} << 16U) | (two ? std::uint32_t{bytes[whole + 1]} << 8U : 0U);
    char* out = page.Reserve(4);
    out[0] = Digits[group >> 18U];
    out[1] = Digits[(group >> 12U) & 63U];
    out[2] = two ? Digits[(group >> 6U) & 63U] : '=';
    out[3] = '=';
    page.Commit(out + 4);
}

void AppendHueData(TextBuilder& page, std::span<const HueView> hues) {
    const HueBlock block = BlockOf(hues);
    page << R"({"ids": ")";
    AppendBase64(page, block.ids);
    page << "\",\n\"values\": \"";
    AppendBase64(page, block.values);
    page << "\",\n\"names\": [";
    for (std::size_t i = 0; i < hues.size(); ++i) {
        char* out = page.Reserve(18 * 60 + 3);
        if (i != 0) *out++ = ',';
        page.Commit(WriteScriptString(out, hues[i].name));
    }
    // The bytes of the names that their text, as shown, would not give back (a control
    // character, a byte Windows-1252 leaves undefined, bytes after the first zero), so that an
    // edit of another field keeps them.
    page << "],\n\"nameBytes\": {";
    bool first = true;
    for (std::size_t i = 0; i < hues.size(); ++i) {
        const auto& name = hues[i].record->Name;
        const auto end = std::find(name.begin(), name.end(), 0);
        const bool control = std::any_of(
            name.begin(), end, [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; });
        if (!control && huedata::HueNameRoundTrips(name)) continue;
        char* out = page.Reserve(16 + 2 * name.size());
        out = fmt::format_to(out, R"({}"{}":")", first ? "" : ",", i);
        for (const unsigned char byte : name)
            out = std::copy_n(huedata::HexOfByte[byte].data(), 2, out);
        *out++ = '"';
        page.Commit(out);
        first = false;
    }
    // Changes a person makes on the page are kept in the browser under this mark of the hues
    // it was made from, so that they come back for these hues and for no others.
    page << "},\n\"key\": \"" << KeyOf(block, hues) << "\"}";
}

std::string InertJson(std::string_view json) {
    std::string inert;
    inert.reserve(json.size());
    for (const char c : json) {
        if (c == '<')
            inert += "\\u003C";
        else
            inert += c;
    }
    return inert;
}

void FillPlaces(std::string_view text, TextBuilder& page,
                const std::function<void(std::string_view)>& fill) {
    for (auto open = text.find("{{"); open != std::string_view::npos; open = text.find("{{")) {
        const auto close = text.find("}}", open);
        page << text.substr(0, open);
        fill(text.substr(open + 2, close - open - 2));
        text.remove_prefix(close + 2);
    }
    page << text;
}

}  // namespace hues
