#include "page/diff_page.h"

#include "hueformats/diff_format.h"
#include "hueformats/field_text.h"
#include "page/html_export.h"
#include "page/page_files.h"
#include "page/page_parts.h"

#include "huedata/hue_fields.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace page {

namespace {

// What the hues do not say: the changes of the file apart from its hues, as `diff` gives them.
std::string Notes(const huedata::FileDifference& difference) {
    std::string notes;
    for (std::string line : hueformats::FileChangeLines(difference)) {
        line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
        notes += "<p class=\"note\">" + HtmlEscapedText(line) + "</p>\n";
    }
    return notes;
}

}  // namespace

void DiffPage(const DiffPageSide& before, const DiffPageSide& after, std::string_view title,
              const SamplePicture* sample, bool served, huedata::TextBuilder& page) {
    const huedata::FileDifference difference = huedata::CompareHueFiles(before.bytes, after.bytes);
    const std::size_t changed = difference.hues.size();
    FillPlaces(web::DiffHtml, page, [&](std::string_view place) {
        if (place == "title") page << HtmlEscapedText(huedata::PrintableText(title));
        if (place == "policy") page << PageSecurityPolicy(served);
        if (place == "style") AppendEmbedded(page, web::DiffCss);
        if (place == "before") page << HtmlEscapedText(huedata::PrintableText(before.label));
        if (place == "after") page << HtmlEscapedText(huedata::PrintableText(after.label));
        if (place == "count") page << changed;
        if (place == "hues") page << (changed == 1 ? "hue" : "hues");
        if (place == "notes") page << Notes(difference);
        if (place == "script") AppendEmbedded(page, web::DiffJs);
        if (place != "data") return;
        page << R"({"program": )";
        AppendProgramData(page);
        page << R"(, "served": )" << (served ? "true" : "false") << ",\n\"sample\": ";
        if (sample != nullptr) {
            page << "\"data:image/png;base64,";
            AppendBase64(page, std::span(reinterpret_cast<const unsigned char*>(sample->png.data()),
                                         sample->png.size()));
            page << '"';
        } else {
            page << "null";
        }
        page << ",\n\"changed\": ";
        hueformats::ChangedHuesJson(difference, page);
        // The second file itself, from which the page shows the hues both hold alike.
        const std::size_t held = std::min(difference.firstCount, difference.secondCount);
        page << ",\n\"held\": " << held << ",\n\"after\": \"";
        AppendBase64(page,
                     after.bytes.first(static_cast<std::size_t>(huedata::EndOfEntries(held))));
        page << "\"}\n";
    });
}

}  // namespace page
