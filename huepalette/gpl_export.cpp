#include "huepalette/gpl_export.h"

#include "huedata/hue_text.h"
#include "huedata/text_builder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace huepalette {

namespace {

// GIMP writes each channel right-aligned in three columns; so do we. An export of a whole file
// writes some 100,000 lines, so each line's colour comes whole from tables of the 32 texts
// each 5-bit channel can show: "RRR ", "GGG " and "BBB\t".
using ChannelTexts = std::array<std::array<char, 4>, 32>;

constexpr ChannelTexts ChannelTextsEndingIn(char last) {
    ChannelTexts texts{};
    for (unsigned k = 0; k < texts.size(); ++k) {
        const unsigned value = huedata::WidenedChannels[k];
        texts[k] = {value < 100 ? ' ' : static_cast<char>('0' + value / 100),
                    value < 10 ? ' ' : static_cast<char>('0' + value / 10 % 10),
                    static_cast<char>('0' + value % 10), last};
    }
    return texts;
}

constexpr ChannelTexts RedOrGreenTexts = ChannelTextsEndingIn(' ');
constexpr ChannelTexts BlueTexts = ChannelTextsEndingIn('\t');

// The first `size` characters of `piece` written at `out`. A copy of a fixed size is a few
// moves, where one of a varying size is a call; so a short piece is copied as 32 or 64
// characters and the end moved back. `piece` holds at least 64 and `out` has room for 64 more.
char* WritePiece(char* out, const char* piece, std::size_t size) {
    if (size <= 32) {
        std::memcpy(out, piece, 32);
    } else if (size <= 64) {
        std::memcpy(out, piece, 64);
    } else {
        std::memcpy(out, piece, size);
    }
    return out + size;
}

}  // namespace

void GimpPalette(const huedata::HuesInParts& hues, std::string_view paletteName,
                 huedata::TextBuilder& text) {
    text << "GIMP Palette\nName: " << huedata::PrintableText(paletteName) << "\nColumns: 32\n#\n";
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t) {
        for (const huedata::HueView& hue : part) {
            // Each line: "RRR GGG BBB\tHue <id> colour <i>[ <name>]\n". What follows the colour
            // number is the same on all 32 lines, and so is what comes before it.
            // Left uninitialised: bytes past a piece's end are copied but then written over.
            using Piece = std::array<char, 64 + 3 * 20 * 3>;
            Piece before;
            char* beforeEnd = std::copy_n("Hue ", 4, before.data());
            beforeEnd = std::copy_n(
                " colour ", 8,
                huedata::WriteSmallDecimal(beforeEnd, static_cast<std::uint32_t>(hue.id)));
            Piece after;  // " ", the printable name, "\n"
            char* afterEnd = after.data();
            if (!hue.name.empty()) *afterEnd++ = ' ';
            afterEnd = huedata::WritePrintableText(afterEnd, hue.name);
            *afterEnd++ = '\n';
            const auto beforeSize = static_cast<std::size_t>(beforeEnd - before.data());
            const auto afterSize = static_cast<std::size_t>(afterEnd - after.data());

            char* out =
                text.Reserve(hue.record->Colors.size() * (12 + beforeSize + 2 + afterSize) + 64);
            for (std::size_t i = 0; i < hue.record->Colors.size(); ++i) {
                const auto bits = static_cast<std::uint16_t>(hue.record->Colors[i]);
                out = std::copy_n(RedOrGreenTexts[(bits >> 10U) & 0x1FU].data(), 4, out);
                out = std::copy_n(RedOrGreenTexts[(bits >> 5U) & 0x1FU].data(), 4, out);
                out = std::copy_n(BlueTexts[bits & 0x1FU].data(), 4, out);
                out = WritePiece(out, before.data(), beforeSize);
                out = huedata::WriteSmallDecimal(out, static_cast<std::uint32_t>(i));
                out = WritePiece(out, after.data(), afterSize);
            }
            text.Commit(out);
        }
    });
}

}  // namespace huepalette
