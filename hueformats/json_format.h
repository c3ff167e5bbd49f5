// The JSON format: always an array, one object per hue or per match.
#pragma once

#include "huedata/text_builder.h"

#include "huecolour/colour_search.h"
#include "huedata/hue_view.h"

#include "huedata/hue_merge.h"
#include "huegit/hue_history.h"

#include <span>
#include <string>
#include <string_view>

namespace hueformats {

// [{"id", "name", "table_start", "table_end", "colors": [32 "#RRGGBB"], "stored": [32 values]}]
// Table values are signed 16-bit numbers; stored colour values run from 0 to 65535.
void HuesJson(std::span<const huedata::HueView> hues, huedata::TextBuilder& out);
// The same array a part at a time, for a listing that never holds the file whole: each part
// after the `before` hues written already, and the end once every hue is.
void HuesJsonPart(std::span<const huedata::HueView> hues, std::size_t before,
                  huedata::TextBuilder& out);
void HuesJsonEnd(std::size_t written, huedata::TextBuilder& out);

// A name as a string in a page's script or its JSON data, written at `out`: quotes, backslashes and
// "<" (which could end the script) escaped, control characters shown as U+FFFD but the five
// that stand for the bytes Windows-1252 leaves undefined (U+0081 ...), which are kept. Room:
// 18 * name.size() + 2.
char* WriteScriptString(char* out, std::string_view name);

// A text (UTF-8) as a JSON string, escaped as every listing here escapes names.
void JsonString(huedata::TextBuilder& out, std::string_view utf8);

// One hue's object of that array, alone.
void HueJsonObject(const huedata::HueView& hue, huedata::TextBuilder& out);

// [{"id", "name", "index", "color", "distance"}]
void NearestJson(std::span<const huecolour::NearMatch> matches, huedata::TextBuilder& out);

// [{"a", "b", "largest"}]
void SimilarJson(std::span<const huecolour::SimilarPair> pairs, huedata::TextBuilder& out);

// The conflicts a merge left, for the page to resolve: [{"hue", "field", "base", "ours",
// "theirs"}], each field by the field table's name.
std::string ConflictsJson(std::span<const huedata::MergeConflict> conflicts);

// ---- A hue file's history, hue by hue, as `hues log --format json` writes it ----

// A commit's fields of that JSON: "commit": 40 hex or null, "author", "email", "date" (null
// where it is not committed yet), "subject".
void CommitJson(const huegit::CommitInfo& commit, huedata::TextBuilder& out);

// [{"commit": 40 hex or null, "author", "email", "date", "subject", "hue", "changed": [...],
//   "before": the hue as `show --format json` gives it or null, "after": likewise}], an entry a
// line, in the order given.
void HistoryJson(const huegit::HueHistory& history, std::span<const huegit::HueChangeEntry> entries,
                 huedata::TextBuilder& out);

}  // namespace hueformats
