// `export`: hues as a GIMP palette or a web page, to standard output or atomically to a file.
#pragma once

#include "hue_view.h"

#include <optional>
#include <string>

namespace hues {

// Builds the export of `hues` in `kind` ("gpl" or "html"). With `output`, writes it there
// atomically (never over the hue file) and returns nothing to print.
std::string ExportHues(const HueFile& file, std::span<const HueView> hues, const std::string& kind,
                       const std::optional<std::filesystem::path>& output);

}  // namespace hues
