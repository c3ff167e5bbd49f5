#include "color15.h"

#include <array>

namespace huedata {

namespace {

// round(255 * k / 31) for k in 0..31, in integers; 255k/31 is never near a tie. A table,
// as a listing of a whole file converts some 100,000 colours.
constexpr auto WidenedChannels = [] {
    std::array<std::uint8_t, 32> widened{};
    for (unsigned k = 0; k < widened.size(); ++k) {
        widened[k] = static_cast<std::uint8_t>((255U * k + 15U) / 31U);
    }
    return widened;
}();

constexpr std::uint8_t WidenChannel(unsigned k) {
    return WidenedChannels[k];
}

}  // namespace

Rgb24 ConvertColor(Color15 value) {
    // Work on the 16 stored bits; the sign of the value never matters.
    const auto bits = static_cast<std::uint16_t>(value);
    return Rgb24{
        .red = WidenChannel((bits >> 10U) & 0x1FU),
        .green = WidenChannel((bits >> 5U) & 0x1FU),
        .blue = WidenChannel(bits & 0x1FU),
    };
}

}  // namespace huedata
