// Hues exported as the palettes of art programs: ASE (Illustrator, Photoshop), ACO
// (Photoshop), KPL (Krita), JASC-PAL (Paint Shop Pro, Aseprite) and hex (Lospec). ASE and KPL
// keep a group per hue, ASE, ACO and KPL a name per colour, so `apply` takes them back.
#pragma once

#include "huetext/hue_view.h"
#include "huetext/text_builder.h"

#include <span>
#include <string_view>

namespace huepalette {

// Whether `kind` is one of "ase", "aco", "kpl", "pal" and "hex".
bool IsPaletteExport(std::string_view kind);

// Writes the palette `kind` of `hues`, named `paletteName` where the format keeps a name; a
// whole file's hues are read a part at a time as they are written, never held whole.
// Throws HuesError for more hues than the format holds (ACO: 65,535 colours).
void PaletteExport(std::string_view kind, const huetext::HuesInParts& hues,
                   std::string_view paletteName, huetext::TextBuilder& out);

}  // namespace huepalette
