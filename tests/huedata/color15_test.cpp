#include "huedata/color15.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

using huedata::Color15;
using huedata::ConvertColor;
using huedata::Rgb24;

// The definition the conversion must meet, worked in floating point like the file's authors.
std::uint8_t ReferenceChannel(unsigned fiveBits) {
    return static_cast<std::uint8_t>(std::nearbyint(fiveBits / 31.0 * 255.0));
}

Color15 AsColor15(unsigned bits) {
    return static_cast<Color15>(static_cast<std::uint16_t>(bits));
}

TEST(ConvertColor, MatchesTheFiveToEightBitMappingForEveryValue) {
    for (unsigned bits = 0; bits <= 0xFFFF; ++bits) {
        const Rgb24 rgb = ConvertColor(AsColor15(bits));
        ASSERT_EQ(rgb.blue, ReferenceChannel(bits & 0x1FU)) << std::hex << bits;
        ASSERT_EQ(rgb.green, ReferenceChannel((bits & 0x3E0U) / 32U)) << std::hex << bits;
        ASSERT_EQ(rgb.red, ReferenceChannel((bits & 0x7C00U) / 1024U)) << std::hex << bits;
        ASSERT_EQ(rgb.packed(), rgb.red + 256U * rgb.green + 65536U * rgb.blue) << std::hex << bits;
        ASSERT_EQ(rgb, ConvertColor(AsColor15(bits ^ 0x8000U))) << "bit 15 matters for " << bits;
    }
}

}  // namespace
