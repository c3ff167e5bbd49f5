// What the pages `hues` writes share: text in a script or its data, bytes as base64, the hues
// as the compact block the page's scripts read (page/web/hues.js, loadHues), and a web file's
// {{places}} filled. For the units of page/ alone.
#pragma once

#include "huedata/hue_view.h"
#include "huedata/text_builder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace page {

// A mark of the bytes, from `start`, eight at a time (FNV-1a's prime over words): not a
// safeguard against anyone, only a name for one content that differs from another's.
std::uint64_t BytesMark(std::span<const unsigned char> bytes, std::uint64_t start);

// The same mark of bytes handed over a piece at a time, each piece but the last a whole number
// of words (8 bytes).
class BytesMarker {
public:
    explicit BytesMarker(std::uint64_t start) : hash_(start ^ 0xCBF29CE484222325U) {}
    void Add(std::span<const unsigned char> bytes);
    std::uint64_t mark() const { return hash_; }

private:
    std::uint64_t hash_;
};

// What the pages' scripts take from the program rather than write out again, as one JSON object
// (page/web/hues.js, useProgram): each 8-bit channel's linear value, OKLab's matrices,
// Windows-1252's characters for the bytes 0x80 to 0x9F, a hue file's layout, and the JSON format's
// names of a hue's fields and keys (the one field table's).
void AppendProgramData(huedata::TextBuilder& page);

// Bytes as base64 (the hue block, a data: URL), a slice at a time straight into the page.
void AppendBase64(huedata::TextBuilder& page, std::span<const unsigned char> bytes);

// The hues as one JSON object for the script: ids, then table values and stored colours (34
// values a hue), as little-endian 16-bit values in base64, which the script reads into typed
// arrays; the names as they are shown; the bytes of the names their text would not give
// back; and a mark of them all.
void AppendHueData(huedata::TextBuilder& page, const huedata::HuesInParts& hues);

// JSON text made safe inside a page's data element, which "</script" would end: a "<" can
// only stand in a JSON string, where \u003C means the same.
std::string InertJson(std::string_view json);

// `text` written to `page` with each {{place}} in it handed in turn to `fill`, which writes
// what stands there.
void FillPlaces(std::string_view text, huedata::TextBuilder& page,
                const std::function<void(std::string_view)>& fill);

// An embedded web file written whole: one string, or the pieces of one too long for one.
inline void AppendEmbedded(huedata::TextBuilder& page, std::string_view text) {
    page << text;
}
template <std::size_t Pieces>
void AppendEmbedded(huedata::TextBuilder& page,
                    const std::array<std::string_view, Pieces>& pieces) {
    for (const std::string_view piece : pieces) page << piece;
}

}  // namespace page
