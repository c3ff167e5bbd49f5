#include "nearest.h"

#include "huedata/oklab.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string>

namespace hues {

namespace {

// Stored colours repeat a great deal across a file; each of the 32,768 values is turned
// into OKLab at most once.
class OkLabCache {
public:
    const huedata::OkLab& operator[](huedata::Color15 value) {
        const auto key = static_cast<std::uint16_t>(value) & 0x7FFFU;
        auto& slot = slots_[key];
        if (!slot) slot = huedata::OkLabFromSrgb(huedata::ConvertColor(value));
        return *slot;
    }

private:
    std::vector<std::optional<huedata::OkLab>> slots_ = decltype(slots_)(32768);
};

struct Candidate {
    std::size_t id;
    int index;
    double distance;
};

Candidate BestColour(const huedata::HueRecord& hue, std::size_t id, const huedata::OkLab& target,
                     OkLabCache& cache) {
    Candidate best{id, 0, huedata::DeltaEOK(cache[hue.Colors[0]], target)};
    for (int i = 1; i < static_cast<int>(hue.Colors.size()); ++i) {
        const double distance =
            huedata::DeltaEOK(cache[hue.Colors[static_cast<std::size_t>(i)]], target);
        if (distance < best.distance) best = {id, i, distance};
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
    OkLabCache cache;
    const huedata::OkLab wanted = huedata::OkLabFromSrgb(target);
    std::vector<Candidate> candidates;
    candidates.reserve(file.hues.size());
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        candidates.push_back(BestColour(file.hues[id], id, wanted, cache));
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
        const auto stored = hue.record.Colors[static_cast<std::size_t>(best.index)];
        matches.push_back({hue, best.index, huedata::ConvertColor(stored), best.distance});
    }
    return matches;
}

}  // namespace hues
