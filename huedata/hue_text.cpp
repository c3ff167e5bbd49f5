#include "hue_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "file_error.h"
#include "hue_file.h"
#include "system_files.h"

namespace huedata {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five it leaves undefined map to the same code point,
// as Windows itself does. Every other byte is its own code point.
constexpr std::array<char16_t, 32> Windows1252High = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

}  // namespace

bool DefinedInWindows1252(unsigned char byte) {
    return byte < 0x80 || byte > 0x9F || Windows1252High[byte - 0x80U] != byte;
}

namespace {

// The Windows-1252 byte of a character, or 0 where it has none. Of the C1 controls only the
// five that stand for the bytes it leaves undefined have one, so that a name's text as listed
// reads back to its bytes.
unsigned char Windows1252Byte(char16_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<unsigned char>(code);
    if (code < 0xA0) {
        const auto byte = static_cast<unsigned char>(code);
        return DefinedInWindows1252(byte) ? 0 : byte;
    }
    const auto* found = std::find(Windows1252High.begin(), Windows1252High.end(), code);
    if (found == Windows1252High.end()) return 0;
    return static_cast<unsigned char>(0x80 + (found - Windows1252High.begin()));
}

constexpr char16_t FromWindows1252(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return Windows1252High[byte - 0x80U];
    return char16_t{byte};
}

// Each byte's character in UTF-8: up to three bytes, then the count.
constexpr auto Utf8OfWindows1252 = [] {
    std::array<std::array<char, 4>, 256> table{};
    for (unsigned byte = 0; byte < table.size(); ++byte) {
        const unsigned code = FromWindows1252(static_cast<unsigned char>(byte));
        auto& entry = table[byte];
        if (code < 0x80) {
            entry = {static_cast<char>(code), 0, 0, 1};
        } else if (code < 0x800) {
            entry = {static_cast<char>(0xC0U | (code >> 6U)),
                     static_cast<char>(0x80U | (code & 0x3FU)), 0, 2};
        } else {
            entry = {static_cast<char>(0xE0U | (code >> 12U)),
                     static_cast<char>(0x80U | ((code >> 6U) & 0x3FU)),
                     static_cast<char>(0x80U | (code & 0x3FU)), 3};
        }
    }
    return table;
}();

}  // namespace

std::u16string HueNameText(const std::array<unsigned char, 20>& name) {
    const auto end = std::find(name.begin(), name.end(), static_cast<unsigned char>(0));
    const auto length = static_cast<std::size_t>(end - name.begin());
    if (system::NamesInAnsiCodePage()) {
        return system::AnsiCodePageText(std::span(name.data(), length));
    }
    std::u16string text(length, u'\0');
    std::transform(name.begin(), end, text.begin(), FromWindows1252);
    return text;
}

std::string HueNameUtf8Text(const std::array<unsigned char, 20>& name) {
    const auto end = std::find(name.begin(), name.end(), static_cast<unsigned char>(0));
    // Most names are plain ASCII, which is already UTF-8.
    if (std::all_of(name.begin(), end, [](unsigned char byte) { return byte < 0x80; })) {
        return std::string(reinterpret_cast<const char*>(name.data()),
                           static_cast<std::size_t>(end - name.begin()));
    }
    // Built on the stack, so that a short name costs no allocation at all.
    std::array<char, std::size_t{20} * 3> utf8{};
    std::size_t size = 0;
    for (const unsigned char byte : std::span(name.begin(), end)) {
        const auto& character = Utf8OfWindows1252[byte];
        std::copy_n(character.begin(), 3, utf8.begin() + static_cast<std::ptrdiff_t>(size));
        size += static_cast<unsigned char>(character[3]);
    }
    return std::string(utf8.data(), size);
}

std::array<unsigned char, 20> HueNameBytes(std::string_view utf8) {
    const std::u16string text = Utf16Text(utf8);
    if (Utf8Text(text) != utf8) throw std::invalid_argument("it is not valid UTF-8");
    std::array<unsigned char, 20> bytes{};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t code = text[i];
        if (code == 0) throw std::invalid_argument("it holds a NUL character, which ends a name");
        const unsigned char byte = Windows1252Byte(code);
        if (byte == 0) {
            const bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size();
            const char32_t scalar =
                pair ? 0x10000 + ((code - 0xD800U) << 10U) + (text[i + 1] - 0xDC00U) : code;
            std::string hex;
            for (char32_t rest = scalar; rest != 0 || hex.size() < 4; rest >>= 4U) {
                hex.insert(hex.begin(), "0123456789ABCDEF"[rest & 0xFU]);
            }
            throw std::invalid_argument("U+" + hex + " has no byte in Windows-1252");
        }
        if (i >= bytes.size()) {
            throw std::invalid_argument("it is " + std::to_string(text.size()) +
                                        " bytes long in Windows-1252; a name holds at most 20");
        }
        bytes[i] = byte;
    }
    return bytes;
}

bool HueNameRoundTrips(const std::array<unsigned char, 20>& name) {
    const auto end = std::find(name.begin(), name.end(), static_cast<unsigned char>(0));
    return std::all_of(name.begin(), end, DefinedInWindows1252) &&
           std::all_of(end, name.end(), [](unsigned char byte) { return byte == 0; });
}

std::string Utf8Text(std::u16string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        const bool high = code >= 0xD800 && code <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10U) + (text[++i] - 0xDC00U);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            utf8.push_back(static_cast<char>(code));
            continue;
        }
        const int tail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        constexpr unsigned char Lead[] = {0, 0xC0, 0xE0, 0xF0};
        utf8.push_back(
            static_cast<char>(Lead[tail] | (code >> (6U * static_cast<unsigned>(tail)))));
        for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6) {
            utf8.push_back(
                static_cast<char>(0x80U | ((code >> static_cast<unsigned>(shift)) & 0x3FU)));
        }
    }
    return utf8;
}

namespace {

// The code point of the well-formed UTF-8 sequence at `i`, and its length in bytes; nothing
// where the bytes there are not one (a stray or missing continuation byte, an overlong form, a
// surrogate, past U+10FFFF).
std::optional<std::pair<char32_t, std::size_t>> Utf8SequenceAt(std::string_view utf8,
                                                               std::size_t i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int tail = lead < 0x80                   ? 0
                     : lead >= 0xC2 && lead < 0xE0 ? 1
                     : lead >= 0xE0 && lead < 0xF0 ? 2
                     : lead >= 0xF0 && lead < 0xF5 ? 3
                                                   : -1;
    if (tail < 0 || i + static_cast<std::size_t>(tail) >= utf8.size()) return std::nullopt;
    char32_t code = tail == 0 ? lead : lead & (0x3FU >> static_cast<unsigned>(tail));
    for (int k = 1; k <= tail; ++k) {
        const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0U) != 0x80U) return std::nullopt;
        code = (code << 6U) | (next & 0x3FU);
    }
    constexpr char32_t Smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < Smallest[tail] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{code, static_cast<std::size_t>(tail) + 1};
}

}  // namespace

// Written into room for as many units as bytes, which no text needs more of (four bytes make
// two units at most), with ASCII taken a byte at a time: an export of a whole file to ASE names
// a hundred thousand groups and colours this way.
std::u16string Utf16Text(std::string_view utf8) {
    std::u16string text(utf8.size(), u'\0');
    std::size_t out = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            text[out++] = byte;
            ++i;
            continue;
        }
        const auto sequence = Utf8SequenceAt(utf8, i);
        if (!sequence) {
            text[out++] = u'\uFFFD';
            ++i;
            continue;
        }
        const auto [code, length] = *sequence;
        i += length;
        if (code >= 0x10000) {
            text[out++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10U));
            text[out++] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FFU));
        } else {
            text[out++] = static_cast<char16_t>(code);
        }
    }
    text.resize(out);
    return text;
}

// In place: whole files are checked, and a copy of theirs in UTF-16 and back cost a listing's
// build a seventh of its time.
bool IsUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto sequence = Utf8SequenceAt(bytes, i);
        if (!sequence) return false;
        i += sequence->second;
    }
    return true;
}

std::string Utf8FromWindows1252(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) {
        const auto& character = Utf8OfWindows1252[static_cast<unsigned char>(c)];
        utf8.append(character.data(), static_cast<unsigned char>(character[3]));
    }
    return utf8;
}

std::string Windows1252FromUtf8(std::string_view utf8) {
    const std::u16string text = Utf16Text(utf8);
    std::string bytes(text.size(), '?');
    for (std::size_t i = 0; i < text.size(); ++i) {
        // LibreOffice reads a byte Windows-1252 leaves undefined as U+F100 and that byte.
        const bool privateUse =
            text[i] >= 0xF180 && text[i] <= 0xF19F && !DefinedInWindows1252(text[i] & 0xFFU);
        if (privateUse) {
            bytes[i] = static_cast<char>(text[i] & 0xFFU);
        } else if (const unsigned char byte = Windows1252Byte(text[i]); byte != 0 || text[i] == 0) {
            bytes[i] = static_cast<char>(byte);
        }
    }
    return bytes;
}

std::string HexText(std::int16_t value) {
    std::array<char, 4> text{};
    return {text.data(), WriteHexText(text.data(), value)};
}

std::string Color15Text(Color15 value) {
    std::string text(6, '\0');
    WriteColor15Text(text.data(), value);
    return text;
}

std::string RgbText(Rgb24 color) {
    std::string text(7, '\0');
    WriteRgbText(text.data(), color);
    return text;
}

std::string PrintableText(std::string_view utf8) {
    std::string text(3 * utf8.size(), '\0');
    text.resize(static_cast<std::size_t>(WritePrintableText(text.data(), utf8) - text.data()));
    return text;
}

char* WritePrintableText(char* out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        // C1 controls arrive as C2 80..C2 9F.
        const bool c1 =
            byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            out = std::copy_n("\xEF\xBF\xBD", 3, out);
            if (c1) ++i;
        } else {
            *out++ = utf8[i];
        }
    }
    return out;
}

Rgb24 ParseColor(std::string_view text) {
    std::string_view digits = text;
    if (digits.starts_with('#')) digits.remove_prefix(1);
    // Six digits read whole: an unsigned reading takes no sign, space or prefix.
    const std::optional<std::uint32_t> rgb = NumberFromText<std::uint32_t>(digits, 16);
    if (digits.size() != 6 || !rgb) {
        throw HuesError("'" + std::string(text) + "' is not a colour: give #RRGGBB or RRGGBB");
    }
    return {static_cast<std::uint8_t>(*rgb >> 16U), static_cast<std::uint8_t>((*rgb >> 8U) & 0xFFU),
            static_cast<std::uint8_t>(*rgb & 0xFFU)};
}

namespace {  // ids

// Plain decimal digits only: no sign, no spaces, nothing after.
std::optional<int> ParseId(std::string_view text) {
    const auto value = NumberFromText<int>(text);
    if (text.starts_with('-') || !value || *value > HighestHueId) return std::nullopt;
    return value;
}

[[noreturn]] void ThrowBadId(const std::string& argument, const std::string& why) {
    throw HuesError("'" + argument + "' " + why);
}

}  // namespace

std::vector<int> ParseIds(std::span<const std::string> arguments) {
    std::vector<int> ids;
    for (const std::string& argument : arguments) {
        const auto dash = argument.find('-', 1);
        const std::string_view text = argument;
        const auto first = ParseId(text.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseId(text.substr(dash + 1));
        if (!first || !last) {
            ThrowBadId(argument, "is not a hue identifier: give N or A-B, each from 0 to " +
                                     std::to_string(HighestHueId));
        }
        if (*first > *last) ThrowBadId(argument, "is a range that runs backwards");
        for (int id = *first; id <= *last; ++id) ids.push_back(id);
    }
    return ids;
}

}  // namespace huedata
