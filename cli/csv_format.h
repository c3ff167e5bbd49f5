// The CSV format (RFC 4180): a header line, then one record per hue or per match, each
// line ended by CR LF; a field with a comma, a quote or a line break is quoted.
#pragma once

#include "hue_view.h"
#include "nearest.h"

#include <span>
#include <string>

namespace hues {

// id,name,table_start,table_end,color0,...,color31 with colours as #RRGGBB.
std::string HuesCsv(std::span<const HueView> hues);

// id,name,index,color,distance
std::string NearestCsv(std::span<const NearMatch> matches);

}  // namespace hues
