#include "text_format.h"

#include "text_builder.h"

#include "huedata/hue_text.h"

#include <algorithm>

namespace hues {

namespace {

using huedata::ConvertColor;

void ColourCell(TextBuilder& text, huedata::Rgb24 c, std::string_view cell) {
    text << "\x1b[48;2;" << c.red << ';' << c.green << ';' << c.blue << 'm' << cell;
}

void ColourStrip(TextBuilder& text, const huedata::HueRecord& hue) {
    for (const huedata::Color15 stored : hue.Colors) ColourCell(text, ConvertColor(stored), "  ");
    text << "\x1b[0m";
}

// The name padded to `width` characters, counting UTF-8 sequences rather than bytes.
void PaddedName(TextBuilder& text, const std::string& name, std::size_t width) {
    const std::string printable = PrintableText(name);
    std::size_t characters = 0;
    for (const char c : printable) characters += (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
    text << printable;
    for (; characters < width; ++characters) text << ' ';
}

}  // namespace

void ShowText(std::span<const HueView> hues, TextStyle style, TextBuilder& text) {
    for (const HueView& hue : hues) {
        if (&hue != hues.data()) text << '\n';
        text << "Hue " << hue.id << "\nHues Name : " << PrintableText(hue.name)
             << "\nTable Start (in hex) : " << huedata::HexText(hue.record.TableStart)
             << "\nTable End (in hex) : " << huedata::HexText(hue.record.TableEnd) << '\n';
        if (style.colourStrip) {
            ColourStrip(text, hue.record);
            text << '\n';
        }
        // " 5  0x7C00  #FF0000" a line; room for all 32 at once.
        char* out = text.Reserve(hue.record.Colors.size() * 22);
        for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
            const auto stored = hue.record.Colors[i];
            *out++ = i < 10 ? ' ' : static_cast<char>('0' + i / 10);
            *out++ = static_cast<char>('0' + i % 10);
            out = huedata::WriteColor15Text(std::copy_n("  ", 2, out), stored);
            out = huedata::WriteStoredAsRgbText(std::copy_n("  ", 2, out), stored);
            *out++ = '\n';
        }
        text.Commit(out);
    }
}

void ListText(std::span<const HueView> hues, TextStyle style, TextBuilder& text) {
    for (const HueView& hue : hues) {
        text.Format(FMT_COMPILE("{:>5}  "), hue.id);
        PaddedName(text, hue.name, 20);
        text.Format(FMT_COMPILE("  {:>4}  {:>4}"), huedata::HexText(hue.record.TableStart),
                    huedata::HexText(hue.record.TableEnd));
        if (style.colourStrip) {
            text << "  ";
            ColourStrip(text, hue.record);
        }
        text << '\n';
    }
}

void NearestText(std::span<const NearMatch> matches, TextStyle style, TextBuilder& text) {
    for (const NearMatch& match : matches) {
        text.Format(FMT_COMPILE("{:>5}  "), match.hue.id);
        PaddedName(text, match.hue.name, 20);
        text.Format(FMT_COMPILE("  colour {:>2}  "), match.index);
        text << match.color;
        text.Format(FMT_COMPILE("  {:.6f}"), match.distance);
        if (style.colourStrip) {
            text << "  ";
            ColourCell(text, match.color, "    ");
            text << "\x1b[0m";
        }
        text << '\n';
    }
}

}  // namespace hues
