// Hues as text, read back: the JSON of `hues list --format json` (an array of hue objects,
// or one) and the CSV of `hues list --format csv` and `hues export csv`, as changes to lay over
// a hue file; as the programs people edit them in save them (a byte-order mark, UTF-16,
// Windows-1252, columns separated by ";" or tabs, cells guarded by an apostrophe).
#pragma once

#include "huetext/source_text.h"

#include "huedata/hue_edit.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace huetext {

// What the text of one hue showed, where its text decided a field: the name (both readings
// where a leading apostrophe may guard it or belong to it), and each colour given as #RRGGBB
// with no stored value that shows it.
struct ShownFields {
    std::vector<std::string> names;
    std::uint32_t colorsShown = 0;  // bit i: colour i
    std::array<huedata::Rgb24, 32> colors{};
};

struct SourceHues {
    // Only the fields each source object names; every hue once.
    std::vector<huedata::HueChange> changes;
    std::vector<ShownFields> shown;  // for each change
    // One line for standard error, "hues: warning: ..." and a line break, or empty.
    std::string warning;
};

// Reads and checks every source, in order. A colour that differs from its stored value is what
// a person edited and wins, taken to the nearest colour a hue can hold; one that is not exactly
// such a colour gives the warning, or with `strict` the error. Throws HuesError naming the
// source, the line (and column), the hue and the field of the first fault.
SourceHues ReadHueSources(std::span<const SourceText> sources, bool strict);

// The changes to lay over a file's bytes (`held` hues), where a field whose text shows exactly
// what the file's hue shows keeps the file's bytes: the text carries no top bit of a colour and
// no byte after a name's NUL, so a listing applied to its own file changes nothing.
std::vector<huedata::HueChange> ChangesOver(const SourceHues& hues,
                                            std::span<const unsigned char> image, std::size_t held);

// The warning for `count` colours taken to the nearest a hue can hold (the first at `firstAt`,
// where the text says where), or nothing for none.
std::string InexactColorsWarning(int count, std::string_view firstAt = {});

// What is wrong with a colour no stored value shows exactly: "#RRGGBB is not a colour a hue can
// hold; the nearest is #RRGGBB", for --strict's error and the warning's first place.
std::string InexactColorText(huedata::Rgb24 color, huedata::Color15 stored);

// The stored value of a colour a person chose. One that no stored value shows exactly is
// taken to the nearest; `inexact` counts it.
huedata::Color15 StoredColor(huedata::Rgb24 color, int& inexact);

}  // namespace huetext
