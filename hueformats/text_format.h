// The text format: for people at a terminal or reading a redirected file.
#pragma once

#include "huedata/text_builder.h"

#include "huecolour/colour_search.h"
#include "huedata/hue_view.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <iterator>
#include <span>
#include <string>

namespace hueformats {

// A piece {fmt} formats, for padding and the like; `format` is FMT_COMPILE("...").
template <typename CompiledFormat, typename... Args>
void AppendFormatted(huedata::TextBuilder& out, const CompiledFormat& format, const Args&... args) {
    fmt::basic_memory_buffer<char, 128> piece;
    fmt::format_to(std::back_inserter(piece), format, args...);
    out << std::string_view(piece.data(), piece.size());
}

// How colours are drawn on a terminal: not at all (not one escape byte), in the 256 colours of
// xterm's palette, or in 24-bit colour.
enum class TerminalColors { None, Palette, TrueColor };

// With colours, each hue also shows as a strip of 32 cells in them.
struct TextStyle {
    TerminalColors colors = TerminalColors::None;
};

// Of xterm's 256 colours, the one nearest to `color` in RGB: of its 6 x 6 x 6 cube and its 24
// greys (16 to 255); never the first 16, which each terminal paints as it likes.
int NearestPaletteColor(huedata::Rgb24 color);

// A cell of `text` on the colour, as the style draws it (nothing but the text without colours),
// the colours ended after it.
void ColorCell(huedata::TextBuilder& out, TextStyle style, huedata::Rgb24 color,
               std::string_view text);

// The hue's 32 colours as cells two characters wide.
void ColorStrip(huedata::TextBuilder& out, TextStyle style, const huedata::HueRecord& hue);

// Each hue in full: its name and table values as the window shows them, then each colour
// as its stored value and as #RRGGBB.
void ShowText(std::span<const huedata::HueView> hues, TextStyle style, huedata::TextBuilder& out);

// One line a hue: identifier, name, table start and end in hex.
void ListText(std::span<const huedata::HueView> hues, TextStyle style, huedata::TextBuilder& out);

// One line a match: identifier, name, colour index, colour and distance.
void NearestText(std::span<const huecolour::NearMatch> matches, TextStyle style,
                 huedata::TextBuilder& out);

// One line a pair: each hue's identifier and name (from `hues`, those compared), then the
// largest distance between their colours.
void SimilarText(std::span<const huecolour::SimilarPair> pairs,
                 std::span<const huedata::HueView> hues, huedata::TextBuilder& out);

}  // namespace hueformats
