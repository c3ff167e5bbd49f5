// The fields of a hue and the parts of a hue file beside them, in one enumeration for every
// reader and writer, with their names in one table; and the one comparison of two hue files,
// which every listing of differences (diff as text, JSON, CSV and page, a hue's history, a
// merge's conflicts) tells in its own form.
#pragma once

#include "hue_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace huedata {

// A field of a hue: its name, its table start or end, or one of its 32 colours.
struct HueField {
    enum Kind : unsigned char { Name, TableStart, TableEnd, Color } kind = Name;
    std::size_t color = 0;  // for Color
    friend bool operator==(const HueField&, const HueField&) = default;
};

// Every field of a hue, in the order listings give them: the name, the table start and end,
// colours 0 to 31.
inline constexpr std::array<HueField, 35> HueFields = [] {
    std::array<HueField, 35> fields{};
    fields[0] = {HueField::Name};
    fields[1] = {HueField::TableStart};
    fields[2] = {HueField::TableEnd};
    for (std::size_t c = 0; c < 32; ++c) fields[3 + c] = {HueField::Color, c};
    return fields;
}();

// Where the field lies among an entry's 88 bytes, and how many of them it takes.
constexpr std::size_t FieldOffset(HueField field) {
    constexpr std::array<std::size_t, 3> Offsets{HueNameOffset, HueTableStartOffset,
                                                 HueTableEndOffset};
    return field.kind == HueField::Color ? 2 * field.color : Offsets[field.kind];
}
constexpr std::size_t FieldSize(HueField field) {
    return field.kind == HueField::Name ? HueNameSize : 2;
}

// ---- Names: the one table ----

// The field's name wherever a program reads or writes one, as the JSON format names it:
// "name", "table_start", "table_end", "colors/0" ... "colors/31".
std::string FieldName(HueField field);
// The same of a field that is not a colour (Name, TableStart, TableEnd), made no string of.
std::string_view ScalarFieldName(HueField::Kind kind);

// The field a name says: the JSON format's, or the names a merge's page gave before ("start",
// "end", "colour-N"); nothing for any other.
std::optional<HueField> FieldNamed(std::string_view name);

// The field in prose: "name", "table start", "table end", "colour 5".
std::string FieldWords(HueField field);

// The parts of a file beside its hues' fields, by the same rule: a block's 4-byte header, and
// the bytes after the last whole hue.
inline constexpr std::string_view BlockHeaderName = "block_header";
inline constexpr std::string_view TailName = "tail";

// A hue's keys in the JSON format beside its fields' names: the 32 colours as "#RRGGBB" (whose
// fields are "colors/N"), the stored values, and the name's bytes where its text cannot give
// them back.
inline constexpr std::string_view ColorsName = "colors";
inline constexpr std::string_view StoredName = "stored";
inline constexpr std::string_view NameBytesName = "name_bytes";
// The names a merge's page gave before, still read (FieldNamed: "start", "end", "colour-N"; the
// page reads "header" for a block's header too).
inline constexpr std::string_view OlderTableStartName = "start";
inline constexpr std::string_view OlderTableEndName = "end";
inline constexpr std::string_view OlderColorPrefix = "colour-";
inline constexpr std::string_view OlderBlockHeaderName = "header";

// ---- The comparison ----

// The fields in which two hues differ, in listing order; every field where either is missing.
std::vector<HueField> DifferingFields(const std::optional<HueRecord>& a,
                                      const std::optional<HueRecord>& b);

// A hue that differs between two files: held by one or both, and the fields that differ.
struct HueDifference {
    std::size_t id = 0;
    std::optional<HueRecord> first, second;
    std::vector<HueField> fields;
};

// A block whose header differs; a file that holds no hue of the block has a header of 0 there.
struct HeaderDifference {
    std::size_t block = 0;
    std::uint32_t first = 0, second = 0;
};

// What differs between two hue files: their hues, and apart from the hues, their blocks'
// headers and the bytes after their last whole hues (the tail). A header's change or the
// tail's is the file's, never a hue's.
struct FileDifference {
    std::vector<HueDifference> hues;              // in id order
    std::vector<HeaderDifference> headers;        // in block order
    std::size_t firstCount = 0, secondCount = 0;  // the whole hues each holds
    std::uint64_t firstSize = 0, secondSize = 0;  // bytes
    bool tailsDiffer = false;
    // Whether the files differ at all (and so their bytes do).
    bool Any() const { return !hues.empty() || !headers.empty() || tailsDiffer; }
};

// The comparison of two files' bytes. Whole entries are compared first, so that only the hues
// that differ are decoded.
FileDifference CompareHueFiles(std::span<const unsigned char> first,
                               std::span<const unsigned char> second);

}  // namespace huedata
