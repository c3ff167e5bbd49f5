#include "html_export.h"

#include "huedata/hue_text.h"
#include "huedata/oklab.h"

#include "text_builder.h"

#include "cli/page_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace hues {

namespace {

// The page, its style and its script are web files of their own (cli/page), carried here as
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

std::string HtmlEscaped(std::string_view text) {
    std::string escaped(6 * text.size(), '\0');
    escaped.resize(
        static_cast<std::size_t>(WriteHtmlEscaped(escaped.data(), text) - escaped.data()));
    return escaped;
}

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

// A name as a string in a script: quotes, backslashes and "<" (which could end the script)
// escaped; names are printable already.
void AppendScriptString(TextBuilder& page, std::string_view text) {
    page << '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            page << '\\' << c;
        else if (c == '<')
            page << "\\u003C";
        else
            page << c;
    }
    page << '"';
}

// Little-endian 16-bit values as base64, which the script reads into a typed array.
std::string Base64Of16(const std::vector<std::uint16_t>& values) {
    std::string bytes;
    bytes.reserve(values.size() * 2);
    for (const std::uint16_t value : values) {
        bytes.push_back(static_cast<char>(value & 0xFFU));
        bytes.push_back(static_cast<char>(value >> 8U));
    }
    return Base64(bytes);
}

// The hues for the script: ids, then table values and stored colours (34 values a hue), then
// the names as they are shown.
void AppendHueData(TextBuilder& page, std::span<const HueView> hues) {
    std::vector<std::uint16_t> ids, values;
    ids.reserve(hues.size());
    values.reserve(hues.size() * 34);
    for (const HueView& hue : hues) {
        ids.push_back(static_cast<std::uint16_t>(hue.id));
        values.push_back(static_cast<std::uint16_t>(hue.record->TableStart));
        values.push_back(static_cast<std::uint16_t>(hue.record->TableEnd));
        for (const huedata::Color15 color : hue.record->Colors) {
            values.push_back(static_cast<std::uint16_t>(color));
        }
    }
    page << "const HUES = {ids: \"" << Base64Of16(ids) << "\",\nvalues: \"" << Base64Of16(values)
         << "\",\nnames: [";
    for (std::size_t i = 0; i < hues.size(); ++i) {
        if (i != 0) page << ',';
        AppendScriptString(page, PrintableText(hues[i].name));
    }
    page << "]};\n";
}

// The program's own linear channel values, so the page's OKLab is the program's.
void AppendLinearTable(TextBuilder& page) {
    page << "const LINEAR = [";
    for (int channel = 0; channel < 256; ++channel) {
        if (channel != 0) page << ',';
        page << fmt::format("{}", huedata::LinearFromSrgb(static_cast<std::uint8_t>(channel)));
    }
    page << "];\n";
}

}  // namespace

void HtmlPage(std::span<const HueView> hues, std::string_view title, const SamplePicture* sample,
              TextBuilder& page) {
    // The page's {{places}} filled in turn.
    std::string_view rest = page::PickerHtml;
    for (auto open = rest.find("{{"); open != std::string_view::npos; open = rest.find("{{")) {
        const auto close = rest.find("}}", open);
        const std::string_view place = rest.substr(open + 2, close - open - 2);
        page << rest.substr(0, open);
        rest.remove_prefix(close + 2);
        if (place == "title") page << HtmlEscaped(PrintableText(title));
        if (place == "count") page << hues.size();
        if (place == "style") page << page::PickerCss;
        if (place == "rows") {
            for (const HueView& hue : hues) AppendRow(page, hue);
        }
        if (place == "data") {
            AppendLinearTable(page);
            page << "const SAMPLE = ";
            if (sample != nullptr) {
                page << "\"data:image/png;base64," << Base64(sample->png) << "\";\n";
            } else {
                page << "null;\n";
            }
            AppendHueData(page, hues);
        }
        if (place == "script") page << page::PickerJs;
    }
    page << rest;
}

}  // namespace hues
