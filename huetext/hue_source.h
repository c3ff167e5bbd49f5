// Hues as text, read back: the JSON of `hues list --format json` (an array of hue objects,
// or one) and the CSV of `hues list --format csv`, as changes to lay over a hue file.
#pragma once

#include "huedata/hue_edit.h"

#include <span>
#include <string>
#include <vector>

namespace hues {

// One source's text and the name its messages give it (a file's path, "standard input").
struct SourceText {
    std::string name;
    std::string text;
};

struct SourceHues {
    // Only the fields each source object names; every hue once.
    std::vector<huedata::HueChange> changes;
    // One line for standard error, "hues: warning: ..." and a line break, or empty.
    std::string warning;
};

// Reads and checks every source, in order. A colour that differs from its stored value is what
// a person edited and wins, taken to the nearest colour a hue can hold; one that is not exactly
// such a colour gives the warning, or with `strict` the error. Throws HuesError naming the
// source, the line (and column), the hue and the field of the first fault.
SourceHues ReadHueSources(std::span<const SourceText> sources, bool strict);

// Each colour of `stops`, at evenly spaced places along 32 colours, and between them the
// colours in between in OKLab; a stop that falls on a colour gives exactly that colour.
std::array<huedata::Rgb24, 32> GradientColors(std::span<const huedata::Rgb24> stops);

// The stored value of a colour a person chose. One that no stored value shows exactly is
// taken to the nearest; `inexact` counts it.
huedata::Color15 StoredColor(huedata::Rgb24 color, int& inexact);

}  // namespace hues
