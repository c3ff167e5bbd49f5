#include "hue_display.h"

#include "huedata/hue_text.h"

#include <charconv>
#include <limits>

namespace viewer {

namespace {

std::u16string Ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

// The identifier a list item names, or nothing when its text is no 16-bit decimal number.
std::optional<huedata::HueId> ParseListItem(std::u16string_view text) {
    std::string ascii;
    for (const char16_t c : text) {
        if (c > 0x7F) return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    return huedata::NumberFromText<huedata::HueId>(ascii);
}

}  // namespace

std::u16string ListItemText(int index) {
    return Ascii(std::to_string(index));
}

std::optional<std::u16string> ReadSelectedItem(
    std::u16string_view item, const std::function<void(std::int32_t position)>& readHue) {
    const std::optional<huedata::HueId> id = ParseListItem(item);
    if (!id) {
        const std::string highest = std::to_string(huedata::HighestHueId);
        return u"The item \"" + std::u16string(item) + u"\" is not a hue identifier from 0 to " +
               std::u16string(highest.begin(), highest.end());
    }
    try {
        readHue(huedata::HuePosition(*id));
    } catch (const huedata::FileError& error) {
        return huedata::Utf16Text(error.reason());
    }
    return std::nullopt;
}

ShownHue ShowHue(const huedata::HueRecord& hue) {
    ShownHue shown{huedata::HueNameText(hue.Name),
                   Ascii(huedata::HexText(hue.TableStart)),
                   Ascii(huedata::HexText(hue.TableEnd)),
                   {}};
    for (std::size_t i = 0; i < shown.swatches.size(); ++i) {
        shown.swatches[i] = {hue.Colors[i], huedata::ConvertColor(hue.Colors[i])};
    }
    return shown;
}

std::u16string SwatchName(int index) {
    return u"Colour " + ListItemText(index);
}

std::u16string SwatchTooltip(int index, const Swatch& swatch) {
    return SwatchName(index) + u": " + Ascii(huedata::Color15Text(swatch.stored)) + u" \u2192 " +
           Ascii(huedata::RgbText(swatch.rgb));
}

std::u16string SwatchSpokenName(int index, const Swatch& swatch) {
    return SwatchName(index) + u", " + Ascii(huedata::RgbText(swatch.rgb));
}

std::array<std::u16string, 2> SwatchCopyTexts(const Swatch& swatch) {
    return {Ascii(huedata::RgbText(swatch.rgb)), Ascii(huedata::Color15Text(swatch.stored))};
}

std::u16string CopyMenuText(std::u16string_view copied) {
    return u"Copy " + std::u16string(copied);
}

std::u16string ReadFailureMessage(std::u16string_view item, std::u16string_view pathText,
                                  std::u16string_view reason) {
    // The reason starts a sentence of its own with a capital letter.
    return u"Could not read hue " + std::u16string(item) + u" from the hue file \"" +
           std::u16string(pathText) + u"\". " + std::u16string(reason) + u".";
}

}  // namespace viewer
