// The JSON format: always an array, one object per hue or per match.
#pragma once

#include "huetext/text_builder.h"

#include "huetext/hue_view.h"

#include "huedata/hue_merge.h"

#include <span>
#include <string>
#include <string_view>

namespace huetext {

// [{"id", "name", "table_start", "table_end", "colors": [32 "#RRGGBB"], "stored": [32 values]}]
// Table values are signed 16-bit numbers; stored colour values run from 0 to 65535.
void HuesJson(std::span<const HueView> hues, TextBuilder& out);
// The same array a part at a time, for a listing that never holds the file whole: each part
// after the `before` hues written already, and the end once every hue is.
void HuesJsonPart(std::span<const HueView> hues, std::size_t before, TextBuilder& out);
void HuesJsonEnd(std::size_t written, TextBuilder& out);

// A text (UTF-8) as a JSON string, escaped as every listing here escapes names.
void JsonString(TextBuilder& out, std::string_view utf8);

// One hue's object of that array, alone.
void HueJsonObject(const HueView& hue, TextBuilder& out);

// [{"id", "name", "index", "color", "distance"}]
void NearestJson(std::span<const NearMatch> matches, TextBuilder& out);

// [{"a", "b", "largest"}]
void SimilarJson(std::span<const huecolour::SimilarPair> pairs, TextBuilder& out);

// The conflicts a merge left, for the page to resolve: [{"hue", "field", "base", "ours",
// "theirs"}], each field by the field table's name.
std::string ConflictsJson(std::span<const huedata::MergeConflict> conflicts);

}  // namespace huetext
