// A hue from a picture: a ramp of 32 colours from dark to light, made from a picture's pixels.
// The page's editor makes the same ramp by the same steps, to the same stored values.
#pragma once

#include "huedata/color15.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace huecolour {

// Pixels of 4 bytes each (red, green, blue, alpha), row after row; or of 3 (no alpha), as a
// decoder gives a picture that has none.
struct RgbaPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::span<const std::uint8_t> rgba;
    std::uint32_t channels = 4;
};

// A rectangle of the picture, in pixels from its top left.
struct PictureRegion {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

inline constexpr std::uint64_t LeastRampPixels = 32;

// The ramp of the region: its opaque pixels (alpha above 0) in
// OKLab, ordered by L, then a, then b (the same colour in any order); cut into 32 runs of equal
// count, run k from pixel k * n / 32 to (k + 1) * n / 32; each colour the OKLab mean of its run,
// taken to the nearest colour a hue can hold. Nothing when fewer than 32 pixels are opaque, or
// when the region does not lie within the picture.
std::optional<std::array<huedata::Color15, 32>> RampFromPicture(const RgbaPicture& picture,
                                                                const PictureRegion& region);

}  // namespace huecolour
