// The text format: for people at a terminal or reading a redirected file.
#pragma once

#include "hue_view.h"
#include "nearest.h"

#include <span>
#include <string>

namespace hues {

// With `colourStrip`, each hue also shows as a strip of 32 cells in 24-bit terminal colour.
struct TextStyle {
    bool colourStrip = false;
};

// Each hue in full: its name and table values as the window shows them, then each colour
// as its stored value and as #RRGGBB.
std::string ShowText(std::span<const HueView> hues, TextStyle style);

// One line a hue: identifier, name, table start and end in hex.
std::string ListText(std::span<const HueView> hues, TextStyle style);

// One line a match: identifier, name, colour index, colour and distance.
std::string NearestText(std::span<const NearMatch> matches, TextStyle style);

}  // namespace hues
