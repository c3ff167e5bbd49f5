// The CSV format (RFC 4180): a header line, then one record per hue or per match, each
// line ended by CR LF; a field with a comma, a quote or a line break is quoted.
#pragma once

#include "huedata/text_builder.h"

#include "huecolour/colour_search.h"
#include "huedata/hue_view.h"

#include <span>
#include <string>
#include <string_view>

namespace hueformats {

// One field, quoted where it holds a comma, a quote or a line break.
void CsvField(huedata::TextBuilder& out, std::string_view field);

// id,name,table_start,table_end,color0,...,color31 with colours as #RRGGBB.
void HuesCsv(std::span<const huedata::HueView> hues, huedata::TextBuilder& out);

// id,name,index,color,distance
void NearestCsv(std::span<const huecolour::NearMatch> matches, huedata::TextBuilder& out);

// Whether a spreadsheet might not keep `cell` as the same text: one it could run as a formula
// (starting with =, +, -, @, a tab or a line break), one it could read as a number, a date, a
// time, a percentage or a truth value (any holding a digit, TRUE, FALSE), or one that starts
// with an apostrophe, the mark that guards the others.
bool SpreadsheetMightChange(std::string_view cell);

// The same columns as HuesCsv for a spreadsheet: UTF-8 with a byte-order mark, so that names
// read right without asking, and each name a spreadsheet might change guarded by a leading
// apostrophe (one more where it starts with one), which the reader of hues as text removes.
void SpreadsheetCsv(const huedata::HuesInParts& hues, huedata::TextBuilder& out);

}  // namespace hueformats
