#include "huetext/nearest.h"

#include "huedata/hue_text.h"
#include "huedata/oklab.h"

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
#include <unordered_map>
#include <vector>

namespace hues {

namespace {

// Each stored value's distance to the target. Stored colours repeat a great deal (the 96,000
// of a large file take some 5,000 values), so the values in use are marked first and measured
// once each, all together: quickly, to within QuickDistanceError, in single precision. Only a value
// that may be some hue's nearest colour is then measured exactly, a few hundred in a whole file.
// The distances lie side by side, found through a table from value to place that is written only
// where a value is in use: memory is touched, page by page, only as far as it is needed.
class Distances {
public:
    Distances(const HueFile& file, const huedata::Rgb24& target, const huedata::Vision& vision)
        : target_(huedata::OkLabFromSrgb(huedata::SeenColor(target, vision))), vision_(vision) {
        std::array<std::uint64_t, 32768 / 64> used{};
        for (const auto& hue : file.hues) {
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
        huedata::QuickDeltaEOK(target_, colors, quick_);
    }

    // Within QuickDistanceError of the exact distance.
    float Quick(huedata::Color15 value) const { return quick_[places_[Key(value)]]; }

    double Exact(huedata::Color15 value) {
        const std::size_t place = places_[Key(value)];
        if (measured_[place] == 0) {
            const auto color = SeenColorOf(keys_[place]);
            exact_[place] = huedata::DeltaEOK(huedata::OkLabFromSrgb(color), target_);
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
        return huedata::SeenColor(huedata::ConvertColor(static_cast<huedata::Color15>(key)),
                                  vision_);
    }

    huedata::OkLab target_;
    huedata::Vision vision_;
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
    const double reach = QuickNearest(hue, distances) + 2 * huedata::QuickDistanceError;
    Candidate best{id, -1, 0.0};
    for (std::size_t i = 0; i < hue.Colors.size(); ++i) {
        if (distances.Quick(hue.Colors[i]) > reach) continue;
        const double distance = distances.Exact(hue.Colors[i]);
        if (best.index < 0 || distance < best.distance) best = {id, static_cast<int>(i), distance};
    }
    return best;
}

}  // namespace

huedata::Rgb24 ParseColor(std::string_view text) {
    std::string_view digits = text;
    if (digits.starts_with('#')) digits.remove_prefix(1);
    std::uint32_t rgb = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), rgb, 16);
    const bool allHex = std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (digits.size() != 6 || !allHex || error != std::errc{} ||
        end != digits.data() + digits.size()) {
        throw HuesError("'" + std::string(text) + "' is not a colour: give #RRGGBB or RRGGBB");
    }
    return {static_cast<std::uint8_t>(rgb >> 16U), static_cast<std::uint8_t>((rgb >> 8U) & 0xFFU),
            static_cast<std::uint8_t>(rgb & 0xFFU)};
}

huedata::Vision ParseVision(std::string_view text) {
    const auto colon = text.find(':');
    const auto kind = huedata::VisionKindNamed(text.substr(0, colon));
    int severity = 100;
    bool severityRead = true;
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        const auto read = huedata::NumberFromText<int>(digits);
        severity = read.value_or(-1);
        severityRead = severity >= 0 && severity <= 100;
    }
    if (!kind || !severityRead) {
        throw HuesError("'" + PrintableText(text) +
                        "' is not a colour vision: give normal, protanomaly, deuteranomaly or "
                        "tritanomaly, and after a colon a severity of 0 to 100 if not 100");
    }
    return {*kind, severity};
}

std::vector<NearMatch> NearestHues(const HueFile& file, huedata::Rgb24 target, std::size_t count,
                                   const huedata::Vision& vision) {
    const auto kept = std::min(count, file.hues.size());
    if (kept == 0) return {};
    Distances distances(file, target, vision);
    std::vector<float> nearest(file.hues.size());
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        nearest[id] = QuickNearest(file.hues[id], distances);
    }
    // A hue whose quick distance lies more than twice the error beyond the kept-th smallest
    // is exactly farther than all of those hues, so only the others are measured exactly.
    std::vector<float> order = nearest;
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(kept - 1),
                     order.end());
    const double reach = order[kept - 1] + 2 * huedata::QuickDistanceError;
    std::vector<Candidate> candidates;
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        if (nearest[id] <= reach) candidates.push_back(BestColor(file.hues[id], id, distances));
    }
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(kept),
                      candidates.end(), [](const Candidate& x, const Candidate& y) {
                          return x.distance != y.distance ? x.distance < y.distance : x.id < y.id;
                      });
    std::vector<NearMatch> matches;
    matches.reserve(kept);
    for (std::size_t i = 0; i < kept; ++i) {
        const Candidate& best = candidates[i];
        const HueView hue = ViewOf(file, static_cast<int>(best.id));
        const auto stored = hue.record->Colors[static_cast<std::size_t>(best.index)];
        matches.push_back({hue, best.index, huedata::ConvertColor(stored), best.distance});
    }
    return matches;
}

// ---- similar ----
namespace {

// OKLab of every stored value as seen, made for the values in use alone.
class SeenLabs {
public:
    explicit SeenLabs(const huedata::Vision& vision) : vision_(vision) {}

    const huedata::OkLab& Of(huedata::Color15 value) {
        const std::size_t key = static_cast<std::uint16_t>(value) & 0x7FFFU;
        if (made_[key] == 0) {
            labs_[key] = huedata::OkLabFromSrgb(huedata::SeenColor(
                huedata::ConvertColor(static_cast<huedata::Color15>(key)), vision_));
            made_[key] = 1;
        }
        return labs_[key];
    }

private:
    huedata::Vision vision_;
    std::vector<huedata::OkLab> labs_ = std::vector<huedata::OkLab>(32768);
    std::vector<unsigned char> made_ = std::vector<unsigned char>(32768);
};

using HueLabs = std::array<huedata::OkLab, 32>;

// The largest distance between the two hues' colours k, or a value over `within` as soon as one
// pair of colours is farther apart than that.
double LargestDistance(const HueLabs& first, const HueLabs& second, double within) {
    double largest = 0.0;
    for (std::size_t k = 0; k < first.size(); ++k) {
        largest = std::max(largest, huedata::DeltaEOK(first[k], second[k]));
        if (largest > within) break;
    }
    return largest;
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

Cell CellOf(const HueLabs& labs, double size) {
    double l = 0.0, a = 0.0, b = 0.0;
    for (const auto& lab : labs) {
        l += lab.L;
        a += lab.a;
        b += lab.b;
    }
    const auto coordinate = [size, count = static_cast<double>(labs.size())](double sum) {
        return static_cast<std::int32_t>(std::floor(sum / count / size));
    };
    return {coordinate(l), coordinate(a), coordinate(b)};
}

}  // namespace

std::vector<SimilarPair> SimilarHues(std::span<const HueView> hues, double within,
                                     const huedata::Vision& vision) {
    SeenLabs seen(vision);
    std::vector<HueLabs> labs(hues.size());
    for (std::size_t i = 0; i < hues.size(); ++i) {
        for (std::size_t k = 0; k < 32; ++k) labs[i][k] = seen.Of(hues[i].record->Colors[k]);
    }
    // A cell no narrower than the colours' rounding, so that within 0 finds equal hues quickly.
    const double size = std::max(within, 1e-9);
    std::unordered_map<Cell, std::vector<std::size_t>, CellHash> cells;
    std::vector<Cell> cellOf(hues.size());
    for (std::size_t i = 0; i < hues.size(); ++i) {
        cellOf[i] = CellOf(labs[i], size);
        cells[cellOf[i]].push_back(i);
    }
    std::vector<SimilarPair> pairs;
    for (std::size_t i = 0; i < hues.size(); ++i) {
        const Cell home = cellOf[i];
        for (int dl = -1; dl <= 1; ++dl) {
            for (int da = -1; da <= 1; ++da) {
                for (int db = -1; db <= 1; ++db) {
                    const auto found = cells.find({home.l + dl, home.a + da, home.b + db});
                    if (found == cells.end()) continue;
                    for (const std::size_t j : found->second) {
                        // Each pair once, from the hue that comes first among those given.
                        if (j <= i || hues[j].id == hues[i].id) continue;
                        const double largest = LargestDistance(labs[i], labs[j], within);
                        if (largest > within) continue;
                        const auto [a, b] = std::minmax(hues[i].id, hues[j].id);
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

}  // namespace hues
