#include "huedata/hue_view.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_text.h"

#include <algorithm>

namespace huedata {

HueFile LoadHueFile(const std::filesystem::path& path) {
    return NamingTheFile([&] {
        HueFile file{path, {}, {}};
        file.hues = ReadHueFile(path, &file.blockHeaders);
        return file;
    });
}

HueFile HueFileFromBytes(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
    HueFile file{path, {}, {}};
    const std::size_t count = HueCountForSize(bytes.size());
    file.hues.reserve(count);
    for (std::size_t id = 0; id < count; ++id) file.hues.push_back(HueAt(bytes, id));
    const std::size_t blocks = (count + HuesPerBlock - 1) / HuesPerBlock;
    for (std::size_t block = 0; block < blocks; ++block) {
        file.blockHeaders.push_back(BlockHeaderAt(bytes, block));
    }
    return file;
}

HueView ViewOfRecord(int id, const HueRecord& record, std::uint32_t blockHeader) {
    HueView view{id, HueNameUtf8Text(record.Name), &record};
    if (static_cast<std::size_t>(id) % HuesPerBlock == 0 && blockHeader != 0) {
        view.blockHeader = blockHeader;
    }
    return view;
}

HueView ViewOf(const HueFile& file, int id) {
    const auto block = static_cast<std::size_t>(id) / HuesPerBlock;
    return ViewOfRecord(id, file.hues.at(static_cast<std::size_t>(id)),
                        block < file.blockHeaders.size() ? file.blockHeaders[block] : 0);
}

namespace {

void CheckHeld(const std::filesystem::path& path, int id, std::size_t held) {
    if (static_cast<std::size_t>(id) < held) return;
    const std::string holds =
        held == 0 ? "holds no hue" : "holds hues 0 to " + std::to_string(held - 1);
    throw HuesError(PathText(path) + ": hue " + std::to_string(id) +
                    " is past the end of the file, which " + holds);
}

}  // namespace

std::vector<HueView> ViewsOf(const HueFile& file, std::span<const int> ids) {
    std::vector<HueView> views;
    views.reserve(ids.size());
    for (const int id : ids) {
        CheckHeld(file.path, id, file.hues.size());
        views.push_back(ViewOf(file, id));
    }
    return views;
}

std::vector<HueView> LoadViews(const std::filesystem::path& path, std::span<const int> ids,
                               HueFile& file) {
    SomeHues some = NamingTheFile([&] { return ReadSomeHues(path, ids); });
    for (const int id : ids) CheckHeld(path, id, some.held);
    file = HueFile{path, std::move(some.hues), {}};
    std::vector<HueView> views;
    views.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const HueRecord& record = file.hues[i];
        HueView view{ids[i], HueNameUtf8Text(record.Name), &record};
        if (some.headers[i] != 0) view.blockHeader = some.headers[i];
        views.push_back(std::move(view));
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

HuesInParts::HuesInParts(const std::filesystem::path& path)
    : file_(NamingTheFile([&] { return std::make_unique<HueFileParts>(path); })) {}

void HuesInParts::ForEach(const Take& take) const {
    if (!file_) {
        take(listed_, 0);
        return;
    }
    NamingTheFile([&] {
        file_->Read([&](const HuePart& part) {
            views_.clear();
            for (std::size_t i = 0; i < part.hues.size(); ++i) {
                views_.push_back(ViewOfRecord(static_cast<int>(part.first + i), part.hues[i],
                                              part.blockHeaders[i / HuesPerBlock]));
            }
            take(views_, part.first);
        });
    });
}

std::string FileNameText(const std::filesystem::path& path) {
    const std::string text = PathText(path);
    const auto slash = text.find_last_of("/\\");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

}  // namespace huedata
