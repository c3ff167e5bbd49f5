// The texts shown for a hue (its name, its table values in hexadecimal), and numbers read from
// text, checked once for every reader of them.
#pragma once

#include "color15.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

namespace huedata {

// `text` read whole as a number: an integer in `base` (10 unless given), or a double in plain or
// scientific notation; nothing where any of it is not the number (a sign before an unsigned
// one, spaces, an empty text) or the number does not fit.
template <typename Number>
std::optional<Number> NumberFromText(std::string_view text, int base = 10) {
    Number value{};
    const char* const first = text.data();
    const char* const last = first + text.size();
    const auto [end, error] = [&] {
        if constexpr (std::is_floating_point_v<Number>) {
            return std::from_chars(first, last, value);
        } else {
            return std::from_chars(first, last, value, base);
        }
    }();
    if (text.empty() || error != std::errc() || end != last) return std::nullopt;
    return value;
}

// The name bytes before the first zero byte (all 20 when there is none) as the window shows
// them: decoded from the system's ANSI code page on Windows and from Windows-1252 everywhere
// else.
std::u16string HueNameText(const std::array<unsigned char, 20>& name);

// The same bytes as UTF-8 decoded from Windows-1252 on every system, by our own table, never
// the system's code page: for listings, pages and patches, which must read the same wherever
// they are made (a byte Windows-1252 leaves undefined becomes the C1 control of its number).
std::string HueNameUtf8Text(const std::array<unsigned char, 20>& name);

// A name given as UTF-8 text as the 20 bytes a hue stores: Windows-1252 on every system,
// padded with zero bytes; U+0081, U+008D, U+008F, U+0090 and U+009D, which stand for the bytes
// it leaves undefined, are those bytes. Throws std::invalid_argument saying why when the text
// is not valid UTF-8, holds a character Windows-1252 lacks (or NUL), or takes more than 20
// bytes.
std::array<unsigned char, 20> HueNameBytes(std::string_view utf8);

// Whether the name's text (HueNameUtf8Text) alone says its 20 bytes, so that a listing needs no
// more: not when bytes follow the first zero byte, nor when one has no character of its own in
// Windows-1252 (a control character stands for it, which other programs may drop). The same
// answer on every system.
bool HueNameRoundTrips(const std::array<unsigned char, 20>& name);

// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD. Never throws but bad_alloc.
std::string Utf8Text(std::u16string_view text);

// UTF-8 text as UTF-16; a byte that starts no well-formed sequence becomes U+FFFD.
std::u16string Utf16Text(std::string_view utf8);

// Whether the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

// Whether Windows-1252 gives the byte a character of its own: all but 0x81, 0x8D, 0x8F, 0x90
// and 0x9D, which stand for the C1 controls of the same number.
bool DefinedInWindows1252(unsigned char byte);

// Text in Windows-1252 as UTF-8, on every system (a byte it leaves undefined becomes the C1
// control of the same number).
std::string Utf8FromWindows1252(std::string_view bytes);

// UTF-8 text back in Windows-1252: each character its byte (U+F181 and the like, which some
// programs read the undefined bytes as, those bytes), and one that has none a '?'.
std::string Windows1252FromUtf8(std::string_view utf8);

// The value's 16 bits as unsigned hexadecimal: upper case, no prefix, no leading zeros.
// Negative values show their two's complement, so -1 is "FFFF" and 0 is "0".
std::string HexText(std::int16_t value);

// A stored colour value as written in tooltips: "0x" and four upper-case hex digits.
std::string Color15Text(Color15 value);

// A 24-bit colour in the familiar web form, e.g. "#FF0000".
std::string RgbText(Rgb24 color);

// Each byte's two upper-case hexadecimal digits.
inline constexpr auto HexOfByte = [] {
    constexpr char Digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> hex{};
    for (unsigned byte = 0; byte < hex.size(); ++byte)
        hex[byte] = {Digits[byte >> 4U], Digits[byte & 0xFU]};
    return hex;
}();

// The texts above written at `out`; each returns the end. Inline, for writers of many numbers.
inline char* WriteHexText(char* out, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    const int digits = bits == 0 ? 1 : (std::bit_width(bits) + 3) / 4;
    std::array<char, 4> all{};
    std::memcpy(all.data(), HexOfByte[bits >> 8U].data(), 2);
    std::memcpy(all.data() + 2, HexOfByte[bits & 0xFFU].data(), 2);
    return std::copy_n(all.end() - digits, digits, out);
}
inline char* WriteColor15Text(char* out, Color15 value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out[0] = '0';
    out[1] = 'x';
    std::memcpy(out + 2, HexOfByte[bits >> 8U].data(), 2);
    std::memcpy(out + 4, HexOfByte[bits & 0xFFU].data(), 2);
    return out + 6;
}
inline char* WriteRgbText(char* out, Rgb24 color) {
    out[0] = '#';
    std::memcpy(out + 1, HexOfByte[color.red].data(), 2);
    std::memcpy(out + 3, HexOfByte[color.green].data(), 2);
    std::memcpy(out + 5, HexOfByte[color.blue].data(), 2);
    return out + 7;
}

// The colour a stored value shows, written as "#RRGGBB" at `out` (7 characters) straight from
// its three 5-bit channels; returns the end. For writers of whole files of colours: red and
// green come as one piece from a table of their 1,024 pairs, blue from one of 32.
inline char* WriteStoredAsRgbText(char* out, Color15 value) {
    static constexpr auto HexOfChannel = [] {
        std::array<std::array<char, 2>, 32> hex{};
        for (unsigned k = 0; k < hex.size(); ++k) {
            hex[k] = HexOfByte[WidenedChannels[k]];
        }
        return hex;
    }();
    static constexpr auto HexOfRedGreen = [] {
        std::array<std::array<char, 4>, std::size_t{32} * 32> hex{};
        for (unsigned k = 0; k < hex.size(); ++k) {
            const auto& red = HexOfChannel[k >> 5U];
            const auto& green = HexOfChannel[k & 0x1FU];
            hex[k] = {red[0], red[1], green[0], green[1]};
        }
        return hex;
    }();
    const auto bits = static_cast<std::uint16_t>(value);
    *out = '#';
    std::memcpy(out + 1, HexOfRedGreen[(bits >> 5U) & 0x3FFU].data(), 4);
    std::memcpy(out + 5, HexOfChannel[bits & 0x1FU].data(), 2);
    return out + 7;
}

// The text with each control character replaced by U+FFFD, so that a name can never move
// a terminal's cursor, break a line of a palette file or hide in a web page.
std::string PrintableText(std::string_view utf8);

// The same text written at `out`, which has room for 3 * utf8.size() characters; returns the
// end. For writers of whole files of names.
char* WritePrintableText(char* out, std::string_view utf8);

// "#RRGGBB" or "RRGGBB", hex digits in either case, as RgbText writes it. Throws HuesError
// for anything else.
Rgb24 ParseColor(std::string_view text);

// Hue identifiers as the command line and a check's config give them, N or an inclusive range
// A-B, each expanded in the order given; a range A-B needs A <= B. Throws HuesError naming the
// argument that is not an identifier or range from 0 to HighestHueId.
std::vector<int> ParseIds(std::span<const std::string> arguments);

}  // namespace huedata
