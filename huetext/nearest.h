// `nearest`: the hues whose closest colour is nearest to a given colour, by deltaEOK; and
// `similar`: the pairs of hues whose colours are, one by one, near each other as seen (the
// near-duplicates of a file, and the hues a player with some colour vision cannot tell apart).
#pragma once

#include "huetext/hue_view.h"

#include "huedata/color15.h"
#include "huedata/colour_vision.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace huetext {

// A hue's best colour for the target: the first index with the smallest distance.
struct NearMatch {
    HueView hue;
    int index;
    huedata::Rgb24 color;
    double distance;
};

// "#RRGGBB" or "RRGGBB", hex digits in either case. Throws HuesError for anything else.
huedata::Rgb24 ParseColor(std::string_view text);

// "KIND" or "KIND:SEVERITY", a kind of colour vision and a severity of 0 to 100 (100 if none is
// given). Throws HuesError for anything else.
huedata::Vision ParseVision(std::string_view text);

// The `count` hues nearest to `target`, nearest first; equal distances in identifier order. With
// a vision, the target and the hues' colours are measured as seen with it.
std::vector<NearMatch> NearestHues(const HueFile& file, huedata::Rgb24 target, std::size_t count,
                                   const huedata::Vision& vision = {});

struct SimilarPair {
    int a;  // the smaller id
    int b;
    double largest;  // the largest deltaEOK between colour k of a and colour k of b
    friend bool operator==(const SimilarPair&, const SimilarPair&) = default;
};

inline constexpr double DefaultSimilarWithin = 0.02;

// Every pair of `hues` whose colours k, for each k, lie within `within` deltaEOK of each other
// as seen with `vision`; ordered by a, then b. `within` must not be negative.
std::vector<SimilarPair> SimilarHues(std::span<const HueView> hues, double within,
                                     const huedata::Vision& vision = {});

}  // namespace huetext
