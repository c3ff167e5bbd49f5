#include "huecolour/picture_ramp.h"

#include "huecolour/oklab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

namespace {

using huedata::Color15;

struct Picture {
    std::uint32_t width, height;
    std::vector<std::uint8_t> rgba;
    huecolour::RgbaPicture Pixels() const { return {width, height, rgba}; }
    void Set(std::size_t at, huedata::Rgb24 color, std::uint8_t alpha) {
        std::copy_n(std::array{color.red, color.green, color.blue, alpha}.begin(), 4,
                    rgba.begin() + static_cast<std::ptrdiff_t>(at * 4));
    }
};

// The method step by step, as written: every opaque pixel of the region in OKLab, in order by
// L, a, b and place; 32 runs of k * n / 32; each the mean of its run.
std::array<Color15, 32> RampAsWritten(const Picture& picture, const huecolour::PictureRegion& r) {
    struct Pixel {
        huecolour::OkLab lab;
        std::size_t place;
    };
    std::vector<Pixel> pixels;
    for (std::uint32_t y = r.y; y < r.y + r.height; ++y) {
        for (std::uint32_t x = r.x; x < r.x + r.width; ++x) {
            const std::size_t at = (std::size_t{y} * picture.width + x) * 4;
            if (picture.rgba[at + 3] == 0) continue;
            const huedata::Rgb24 color{picture.rgba[at], picture.rgba[at + 1],
                                       picture.rgba[at + 2]};
            pixels.push_back({huecolour::OkLabFromSrgb(color), at});
        }
    }
    std::sort(pixels.begin(), pixels.end(), [](const Pixel& x, const Pixel& y) {
        return std::tie(x.lab.L, x.lab.a, x.lab.b, x.place) <
               std::tie(y.lab.L, y.lab.a, y.lab.b, y.place);
    });
    std::array<Color15, 32> ramp{};
    for (std::size_t k = 0; k < 32; ++k) {
        huecolour::OkLab sum{0, 0, 0};
        const std::size_t from = k * pixels.size() / 32, to = (k + 1) * pixels.size() / 32;
        for (std::size_t i = from; i < to; ++i) {
            sum = {sum.L + pixels[i].lab.L, sum.a + pixels[i].lab.a, sum.b + pixels[i].lab.b};
        }
        const auto count = static_cast<double>(to - from);
        ramp[k] = huedata::NearestColor15(
            huecolour::SrgbFromOkLab({sum.L / count, sum.a / count, sum.b / count}));
    }
    return ramp;
}

// Random pictures of a few colours (so that many pixels tie), some transparent, and random
// regions, a few large: the ramp is the method's as written; fewer than 32 opaque pixels, none; a
// flat picture, its colour 32 times.
TEST(PictureRamp, IsTheMethodAsWrittenOnRandomPicturesAndRegions) {
    std::mt19937 random(5);
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    int made = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const bool large = trial % 100 == 0;  // counted on two threads, in the whole picture
        const std::uint32_t width = large ? 300 : 1 + below(40);
        const std::uint32_t height = large ? 240 : 1 + below(30);
        Picture picture{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4)};
        std::vector<huedata::Rgb24> palette(1 + below(60));
        for (auto& color : palette) {
            color = {static_cast<std::uint8_t>(below(256)), static_cast<std::uint8_t>(below(256)),
                     static_cast<std::uint8_t>(below(256))};
        }
        for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
            picture.Set(i, palette[below(static_cast<std::uint32_t>(palette.size()))],
                        below(5) == 0 ? 0 : 255);
        }
        const std::uint32_t x = large ? 0 : below(width / 2 + 1);
        const std::uint32_t y = large ? 0 : below(height / 2 + 1);
        const huecolour::PictureRegion region{x, y, large ? width : 1 + below(width - x),
                                              large ? height : 1 + below(height - y)};
        std::size_t opaque = 0;
        for (std::uint32_t row = y; row < y + region.height; ++row) {
            for (std::uint32_t column = x; column < x + region.width; ++column) {
                opaque += picture.rgba[(std::size_t{row} * width + column) * 4 + 3] != 0 ? 1 : 0;
            }
        }
        const auto ramp = huecolour::RampFromPicture(picture.Pixels(), region);
        ASSERT_EQ(ramp.has_value(), opaque >= 32) << trial;
        if (!ramp) continue;
        ++made;
        EXPECT_EQ(*ramp, RampAsWritten(picture, region)) << trial;
    }
    EXPECT_GT(made, 100);
    // A region reaching outside the picture is none.
    const Picture flat{8, 8, std::vector<std::uint8_t>(256, 200)};
    EXPECT_FALSE(huecolour::RampFromPicture(flat.Pixels(), {1, 0, 8, 8}));
    std::array<Color15, 32> grey{};
    grey.fill(huedata::NearestColor15({200, 200, 200}));
    EXPECT_EQ(huecolour::RampFromPicture(flat.Pixels(), {0, 0, 8, 8}), grey);
}

}  // namespace
