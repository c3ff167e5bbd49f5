// A caption drawn whole inside its own rectangle, whatever font the system gives: the face the
// layout was drawn for at the size for the window's density, stepped down a pixel at a time
// while the text is too wide or too tall, then the same with a narrower face, never below the
// smallest size; when nothing fits, the text is elided at that size, and the window shows it
// whole in a tooltip and speaks it whole. Toolkit-free: each window measures with its own.
#pragma once

#include <functional>
#include <span>
#include <string_view>

namespace viewer {

// The size the layout was drawn for, and the smallest a caption may take: at 96 DPI 7 points
// are 9 pixels, the least at which the common interface faces keep an x-height of 5 pixels, and
// with it letters such as a, e and s apart.
inline constexpr int LayoutFontPoints = 8;
inline constexpr int SmallestFontPoints = 7;

// Faces narrower than the usual interface faces, tried in this order after the layout's own.
inline constexpr std::u16string_view NarrowerFaces[] = {u"Arial Narrow", u"Liberation Sans Narrow",
                                                        u"DejaVu Sans Condensed"};

// A font's size as its character height in pixels (not points), at `dpi`, rounded as the
// system rounds it.
int FontPixels(int points, int dpi);

struct TextExtent {
    double width = 0;
    double height = 0;
};

struct FontChoice {
    std::u16string_view face;
    int pixels = 0;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

struct FittedFont {
    FontChoice font;
    bool elided = false;  // even the last choice is too wide: the window elides the text
};

// What the text measures in `font`, as the system draws it.
using MeasureText = std::function<TextExtent(const FontChoice& font)>;

// The first font that fits `room`, trying `layoutFace` then NarrowerFaces, each from the layout
// size down to the smallest at `dpi`. A text that fits in the layout font is never touched.
FittedFont FitText(std::u16string_view layoutFace, int dpi, TextExtent room,
                   const MeasureText& measure);

}  // namespace viewer
