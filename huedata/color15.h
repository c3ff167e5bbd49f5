// 15-bit hue colours and their widening to 24-bit colour.
#pragma once

#include <cstdint>

namespace huedata {

// Blue in bits 0-4, green in bits 5-9, red in bits 10-14; bit 15 carries nothing.
using Color15 = std::int16_t;

struct Rgb24 {
    std::uint8_t red, green, blue;

    // The form a window system takes as one integer: red in the lowest byte.
    constexpr std::uint32_t packed() const {
        return std::uint32_t{red} | (std::uint32_t{green} << 8) | (std::uint32_t{blue} << 16);
    }

    friend constexpr bool operator==(const Rgb24&, const Rgb24&) = default;
};

// Widens each 5-bit channel k to round(255 * k / 31), so 31 becomes full intensity.
Rgb24 ConvertColor(Color15 value);

}  // namespace huedata
