// 15-bit hue colours and their widening to 24-bit colour.
#pragma once

#include <array>
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

// round(255 * k / 31) for k in 0..31, in integers; 255k/31 is never near a tie. A table,
// as a listing of a whole file converts some 100,000 colours.
inline constexpr auto WidenedChannels = [] {
    std::array<std::uint8_t, 32> widened{};
    for (unsigned k = 0; k < widened.size(); ++k) {
        widened[k] = static_cast<std::uint8_t>((255U * k + 15U) / 31U);
    }
    return widened;
}();

// Widens each 5-bit channel k to round(255 * k / 31), so 31 becomes full intensity. Inline,
// for the loops over whole files of colours.
constexpr Rgb24 ConvertColor(Color15 value) {
    // Work on the 16 stored bits; the sign of the value never matters.
    const auto bits = static_cast<std::uint16_t>(value);
    return Rgb24{
        .red = WidenedChannels[(bits >> 10U) & 0x1FU],
        .green = WidenedChannels[(bits >> 5U) & 0x1FU],
        .blue = WidenedChannels[bits & 0x1FU],
    };
}

// The 5-bit channel whose widened value lies nearest to an 8-bit one; of two equally near,
// the lower. A table of all 256, the inverse of WidenedChannels.
inline constexpr auto NarrowedChannels = [] {
    std::array<std::uint8_t, 256> narrowed{};
    for (unsigned c = 0; c < narrowed.size(); ++c) {
        unsigned best = 0;
        for (unsigned k = 1; k < WidenedChannels.size(); ++k) {
            const auto distance = [c](unsigned w) { return w > c ? w - c : c - w; };
            if (distance(WidenedChannels[k]) < distance(WidenedChannels[best])) best = k;
        }
        narrowed[c] = static_cast<std::uint8_t>(best);
    }
    return narrowed;
}();

// The stored value (bit 15 clear) whose colour is nearest to `color`, channel by channel.
// ConvertColor gives `color` back exactly when it is one of the 32,768 colours a hue can hold.
constexpr Color15 NearestColor15(Rgb24 color) {
    return static_cast<Color15>((NarrowedChannels[color.red] << 10U) |
                                (NarrowedChannels[color.green] << 5U) |
                                NarrowedChannels[color.blue]);
}

}  // namespace huedata
