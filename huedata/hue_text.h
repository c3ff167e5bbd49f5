// The texts shown for a hue: its name and its table values in hexadecimal.
#pragma once

#include "color15.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace huedata {

// The name bytes before the first zero byte (all 20 when there is none), decoded from the
// system's ANSI code page on Windows and from Windows-1252 everywhere else.
std::u16string HueNameText(const std::array<unsigned char, 20>& name);

// The same name as UTF-8, in one step: for writers of whole files of names.
std::string HueNameUtf8Text(const std::array<unsigned char, 20>& name);

// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD. Never throws but bad_alloc.
std::string Utf8Text(std::u16string_view text);

// UTF-8 text as UTF-16; a byte that starts no well-formed sequence becomes U+FFFD.
std::u16string Utf16Text(std::string_view utf8);

// The value's 16 bits as unsigned hexadecimal: upper case, no prefix, no leading zeros.
// Negative values show their two's complement, so -1 is "FFFF" and 0 is "0".
std::string HexText(std::int16_t value);

// A stored colour value as written in tooltips: "0x" and four upper-case hex digits.
std::string Color15Text(Color15 value);

// A 24-bit colour in the familiar web form, e.g. "#FF0000".
std::string RgbText(Rgb24 color);

// The same two texts written at `out` (6 and 7 characters); return the end. Inline, for
// writers of many colours.
inline char* WriteHexDigits(char* out, std::uint32_t value, int digits) {
    constexpr char Digits[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i, value >>= 4U) out[i] = Digits[value & 0xFU];
    return out + digits;
}
inline char* WriteColor15Text(char* out, Color15 value) {
    out[0] = '0';
    out[1] = 'x';
    return WriteHexDigits(out + 2, static_cast<std::uint16_t>(value), 4);
}
inline char* WriteRgbText(char* out, Rgb24 color) {
    *out = '#';
    return WriteHexDigits(
        out + 1,
        (std::uint32_t{color.red} << 16U) | (std::uint32_t{color.green} << 8U) | color.blue, 6);
}

// The colour a stored value shows, written as "#RRGGBB" at `out` (7 characters) straight from
// its three 5-bit channels; returns the end. For writers of whole files of colours: red and
// green come as one piece from a table of their 1,024 pairs, blue from one of 32.
inline char* WriteStoredAsRgbText(char* out, Color15 value) {
    static constexpr auto HexOfChannel = [] {
        constexpr char Digits[] = "0123456789ABCDEF";
        std::array<std::array<char, 2>, 32> hex{};
        for (unsigned k = 0; k < hex.size(); ++k) {
            const unsigned widened = (255U * k + 15U) / 31U;  // as ConvertColor widens
            hex[k] = {Digits[widened >> 4U], Digits[widened & 0xFU]};
        }
        return hex;
    }();
    static constexpr auto HexOfRedGreen = [] {
        std::array<std::array<char, 4>, 32 * 32> hex{};
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

}  // namespace huedata
