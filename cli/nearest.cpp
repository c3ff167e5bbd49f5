#include "nearest.h"

#include "huedata/oklab.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace hues {

namespace {

// Each stored value's distance to the target. Stored colours repeat a great deal (the 96,000
// of a large file take some 5,000 values), so the values in use are marked first and measured
// once each: quickly, to within QuickDistanceError. Only a value that may be some hue's nearest
// colour is then measured exactly, a few hundred in a whole file. The table is left
// uninitialised: only entries of values in use are ever read.
class Distances {
public:
    Distances(const HueFile& file, const huedata::Rgb24& target)
        : target_(huedata::OkLabFromSrgb(target)) {
        Bits used{};
        for (const auto& hue : file.hues) {
            for (const huedata::Color15 value : hue.Colors) Mark(used, Key(value));
        }
        for (std::size_t word = 0; word < used.size(); ++word) {
            for (std::uint64_t bits = used[word]; bits != 0; bits &= bits - 1) {
                const std::size_t key =
                    word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                distances_[key] =
                    huedata::DeltaEOK(huedata::QuickOkLabFromSrgb(ColorOf(key)), target_);
            }
        }
    }

    // Exact, or within QuickDistanceError of it.
    double operator[](huedata::Color15 value) const { return distances_[Key(value)]; }

    double Exact(huedata::Color15 value) {
        const auto key = Key(value);
        if ((exact_[key / 64] >> (key % 64) & 1U) == 0) {
            distances_[key] = huedata::DeltaEOK(huedata::OkLabFromSrgb(ColorOf(key)), target_);
            Mark(exact_, key);
        }
        return distances_[key];
    }

private:
    using Bits = std::array<std::uint64_t, 32768 / 64>;

    // ConvertColor ignores the top bit.
    static std::size_t Key(huedata::Color15 value) {
        return static_cast<std::uint16_t>(value) & 0x7FFFU;
    }
    static huedata::Rgb24 ColorOf(std::size_t key) {
        return huedata::ConvertColor(static_cast<huedata::Color15>(key));
    }
    static void Mark(Bits& bits, std::size_t key) {
        bits[key / 64] |= std::uint64_t{1} << (key % 64);
    }

    huedata::OkLab target_;
    Bits exact_{};
    std::unique_ptr<double[]> distances_ = std::make_unique_for_overwrite<double[]>(32768);
};

struct Candidate {
    std::size_t id;
    int index;
    double distance;
};

// The first colour at the smallest exact distance. Every colour whose quick distance comes
// within twice the error of the smallest may be it, and is measured exactly; the others cannot
// win. Mostly one colour is that near, which a single pass finds by keeping the runner-up.
Candidate BestColour(const huedata::HueRecord& hue, std::size_t id, Distances& distances) {
    std::size_t first = 0;
    double nearest = distances[hue.Colors[0]];
    double runnerUp = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < hue.Colors.size(); ++i) {
        const double distance = distances[hue.Colors[i]];
        if (distance < nearest) {
            runnerUp = nearest;
            nearest = distance;
            first = i;
        } else if (distance < runnerUp) {
            runnerUp = distance;
        }
    }
    const double reach = nearest + 2 * huedata::QuickDistanceError;
    if (runnerUp > reach) return {id, static_cast<int>(first), distances.Exact(hue.Colors[first])};
    Candidate best{id, -1, 0.0};
    for (std::size_t i = 0; i < hue.Colors.size(); ++i) {
        if (distances[hue.Colors[i]] > reach) continue;
        const double distance = distances.Exact(hue.Colors[i]);
        if (best.index < 0 || distance < best.distance) best = {id, static_cast<int>(i), distance};
    }
    return best;
}

}  // namespace

huedata::Rgb24 ParseColour(std::string_view text) {
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

std::vector<NearMatch> NearestHues(const HueFile& file, huedata::Rgb24 target, std::size_t count) {
    Distances distances(file, target);
    std::vector<Candidate> candidates;
    candidates.reserve(file.hues.size());
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        candidates.push_back(BestColour(file.hues[id], id, distances));
    }
    const auto kept = std::min(count, candidates.size());
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

}  // namespace hues
