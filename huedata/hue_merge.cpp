#include "hue_merge.h"

#include "hue_file.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace huedata {

namespace {

using Bytes = std::span<const unsigned char>;

struct Unit {
    MergeUnit kind;
    std::size_t color;
    std::uint64_t offset;  // from the start of the hue's entry; of a block header, from the block
    std::size_t size;
};

// The units of an entry in file order: the 32 colours, the table start and end, the name.
constexpr std::array<Unit, 35> EntryUnits = [] {
    std::array<Unit, 35> units{};
    for (std::size_t c = 0; c < 32; ++c) units[c] = {MergeUnit::Color, c, 2 * c, 2};
    units[32] = {MergeUnit::TableStart, 0, 64, 2};
    units[33] = {MergeUnit::TableEnd, 0, 66, 2};
    units[34] = {MergeUnit::Name, 0, 68, 20};
    return units;
}();
constexpr Unit HeaderUnit{MergeUnit::BlockHeader, 0, 0, HueBlockHeaderSize};
// A whole entry, compared before its units: most hues are the same on every side.
constexpr Unit EntryUnit{MergeUnit::Name, 0, 0, HueRecordSize};

// Where a unit's bytes come from in the result; None: from no side (the hue is cut off).
enum class Source : unsigned char { Ours, Theirs, None };

struct Side {
    Bytes bytes;
    std::size_t hues;
    Side(Bytes file) : bytes(file), hues(HueCountForSize(file.size())) {}

    // The unit of hue `hue`, or nothing where this side has no such hue.
    std::optional<Bytes> Of(std::size_t hue, const Unit& unit) const {
        if (hue >= hues) return std::nullopt;
        const std::uint64_t start = unit.kind == MergeUnit::BlockHeader
                                        ? (hue / HuesPerBlock) * HueBlockSize
                                        : HueOffset(hue) + unit.offset;
        return bytes.subspan(static_cast<std::size_t>(start), unit.size);
    }
    Bytes Tail() const { return bytes.subspan(static_cast<std::size_t>(EndOfEntries(hues))); }
};

bool Same(const std::optional<Bytes>& a, const std::optional<Bytes>& b) {
    if (!a || !b) return !a && !b;
    return std::ranges::equal(*a, *b);
}

std::optional<std::vector<unsigned char>> Copy(const std::optional<Bytes>& bytes) {
    if (!bytes) return std::nullopt;
    return std::vector<unsigned char>(bytes->begin(), bytes->end());
}

class Merger {
public:
    Merger(Bytes base, Bytes ours, Bytes theirs, MergePreference prefer)
        : base_(base), ours_(ours), theirs_(theirs), prefer_(prefer) {}

    // The source of one unit of `hue` (the hue of a block header: the block's first), and its
    // conflict, if any.
    Source Merge(std::size_t hue, const Unit& unit) {
        const auto base = base_.Of(hue, unit);
        const auto ours = ours_.Of(hue, unit);
        const auto theirs = theirs_.Of(hue, unit);
        const auto from = [](const std::optional<Bytes>& side, Source source) {
            return side ? source : Source::None;
        };
        if (Same(ours, theirs) || Same(theirs, base)) return from(ours, Source::Ours);
        if (Same(ours, base)) return from(theirs, Source::Theirs);
        const std::size_t number = unit.kind == MergeUnit::BlockHeader ? hue / HuesPerBlock : hue;
        conflicts_.push_back({unit.kind, number, unit.color, Copy(base), Copy(ours), Copy(theirs)});
        if (prefer_ == MergePreference::Theirs) return from(theirs, Source::Theirs);
        // A hue cut off on one side and changed on the other keeps the change.
        if (prefer_ == MergePreference::None && !ours) return Source::Theirs;
        return from(ours, Source::Ours);
    }

    // The side a whole entry comes from where every side holds it and one side's entry
    // settles it (the same on both, or changed on one only), as Merge would find unit by unit.
    std::optional<Source> WholeEntry(std::size_t hue) const {
        if (hue >= base_.hues || hue >= ours_.hues || hue >= theirs_.hues) return std::nullopt;
        const auto base = base_.Of(hue, EntryUnit), ours = ours_.Of(hue, EntryUnit),
                   theirs = theirs_.Of(hue, EntryUnit);
        if (Same(ours, theirs) || Same(theirs, base)) return Source::Ours;
        if (Same(ours, base)) return Source::Theirs;
        return std::nullopt;
    }

    MergeOutcome Run() {
        const std::size_t most = std::max(ours_.hues, theirs_.hues);
        std::vector<std::array<Source, EntryUnits.size() + 1>> sources(most);
        std::size_t count = 0;  // one past the last hue that stays
        for (std::size_t hue = 0; hue < most; ++hue) {
            auto& hueSources = sources[hue];
            hueSources.back() = hue % HuesPerBlock == 0 ? Merge(hue, HeaderUnit) : Source::None;
            bool stays = hueSources.back() != Source::None;
            if (const auto whole = WholeEntry(hue)) {
                std::fill(hueSources.begin(), hueSources.end() - 1, *whole);
                stays = true;
            } else {
                for (std::size_t u = 0; u < EntryUnits.size(); ++u) {
                    hueSources[u] = Merge(hue, EntryUnits[u]);
                    stays = stays || hueSources[u] != Source::None;
                }
            }
            if (stays) count = hue + 1;
        }
        const Bytes tail = MergeTail();
        MergeOutcome outcome;
        outcome.bytes.resize(static_cast<std::size_t>(EndOfEntries(count)) + tail.size());
        const auto write = [&](std::size_t hue, const Unit& unit, Source source) {
            // A hue before the last that stays is whole: what no side gave comes from the side
            // that still has it.
            if (source == Source::None) source = hue < ours_.hues ? Source::Ours : Source::Theirs;
            const Bytes from = *(source == Source::Ours ? ours_ : theirs_).Of(hue, unit);
            const std::uint64_t at = unit.kind == MergeUnit::BlockHeader
                                         ? (hue / HuesPerBlock) * HueBlockSize
                                         : HueOffset(hue) + unit.offset;
            std::ranges::copy(from, outcome.bytes.begin() + static_cast<std::ptrdiff_t>(at));
        };
        for (std::size_t hue = 0; hue < count; ++hue) {
            const auto& hueSources = sources[hue];
            if (hue % HuesPerBlock == 0) write(hue, HeaderUnit, hueSources.back());
            const bool oneSide =
                hueSources[0] != Source::None &&
                std::all_of(hueSources.begin(), hueSources.end() - 1,
                            [&](Source source) { return source == hueSources[0]; });
            if (oneSide) {
                write(hue, EntryUnit, hueSources[0]);
                continue;
            }
            for (std::size_t u = 0; u < EntryUnits.size(); ++u) {
                write(hue, EntryUnits[u], hueSources[u]);
            }
        }
        std::ranges::copy(tail, outcome.bytes.end() - static_cast<std::ptrdiff_t>(tail.size()));
        outcome.conflicts = std::move(conflicts_);
        return outcome;
    }

private:
    Bytes MergeTail() {
        const Bytes base = base_.Tail(), ours = ours_.Tail(), theirs = theirs_.Tail();
        if (std::ranges::equal(ours, theirs) || std::ranges::equal(theirs, base)) return ours;
        if (std::ranges::equal(ours, base)) return theirs;
        conflicts_.push_back({MergeUnit::Tail, 0, 0, Copy(base), Copy(ours), Copy(theirs)});
        return prefer_ == MergePreference::Theirs ? theirs : ours;
    }

    Side base_, ours_, theirs_;
    MergePreference prefer_;
    std::vector<MergeConflict> conflicts_;
};

}  // namespace

MergeOutcome MergeHueFiles(std::span<const unsigned char> base, std::span<const unsigned char> ours,
                           std::span<const unsigned char> theirs, MergePreference prefer) {
    return Merger(base, ours, theirs, prefer).Run();
}

}  // namespace huedata
