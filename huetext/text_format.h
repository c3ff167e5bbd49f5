// The text format: for people at a terminal or reading a redirected file.
#pragma once

#include "huetext/text_builder.h"

#include "huetext/hue_view.h"
#include "huetext/nearest.h"

#include <span>
#include <string>

namespace hues {

// With `colorStrip`, each hue also shows as a strip of 32 cells in 24-bit terminal colour.
struct TextStyle {
    bool colorStrip = false;
};

// The hue's 32 colours as cells of 24-bit terminal colour, two characters wide.
void ColorStrip(TextBuilder& out, const huedata::HueRecord& hue);

// Each hue in full: its name and table values as the window shows them, then each colour
// as its stored value and as #RRGGBB.
void ShowText(std::span<const HueView> hues, TextStyle style, TextBuilder& out);

// One line a hue: identifier, name, table start and end in hex.
void ListText(std::span<const HueView> hues, TextStyle style, TextBuilder& out);

// One line a match: identifier, name, colour index, colour and distance.
void NearestText(std::span<const NearMatch> matches, TextStyle style, TextBuilder& out);

}  // namespace hues
