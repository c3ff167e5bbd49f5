#include "page/html_export.h"

#include "huedata/hue_text.h"
#include "huedata/oklab.h"

#include "huetext/text_builder.h"

#include "page/page_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace hues {

namespace {

// The page, its style and its script are web files of their own (page/web), carried here as
// text. The page holds every hue twice: as a plain table for browsers without scripts, and
// as one compact block from which the script makes only the rows on screen, so a file of
// 32,768 hues stays quick. The script ranks by the same OKLab arithmetic as `hues nearest`,
// with the program's own table of linear channel values, so the two agree.
constexpr int SwatchWidth = 10;

// Text made safe for HTML content and quoted attribute values, written at `out`, which has
// room for 6 * text.size() characters; returns the end.
char* WriteHtmlEscaped(char* out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out = std::copy_n("&amp;", 5, out);
                break;
            case '<':
                out = std::copy_n("&lt;", 4, out);
                break;
            case '>':
                out = std::copy_n("&gt;", 4, out);
                break;
            case '"':
                out = std::copy_n("&quot;", 6, out);
                break;
            case '\'':
                out = std::copy_n("&#39;", 5, out);
                break;
            default:
                *out++ = c;
        }
    }
    return out;
}

}  // namespace

std::string HtmlEscapedText(std::string_view text) {
    std::string escaped(6 * text.size(), '\0');
    escaped.resize(
        static_cast<std::size_t>(WriteHtmlEscaped(escaped.data(), text) - escaped.data()));
    return escaped;
}

namespace {

// ",#RRGGBB 0 10px" to ",#RRGGBB 0 320px": where each colour of a strip ends.
struct StopEnd {
    std::array<char, 8> text;
    std::size_t size;
};
constexpr auto StopEnds = [] {
    std::array<StopEnd, 32> ends{};
    for (std::size_t i = 0; i < ends.size(); ++i) {
        auto& [text, size] = ends[i];
        const auto width = static_cast<unsigned>(i + 1) * SwatchWidth;
        text = {' ', '0', ' '};
        size = 3;
        if (width >= 100) text[size++] = static_cast<char>('0' + width / 100);
        text[size++] = static_cast<char>('0' + width / 10 % 10);
        text[size++] = static_cast<char>('0' + width % 10);
        text[size++] = 'p';
        text[size++] = 'x';
    }
    return ends;
}();

// A row of the plain table: id, name, table start and end, and the strip, one element painted
// by a gradient of 32 hard-edged stops (a cell per colour would be some 100,000 cells).
void AppendRow(TextBuilder& page, const HueView& hue) {
    page << "<tr id=\"hue-" << hue.id << "\"><td>" << hue.id << "<td>";
    // A name is 20 characters of at most 3 bytes each; the cut only guards the buffer.
    constexpr std::size_t MostNameBytes = 60;
    std::array<char, 3 * MostNameBytes> printable;
    const std::string_view name(
        printable.data(),
        WritePrintableText(printable.data(), std::string_view(hue.name).substr(0, MostNameBytes)));
    char* out = page.Reserve(6 * name.size() + 4 + 4 + 4 + 4);
    out = std::copy_n("<td>", 4, WriteHtmlEscaped(out, name));
    out = std::copy_n("<td>", 4, huedata::WriteHexText(out, hue.record->TableStart));
    page.Commit(huedata::WriteHexText(out, hue.record->TableEnd));
    page << "<td><div class=strip style=\"background:linear-gradient(90deg";
    // ",#RRGGBB 0 320px" a colour; each end copied whole, then cut to its size.
    const auto& colors = hue.record->Colors;
    out = page.Reserve(colors.size() * 16 + 8);
    for (std::size_t i = 0; i < colors.size(); ++i) {
        *out++ = ',';
        out = huedata::WriteStoredAsRgbText(out, colors[i]);
        std::memcpy(out, StopEnds[i].text.data(), StopEnds[i].text.size());
        out += StopEnds[i].size;
    }
    page.Commit(out);
    page << ")\"></div>\n";
}

// A name as a string in a script, written at `out`: quotes, backslashes and "<" (which could
// end the script) escaped, control characters shown as U+FFFD. Room: 18 * name.size() + 2.
char* WriteScriptString(char* out, std::string_view name) {
    std::array<char, std::size_t{3} * 60> printable;
    const char* end = WritePrintableText(printable.data(), name.substr(0, 60));
    *out++ = '"';
    for (const char* c = printable.data(); c != end; ++c) {
        if (*c == '"' || *c == '\\') {
            *out++ = '\\';
            *out++ = *c;
        } else if (*c == '<') {
            out = std::copy_n("\\u003C", 6, out);
        } else {
            *out++ = *c;
        }
    }
    *out++ = '"';
    return out;
}

// Bytes as base64 (the hue block, a data: URL), a slice at a time straight into the page.
void AppendBase64(TextBuilder& page, std::span<const unsigned char> bytes) {
    constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t Slice = std::size_t{3} * 1024;
    for (std::size_t start = 0; start < bytes.size(); start += Slice) {
        const auto slice = bytes.subspan(start, std::min(Slice, bytes.size() - start));
        char* out = page.Reserve(Slice / 3 * 4);
        for (std::size_t i = 0; i < slice.size(); i += 3) {
            const auto byte = [&](std::size_t at) -> std::uint32_t {
                return at < slice.size() ? slice[at] : 0U;
            };
            const std::uint32_t group = (byte(i) << 16U) | (byte(i + 1) << 8U) | byte(i + 2);
            out[0] = Digits[(group >> 18U) & 63U];
            out[1] = Digits[(group >> 12U) & 63U];
            out[2] = i + 1 < slice.size() ? Digits[(group >> 6U) & 63U] : '=';
            out[3] = i + 2 < slice.size() ? Digits[group & 63U] : '=';
            out += 4;
        }
        page.Commit(out);
    }
}

void PutLittleEndian16(std::vector<unsigned char>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<unsigned char>(value & 0xFFU));
    bytes.push_back(static_cast<unsigned char>(value >> 8U));
}

// A mark of the bytes, eight at a time (FNV-1a's prime over words).
std::uint64_t Fingerprint(std::span<const unsigned char> bytes, std::uint64_t start) {
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
    std::uint64_t key = Fingerprint(block.values, Fingerprint(block.ids, 0));
    for (const HueView& hue : hues) key = Fingerprint(hue.record->Name, key);
    return fmt::format("{:016x}", key);
}

// The hues for the script: ids, then table values and stored colours (34 values a hue), as
// little-endian 16-bit values in base64, which the script reads into typed arrays; then the
// names as they are shown.
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

// The program's own linear channel values, so the page's OKLab is the program's.
void AppendLinearTable(TextBuilder& page) {
    page << '[';
    for (int channel = 0; channel < 256; ++channel) {
        if (channel != 0) page << ',';
        page << fmt::format("{}", huedata::LinearFromSrgb(static_cast<std::uint8_t>(channel)));
    }
    page << ']';
}

// JSON text made safe inside the page's data element, which "</script" would end: a "<" can
// only stand in a JSON string, where \u003C means the same.
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

// `text` written to `page` with each {{place}} in it handed in turn to `fill`, which writes
// what stands there.
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

}  // namespace

void HtmlPage(std::span<const HueView> hues, std::string_view title, const SamplePicture* sample,
              TextBuilder& page, const ServedPage* served) {
    FillPlaces(page::PageHtml, page, [&](std::string_view place) {
        if (place == "title") page << HtmlEscapedText(PrintableText(title));
        if (place == "policy") page << PageSecurityPolicy(served != nullptr);
        if (place == "count") page << hues.size();
        if (place == "style") page << page::PageCss;
        if (place == "rows") {
            // A served page saves through its script: without one it would be a slower copy
            // of the exported page, so it leaves the plain table out.
            if (served != nullptr)
                page << "<tr><td>The editor needs scripts: allow them for this page.\n";
            for (const HueView& hue : served ? std::span<const HueView>() : hues)
                AppendRow(page, hue);
        }
        // The page's data, one JSON object that the script reads (page/web/data.js).
        if (place == "data") {
            page << "{\"linear\": ";
            AppendLinearTable(page);
            page << ",\n\"sample\": ";
            if (sample != nullptr) {
                page << "\"data:image/png;base64,";
                AppendBase64(page,
                             std::span(reinterpret_cast<const unsigned char*>(sample->png.data()),
                                       sample->png.size()));
                page << '"';
            } else {
                page << "null";
            }
            page << ",\n\"hues\": ";
            AppendHueData(page, hues);
            page << ",\n\"merge\": "
                 << (served && !served->conflicts.empty() ? InertJson(served->conflicts) : "null");
            page << ",\n\"served\": ";
            page << (served ? R"({"stamp": ")" + served->stamp + R"(", "place": ")" +
                                  served->place + "\"}"
                            : std::string("null"));
            page << "}\n";
        }
        if (place == "script") page << page::PageJs;
    });
}

void NoFilePage(std::string_view path, std::string_view reason, bool pathGiven, TextBuilder& page) {
    FillPlaces(page::OpenHtml, page, [&](std::string_view place) {
        if (place == "policy") page << PageSecurityPolicy(true);
        if (place == "path") page << HtmlEscapedText(path);
        if (place == "reason") page << HtmlEscapedText(reason);
        // A file named on the command line is the one to edit: the page waits for it.
        if (place == "kind") page << (pathGiven ? "given" : "asks");
    });
}

std::string_view PageSecurityPolicy(bool served) {
    return served ? "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                    "img-src data:; connect-src 'self'; form-action 'none'"
                  : "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                    "img-src data:";
}

std::string StampOfBytes(std::span<const unsigned char> bytes) {
    return fmt::format("{:016x}", Fingerprint(bytes, bytes.size()));
}

}  // namespace hues
