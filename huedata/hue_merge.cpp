#include "hue_merge.h"

#include "hue_file.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace huedata {

namespace {

using Bytes = std::span<const unsigned char>;

struct Unit {
    MergePart part;
    HueField field;
    std::uint64_t offset;  // from the start of the hue's entry; of a block header, from the block
    std::size_t size;
};

// The units of an entry in file order: each field where it lies.
constexpr std::array<Unit, HueFields.size()> EntryUnits = [] {
    std::array<Unit, HueFields.size()> units{};
    std::ranges::transform(HueFields, units.begin(), [](HueField field) {
        return Unit{MergePart::HueField, field, FieldOffset(field), FieldSize(field)};
    });
    std::ranges::sort(units, {}, &Unit::offset);
    return units;
}();
constexpr Unit HeaderUnit{MergePart::BlockHeader, {}, 0, HueBlockHeaderSize};
// A whole entry, compared before its units: most hues are the same on every side.
constexpr Unit EntryUnit{MergePart::HueField, {}, 0, HueRecordSize};

// Where a unit's bytes come from in the result; None: from no side (the hue is cut off).
enum class Source : unsigned char { Ours, Theirs, None };

struct Side {
    Bytes bytes;
    std::size_t hues;
    Side(Bytes file) : bytes(file), hues(HueCountForSize(file.size())) {}

    // The unit of hue `hue`, or nothing where this side has no such hue.
    std::optional<Bytes> Of(std::size_t hue, const Unit& unit) const {
        if (hue >= hues) return std::nullopt;
        const std::uint64_t start = unit.part == MergePart::BlockHeader
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

// Bytes handed on in pieces, each run of bytes that lie one after another in one side handed on
// as one.
class Pieces {
public:
    explicit Pieces(const MergeSink& write) : write_(write) {}
    void Add(Bytes bytes) {
        if (!pending_.empty() && bytes.data() == pending_.data() + pending_.size()) {
            pending_ = {pending_.data(), pending_.size() + bytes.size()};
            return;
        }
        Flush();
        pending_ = bytes;
    }
    void Flush() {
        if (!pending_.empty()) write_(pending_);
        pending_ = {};
    }

private:
    const MergeSink& write_;
    Bytes pending_;
};

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
        const std::size_t number = unit.part == MergePart::BlockHeader ? hue / HuesPerBlock : hue;
        conflicts_.push_back({unit.part, number, unit.field, Copy(base), Copy(ours), Copy(theirs)});
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

    // Settles every unit, then hands the merged bytes to `write` in file order, each run of
    // bytes that one side gives whole as one piece. Returns the conflicts.
    std::vector<MergeConflict> Run(const MergeSink& write) {
        const std::size_t most = std::max(ours_.hues, theirs_.hues);
        // A hue settled whole by one side needs one source; the few settled unit by unit keep
        // theirs beside.
        using UnitSources = std::array<Source, EntryUnits.size()>;
        std::vector<Source> headers(most, Source::None), wholes(most, Source::None);
        std::vector<std::pair<std::size_t, UnitSources>> byUnit;
        std::size_t count = 0;  // one past the last hue that stays
        for (std::size_t hue = 0; hue < most; ++hue) {
            if (hue % HuesPerBlock == 0) headers[hue] = Merge(hue, HeaderUnit);
            bool stays = headers[hue] != Source::None;
            if (const auto whole = WholeEntry(hue)) {
                wholes[hue] = *whole;
                stays = true;
            } else {
                UnitSources units{};
                for (std::size_t u = 0; u < EntryUnits.size(); ++u) {
                    units[u] = Merge(hue, EntryUnits[u]);
                    stays = stays || units[u] != Source::None;
                }
                const bool oneSide =
                    units[0] != Source::None &&
                    std::ranges::all_of(units, [&](Source source) { return source == units[0]; });
                if (oneSide) {
                    wholes[hue] = units[0];
                } else {
                    byUnit.emplace_back(hue, units);
                }
            }
            if (stays) count = hue + 1;
        }
        const Bytes tail = MergeTail();

        Pieces pieces(write);
        auto unitBytes = [&](std::size_t hue, const Unit& unit, Source source) {
            // A hue before the last that stays is whole: what no side gave comes from the side
            // that still has it.
            if (source == Source::None) source = hue < ours_.hues ? Source::Ours : Source::Theirs;
            pieces.Add(*(source == Source::Ours ? ours_ : theirs_).Of(hue, unit));
        };
        auto next = byUnit.begin();
        for (std::size_t hue = 0; hue < count; ++hue) {
            if (hue % HuesPerBlock == 0) unitBytes(hue, HeaderUnit, headers[hue]);
            if (next != byUnit.end() && next->first == hue) {
                for (std::size_t u = 0; u < EntryUnits.size(); ++u) {
                    unitBytes(hue, EntryUnits[u], next->second[u]);
                }
                ++next;
            } else {
                unitBytes(hue, EntryUnit, wholes[hue]);
            }
        }
        pieces.Add(tail);
        pieces.Flush();
        return std::move(conflicts_);
    }

private:
    Bytes MergeTail() {
        const Bytes base = base_.Tail(), ours = ours_.Tail(), theirs = theirs_.Tail();
        if (std::ranges::equal(ours, theirs) || std::ranges::equal(theirs, base)) return ours;
        if (std::ranges::equal(ours, base)) return theirs;
        conflicts_.push_back({MergePart::Tail, 0, {}, Copy(base), Copy(ours), Copy(theirs)});
        return prefer_ == MergePreference::Theirs ? theirs : ours;
    }

    Side base_, ours_, theirs_;
    MergePreference prefer_;
    std::vector<MergeConflict> conflicts_;
};

}  // namespace

std::vector<MergeConflict> MergeHueFiles(std::span<const unsigned char> base,
                                         std::span<const unsigned char> ours,
                                         std::span<const unsigned char> theirs,
                                         MergePreference prefer, const MergeSink& write) {
    return Merger(base, ours, theirs, prefer).Run(write);
}

MergeOutcome MergeHueFiles(std::span<const unsigned char> base, std::span<const unsigned char> ours,
                           std::span<const unsigned char> theirs, MergePreference prefer) {
    MergeOutcome outcome;
    outcome.conflicts =
        MergeHueFiles(base, ours, theirs, prefer, [&](std::span<const unsigned char> piece) {
            outcome.bytes.insert(outcome.bytes.end(), piece.begin(), piece.end());
        });
    return outcome;
}

}  // namespace huedata
