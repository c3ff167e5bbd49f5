#include "page/html_export.h"

#include "huecolour/oklab.h"
#include "huecolour/shifted_ramp.h"
#include "huedata/hue_text.h"

#include "huedata/text_builder.h"

#include "page/page_files.h"
#include "page/page_parts.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace page {

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
void AppendRow(huedata::TextBuilder& page, const huedata::HueView& hue) {
    page << "<tr id=\"hue-" << hue.id << "\"><td>" << hue.id << "<td>";
    // A name is 20 characters of at most 3 bytes each; the cut only guards the buffer.
    constexpr std::size_t MostNameBytes = 60;
    std::array<char, 3 * MostNameBytes> printable;
    const std::string_view name(
        printable.data(),
        huedata::WritePrintableText(printable.data(),
                                    std::string_view(hue.name).substr(0, MostNameBytes)));
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

}  // namespace

void HtmlPage(const huedata::HuesInParts& hues, std::string_view title, const SamplePicture* sample,
              huedata::TextBuilder& page, const ServedPage* served, std::string_view findings) {
    FillPlaces(web::PageHtml, page, [&](std::string_view place) {
        if (place == "title") page << HtmlEscapedText(huedata::PrintableText(title));
        if (place == "policy") page << PageSecurityPolicy(served != nullptr);
        if (place == "count") page << hues.size();
        if (place == "style") AppendEmbedded(page, web::PageCss);
        if (place == "rows") {
            // A served page saves through its script: without one it would be a slower copy
            // of the exported page, so it leaves the plain table out.
            if (served != nullptr) {
                page << "<tr><td>The editor needs scripts: allow them for this page.\n";
            } else {
                hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t) {
                    for (const huedata::HueView& hue : part) AppendRow(page, hue);
                });
            }
        }
        // The page's data, one JSON object that the script reads (page/web/data.js).
        if (place == "data") {
            page << "{\"program\": ";
            AppendProgramData(page);
            // The ramp from one colour starts where `hues set --ramp` does.
            const huecolour::RampChoice ramp;
            page << fmt::format(",\n\"ramp\": {{\"shift\": {}, \"dark\": {}, \"light\": {}}}",
                                ramp.shift, ramp.dark, ramp.light);
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
            if (!findings.empty()) page << ",\n\"findings\": " << InertJson(findings);
            page << ",\n\"merge\": "
                 << (served && !served->conflicts.empty() ? InertJson(served->conflicts) : "null");
            page << ",\n\"served\": ";
            page << (served
                         ? R"({"stamp": ")" + served->stamp + R"(", "place": ")" + served->place +
                               R"(", "history": )" + (served->history ? "true" : "false") + "}"
                         : std::string("null"));
            page << "}\n";
        }
        if (place == "script") AppendEmbedded(page, web::PageJs);
    });
}

void NoFilePage(std::string_view path, std::string_view reason, bool pathGiven,
                huedata::TextBuilder& page) {
    FillPlaces(web::OpenHtml, page, [&](std::string_view place) {
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
    return fmt::format("{:016x}", BytesMark(bytes, bytes.size()));
}

}  // namespace page
