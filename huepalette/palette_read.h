// Palettes of art programs read, told apart by their bytes, never by their name: ASE, ACO,
// KPL (Krita's zip), JASC-PAL and RIFF PAL (both ".pal"), GIMP's GPL, Paint.NET's TXT and hex.
// Every count and length is checked against the bytes before anything is taken from them.
#pragma once

#include "huepalette/palette.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace huepalette {

// No palette a person makes comes near this; a larger file is refused before it is read.
inline constexpr std::uint64_t MostPaletteBytes = std::uint64_t{256} << 20U;

// Twice the colours of an export of every hue a file may hold; a palette giving more is refused
// before its colours are taken.
inline constexpr std::size_t MostPaletteColors = std::size_t{1} << 21U;

// The format the bytes show, or nothing for bytes that are no palette.
std::optional<PaletteFormat> DetectPalette(std::span<const unsigned char> bytes);

// The palette in `bytes`. Throws huedata::FileError "NAME: FORMAT: what is wrong" for bytes that
// are no palette, end early, give a count or length they do not hold, or a colour in a model that
// cannot be brought to sRGB without a profile (CMYK).
Palette ReadPalette(const std::string& name, std::span<const unsigned char> bytes);

}  // namespace huepalette
