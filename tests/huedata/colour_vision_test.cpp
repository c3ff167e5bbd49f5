#include "huedata/colour_vision.h"

#include "huedata/hue_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

namespace {

using huedata::Rgb24;

Rgb24 ColorOf(const std::string& hex) {
    const auto n = std::stoul(hex.substr(1), nullptr, 16);
    return {static_cast<std::uint8_t>(n >> 16U), static_cast<std::uint8_t>((n >> 8U) & 0xFFU),
            static_cast<std::uint8_t>(n & 0xFFU)};
}

// Colours as the model gives them, computed on their own from the published matrices (by a
// script, in doubles, when the cases were written); the page holds itself to the same cases.
TEST(ColourVision, SeesAsThePublishedMatricesDo) {
    std::ifstream file(COLOUR_VISION_CASES);
    ASSERT_TRUE(file) << COLOUR_VISION_CASES;
    const auto cases = nlohmann::json::parse(file);
    ASSERT_GT(cases.size(), 100U);
    for (const auto& c : cases) {
        const auto kind = huedata::VisionKindNamed(c[0].get<std::string>());
        ASSERT_TRUE(kind) << c;
        const Rgb24 seen = huedata::SeenColor(ColorOf(c[2]), {*kind, c[1].get<int>()});
        EXPECT_EQ(huedata::RgbText(seen), c[3].get<std::string>()) << c;
    }
}

}  // namespace
