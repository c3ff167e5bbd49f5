// The three-way merge of hue files against its rule, unit by unit: named cases first, then
// random triples with the merge tools' own laws.
#include "huedata/hue_merge.h"

#include "huedata/hue_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using huedata::HueField;
using huedata::MergeConflict;
using huedata::MergeOutcome;
using huedata::MergePart;
using huedata::MergePreference;

constexpr std::size_t NameAt = 68, StartAt = 64;

// `count` hues, every byte a function of its place and `salt`.
Bytes HueFile(std::size_t count, unsigned salt = 1, std::size_t tail = 0) {
    Bytes bytes(huedata::EndOfEntries(count) + tail);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + salt);
    return bytes;
}

unsigned char* At(Bytes& file, std::size_t hue, std::size_t offset) {
    return file.data() + huedata::HueOffset(hue) + offset;
}

MergeOutcome Merge(const Bytes& base, const Bytes& ours, const Bytes& theirs,
                   MergePreference prefer = MergePreference::None) {
    return huedata::MergeHueFiles(base, ours, theirs, prefer);
}

TEST(MergeHueFiles, NamedCases) {
    const Bytes base = HueFile(20, 1, 3);
    {  // different fields of one hue: both changes, no conflict
        Bytes ours = base, theirs = base, expected = base;
        *At(ours, 5, NameAt) = *At(expected, 5, NameAt) = 'O';
        *At(theirs, 5, StartAt) = *At(expected, 5, StartAt) = 0x42;
        const MergeOutcome merged = Merge(base, ours, theirs);
        EXPECT_EQ(merged.bytes, expected);
        EXPECT_TRUE(merged.conflicts.empty());
    }
    {  // one colour on both sides to different values: a conflict, ours kept or theirs preferred
        Bytes ours = base, theirs = base;
        constexpr std::size_t ColorSeven = 14;
        At(ours, 9, ColorSeven)[0] = 0x11;
        At(theirs, 9, ColorSeven)[0] = 0x22;
        const MergeOutcome merged = Merge(base, ours, theirs);
        EXPECT_EQ(merged.bytes, ours);
        ASSERT_EQ(merged.conflicts.size(), 1U);
        const MergeConflict& conflict = merged.conflicts[0];
        EXPECT_EQ(conflict.part, MergePart::HueField);
        EXPECT_EQ(conflict.hue, 9U);
        EXPECT_EQ(conflict.field, (HueField{HueField::Color, 7}));
        EXPECT_EQ(conflict.ours->at(0), 0x11);
        EXPECT_EQ(conflict.theirs->at(0), 0x22);
        EXPECT_EQ(conflict.base->at(0), base[huedata::HueOffset(9) + 14]);
        EXPECT_EQ(Merge(base, ours, theirs, MergePreference::Theirs).bytes, theirs);
        EXPECT_EQ(Merge(base, ours, theirs, MergePreference::Ours).bytes, ours);
    }
    {  // both appended hues: equal ones taken, different ones conflicts with no base
        Bytes ours = HueFile(22, 1), theirs = HueFile(22, 1);
        *At(theirs, 21, NameAt) = 'T';
        ours.insert(ours.end(), base.end() - 3, base.end());
        theirs.insert(theirs.end(), base.end() - 3, base.end());
        std::copy(base.begin(), base.end() - 3, ours.begin());
        std::copy(base.begin(), base.end() - 3, theirs.begin());
        const MergeOutcome merged = Merge(base, ours, theirs);
        EXPECT_EQ(merged.bytes.size(), ours.size());
        ASSERT_EQ(merged.conflicts.size(), 1U);
        EXPECT_EQ(merged.conflicts[0].field, HueField{HueField::Name});
        EXPECT_EQ(merged.conflicts[0].hue, 21U);
        EXPECT_FALSE(merged.conflicts[0].base);
    }
    {  // one side cut hues off, the other changed one of them: a conflict, the change kept
        Bytes ours(base.begin(),
                   base.begin() + static_cast<std::ptrdiff_t>(huedata::EndOfEntries(12)));
        Bytes theirs = base;
        *At(theirs, 14, NameAt) = 'T';
        const MergeOutcome merged = Merge(base, ours, theirs);
        ASSERT_EQ(merged.conflicts.size(), 1U);
        EXPECT_FALSE(merged.conflicts[0].ours);
        EXPECT_EQ(huedata::HueCountForSize(merged.bytes.size()), 15U);
        EXPECT_EQ(merged.bytes[huedata::HueOffset(14) + NameAt], 'T');
        // Preferring the side that cut it: cut.
        EXPECT_EQ(Merge(base, ours, theirs, MergePreference::Ours).bytes, ours);
        // Cut off and left alone: cut, with the other side's changes below.
        Bytes alone = base;
        *At(alone, 3, NameAt) = 'A';
        Bytes expected = ours;
        *At(expected, 3, NameAt) = 'A';
        EXPECT_EQ(Merge(base, ours, alone).bytes, expected);
    }
    {  // a block header, and the bytes after the last hue, as units of their own
        Bytes ours = base, theirs = base;
        ours[huedata::HueBlockSize] = 1;
        theirs[huedata::HueBlockSize] = 2;
        ours.back() = 1;
        theirs.back() = 2;
        const MergeOutcome merged = Merge(base, ours, theirs);
        ASSERT_EQ(merged.conflicts.size(), 2U);
        EXPECT_EQ(merged.conflicts[0].part, MergePart::BlockHeader);
        EXPECT_EQ(merged.conflicts[0].hue, 1U);
        EXPECT_EQ(merged.conflicts[1].part, MergePart::Tail);
        EXPECT_EQ(merged.bytes, ours);
    }
}

// A side made from `base` as people change files: fields of hues changed, hues appended or
// cut off, block headers and the bytes after the last hue (never a whole entry) changed.
Bytes Changed(const Bytes& base, std::mt19937& random) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const std::size_t baseHues = huedata::HueCountForSize(base.size());
    const auto baseEnd = static_cast<std::size_t>(huedata::EndOfEntries(baseHues));
    Bytes tail(base.begin() + static_cast<std::ptrdiff_t>(baseEnd), base.end());
    std::size_t hues = baseHues;
    if (pick(4) == 0) hues += 1 + pick(12);
    if (pick(4) == 0) hues -= pick(hues + 1) / 2;
    if (pick(4) == 0) tail.assign(pick(88), static_cast<unsigned char>(random()));
    Bytes file(huedata::EndOfEntries(hues));
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = i < baseEnd ? base[i] : static_cast<unsigned char>(random());
    }
    file.insert(file.end(), tail.begin(), tail.end());
    for (std::size_t edits = pick(6); hues > 0 && edits > 0; --edits) {
        const std::size_t hue = pick(hues);
        if (hue % 8 == 0 && pick(4) == 0) {
            file[(hue / 8) * huedata::HueBlockSize + pick(4)] ^= 1U;
        } else {  // a byte of a colour, a table value or the name
            file[huedata::HueOffset(hue) + pick(88)] = static_cast<unsigned char>(pick(3));
        }
    }
    return file;
}

// Ours with every unit theirs changed from the base laid over it, growing where theirs has
// hues ours lacks: what a patch of theirs does to ours.
Bytes OursWithTheirsLaidOver(const Bytes& base, const Bytes& ours, const Bytes& theirs) {
    const std::size_t baseHues = huedata::HueCountForSize(base.size());
    const std::size_t theirHues = huedata::HueCountForSize(theirs.size());
    const std::size_t ourHues = huedata::HueCountForSize(ours.size());
    Bytes result(ours.begin(),
                 ours.begin() + static_cast<std::ptrdiff_t>(huedata::EndOfEntries(ourHues)));
    result.resize(std::max(result.size(), huedata::EndOfEntries(theirHues)));
    for (std::size_t i = 0; i < huedata::EndOfEntries(theirHues); ++i) {
        if (i >= huedata::EndOfEntries(baseHues) || theirs[i] != base[i]) result[i] = theirs[i];
    }
    const auto tailOf = [](const Bytes& file) {
        return Bytes(file.begin() + static_cast<std::ptrdiff_t>(huedata::EndOfEntries(
                                        huedata::HueCountForSize(file.size()))),
                     file.end());
    };
    const Bytes tail = tailOf(theirs) == tailOf(base) ? tailOf(ours) : tailOf(theirs);
    result.insert(result.end(), tail.begin(), tail.end());
    return result;
}

MergeConflict Mirrored(MergeConflict conflict) {
    std::swap(conflict.ours, conflict.theirs);
    return conflict;
}

std::size_t HuesOf(const Bytes& file) {
    return huedata::HueCountForSize(file.size());
}

TEST(MergeHueFiles, RandomTriplesKeepTheRule) {
    std::mt19937 random(20261208);
    int clean = 0, conflicted = 0;
    for (int round = 0; round < 600; ++round) {
        const std::size_t count = round % 7 == 0 ? 0 : random() % 30;
        const Bytes base = HueFile(count, static_cast<unsigned>(random()), random() % 50);
        const Bytes ours = Changed(base, random), theirs = Changed(base, random);
        const std::string at = "round " + std::to_string(round);
        // One side alone changed it, or both alike: that side, with no conflict.
        for (const auto& [a, b] :
             {std::pair{ours, base}, std::pair{base, ours}, std::pair{ours, ours}}) {
            const MergeOutcome merged = Merge(base, a, b);
            EXPECT_EQ(merged.bytes, ours) << at;
            EXPECT_TRUE(merged.conflicts.empty()) << at;
        }
        // Swapping the sides mirrors the conflicts.
        const MergeOutcome merged = Merge(base, ours, theirs);
        const MergeOutcome swapped = Merge(base, theirs, ours);
        ASSERT_EQ(swapped.conflicts.size(), merged.conflicts.size()) << at;
        for (std::size_t i = 0; i < merged.conflicts.size(); ++i) {
            EXPECT_EQ(swapped.conflicts[i], Mirrored(merged.conflicts[i])) << at;
        }
        if (!merged.conflicts.empty()) {
            ++conflicted;
            continue;
        }
        // With no conflict: the same whichever side is ours; theirs' changes laid over ours
        // where neither cut hues off, as a patch lays them; the length of the side that alone
        // changed it.
        ++clean;
        EXPECT_EQ(swapped.bytes, merged.bytes) << at;
        if (HuesOf(ours) >= HuesOf(base) && HuesOf(theirs) >= HuesOf(base)) {
            EXPECT_EQ(merged.bytes, OursWithTheirsLaidOver(base, ours, theirs)) << at;
        }
        if (ours.size() == base.size()) {
            EXPECT_EQ(merged.bytes.size(), theirs.size()) << at;
        }
        if (theirs.size() == base.size()) {
            EXPECT_EQ(merged.bytes.size(), ours.size()) << at;
        }
    }
    // Both kinds were met often enough to mean something.
    EXPECT_GT(clean, 100);
    EXPECT_GT(conflicted, 100);
}

}  // namespace
