#include "gpl_export.h"

#include "text_builder.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace hues {

namespace {

// GIMP writes each channel right-aligned in three columns; so do we. From a table, as an
// export of a whole file writes some 300,000 of them.
constexpr auto ChannelTexts = [] {
    std::array<std::array<char, 3>, 256> texts{};
    for (unsigned value = 0; value < texts.size(); ++value) {
        texts[value] = {value < 100 ? ' ' : static_cast<char>('0' + value / 100),
                        value < 10 ? ' ' : static_cast<char>('0' + value / 10 % 10),
                        static_cast<char>('0' + value % 10)};
    }
    return texts;
}();

char* Channel(char* out, std::uint8_t value) {
    return std::copy_n(ChannelTexts[value].data(), 3, out);
}

}  // namespace

void GimpPalette(std::span<const HueView> hues, std::string_view paletteName, TextBuilder& text) {
    text << "GIMP Palette\nName: " << PrintableText(paletteName) << "\nColumns: 32\n#\n";
    for (const HueView& hue : hues) {
        const std::string name = PrintableText(hue.name);
        // Each line: "RRR GGG BBB\tHue <id> colour <i>[ <name>]\n"; room for all 32 at once.
        char* out = text.Reserve(32 * (11 + 5 + 11 + 8 + 2 + 1 + name.size() + 1));
        for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
            const huedata::Rgb24 c = huedata::ConvertColor(hue.record.Colors[i]);
            out = Channel(out, c.red);
            *out++ = ' ';
            out = Channel(out, c.green);
            *out++ = ' ';
            out = Channel(out, c.blue);
            out = std::copy_n("\tHue ", 5, out);
            out = std::to_chars(out, out + 11, hue.id).ptr;
            out = std::copy_n(" colour ", 8, out);
            out = std::to_chars(out, out + 2, i).ptr;
            if (!name.empty()) {
                *out++ = ' ';
                out = std::copy(name.begin(), name.end(), out);
            }
            *out++ = '\n';
        }
        text.Commit(out);
    }
}

}  // namespace hues
