// `export`: hues as the palette of an art program, a web page or a table for spreadsheets, to
// standard output or atomically to a file.
#pragma once

#include "cli/command.h"
#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "page/sample_picture.h"

#include <filesystem>
#include <functional>
#include <span>
#include <string>

namespace cli {

struct ExportRequest {
    std::string kind;                             // "gpl", a palette's (ase...), "html" or "csv"
    const page::SamplePicture* sample = nullptr;  // html: the picture to show each hue on
};

// Writes the export of `hues`, from the hue file at `hueFile`, to `out`.
void ExportHues(const std::filesystem::path& hueFile, std::span<const huedata::HueView> hues,
                const ExportRequest& request, huedata::TextBuilder& out);

// Has `write` write an export of the hue file at `hueFile` to the file `output` atomically,
// never over the hue file.
void WriteExportFile(const std::filesystem::path& hueFile, const std::filesystem::path& output,
                     const std::function<void(huedata::TextBuilder&)>& write);

// `export`: its options, and its run.
Command ExportCommand();

}  // namespace cli
