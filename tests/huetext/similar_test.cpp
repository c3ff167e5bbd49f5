#include "huetext/nearest.h"

#include "huedata/oklab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace {

using huedata::Vision;
using huedata::VisionKind;

// Some hundreds of hues: random ones, each followed by up to three near copies of it, colours
// 0, 11 and 22 of a copy moved by at most `step` in each 5-bit channel, so that distances from 0
// up come up.
std::vector<huedata::HueRecord> HuesWithNearCopies(unsigned start, int step) {
    std::mt19937 random(start);
    std::uniform_int_distribution<int> channel(0, 31), move(-step, step), copies(0, 3);
    std::vector<huedata::HueRecord> hues;
    while (hues.size() < 400) {
        hues.emplace_back();
        for (auto& color : hues.back().Colors) {
            color = static_cast<huedata::Color15>(channel(random) << 10 | channel(random) << 5 |
                                                  channel(random));
        }
        for (int copy = copies(random); copy > 0; --copy) {
            huedata::HueRecord near = hues.back();
            for (const std::size_t k : {0U, 11U, 22U}) {
                const auto moved = [&](int shift) {
                    return std::clamp(((near.Colors[k] >> shift) & 31) + move(random), 0, 31);
                };
                near.Colors[k] =
                    static_cast<huedata::Color15>(moved(10) << 10 | moved(5) << 5 | moved(0));
            }
            hues.push_back(near);
        }
    }
    return hues;
}

// Every pair measured colour by colour.
std::vector<hues::SimilarPair> EveryPairWithin(std::span<const hues::HueView> views, double within,
                                               const Vision& vision) {
    std::vector<std::array<huedata::OkLab, 32>> labs(views.size());
    for (std::size_t i = 0; i < views.size(); ++i) {
        for (std::size_t k = 0; k < 32; ++k) {
            labs[i][k] = huedata::OkLabFromSrgb(
                huedata::SeenColor(huedata::ConvertColor(views[i].record->Colors[k]), vision));
        }
    }
    std::vector<hues::SimilarPair> pairs;
    for (std::size_t i = 0; i < views.size(); ++i) {
        for (std::size_t j = i + 1; j < views.size(); ++j) {
            double largest = 0.0;
            for (std::size_t k = 0; k < 32; ++k) {
                largest = std::max(largest, huedata::DeltaEOK(labs[i][k], labs[j][k]));
            }
            if (largest <= within) pairs.push_back({views[i].id, views[j].id, largest});
        }
    }
    return pairs;
}

TEST(Similar, FindsEveryPairThatMeasuringEachPairFinds) {
    const struct {
        int step;
        double within;
        Vision vision;
    } cases[] = {
        {0, 0.0, {}},
        {1, 0.02, {}},
        {1, 0.02, {VisionKind::Deuteranomaly, 100}},
        {2, 0.05, {VisionKind::Protanomaly, 60}},
        {3, 0.08, {VisionKind::Tritanomaly, 35}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.step << ' ' << c.within << ' ' << c.vision.severity);
        const auto records = HuesWithNearCopies(static_cast<unsigned>(c.step) + 7U, c.step);
        std::vector<hues::HueView> views;
        views.reserve(records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            views.push_back({static_cast<int>(i) * 3, "", &records[i]});
        }
        const auto expected = EveryPairWithin(views, c.within, c.vision);
        const auto found = hues::SimilarHues(views, c.within, c.vision);
        EXPECT_TRUE(found == expected);
        EXPECT_GT(found.size(), 20U);
    }
}

}  // namespace
