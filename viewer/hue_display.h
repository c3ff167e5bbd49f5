// What the window shows, shared by both front ends: the identifier list, the texts and
// colours of a shown hue, what its swatches say and copy, and the report of a failed read.
// Toolkit-free; every text is UTF-16, as both window systems take it.
#pragma once

#include "huedata/color15.h"
#include "huedata/hue_file.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace viewer {

// "Get It!" lists "0" to "2998".
inline constexpr int ListedHueCount = 2999;
std::u16string ListItemText(int index);

// What a selection does with the item it selected: the hue it names, read by `readHue`
// (given the entry's 1-based file position). Gives the reason when the item names no hue or
// the read fails, for the window's report; nothing when the hue was read and shown.
std::optional<std::u16string> ReadSelectedItem(
    std::u16string_view item, const std::function<void(std::int32_t position)>& readHue);

struct Swatch {
    huedata::Color15 stored;
    huedata::Rgb24 rgb;
};

// Everything one shown hue puts on screen.
struct ShownHue {
    std::u16string name;
    std::u16string tableStart;
    std::u16string tableEnd;
    std::array<Swatch, 32> swatches;
};

ShownHue ShowHue(const huedata::HueRecord& hue);

// The spoken name of swatch `index` before a hue is shown: "Colour 5".
std::u16string SwatchName(int index);
// Once a hue is shown: tooltip "Colour 5: 0x7C00 → #FF0000", spoken name "Colour 5, #FF0000".
std::u16string SwatchTooltip(int index, const Swatch& swatch);
std::u16string SwatchSpokenName(int index, const Swatch& swatch);
// The texts the swatch menu copies, in menu order: "#FF0000", then "0x7C00".
std::array<std::u16string, 2> SwatchCopyTexts(const Swatch& swatch);
// A menu entry for one of them: "Copy #FF0000".
std::u16string CopyMenuText(std::u16string_view copied);

// The browse button's name and tooltip, and its dialog's title and filters.
inline constexpr std::u16string_view BrowseButtonName = u"Choose the hue file\u2026";
inline constexpr std::u16string_view BrowseDialogTitle = u"Choose the hue file";
inline constexpr std::u16string_view HueFilesFilter = u"Hue files (*.mul)";

// The message of a failed read: Could not read hue 9 from the hue file "x.mul". <reason>.
std::u16string ReadFailureMessage(std::u16string_view item, std::u16string_view pathText,
                                  std::u16string_view reason);

}  // namespace viewer
