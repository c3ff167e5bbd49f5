// Three arbitrary files merged by hue and field: never a crash, and the rule's promises hold. The
// input is two 16-bit lengths (of the base and of ours, little-endian), then the base, ours and
// theirs, back to back (theirs is the rest).
#include "huedata/hue_file.h"
#include "huedata/hue_merge.h"
#include "scratch_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::span<const std::uint8_t> input(data, size);
    std::size_t baseSize = input[0] | (std::size_t{input[1]} << 8U);
    std::size_t oursSize = input[2] | (std::size_t{input[3]} << 8U);
    const std::span<const std::uint8_t> rest = input.subspan(4);
    baseSize = std::min(baseSize, rest.size());
    oursSize = std::min(oursSize, rest.size() - baseSize);
    const auto base = rest.first(baseSize);
    const auto ours = rest.subspan(baseSize, oursSize);
    const auto theirs = rest.subspan(baseSize + oursSize);

    const huedata::MergeOutcome merged = huedata::MergeHueFiles(base, ours, theirs);
    // Never more hues than the longer side, and whole hues then the bytes after them.
    const std::size_t hues = huedata::HueCountForSize(merged.bytes.size());
    Require(hues <= std::max(huedata::HueCountForSize(ours.size()),
                             huedata::HueCountForSize(theirs.size())));
    if (merged.conflicts.empty()) {
        // The length of the side that alone changed it.
        if (ours.size() == base.size()) Require(merged.bytes.size() == theirs.size());
        if (theirs.size() == base.size()) Require(merged.bytes.size() == ours.size());
    }
    // A side that alone changed the file is the result.
    const huedata::MergeOutcome alone = huedata::MergeHueFiles(base, ours, base);
    Require(alone.conflicts.empty() && std::ranges::equal(alone.bytes, ours));
    return 0;
}
