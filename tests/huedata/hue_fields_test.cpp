// The fields of a hue and the comparison of two files: one name for each field, read back from
// the names older pages gave; fields that tile the entry; and the comparison's hues, fields,
// headers and tails for each kind of change, alone and reversed.
#include "huedata/hue_fields.h"

#include "huedata/hue_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

using huedata::HueField;
using Bytes = std::vector<unsigned char>;

TEST(HueFields, EachHasOneNameReadBackAsAreTheOlderNamesAndNoOtherWord) {
    std::array<int, huedata::HueRecordSize> covered{};
    for (const HueField field : huedata::HueFields) {
        EXPECT_EQ(huedata::FieldNamed(huedata::FieldName(field)), field)
            << huedata::FieldName(field);
        for (std::size_t at = 0; at < huedata::FieldSize(field); ++at)
            ++covered[huedata::FieldOffset(field) + at];
    }
    EXPECT_TRUE(std::ranges::all_of(covered, [](int count) { return count == 1; }));
    const std::pair<const char*, std::optional<HueField>> names[] = {
        {"colors/31", HueField{HueField::Color, 31}},
        {"colour-5", HueField{HueField::Color, 5}},
        {"start", HueField{HueField::TableStart}},
        {"end", HueField{HueField::TableEnd}},
        {"colors/32", std::nullopt},
        {"colors/05", std::nullopt},
        {"colors/", std::nullopt},
        {"colors/1x", std::nullopt},
        {"Name", std::nullopt},
        {"block_header", std::nullopt},
    };
    for (const auto& [name, field] : names) EXPECT_EQ(huedata::FieldNamed(name), field) << name;
    EXPECT_EQ(huedata::FieldWords({HueField::Color, 5}), "colour 5");
    EXPECT_EQ(huedata::FieldWords({HueField::TableStart}), "table start");
}

// The comparison in a line: each hue with its first field and how many differ, each block whose
// header differs, and the tail.
std::string Told(const huedata::FileDifference& difference) {
    std::string told;
    for (const auto& hue : difference.hues) {
        told += "hue " + std::to_string(hue.id) + ": " + huedata::FieldName(hue.fields.at(0)) +
                " of " + std::to_string(hue.fields.size()) + "; ";
    }
    for (const auto& header : difference.headers)
        told += "header " + std::to_string(header.block) + "; ";
    return told + (difference.tailsDiffer ? "tail" : "");
}

TEST(CompareHueFiles, TellsHuesFieldsHeadersAndTailsApartForEachKindOfChange) {
    // 16 hues, every byte a function of its place; hue 3's name ends after one letter.
    Bytes first(huedata::EndOfEntries(16));
    for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<unsigned char>(i * 7 + 1);
    first[huedata::HueOffset(3) + 69] = 0;
    const struct {
        const char* what;
        std::size_t flip, size;  // the byte changed, the second file's size
        std::string told;
    } cases[] = {
        {"a block's header alone", huedata::HueBlockSize, first.size(), "header 1; "},
        {"the tail alone", first.size(), first.size() + 1, "tail"},
        {"a byte after a name's NUL", huedata::HueOffset(3) + 80, first.size(),
         "hue 3: name of 1; "},
        {"a colour", huedata::HueOffset(9) + 6, first.size(), "hue 9: colors/3 of 1; "},
        {"a hue in a block of its own", huedata::EndOfEntries(17) - 1, huedata::EndOfEntries(17),
         "hue 16: name of 35; "},
    };
    for (const auto& c : cases) {
        Bytes second = first;
        second.resize(c.size);
        second[c.flip] ^= 0x80;
        EXPECT_EQ(Told(huedata::CompareHueFiles(first, second)), c.told) << c.what;
        EXPECT_EQ(Told(huedata::CompareHueFiles(second, first)), c.told) << c.what << ", reversed";
    }
    EXPECT_FALSE(huedata::CompareHueFiles(first, first).Any());
}

}  // namespace
