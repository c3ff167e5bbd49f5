#include "huecolour/shifted_ramp.h"

#include "huecolour/oklab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace {

using huedata::Color15;
using huedata::Rgb24;

// The method as written, in radians on the complex plane of a and b: the hue a unit complex
// number turned by multiplying, sRGB's edge found by a fixed number of halvings.
std::array<Color15, 32> RampAsWritten(Rgb24 base, double shift, double dark, double light) {
    const huecolour::OkLab b = huecolour::OkLabFromSrgb(base);
    dark = std::min(dark, b.L);
    light = std::max(light, b.L);
    const std::complex<double> ab(b.a, b.b);
    const auto hueOf = [](Rgb24 color) {
        const auto lab = huecolour::OkLabFromSrgb(color);
        return std::arg(std::complex<double>(lab.a, lab.b));
    };
    const double warm = hueOf({255, 255, 0}), cool = hueOf({0, 0, 255});
    const auto inside = [](double l, std::complex<double> z) {
        const auto linear = huecolour::LinearSrgbFromOkLab({l, z.real(), z.imag()});
        return std::ranges::all_of(linear, [](double c) { return c >= 0 && c <= 1; });
    };
    const auto stepOf = [&](std::size_t i) {
        return dark + (light - dark) * static_cast<double>(i) / 31;
    };
    std::size_t k = 0;
    for (std::size_t i = 0; i < 32; ++i) {
        if (std::abs(stepOf(i) - b.L) < std::abs(stepOf(k) - b.L)) k = i;
    }
    std::array<Color15, 32> stored{};
    for (std::size_t i = 0; i < 32; ++i) {
        const double l = stepOf(i);
        Rgb24 color = base;
        if (base.red == base.green && base.green == base.blue && i != k) {
            const std::uint8_t grey = huecolour::SrgbFromLinear(l * l * l);
            color = {grey, grey, grey};
        } else if (i != k) {
            const double end = i > k ? warm : cool;
            const double degrees =
                i > k ? shift * (l - b.L) / (light - b.L) : shift * (b.L - l) / (b.L - dark);
            const double gap = std::arg(std::polar(1.0, end) / std::polar(1.0, std::arg(ab)));
            const double turn =
                std::copysign(std::min(degrees * std::numbers::pi / 180, std::abs(gap)), gap);
            std::complex<double> z = ab * std::polar(1.0, turn);
            if (!inside(l, z)) {
                double low = 0, high = 1;
                for (int step = 0; step < 40; ++step) {
                    const double middle = (low + high) / 2;
                    (inside(l, z * middle) ? low : high) = middle;
                }
                z *= low;
            }
            color = huecolour::SrgbFromOkLab({l, z.real(), z.imag()});
        }
        stored[i] = huedata::NearestColor15(color);
    }
    return stored;
}

int Channel(Color15 value, unsigned shift) {
    return static_cast<int>((static_cast<unsigned>(value) >> shift) & 0x1FU);
}

double LightnessOf(Color15 value) {
    return huecolour::OkLabFromSrgb(huedata::ConvertColor(value)).L;
}

// Random colours, shifts and ranges, greys and the cube's corners among them; and the cases the
// method names: a grey stays grey, no shift turns no hue, a base outside the range widens it.
TEST(ShiftedRamp, IsTheMethodAsWrittenAndShadesFromDarkToLight) {
    std::mt19937 random(62);
    std::uniform_int_distribution<int> channel(0, 255), corner(0, 1), kind(0, 5);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int trial = 0; trial < 3000; ++trial) {
        const auto pick = [&] { return static_cast<std::uint8_t>(channel(random)); };
        Rgb24 base{pick(), pick(), pick()};
        if (kind(random) == 0) base.green = base.blue = base.red;
        const auto end = [&] { return static_cast<std::uint8_t>(255 * corner(random)); };
        if (kind(random) == 0) base = {end(), end(), end()};
        const double shift = kind(random) == 0 ? 0 : 90 * unit(random);
        double dark = 0.10, light = 0.95;
        if (kind(random) != 0) {
            dark = unit(random) * 0.9;
            light = dark + 0.02 + unit(random) * (1 - dark - 0.02);
        }
        SCOPED_TRACE(testing::Message()
                     << "base " << int(base.red) << "," << int(base.green) << "," << int(base.blue)
                     << " shift " << shift << " range " << dark << "," << light);
        std::array<Color15, 32> stored{};
        const auto colors = huecolour::ShiftedRamp(base, {shift, dark, light});
        std::ranges::transform(colors, stored.begin(), huedata::NearestColor15);
        const auto written = RampAsWritten(base, shift, dark, light);
        const double baseL = huecolour::OkLabFromSrgb(base).L;
        for (std::size_t i = 0; i < 32; ++i) {
            for (const unsigned at : {0U, 5U, 10U})
                ASSERT_LE(std::abs(Channel(stored[i], at) - Channel(written[i], at)), 1) << i;
            // A stored colour's lightness lies up to some 0.012 from its step's: over a range of
            // 0.7 or more the steps outgrow that, and the ramp never darkens by 0.01.
            if (i > 0 && std::max(light, baseL) - std::min(dark, baseL) >= 0.7) {
                ASSERT_GT(LightnessOf(stored[i]) - LightnessOf(stored[i - 1]), -0.01) << i;
            }
            if (base.red == base.green && base.green == base.blue) {
                ASSERT_TRUE(colors[i].red == colors[i].green && colors[i].green == colors[i].blue);
            }
            const auto lab = huecolour::OkLabFromSrgb(colors[i]);
            const auto baseLab = huecolour::OkLabFromSrgb(base);
            // No shift turns no hue: what is left is 8-bit sRGB's rounding, some 0.005 in a and b.
            if (shift == 0 && std::hypot(lab.a, lab.b) > 0.03) {
                const double turned =
                    std::arg(std::complex(lab.a, lab.b) / std::complex(baseLab.a, baseLab.b));
                ASSERT_LT(std::abs(turned), 0.005 / std::hypot(lab.a, lab.b)) << i;
            }
        }
        // The base's own step is the base, as a hue can hold it; where the base lies outside
        // the range, at the end it widened.
        const auto at = std::ranges::find(colors, base);
        ASSERT_NE(at, colors.end());
        EXPECT_EQ(stored[static_cast<std::size_t>(at - colors.begin())],
                  huedata::NearestColor15(base));
        if (baseL <= dark) {
            EXPECT_EQ(colors.front(), base);
        }
        if (baseL >= light) {
            EXPECT_EQ(colors.back(), base);
        }
    }
}

}  // namespace
