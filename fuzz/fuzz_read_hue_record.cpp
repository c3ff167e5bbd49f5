// Arbitrary files read at arbitrary positions: the first 4 input bytes are the position
// (little-endian), the rest is the file. A read must either return exactly the 88 bytes at
// that position or fail with FileError; nothing else is acceptable.
#include "huedata/hue_file.h"
#include "scratch_file.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return -1;
    const auto position = static_cast<std::int32_t>(
        std::uint32_t{data[0]} | (std::uint32_t{data[1]} << 8U) | (std::uint32_t{data[2]} << 16U) |
        (std::uint32_t{data[3]} << 24U));
    const std::span<const std::uint8_t> contents(data + 4, size - 4);
    WriteScratchFile(contents);

    const bool fits =
        position >= 1 && std::int64_t{position} - 1 + std::int64_t{huedata::HueRecordSize} <=
                             static_cast<std::int64_t>(contents.size());
    try {
        const huedata::HueRecord hue = huedata::ReadHueRecord(ScratchFile(), position);
        Require(fits);
        const auto entry = contents.subspan(static_cast<std::size_t>(position - 1))
                               .first<huedata::HueRecordSize>();
        Require(hue == huedata::DecodeHueRecord(entry));
    } catch (const huedata::FileError& error) {
        Require(!fits);
        Require(std::string(error.what()).find(ScratchFile().string()) != std::string::npos);
    }
    return 0;
}
