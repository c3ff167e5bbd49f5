#include "hue_view.h"

#include "huedata/hue_text.h"

namespace hues {

HueFile LoadHueFile(const std::filesystem::path& path) {
    try {
        return HueFile{path, huedata::ReadHueFile(path)};
    } catch (const huedata::HueFileError& error) {
        throw HuesError(huedata::PathText(path) + ": " + error.reason());
    }
}

HueView ViewOf(const HueFile& file, int id) {
    const auto& record = file.hues.at(static_cast<std::size_t>(id));
    return HueView{id, huedata::Utf8Text(huedata::HueNameText(record.Name)), record};
}

std::vector<HueView> ViewsOf(const HueFile& file, std::span<const int> ids) {
    std::vector<HueView> views;
    views.reserve(ids.size());
    for (const int id : ids) {
        if (static_cast<std::size_t>(id) >= file.hues.size()) {
            const std::string held =
                file.hues.empty() ? "holds no hue"
                                  : "holds hues 0 to " + std::to_string(file.hues.size() - 1);
            throw HuesError(huedata::PathText(file.path) + ": hue " + std::to_string(id) +
                            " is past the end of the file, which " + held);
        }
        views.push_back(ViewOf(file, id));
    }
    return views;
}

std::vector<HueView> AllViews(const HueFile& file) {
    std::vector<HueView> views;
    views.reserve(file.hues.size());
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        views.push_back(ViewOf(file, static_cast<int>(id)));
    }
    return views;
}

std::string PrintableText(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        // C1 controls arrive as C2 80..C2 9F.
        const bool c1 =
            byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            text += "\xEF\xBF\xBD";
            if (c1) ++i;
        } else {
            text.push_back(utf8[i]);
        }
    }
    return text;
}

std::string FileNameText(const std::filesystem::path& path) {
    const std::string text = huedata::PathText(path);
    const auto slash = text.find_last_of("/\\");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

}  // namespace hues
