// Hues to and from the palettes of art programs: how an export names each group and colour so
// that `apply` finds every hue again, a hue's 32 colours taken from any palette (`set --from`),
// and a palette `export` wrote read back as the changes it holds (`apply`, `build`).
#pragma once

#include "huedata/hue_edit.h"
#include "huepalette/palette.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace huepalette {

inline constexpr std::size_t HueColorCount = 32;

// "Hue 12 Grass" (or "Hue 12" for a hue without a name): a group, one hue.
std::string PaletteGroupName(int id, std::string_view name);
// "Hue 12 colour 5 Grass", as the GIMP palette names it.
std::string PaletteColorName(int id, std::size_t index, std::string_view name);

// The colours `set --from PALETTE[#GROUP]` makes a hue from: the group named (by its name, or
// by a hue's id as export names them), or else the whole palette. 2 to 32 colours; 32 are taken
// as they are, fewer are stops of a gradient. Throws HuesError naming the file, how many
// colours it holds and its groups, for more than 32 with no group, or a group not there.
std::vector<huedata::Rgb24> PaletteColorsFor(const std::string& name, const Palette& palette,
                                             const std::optional<std::string>& group);

// Every hue of a palette `export` wrote (ASE, KPL: a group per hue; ACO: colours named by hue
// and index), as a text source gives them (no warning: the caller says it once for all). A colour
// no hue can hold exactly is counted in `inexact` (its first place in `firstInexact`), and with
// `strict` refused. Throws HuesError naming the file and the group or colour that names no hue, or
// a hue without its 32 colours.
huedata::SourceHues PaletteHues(const std::string& name, const Palette& palette, bool strict,
                                int& inexact, std::string& firstInexact);

}  // namespace huepalette
