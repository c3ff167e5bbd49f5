#include "page/diff_page.h"

#include "page/html_export.h"
#include "page/page_files.h"
#include "page/page_parts.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace hues {

namespace {

// A field as the page's hooks name it.
std::string FieldName(huedata::HueField field) {
    static constexpr std::array<const char*, 3> names{"name", "start", "end"};
    return field.kind == huedata::HueField::Color ? "colour-" + std::to_string(field.color)
                                                  : names[field.kind];
}

// One side of a changed hue: its name as shown, table values and stored colours (as 16-bit
// values without sign), or null.
void AppendSide(TextBuilder& page, const std::optional<huedata::HueRecord>& hue) {
    if (!hue) {
        page << "null";
        return;
    }
    char* out = page.Reserve(18 * 60 + 16);
    out = std::copy_n(R"({"name":)", 8, out);
    page.Commit(WriteScriptString(out, huedata::HueNameUtf8Text(hue->Name)));
    page << R"(,"start":)" << static_cast<std::uint16_t>(hue->TableStart) << R"(,"end":)"
         << static_cast<std::uint16_t>(hue->TableEnd) << R"(,"colors":[)";
    for (std::size_t i = 0; i < hue->Colors.size(); ++i) {
        if (i != 0) page << ',';
        page << static_cast<std::uint16_t>(hue->Colors[i]);
    }
    page << "]}";
}

std::optional<huedata::HueRecord> HueOf(std::span<const unsigned char> bytes, std::size_t held,
                                        std::size_t id) {
    if (id >= held) return std::nullopt;
    return huedata::HueAt(bytes, id);
}

// What the hues do not say: block headers, the files' sizes and the bytes after their last hue.
std::string Notes(const DiffPageSide& before, const DiffPageSide& after, std::size_t heldBefore,
                  std::size_t heldAfter) {
    std::string notes;
    const auto note = [&](const std::string& text) {
        notes += "<p class=\"note\">" + HtmlEscapedText(text) + "</p>\n";
    };
    const std::size_t blocks =
        (std::min(heldBefore, heldAfter) + huedata::HuesPerBlock - 1) / huedata::HuesPerBlock;
    for (std::size_t block = 0; block < blocks; ++block) {
        const std::uint32_t a = huedata::BlockHeaderAt(before.bytes, block);
        const std::uint32_t b = huedata::BlockHeaderAt(after.bytes, block);
        if (a != b) note(fmt::format("Block {}'s header: 0x{:08X} \u2192 0x{:08X}", block, a, b));
    }
    if (before.bytes.size() != after.bytes.size()) {
        note(fmt::format("Size: {} \u2192 {} bytes ({} \u2192 {} hues)", before.bytes.size(),
                         after.bytes.size(), heldBefore, heldAfter));
    } else if (!std::ranges::equal(before.bytes.subspan(huedata::EndOfEntries(heldBefore)),
                                   after.bytes.subspan(huedata::EndOfEntries(heldAfter)))) {
        note("The bytes after the last hue differ");
    }
    return notes;
}

}  // namespace

void DiffPage(const DiffPageSide& before, const DiffPageSide& after, std::string_view title,
              const SamplePicture* sample, bool served, TextBuilder& page) {
    const std::size_t heldBefore = huedata::HueCountForSize(before.bytes.size());
    const std::size_t heldAfter = huedata::HueCountForSize(after.bytes.size());
    const std::vector<std::size_t> changed =
        huedata::DifferingHues(before.bytes, after.bytes, false);
    FillPlaces(page::DiffHtml, page, [&](std::string_view place) {
        if (place == "title") page << HtmlEscapedText(PrintableText(title));
        if (place == "policy") page << PageSecurityPolicy(served);
        if (place == "style") page << page::DiffCss;
        if (place == "before") page << HtmlEscapedText(PrintableText(before.label));
        if (place == "after") page << HtmlEscapedText(PrintableText(after.label));
        if (place == "count") page << changed.size();
        if (place == "hues") page << (changed.size() == 1 ? "hue" : "hues");
        if (place == "notes") page << Notes(before, after, heldBefore, heldAfter);
        if (place == "script") page << page::DiffJs;
        if (place != "data") return;
        page << R"({"served": )" << (served ? "true" : "false") << ",\n\"sample\": ";
        if (sample != nullptr) {
            page << "\"data:image/png;base64,";
            AppendBase64(page, std::span(reinterpret_cast<const unsigned char*>(sample->png.data()),
                                         sample->png.size()));
            page << '"';
        } else {
            page << "null";
        }
        page << ",\n\"changed\": [";
        for (std::size_t i = 0; i < changed.size(); ++i) {
            const std::size_t id = changed[i];
            const auto a = HueOf(before.bytes, heldBefore, id);
            const auto b = HueOf(after.bytes, heldAfter, id);
            page << (i == 0 ? "\n" : ",\n") << R"({"hue": )" << id << R"(, "fields": [)";
            const std::vector<huedata::HueField> fields = huedata::DifferingFields(a, b);
            for (std::size_t f = 0; f < fields.size(); ++f) {
                page << (f == 0 ? "\"" : ",\"") << FieldName(fields[f]) << '"';
            }
            page << R"(], "before": )";
            AppendSide(page, a);
            page << R"(, "after": )";
            AppendSide(page, b);
            page << '}';
        }
        // The second file itself, from which the page shows the hues both hold alike.
        page << "],\n\"held\": " << std::min(heldBefore, heldAfter) << ",\n\"after\": \"";
        AppendBase64(page, after.bytes.first(static_cast<std::size_t>(
                               huedata::EndOfEntries(std::min(heldBefore, heldAfter)))));
        page << "\"}\n";
    });
}

}  // namespace hues
