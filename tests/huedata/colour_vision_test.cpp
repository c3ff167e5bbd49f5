#include "huedata/colour_vision.h"

#include "huedata/hue_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

namespace {

using huedata::Rgb24;
using huedata::Vision;
using huedata::VisionKind;

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

// Normal vision, and every kind at severity 0, change nothing; at any severity the matrices'
// rows sum to 1, so that greys stay grey.
TEST(ColourVision, LeavesNormalColoursAndGreysAlone) {
    for (const auto kind : {VisionKind::Normal, VisionKind::Protanomaly, VisionKind::Deuteranomaly,
                            VisionKind::Tritanomaly}) {
        EXPECT_EQ(huedata::VisionKindNamed(huedata::VisionKindName(kind)), kind);
        for (int severity = 0; severity <= 100; severity += 7) {
            for (int level = 0; level < 256; level += 15) {
                const auto grey = static_cast<std::uint8_t>(level);
                const Rgb24 seen = huedata::SeenColor({grey, grey, grey}, {kind, severity});
                EXPECT_LE(std::abs(seen.red - level) + std::abs(seen.blue - level), 2);
            }
            const Rgb24 orange{255, 136, 0};
            if (kind == VisionKind::Normal || severity == 0) {
                EXPECT_EQ(huedata::SeenColor(orange, {kind, severity}), orange);
            }
        }
    }
    EXPECT_FALSE(huedata::VisionKindNamed("deuteranopia"));
}

}  // namespace
