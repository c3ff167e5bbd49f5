// The CSV format (RFC 4180): a header line, then one record per hue or per match, each
// line ended by CR LF; a field with a comma, a quote or a line break is quoted.
#pragma once

#include "huetext/text_builder.h"

#include "huetext/hue_view.h"
#include "huetext/nearest.h"

#include <span>
#include <string>
#include <string_view>

namespace hues {

// One field, quoted where it holds a comma, a quote or a line break.
void CsvField(TextBuilder& out, std::string_view field);

// id,name,table_start,table_end,color0,...,color31 with colours as #RRGGBB.
void HuesCsv(std::span<const HueView> hues, TextBuilder& out);

// id,name,index,color,distance
void NearestCsv(std::span<const NearMatch> matches, TextBuilder& out);

}  // namespace hues
