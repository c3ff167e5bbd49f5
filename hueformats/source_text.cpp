#include "hueformats/source_text.h"

#include "huedata/file_error.h"

#include "huedata/hue_text.h"

#include <optional>

namespace hueformats {

namespace {

// UTF-16 of either byte order as UTF-8; nothing where it is broken (an odd byte, a surrogate
// that is not one of a pair).
std::optional<std::string> Utf8OfUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] =
            static_cast<char16_t>(bigEndian ? (first << 8U) | second : (second << 8U) | first);
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (low) return std::nullopt;
        if (!high) continue;
        ++i;  // the low half of the pair
        if (i == text.size() || text[i] < 0xDC00 || text[i] > 0xDFFF) return std::nullopt;
    }
    return huedata::Utf8Text(text);
}

}  // namespace

SourceText DecodeSource(std::string name, std::string_view bytes, SourceEncoding encoding,
                        std::string& warning) {
    const auto refuse = [&](const std::string& why) {
        throw huedata::HuesError(name + ": " + why);
    };
    for (const bool bigEndian : {false, true}) {
        if (!bytes.starts_with(bigEndian ? "\xFE\xFF" : "\xFF\xFE")) continue;
        std::optional<std::string> text = Utf8OfUtf16(bytes.substr(2), bigEndian);
        if (!text)
            refuse(std::string("not valid UTF-16 ") + (bigEndian ? "BE" : "LE") +
                   ", as its byte-order mark says");
        return {std::move(name), std::move(*text)};
    }
    // A spreadsheet that read a marked UTF-8 file as Windows-1252 and saved it as UTF-8 leaves
    // the mark as "ï»¿" (in the first cell, quoted or not) and every other character spelled
    // twice: spelled back, it is whole.
    std::string respelled;
    const std::size_t quote = bytes.starts_with('"') ? 1 : 0;
    if (bytes.substr(quote).starts_with("\xC3\xAF\xC2\xBB\xC2\xBF") && huedata::IsUtf8(bytes)) {
        respelled = huedata::Windows1252FromUtf8(bytes);
        respelled.erase(quote, 3);
        if (!huedata::IsUtf8(respelled)) {
            refuse(
                "its text was read as Windows-1252 and saved as UTF-8 by another program, "
                "and cannot be read back: open it there again as UTF-8");
        }
        warning += "hues: warning: " + name +
                   " was read as Windows-1252 and saved as UTF-8 by another program (its "
                   "byte-order mark shows it); read as it was before\n";
        return {std::move(name), std::move(respelled)};
    }
    const bool marked = bytes.starts_with("\xEF\xBB\xBF");
    if (marked) bytes.remove_prefix(3);
    if (bytes.find('\0') != std::string_view::npos) {
        refuse("not text: it holds a NUL byte (UTF-16 is read where a byte-order mark says so)");
    }
    const bool utf8 = huedata::IsUtf8(bytes);
    if (marked || (utf8 && encoding != SourceEncoding::Windows1252)) {
        if (!utf8) refuse("not valid UTF-8, as its byte-order mark says");
        return {std::move(name), std::string(bytes)};
    }
    if (encoding == SourceEncoding::Utf8) {
        refuse("not valid UTF-8 (--encoding windows-1252 reads it as Windows-1252)");
    }
    if (encoding == SourceEncoding::Detect) {
        warning += "hues: warning: " + name +
                   " is not UTF-8; read as Windows-1252 (--encoding says which)\n";
    }
    return {std::move(name), huedata::Utf8FromWindows1252(bytes)};
}

}  // namespace hueformats
