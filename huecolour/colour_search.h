// `nearest`: the hues whose closest colour is nearest to a given colour, by deltaEOK; and
// `similar`: the pairs of hues whose colours are, one by one, near each other as seen (the
// near-duplicates of a file, and the hues a player with some colour vision cannot tell apart).
#pragma once

#include "huecolour/colour_vision.h"

#include "huedata/color15.h"
#include "huedata/hue_file.h"
#include "huedata/hue_view.h"

#include <cstddef>
#include <span>
#include <vector>

namespace huecolour {

// A hue's best colour for the target: the first index with the smallest distance.
struct ColourMatch {
    int id;
    int index;
    huedata::Rgb24 color;
    double distance;
};

// The `count` hues nearest to `target`, nearest first; equal distances in identifier order
// (hues[id] is hue id). With a vision, the target and the hues' colours are measured as seen
// with it.
std::vector<ColourMatch> NearestHues(std::span<const huedata::HueRecord> hues,
                                     huedata::Rgb24 target, std::size_t count,
                                     const Vision& vision = {});

// A hue to compare: its id, and its record, which outlives the comparison.
struct HueColours {
    int id;
    const huedata::HueRecord* record;
};

struct SimilarPair {
    int a;  // the smaller id
    int b;
    double largest;  // the largest deltaEOK between colour k of a and colour k of b
    friend bool operator==(const SimilarPair&, const SimilarPair&) = default;
};

inline constexpr double DefaultSimilarWithin = 0.02;

// Every pair of `hues` whose colours k, for each k, lie within `within` deltaEOK of each other
// as seen with `vision`; ordered by a, then b. `within` must not be negative.
std::vector<SimilarPair> SimilarHues(std::span<const HueColours> hues, double within,
                                     const Vision& vision = {});

// A hue near a colour, ready to print: its view and its best colour for the colour.
struct NearMatch {
    huedata::HueView hue;
    int index;
    huedata::Rgb24 color;
    double distance;
};

// The matches colour search found among the file's hues, each with its view.
std::vector<NearMatch> MatchesIn(const huedata::HueFile& file,
                                 std::span<const ColourMatch> matches);

// The hues' ids and records, as colour search compares them.
std::vector<HueColours> ColoursOf(std::span<const huedata::HueView> hues);

}  // namespace huecolour
