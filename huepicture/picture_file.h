// Pictures read for a hue's colours: PNG, JPEG, GIF (its first frame) and BMP, decoded by
// stb_image, checked before anything is decoded or written; and the region of one to use.
#pragma once

#include "huecolour/picture_ramp.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace huepicture {

inline constexpr std::uint64_t LargestPicturePixels = 100'000'000;

// The decoder's own buffer of the pixels, handed back to it at the end: a photo's are 48 MB.
struct FreePixels {
    void operator()(std::uint8_t* pixels) const;
};

struct DecodedPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::unique_ptr<std::uint8_t, FreePixels> rgba;
    std::uint32_t channels = 4;  // 3 for a picture without alpha, as the decoder gives it

    huecolour::RgbaPicture Pixels() const {
        return {width, height, {rgba.get(), std::size_t{width} * height * channels}, channels};
    }
};

// The picture in `bytes`, as RGBA. Throws huedata::FileError naming `path` for a file that is not a
// PNG, JPEG, GIF or BMP, one whose header says it holds over 100 megapixels (before it is
// decoded), and one that does not decode.
DecodedPicture DecodePicture(const std::filesystem::path& path,
                             std::span<const std::uint8_t> bytes);

// The same from the file.
DecodedPicture ReadPicture(const std::filesystem::path& path);

// The 32 colours from the region of the picture (the whole picture without one). Throws
// huedata::FileError naming `path` for a region that is empty or reaches outside the picture, and
// for one with fewer than 32 opaque pixels.
std::array<huedata::Color15, 32> RampFromPictureFile(
    const std::filesystem::path& path, const DecodedPicture& picture,
    const std::optional<huecolour::PictureRegion>& region);

}  // namespace huepicture
