// The three-way merge of hue files, by hue and field: what two people changed in one file since a
// common base comes together into one whole hue file, exact to the byte, and where both changed
// the same field of the same hue to different values the conflict is named.
//
// The units: each block's 4-byte header, each hue's name (20 bytes), table start, table end and
// each of its 32 colours as stored (top bit included), and the bytes after the last whole hue.
// A unit equal on both sides is taken; changed on one side only, that side's; changed on both to
// different values, a conflict, and ours (or theirs, when preferred) stays. A hue a side appended
// is kept; hues both appended merge with no base. A hue one side cut off and the other changed
// is a conflict, and the change stays (unless the cutting side is preferred); cut off and left
// alone, it goes. Toolkit-free, and no text: the caller says the values as it likes.
#pragma once

#include "hue_fields.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace huedata {

// Where a conflict lies: a field of a hue, a block's header, or the bytes after the last hue.
enum class MergePart { HueField, BlockHeader, Tail };

struct MergeConflict {
    MergePart part = MergePart::HueField;
    std::size_t hue = 0;  // the hue; for a block header the block; 0 for the tail
    HueField field{};     // for MergePart::HueField
    // Each side's bytes of the unit; none where that side has no such hue (cut off, or never
    // there: a hue both sides added has no base).
    std::optional<std::vector<unsigned char>> base, ours, theirs;
    friend bool operator==(const MergeConflict&, const MergeConflict&) = default;
};

struct MergeOutcome {
    std::vector<unsigned char> bytes;
    std::vector<MergeConflict> conflicts;  // in file order
};

// How conflicts are settled: by default ours stays, except that a hue one side cut off keeps
// the other side's change; a side preferred wins every conflict, a cut too.
enum class MergePreference { None, Ours, Theirs };

// Merges `ours` and `theirs`, both changed from `base` (empty where there is none: a file both
// sides added).
MergeOutcome MergeHueFiles(std::span<const unsigned char> base, std::span<const unsigned char> ours,
                           std::span<const unsigned char> theirs,
                           MergePreference prefer = MergePreference::None);

// The same, handing the merged bytes to `write` in pieces, in file order, without holding them
// (most pieces are the sides' own bytes); returns the conflicts.
using MergeSink = std::function<void(std::span<const unsigned char>)>;
std::vector<MergeConflict> MergeHueFiles(std::span<const unsigned char> base,
                                         std::span<const unsigned char> ours,
                                         std::span<const unsigned char> theirs,
                                         MergePreference prefer, const MergeSink& write);

}  // namespace huedata
