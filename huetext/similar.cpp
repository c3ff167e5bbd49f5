#include "huetext/similar.h"

#include "huedata/oklab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace hues {

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
