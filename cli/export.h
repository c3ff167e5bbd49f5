// `export`: hues as the palette of an art program, a web page or a table for spreadsheets, to
// standard output or atomically to a file.
#pragma once

#include "huetext/hue_view.h"
#include "huetext/text_builder.h"
#include "page/sample_picture.h"

#include <filesystem>
#include <span>
#include <string>

namespace hues {

struct ExportRequest {
    std::string kind;                       // "gpl", a palette's (ase...), "html" or "csv"
    const SamplePicture* sample = nullptr;  // html: the picture to show each hue on
};

// Writes the export of `hues` to `out`.
void ExportHues(const HueFile& file, std::span<const HueView> hues, const ExportRequest& request,
                TextBuilder& out);

// Writes the same export to the file `output` atomically, never over the hue file.
void ExportHuesToFile(const HueFile& file, std::span<const HueView> hues,
                      const ExportRequest& request, const std::filesystem::path& output);

}  // namespace hues
