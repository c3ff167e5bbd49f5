// Hue identifiers as the command line gives them: N or an inclusive range A-B.
#pragma once

#include "huedata/hue_file.h"

#include <span>
#include <string>
#include <vector>

namespace huetext {

using huedata::HighestHueId;

// Expands each argument, in the order given; a range A-B needs A <= B. Throws HuesError
// naming the argument that is not an identifier or range from 0 to HighestHueId.
std::vector<int> ParseIds(std::span<const std::string> arguments);

}  // namespace huetext
