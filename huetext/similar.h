// `similar`: the pairs of hues whose colours are, one by one, near each other as seen; the
// near-duplicates of a file, and the hues a player with some colour vision cannot tell apart.
#pragma once

#include "huetext/hue_view.h"

#include "huedata/colour_vision.h"

#include <span>
#include <vector>

namespace hues {

struct SimilarPair {
    int a;  // the smaller id
    int b;
    double largest;  // the largest deltaEOK between colour k of a and colour k of b
};

inline constexpr double DefaultSimilarWithin = 0.02;

// Every pair of `hues` whose colours k, for each k, lie within `within` deltaEOK of each other
// as seen with `vision`; ordered by a, then b. `within` must not be negative.
std::vector<SimilarPair> SimilarHues(std::span<const HueView> hues, double within,
                                     const huedata::Vision& vision = {});

}  // namespace hues
