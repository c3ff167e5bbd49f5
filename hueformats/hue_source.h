// Hues as text, read back: the JSON of `hues list --format json` (an array of hue objects,
// or one) and the CSV of `hues list --format csv` and `hues export csv`, as changes to lay over
// a hue file; as the programs people edit them in save them (a byte-order mark, UTF-16,
// Windows-1252, columns separated by ";" or tabs, cells guarded by an apostrophe).
#pragma once

#include "hueformats/source_text.h"

#include "huedata/hue_edit.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hueformats {

// Whether a source's text (or its bytes after any byte-order mark) is JSON rather than CSV:
// its first character that is not space is "[" or "{".
bool LooksLikeJson(std::string_view text);

// Reads and checks every source, in order. A colour that differs from its stored value is what
// a person edited and wins, taken to the nearest colour a hue can hold; one that is not exactly
// such a colour gives the warning, or with `strict` the error. Throws HuesError naming the
// source, the line (and column), the hue and the field of the first fault.
huedata::SourceHues ReadHueSources(std::span<const SourceText> sources, bool strict);

}  // namespace hueformats
