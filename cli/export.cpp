#include "cli/export.h"

#include "huepalette/palette_export.h"
#include "huetext/csv_format.h"
#include "huetext/output_file.h"
#include "page/html_export.h"

namespace cli {

void ExportHues(const std::filesystem::path& hueFile, std::span<const huetext::HueView> hues,
                const ExportRequest& request, huetext::TextBuilder& out) {
    const std::string name = huetext::FileNameText(hueFile);
    if (const auto format = huepalette::ExportedFormat(request.kind)) {
        huepalette::PaletteExport(*format, huetext::HuesInParts(hues), name, out);
    } else if (request.kind == "csv") {
        huetext::SpreadsheetCsv(hues, out);
    } else {
        page::HtmlPage(huetext::HuesInParts(hues), name, request.sample, out);
    }
}

void WriteExportFile(const std::filesystem::path& hueFile, const std::filesystem::path& output,
                     const std::function<void(huetext::TextBuilder&)>& write) {
    huetext::WriteFileAtomically(output, write, std::span(&hueFile, 1));
}

}  // namespace cli
