#include "export.h"

#include "gpl_export.h"
#include "html_export.h"
#include "output_file.h"

namespace hues {

void ExportHues(const HueFile& file, std::span<const HueView> hues, const std::string& kind,
                TextBuilder& out) {
    const std::string name = FileNameText(file.path);
    if (kind == "gpl") {
        GimpPalette(hues, name, out);
    } else {
        HtmlPage(hues, name, out);
    }
}

void ExportHuesToFile(const HueFile& file, std::span<const HueView> hues, const std::string& kind,
                      const std::filesystem::path& output) {
    WriteFileAtomically(
        output, [&](TextBuilder& out) { ExportHues(file, hues, kind, out); }, file.path);
}

}  // namespace hues
