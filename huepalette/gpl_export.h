// Export as a GIMP palette, which GIMP, Krita and Inkscape load: 32 colours a row, one
// row per hue, each colour labelled with its hue, its index and the hue's name.
#pragma once

#include "huedata/hue_view.h"
#include "huedata/text_builder.h"

#include <string_view>

namespace huepalette {

void GimpPalette(const huedata::HuesInParts& hues, std::string_view paletteName,
                 huedata::TextBuilder& out);

}  // namespace huepalette
