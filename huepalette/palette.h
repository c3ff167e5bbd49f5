// A palette of an art program as hues see it: groups of named 8-bit sRGB colours, whichever
// format it came in. The formats' other colour models are brought to sRGB where a formula
// says exactly how (grey, HSB, CIELAB under D50); CMYK needs a profile and is refused.
#pragma once

#include "huedata/color15.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace huepalette {

enum class PaletteFormat { Ase, Aco, Kpl, JascPal, RiffPal, Gpl, PaintNet, Hex };

// Every palette format hues knows, written down once: how messages name it ("ASE"), the kind
// `export` writes it as ("" where hues only reads it), and whether its groups and names carry
// hues back, so that `apply` takes them.
struct PaletteFormatInfo {
    PaletteFormat format;
    std::string_view name;
    std::string_view exportKind;
    bool carriesHues;
};

std::span<const PaletteFormatInfo> PaletteFormats();

// The format's line of the table.
const PaletteFormatInfo& InfoOf(PaletteFormat format);

// How messages name it: "ASE", "ACO", "KPL", "JASC-PAL", "RIFF PAL", "GIMP", "Paint.NET", "hex".
std::string_view FormatName(PaletteFormat format);

// The format `export KIND` writes ("ase", "aco", "kpl", "pal", "gpl", "hex"), if it is one.
std::optional<PaletteFormat> ExportedFormat(std::string_view kind);

struct PaletteColor {
    std::string name;  // UTF-8; empty where the format has none
    huedata::Rgb24 rgb;
};

// Colours outside any group are in a first group with no name.
struct PaletteGroup {
    std::string name;
    std::vector<PaletteColor> colors;
};

struct Palette {
    PaletteFormat format = PaletteFormat::Hex;
    std::vector<PaletteGroup> groups;
};

std::size_t ColorCount(const Palette& palette);

// ---- Colour models, each channel as the format gives it, to sRGB rounded ----

// A channel from 0 to 1; outside is clipped.
std::uint8_t ChannelFromUnit(double value);
huedata::Rgb24 RgbFromUnits(double red, double green, double blue);
// Hue in degrees, saturation and brightness from 0 to 1.
huedata::Rgb24 RgbFromHsb(double hue, double saturation, double brightness);
// CIELAB under D50 (L* 0 to 100), adapted to sRGB's D65 by Bradford's transform.
huedata::Rgb24 RgbFromLabD50(double lightness, double a, double b);

}  // namespace huepalette
