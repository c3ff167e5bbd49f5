#include "hueformats/text_format.h"

#include "huedata/text_builder.h"

#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace hueformats {

namespace {

using huedata::ConvertColor;

// `digits` right-aligned in `width` columns.
char* WriteRightAligned(char* out, const char* digits, const char* end, std::size_t width) {
    const auto length = static_cast<std::size_t>(end - digits);
    if (length < width) out = std::fill_n(out, width - length, ' ');
    return std::copy(digits, end, out);
}

char* WriteId(char* out, int id) {
    std::array<char, 8> digits{};
    return WriteRightAligned(
        out, digits.data(),
        huedata::WriteSmallDecimal(digits.data(), static_cast<std::uint32_t>(id)), 5);
}

char* WriteTableValue(char* out, std::int16_t value) {
    std::array<char, 4> digits{};
    return WriteRightAligned(out, digits.data(), huedata::WriteHexText(digits.data(), value), 4);
}

// The printable name padded to `width` characters, counting UTF-8 sequences rather than bytes.
// Room for MostPaddedName(name, width) characters is needed.
char* WritePaddedName(char* out, std::string_view name, std::size_t width) {
    char* const start = out;
    out = huedata::WritePrintableText(out, name);
    const auto characters = static_cast<std::size_t>(std::count_if(
        start, out, [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; }));
    return characters < width ? std::fill_n(out, width - characters, ' ') : out;
}

std::size_t MostPaddedName(std::string_view name, std::size_t width) {
    return 3 * name.size() + width;
}

// " 5  " to "31  ": how each colour's line of a hue in full begins.
constexpr auto LineStarts = [] {
    std::array<std::array<char, 4>, 32> starts{};
    for (unsigned i = 0; i < starts.size(); ++i) {
        starts[i] = {i < 10 ? ' ' : static_cast<char>('0' + i / 10),
                     static_cast<char>('0' + i % 10), ' ', ' '};
    }
    return starts;
}();

}  // namespace

int NearestPaletteColor(huedata::Rgb24 color) {
    constexpr std::array<int, 6> CubeLevels = {0, 95, 135, 175, 215, 255};
    const auto distance = [&](int red, int green, int blue) {
        const int r = red - color.red, g = green - color.green, b = blue - color.blue;
        return r * r + g * g + b * b;
    };
    int best = 16, nearest = distance(0, 0, 0);
    for (int index = 16; index < 256; ++index) {
        int red = 0, green = 0, blue = 0;
        if (index < 232) {
            const int cube = index - 16;
            red = CubeLevels[static_cast<std::size_t>(cube / 36)];
            green = CubeLevels[static_cast<std::size_t>(cube / 6 % 6)];
            blue = CubeLevels[static_cast<std::size_t>(cube % 6)];
        } else {
            red = green = blue = 8 + 10 * (index - 232);
        }
        if (const int d = distance(red, green, blue); d < nearest) {
            nearest = d;
            best = index;
        }
    }
    return best;
}

namespace {

// The escape that paints the background in the colour, as the style draws it.
void Background(huedata::TextBuilder& text, TextStyle style, huedata::Rgb24 c) {
    if (style.colors == TerminalColors::TrueColor) {
        text << "\x1b[48;2;" << c.red << ';' << c.green << ';' << c.blue << 'm';
    } else if (style.colors == TerminalColors::Palette) {
        text << "\x1b[48;5;" << NearestPaletteColor(c) << 'm';
    }
}

void EndColors(huedata::TextBuilder& text, TextStyle style) {
    if (style.colors != TerminalColors::None) text << "\x1b[0m";
}

}  // namespace

void ColorCell(huedata::TextBuilder& text, TextStyle style, huedata::Rgb24 c,
               std::string_view cell) {
    Background(text, style, c);
    text << cell;
    EndColors(text, style);
}

void ColorStrip(huedata::TextBuilder& text, TextStyle style, const huedata::HueRecord& hue) {
    for (const huedata::Color15 stored : hue.Colors) {
        Background(text, style, ConvertColor(stored));
        text << "  ";
    }
    EndColors(text, style);
}

void ShowText(std::span<const huedata::HueView> hues, TextStyle style, huedata::TextBuilder& text) {
    for (const huedata::HueView& hue : hues) {
        if (&hue != hues.data()) text << '\n';
        text << "Hue " << hue.id << "\nHues Name : ";
        text.Commit(huedata::WritePrintableText(text.Reserve(3 * hue.name.size()), hue.name));
        text << "\nTable Start (in hex) : ";
        text.Commit(huedata::WriteHexText(text.Reserve(4), hue.record->TableStart));
        text << "\nTable End (in hex) : ";
        text.Commit(huedata::WriteHexText(text.Reserve(4), hue.record->TableEnd));
        text << '\n';
        if (style.colors != TerminalColors::None) {
            ColorStrip(text, style, *hue.record);
            text << '\n';
        }
        // " 5  0x7C00  #FF0000" a line; room for all 32 at once.
        constexpr std::size_t LineSize = 2 + 2 + 6 + 2 + 7 + 1;
        char* out = text.Reserve(hue.record->Colors.size() * LineSize);
        for (std::size_t i = 0; i < hue.record->Colors.size(); ++i) {
            const auto stored = hue.record->Colors[i];
            out = huedata::WriteColor15Text(std::copy_n(LineStarts[i].data(), 4, out), stored);
            out = huedata::WriteStoredAsRgbText(std::copy_n("  ", 2, out), stored);
            *out++ = '\n';
        }
        text.Commit(out);
    }
}

void ListText(std::span<const huedata::HueView> hues, TextStyle style, huedata::TextBuilder& text) {
    for (const huedata::HueView& hue : hues) {
        // "    5  Name padded to 20        FFFF     0" a line.
        char* out = text.Reserve(5 + 2 + MostPaddedName(hue.name, 20) + 2 + 4 + 2 + 4);
        out = WritePaddedName(std::copy_n("  ", 2, WriteId(out, hue.id)), hue.name, 20);
        out = WriteTableValue(std::copy_n("  ", 2, out), hue.record->TableStart);
        out = WriteTableValue(std::copy_n("  ", 2, out), hue.record->TableEnd);
        text.Commit(out);
        if (style.colors != TerminalColors::None) {
            text << "  ";
            ColorStrip(text, style, *hue.record);
        }
        text << '\n';
    }
}

void NearestText(std::span<const huecolour::NearMatch> matches, TextStyle style,
                 huedata::TextBuilder& text) {
    for (const huecolour::NearMatch& match : matches) {
        char* out = text.Reserve(5 + 2 + MostPaddedName(match.hue.name, 20));
        text.Commit(
            WritePaddedName(std::copy_n("  ", 2, WriteId(out, match.hue.id)), match.hue.name, 20));
        hueformats::AppendFormatted(text, FMT_COMPILE("  colour {:>2}  "), match.index);
        text << match.color;
        hueformats::AppendFormatted(text, FMT_COMPILE("  {:.6f}"), match.distance);
        if (style.colors != TerminalColors::None) {
            text << "  ";
            ColorCell(text, style, match.color, "    ");
        }
        text << '\n';
    }
}

void SimilarText(std::span<const huecolour::SimilarPair> pairs,
                 std::span<const huedata::HueView> hues, huedata::TextBuilder& text) {
    std::unordered_map<int, const huedata::HueView*> byId;
    for (const huedata::HueView& hue : hues) byId.emplace(hue.id, &hue);
    for (const huecolour::SimilarPair& pair : pairs) {
        for (const huedata::HueView* hue : {byId.at(pair.a), byId.at(pair.b)}) {
            char* out = text.Reserve(5 + 2 + MostPaddedName(hue->name, 20) + 2);
            text.Commit(std::copy_n(
                "  ", 2,
                WritePaddedName(std::copy_n("  ", 2, WriteId(out, hue->id)), hue->name, 20)));
        }
        hueformats::AppendFormatted(text, FMT_COMPILE("{:.6f}\n"), pair.largest);
    }
}

}  // namespace hueformats
