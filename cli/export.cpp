#include "cli/export.h"

#include "huepalette/palette_export.h"
#include "huetext/csv_format.h"
#include "huetext/gpl_export.h"
#include "huetext/output_file.h"
#include "page/html_export.h"

namespace hues {

void ExportHues(const HueFile& file, std::span<const HueView> hues, const ExportRequest& request,
                TextBuilder& out) {
    const std::string name = FileNameText(file.path);
    if (IsPaletteExport(request.kind)) {
        PaletteExport(request.kind, hues, name, out);
    } else if (request.kind == "gpl") {
        GimpPalette(hues, name, out);
    } else if (request.kind == "csv") {
        SpreadsheetCsv(hues, out);
    } else {
        HtmlPage(hues, name, request.sample, out);
    }
}

void ExportHuesToFile(const HueFile& file, std::span<const HueView> hues,
                      const ExportRequest& request, const std::filesystem::path& output) {
    WriteFileAtomically(
        output, [&](TextBuilder& out) { ExportHues(file, hues, request, out); },
        std::span(&file.path, 1));
}

}  // namespace hues
