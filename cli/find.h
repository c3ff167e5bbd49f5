// `find`: hues whose name contains a text, ignoring case for every letter of Windows-1252.
#pragma once

#include "huedata/hue_view.h"

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The text with every Windows-1252 letter in lower case (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ), so
// that two texts compare without case. Other characters stay as they are.
std::u16string FoldCase(std::u16string_view text);

// The hues whose name contains `text` (UTF-8), ignoring case, in identifier order.
std::vector<huedata::HueView> FindHues(const huedata::HueFile& file, std::string_view text);

}  // namespace cli
