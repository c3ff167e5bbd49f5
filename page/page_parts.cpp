#include "page/page_parts.h"

#include "huecolour/oklab.h"
#include "huedata/hue_fields.h"
#include "huedata/hue_file.h"
#include "huedata/hue_text.h"
#include "hueformats/json_format.h"
#include "hueformats/text_format.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace page {

namespace {

// 16-bit values written into the page little-endian, as base64, a slice at a time, and
// marked as they go.
class ValuesInBase64 {
public:
    ValuesInBase64(huedata::TextBuilder& page, std::uint64_t markStart)
        : page_(page), marker_(markStart) {}
    // A hue's values at once: written a value at a time into the slice, each byte would make
    // the compiler read the slice's size anew.
    template <std::size_t Count>
    void Put(const std::array<std::uint16_t, Count>& values) {
        std::array<unsigned char, 2 * Count> bytes;
        unsigned char* out = bytes.data();
        for (const std::uint16_t value : values) out = huedata::PutLittleEndian(out, value, 2);
        std::span<const unsigned char> rest(bytes);
        while (!rest.empty()) {
            if (size_ == slice_.size()) Write();
            const std::size_t taken = std::min(rest.size(), slice_.size() - size_);
            std::memcpy(slice_.data() + size_, rest.data(), taken);
            size_ += taken;
            rest = rest.subspan(taken);
        }
    }
    // The rest written; the mark of all the values.
    std::uint64_t End() {
        Write();
        return marker_.mark();
    }

private:
    void Write() {
        const std::span<const unsigned char> bytes(slice_.data(), size_);
        AppendBase64(page_, bytes);
        marker_.Add(bytes);
        size_ = 0;
    }

    huedata::TextBuilder& page_;
    BytesMarker marker_;
    // Whole groups of base64 (3 bytes) and whole words of the mark (8), so that slice after
    // slice reads as the values written at once.
    std::array<unsigned char, std::size_t{3} * 1024> slice_{};
    std::size_t size_ = 0;
};

// The second byte of the UTF-8 of U+0081, U+008D, U+008F, U+0090 and U+009D, the C1 controls
// that stand for the bytes Windows-1252 leaves undefined.
}  // namespace

void BytesMarker::Add(std::span<const unsigned char> bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        hash_ = (hash_ ^ word) * 0x100000001B3U;
        hash_ ^= hash_ >> 32U;
    }
    for (; i < bytes.size(); ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001B3U;
}

std::uint64_t BytesMark(std::span<const unsigned char> bytes, std::uint64_t start) {
    BytesMarker marker(start);
    marker.Add(bytes);
    return marker.mark();
}

namespace {

// Numbers as the shortest text that reads back the same double, in the JSON arrays the page's
// script reads.
template <typename Numbers>
void AppendNumbers(huedata::TextBuilder& page, const Numbers& numbers) {
    page << '[';
    bool first = true;
    for (const auto number : numbers) {
        if (!first) page << ',';
        first = false;
        hueformats::AppendFormatted(page, FMT_COMPILE("{}"), number);
    }
    page << ']';
}

void AppendMatrix(huedata::TextBuilder& page, const huecolour::OkLabMatrices::Matrix& matrix) {
    page << '[';
    for (std::size_t row = 0; row < matrix.size(); ++row) {
        if (row != 0) page << ',';
        AppendNumbers(page, matrix[row]);
    }
    page << ']';
}

// The JSON format's names of a hue's fields and keys, from the one table, as the page reads and
// writes hues and reads a diff's or a merge's fields: {"name": ..., "tableStart": ..., ...}.
void AppendFieldNames(huedata::TextBuilder& page) {
    using huedata::HueField;
    const std::pair<std::string_view, std::string> names[] = {
        {"name", huedata::FieldName({HueField::Name})},
        {"tableStart", huedata::FieldName({HueField::TableStart})},
        {"tableEnd", huedata::FieldName({HueField::TableEnd})},
        {"colors", std::string(huedata::ColorsName)},
        {"stored", std::string(huedata::StoredName)},
        {"nameBytes", std::string(huedata::NameBytesName)},
        {"blockHeader", std::string(huedata::BlockHeaderName)},
        {"tail", std::string(huedata::TailName)},
        {"olderTableStart", std::string(huedata::OlderTableStartName)},
        {"olderTableEnd", std::string(huedata::OlderTableEndName)},
        {"olderColor", std::string(huedata::OlderColorPrefix)},
        {"olderBlockHeader", std::string(huedata::OlderBlockHeaderName)},
    };
    page << ",\n\"fields\": {";
    const char* comma = "";
    for (const auto& [key, name] : names) {
        page << comma << '"' << key << "\": \"" << name << '"';
        comma = ", ";
    }
    page << '}';
}

}  // namespace

void AppendProgramData(huedata::TextBuilder& page) {
    std::array<double, 256> linear{};
    for (std::size_t channel = 0; channel < linear.size(); ++channel) {
        linear[channel] = huecolour::LinearFromSrgb(static_cast<std::uint8_t>(channel));
    }
    std::array<unsigned, 32> high{};
    for (std::size_t k = 0; k < high.size(); ++k) {
        const char byte = static_cast<char>(0x80 + k);
        high[k] = huedata::Utf16Text(huedata::Utf8FromWindows1252(std::string_view(&byte, 1)))[0];
    }
    const auto& oklab = huecolour::OkLabMatricesUsed();
    page << "{\"linear\": ";
    AppendNumbers(page, linear);
    page << ",\n\"oklab\": {\"linearSrgbToXyz\": ";
    AppendMatrix(page, oklab.linearSrgbToXyz);
    page << ", \"xyzToLms\": ";
    AppendMatrix(page, oklab.xyzToLms);
    page << ", \"lmsToLab\": ";
    AppendMatrix(page, oklab.lmsToLab);
    page << "},\n\"windows1252\": ";
    AppendNumbers(page, high);
    hueformats::AppendFormatted(
        page,
        FMT_COMPILE(",\n\"layout\": {{\"entryBytes\": {}, \"blockHeaderBytes\": {}, "
                    "\"huesPerBlock\": {}, \"colorCount\": {}, \"tableStartOffset\": {}, "
                    "\"tableEndOffset\": {}, \"nameOffset\": {}, \"nameBytes\": {}, "
                    "\"highestHueId\": {}, \"lowestTableValue\": {}, "
                    "\"highestTableValue\": {}}}"),
        huedata::HueRecordSize, huedata::HueBlockHeaderSize, huedata::HuesPerBlock,
        huedata::HueColorCount, huedata::HueTableStartOffset, huedata::HueTableEndOffset,
        huedata::HueNameOffset, huedata::HueNameSize, huedata::HighestHueId,
        huedata::LowestTableValue, huedata::HighestTableValue);
    AppendFieldNames(page);
    page << '}';
}

void AppendBase64(huedata::TextBuilder& page, std::span<const unsigned char> bytes) {
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

void AppendHueData(huedata::TextBuilder& page, const huedata::HuesInParts& hues) {
    // Each section a reading of the hues: a whole file's are read anew for each, never held.
    page << R"({"ids": ")";
    ValuesInBase64 ids(page, 0);
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t) {
        for (const huedata::HueView& hue : part)
            ids.Put(std::array{static_cast<std::uint16_t>(hue.id)});
    });
    const std::uint64_t idsMark = ids.End();
    page << "\",\n\"values\": \"";
    ValuesInBase64 values(page, idsMark);
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t) {
        for (const huedata::HueView& hue : part) {
            std::array<std::uint16_t, 34> hueValues{};
            hueValues[0] = static_cast<std::uint16_t>(hue.record->TableStart);
            hueValues[1] = static_cast<std::uint16_t>(hue.record->TableEnd);
            std::copy(hue.record->Colors.begin(), hue.record->Colors.end(), hueValues.begin() + 2);
            values.Put(hueValues);
        }
    });
    std::uint64_t key = values.End();
    page << "\",\n\"names\": [";
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t before) {
        for (std::size_t i = 0; i < part.size(); ++i) {
            char* out = page.Reserve(18 * 60 + 3);
            if (before + i != 0) *out++ = ',';
            page.Commit(hueformats::WriteScriptString(out, part[i].name));
            key = BytesMark(part[i].record->Name, key);
        }
    });
    // The bytes of the names that their text, as shown, would not give back (a control
    // character, a byte Windows-1252 leaves undefined, bytes after the first zero), so that an
    // edit of another field keeps them.
    page << "],\n\"nameBytes\": {";
    bool first = true;
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t before) {
        for (std::size_t i = 0; i < part.size(); ++i) {
            const auto& name = part[i].record->Name;
            const auto end = std::find(name.begin(), name.end(), 0);
            const bool control = std::any_of(
                name.begin(), end, [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; });
            if (!control && huedata::HueNameRoundTrips(name)) continue;
            char* out = page.Reserve(16 + 2 * name.size());
            out = fmt::format_to(out, R"({}"{}":")", first ? "" : ",", before + i);
            for (const unsigned char byte : name)
                out = std::copy_n(huedata::HexOfByte[byte].data(), 2, out);
            *out++ = '"';
            page.Commit(out);
            first = false;
        }
    });
    // Changes a person makes on the page are kept in the browser under this mark of the hues
    // it was made from (ids, values, then names), so that they come back for these hues and
    // for no others.
    page << "},\n\"key\": \"" << fmt::format("{:016x}", key) << "\"}";
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

void FillPlaces(std::string_view text, huedata::TextBuilder& page,
                const std::function<void(std::string_view)>& fill) {
    for (auto open = text.find("{{"); open != std::string_view::npos; open = text.find("{{")) {
        const auto close = text.find("}}", open);
        page << text.substr(0, open);
        fill(text.substr(open + 2, close - open - 2));
        text.remove_prefix(close + 2);
    }
    page << text;
}

}  // namespace page
