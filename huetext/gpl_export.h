// Export as a GIMP palette, which GIMP, Krita and Inkscape load: 32 colours a row, one
// row per hue, each colour labelled with its hue, its index and the hue's name.
#pragma once

#include "huetext/text_builder.h"

#include "huetext/hue_view.h"

#include <span>
#include <string>
#include <string_view>

namespace huetext {

void GimpPalette(std::span<const HueView> hues, std::string_view paletteName, TextBuilder& out);

}  // namespace huetext
