// Every format hues are written as and read from, in one table: the listings (text, JSON,
// CSV), the spreadsheet's CSV and each palette of an art program. A format's line says how
// messages name it, the word `list --format` or `export` knows it by, how its bytes are told
// from another's, and how hues are read from it and written as it. `list`, `export`, `apply`
// and `build` reach every format through it, and their help lists what it holds.
#pragma once

#include "hueformats/source_text.h"
#include "hueformats/text_format.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "huepalette/palette.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hueformats {

// How hues come back from a format: not at all, as text (one reader for JSON and CSV, which
// checks every text source together), or from a palette's groups and names.
enum class ReadBack { Never, AsText, FromPalette };

struct Format {
    std::string_view name;        // in messages: "JSON", "ASE", "GIMP", ...
    std::string_view listKind;    // as `list --format` names it, or ""
    std::string_view exportKind;  // as `export` names it, or ""
    std::optional<huepalette::PaletteFormat> palette;
    ReadBack readBack = ReadBack::Never;
    // Whether these bytes are of this format; null for a format hues only writes.
    bool (*tells)(const Format& format, std::span<const unsigned char> bytes) = nullptr;
    // A listing: the hues given, as `list` and `show` write them (`full`: every field).
    void (*list)(std::span<const huedata::HueView> hues, bool full, TextStyle style,
                 huedata::TextBuilder& out) = nullptr;
    // An export: the hues a part at a time, `paletteName` naming the palette where it has one.
    void (*write)(const Format& format, const huedata::HuesInParts& hues,
                  std::string_view paletteName, huedata::TextBuilder& out) = nullptr;
};

// Every format, the listings first, then the spreadsheet's, then the palettes.
std::span<const Format> Formats();

// The format `list --format KIND` or `export KIND` writes, if there is one.
const Format* ListFormat(std::string_view kind);
const Format* ExportFormat(std::string_view kind);

// The words those know, in the table's order.
std::vector<std::string> ListKinds();
std::vector<std::string> ExportKinds();

// The format a source's bytes are in, told by their bytes alone: a palette by its signature, JSON
// by its first character, CSV otherwise.
const Format& FormatOfBytes(std::span<const unsigned char> bytes);

// A source of hues: its name in messages and its bytes.
struct HueSource {
    std::string name;
    std::string bytes;
};

// Hues read from every source, each in its format: the text ones read and checked together,
// each palette carrying hues after them; a hue given by two sources is refused. Warnings
// ("hues: warning: ...") go to `warning`. Throws HuesError naming the source and what is wrong.
huedata::SourceHues ReadHues(std::span<const HueSource> sources, SourceEncoding encoding,
                             bool strict, std::string& warning);

}  // namespace hueformats
