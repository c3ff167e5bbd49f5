#include "huecolour/oklab.h"

#include "huecolour/colour_vision.h"
#include "huedata/hue_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

using huecolour::OkLab;

void ExpectNear(const OkLab& actual, const OkLab& expected, double tolerance) {
    EXPECT_NEAR(actual.L, expected.L, tolerance);
    EXPECT_NEAR(actual.a, expected.a, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
}

// The XYZ to OKLab pairs Björn Ottosson published with OKLab, to the three decimals given.
TEST(OkLab, MatchesThePublishedReferenceValues) {
    struct Case {
        double x, y, z;
        OkLab lab;
    };
    for (const Case& c : std::vector<Case>{{0.950, 1.000, 1.089, {1.000, 0.000, 0.000}},
                                           {1.000, 0.000, 0.000, {0.450, 1.236, -0.019}},
                                           {0.000, 1.000, 0.000, {0.922, -0.671, 0.263}},
                                           {0.000, 0.000, 1.000, {0.153, -1.415, -0.449}}}) {
        SCOPED_TRACE(testing::Message() << c.x << ' ' << c.y << ' ' << c.z);
        ExpectNear(huecolour::OkLabFromXyz(c.x, c.y, c.z), c.lab, 0.0015);
    }
}

// sRGB primaries as CSS Color 4 converts them, with the sRGB transfer function.
TEST(OkLab, ConvertsSrgbThroughItsTransferFunction) {
    ExpectNear(huecolour::OkLabFromSrgb({255, 0, 0}), {0.62796, 0.22486, 0.12585}, 2e-4);
    ExpectNear(huecolour::OkLabFromSrgb({0, 255, 0}), {0.86644, -0.23389, 0.17950}, 2e-4);
    ExpectNear(huecolour::OkLabFromSrgb({0, 0, 255}), {0.45201, -0.03246, -0.31153}, 2e-4);
    ExpectNear(huecolour::OkLabFromSrgb({255, 255, 255}), {1.0, 0.0, 0.0}, 2e-4);
    // Mid grey: the transfer function, not a straight line, gives L of about 0.5999.
    ExpectNear(huecolour::OkLabFromSrgb({128, 128, 128}), {0.59987, 0.0, 0.0}, 2e-4);
}

// The quick distances rank colours for `hues nearest`, which trusts their error bound to find
// every colour that may be nearest. A quick distance is off by at most the quick point's
// distance from the exact one (the triangle inequality) plus its own rounding: so checking
// both on every colour a stored value can show proves the bound for every search.
TEST(QuickDeltaEOK, StaysWithinItsErrorOfTheExactDistanceForEveryStoredColor) {
    std::vector<huedata::Rgb24> colors;
    double worstPoint = 0.0;
    for (int value = 0; value < 32768; ++value) {
        colors.push_back(huedata::ConvertColor(static_cast<huedata::Color15>(value)));
        worstPoint =
            std::max(worstPoint, huecolour::DeltaEOK(huecolour::QuickOkLabFromSrgb(colors.back()),
                                                     huecolour::OkLabFromSrgb(colors.back())));
    }
    EXPECT_LT(worstPoint, huecolour::QuickDistanceError / 2);
    for (const huedata::Rgb24 target : {huedata::Rgb24{0, 0, 0}, huedata::Rgb24{255, 255, 255},
                                        huedata::Rgb24{255, 136, 0}, huedata::Rgb24{18, 52, 86}}) {
        const OkLab wanted = huecolour::OkLabFromSrgb(target);
        std::vector<float> quick(colors.size());
        huecolour::QuickDeltaEOK(wanted, colors, quick);
        for (std::size_t i = 0; i < colors.size(); ++i) {
            ASSERT_NEAR(quick[i], huecolour::DeltaEOK(huecolour::OkLabFromSrgb(colors[i]), wanted),
                        worstPoint + huecolour::QuickDistanceError / 4)
                << i;
        }
    }
}

// Colours as the colour vision model gives them, computed on their own from the published
// matrices (by a script, in doubles, when the cases were written); the page holds itself to the
// same cases.
TEST(ColourVision, SeesAsThePublishedMatricesDo) {
    std::ifstream file(COLOUR_VISION_CASES);
    ASSERT_TRUE(file) << COLOUR_VISION_CASES;
    const auto cases = nlohmann::json::parse(file);
    ASSERT_GT(cases.size(), 100U);
    for (const auto& c : cases) {
        const auto kind = huecolour::VisionKindNamed(c[0].get<std::string>());
        ASSERT_TRUE(kind) << c;
        const auto n = std::stoul(c[2].get<std::string>().substr(1), nullptr, 16);
        const huedata::Rgb24 color{static_cast<std::uint8_t>(n >> 16U),
                                   static_cast<std::uint8_t>(n >> 8U),
                                   static_cast<std::uint8_t>(n)};
        EXPECT_EQ(huedata::RgbText(huecolour::SeenColor(color, {*kind, c[1].get<int>()})),
                  c[3].get<std::string>())
            << c;
    }
}

}  // namespace
