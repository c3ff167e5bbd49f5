// Hues exported as the palettes of art programs: ASE (Illustrator, Photoshop), ACO
// (Photoshop), KPL (Krita), JASC-PAL (Paint Shop Pro, Aseprite), GIMP's and hex (Lospec). ASE and
// KPL keep a group per hue, ASE, ACO and KPL a name per colour, so `apply` takes them back.
#pragma once

#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "huepalette/palette.h"

#include <span>
#include <string_view>

namespace huepalette {

// Writes `hues` as a palette of `format`, one `export` writes (ExportedFormat), named
// `paletteName` where the format keeps a name; a whole file's hues are read a part at a time as
// they are written, never held whole. Throws HuesError for more hues than the format holds
// (ACO: 65,535 colours).
void PaletteExport(PaletteFormat format, const huedata::HuesInParts& hues,
                   std::string_view paletteName, huedata::TextBuilder& out);

}  // namespace huepalette
