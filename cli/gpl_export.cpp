#include "gpl_export.h"

#include "text_builder.h"

#include <array>

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

void Channel(TextBuilder& text, std::uint8_t value) {
    text << std::string_view(ChannelTexts[value].data(), 3);
}

}  // namespace

void GimpPalette(std::span<const HueView> hues, std::string_view paletteName, TextBuilder& text) {
    text << "GIMP Palette\nName: " << PrintableText(paletteName) << "\nColumns: 32\n#\n";
    for (const HueView& hue : hues) {
        const std::string name = PrintableText(hue.name);
        for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
            const huedata::Rgb24 c = huedata::ConvertColor(hue.record.Colors[i]);
            Channel(text, c.red);
            text << ' ';
            Channel(text, c.green);
            text << ' ';
            Channel(text, c.blue);
            text << "\tHue " << hue.id << " colour " << i;
            if (!name.empty()) text << ' ' << name;
            text << '\n';
        }
    }
}

}  // namespace hues
