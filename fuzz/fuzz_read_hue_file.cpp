// Arbitrary bytes read as a whole hue file. The read must give exactly the entries that lie
// wholly inside the file (at most 32,768), each decoded from its own 88 bytes.
#include "huedata/hue_file.h"
#include "scratch_file.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> contents(data, size);
    WriteScratchFile(contents);
    const auto hues = huedata::ReadHueFile(ScratchFile());
    Require(hues.size() == huedata::HueCountForSize(size));
    for (std::size_t id = 0; id < hues.size(); ++id) {
        const auto offset =
            static_cast<std::size_t>(huedata::HuePosition(static_cast<huedata::HueId>(id)) - 1);
        Require(offset + huedata::HueRecordSize <= size);
        Require(hues[id] ==
                huedata::DecodeHueRecord(contents.subspan(offset).first<huedata::HueRecordSize>()));
    }
    // The next entry, if there could be one, must not fit.
    if (hues.size() < huedata::MaxHueCount) {
        const auto next = static_cast<std::size_t>(
            huedata::HuePosition(static_cast<huedata::HueId>(hues.size())) - 1);
        Require(next + huedata::HueRecordSize > size);
    }
    return 0;
}
