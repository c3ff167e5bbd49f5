#include "huecolour/colour_search.h"

#include "huecolour/oklab.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace huecolour {

namespace {

// Each stored value's distance to the target. Stored colours repeat a great deal (the 96,000
// of a large file take some 5,000 values), so the values in use are marked first and measured
// once each, all together: quickly, to within QuickDistanceError, in single precision. Only a value
// that may be some hue's nearest colour is then measured exactly, a few hundred in a whole file.
// The distances lie side by side, found through a table from value to place that is written only
// where a value is in use: memory is touched, page by page, only as far as it is needed.
class Distances {
public:
    Distances(std::span<const huedata::HueRecord> hues, const huedata::Rgb24& target,
              const Vision& vision)
        : target_(OkLabFromSrgb(SeenColor(target, vision))), vision_(vision) {
        std::array<std::uint64_t, 32768 / 64> used{};
        for (const auto& hue : hues) {
            for (const huedata::Color15 value : hue.Colors) {
                used[Key(value) / 64] |= std::uint64_t{1} << (Key(value) % 64);
            }
        }
        std::size_t count = 0;
        for (const std::uint64_t bits : used)
            count += static_cast<std::size_t>(std::popcount(bits));
        keys_.reserve(count);
        std::vector<huedata::Rgb24> colors;
        colors.reserve(count);
        for (std::size_t word = 0; word < used.size(); ++word) {
            for (std::uint64_t bits = used[word]; bits != 0; bits &= bits - 1) {
                const std::size_t key =
                    word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                places_[key] = static_cast<std::uint16_t>(keys_.size());
                keys_.push_back(static_cast<std::uint16_t>(key));
                colors.push_back(SeenColorOf(key));
            }
        }
        quick_.resize(count);
        exact_.resize(count);
        measured_.resize(count);
        QuickDeltaEOK(target_, colors, quick_);
    }

    // Within QuickDistanceError of the exact distance.
    float Quick(huedata::Color15 value) const { return quick_[places_[Key(value)]]; }

    double Exact(huedata::Color15 value) {
        const std::size_t place = places_[Key(value)];
        if (measured_[place] == 0) {
            const auto color = SeenColorOf(keys_[place]);
            exact_[place] = DeltaEOK(OkLabFromSrgb(color), target_);
            measured_[place] = 1;
        }
        return exact_[place];
    }

private:
    // ConvertColor ignores the top bit.
    static std::size_t Key(huedata::Color15 value) {
        return static_cast<std::uint16_t>(value) & 0x7FFFU;
    }

    huedata::Rgb24 SeenColorOf(std::size_t key) const {
        return SeenColor(huedata::ConvertColor(static_cast<huedata::Color15>(key)), vision_);
    }

    OkLab target_;
    Vision vision_;
    std::unique_ptr<std::uint16_t[]> places_ =
        std::make_unique_for_overwrite<std::uint16_t[]>(32768);
    std::vector<std::uint16_t> keys_;
    std::vector<float> quick_;
    std::vector<double> exact_;
    std::vector<unsigned char> measured_;
};

struct Candidate {
    std::size_t id;
    int index;
    double distance;
};

// The hue's smallest quick distance, within QuickDistanceError of its smallest exact one.
float QuickNearest(const huedata::HueRecord& hue, const Distances& distances) {
    float nearest = distances.Quick(hue.Colors[0]);
    for (const huedata::Color15 value : hue.Colors)
        nearest = std::min(nearest, distances.Quick(value));
    return nearest;
}

// The first colour at the smallest exact distance. Every colour whose quick distance comes
// within twice the error of the smallest may be it, and is measured exactly; the others cannot
// win. Mostly that is one colour.
Candidate BestColor(const huedata::HueRecord& hue, std::size_t id, Distances& distances) {
    const double reach = QuickNearest(hue, distances) + 2 * QuickDistanceError;
    Candidate best{id, -1, 0.0};
    for (std::size_t i = 0; i < hue.Colors.size(); ++i) {
        if (distances.Quick(hue.Colors[i]) > reach) continue;
        const double distance = distances.Exact(hue.Colors[i]);
        if (best.index < 0 || distance < best.distance) best = {id, static_cast<int>(i), distance};
    }
    return best;
}

}  // namespace

std::vector<ColourMatch> NearestHues(std::span<const huedata::HueRecord> hues,
                                     huedata::Rgb24 target, std::size_t count,
                                     const Vision& vision) {
    const auto kept = std::min(count, hues.size());
    if (kept == 0) return {};
    Distances distances(hues, target, vision);
    std::vector<float> nearest(hues.size());
    for (std::size_t id = 0; id < hues.size(); ++id) {
        nearest[id] = QuickNearest(hues[id], distances);
    }
    // A hue whose quick distance lies more than twice the error beyond the kept-th smallest
    // is exactly farther than all of those hues, so only the others are measured exactly.
    std::vector<float> order = nearest;
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(kept - 1),
                     order.end());
    const double reach = order[kept - 1] + 2 * QuickDistanceError;
    std::vector<Candidate> candidates;
    for (std::size_t id = 0; id < hues.size(); ++id) {
        if (nearest[id] <= reach) candidates.push_back(BestColor(hues[id], id, distances));
    }
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(kept),
                      candidates.end(), [](const Candidate& x, const Candidate& y) {
                          return x.distance != y.distance ? x.distance < y.distance : x.id < y.id;
                      });
    std::vector<ColourMatch> matches;
    matches.reserve(kept);
    for (std::size_t i = 0; i < kept; ++i) {
        const Candidate& best = candidates[i];
        const auto stored = hues[best.id].Colors[static_cast<std::size_t>(best.index)];
        matches.push_back(
            {static_cast<int>(best.id), best.index, huedata::ConvertColor(stored), best.distance});
    }
    return matches;
}

// ---- similar ----
namespace {

// OKLab of every stored value as seen, made for the values in use alone.
class SeenLabs {
public:
    explicit SeenLabs(const Vision& vision) : vision_(vision) {}

    const OkLab& Of(huedata::Color15 value) {
        const std::size_t key = static_cast<std::uint16_t>(value) & 0x7FFFU;
        if (made_[key] == 0) {
            labs_[key] = OkLabFromSrgb(
                SeenColor(huedata::ConvertColor(static_cast<huedata::Color15>(key)), vision_));
            made_[key] = 1;
        }
        return labs_[key];
    }

private:
    Vision vision_;
    std::vector<OkLab> labs_ = std::vector<OkLab>(32768);
    std::vector<unsigned char> made_ = std::vector<unsigned char>(32768);
};

using HueLabs = std::array<OkLab, 32>;

// The largest distance between the two hues' colours k, or a value over `within` as soon as one
// pair of colours is farther apart than that.
// Squares are compared, and one root taken at the end: the root of the largest square is the
// largest root, as a root rounds correctly, and a root a pair was most of the time of `similar`.
// The margin keeps a square just over within's from stopping early where its root is not over.
double LargestDistance(const HueLabs& first, const HueLabs& second, double within) {
    const double stopAbove = within * within * (1 + 1e-9);
    double largest = 0.0;
    for (std::size_t k = 0; k < first.size(); ++k) {
        const double dL = first[k].L - second[k].L, da = first[k].a - second[k].a,
                     db = first[k].b - second[k].b;
        largest = std::max(largest, dL * dL + da * da + db * db);
        if (largest > stopAbove) break;
    }
    return std::sqrt(largest);
}

// The cells of a grid over the hues' mean colours, each `size` wide. Two hues within D of each
// other colour by colour have means within D too (the mean of the distances is at most their
// largest), so with cells D wide each hue need only be held against the hues of its own cell
// and the 26 around it.
struct Cell {
    std::int32_t l, a, b;
    bool operator==(const Cell&) const = default;
};

struct CellHash {
    std::size_t operator()(const Cell& cell) const {
        const auto mix = [](std::uint64_t h, std::int32_t v) {
            return (h ^ static_cast<std::uint32_t>(v)) * 0x100000001B3ULL;
        };
        return static_cast<std::size_t>(
            mix(mix(mix(0xCBF29CE484222325ULL, cell.l), cell.a), cell.b));
    }
};

// A hue's mean colours: of all 32, of the darker half and of the lighter. Two hues within D of
// each other colour by colour have each of these within D of the other's too, so a pair whose
// means lie farther apart is dropped before its 32 colours are compared: a sphere, where the
// 27 cells around a hue hold a cube six times as large.
using HueMeans = std::array<OkLab, 3>;

HueMeans MeansOf(const HueLabs& labs) {
    HueMeans means{};
    const std::size_t half = labs.size() / 2;
    for (std::size_t k = 0; k < labs.size(); ++k) {
        for (OkLab* mean : {&means[0], &means[k < half ? 1 : 2]}) {
            mean->L += labs[k].L;
            mean->a += labs[k].a;
            mean->b += labs[k].b;
        }
    }
    for (std::size_t m = 0; m < means.size(); ++m) {
        const auto count = static_cast<double>(m == 0 ? labs.size() : half);
        means[m] = {means[m].L / count, means[m].a / count, means[m].b / count};
    }
    return means;
}

bool MeansWithin(const HueMeans& first, const HueMeans& second, double limitSquared) {
    for (std::size_t m = 0; m < first.size(); ++m) {
        const double dL = first[m].L - second[m].L, da = first[m].a - second[m].a,
                     db = first[m].b - second[m].b;
        if (dL * dL + da * da + db * db > limitSquared) return false;
    }
    return true;
}

Cell CellOf(const OkLab& mean, double size) {
    const auto coordinate = [size](double value) {
        return static_cast<std::int32_t>(std::floor(value / size));
    };
    return {coordinate(mean.L), coordinate(mean.a), coordinate(mean.b)};
}

}  // namespace

std::vector<SimilarPair> SimilarHues(std::span<const HueColours> hues, double within,
                                     const Vision& vision) {
    SeenLabs seen(vision);
    // A cell no narrower than the colours' rounding, so that within 0 finds equal hues quickly.
    const double size = std::max(within, 1e-9);
    std::vector<HueLabs> labs(hues.size());
    std::vector<HueMeans> means(hues.size());
    std::vector<std::pair<Cell, std::size_t>> byCell(hues.size());
    for (std::size_t i = 0; i < hues.size(); ++i) {
        for (std::size_t k = 0; k < 32; ++k) labs[i][k] = seen.Of(hues[i].record->Colors[k]);
        means[i] = MeansOf(labs[i]);
        byCell[i] = {CellOf(means[i][0], size), i};
    }
    // The hues laid out cell by cell, so that those held against each other lie side by side
    // in memory: a file of every hue holds some 25 MB of colours, far more than a cache.
    std::sort(byCell.begin(), byCell.end(), [](const auto& x, const auto& y) {
        return std::tie(x.first.l, x.first.a, x.first.b, x.second) <
               std::tie(y.first.l, y.first.a, y.first.b, y.second);
    });
    std::vector<HueLabs> sortedLabs(hues.size());
    std::vector<HueMeans> sortedMeans(hues.size());
    std::unordered_map<Cell, std::pair<std::size_t, std::size_t>, CellHash> cells;
    for (std::size_t p = 0; p < byCell.size(); ++p) {
        sortedLabs[p] = labs[byCell[p].second];
        sortedMeans[p] = means[byCell[p].second];
        auto [range, added] = cells.try_emplace(byCell[p].first, p, p + 1);
        if (!added) range->second.second = p + 1;
    }
    labs = {};
    // With room for the means' rounding: a pair only just within must never be dropped here.
    const double meansWithin = (within + 1e-9) * (within + 1e-9);
    std::vector<SimilarPair> pairs;
    for (std::size_t p = 0; p < byCell.size(); ++p) {
        const Cell home = byCell[p].first;
        const int id = hues[byCell[p].second].id;
        for (int dl = -1; dl <= 1; ++dl) {
            for (int da = -1; da <= 1; ++da) {
                for (int db = -1; db <= 1; ++db) {
                    const auto found = cells.find({home.l + dl, home.a + da, home.b + db});
                    if (found == cells.end()) continue;
                    // Each pair once, from the hue that comes first in this order.
                    for (std::size_t q = std::max(found->second.first, p + 1);
                         q < found->second.second; ++q) {
                        const int other = hues[byCell[q].second].id;
                        if (other == id) continue;
                        if (!MeansWithin(sortedMeans[p], sortedMeans[q], meansWithin)) continue;
                        const double largest =
                            LargestDistance(sortedLabs[p], sortedLabs[q], within);
                        if (largest > within) continue;
                        const auto [a, b] = std::minmax(id, other);
                        pairs.push_back({a, b, largest});
                    }
                }
            }
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const SimilarPair& x, const SimilarPair& y) {
        return x.a != y.a ? x.a < y.a : x.b < y.b;
    });
    return pairs;
}

std::vector<NearMatch> MatchesIn(const huedata::HueFile& file,
                                 std::span<const ColourMatch> matches) {
    std::vector<NearMatch> views;
    views.reserve(matches.size());
    for (const ColourMatch& match : matches) {
        views.push_back(
            {huedata::ViewOf(file, match.id), match.index, match.color, match.distance});
    }
    return views;
}

std::vector<HueColours> ColoursOf(std::span<const huedata::HueView> hues) {
    std::vector<HueColours> colours;
    colours.reserve(hues.size());
    for (const huedata::HueView& hue : hues) colours.push_back({hue.id, hue.record});
    return colours;
}

}  // namespace huecolour
