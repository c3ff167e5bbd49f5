// `export`: hues as a GIMP palette or a web page, to standard output or atomically to a file.
#pragma once

#include "hue_view.h"
#include "text_builder.h"

#include <filesystem>
#include <span>
#include <string>

namespace hues {

// Writes the export of `hues` in `kind` ("gpl" or "html") to `out`.
void ExportHues(const HueFile& file, std::span<const HueView> hues, const std::string& kind,
                TextBuilder& out);

// Writes the same export to the file `output` atomically, never over the hue file.
void ExportHuesToFile(const HueFile& file, std::span<const HueView> hues, const std::string& kind,
                      const std::filesystem::path& output);

}  // namespace hues
