// The hues a command works on: the loaded hue file and one hue ready to print (its errors are
// huedata/file_error.h's).
#pragma once

#include "huedata/file_error.h"

#include "huedata/hue_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace huedata {

// Every hue of one hue file, read once; hues[id] is hue id.
struct HueFile {
    std::filesystem::path path;
    std::vector<HueRecord> hues;
    std::vector<std::uint32_t> blockHeaders;  // blockHeaders[b] heads hues 8b to 8b + 7
};

// Reads the whole file; a failure becomes a HuesError naming the file and the reason.
HueFile LoadHueFile(const std::filesystem::path& path);

// One hue with its identifier and its name as UTF-8. The record stays in its HueFile, which
// outlives the view: a listing of a whole file would otherwise copy all of it once more.
struct HueView {
    int id;
    std::string name;
    const HueRecord* record;
    // The header of the block this hue starts, where the text form must give it: a header
    // that is not 0, or in a patch one that differs.
    std::optional<std::uint32_t> blockHeader = std::nullopt;
};

// The same from a file's bytes, read already: every entry that lies wholly inside them.
HueFile HueFileFromBytes(const std::filesystem::path& path, std::span<const unsigned char> bytes);

HueView ViewOf(const HueFile& file, int id);
// Hue `id`'s view of its record, `blockHeader` the header of its block where it starts one.
HueView ViewOfRecord(int id, const HueRecord& record, std::uint32_t blockHeader);

// The given hues, in the order given. Throws HuesError for one the file does not hold.
std::vector<HueView> ViewsOf(const HueFile& file, std::span<const int> ids);

// The given hues alone, in the order given, read one entry at a time (a few of a large file
// cost what they cost of a small one); `file` keeps their records. Throws HuesError as ViewsOf
// does for one the file does not hold.
std::vector<HueView> LoadViews(const std::filesystem::path& path, std::span<const int> ids,
                               HueFile& file);

// Every hue of the file, in identifier order.
std::vector<HueView> AllViews(const HueFile& file);

// Hues handed over a part at a time, as often as asked: those of a list, as one part, or every
// hue of a file, in identifier order, read anew from its one opening each time. A listing or a
// page of a whole file then never holds it whole.
class HuesInParts {
public:
    using Take = std::function<void(std::span<const HueView>, std::size_t before)>;

    explicit HuesInParts(std::span<const HueView> hues) : listed_(hues) {}
    // Throws HuesError naming the file.
    explicit HuesInParts(const std::filesystem::path& path);

    std::size_t size() const { return file_ ? file_->count() : listed_.size(); }
    // Each part in turn, with how many hues came before it. Throws HuesError naming the file.
    void ForEach(const Take& take) const;

private:
    std::span<const HueView> listed_;
    std::unique_ptr<HueFileParts> file_;
    mutable std::vector<HueView> views_;  // a part's, used again
};

// The file name without its folders; both separators count, as a hue file path is often a
// Windows path even where it is read.
std::string FileNameText(const std::filesystem::path& path);

}  // namespace huedata
