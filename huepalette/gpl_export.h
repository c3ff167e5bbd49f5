// Export as a GIMP palette, which GIMP, Krita and Inkscape load: 32 colours a row, one
// row per hue, each colour labelled with its hue, its index and the hue's name.
#pragma once

#include "huetext/hue_view.h"
#include "huetext/text_builder.h"

#include <string_view>

namespace huepalette {

void GimpPalette(const huetext::HuesInParts& hues, std::string_view paletteName,
                 huetext::TextBuilder& out);

}  // namespace huepalette
