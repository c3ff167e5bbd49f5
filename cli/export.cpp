#include "cli/export.h"

#include "huepalette/palette_export.h"
#include "huetext/csv_format.h"
#include "huetext/gpl_export.h"
#include "huetext/output_file.h"
#include "page/html_export.h"

namespace hues {

void ExportHues(const std::filesystem::path& hueFile, std::span<const HueView> hues,
                const ExportRequest& request, TextBuilder& out) {
    const std::string name = FileNameText(hueFile);
    if (IsPaletteExport(request.kind)) {
        PaletteExport(request.kind, HuesInParts(hues), name, out);
    } else if (request.kind == "gpl") {
        GimpPalette(hues, name, out);
    } else if (request.kind == "csv") {
        SpreadsheetCsv(hues, out);
    } else {
        HtmlPage(HuesInParts(hues), name, request.sample, out);
    }
}

void WriteExportFile(const std::filesystem::path& hueFile, const std::filesystem::path& output,
                     const std::function<void(TextBuilder&)>& write) {
    WriteFileAtomically(output, write, std::span(&hueFile, 1));
}

}  // namespace hues
