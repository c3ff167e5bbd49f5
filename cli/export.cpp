#include "export.h"

#include "gpl_export.h"
#include "html_export.h"
#include "output_file.h"

namespace hues {

std::string ExportHues(const HueFile& file, std::span<const HueView> hues, const std::string& kind,
                       const std::optional<std::filesystem::path>& output) {
    const std::string name = FileNameText(file.path);
    std::string contents = kind == "gpl" ? GimpPalette(hues, name) : HtmlPage(hues, name);
    if (!output) return contents;
    WriteFileAtomically(*output, contents, file.path);
    return {};
}

}  // namespace hues
