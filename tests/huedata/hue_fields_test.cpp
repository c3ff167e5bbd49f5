// The fields of a hue and the comparison of two files: one name for each field, read back from
// the names older pages gave; fields that tile the entry; and the comparison's hues, fields,
// headers and tails for each kind of change, alone and reversed.
#include "huedata/hue_fields.h"

#include "huedata/hue_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

// `count` hues, every byte a function of its place.
Bytes HueFile(std::size_t count) {
    Bytes bytes(huedata::EndOfEntries(count));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
    return bytes;
}

TEST(CompareHueFiles, TellsHuesFieldsHeadersAndTailsApartForEachKindOfChange) {
    struct Case {
        const char* what;
        void (*change)(Bytes&);
        std::vector<std::size_t> hues;  // that differ
        std::vector<HueField> firstFields;
        std::vector<std::size_t> headers;
        bool tail;
    };
    const HueField name{HueField::Name}, color3{HueField::Color, 3};
    const Case cases[] = {
        {"nothing", [](Bytes&) {}, {}, {}, {}, false},
        {"a block's header alone",
         [](Bytes& b) { b[huedata::HueBlockSize] ^= 1; },
         {},
         {},
         {1},
         false},
        {"the tail alone", [](Bytes& b) { b.push_back(9); }, {}, {}, {}, true},
        {"a byte after a name's NUL",
         [](Bytes& b) {
             b[huedata::HueOffset(3) + 68] = 'A';
             b[huedata::HueOffset(3) + 69] = 0;
             b[huedata::HueOffset(3) + 80] ^= 1;
         },
         {3},
         {name},
         {},
         false},
        {"a colour",
         [](Bytes& b) { b[huedata::HueOffset(9) + 6] ^= 0x80; },
         {9},
         {color3},
         {},
         false},
        {"a hue added in a block of its own",
         [](Bytes& b) { b.resize(huedata::EndOfEntries(17), 0); },
         {16},
         {},
         {},
         false},
    };
    for (const Case& c : cases) {
        const Bytes first = HueFile(16);
        Bytes second = first;
        c.change(second);
        for (const bool reversed : {false, true}) {
            const auto difference = reversed ? huedata::CompareHueFiles(second, first)
                                             : huedata::CompareHueFiles(first, second);
            std::vector<std::size_t> hues, headers;
            for (const auto& hue : difference.hues) hues.push_back(hue.id);
            for (const auto& header : difference.headers) headers.push_back(header.block);
            EXPECT_EQ(hues, c.hues) << c.what;
            EXPECT_EQ(headers, c.headers) << c.what;
            EXPECT_EQ(difference.tailsDiffer, c.tail) << c.what;
            EXPECT_EQ(difference.Any(), first != second) << c.what;
            // A hue one file lacks differs in every field.
            if (!c.hues.empty()) {
                EXPECT_EQ(difference.hues[0].fields.size(),
                          c.firstFields.empty() ? huedata::HueFields.size() : c.firstFields.size())
                    << c.what;
            }
            if (!c.firstFields.empty()) {
                EXPECT_EQ(difference.hues[0].fields, c.firstFields) << c.what;
            }
        }
    }
}

}  // namespace
